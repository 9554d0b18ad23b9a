#include "host/xlsx/package.h"

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "host/host_error.h"
#include "host/utf16.h"

namespace tarquel::host::xlsx {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

[[noreturn]] void Refuse(const std::string& description) {
  throw HostError(HostError::kApplicationDefined, description);
}

[[noreturn]] void RefuseCall(const std::string& description) {
  throw HostError(HostError::kInvalidCall, description);
}

std::string Quoted(std::string_view text) { return "「" + std::string(text) + "」"; }

// A name as a message can show it: bytes that are not printable UTF-8 become \xNN, and very long
// names are cut, so that a hostile name cannot garble or flood the message.
std::string Shown(std::string_view name) {
  constexpr std::size_t kMaxShown = 200;
  std::string out;
  std::size_t i = 0;
  while (i < name.size() && out.size() < kMaxShown) {
    const auto byte = static_cast<unsigned char>(name[i]);
    std::size_t length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
    if (byte >= 0x80 && (i + length > name.size() || !IsValidUtf8(name.substr(i, length)))) {
      length = 0;
    }
    if (length == 0 || byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
      ++i;
    } else {
      out.append(name.substr(i, length));
      i += length;
    }
  }
  if (i < name.size()) out += "…";
  return out;
}

std::string InFile(const std::string& file) { return "ファイル" + Quoted(file); }

constexpr char kSaveAsXlsx[] =
    "このファイルを作成したソフトで開き、ファイルの種類に「.xlsx」を選んで xlsx 形式で保存し直し"
    "て下さい。";

std::string EntryOf(const std::string& file, std::string_view entry) {
  return InFile(file) + "のエントリ" + Quoted(Shown(entry));
}

// Why `name` cannot name an entry, or empty when it can. Entry names become paths in the part
// name space of the package: anything that could climb out of it, mean a different entry on
// another system or hide behind a C string's end is refused.
std::string NameProblem(std::string_view name) {
  if (name.empty()) return "名前が空です";
  if (name.find('\0') != std::string_view::npos) return "NUL 文字を含みます";
  if (!IsValidUtf8(name)) return "UTF-8 として正しくない名前です";
  if (name.find('\\') != std::string_view::npos) return "「\\」を含みます";
  if (name.front() == '/') return "絶対パスです";
  if (name.size() >= 2 && name[1] == ':' &&
      ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'))) {
    return "ドライブ名で始まる絶対パスです";
  }
  std::size_t start = 0;
  while (start < name.size()) {
    const std::size_t slash = std::min(name.find('/', start), name.size());
    const std::string_view segment = name.substr(start, slash - start);
    if (segment == "..") return "「..」を含みます";
    if (segment == ".") return "「.」だけのフォルダ名を含みます";
    if (segment.empty()) return "空のフォルダ名を含みます";
    start = slash + 1;  // a trailing '/' marks a folder entry and ends the loop
  }
  return {};
}

[[noreturn]] void RefuseDuplicate(const std::string& file, const std::string& first,
                                  const std::string& second) {
  std::string names = Quoted(Shown(first));
  if (second != first) names += "と" + Quoted(Shown(second));
  Refuse(InFile(file) + "はエントリ名" + names + "が重なっています。");
}

// Part names are compared ignoring case, so "a.xml" and "A.XML" are one part to any consumer of
// the package; only ASCII is folded, as that is all the names of real packages use.
std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

std::string SpacedNul(std::string name) {
  std::replace(name.begin(), name.end(), '\0', ' ');
  return name;
}

uint64_t Little(std::string_view bytes, std::size_t at, int width) {
  uint64_t value = 0;
  for (int k = width - 1; k >= 0; --k) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + k]);
  }
  return value;
}

