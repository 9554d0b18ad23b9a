// MemoryPlatform is the in-memory twin of PosixPlatform for tests: files are a map of path to
// bytes, folders a set of paths, and the documents folder is the one it was given. It answers
// every Platform call with the result and the error text (the C library's wording of the same
// errno) that PosixPlatform would give on a local disk, so a test written against it holds
// for the real program. It can also be told to make the next write fail, to check that a
// failed save changes nothing. Not thread-safe; only tests should create one.
//
// Paths are absolute, with '/' between names; repeated and trailing '/' are ignored. There are
// no symbolic links and no permissions.
#ifndef TARQUEL_HOST_PLATFORM_MEMORY_PLATFORM_H_
#define TARQUEL_HOST_PLATFORM_MEMORY_PLATFORM_H_

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "host/platform/platform.h"

namespace tarquel::host {

class MemoryPlatform final : public Platform {
 public:
  static constexpr const char* kDefaultDocumentsFolder = "/home/user/Documents";

  // Starts with the folder "/" and `documents_folder` with all its parents, and no files.
  // REQUIRES: `documents_folder` is absolute.
  explicit MemoryPlatform(std::string documents_folder = kDefaultDocumentsFolder);

  std::string DocumentsFolder() override;
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::optional<PlatformError> CreateFolder(const std::string& path) override;
  std::optional<std::string> ReadFile(const std::string& path, PlatformError* error) override;
  // Fails without changing anything when FailNextWrite was called since the last write.
  std::optional<PlatformError> WriteFileAtomically(const std::string& path,
                                                   std::string_view bytes) override;
  std::optional<PlatformError> RemoveFile(const std::string& path) override;
  // A lock another call holds is refused at once, without waiting: nothing else runs meanwhile.
  std::unique_ptr<FileLock> LockFile(const std::string& path, std::chrono::milliseconds wait,
                                     PlatformError* error) override;
  // Every file is an inode of its own; a write or AddFile makes a new one.
  std::optional<FileStamp> Stamp(const std::string& path) override;

  // Makes the next WriteFileAtomically fail with an input/output error, as a full or failing
  // disk would, leaving every file as it was. Only that one write fails.
  void FailNextWrite() { fail_next_write_ = true; }

  // Test setup, not subject to FailNextWrite: puts a file at `path`, creating missing parent
  // folders. REQUIRES: no parent of `path` is a file and `path` is not a folder.
  void AddFile(const std::string& path, std::string_view bytes);

  // Test setup: removes the folder `path` with everything in it. "/" cannot be removed.
  void RemoveFolder(const std::string& path);

  // Every file (normalised path -> bytes) and every folder, for checking what a command left.
  const std::map<std::string, std::string>& files() const { return files_; }
  const std::set<std::string>& folders() const { return folders_; }

 private:
  // Both take normalised paths.
  void AddFolders(const std::string& path);
  int ParentErrno(const std::string& path) const;

  std::string documents_folder_;
  std::map<std::string, std::string> files_;
  std::set<std::string> folders_;
  bool fail_next_write_ = false;
  std::map<std::string, uint64_t> inodes_;
  uint64_t next_inode_ = 1;
  std::shared_ptr<std::set<std::string>> locked_ = std::make_shared<std::set<std::string>>();
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_PLATFORM_MEMORY_PLATFORM_H_
