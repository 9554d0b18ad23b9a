// A platform for tests that counts the file writes made through it and passes every call on to
// a MemoryPlatform, to check that a change of several settings is one write of the file (so
// that a failure can never leave half of it) and that a change of nothing writes nothing.
#ifndef TARQUEL_TESTS_SUPPORT_WRITE_COUNTING_PLATFORM_H_
#define TARQUEL_TESTS_SUPPORT_WRITE_COUNTING_PLATFORM_H_

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "host/platform/memory_platform.h"
#include "host/platform/platform.h"

namespace tarquel::testing {

class WriteCountingPlatform final : public host::Platform {
 public:
  explicit WriteCountingPlatform(host::MemoryPlatform& files) : files_(files) {}

  std::string DocumentsFolder() override { return files_.DocumentsFolder(); }
  bool FileExists(const std::string& path) override { return files_.FileExists(path); }
  bool FolderExists(const std::string& path) override { return files_.FolderExists(path); }
  std::optional<host::PlatformError> CreateFolder(const std::string& path) override {
    return files_.CreateFolder(path);
  }
  std::optional<std::string> ReadFile(const std::string& path,
                                      host::PlatformError* error) override {
    return files_.ReadFile(path, error);
  }
  // Failed writes count too: they were attempted.
  std::optional<host::PlatformError> WriteFileAtomically(const std::string& path,
                                                         std::string_view bytes) override {
    ++writes_;
    return files_.WriteFileAtomically(path, bytes);
  }
  std::optional<host::PlatformError> RemoveFile(const std::string& path) override {
    return files_.RemoveFile(path);
  }

  // Writes since the last call; resets the count.
  int TakeWrites() { return std::exchange(writes_, 0); }

 private:
  host::MemoryPlatform& files_;
  int writes_ = 0;
};

}  // namespace tarquel::testing

#endif  // TARQUEL_TESTS_SUPPORT_WRITE_COUNTING_PLATFORM_H_