// The names of the central directory that ends at the end record `eocd`, exactly as stored, or
// nullopt when the directory cannot be walked.
std::optional<std::vector<std::string>> WalkCentralDirectory(std::string_view bytes,
                                                             std::size_t eocd) {
  uint64_t entries = Little(bytes, eocd + 10, 2);
  uint64_t offset = Little(bytes, eocd + 16, 4);
  if (eocd >= 20 && bytes.substr(eocd - 20, 4) == "PK\x06\x07") {
    const uint64_t record = Little(bytes, eocd - 20 + 8, 8);
    if (record > bytes.size() || bytes.size() - record < 56 ||
        bytes.substr(record, 4) != "PK\x06\x06") {
      return std::nullopt;
    }
    entries = Little(bytes, record + 32, 8);
    offset = Little(bytes, record + 48, 8);
  }
  std::vector<std::string> names;
  uint64_t at = offset;
  for (uint64_t k = 0; k < entries; ++k) {
    if (at > bytes.size() || bytes.size() - at < 46 || bytes.substr(at, 4) != "PK\x01\x02") {
      return std::nullopt;
    }
    const uint64_t name_length = Little(bytes, at + 28, 2);
    const uint64_t rest = name_length + Little(bytes, at + 30, 2) + Little(bytes, at + 32, 2);
    if (bytes.size() - at - 46 < name_length) return std::nullopt;
    names.emplace_back(bytes.substr(at + 46, name_length));
    at += 46 + rest;
  }
  return names;
}

// The raw entry names, in archive order. libzip turns a NUL inside a name into a space (and may
// take a name from an extra field instead), and a name that hides a NUL must be refused rather
// than renamed, so the central directory is walked here too. Of the end records near the end of
// the file, the one whose directory agrees with libzip is taken, else the first whose directory
// has as many entries (any that can be walked when `libzip_names` is null); nullopt when there is
// none.
std::optional<std::vector<std::string>> RawNames(std::string_view bytes,
                                                 const std::vector<std::string>* libzip_names) {
  if (bytes.size() < 22) return std::nullopt;
  std::optional<std::vector<std::string>> fallback;
  const std::size_t last = bytes.size() - 22;
  const std::size_t first = last > 0xFFFF ? last - 0xFFFF : 0;
  for (std::size_t eocd = last + 1; eocd-- > first;) {
    if (bytes.substr(eocd, 4) != "PK\x05\x06") continue;
    std::optional<std::vector<std::string>> names = WalkCentralDirectory(bytes, eocd);
    if (!names) continue;
    if (libzip_names == nullptr) return names;
    if (names->size() != libzip_names->size()) continue;
    bool same = true;
    for (std::size_t k = 0; k < names->size() && same; ++k) {
      same = SpacedNul((*names)[k]) == (*libzip_names)[k];
    }
    if (same) return names;
    if (!fallback) fallback = std::move(names);
  }
  return fallback;
}

// The date of added entries: 1980-01-01 00:00 local time, the earliest a zip header holds,
// converted back to the same fields by libzip whatever the time zone.
time_t FixedEntryTime() {
  std::tm fields{};
  fields.tm_year = 80;
  fields.tm_mday = 1;
  fields.tm_isdst = -1;
  return std::mktime(&fields);
}

struct ErrorHolder {
  ErrorHolder() { zip_error_init(&error); }
  ~ErrorHolder() { zip_error_fini(&error); }
  ErrorHolder(const ErrorHolder&) = delete;
  ErrorHolder& operator=(const ErrorHolder&) = delete;
  std::string Text() { return zip_error_strerror(&error); }
  zip_error_t error;
};

struct FileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using FilePtr = std::unique_ptr<zip_file_t, FileCloser>;

std::string ArchiveErrorText(zip_t* archive) {
  std::string text = zip_error_strerror(zip_get_error(archive));
  zip_error_clear(archive);
  return text;
}

