#include "datafiles/file_sentaku.h"

#include "datafiles/blank_bank.h"
#include "datafiles/sample_location.h"
#include "host/application.h"
#include "host/platform/platform.h"
#include "model/bank_sheet.h"
#include "model/body.h"
#include "settings/settings_file.h"

namespace tarquel::datafiles {

namespace {

constexpr char kNoHistoryCaption[] = "履歴なし";
constexpr char kOpenFileFilter[] = "Microsoft Excelブック,*.xl*,テキストファイル,*.txt";

// Layout in twips, inside the window's client area.
constexpr int kClientWidth = 6000;
constexpr int kClientHeight = 2955;
constexpr int kLeft = 135;
constexpr int kFullWidth = 5715;
constexpr int kButtonHeight = 330;

}  // namespace

FILE_Sentaku::FILE_Sentaku(model::Body& body) : host::Form(body.HostApp().ui()), body_(body) {
  Design();
  for (int index = 0; index < kHistorySize; ++index) {
    CMD[index].on_click = [this, index] { CMD_Click(index); };
  }
  Sample.on_click = [this] { Sample_Click(); };
  Command1.on_click = [this] { Command1_Click(); };
  Command2.on_click = [this] { Command2_Click(); };
  Command3.on_click = [this] { Command3_Click(); };
}

// The history buttons are captioned when the dialog becomes active. The tab order is the
// order of declaration: the history, the sample, then the three buttons below.
void FILE_Sentaku::Design() {
  set_geometry({0, 0, kClientWidth, kClientHeight});
  for (int index = 0; index < kHistorySize; ++index) {
    CMD[index].set_geometry({kLeft, kLeft + kButtonHeight * index, kFullWidth, kButtonHeight});
  }
  Sample.set_caption("サンプルデータ");
  Sample.set_geometry({kLeft, 2190, kFullWidth, kButtonHeight});
  Command1.set_caption("空白テンプレート");
  Command1.set_geometry({kLeft, 2520, kFullWidth, kButtonHeight});
  Command2.set_caption("履歴クリア");
  Command2.set_geometry({4680, 1830, 1170, kButtonHeight});
  Command3.set_caption("ファイルを開く");
  Command3.set_geometry({3100, 1830, 1575, kButtonHeight});
}

void FILE_Sentaku::Form_Activate() {
  opened_ = false;
  set_caption(std::string("開くファイルを選択して下さい。【") + model::kBankSheetBaseName + "】");

  sample_path_ = SampleWorkbookPath(body_.platform->DocumentsFolder(), body_.data_folder_name);
  const bool has_sample = ExistFile(sample_path_);
  Sample.set_caption(has_sample ? "サンプルデータを開く" : "サンプルデータがありません。");
  // Activation runs again after the history is cleared; a tip left from before would name a
  // file the button no longer offers.
  Sample.set_tooltip(has_sample ? sample_path_ : "");
  Sample.set_enabled(has_sample);

  const settings::SettingsLocation location = body_.Settings();
  for (int index = 0; index < kHistorySize; ++index) {
    const settings::Key& key = settings::kHistory[index];
    history_paths_[index] = settings::ReadSetting(location, key.name, key.default_value);
  }
  // An entry whose file has gone stays visible with its name, greyed.
  for (int index = 0; index < kHistorySize; ++index) {
    host::CommandButton& button = CMD[index];
    const std::string& path = history_paths_[index];
    if (path.empty()) {
      button.set_enabled(false);
      button.set_caption(kNoHistoryCaption);
      button.set_tooltip("");
      continue;
    }
    button.set_enabled(ExistFile(path));
    button.set_tooltip(path);
    button.set_caption(last_file_name_);
  }
  ui().PlaySound(host::SystemSound::kInformation);
}

bool FILE_Sentaku::ExistFile(const std::string& path) {
  // "\" too: a history written on another system separates its folders so.
  const std::size_t separator = path.find_last_of("/\\");
  last_file_name_ = separator == std::string::npos ? path : path.substr(separator + 1);
  return body_.platform->FileExists(path);
}

void FILE_Sentaku::CMD_Click(int index) { OpenWorkbook(history_paths_[index]); }

void FILE_Sentaku::Sample_Click() { OpenWorkbook(sample_path_); }

void FILE_Sentaku::Command1_Click() { Unload(); }

void FILE_Sentaku::Command2_Click() {
  if (ui().MessageBox(host::MessageKind::kQuestion, "本当に履歴を消去してもよろしいですか？",
                      host::MessageButtons::kYesNo, "確認") != host::MessageAnswer::kYes) {
    return;
  }
  const settings::SettingsLocation location = body_.Settings();
  // Deleting a key from a settings file that does not exist would create the file holding
  // that key; without a file there is no history to clear. One write: a failure leaves the
  // whole history, never half of it.
  if (body_.platform->FileExists(settings::MakeSettingsPath(location))) {
    std::vector<settings::SettingChange> clear;
    for (const settings::Key& key : settings::kHistory) clear.push_back({key.name, "", true});
    settings::WriteSettings(location, clear);
  }
  Form_Activate();
}

void FILE_Sentaku::Command3_Click() {
  const std::string path = body_.HostApp().GetOpenFilename(kOpenFileFilter);
  if (path == "False") return;  // cancelled: the dialog stays as it was
  OpenWorkbook(path);
}

void FILE_Sentaku::OpenWorkbook(const std::string& path) {
  // Marked before the open: when the host cannot open the file, its error closes the dialog
  // on the way out, and that unload must not build a blank bank the user did not ask for.
  opened_ = true;
  body_.HostApp().Workbooks().Open(path);
  Unload();
}

void FILE_Sentaku::Form_Unload() {
  host::Application& app = body_.HostApp();
  if (!opened_) {
    // Marked first: should building fail, the unload that the failure causes does not try
    // again.
    opened_ = true;
    BuildBlankBank(app);
  }
  app.SetDisplayCommentIndicator(host::CommentIndicator::kIndicatorOnly);
}

}  // namespace tarquel::datafiles
