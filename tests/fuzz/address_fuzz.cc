// Fuzzes the cell reference readers: whatever the text, they answer without crashing, and an
// address they accept is written back as the same rectangles.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "host/address.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarquel::host;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (auto parse : {ParseA1Reference, ParseR1C1Reference}) {
    auto areas = parse(text, kSheetRows, kSheetColumns);
    if (!areas) continue;
    for (ReferenceStyle style : {ReferenceStyle::kA1, ReferenceStyle::kR1C1}) {
      const std::string written = FormatAddress(*areas, style);
      auto again =
          style == ReferenceStyle::kA1 ? ParseA1Reference(written) : ParseR1C1Reference(written);
      if (!again || *again != *areas) std::abort();
    }
  }
  return 0;
}
