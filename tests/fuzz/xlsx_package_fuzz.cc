// Fuzzes the package reader and the XML gate: whatever the bytes, opening them as a package,
// reading every entry and parsing every .xml and .rels part either works or throws HostError; a
// part that parses writes back to XML that parses to the same text; and the entries of a package
// that opens copy into a new package with their compressed bytes and facts unchanged. The bytes
// are parsed as one XML part too, since mutated parts inside a zip rarely pass their CRC.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "host/host_error.h"
#include "host/xlsx/package.h"
#include "host/xlsx/xml_document.h"

namespace {

using tarquel::host::HostError;
using namespace tarquel::host::xlsx;

void Check(bool condition) {
  if (!condition) std::abort();
}

void ParsePart(std::string_view bytes, const std::string& name) {
  pugi::xml_document doc;
  try {
    ParseXml(bytes, name, doc);
  } catch (const HostError&) {
    return;
  }
  const std::string written = SerializeXml(doc);
  pugi::xml_document again;
  ParseXml(written, name, again);  // throws, and so crashes the target, if we wrote bad XML
  Check(SerializeXml(again) == written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ParsePart(bytes, "fuzz.xml");
  std::optional<PackageReader> reader;
  try {
    reader.emplace(PackageReader::Open(bytes, "fuzz.xlsx"));
  } catch (const HostError&) {
    return 0;
  }
  PackageWriter writer;
  for (const std::string& name : reader->EntryNames()) {
    if (name.ends_with(".xml") || name.ends_with(".rels")) {
      std::string part;
      try {
        part = reader->Read(name);
      } catch (const HostError&) {
        part.clear();
      }
      ParsePart(part, name);
    }
    writer.CopyFrom(*reader, name);  // names that opened are valid and distinct
  }
  std::string copied;
  try {
    copied = writer.Finish();
  } catch (const HostError&) {
    return 0;  // a stored entry whose CRC is wrong
  }
  const PackageReader copy = PackageReader::Open(copied, "copy.xlsx");
  Check(copy.EntryNames() == reader->EntryNames());
  for (const std::string& name : reader->EntryNames()) {
    const EntryInfo before = reader->Info(name), after = copy.Info(name);
    Check(before.method == after.method && before.crc == after.crc && before.size == after.size &&
          before.compressed_size == after.compressed_size);
    std::optional<std::string> raw;
    try {
      raw = reader->ReadRaw(name);
    } catch (const HostError&) {
    }
    if (raw) Check(copy.ReadRaw(name) == *raw);
  }
  return 0;
}
