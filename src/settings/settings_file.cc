#include "settings/settings_file.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "host/host_error.h"
#include "host/platform/cp932.h"
#include "host/platform/platform.h"
#include "host/utf16.h"
#include "settings/keys.h"

namespace tarquel::settings {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kCrLf = "\r\n";

// How the file's bytes are text. A file keeps its encoding through every write.
enum class Encoding { kCp932, kUtf8, kUtf8WithBom };

// The file's bytes after any byte-order mark, and their encoding.
struct SettingsText {
  Encoding encoding = Encoding::kCp932;
  std::string content;
};

const char* EncodingName(Encoding encoding) {
  return encoding == Encoding::kCp932 ? "CP932" : "UTF-8";
}

// CP932 lead bytes 0x81..0x9F are UTF-8 continuation bytes, so Japanese text in CP932 is not
// valid UTF-8; ASCII alone is both, and is read as CP932 like a file of no other text. Bytes
// that are neither stay CP932, decoded (and reported) only when their key is read.
Encoding DetectEncoding(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) return Encoding::kUtf8WithBom;
  const bool ascii = std::ranges::all_of(bytes, [](char c) { return (c & 0x80) == 0; });
  if (!ascii && host::IsValidUtf8(bytes)) return Encoding::kUtf8;
  return Encoding::kCp932;
}

[[noreturn]] void ThrowAccessError(const std::string& detail) {
  throw host::HostError(host::HostError::kPathFileAccess,
                        "パス名またはファイル名が無効です。\r\n" + detail);
}

[[noreturn]] void ThrowTooLarge(const std::string& path, uint64_t size) {
  ThrowAccessError("設定ファイル " + path + " は大きすぎるため読みません（" + std::to_string(size) +
                   " バイト、上限 " + std::to_string(kMaxSettingsBytes) +
                   " バイト）。設定ファイルではないものか、壊れたファイルです。別の場所へ移すか"
                   "削除すると、設定は既定値から始まります。");
}

host::Platform& PlatformOf(const SettingsLocation& location) {
  if (location.platform == nullptr) ThrowAccessError("設定ファイルの場所が決まっていません。");
  return *location.platform;
}

void EnsureFolder(host::Platform& platform, const std::string& folder) {
  if (platform.FolderExists(folder) || platform.FileExists(folder)) return;
  if (auto error = platform.CreateFolder(folder)) {
    throw host::HostError(host::HostError::kPathNotFound,
                          "パスが見つかりません。\r\n" + error->message);
  }
}

// The file's text, or nullopt when there is no file. A file larger than kMaxSettingsBytes is
// refused: it is no settings file the program or the add-in wrote.
std::optional<SettingsText> ReadSettingsText(host::Platform& platform, const std::string& path) {
  if (!platform.FileExists(path)) return std::nullopt;
  if (const auto stamp = platform.Stamp(path); stamp && stamp->size > kMaxSettingsBytes) {
    ThrowTooLarge(path, stamp->size);
  }
  host::PlatformError error;
  std::optional<std::string> bytes = platform.ReadFile(path, &error);
  if (!bytes) {
    if (error.not_found) return std::nullopt;
    ThrowAccessError(error.message);
  }
  if (bytes->size() > kMaxSettingsBytes) ThrowTooLarge(path, bytes->size());
  SettingsText text;
  text.encoding = DetectEncoding(*bytes);
  if (text.encoding == Encoding::kUtf8WithBom) bytes->erase(0, kUtf8Bom.size());
  text.content = std::move(*bytes);
  return text;
}

// The bytes of `value` in `encoding`; nullopt when it cannot hold the value or would read it
// back as other text (a wave dash written as 0x8160 reads back as a full-width tilde).
std::optional<std::string> EncodeValue(std::string_view value, Encoding encoding) {
  if (encoding == Encoding::kCp932) return host::Utf8ToCp932Exactly(value);
  if (host::IsValidUtf8(value)) return std::string(value);
  return std::nullopt;
}

// The first character of `value` that `encoding` cannot keep, as 「〜」（U+301C）, so that a
// character that looks like a storable one can be told apart; empty when `value` is no text.
std::string UnstorableCharacter(std::string_view value, Encoding encoding) {
  if (!host::IsValidUtf8(value)) return "";
  for (std::size_t pos = 0; pos < value.size();) {
    const std::size_t start = pos;
    const char32_t ch = host::DecodeUtf8(value, &pos);
    if (EncodeValue(value.substr(start, pos - start), encoding)) continue;
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(ch));
    return "「" + std::string(value.substr(start, pos - start)) + "」（" + code + "）";
  }
  return "";
}

