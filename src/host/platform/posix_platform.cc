#include "host/platform/posix_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace tarquel::host {

namespace {

PlatformError ErrnoError(std::string_view what, const std::string& path, int errnum) {
  return PlatformError{std::string(what) + " " + path + ": " + std::strerror(errnum),
                       errnum == ENOENT};
}

PlatformError WriteError(const std::string& path, std::string_view step, int errnum) {
  return PlatformError{
      "cannot write " + path + ": " + std::string(step) + ": " + std::strerror(errnum),
      errnum == ENOENT};
}

void StripTrailingSlashes(std::string* path, size_t keep) {
  while (path->size() > keep && path->back() == '/') path->pop_back();
}

std::string HomeFolder() {
  std::string home;
  if (const char* env = std::getenv("HOME"); env != nullptr && *env != '\0') {
    home = env;
  } else {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
      home = found->pw_dir;
    }
  }
  // A home of "/" becomes "", so that "$HOME/x" gives "/x" rather than "//x".
  StripTrailingSlashes(&home, 0);
  return home;
}

// Reads all of `fd` into `out`; false with errno set on a read error.
bool ReadAll(int fd, std::string* out) {
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    out->append(buffer, static_cast<size_t>(n));
  }
}

std::optional<std::string> ReadWhole(const std::string& path, int* errnum) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *errnum = errno;
    return std::nullopt;
  }
  std::string bytes;
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) bytes.reserve(static_cast<size_t>(st.st_size));
  bool ok = ReadAll(fd, &bytes);
  *errnum = errno;
  close(fd);
  if (!ok) return std::nullopt;
  return bytes;
}

// One line of user-dirs.dirs, read the way the desktop's own library reads it: only a quoted
// value starting with "$HOME" or '/' counts, and a backslash takes the next character as is.
std::optional<std::string> ParseDocumentsLine(std::string_view line, const std::string& home) {
  auto skip_blanks = [&line] {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  };
  auto take = [&line](std::string_view prefix) {
    if (line.substr(0, prefix.size()) != prefix) return false;
    line.remove_prefix(prefix.size());
    return true;
  };
  skip_blanks();
  if (!take("XDG_DOCUMENTS_DIR")) return std::nullopt;
  skip_blanks();
  if (!take("=")) return std::nullopt;
  skip_blanks();
  if (!take("\"")) return std::nullopt;
  std::string value;
  if (take("$HOME")) {
    if (line.empty() || (line.front() != '/' && line.front() != '"')) return std::nullopt;
    value = home;
  } else if (line.empty() || line.front() != '/') {
    return std::nullopt;
  }
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') {
      StripTrailingSlashes(&value, 1);
      if (value.empty()) value = "/";
      return value;
    }
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    value += line[i];
  }
  return std::nullopt;  // no closing quote
}

// What a file that is not a regular one is, as a refusal names it.
const char* KindOf(mode_t mode) {
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISSOCK(mode)) return "a socket";
  return "an unusual kind of file";
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The temporary files of writes under way, for the signal handler to remove: a fixed table, as
// a handler may not allocate, and a slot is only read once its path is complete.
struct TemporarySlot {
  enum : int { kFree, kFilling, kReady };
  std::atomic<int> state{kFree};
  char path[PATH_MAX] = {};
};
constexpr int kTemporarySlots = 16;
TemporarySlot temporary_slots[kTemporarySlots];

// Notes `path` for the handler; -1 when the table is full (the file is then not removed on a
// signal, as before, and the next save of the file removes it).
int NoteTemporary(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int k = 0; k < kTemporarySlots; ++k) {
    int expected = TemporarySlot::kFree;
    if (!temporary_slots[k].state.compare_exchange_strong(expected, TemporarySlot::kFilling)) {
      continue;
    }
    std::memcpy(temporary_slots[k].path, path.c_str(), path.size() + 1);
    temporary_slots[k].state.store(TemporarySlot::kReady);
    return k;
  }
  return -1;
}

void ForgetTemporary(int slot) {
  if (slot >= 0) temporary_slots[slot].state.store(TemporarySlot::kFree);
}

extern "C" void RemoveTemporariesAndEnd(int signal_number) {
  for (TemporarySlot& slot : temporary_slots) {
    if (slot.state.load() == TemporarySlot::kReady) unlink(slot.path);
  }
  // The process ends as the signal would have ended it, so its parent sees the signal.
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal_number, &action, nullptr);
  raise(signal_number);
}

