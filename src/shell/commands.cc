#include "shell/commands.h"

#include "datafiles/show_file_sentaku.h"
#include "host/application.h"
#include "kanjigrade/show_form1.h"
#include "model/bank_sheet.h"
#include "model/body.h"
#include "model/test_sheet.h"
#include "settings/settings_file.h"
#include "shell/menu.h"
#include "testgen/show_dialog.h"

namespace tarquel::shell {

void Auto_Open(model::Body& body) {
  body.host_app = body.running_host;
  body.data_folder_name = kDataFolderName;
  body.settings_file_name = std::string(model::kBankSheetBaseName) + kSettingsFileSuffix;
  host::Application& app = body.HostApp();
  InstallMenu(app);
  datafiles::ShowFileSentaku(body);
  RegisterShortcutKeys(app);
}

void START(model::Body& body) {
  host::Application& app = body.HostApp();
  host::Worksheet& sheet = app.ActiveSheet();
  const std::string name = sheet.Name();
  if (!model::IsBankSheetName(name)) {
    app.ui().MessageBox(host::MessageKind::kStop,
                        "シート名「ミラヴォ 同音・同訓」を選択して下さい。",
                        host::MessageButtons::kOk, std::nullopt);
    return;
  }
  body.start_sheet_name = name;
  body.bank_sheet_name = name;
  if (sheet.Range("D1").Value().AsText().empty()) {
    app.ui().MessageBox(host::MessageKind::kStop, "問題文が１題もありません。",
                        host::MessageButtons::kOk, "エラー");
    return;
  }
  testgen::ShowUserForm1(body);
}

void SheetActivate(model::Body& body, const std::string& sheet_name) {
  if (sheet_name == model::kTestSheet40Name) {
    body.use_sheet40 = true;
  } else if (sheet_name == model::kTestSheet20Name) {
    body.use_sheet40 = false;
  }
}

void END_Shori(model::Body& body) {
  host::Application& app = body.HostApp();
  if (app.Workbooks().Count() == 0) return;
  const std::string path = app.ActiveWorkbook()->Path();
  const std::string name = app.ActiveWorkbook()->Name();
  RemoveMenu(app);
  if (path.empty()) return;
  // A name the settings file cannot hold leaves the history as it was and comes back as a host
  // error, after the menu is gone; the front end reports it as a warning.
  settings::UpdateHistory(body.Settings(), path + "/" + name);
}

void Command1(model::Body& body) { datafiles::ShowFileSentaku(body); }

void Command2(model::Body& body) { kanjigrade::ShowForm1(body); }

}  // namespace tarquel::shell
