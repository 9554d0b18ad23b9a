#include "shell/version_info.h"

#include <cstdio>

#include "host/application.h"
#include "model/body.h"
#include "shell/version.h"

namespace tarquel::shell {

std::string FileVersionString() {
  char text[40];
  std::snprintf(text, sizeof text, "%d.%02d.%04d", kVersionMajor, kVersionMinor, kVersionRevision);
  return text;
}

std::string VersionText(int major, int minor, int revision) {
  return "バージョン " + std::to_string(major) + "." + std::to_string(minor) + "." +
         std::to_string(revision);
}

void QVersion(model::Body& body) {
  body.HostApp().ui().MessageBox(
      host::MessageKind::kResult, VersionText(kVersionMajor, kVersionMinor, kVersionRevision),
      host::MessageButtons::kOk, std::string(kAddInTitle) + " バージョン情報");
}

}  // namespace tarquel::shell