// "<name>.tmp-<pid>-<n>" of a process that has ended, made by this user: what a run killed
// while it saved `target` left behind. The pid alone is not proof (it may be reused), so a
// file of a running process is always left alone.
bool IsStaleTemporary(const std::string& folder, const std::string& entry,
                      const std::string& prefix) {
  if (!entry.starts_with(prefix)) return false;
  const std::string rest = entry.substr(prefix.size());
  const size_t dash = rest.find('-');
  if (dash == 0 || dash == std::string::npos || dash + 1 == rest.size()) return false;
  for (size_t k = 0; k < rest.size(); ++k) {
    if (k != dash && (rest[k] < '0' || rest[k] > '9')) return false;
  }
  if (dash > 9) return false;  // longer than any pid
  const pid_t pid = static_cast<pid_t>(std::stol(rest.substr(0, dash)));
  if (pid <= 0 || pid == getpid()) return false;
  if (kill(pid, 0) == 0 || errno != ESRCH) return false;
  struct stat st {};
  return lstat((folder + "/" + entry).c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         st.st_uid == geteuid();
}

void RemoveStaleTemporaries(const std::string& target) {
  const std::string folder = FolderOf(target);
  const std::string prefix = NameOf(target) + ".tmp-";
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;  // the write itself will say what is wrong with the folder
  std::vector<std::string> stale;
  while (const dirent* entry = readdir(dir)) {
    if (IsStaleTemporary(folder, entry->d_name, prefix)) stale.emplace_back(entry->d_name);
  }
  closedir(dir);
  for (const std::string& name : stale) unlink((folder + "/" + name).c_str());
}

std::string ModeText(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

class PosixFileLock final : public FileLock {
 public:
  explicit PosixFileLock(int fd) : fd_(fd) {}
  ~PosixFileLock() override { close(fd_); }  // closing the last descriptor releases the lock

 private:
  int fd_;
};

}  // namespace

std::string PosixPlatform::DocumentsFolder() {
  std::string home = HomeFolder();
  std::string config;
  // The desktop's base-directory rules say a relative XDG_CONFIG_HOME is ignored.
  if (const char* env = std::getenv("XDG_CONFIG_HOME"); env != nullptr && env[0] == '/') {
    config = env;
    StripTrailingSlashes(&config, 1);
  } else {
    config = home + "/.config";
  }
  int errnum = 0;
  std::optional<std::string> dirs = ReadWhole(config + "/user-dirs.dirs", &errnum);
  std::optional<std::string> found;
  if (dirs.has_value()) {
    std::string_view rest = *dirs;
    while (!rest.empty()) {
      size_t end = rest.find('\n');
      std::string_view line = rest.substr(0, end);
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
      if (auto value = ParseDocumentsLine(line, home)) found = std::move(value);
    }
  }
  if (found.has_value()) return *found;
  return home + "/Documents";
}

bool PosixPlatform::FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PosixPlatform::FolderExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<PlatformError> PosixPlatform::CreateFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0777) == 0) return std::nullopt;
  int errnum = errno;
  if (errnum == EEXIST && FolderExists(path)) return std::nullopt;
  return ErrnoError("cannot create folder", path, errnum);
}

std::optional<std::string> PosixPlatform::ReadFile(const std::string& path, PlatformError* error) {
  int errnum = 0;
  std::optional<std::string> bytes = ReadWhole(path, &errnum);
  if (!bytes.has_value() && error != nullptr) *error = ErrnoError("cannot read", path, errnum);
  return bytes;
}