std::string StoredValue(std::string_view value, Encoding encoding, const std::string& path) {
  if (auto bytes = EncodeValue(value, encoding)) return *bytes;
  throw host::HostError(host::HostError::kInvalidCall,
                        "設定値「" + std::string(value) + "」には設定ファイルの文字コード（" +
                            EncodingName(encoding) + "）で書けない文字" +
                            UnstorableCharacter(value, encoding) + "があります。\r\n" + path +
                            " は変更していません。");
}

std::string DecodeValue(std::string_view bytes, Encoding encoding, const std::string& path,
                        std::size_t line_number) {
  if (encoding != Encoding::kCp932) {
    if (host::IsValidUtf8(bytes)) return std::string(bytes);
  } else if (auto text = host::Cp932ToUtf8(bytes)) {
    return *text;
  }
  ThrowAccessError(path + " の " + std::to_string(line_number) + " 行目の値が " +
                   EncodingName(encoding) + " の文字として読めません。");
}

// The file's content after one write of `key`: `stored_value` is already in the file's
// encoding and `content` is nullopt when there is no file. Built as the add-in always has:
// the lines before the key, the key's line, the lines after.
std::string ApplySetting(const std::optional<std::string>& content, std::string_view key,
                         std::string_view stored_value, bool delete_key) {
  const std::string prefix = std::string(key) + ":";
  if (!content) return prefix + std::string(stored_value) + std::string(kCrLf);
  std::string before, line, after;
  // Each part grows at its end, so a file of many lines is rebuilt in time in proportion to its
  // size. A part that is still empty takes the line as it is, and so drops blank lines at its
  // start, as the add-in did.
  auto add = [](std::string& part, const std::string& l) {
    if (!part.empty()) part += kCrLf;
    part += l;
  };
  for (const std::string& l : host::SplitLines(*content)) {
    if (l.starts_with(prefix)) {
      line = prefix + std::string(stored_value);
    } else if (line.empty()) {
      add(before, l);
    } else {
      add(after, l);
    }
  }
  if (line.empty()) line = prefix + std::string(stored_value);
  std::string result;
  if (!before.empty()) {
    result = before;
    if (!(after.empty() && delete_key)) result += kCrLf;
  }
  if (!delete_key) {
    result += line;
    if (!after.empty()) result += kCrLf;
  }
  result += after;
  result += kCrLf;
  return result;
}

void WriteSettingsFile(host::Platform& platform, const std::string& path, Encoding encoding,
                       const std::string& content) {
  std::string bytes =
      (encoding == Encoding::kUtf8WithBom ? std::string(kUtf8Bom) : std::string()) + content;
  // A line that begins with the mark's bytes after a blank line the write dropped would now open
  // the file and read back as its mark, turning the rest of the line into a key it was not: the
  // blank line stays in front of it.
  if (encoding != Encoding::kUtf8WithBom && content.starts_with(kUtf8Bom)) {
    bytes.insert(0, kCrLf);
  }
  if (auto error = platform.WriteFileAtomically(path, bytes)) ThrowAccessError(error->message);
}

// A change whose value is already in the file's encoding.
struct StoredChange {
  std::string_view key;
  std::string bytes;
  bool delete_key = false;
};

void ApplyAndWrite(host::Platform& platform, const std::string& path,
                   const std::optional<SettingsText>& text,
                   const std::vector<StoredChange>& changes) {
  if (changes.empty()) return;
  std::optional<std::string> content;
  if (text) content = text->content;
  for (const StoredChange& change : changes) {
    content = ApplySetting(content, change.key, change.bytes, change.delete_key);
  }
  WriteSettingsFile(platform, path, text ? text->encoding : Encoding::kCp932, *content);
}

// Holds the data folder's lock while the file is read, changed and written, so that two runs
// (or a run and the add-in's window) changing settings at once each keep the other's change.
// The folder is locked rather than the file, which may not exist yet and is replaced by every
// write. A lock that cannot be had in time is reported; a folder that cannot be locked at all
// is left to the read and the write to say what is wrong.
std::unique_ptr<host::FileLock> LockForUpdate(host::Platform& platform, const std::string& path) {
  const std::string folder = path.substr(0, path.rfind('/'));
  host::PlatformError error;
  std::unique_ptr<host::FileLock> lock =
      platform.LockFile(folder, std::chrono::seconds(30), &error);
  if (lock == nullptr && error.busy) {
    ThrowAccessError(path + " はほかの実行が書き換え中のため、設定を保存しませんでした。" +
                     "もう一度実行して下さい。");
  }
  return lock;
}

}  // namespace

