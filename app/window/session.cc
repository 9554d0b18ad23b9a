#include "window/session.h"

#include <exception>

#include "host/workbook.h"
#include "host/xlsx/fingerprint.h"
#include "macros/data_workbook_macros.h"
#include "sample/install_sample.h"

namespace tarquel::window {

WindowSession::WindowSession(host::Ui& ui, host::Platform& platform)
    : platform_(&platform), files_(platform), app_(ui), add_in_(app_, platform) {
  app_.SetWorkbookFiles(&files_);
  app::BindSheetActivate(app_, add_in_);
}

void WindowSession::Start() {
  app::InstallSampleWorkbook(app_, *platform_, files_);
  app::WorkbookOpen(add_in_);
  TrackOpenWorkbooks();
}

bool WindowSession::RunMacro(std::string_view name) { return app::RunMacro(add_in_, name); }

uint64_t WindowSession::Fingerprint(const host::Workbook& workbook) const {
  return host::xlsx::ContentFingerprint(workbook);
}

void WindowSession::TrackOpenWorkbooks() {
  std::map<const host::Workbook*, uint64_t> tracked;
  for (int index = 1; index <= app_.Workbooks().Count(); ++index) {
    const host::Workbook* workbook = &app_.Workbooks().Item(index);
    const auto known = saved_.find(workbook);
    tracked[workbook] = known != saved_.end() ? known->second : Fingerprint(*workbook);
  }
  saved_ = std::move(tracked);
}

bool WindowSession::Changed(const host::Workbook& workbook) {
  if (workbook.Path().empty()) return true;
  const auto [saved, inserted] = saved_.try_emplace(&workbook, 0);
  const uint64_t now = Fingerprint(workbook);
  if (inserted) saved->second = now;
  return now != saved->second;
}

void WindowSession::Save(host::Workbook& workbook, const std::string& path) {
  workbook.SaveAs(path.empty() ? workbook.FullName() : path);
  saved_[&workbook] = Fingerprint(workbook);
}

void WindowSession::Close(host::Workbook& workbook) {
  // A closing event that fails (a history the settings file cannot take) does not keep the
  // workbook open; its error comes after.
  std::exception_ptr failure;
  if (app_.Workbooks().Count() == 1) {
    workbook.Activate();
    try {
      app::WorkbookBeforeClose(add_in_);
    } catch (...) {
      failure = std::current_exception();
    }
  }
  saved_.erase(&workbook);
  app_.Workbooks().Close(workbook);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace tarquel::window
