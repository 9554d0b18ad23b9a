#include "host/platform/platform.h"

#include <algorithm>
#include <vector>

#include "host/utf16.h"

namespace tarquel::host {

namespace {

// A lock file is written by another program and may hold anything; only this much of it is
// looked at, and a field is cut to a length a message can show.
constexpr std::size_t kMaxLockBytes = 4096;
constexpr std::size_t kMaxFieldBytes = 200;

// The office suite's lock line "by,host,user,date,profile;" split into its fields. A backslash
// takes the next character as it is, as the suite escapes commas and semicolons in names.
std::vector<std::string> LockFields(std::string_view line) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == ';' || c == '\n' || c == '\r') break;
    if (c == ',') {
      fields.emplace_back();
      continue;
    }
    if (c == '\\' && i + 1 < line.size()) c = line[++i];
    fields.back() += c;
  }
  return fields;
}

// A field as a message can show it: control characters and bytes that are not UTF-8 would garble
// a terminal, so a field holding them is not shown at all; a long one is cut.
std::string Shown(std::string field) {
  if (!IsValidUtf8(field)) return "";
  for (char c : field) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "";
  }
  if (field.size() > kMaxFieldBytes) {
    // Cut before the character the limit falls in, never inside it.
    field.resize(Utf8CharacterStart(field, kMaxFieldBytes));
  }
  return field;
}

// "Taro Yamada (taro) on desk-pc" from the lock's "by", "user" and "host" fields, leaving out
// what is empty or repeated.
std::string Holder(const std::string& by, const std::string& user, const std::string& host) {
  std::string who = by.empty() ? user : by;
  if (!by.empty() && !user.empty() && user != by) who += " (" + user + ")";
  if (host.empty()) return who;
  return (who.empty() ? std::string("a user") : who) + " on " + host;
}

}  // namespace

PlatformError NotARegularFileError(const std::string& path, const std::string& target,
                                   std::string_view what) {
  std::string message = "cannot write " + path + ": ";
  if (target != path) {
    message += "it leads to " + target + ", which is ";
  } else {
    message += "it is ";
  }
  return PlatformError{message + std::string(what) + ", not a regular file", false};
}

std::unique_ptr<FileLock> Platform::LockFile(const std::string&, std::chrono::milliseconds,
                                             PlatformError*) {
  return std::make_unique<FileLock>();
}

std::optional<FileStamp> Platform::Stamp(const std::string&) { return std::nullopt; }

std::optional<PlatformError> Platform::CheckWritable(const std::string&) { return std::nullopt; }

std::optional<OtherProgramLock> Platform::FindOtherProgramLock(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return std::nullopt;

  if (std::string lock = folder + ".~lock." + name + "#"; FileExists(lock)) {
    OtherProgramLock found{OtherProgramLock::Kind::kOfficeSuiteLock, lock, "",
                           "an office suite's lock file"};
    // A lock that cannot be read still holds the file; it only cannot say by whom.
    if (std::optional<std::string> bytes = ReadFile(lock, nullptr)) {
      std::vector<std::string> fields =
          LockFields(std::string_view(*bytes).substr(0, kMaxLockBytes));
      fields.resize(std::max<std::size_t>(fields.size(), 4));
      found.holder = Holder(Shown(fields[0]), Shown(fields[2]), Shown(fields[1]));
      const std::string since = Shown(fields[3]);
      if (!found.holder.empty()) found.description += ", held by " + found.holder;
      if (!since.empty()) found.description += " since " + since;
    }
    return found;
  }
  if (std::string owner = folder + "~$" + name; FileExists(owner)) {
    return OtherProgramLock{OtherProgramLock::Kind::kSpreadsheetOwnerFile, owner, "",
                            "a spreadsheet program's owner file"};
  }
  return std::nullopt;
}

}  // namespace tarquel::host
