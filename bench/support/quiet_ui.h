// A Ui for benchmarks: every message answered OK, every dialog closed at once, nothing shown.
#ifndef TARQUEL_BENCH_SUPPORT_QUIET_UI_H_
#define TARQUEL_BENCH_SUPPORT_QUIET_UI_H_

#include <optional>
#include <string>
#include <vector>

#include "host/ui.h"

namespace tarquel {

class QuietUi : public host::Ui {
 public:
  host::MessageAnswer MessageBox(host::MessageKind, const std::string&, host::MessageButtons,
                                 const std::optional<std::string>&) override {
    return host::MessageAnswer::kOk;
  }
  std::string GetOpenFilename(const std::vector<host::FileFilter>&) override { return "False"; }
  void PlaySound(host::SystemSound) override {}
  void EditPhonetics(host::Range&) override {}
  void PrintPreview(const std::vector<host::Worksheet*>&) override {}
  void ShowModal(host::Form&) override {}
};

}  // namespace tarquel

#endif  // TARQUEL_BENCH_SUPPORT_QUIET_UI_H_
