#include "host/platform/posix_platform.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
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

  auto fail = [&](std::string_view step) {
    int errnum = errno;
    if (fd >= 0) close(fd);
    unlink(temp.c_str());
    return WriteError(path, step, errnum);
  };
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
  if (rename(temp.c_str(), target.c_str()) != 0) return fail("cannot rename " + temp);

  int folder = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return std::nullopt;
}

std::optional<PlatformError> PosixPlatform::RemoveFile(const std::string& path) {
  if (unlink(path.c_str()) == 0) return std::nullopt;
  return ErrnoError("cannot remove", path, errno);
}

}  // namespace tarquel::host