std::string MakeSettingsPath(const SettingsLocation& location) {
  host::Platform& platform = PlatformOf(location);
  const std::string documents = platform.DocumentsFolder();
  EnsureFolder(platform, documents);
  const std::string folder = documents + "/" + location.data_folder_name;
  EnsureFolder(platform, folder);
  return folder + "/" + location.file_name;
}

std::string ReadSetting(const SettingsLocation& location, std::string_view key,
                        std::string_view default_value) {
  const std::string path = MakeSettingsPath(location);
  const std::string prefix = std::string(key) + ":";
  const std::optional<SettingsText> text = ReadSettingsText(PlatformOf(location), path);
  if (!text) return std::string(default_value);
  const std::vector<std::string> lines = host::SplitLines(text->content);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].starts_with(prefix)) {
      return DecodeValue(std::string_view(lines[i]).substr(prefix.size()), text->encoding, path,
                         i + 1);
    }
  }
  return std::string(default_value);
}

void WriteSetting(const SettingsLocation& location, std::string_view key, std::string_view value,
                  bool delete_key) {
  WriteSettings(location, {{std::string(key), std::string(value), delete_key}});
}

void WriteSettings(const SettingsLocation& location, const std::vector<SettingChange>& changes) {
  if (changes.empty()) return;
  const std::string path = MakeSettingsPath(location);
  host::Platform& platform = PlatformOf(location);
  const std::unique_ptr<host::FileLock> lock = LockForUpdate(platform, path);
  const std::optional<SettingsText> text = ReadSettingsText(platform, path);
  const Encoding encoding = text ? text->encoding : Encoding::kCp932;
  // Every value is encoded before anything is written, so a refused one changes nothing.
  std::vector<StoredChange> stored;
  for (const SettingChange& change : changes) {
    stored.push_back({change.key, StoredValue(change.value, encoding, path), change.delete_key});
  }
  ApplyAndWrite(platform, path, text, stored);
}

void UpdateHistory(const SettingsLocation& location, const std::string& full_name) {
  const std::string path = MakeSettingsPath(location);
  host::Platform& platform = PlatformOf(location);
  const std::unique_ptr<host::FileLock> lock = LockForUpdate(platform, path);
  const std::optional<SettingsText> text = ReadSettingsText(platform, path);
  const Encoding encoding = text ? text->encoding : Encoding::kCp932;
  // Each entry as the file holds it and as text, read as ReadSetting reads it.
  std::array<std::string, kHistory.size()> stored, entries;
  const std::vector<std::string> lines =
      text ? host::SplitLines(text->content) : std::vector<std::string>{};
  for (std::size_t k = 0; k < kHistory.size(); ++k) {
    entries[k] = kHistory[k].default_value;
    const std::string prefix = std::string(kHistory[k].name) + ":";
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (!lines[i].starts_with(prefix)) continue;
      stored[k] = lines[i].substr(prefix.size());
      entries[k] = DecodeValue(stored[k], encoding, path, i + 1);
      break;
    }
  }
  std::size_t position = 0;
  for (std::size_t k = 0; k < entries.size() && position == 0; ++k) {
    if (entries[k] == full_name) position = k + 1;
  }
  if (position == 1) return;  // already the most recent
  std::vector<StoredChange> changes;
  if (position >= 2) {
    // The entry moves to the front; those before it move down one place.
    changes.push_back({kHistory[0].name, stored[position - 1]});
    for (std::size_t k = 1; k < position; ++k) changes.push_back({kHistory[k].name, stored[k - 1]});
  } else {
    const std::optional<std::string> bytes = EncodeValue(full_name, encoding);
    if (!bytes) {
      throw host::HostError(host::HostError::kInvalidCall,
                            "「" + full_name + "」は設定ファイルの文字コード（" +
                                EncodingName(encoding) + "）で書けない文字" +
                                UnstorableCharacter(full_name, encoding) +
                                "を含むため、履歴に入れませんでした。");
    }
    // A new entry: the filled entries move down one place, the fifth drops out, and the new
    // one goes first, in the order the add-in wrote them.
    std::size_t filled = 0;
    while (filled < kHistory.size() - 1 && !entries[filled].empty()) ++filled;
    for (std::size_t k = 1; k <= filled; ++k) changes.push_back({kHistory[k].name, stored[k - 1]});
    changes.push_back({kHistory[0].name, *bytes});
  }
  ApplyAndWrite(platform, path, text, changes);
}

}  // namespace tarquel::settings
