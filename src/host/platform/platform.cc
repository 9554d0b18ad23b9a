#include "host/platform/platform.h"

namespace tarquel::host {

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

}  // namespace tarquel::host
