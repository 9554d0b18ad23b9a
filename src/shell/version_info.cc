#include "shell/version_info.h"

#include <cstdio>

#include "shell/version.h"

namespace tarquel::shell {

std::string FileVersionString() {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d.%04d", kVersionMajor, kVersionMinor, kVersionRevision);
  return text;
}

}  // namespace tarquel::shell
