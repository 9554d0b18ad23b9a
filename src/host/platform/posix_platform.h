// PosixPlatform is the Platform of the real program on Linux: it reads the desktop's user
// folders from the environment and works on files through POSIX calls. Front ends create one
// and hand it down; tests of the library use MemoryPlatform instead. It holds no state of its
// own, so one instance may be used from several threads at once.
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
  // The temporary file is "<path>.tmp-<pid>-<counter>", created exclusively. After the rename
  // the folder is flushed too, on a best-effort basis: the new content is already in place,
  // so a failure there is not reported.
  std::optional<PlatformError> WriteFileAtomically(const std::string& path,
                                                   std::string_view bytes) override;
  std::optional<PlatformError> RemoveFile(const std::string& path) override;
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_PLATFORM_POSIX_PLATFORM_H_