std::optional<PlatformError> PosixPlatform::WriteFileAtomically(const std::string& path,
                                                                std::string_view bytes) {
  // Renaming over a symbolic link would replace the link itself, breaking a user's link to a
  // file kept elsewhere; write beside the file it points to instead.
  std::string target = path;
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* resolved = realpath(path.c_str(), nullptr); resolved != nullptr) {
      target = resolved;
      std::free(resolved);
    }
  }
  bool exists = stat(target.c_str(), &st) == 0;
  // Renaming over a device, a pipe or a folder would put a file in its place (for root, even
  // /dev/null), so only a regular file is ever replaced.
  if (exists && !S_ISREG(st.st_mode)) return NotARegularFileError(path, target, KindOf(st.st_mode));
  bool keep_mode = exists;
  mode_t old_mode = st.st_mode & 07777;
  const uid_t old_owner = st.st_uid;
  const gid_t old_group = st.st_gid;
  // The rename needs only the folder's permission, so a file its mode keeps from being written
  // would be replaced all the same.
  if (exists) {
    if (std::optional<PlatformError> refused = CheckWritable(target)) return refused;
  }
  RemoveStaleTemporaries(target);

  // A crashed earlier run whose pid is reused may have left a temporary file of the same name,
  // so a name that is taken is skipped, never reused.
  static std::atomic<unsigned long long> counter{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = target + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return WriteError(path, "cannot create temporary file " + temp, errno);
  const int slot = NoteTemporary(temp);

  auto fail = [&](std::string_view step) {
    int errnum = errno;
    if (fd >= 0) close(fd);
    unlink(temp.c_str());
    ForgetTemporary(slot);
    return WriteError(path, step, errnum);
  };
  // The owner and group stay where the process may give them (root any, a user a group of
  // theirs); a change of owner clears set-id bits, so the mode is set after.
  if (keep_mode && (old_owner != geteuid() || old_group != getegid())) {
    // Where neither is allowed the new file stays the user's own, as a copy they made would.
    const bool kept =
        fchown(fd, old_owner, old_group) == 0 || fchown(fd, static_cast<uid_t>(-1), old_group) == 0;
    static_cast<void>(kept);
  }
  // The umask narrowed the creation mode; an existing file's permissions are kept exactly.
  if (keep_mode && fchmod(fd, old_mode) != 0) return fail("cannot set permissions of " + temp);
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("cannot write temporary file " + temp);
    }
    written += static_cast<size_t>(n);
  }
  if (fsync(fd) != 0) return fail("cannot flush temporary file " + temp);
  // Linux closes the descriptor even when close reports an error, so it is not retried.
  int closed = close(fd);
  fd = -1;
  if (closed != 0) return fail("cannot close temporary file " + temp);
  if (before_rename_ != nullptr) before_rename_(temp);
  if (rename(temp.c_str(), target.c_str()) != 0) return fail("cannot rename " + temp);
  ForgetTemporary(slot);

  int folder = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return std::nullopt;
}

std::unique_ptr<FileLock> PosixPlatform::LockFile(const std::string& path,
                                                  std::chrono::milliseconds wait,
                                                  PlatformError* error) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  auto failed = [&](PlatformError reason) -> std::unique_ptr<FileLock> {
    if (error != nullptr) *error = std::move(reason);
    return nullptr;
  };
  for (;;) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return failed(ErrnoError("cannot lock", path, errno));
    struct stat held {};
    if (fstat(fd, &held) != 0 || !(S_ISREG(held.st_mode) || S_ISDIR(held.st_mode))) {
      close(fd);
      return failed(NotARegularFileError(path, path, KindOf(held.st_mode)));
    }
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      // A save of the run that held the lock put a new file at `path`: the lock held is on the
      // old one, so take the new one's.
      struct stat now {};
      if (stat(path.c_str(), &now) == 0 && now.st_dev == held.st_dev && now.st_ino == held.st_ino) {
        return std::make_unique<PosixFileLock>(fd);
      }
      close(fd);
      continue;
    }
    const int errnum = errno;
    close(fd);
    if (errnum != EWOULDBLOCK && errnum != EINTR) {
      return failed(ErrnoError("cannot lock", path, errnum));
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      return failed(
          PlatformError{"cannot lock " + path + ": another run is still using it", false, true});
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::optional<FileStamp> PosixPlatform::Stamp(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileStamp{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
                   static_cast<uint64_t>(st.st_size),
                   int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec,
                   static_cast<uint64_t>(st.st_nlink)};
}

std::optional<PlatformError> PosixPlatform::CheckWritable(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT) {
    const int errnum = errno;
    return WriteError(
        path, "the file is read-only for this user (mode " + ModeText(st.st_mode) + ")", errnum);
  }
  // The new file is made beside it and renamed into place.
  std::string target = path;
  if (char* resolved = realpath(path.c_str(), nullptr); resolved != nullptr) {
    target = resolved;
    std::free(resolved);
  }
  const std::string folder = FolderOf(target);
  if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0 && errno != ENOENT) {
    const int errnum = errno;
    return WriteError(path, "the folder " + folder + " is read-only for this user", errnum);
  }
  return std::nullopt;
}

void PosixPlatform::RemoveTemporaryFilesOnSignals() {
  for (int signal_number : {SIGTERM, SIGHUP, SIGINT}) {
    struct sigaction old {};
    if (sigaction(signal_number, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = RemoveTemporariesAndEnd;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
  }
}

std::optional<PlatformError> PosixPlatform::RemoveFile(const std::string& path) {
  if (unlink(path.c_str()) == 0) return std::nullopt;
  return ErrnoError("cannot remove", path, errno);
}

}  // namespace tarquel::host
