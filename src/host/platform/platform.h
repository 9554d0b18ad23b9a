// Platform is the host's window on the operating system: the user's documents folder, and the
// few file operations the host and the add-in's settings file need. Everything above src/host
// that touches a file goes through a Platform handed to it, never through the C library, so
// that tests can run on the in-memory twin (MemoryPlatform) and the program on PosixPlatform.
//
// Paths are UTF-8 strings as the operating system takes them; a Platform does not convert or
// normalise them beyond what its own documentation says. Operations report failure by
// returning a PlatformError; none of them throws.
#ifndef TARQUEL_HOST_PLATFORM_PLATFORM_H_
#define TARQUEL_HOST_PLATFORM_PLATFORM_H_

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tarquel::host {

// Why a platform operation failed.
struct PlatformError {
  // What failed and on which path, with the system's reason, e.g.
  // "cannot read /home/u/x.ini: No such file or directory".
  std::string message;
  // True when the path, or a folder on the way to it, does not exist (ENOENT), so that callers
  // can tell "absent" from "present but unusable".
  bool not_found = false;
  // True when a lock could not be had because another run held it all the time waited.
  bool busy = false;
};

// The refusal of a write onto something that is not a regular file, worded alike by every
// Platform: "cannot write PATH: it is WHAT, not a regular file", or, when `target` (the file a
// link at `path` leads to) differs from `path`, "cannot write PATH: it leads to TARGET, which is
// WHAT, not a regular file". `what` is "a device", "a named pipe (FIFO)", "a folder", ...
PlatformError NotARegularFileError(const std::string& path, const std::string& target,
                                   std::string_view what);

// A lock file of another program that has a file open (see Platform::FindOtherProgramLock).
struct OtherProgramLock {
  enum class Kind {
    kOfficeSuiteLock,       // ".~lock.NAME#", a line "by,host,user,date,profile;"
    kSpreadsheetOwnerFile,  // "~$NAME"
  };
  Kind kind = Kind::kOfficeSuiteLock;
  // The lock file's full name.
  std::string lock_path;
  // Who holds the file as the lock names them, e.g. "Taro Yamada (taro) on desk-pc"; empty
  // when the lock does not say or cannot be read.
  std::string holder;
  // The kind said neutrally, and who holds the file since when if the lock says so, e.g.
  // "an office suite's lock file, held by Taro Yamada (taro) on desk-pc since 08.12.2024 13:52".
  std::string description;
};

// An advisory lock on a file or folder, held until it is destroyed. Runs of this program that
// ask for the same lock wait for it; a program that does not ask is not kept out by it.
class FileLock {
 public:
  FileLock() = default;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  virtual ~FileLock() = default;
};

// One version of a file as the system sees it. A save puts a new file in place (another
// inode) and an edit in place changes the size or the time, so two stamps of a path differ
// when anything wrote the file between them.
struct FileStamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t modified_ns = 0;
  // Names the file has; more than one means a save, which puts a new file in place, parts it
  // from its other names.
  uint64_t links = 1;
  bool operator==(const FileStamp&) const = default;
};

class Platform {
 public:
  Platform() = default;
  Platform(const Platform&) = delete;
  Platform& operator=(const Platform&) = delete;
  virtual ~Platform() = default;

  // The user's documents folder as the desktop reports it: XDG_DOCUMENTS_DIR from
  // $XDG_CONFIG_HOME/user-dirs.dirs (default ~/.config/user-dirs.dirs), else $HOME/Documents.
  // Never ends in '/'. The folder is not required to exist.
  virtual std::string DocumentsFolder() = 0;

  // True when `path` names an existing regular file (after following symbolic links).
  virtual bool FileExists(const std::string& path) = 0;

  // True when `path` names an existing folder (after following symbolic links).
  virtual bool FolderExists(const std::string& path) = 0;

  // Creates the folder `path`; its parent must already exist. A folder that already exists is
  // success; a file of that name is an error.
  virtual std::optional<PlatformError> CreateFolder(const std::string& path) = 0;

  // The whole file as bytes. On failure returns nullopt and, when `error` is not null, stores
  // the reason there (an absent file has not_found set).
  virtual std::optional<std::string> ReadFile(const std::string& path, PlatformError* error) = 0;

  // Replaces the content of `path` with `bytes`, or creates it, so that a reader sees either
  // the old file or the new one and never a part: the bytes go to a temporary file in the same
  // folder, are flushed to disk and then renamed over `path`. The file keeps the old file's
  // permission bits; a new file gets 0644 less the process's umask. On failure nothing is
  // left behind: the temporary file is removed and the old file is byte-identical. When
  // `path` is a symbolic link, the file it points to is replaced and the link kept.
  // Something that exists at `path` (after following links) and is not a regular file, such as
  // a device, a named pipe, a folder or a socket, is refused before anything is written, with a
  // message that names the path and says what it is ("... it is a device, not a regular file"):
  // renaming over it would put a file in its place. So is a file this user may not write (its
  // mode says read-only), as CheckWritable tells: the rename needs only the folder's permission
  // and would replace it all the same. The new file keeps the old one's owner and group where
  // the process may give them.
  virtual std::optional<PlatformError> WriteFileAtomically(const std::string& path,
                                                           std::string_view bytes) = 0;

  // Removes the file `path`. An absent file is an error with not_found set; a folder is an
  // error and is left alone.
  virtual std::optional<PlatformError> RemoveFile(const std::string& path) = 0;

  // Takes an exclusive advisory lock on the file or folder `path`, waiting up to `wait` while
  // another run holds it. A lock on a file is on the file that is at `path` once it is held: a
  // file put in its place meanwhile is locked instead. Returns nullptr and sets `error` (when not
  // null) when `path` cannot be opened or the wait ran out. The default holds nothing, for a
  // platform without locks.
  virtual std::unique_ptr<FileLock> LockFile(const std::string& path,
                                             std::chrono::milliseconds wait, PlatformError* error);

  // The stamp of the file at `path` (after following links), or nullopt when there is none or
  // the platform cannot tell versions apart (the default).
  virtual std::optional<FileStamp> Stamp(const std::string& path);

  // Why WriteFileAtomically(path) would be refused for want of permission (the file, or the
  // folder the new file is made in, is not writable by this user), or nullopt when it would
  // not. The default finds nothing.
  virtual std::optional<PlatformError> CheckWritable(const std::string& path);

  // The lock file another program keeps beside `path` while it has that file open, if there is
  // one: the office suite's ".~lock.NAME#" or the spreadsheet program's "~$NAME" in the same
  // folder. Saving over a file held like this is lost when that program saves its own copy, so
  // a front end asks before it saves and lets the person decide. Only looks; never changes or
  // removes a lock, and a lock left behind by a program that crashed is reported all the same.
  std::optional<OtherProgramLock> FindOtherProgramLock(const std::string& path);
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_PLATFORM_PLATFORM_H_
