// FILE_Sentaku, the data file dialog: how the user gets to a question bank workbook. It offers
// the five most recently closed workbooks of the history (settings keys PATH1 .. PATH5), any
// workbook chosen in the host's file-open dialog, the sample workbook in the data folder, and a
// new blank question bank; it can also clear the history. Whenever it closes without having
// opened a workbook, whichever way it was closed, the blank bank is built.
//
// Start-up and the data file command show it (ShowFileSentaku); the instance is created on first
// use and kept in the module state. Every showing starts afresh: the dialog is unloaded when it
// closes, and its buttons are rebuilt from the settings file and the file system each time it
// becomes active.
#ifndef TARQUEL_DATAFILES_FILE_SENTAKU_H_
#define TARQUEL_DATAFILES_FILE_SENTAKU_H_

#include <array>
#include <string>

#include "host/forms/controls.h"
#include "host/forms/form.h"
#include "settings/keys.h"

namespace tarquel::model {
struct Body;
}

namespace tarquel::datafiles {

class FILE_Sentaku : public host::Form {
 public:
  static constexpr int kHistorySize = static_cast<int>(settings::kHistory.size());

  // `body` must outlive the dialog; start-up must have run (the host and the names it fixes).
  explicit FILE_Sentaku(model::Body& body);

  // The control array CMD: index i opens the history entry PATH(i + 1). Named "CMD(0)" ..
  // "CMD(4)".
  std::array<host::CommandButton, kHistorySize> CMD{{
      {*this, "CMD(0)"},
      {*this, "CMD(1)"},
      {*this, "CMD(2)"},
      {*this, "CMD(3)"},
      {*this, "CMD(4)"},
  }};
  host::CommandButton Sample{*this, "Sample"};      // サンプルデータを開く
  host::CommandButton Command1{*this, "Command1"};  // 空白テンプレート
  host::CommandButton Command2{*this, "Command2"};  // 履歴クリア
  host::CommandButton Command3{*this, "Command3"};  // ファイルを開く

  // The events.
  void Form_Activate();
  void CMD_Click(int index);
  void Sample_Click();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Form_Unload();

  // True when `path` names an existing file. Sets last_file_name() to the part of `path` after
  // its last "/" or "\" (the whole path when it has neither), whatever the answer.
  bool ExistFile(const std::string& path);
  const std::string& last_file_name() const { return last_file_name_; }

  // The sample workbook's path, as the last activation computed it.
  const std::string& sample_path() const { return sample_path_; }

 protected:
  void OnActivate() override { Form_Activate(); }
  void OnUnload() override { Form_Unload(); }

 private:
  void Design();
  // Opens the workbook at `path` and closes the dialog. A host error (no such file, not a
  // workbook) passes on.
  void OpenWorkbook(const std::string& path);

  model::Body& body_;
  std::array<std::string, kHistorySize> history_paths_;
  std::string sample_path_;
  std::string last_file_name_;
  // Cleared whenever the dialog becomes active. Set once a workbook is being opened from the
  // dialog, and once the unload has begun building the blank bank, so that the unload builds
  // it only when nothing was opened, and never twice.
  bool opened_ = false;
};

}  // namespace tarquel::datafiles

#endif  // TARQUEL_DATAFILES_FILE_SENTAKU_H_