// Inflates entry `index` without keeping its bytes and refuses it, as Read does, when the data
// cannot be inflated, fails its CRC (libzip checks it at the end of the data of an entry read
// uncompressed, stored or deflated) or is longer or shorter than announced. An entry of a method
// that cannot be read is carried as it is and not checked.
void CheckEntryData(zip_t* archive, uint64_t index, const EntryInfo& info,
                    const std::string& file) {
  if (info.method != ZIP_CM_STORE && info.method != ZIP_CM_DEFLATE) return;
  const std::string where = EntryOf(file, info.name);
  FilePtr data(zip_fopen_index(archive, index, 0));
  if (data == nullptr) Refuse(where + "を読めません（" + ArchiveErrorText(archive) + "）。");
  std::vector<char> chunk(kChunk);
  uint64_t total = 0;
  for (;;) {
    const uint64_t wanted = std::min<uint64_t>(chunk.size(), info.size + 1 - total);
    const zip_int64_t got = zip_fread(data.get(), chunk.data(), wanted);
    if (got < 0) {
      Refuse(where + "は壊れていて展開できません（" +
             std::string(zip_error_strerror(zip_file_get_error(data.get()))) + "）。");
    }
    if (got == 0) break;
    total += static_cast<uint64_t>(got);
    if (total > info.size) {
      Refuse(where + "は壊れています（展開すると記録された " + std::to_string(info.size) +
             " バイトより大きくなります）。");
    }
  }
  if (total != info.size) {
    Refuse(where + "は壊れています（展開すると " + std::to_string(total) +
           " バイトで、記録された " + std::to_string(info.size) + " バイトより小さくなります）。");
  }
}

}  // namespace

FileKind SniffFileKind(std::string_view first_bytes) {
  if (first_bytes.starts_with("PK\x03\x04") || first_bytes.starts_with("PK\x05\x06")) {
    return FileKind::kZip;
  }
  if (first_bytes.starts_with(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))) {
    return FileKind::kOleCompound;
  }
  // A BOF record: type 0x0009, 0x0209, 0x0409 or 0x0809, then a length that only BOF records of
  // the four versions have.
  if (first_bytes.size() >= 4 && first_bytes[0] == 0x09) {
    const auto version = static_cast<unsigned char>(first_bytes[1]);
    const uint64_t length = Little(first_bytes, 2, 2);
    if ((version == 0x00 || version == 0x02 || version == 0x04 || version == 0x08) && length >= 4 &&
        length <= 20) {
      return FileKind::kBiff;
    }
  }
  return FileKind::kUnknown;
}

