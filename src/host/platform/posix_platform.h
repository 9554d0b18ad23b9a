// PosixPlatform is the Platform of the real program on Linux: it reads the desktop's user
// folders from the environment and works on files through POSIX calls. Front ends create one
// and hand it down; tests of the library use MemoryPlatform instead. It holds no state of its
// own beyond a test hook, so one instance may be used from several threads at once.
#ifndef TARQUEL_HOST_PLATFORM_POSIX_PLATFORM_H_
#define TARQUEL_HOST_PLATFORM_POSIX_PLATFORM_H_

#include <optional>
#include <string>
#include <string_view>

#include "host/platform/platform.h"

namespace tarquel::host {

class PosixPlatform final : public Platform {
 public:
  PosixPlatform() = default;

  // Reads $HOME (or, when unset, the password database) and $XDG_CONFIG_HOME on every call,
  // so a change of environment is seen at once. In user-dirs.dirs the value must be quoted
  // and start with "$HOME" or '/', as the desktop writes it; other values are ignored, and the
  // last valid XDG_DOCUMENTS_DIR line wins.
  std::string DocumentsFolder() override;
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::optional<PlatformError> CreateFolder(const std::string& path) override;
  std::optional<std::string> ReadFile(const std::string& path, PlatformError* error) override;
  // The temporary file is "<path>.tmp-<pid>-<counter>", created exclusively. Before it is made,
  // the temporary files of `path` that a process no longer running left (a run killed while it
  // saved) are removed, when they are this user's. After the rename the folder is flushed too,
  // on a best-effort basis: the new content is already in place, so a failure there is not
  // reported.
  std::optional<PlatformError> WriteFileAtomically(const std::string& path,
                                                   std::string_view bytes) override;
  std::optional<PlatformError> RemoveFile(const std::string& path) override;
  // flock(2), polled while another open file description holds it: two locks of one process
  // through two calls exclude each other too.
  std::unique_ptr<FileLock> LockFile(const std::string& path, std::chrono::milliseconds wait,
                                     PlatformError* error) override;
  std::optional<FileStamp> Stamp(const std::string& path) override;
  std::optional<PlatformError> CheckWritable(const std::string& path) override;

  // Makes SIGTERM, SIGHUP and SIGINT remove the temporary file of any write under way before
  // the process ends as the signal would end it. A signal that is ignored stays ignored. For
  // the program's main(); calling it again changes nothing.
  static void RemoveTemporaryFilesOnSignals();

  // Called by WriteFileAtomically between writing the temporary file and renaming it, so that
  // a test can stop or kill the process at that moment. Null (the default) for none.
  void SetBeforeRenameForTesting(void (*hook)(const std::string& temporary)) {
    before_rename_ = hook;
  }

 private:
  void (*before_rename_)(const std::string&) = nullptr;
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_PLATFORM_POSIX_PLATFORM_H_
