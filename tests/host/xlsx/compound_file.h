// Small OLE2 compound files for tests: a header, one allocation-table sector and one directory
// sector holding the root and up to three streams, the shape other programs' legacy workbooks
// and password-protected workbooks have. The streams hold no data; only their names matter to
// the reader.
#ifndef TARQUEL_TESTS_HOST_XLSX_COMPOUND_FILE_H_
#define TARQUEL_TESTS_HOST_XLSX_COMPOUND_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarquel::host::xlsx::cfb {

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kNoEntry = 0xFFFFFFFF;
constexpr std::size_t kDirectorySector = 1024;  // offset of sector 1: header, then sector 0

inline void PutLittle(std::string& bytes, std::size_t at, uint64_t value, int width) {
  for (int k = 0; k < width; ++k) bytes[at + k] = static_cast<char>((value >> (8 * k)) & 0xFF);
}

// A directory entry: `name` (ASCII) of `type` (1 storage, 2 stream, 5 root).
inline void PutEntry(std::string& bytes, std::size_t at, const std::string& name, int type,
                     uint32_t left, uint32_t right, uint32_t child) {
  for (std::size_t k = 0; k < name.size(); ++k) PutLittle(bytes, at + 2 * k, name[k], 2);
  PutLittle(bytes, at + 0x40, 2 * (name.size() + 1), 2);
  bytes[at + 0x42] = static_cast<char>(type);
  PutLittle(bytes, at + 0x44, left, 4);
  PutLittle(bytes, at + 0x48, right, 4);
  PutLittle(bytes, at + 0x4C, child, 4);
  PutLittle(bytes, at + 0x74, kEndOfChain, 4);  // no data
}

// A version 3 compound file (512-byte sectors) whose root holds the streams `names` (at most
// three), each the right sibling of the one before.
inline std::string CompoundFile(const std::vector<std::string>& names) {
  std::string bytes(512 * 3, '\0');
  PutLittle(bytes, 0, 0xE11AB1A1E011CFD0, 8);
  PutLittle(bytes, 0x18, 0x3E, 2);    // minor version
  PutLittle(bytes, 0x1A, 3, 2);       // major version
  PutLittle(bytes, 0x1C, 0xFFFE, 2);  // byte order
  PutLittle(bytes, 0x1E, 9, 2);       // 512-byte sectors
  PutLittle(bytes, 0x20, 6, 2);       // 64-byte mini sectors
  PutLittle(bytes, 0x2C, 1, 4);       // one allocation-table sector
  PutLittle(bytes, 0x30, 1, 4);       // the directory starts at sector 1
  PutLittle(bytes, 0x38, 4096, 4);    // mini stream cutoff
  PutLittle(bytes, 0x3C, kEndOfChain, 4);
  PutLittle(bytes, 0x44, kEndOfChain, 4);
  PutLittle(bytes, 0x4C, 0, 4);  // the allocation table is sector 0
  for (std::size_t k = 1; k < 109; ++k) PutLittle(bytes, 0x4C + 4 * k, kFreeSector, 4);
  // Sector 0: itself (an allocation-table sector), then the directory's one-sector chain.
  for (std::size_t k = 0; k < 128; ++k) PutLittle(bytes, 512 + 4 * k, kFreeSector, 4);
  PutLittle(bytes, 512, 0xFFFFFFFD, 4);
  PutLittle(bytes, 512 + 4, kEndOfChain, 4);
  PutEntry(bytes, kDirectorySector, "Root Entry", 5, kNoEntry, kNoEntry,
           names.empty() ? kNoEntry : 1);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const uint32_t right = i + 1 < names.size() ? static_cast<uint32_t>(i + 2) : kNoEntry;
    PutEntry(bytes, kDirectorySector + 128 * (i + 1), names[i], 2, kNoEntry, right, kNoEntry);
  }
  return bytes;
}

}  // namespace tarquel::host::xlsx::cfb

#endif  // TARQUEL_TESTS_HOST_XLSX_COMPOUND_FILE_H_
