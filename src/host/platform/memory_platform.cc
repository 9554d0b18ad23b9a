#include "host/platform/memory_platform.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace tarquel::host {

namespace {

// "/a//b/" -> "/a/b"; a relative path is taken from "/".
std::string Normalise(std::string_view path) {
  std::string out = "/";
  for (char c : path) {
    if (c == '/' && out.back() == '/') continue;
    out += c;
  }
  if (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

PlatformError ErrnoError(std::string_view what, const std::string& path, int errnum) {
  return PlatformError{std::string(what) + " " + path + ": " + std::strerror(errnum),
                       errnum == ENOENT};
}

// Whether `folder` (not "/") is `path` itself or one of its parent folders.
bool IsWithin(const std::string& path, const std::string& folder) {
  return path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

}  // namespace

MemoryPlatform::MemoryPlatform(std::string documents_folder)
    : documents_folder_(Normalise(documents_folder)) {
  folders_.insert("/");
  AddFolders(documents_folder_);
}

void MemoryPlatform::AddFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    folders_.insert(path.substr(0, slash));
  }
  folders_.insert(path);
}

// The errno the kernel would give for the folders leading to `path` (normalised): 0 when its
// parent folder exists, ENOTDIR when one of them is a file, ENOENT when one is missing.
int MemoryPlatform::ParentErrno(const std::string& path) const {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    std::string folder = path.substr(0, slash);
    if (files_.count(folder) != 0) return ENOTDIR;
    if (folders_.count(folder) == 0) return ENOENT;
  }
  return 0;
}

std::string MemoryPlatform::DocumentsFolder() { return documents_folder_; }

bool MemoryPlatform::FileExists(const std::string& path) {
  return files_.count(Normalise(path)) != 0;
}

bool MemoryPlatform::FolderExists(const std::string& path) {
  return folders_.count(Normalise(path)) != 0;
}

std::optional<PlatformError> MemoryPlatform::CreateFolder(const std::string& path) {
  std::string key = Normalise(path);
  if (folders_.count(key) != 0) return std::nullopt;
  if (files_.count(key) != 0) return ErrnoError("cannot create folder", path, EEXIST);
  if (int errnum = ParentErrno(key); errnum != 0) {
    return ErrnoError("cannot create folder", path, errnum);
  }
  folders_.insert(key);
  return std::nullopt;
}

std::optional<std::string> MemoryPlatform::ReadFile(const std::string& path, PlatformError* error) {
  std::string key = Normalise(path);
  if (auto it = files_.find(key); it != files_.end()) return it->second;
  int errnum = folders_.count(key) != 0 ? EISDIR : ParentErrno(key);
  if (error != nullptr) *error = ErrnoError("cannot read", path, errnum != 0 ? errnum : ENOENT);
  return std::nullopt;
}

std::optional<PlatformError> MemoryPlatform::WriteFileAtomically(const std::string& path,
                                                                 std::string_view bytes) {
  std::string key = Normalise(path);
  if (fail_next_write_) {
    fail_next_write_ = false;
    return ErrnoError("cannot write", path, EIO);
  }
  if (int errnum = ParentErrno(key); errnum != 0) return ErrnoError("cannot write", path, errnum);
  if (folders_.count(key) != 0) return NotARegularFileError(path, path, "a folder");
  files_[key] = std::string(bytes);
  inodes_[key] = next_inode_++;
  return std::nullopt;
}

std::optional<PlatformError> MemoryPlatform::RemoveFile(const std::string& path) {
  std::string key = Normalise(path);
  if (files_.erase(key) != 0) {
    inodes_.erase(key);
    return std::nullopt;
  }
  int errnum = folders_.count(key) != 0 ? EISDIR : ParentErrno(key);
  return ErrnoError("cannot remove", path, errnum != 0 ? errnum : ENOENT);
}

void MemoryPlatform::AddFile(const std::string& path, std::string_view bytes) {
  std::string key = Normalise(path);
  size_t slash = key.rfind('/');
  if (slash > 0) AddFolders(key.substr(0, slash));
  files_[key] = std::string(bytes);
  inodes_[key] = next_inode_++;
}

namespace {

// Holds a path in the set of locked ones; the set outlives the platform if need be.
class MemoryFileLock final : public FileLock {
 public:
  MemoryFileLock(std::shared_ptr<std::set<std::string>> locked, std::string key)
      : locked_(std::move(locked)), key_(std::move(key)) {
    locked_->insert(key_);
  }
  ~MemoryFileLock() override { locked_->erase(key_); }

 private:
  std::shared_ptr<std::set<std::string>> locked_;
  std::string key_;
};

}  // namespace

std::unique_ptr<FileLock> MemoryPlatform::LockFile(const std::string& path,
                                                   std::chrono::milliseconds,
                                                   PlatformError* error) {
  const std::string key = Normalise(path);
  std::optional<PlatformError> refused;
  if (files_.count(key) == 0 && folders_.count(key) == 0) {
    const int errnum = ParentErrno(key);
    refused = ErrnoError("cannot lock", path, errnum != 0 ? errnum : ENOENT);
  } else if (locked_->count(key) != 0) {
    refused = PlatformError{"cannot lock " + path + ": another run is still using it", false, true};
  }
  if (refused) {
    if (error != nullptr) *error = std::move(*refused);
    return nullptr;
  }
  return std::make_unique<MemoryFileLock>(locked_, key);
}

std::optional<FileStamp> MemoryPlatform::Stamp(const std::string& path) {
  const std::string key = Normalise(path);
  const auto it = files_.find(key);
  if (it == files_.end()) return std::nullopt;
  return FileStamp{0, inodes_[key], it->second.size(), 0, 1};
}

void MemoryPlatform::RemoveFolder(const std::string& path) {
  std::string key = Normalise(path);
  if (key == "/") return;
  std::erase_if(folders_, [&key](const std::string& p) { return IsWithin(p, key); });
  std::erase_if(files_, [&key](const auto& entry) { return IsWithin(entry.first, key); });
}

}  // namespace tarquel::host
