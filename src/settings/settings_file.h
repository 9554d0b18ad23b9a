// The settings file: key:value lines in a small text file in the data folder under the user's
// documents folder. Every read and write opens, uses and closes the file within the call;
// nothing is cached. The file is CP932 with CR LF line ends and is handled as bytes: keys are
// ASCII, values are converted at this boundary, and lines that match no key are written back
// byte for byte. A file that starts with a UTF-8 byte-order mark (an editor's conversion) is
// read and written as UTF-8 and keeps its mark.
//
// Failures (no documents folder, a folder or file that cannot be made, read or written, a value
// the file's encoding cannot hold) throw the host's run-time error and leave the file as it was:
// writes go to a temporary file beside it that is renamed over it.
#ifndef TARQUEL_SETTINGS_SETTINGS_FILE_H_
#define TARQUEL_SETTINGS_SETTINGS_FILE_H_

#include <string>
#include <string_view>

namespace tarquel::host {
class Platform;
}

namespace tarquel::settings {

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

// The history return meaning "nothing more to write".
inline constexpr char kNoSave[] = "NoSave";

// Moves `full_name` to the front of the history PATH1..PATH5 of recently closed workbooks.
// Returns the key the caller then stores `full_name` under (PATH1 for a new entry) or kNoSave
// when the entry was already in the history and has been moved.
std::string UpdateHistory(const SettingsLocation& location, const std::string& full_name);

}  // namespace tarquel::settings

#endif  // TARQUEL_SETTINGS_SETTINGS_FILE_H_
