// Fuzzes the whole workbook reader: whatever the bytes, opening them as a workbook either works
// or throws HostError, never crashes, hangs or runs out of memory. A workbook that opens is
// written anew and must open again with the same sheets and cell values, and written untouched
// it must give back the very bytes it was read from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/application.h"
#include "host/host_error.h"
#include "host/ui.h"
#include "host/workbook.h"
#include "host/worksheet_storage.h"
#include "host/xlsx/xlsx_files.h"

namespace {

using namespace tarquel::host;

void Check(bool condition) {
  if (!condition) std::abort();
}

// The reader shows nothing; any call to the Ui is a fault.
class NoUi : public Ui {
 public:
  MessageAnswer MessageBox(MessageKind, const std::string&, MessageButtons,
                           const std::optional<std::string>&) override {
    std::abort();
  }
  std::string GetOpenFilename(const std::vector<FileFilter>&) override { std::abort(); }
  void PlaySound(SystemSound) override { std::abort(); }
  void EditPhonetics(Range&) override { std::abort(); }
  void PrintPreview(const std::vector<Worksheet*>&) override { std::abort(); }
  void ShowModal(Form&) override { std::abort(); }
};

// Every cell's value, sheet by sheet, as text.
std::string Values(const Workbook& book) {
  std::string out;
  for (int index = 1; index <= book.SheetCount(); ++index) {
    const Worksheet& sheet = book.SheetAt(index);
    out += sheet.Name() + "\n";
    sheet.ForEachCell({1, 1, kMaxFileRows, kMaxFileColumns}, [&out](int32_t row, const Cell& cell) {
      out += std::to_string(row) + "," + std::to_string(cell.column) + "=" + cell.value.AsText() +
             "\n";
    });
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  NoUi ui;
  Application app(ui);
  Workbook book(app, "fuzz.xlsx");
  try {
    xlsx::XlsxFiles::ReadPackage(bytes, "fuzz.xlsx", book);
  } catch (const HostError&) {
    return 0;
  }
  Check(xlsx::XlsxFiles::WritePackage(book) == bytes);
  const std::string written =
      xlsx::XlsxFiles::WritePackage(book, xlsx::XlsxFiles::WriteMode::kRegenerate);
  Workbook again(app, "again.xlsx");
  xlsx::XlsxFiles::ReadPackage(written, "again.xlsx", again);  // throws, and so crashes, if bad
  Check(Values(again) == Values(book));
  return 0;
}