CompoundContent ClassifyCompoundFile(std::string_view bytes) {
  constexpr uint64_t kEndOfChain = 0xFFFFFFFE;
  constexpr uint64_t kNoEntry = 0xFFFFFFFF;
  constexpr std::size_t kHeaderFatSectors = 109;
  constexpr std::size_t kEntrySize = 128;
  if (bytes.size() < 512 || SniffFileKind(bytes) != FileKind::kOleCompound) {
    return CompoundContent::kUnreadable;
  }
  const uint64_t shift = Little(bytes, 0x1E, 2);
  if (shift != 9 && shift != 12) return CompoundContent::kUnreadable;
  const uint64_t sector_size = uint64_t{1} << shift;
  const uint64_t per_sector = sector_size / 4;
  // No chain can be longer than the file has sectors; a longer one loops.
  const uint64_t max_hops = bytes.size() >> shift;
  // Sector n follows the header, which takes the room of one sector.
  auto sector_at = [&](uint64_t sector) -> std::optional<std::size_t> {
    if (sector >= max_hops) return std::nullopt;
    const uint64_t at = (sector + 1) << shift;
    if (at + sector_size > bytes.size()) return std::nullopt;
    return static_cast<std::size_t>(at);
  };
  // The sector holding the index-th part of the allocation table: the header lists the first
  // 109, a chain of list sectors the rest.
  auto table_sector = [&](uint64_t index) -> std::optional<uint64_t> {
    if (index < kHeaderFatSectors) return Little(bytes, 0x4C + 4 * index, 4);
    index -= kHeaderFatSectors;
    uint64_t list = Little(bytes, 0x44, 4);
    for (uint64_t hop = 0; hop < max_hops; ++hop) {
      const std::optional<std::size_t> at = sector_at(list);
      if (!at) return std::nullopt;
      if (index < per_sector - 1) return Little(bytes, *at + 4 * index, 4);
      index -= per_sector - 1;
      list = Little(bytes, *at + sector_size - 4, 4);
    }
    return std::nullopt;
  };
  auto next_sector = [&](uint64_t sector) -> std::optional<uint64_t> {
    const std::optional<uint64_t> table = table_sector(sector / per_sector);
    if (!table) return std::nullopt;
    const std::optional<std::size_t> at = sector_at(*table);
    if (!at) return std::nullopt;
    return Little(bytes, *at + 4 * (sector % per_sector), 4);
  };

  std::string directory;
  uint64_t sector = Little(bytes, 0x30, 4);
  for (uint64_t hop = 0; sector != kEndOfChain; ++hop) {
    const std::optional<std::size_t> at = sector_at(sector);
    const std::optional<uint64_t> next = next_sector(sector);
    if (hop >= max_hops || !at || !next) return CompoundContent::kUnreadable;
    directory.append(bytes.substr(*at, sector_size));
    sector = *next;
  }
  const std::size_t entries = directory.size() / kEntrySize;
  if (entries == 0 || directory[0x42] != 5) return CompoundContent::kUnreadable;  // no root

  // The root's children are a tree of entries linked by their left and right siblings.
  bool workbook = false;
  bool encrypted = false;
  std::vector<bool> seen(entries);
  std::vector<uint64_t> pending{Little(directory, 0x4C, 4)};
  while (!pending.empty()) {
    const uint64_t id = pending.back();
    pending.pop_back();
    if (id == kNoEntry) continue;
    if (id >= entries || seen[id]) return CompoundContent::kUnreadable;
    seen[id] = true;
    const std::string_view entry = std::string_view(directory).substr(id * kEntrySize, kEntrySize);
    pending.push_back(Little(entry, 0x44, 4));
    pending.push_back(Little(entry, 0x48, 4));
    if (entry[0x42] != 2) continue;  // only streams tell
    // The name is UTF-16 with its terminating NUL counted; the names looked for are ASCII, and
    // the format compares names without regard to case.
    const uint64_t length = std::min<uint64_t>(Little(entry, 0x40, 2), 64) / 2;
    std::string name;
    for (uint64_t k = 0; k + 1 < length; ++k) {
      const uint64_t unit = Little(entry, 2 * k, 2);
      name += unit < 0x80 ? static_cast<char>(std::tolower(static_cast<int>(unit))) : '?';
    }
    workbook = workbook || name == "workbook" || name == "book";
    encrypted = encrypted || name == "encryptedpackage";
  }
  if (encrypted) return CompoundContent::kEncryptedPackage;
  if (workbook) return CompoundContent::kLegacyWorkbook;
  return CompoundContent::kOther;
}

struct PackageReader::State {
  State() = default;
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  ~State() {
    if (archive != nullptr) zip_discard(archive);
  }

  std::string bytes;  // what libzip reads; the State never moves, so neither does the buffer
  std::string file_name;
  zip_t* archive = nullptr;
  std::vector<EntryInfo> entries;  // by libzip index
  std::unordered_map<std::string, uint64_t> index;
  // By libzip index: whether the entry's data was checked, at Open or by reading it whole.
  mutable std::vector<bool> data_checked;
};

PackageReader::PackageReader(std::shared_ptr<State> state) : state_(std::move(state)) {}
PackageReader::PackageReader(PackageReader&&) noexcept = default;
PackageReader& PackageReader::operator=(PackageReader&&) noexcept = default;
PackageReader::~PackageReader() = default;

