// A fixture for command tests: a host application with a scripted Ui, an in-memory platform,
// a freshly loaded add-in bound to the application's sheet events, and a workbook. Commands
// run through the data workbook's macros, as the host runs them.
#ifndef TARQUEL_TESTS_SUPPORT_ADD_IN_FIXTURE_H_
#define TARQUEL_TESTS_SUPPORT_ADD_IN_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>

#include "datafiles/file_sentaku.h"
#include "host/application.h"
#include "host/platform/memory_platform.h"
#include "host/workbook.h"
#include "macros/data_workbook_macros.h"
#include "shell/add_in.h"
#include "support/scripted_ui.h"
#include "support/write_counting_platform.h"

namespace tarquel::testing {

class AddInTest : public ::testing::Test {
 protected:
  static constexpr char kSettingsPath[] =
      "/home/user/Documents/ソルネア保存データ/ミラヴォ 同音・同訓_設定値.ini";

  AddInTest() : app_(ui_), add_in_(app_, counted_platform_) {
    app::BindSheetActivate(app_, add_in_);
  }

  // Starts the add-in as opening the data workbook does. Start-up shows the data file dialog;
  // the scripted user closes it with its close box, which builds a blank question bank in a
  // new workbook. Tests work on the workbooks they made before starting: the blank one is
  // closed again, which makes the last of those active, screen updating is turned back on as
  // the host does when the start-up macro ends, and the dialog's showing is taken from the
  // Ui's log.
  void StartUp() {
    ui_.QueueFormScriptFor<datafiles::FILE_Sentaku>([](datafiles::FILE_Sentaku& f) { f.Unload(); });
    app::WorkbookOpen(add_in_);
    app_.Workbooks().Close(*app_.ActiveWorkbook());
    app_.SetScreenUpdating(true);
    ui_.TakeLog();
  }

  // How many files the add-in has written since the last call (the settings file is the only
  // one it writes).
  int TakeWrites() { return counted_platform_.TakeWrites(); }

  // Runs a macro by name; fails the test when the workbook has no such macro.
  void Run(const std::string& macro) { ASSERT_TRUE(app::RunMacro(add_in_, macro)) << macro; }

  model::Body& body() { return add_in_.body(); }

  // The settings file's bytes, or nullopt when it does not exist.
  std::optional<std::string> SettingsFile() const {
    auto it = platform_.files().find(kSettingsPath);
    if (it == platform_.files().end()) return std::nullopt;
    return it->second;
  }

  ScriptedUi ui_;
  host::MemoryPlatform platform_;
  // The add-in's files go through this, which counts the writes (TakeWrites).
  WriteCountingPlatform counted_platform_{platform_};
  host::Application app_;
  shell::AddIn add_in_;
};

}  // namespace tarquel::testing

#endif  // TARQUEL_TESTS_SUPPORT_ADD_IN_FIXTURE_H_
