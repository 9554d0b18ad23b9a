// The settings file: key:value lines in a small text file in the data folder under the user's
// documents folder. Every read and write opens, uses and closes the file within the call;
// nothing is cached. The file is CP932 with CR LF line ends and is handled as bytes: keys are
// ASCII, values are converted at this boundary, and lines that match no key are written back
// byte for byte. A file an editor has converted to UTF-8 (it starts with a byte-order mark, or
// it is valid UTF-8 and holds bytes above ASCII) is read and written as UTF-8, with or without
// its mark as it came; CP932 text is practically never valid UTF-8.
//
// Changes hold a lock on the data folder from reading the file to writing it, so that runs
// changing settings at once do not lose each other's changes.
//
// Failures (no documents folder, a file larger than kMaxSettingsBytes, a folder or file that cannot
// be made, read or written, a value the file's encoding cannot hold or would read back as other
// text) throw the host's run-time error and leave the file as it was: writes go to a temporary file
// beside it that is renamed over it.
#ifndef TARQUEL_SETTINGS_SETTINGS_FILE_H_
#define TARQUEL_SETTINGS_SETTINGS_FILE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarquel::host {
class Platform;
}

namespace tarquel::settings {

// The largest settings file read: the program and the add-in write a few dozen short lines, so a
// larger file is something else, and is refused with a message rather than read.
inline constexpr uint64_t kMaxSettingsBytes = uint64_t{1} << 20;

// Where the settings live: the data folder's name under the documents folder and the file's
// name in it (both set at start-up).
struct SettingsLocation {
  host::Platform* platform = nullptr;
  std::string data_folder_name;
  std::string file_name;
};

// The path of the settings file (documents folder, data folder, file name joined by "/").
// Creates the data folder (and a missing documents folder) when absent.
std::string MakeSettingsPath(const SettingsLocation& location);

// The value stored under `key`, or `default_value` when the file or the key is absent.
std::string ReadSetting(const SettingsLocation& location, std::string_view key,
                        std::string_view default_value);

// Sets `key` to `value`, or removes it when `delete_key` is true. Every line of the key
// collapses into one at the place of the first; a new key goes at the end; blank lines at the
// start of the parts before and after the key's line are dropped. When the file does not exist
// it is created with the single line key:value, whatever `delete_key` says.
void WriteSetting(const SettingsLocation& location, std::string_view key, std::string_view value,
                  bool delete_key);

// One change of WriteSettings, with the meaning of WriteSetting's arguments.
struct SettingChange {
  std::string key;
  std::string value;
  bool delete_key = false;
};

// Makes `changes` in order, leaving the file as that many WriteSetting calls would, but in one
// read and one write: when any value cannot be stored, nothing is written. No changes, no
// write.
void WriteSettings(const SettingsLocation& location, const std::vector<SettingChange>& changes);

// Puts `full_name`, a workbook being closed, first in the history PATH1..PATH5 of recently
// closed workbooks, in one write of the file: when it is first already, the file is not
// written; when it is further down, it moves to the front and the entries before it move down
// one place; a new entry goes in PATH1, the filled entries moving down and the fifth dropping
// out. Entries that move keep their bytes. When the file's encoding cannot hold `full_name`,
// nothing is written and the host's run-time error says so.
void UpdateHistory(const SettingsLocation& location, const std::string& full_name);

}  // namespace tarquel::settings

#endif  // TARQUEL_SETTINGS_SETTINGS_FILE_H_