PackageReader PackageReader::Open(std::string bytes, const std::string& name,
                                  const PackageLimits& limits, DataCheck data_check) {
  auto state = std::make_shared<State>();
  state->bytes = std::move(bytes);
  state->file_name = name;
  const std::string& file = state->file_name;
  switch (SniffFileKind(state->bytes)) {
    case FileKind::kZip:
      break;
    case FileKind::kOleCompound:
      switch (ClassifyCompoundFile(state->bytes)) {
        case CompoundContent::kLegacyWorkbook:
          Refuse(InFile(file) + "は古い形式（.xls）のブックのため開けません。" + kSaveAsXlsx);
        case CompoundContent::kEncryptedPackage:
          Refuse(InFile(file) +
                 "はパスワードで保護されたブックのため開けません。このファイルを作成したソフト"
                 "でパスワードを解除し、xlsx 形式で保存し直して下さい。");
        case CompoundContent::kOther:
          Refuse(InFile(file) +
                 "はブック（.xlsx）ではありません（ブックを含まない複合文書ファイルです）。");
        case CompoundContent::kUnreadable:
          Refuse(InFile(file) +
                 "はパスワードで保護されたブックか、古い形式（.xls）のブックのため開けません。"
                 "このファイルを作成したソフトで開き、パスワードがあれば解除して、ファイルの"
                 "種類に「.xlsx」を選んで xlsx 形式で保存し直して下さい。");
      }
      break;
    case FileKind::kBiff:
      Refuse(InFile(file) +
             "は古い形式（.xls）のブックのため開けません。xlsx 形式で保存し直して下さい。");
    case FileKind::kUnknown:
      if (state->bytes.empty()) Refuse(InFile(file) + "は空です。ブック（.xlsx）ではありません。");
      Refuse(InFile(file) +
             "はブック（.xlsx）ではありません（zip 形式のファイルではありません）。");
  }

  ErrorHolder error;
  zip_source_t* source =
      zip_source_buffer_create(state->bytes.data(), state->bytes.size(), 0, &error.error);
  if (source == nullptr) Refuse(InFile(file) + "を読めません（" + error.Text() + "）。");
  state->archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error.error);
  if (state->archive == nullptr) {
    zip_source_free(source);  // only an archive that opened owns its source
    if (zip_error_code_zip(&error.error) == ZIP_ER_EXISTS) {
      // libzip refuses an archive with two entries of one name; say which name it is.
      std::unordered_set<std::string> seen;
      for (const std::string& entry :
           RawNames(state->bytes, nullptr).value_or(std::vector<std::string>{})) {
        if (!seen.insert(entry).second) RefuseDuplicate(file, entry, entry);
      }
    }
    Refuse(InFile(file) + "は壊れているか、途中までしかありません（zip として読めません: " +
           error.Text() + "）。");
  }

  const zip_int64_t count = zip_get_num_entries(state->archive, 0);
  if (count < 0 || static_cast<uint64_t>(count) > limits.max_entries) {
    Refuse(InFile(file) + "はエントリが多すぎます（" + std::to_string(count) + " 個、上限 " +
           std::to_string(limits.max_entries) + " 個）。");
  }
  std::vector<std::string> libzip_names;
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* raw = zip_get_name(state->archive, static_cast<uint64_t>(i), ZIP_FL_ENC_RAW);
    if (raw == nullptr) {
      Refuse(InFile(file) + "は壊れています（エントリ名を読めません: " +
             ArchiveErrorText(state->archive) + "）。");
    }
    libzip_names.emplace_back(raw);
  }
  std::optional<std::vector<std::string>> names = RawNames(state->bytes, &libzip_names);
  if (!names) Refuse(InFile(file) + "は壊れています（中央ディレクトリが正しくありません）。");

  std::unordered_map<std::string, std::string> folded_names;
  uint64_t total = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    const std::string& entry = (*names)[static_cast<std::size_t>(i)];
    if (SpacedNul(entry) != libzip_names[static_cast<std::size_t>(i)]) {
      Refuse(EntryOf(file, entry) + "は名前が二通りに記録されています（" +
             Quoted(Shown(libzip_names[static_cast<std::size_t>(i)])) + "）。");
    }
    if (const std::string problem = NameProblem(entry); !problem.empty()) {
      Refuse(EntryOf(file, entry) + "は名前として使えません（" + problem + "）。");
    }
    if (auto [it, added] = folded_names.emplace(Folded(entry), entry); !added) {
      RefuseDuplicate(file, it->second, entry);
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(state->archive, static_cast<uint64_t>(i), ZIP_FL_ENC_RAW, &stat) < 0) {
      Refuse(EntryOf(file, entry) + "を読めません（" + ArchiveErrorText(state->archive) + "）。");
    }
    constexpr uint64_t kNeeded =
        ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD;
    if ((stat.valid & kNeeded) != kNeeded) {
      Refuse(EntryOf(file, entry) + "は壊れています（大きさが記録されていません）。");
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && stat.encryption_method != ZIP_EM_NONE) {
      Refuse(EntryOf(file, entry) + "は暗号化されているため読めません。");
    }
    if (stat.size > limits.max_entry_size) {
      Refuse(EntryOf(file, entry) + "は大きすぎます（展開後 " + std::to_string(stat.size) +
             " バイト、上限 " + std::to_string(limits.max_entry_size) + " バイト）。");
    }
    total += stat.size;  // cannot wrap: each term is at most max_entry_size
    if (total > limits.max_total_size) {
      Refuse(InFile(file) + "は展開後の大きさの合計が上限 " +
             std::to_string(limits.max_total_size) + " バイトを超えます。");
    }
    if (stat.size > PackageLimits::kRatioCheckedAbove) {
      const double ratio = static_cast<double>(stat.size) /
                           static_cast<double>(std::max<uint64_t>(stat.comp_size, 1));
      if (ratio > limits.max_ratio) {
        Refuse(EntryOf(file, entry) + "は展開すると圧縮時の " +
               std::to_string(static_cast<uint64_t>(ratio)) + " 倍（上限 " +
               std::to_string(static_cast<uint64_t>(limits.max_ratio)) +
               " 倍）になるため、安全のため開きません。");
      }
    }
    state->entries.push_back(
        EntryInfo{entry, stat.comp_method, stat.crc, stat.size, stat.comp_size});
    state->index.emplace(entry, static_cast<uint64_t>(i));
  }
  // Every entry's data is checked now, those the workbook reader never parses too: a damaged
  // part kept as it is would otherwise be copied into the next save unreported, or, stored,
  // fail that save after the command had reported its work done.
  state->data_checked.assign(state->entries.size(), false);
  PackageReader reader(std::move(state));
  if (data_check == DataCheck::kAtOpen) reader.CheckEntriesNotRead();
  return reader;
}

