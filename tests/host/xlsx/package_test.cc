#include "host/xlsx/package.h"

#include <zip.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "host/host_error.h"
#include "host/xlsx/compound_file.h"

namespace tarquel::host::xlsx {
namespace {

using cfb::CompoundFile;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

std::optional<HostError> Caught(const std::function<void()>& action) {
  try {
    action();
  } catch (const HostError& error) {
    return error;
  }
  return std::nullopt;
}

// The description of the HostError `action` throws, or "(no error)".
std::string ErrorOf(const std::function<void()>& action) {
  const auto error = Caught(action);
  return error ? error->description() : "(no error)";
}

// The description of what Open says about `bytes`, or "(opened)".
std::string OpenError(const std::string& bytes, const PackageLimits& limits = {}) {
  const auto error = Caught([&] { PackageReader::Open(bytes, "x.xlsx", limits); });
  return error ? error->description() : "(opened)";
}

uint32_t Crc32(std::string_view data) {
  uint32_t crc = 0xFFFFFFFF;
  for (char c : data) {
    crc ^= static_cast<unsigned char>(c);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

void Put(std::string* out, uint64_t value, int width) {
  for (int k = 0; k < width; ++k) out->push_back(static_cast<char>((value >> (8 * k)) & 0xFF));
}

struct RawEntry {
  std::string name;
  std::string data;
  uint16_t flags = 0;  // general purpose bits; 0x800 says the name is UTF-8
};

// A stored-only zip written byte by byte, for names and layouts no well-behaved writer makes.
std::string RawZip(const std::vector<RawEntry>& entries) {
  std::string out, central;
  for (const RawEntry& e : entries) {
    const uint64_t offset = out.size();
    for (std::string* header : {&out, &central}) {
      const bool local = header == &out;
      header->append(local ? "PK\x03\x04" : "PK\x01\x02");
      if (!local) Put(header, 20, 2);                    // made by
      Put(header, 20, 2);                                // needed
      Put(header, e.flags, 2);                           // flags
      Put(header, 0, 2);                                 // stored
      Put(header, 0x21, 4);                              // time and date
      Put(header, Crc32(e.data), 4);                     // crc
      Put(header, e.data.size(), 4);                     // compressed
      Put(header, e.data.size(), 4);                     // uncompressed
      Put(header, e.name.size(), 2);                     // name length
      Put(header, 0, 2);                                 // extra length
      if (!local) Put(header, 0, 6), Put(header, 0, 4);  // comment, disk, attributes
      if (!local) Put(header, offset, 4);
      header->append(e.name);
    }
    out.append(e.data);
  }
  const uint64_t central_offset = out.size();
  out.append(central);
  out.append("PK\x05\x06");
  Put(&out, 0, 4);
  Put(&out, entries.size(), 2);
  Put(&out, entries.size(), 2);
  Put(&out, central.size(), 4);
  Put(&out, central_offset, 4);
  Put(&out, 0, 2);
  return out;
}

std::string Package(const std::vector<std::pair<std::string, std::string>>& parts, int level = 6) {
  PackageWriter writer;
  for (const auto& [name, bytes] : parts) writer.Add(name, bytes, level);
  return writer.Finish();
}

// Text that deflates well but not trivially, so that levels give different bytes.
std::string Text(std::size_t size) {
  std::string text;
  for (uint32_t i = 0; text.size() < size; ++i)
    text += "<c r=\"A" + std::to_string(i * 7919 % 100003) + "\"/>";
  text.resize(size);
  return text;
}

// A package with one entry of `size` zero bytes, deflated by libzip from a generator so that it
// never sits in memory.
std::string ZeroPackage(uint64_t size) {
  struct Zeros {
    uint64_t size, done;
  } zeros{size, 0};
  const auto callback = [](void* user, void* data, zip_uint64_t length,
                           zip_source_cmd_t command) -> zip_int64_t {
    auto* z = static_cast<Zeros*>(user);
    switch (command) {
      case ZIP_SOURCE_OPEN:
        z->done = 0;
        return 0;
      case ZIP_SOURCE_READ: {
        const uint64_t n = std::min<uint64_t>(length, z->size - z->done);
        std::memset(data, 0, n);
        z->done += n;
        return static_cast<zip_int64_t>(n);
      }
      case ZIP_SOURCE_STAT: {
        auto* stat = static_cast<zip_stat_t*>(data);
        zip_stat_init(stat);
        stat->valid = ZIP_STAT_SIZE;
        stat->size = z->size;
        return sizeof(zip_stat_t);
      }
      case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              -1);
      default:
        return 0;
    }
  };
  zip_source_t* output = zip_source_buffer_create(nullptr, 0, 0, nullptr);
  zip_source_keep(output);
  zip_t* archive = zip_open_from_source(output, ZIP_TRUNCATE, nullptr);
  const zip_int64_t index =
      zip_file_add(archive, "xl/zeros.xml", zip_source_function(archive, callback, &zeros), 0);
  zip_set_file_compression(archive, static_cast<uint64_t>(index), ZIP_CM_DEFLATE, 1);
  EXPECT_EQ(zip_close(archive), 0);
  std::string bytes;
  char chunk[65536];
  zip_source_open(output);
  for (zip_int64_t n; (n = zip_source_read(output, chunk, sizeof chunk)) > 0;)
    bytes.append(chunk, n);
  zip_source_close(output);
  zip_source_free(output);
  return bytes;
}

// Where the data of the first entry starts in a package.
std::size_t FirstDataOffset(const std::string& zip) {
  return 30 + static_cast<unsigned char>(zip[26]) + static_cast<unsigned char>(zip[28]);
}

TEST(PackageTest, RoundTripKeepsPartsOrderAndBytes) {
  const std::vector<std::pair<std::string, std::string>> parts = {
      {"[Content_Types].xml", "<Types/>"},
      {"xl/empty.bin", ""},
      {"xl/worksheets/sheet1.xml", Text(3 << 20)},
      {"docProps/説明.xml", "<p>日本語</p>"},
      {"xl/media/", ""},
  };
  for (int level : {0, 1, 6, 9}) {
    SCOPED_TRACE("level " + std::to_string(level));
    const std::string bytes = Package(parts, level);
    EXPECT_EQ(bytes, Package(parts, level)) << "the same parts give the same bytes";
    const PackageReader reader = PackageReader::Open(bytes, "x.xlsx");
    std::vector<std::string> names;
    for (const auto& [name, part] : parts) {
      names.push_back(name);
      EXPECT_EQ(reader.Read(name), part) << name;
      EXPECT_EQ(reader.Info(name).method, level == 0 ? 0 : 8) << name;
    }
    EXPECT_EQ(reader.EntryNames(), names);
    EXPECT_TRUE(reader.Has("xl/empty.bin"));
    EXPECT_FALSE(reader.Has("XL/EMPTY.BIN"));
  }
}

TEST(PackageTest, EmptyWriterGivesEmptyArchive) {
  PackageWriter writer;
  const std::string bytes = writer.Finish();
  EXPECT_EQ(bytes.size(), 22u);
  EXPECT_THAT(PackageReader::Open(bytes, "x.xlsx").EntryNames(), ElementsAre());
}

TEST(PackageTest, CopyFromCarriesCompressedBytesWithoutInflating) {
  std::string source_bytes;
  {
    PackageWriter writer;
    writer.Add("a.xml", Text(300000), 1);  // libzip's own level would give other bytes
    writer.Add("b.bin", Text(5000), 0);
    writer.Add("c.xml", Text(20000), 9);
    source_bytes = writer.Finish();
  }
  PackageWriter writer;
  std::vector<EntryInfo> before;
  std::vector<std::string> raws;
  {
    const PackageReader source = PackageReader::Open(source_bytes, "src.xlsx");
    for (const std::string name : {"a.xml", "b.bin", "c.xml"}) {
      writer.CopyFrom(source, name);
      before.push_back(source.Info(name));
      raws.push_back(source.ReadRaw(name));
    }
  }  // the source reader is gone before Finish
  const PackageReader copy = PackageReader::Open(writer.Finish(), "copy.xlsx");
  for (std::size_t k = 0; k < before.size(); ++k) {
    const EntryInfo after = copy.Info(before[k].name);
    SCOPED_TRACE(after.name);
    EXPECT_EQ(after.method, before[k].method);
    EXPECT_EQ(after.crc, before[k].crc);
    EXPECT_EQ(after.size, before[k].size);
    EXPECT_EQ(after.compressed_size, before[k].compressed_size);
    EXPECT_EQ(copy.ReadRaw(after.name), raws[k]);
  }
  EXPECT_EQ(before[1].method, 0) << "a stored entry stays stored";
  EXPECT_EQ(copy.Read("a.xml"), Text(300000));
}

TEST(PackageTest, WriterRefusesBadEntriesAndAddsNothing) {
  PackageWriter writer;
  writer.Add("a.xml", "1");
  const std::vector<std::pair<std::string, std::function<void()>>> refused = {
      {"parent", [&] { writer.Add("../x", ""); }},
      {"absolute", [&] { writer.Add("/abs", ""); }},
      {"backslash", [&] { writer.Add("a\\b", ""); }},
      {"inner parent", [&] { writer.Add("a/../b", ""); }},
      {"empty segment", [&] { writer.Add("a//b", ""); }},
      {"empty", [&] { writer.Add("", ""); }},
      {"NUL", [&] { writer.Add(std::string("a\0b", 3), ""); }},
      {"not UTF-8", [&] { writer.Add("\xFF.xml", ""); }},
      {"same name in other case", [&] { writer.Add("A.XML", "2"); }},
      {"level", [&] { writer.Add("b.xml", "", 10); }},
  };
  for (const auto& [what, action] : refused) {
    const auto error = Caught(action);
    ASSERT_TRUE(error) << what;
    EXPECT_EQ(error->number(), HostError::kInvalidCall) << what;
  }
  const PackageReader reader = PackageReader::Open(writer.Finish(), "x.xlsx");
  EXPECT_THAT(reader.EntryNames(), ElementsAre("a.xml"));
  EXPECT_EQ(reader.Read("a.xml"), "1");
  EXPECT_TRUE(Caught([&] { writer.Add("c.xml", ""); })) << "a finished writer takes no more";
}

TEST(PackageTest, SniffsFileKinds) {
  const struct {
    std::string bytes;
    FileKind kind;
  } cases[] = {
      {"PK\x03\x04rest", FileKind::kZip},
      {std::string("PK\x05\x06\0\0", 6), FileKind::kZip},
      {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", FileKind::kOleCompound},
      {std::string("\x09\x08\x10\x00\x00\x06\x05\x00", 8), FileKind::kBiff},
      {std::string("\x09\x00\x04\x00", 4), FileKind::kBiff},
      {"\x09\x08 tab-separated", FileKind::kUnknown},
      {"PK", FileKind::kUnknown},
      {"", FileKind::kUnknown},
  };
  for (const auto& c : cases) EXPECT_EQ(SniffFileKind(c.bytes), c.kind) << c.bytes;
}

TEST(PackageTest, RefusesFilesThatAreNotPackages) {
  const std::string valid = Package({{"[Content_Types].xml", Text(4000)}});
  const std::string ole =
      std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0');
  const std::string biff =
      std::string("\x09\x08\x10\x00\x00\x06\x05\x00", 8) + std::string(64, '\0');
  const struct {
    std::string what, bytes;
    std::vector<std::string> says;
  } cases[] = {
      {"plain text", "a,b,c\n1,2,3\n", {"ファイル「x.xlsx」", "ブック（.xlsx）ではありません"}},
      {"empty", "", {"「x.xlsx」", "空です"}},
      {"truncated", valid.substr(0, valid.size() / 2), {"「x.xlsx」", "途中までしかありません"}},
      {"encrypted or legacy", ole, {"パスワードで保護", ".xls", "xlsx 形式で保存し直して下さい"}},
      {"legacy stream", biff, {"古い形式（.xls）", "xlsx 形式で保存し直して下さい"}},
      {"legacy workbook",
       CompoundFile({"Workbook"}),
       {"ファイル「x.xlsx」は古い形式（.xls）のブック", "作成したソフトで開き", "「.xlsx」を選んで",
        "xlsx 形式で保存し直して下さい"}},
      {"password-protected workbook",
       CompoundFile({"EncryptionInfo", "EncryptedPackage"}),
       {"ファイル「x.xlsx」はパスワードで保護されたブック", "作成したソフトでパスワードを解除",
        "xlsx 形式で保存し直して下さい"}},
      {"another program's document",
       CompoundFile({"WordDocument"}),
       {"ファイル「x.xlsx」はブック（.xlsx）ではありません", "複合文書"}},
  };
  for (const auto& c : cases) {
    const std::string error = OpenError(c.bytes);
    for (const std::string& part : c.says) EXPECT_THAT(error, HasSubstr(part)) << c.what;
  }
  EXPECT_THAT(OpenError(biff), Not(HasSubstr("パスワード")));
  EXPECT_THAT(OpenError(CompoundFile({"Workbook"})), Not(HasSubstr("パスワード")));
}

// A compound file's root streams say what it is; damaged or hostile directories are told
// apart from them without reading outside the bytes or going round in a loop.
TEST(PackageTest, ClassifiesCompoundFilesByTheirRootStreams) {
  using cfb::kDirectorySector;
  using cfb::PutLittle;
  // A document whose embedded object holds a workbook stream, one storage down.
  std::string embedded = CompoundFile({"WordDocument", "ObjectPool", "Workbook"});
  PutLittle(embedded, kDirectorySector + 128 * 2 + 0x42, 1, 1);  // ObjectPool is a storage
  PutLittle(embedded, kDirectorySector + 128 * 2 + 0x48, cfb::kNoEntry, 4);
  PutLittle(embedded, kDirectorySector + 128 * 2 + 0x4C, 3, 4);  // ... holding Workbook
  std::string chain_loop = CompoundFile({"Workbook"});
  PutLittle(chain_loop, 512 + 4, 1, 4);  // the directory sector is followed by itself
  std::string sibling_loop = CompoundFile({"WordDocument", "Workbook"});
  PutLittle(sibling_loop, kDirectorySector + 128 * 2 + 0x44, 1, 4);  // back to the first
  std::string sibling_outside = CompoundFile({"Workbook"});
  PutLittle(sibling_outside, kDirectorySector + 128 + 0x48, 99, 4);
  std::string far_directory = CompoundFile({"Workbook"});
  PutLittle(far_directory, 0x30, 0xFFFFFFF0, 4);
  std::string bad_sector_size = CompoundFile({"Workbook"});
  PutLittle(bad_sector_size, 0x1E, 30, 2);
  const struct {
    const char* what;
    std::string bytes;
    CompoundContent content;
  } cases[] = {
      {"a workbook stream", CompoundFile({"Workbook"}), CompoundContent::kLegacyWorkbook},
      {"an older book stream", CompoundFile({"Book"}), CompoundContent::kLegacyWorkbook},
      {"names in any case", CompoundFile({"\x05SummaryInformation", "WORKBOOK"}),
       CompoundContent::kLegacyWorkbook},
      {"an encrypted package", CompoundFile({"EncryptionInfo", "EncryptedPackage"}),
       CompoundContent::kEncryptedPackage},
      {"a text document", CompoundFile({"WordDocument", "1Table"}), CompoundContent::kOther},
      {"an empty root", CompoundFile({}), CompoundContent::kOther},
      {"a workbook only in an embedded object", embedded, CompoundContent::kOther},
      {"a header of zeros",
       std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0'),
       CompoundContent::kUnreadable},
      {"cut before the directory", CompoundFile({"Workbook"}).substr(0, 1024),
       CompoundContent::kUnreadable},
      {"a directory chain in a loop", chain_loop, CompoundContent::kUnreadable},
      {"siblings in a loop", sibling_loop, CompoundContent::kUnreadable},
      {"a sibling outside the directory", sibling_outside, CompoundContent::kUnreadable},
      {"a directory past the end", far_directory, CompoundContent::kUnreadable},
      {"a sector size the format has not", bad_sector_size, CompoundContent::kUnreadable},
      {"not a compound file", "PK\x03\x04" + std::string(600, 'x'), CompoundContent::kUnreadable},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassifyCompoundFile(c.bytes), c.content) << c.what;
}

TEST(PackageTest, RefusesBadEntryNames) {
  const struct {
    std::vector<RawEntry> entries;
    std::vector<std::string> says;
  } cases[] = {
      {{{"../x", "1"}}, {"「../x」", "「..」"}},
      {{{"/abs", "1"}}, {"「/abs」", "絶対パス"}},
      {{{"a\\b", "1"}}, {"「a\\b」", "「\\」"}},
      {{{"a/../b", "1"}}, {"「a/../b」", "「..」"}},
      {{{std::string("a\0b.xml", 7), "1"}}, {"「a\\x00b.xml」", "NUL"}},
      {{{"\xFF\xFE.xml", "1"}}, {"「\\xFF\\xFE.xml」", "UTF-8"}},
      {{{"a.xml", "1"}, {"a.xml", "2"}}, {"エントリ名「a.xml」が重なっています"}},
      {{{"xl/a.xml", "1"}, {"XL/A.XML", "2"}}, {"「xl/a.xml」と「XL/A.XML」"}},
      {{{"\xFF.xml", "1", 0x800}}, {"壊れている"}},  // claims UTF-8 and is not
  };
  for (const auto& c : cases) {
    const std::string error = OpenError(RawZip(c.entries));
    for (const std::string& part : c.says) EXPECT_THAT(error, HasSubstr(part));
  }
  EXPECT_EQ(PackageReader::Open(RawZip({{"xl/日本語.xml", "1", 0x800}}), "x").Read("xl/日本語.xml"),
            "1");
}

// Every entry's data is checked when the package is opened, parts the workbook reader never
// parses and stored ones too: a damaged part kept as it was used to be copied into the next
// save unreported, or, stored, to fail that save after the command had reported its work.
TEST(PackageTest, AnEntryWhoseDataFailsIsRefusedAtOpenNamingIt) {
  const std::string deflated = Package({{"a.xml", Text(100000)}, {"b.xml", "fine"}});
  const std::string stored =
      RawZip({{"[Content_Types].xml", "<Types/>"}, {"customXml/item1.xml", Text(5000)}});
  const std::size_t item_at = stored.find(Text(5000));
  struct Case {
    const char* what;
    std::string bytes;
    std::string entry;
    std::string says;
  } cases[] = {
      {"deflated data damaged", deflated, "「a.xml」", "壊れていて展開できません"},
      {"a stored entry whose CRC fails", stored, "「customXml/item1.xml」",
       "壊れていて展開できません"},
  };
  cases[0].bytes[FirstDataOffset(deflated) + 200] ^= 0xFF;
  cases[0].bytes[FirstDataOffset(deflated) + 201] ^= 0xFF;
  cases[1].bytes[item_at + 40] ^= 0x01;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THAT(OpenError(c.bytes),
                AllOf(HasSubstr("「x.xlsx」"), HasSubstr(c.entry), HasSubstr(c.says)));
  }
  const PackageReader reader = PackageReader::Open(stored, "x.xlsx");
  EXPECT_EQ(reader.Read("customXml/item1.xml"), Text(5000)) << "undamaged, it opens";
  EXPECT_THAT(ErrorOf([&] { reader.Read("c.xml"); }), HasSubstr("「c.xml」がありません"));
}

// A reader that reads the big parts anyway checks each entry's data once: as Read reads it, and
// the rest when asked.
TEST(PackageTest, DataCheckedWhenReadIsCheckedOnceAndTheRestWhenAsked) {
  std::string bytes = Package({{"a.xml", Text(100000)}, {"b.xml", Text(50000)}});
  const PackageReader good =
      PackageReader::Open(bytes, "x.xlsx", {}, PackageReader::DataCheck::kWhenReadOrAsked);
  EXPECT_EQ(good.Read("a.xml"), Text(100000));
  EXPECT_NO_THROW(good.CheckEntriesNotRead());

  const std::size_t b_at = bytes.find(PackageReader::Open(bytes, "x.xlsx").ReadRaw("b.xml"));
  ASSERT_NE(b_at, std::string::npos);
  bytes[b_at + 300] ^= 0xFF;
  bytes[b_at + 301] ^= 0xFF;
  const PackageReader damaged =
      PackageReader::Open(bytes, "x.xlsx", {}, PackageReader::DataCheck::kWhenReadOrAsked);
  EXPECT_EQ(damaged.Read("a.xml"), Text(100000)) << "the undamaged entry reads";
  EXPECT_THAT(ErrorOf([&] { damaged.CheckEntriesNotRead(); }),
              AllOf(HasSubstr("「x.xlsx」"), HasSubstr("「b.xml」")))
      << "the damaged one, never read, is refused when asked";
  EXPECT_THAT(ErrorOf([&] { damaged.Read("b.xml"); }), HasSubstr("「b.xml」"));
  EXPECT_THAT(OpenError(bytes), HasSubstr("「b.xml」")) << "and at once by default";
}

// Sizes in both headers rewritten: the inflated data must be counted, not the header believed.
TEST(PackageTest, ReadCountsInflatedBytes) {
  const std::string real = Package({{"a.xml", std::string(200000, 'a')}});
  const struct {
    uint32_t announced;
    std::string says;
  } cases[] = {{1000, "記録された 1000 バイトより大きく"}, {300000, "200000 バイトで、記録された"}};
  for (const auto& c : cases) {
    std::string bytes = real;
    for (std::size_t at : {std::size_t{22}, bytes.find("PK\x01\x02") + 24}) {
      for (int k = 0; k < 4; ++k)
        bytes[at + k] = static_cast<char>((c.announced >> (8 * k)) & 0xFF);
    }
    EXPECT_THAT(OpenError(bytes), AllOf(HasSubstr("「a.xml」"), HasSubstr(c.says)));
  }
}

TEST(PackageTest, RefusesWhatBreaksTheLimits) {
  PackageLimits few;
  few.max_entries = 2;
  PackageLimits small;
  small.max_entry_size = 10;
  PackageLimits total;
  total.max_total_size = 15;
  const std::string three = Package({{"a", "1234567890"}, {"b", "1234567890"}, {"c", "x"}});
  EXPECT_THAT(OpenError(three, few), HasSubstr("エントリが多すぎます（3 個、上限 2 個）"));
  EXPECT_THAT(OpenError(Package({{"a", "12345678901"}}), small), HasSubstr("「a」は大きすぎます"));
  EXPECT_THAT(OpenError(three, total), HasSubstr("合計が上限 15 バイトを超えます"));
  EXPECT_EQ(OpenError(three, small), "(opened)");
}

TEST(PackageTest, RefusesZipBombsFromTheirHeaders) {
  EXPECT_THAT(OpenError(ZeroPackage(uint64_t{600} << 20)),
              AllOf(HasSubstr("「xl/zeros.xml」は大きすぎます"), HasSubstr("629145600 バイト")));
  EXPECT_THAT(OpenError(ZeroPackage(uint64_t{8} << 20)), HasSubstr("安全のため開きません"));
  PackageLimits lenient;
  lenient.max_ratio = 1e9;
  EXPECT_EQ(PackageReader::Open(ZeroPackage(uint64_t{8} << 20), "x", lenient).Read("xl/zeros.xml"),
            std::string(uint64_t{8} << 20, '\0'));
}

}  // namespace
}  // namespace tarquel::host::xlsx
