#include "settings/settings_file.h"

#include <array>

#include "host/host_error.h"
#include "host/platform/cp932.h"
#include "host/platform/platform.h"
#include "host/utf16.h"
#include "settings/keys.h"

namespace tarquel::settings {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kCrLf = "\r\n";

// The file's lines as bytes, and whether the file is UTF-8 (it began with a byte-order mark).
struct SettingsText {
  bool utf8 = false;
  std::vector<std::string> lines;
};

[[noreturn]] void ThrowAccessError(const std::string& detail) {
  throw host::HostError(host::HostError::kPathFileAccess,
                        "パス名またはファイル名が無効です。\r\n" + detail);
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

std::optional<SettingsText> ReadSettingsText(host::Platform& platform, const std::string& path) {
  host::PlatformError error;
  std::optional<std::string> bytes = platform.ReadFile(path, &error);
  if (!bytes) {
    if (error.not_found) return std::nullopt;
    ThrowAccessError(error.message);
  }
  SettingsText text;
  std::string_view content = *bytes;
  if (content.starts_with(kUtf8Bom)) {
    text.utf8 = true;
    content.remove_prefix(kUtf8Bom.size());
  }
  text.lines = host::SplitLines(content);
  return text;
}

// The bytes of `value` in the file's encoding; a value it cannot hold is refused.
std::string EncodeValue(std::string_view value, bool utf8, const std::string& path) {
  if (utf8 && host::IsValidUtf8(value)) return std::string(value);
  if (!utf8) {
    if (auto bytes = host::Utf8ToCp932(value)) return *bytes;
  }
  throw host::HostError(host::HostError::kInvalidCall,
                        "設定値「" + std::string(value) + "」には設定ファイルの文字コード（" +
                            (utf8 ? "UTF-8" : "CP932") + "）で書けない文字があります。\r\n" + path +
                            " は変更していません。");
}

std::string DecodeValue(std::string_view bytes, bool utf8, const std::string& path,
                        std::size_t line_number) {
  if (utf8) {
    if (host::IsValidUtf8(bytes)) return std::string(bytes);
  } else if (auto text = host::Cp932ToUtf8(bytes)) {
    return *text;
  }
  ThrowAccessError(path + " の " + std::to_string(line_number) + " 行目の値が " +
                   (utf8 ? "UTF-8" : "CP932") + " の文字として読めません。");
}

void WriteSettingsFile(host::Platform& platform, const std::string& path, bool utf8,
                       const std::string& text) {
  const std::string bytes = (utf8 ? std::string(kUtf8Bom) : std::string()) + text;
  if (auto error = platform.WriteFileAtomically(path, bytes)) ThrowAccessError(error->message);
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
  host::Platform& platform = PlatformOf(location);
  if (!platform.FileExists(path)) return std::string(default_value);
  const std::optional<SettingsText> text = ReadSettingsText(platform, path);
  if (!text) return std::string(default_value);
  for (std::size_t i = 0; i < text->lines.size(); ++i) {
    const std::string& line = text->lines[i];
    if (line.starts_with(prefix)) {
      return DecodeValue(std::string_view(line).substr(prefix.size()), text->utf8, path, i + 1);
    }
  }
  return std::string(default_value);
}

void WriteSetting(const SettingsLocation& location, std::string_view key, std::string_view value,
                  bool delete_key) {
  const std::string path = MakeSettingsPath(location);
  const std::string prefix = std::string(key) + ":";
  host::Platform& platform = PlatformOf(location);
  const std::optional<SettingsText> text =
      platform.FileExists(path) ? ReadSettingsText(platform, path) : std::nullopt;
  if (!text) {
    WriteSettingsFile(platform, path, false,
                      prefix + EncodeValue(value, false, path) + std::string(kCrLf));
    return;
  }
  // Built as the add-in always has: the lines before the key, the key's line, the lines after.
  std::string before, line, after;
  for (const std::string& l : text->lines) {
    if (l.starts_with(prefix)) {
      line = prefix + EncodeValue(value, text->utf8, path);
    } else if (line.empty()) {
      before = before.empty() ? l : before + std::string(kCrLf) + l;
    } else {
      after = after.empty() ? l : after + std::string(kCrLf) + l;
    }
  }
  if (line.empty()) line = prefix + EncodeValue(value, text->utf8, path);
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
  WriteSettingsFile(platform, path, text->utf8, result);
}

std::string UpdateHistory(const SettingsLocation& location, const std::string& full_name) {
  std::array<std::string, 5> entries;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    entries[i] = ReadSetting(location, kHistory[i].name, kHistory[i].default_value);
  }
  auto write = [&](std::size_t index, const std::string& value) {
    WriteSetting(location, kHistory[index].name, value, false);
  };
  std::size_t position = 0;
  for (std::size_t i = 0; i < entries.size() && position == 0; ++i) {
    if (entries[i] == full_name) position = i + 1;
  }
  if (position >= 1) {
    // Move the entry to the front; those above it move down one place.
    if (position == 1) return kNoSave;
    write(0, entries[position - 1]);
    for (std::size_t i = 1; i < position; ++i) write(i, entries[i - 1]);
    return kNoSave;
  }
  // A new entry: the filled entries move down one place and the fifth drops out.
  std::size_t filled = 0;
  while (filled < 4 && !entries[filled].empty()) ++filled;
  for (std::size_t i = 1; i <= filled; ++i) write(i, entries[i - 1]);
  return kHistory[0].name;
}

}  // namespace tarquel::settings