void PackageReader::CheckEntriesNotRead() const {
  for (uint64_t index = 0; index < state_->entries.size(); ++index) {
    if (state_->data_checked[index]) continue;
    CheckEntryData(state_->archive, index, state_->entries[index], state_->file_name);
    state_->data_checked[index] = true;
  }
}

const std::string& PackageReader::name() const { return state_->file_name; }

const std::string& PackageReader::bytes() const { return state_->bytes; }

std::vector<std::string> PackageReader::EntryNames() const {
  std::vector<std::string> names;
  names.reserve(state_->entries.size());
  for (const EntryInfo& info : state_->entries) names.push_back(info.name);
  return names;
}

bool PackageReader::Has(const std::string& entry) const { return state_->index.contains(entry); }

uint64_t PackageReader::IndexOf(const std::string& entry) const {
  const auto it = state_->index.find(entry);
  if (it == state_->index.end()) Refuse(EntryOf(state_->file_name, entry) + "がありません。");
  return it->second;
}

EntryInfo PackageReader::Info(const std::string& entry) const {
  return state_->entries[IndexOf(entry)];
}

std::string PackageReader::Read(const std::string& entry) const {
  const uint64_t index = IndexOf(entry);
  const EntryInfo& info = state_->entries[index];
  const std::string where = EntryOf(state_->file_name, entry);
  if (info.method != ZIP_CM_STORE && info.method != ZIP_CM_DEFLATE) {
    Refuse(where + "は対応していない圧縮方式（" + std::to_string(info.method) +
           "）のため読めません。");
  }
  FilePtr file(zip_fopen_index(state_->archive, index, 0));
  if (file == nullptr) {
    Refuse(where + "を読めません（" + ArchiveErrorText(state_->archive) + "）。");
  }
  // The sizes were checked against the limits at Open, but they are only what the headers
  // claim: stop as soon as the data gives one byte more than announced.
  // Room for what the header announces (the limits and the ratio checked at Open bound it), so
  // that a sheet part of tens of megabytes is not copied as it grows.
  // The data is inflated straight into the result, one byte beyond the size announced so that
  // more data shows.
  std::string out;
  std::size_t filled = 0;
  for (;;) {
    if (out.size() - filled < kChunk) {
      out.resize(std::max(out.size() + kChunk, static_cast<std::size_t>(std::min<uint64_t>(
                                                   info.size + 1, uint64_t{128} << 20))));
    }
    const uint64_t wanted = std::min<uint64_t>(out.size() - filled, info.size + 1 - filled);
    const zip_int64_t got = zip_fread(file.get(), out.data() + filled, wanted);
    if (got < 0) {
      Refuse(where + "は壊れていて展開できません（" +
             std::string(zip_error_strerror(zip_file_get_error(file.get()))) + "）。");
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
    if (filled > info.size) {
      Refuse(where + "は壊れています（展開すると記録された " + std::to_string(info.size) +
             " バイトより大きくなります）。");
    }
  }
  out.resize(filled);
  if (out.size() != info.size) {
    Refuse(where + "は壊れています（展開すると " + std::to_string(out.size()) +
           " バイトで、記録された " + std::to_string(info.size) + " バイトより小さくなります）。");
  }
  state_->data_checked[index] = true;
  return out;
}

std::string PackageReader::ReadRaw(const std::string& entry) const {
  const uint64_t index = IndexOf(entry);
  const EntryInfo& info = state_->entries[index];
  const std::string where = EntryOf(state_->file_name, entry);
  FilePtr file(zip_fopen_index(state_->archive, index, ZIP_FL_COMPRESSED));
  if (file == nullptr) {
    Refuse(where + "を読めません（" + ArchiveErrorText(state_->archive) + "）。");
  }
  std::string out;
  char chunk[kChunk];
  for (;;) {
    const uint64_t wanted = std::min<uint64_t>(sizeof chunk, info.compressed_size + 1 - out.size());
    const zip_int64_t got = zip_fread(file.get(), chunk, wanted);
    if (got < 0) {
      Refuse(where + "を読めません（" +
             std::string(zip_error_strerror(zip_file_get_error(file.get()))) + "）。");
    }
    if (got == 0) break;
    out.append(chunk, static_cast<std::size_t>(got));
    if (out.size() > info.compressed_size) break;
  }
  if (out.size() != info.compressed_size) {
    Refuse(where + "は壊れています（圧縮データの長さが記録と違います）。");
  }
  return out;
}

void PackageWriter::ZipCloser::operator()(zip* archive) const { zip_discard(archive); }
void PackageWriter::SourceFreer::operator()(zip_source* source) const { zip_source_free(source); }

PackageWriter::PackageWriter() {
  ErrorHolder error;
  zip_source_t* output = zip_source_buffer_create(nullptr, 0, 0, &error.error);
  if (output == nullptr) Refuse("パッケージを作れません（" + error.Text() + "）。");
  output_.reset(output);
  // One reference for the archive, one for reading the bytes back after zip_close.
  zip_source_keep(output);
  zip_t* archive = zip_open_from_source(output, ZIP_TRUNCATE, &error.error);
  if (archive == nullptr) {
    zip_source_free(output);
    Refuse("パッケージを作れません（" + error.Text() + "）。");
  }
  archive_.reset(archive);
}

PackageWriter::~PackageWriter() = default;

void PackageWriter::CheckOpen() const {
  if (archive_ == nullptr) RefuseCall("パッケージはもう書き終えています。");
}

std::string PackageWriter::Admit(const std::string& entry) const {
  if (const std::string problem = NameProblem(entry); !problem.empty()) {
    RefuseCall("エントリ名" + Quoted(Shown(entry)) + "は使えません（" + problem + "）。");
  }
  std::string folded = Folded(entry);
  if (folded_names_.contains(folded)) {
    RefuseCall("エントリ" + Quoted(Shown(entry)) + "はもう加えてあります。");
  }
  return folded;
}

void PackageWriter::Add(const std::string& entry, std::string bytes, int level) {
  CheckOpen();
  if (level < 0 || level > 9) {
    RefuseCall("圧縮レベル " + std::to_string(level) + " は使えません（0 から 9 までです）。");
  }
  auto part = std::make_unique<std::string>(std::move(bytes));
  parts_.reserve(parts_.size() + 1);
  AddEntry(
      entry,
      [&](zip_t* archive) -> zip_source_t* {
        return zip_source_buffer(archive, part->data(), part->size(), 0);
      },
      [&](zip_t* archive, uint64_t index) {
        return zip_set_file_compression(archive, index, level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                        static_cast<uint32_t>(level)) == 0 &&
               zip_file_set_mtime(archive, index, FixedEntryTime(), 0) == 0;
      });
  parts_.push_back(std::move(part));
}

void PackageWriter::CopyFrom(const PackageReader& source, const std::string& entry) {
  CheckOpen();
  const uint64_t from = source.IndexOf(entry);
  const uint16_t method = source.state_->entries[from].method;
  copied_from_.reserve(copied_from_.size() + 1);
  AddEntry(
      entry,
      [&](zip_t* archive) {
        // ZIP_FL_COMPRESSED hands over the stored bytes as they are; libzip then writes them
        // without recompressing, with the source's method, CRC, sizes and date.
        return zip_source_zip(archive, source.state_->archive, from, ZIP_FL_COMPRESSED, 0, -1);
      },
      [&](zip_t* archive, uint64_t index) {
        // Without this libzip would deflate a stored entry, taking it for data still to compress.
        return method != ZIP_CM_STORE ||
               zip_set_file_compression(archive, index, ZIP_CM_STORE, 0) == 0;
      });
  copied_from_.push_back(source.state_);
}

void PackageWriter::AddEntry(const std::string& entry,
                             const std::function<zip_source_t*(zip_t*)>& make_source,
                             const std::function<bool(zip_t*, uint64_t)>& configure) {
  const std::string folded = Admit(entry);
  folded_names_.insert(folded);
  zip_t* archive = archive_.get();
  const auto refuse = [&](const std::string& why) {
    folded_names_.erase(folded);
    Refuse("エントリ" + Quoted(entry) + "を加えられません（" + why + "）。");
  };
  zip_source_t* source = make_source(archive);
  if (source == nullptr) refuse(ArchiveErrorText(archive));
  const zip_int64_t index = zip_file_add(archive, entry.c_str(), source, ZIP_FL_ENC_UTF_8);
  if (index < 0) {
    zip_source_free(source);
    refuse(ArchiveErrorText(archive));
  }
  if (!configure(archive, static_cast<uint64_t>(index))) {
    const std::string why = ArchiveErrorText(archive);
    zip_delete(archive, static_cast<uint64_t>(index));
    refuse(why);
  }
  ++entries_;
}

std::string PackageWriter::Finish() {
  CheckOpen();
  if (entries_ == 0) {
    archive_.reset();
    return std::string("PK\x05\x06", 4) + std::string(18, '\0');
  }
  zip_t* archive = archive_.get();
  if (zip_close(archive) < 0) {
    const std::string why = ArchiveErrorText(archive);
    archive_.reset();
    Refuse("パッケージを書き出せません（" + why + "）。");
  }
  static_cast<void>(archive_.release());  // zip_close has freed it

  zip_source_t* output = output_.get();
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_source_stat(output, &stat) < 0 || zip_source_open(output) < 0) {
    Refuse("パッケージを書き出せません（" +
           std::string(zip_error_strerror(zip_source_error(output))) + "）。");
  }
  std::string bytes;
  if ((stat.valid & ZIP_STAT_SIZE) != 0) bytes.reserve(static_cast<std::size_t>(stat.size));
  char chunk[kChunk];
  zip_int64_t got;
  while ((got = zip_source_read(output, chunk, sizeof chunk)) > 0) {
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  const bool failed = got < 0;
  zip_source_close(output);
  if (failed) {
    Refuse("パッケージを書き出せません（" +
           std::string(zip_error_strerror(zip_source_error(output))) + "）。");
  }
  parts_.clear();
  copied_from_.clear();
  return bytes;
}

}  // namespace tarquel::host::xlsx
