#include "testgen/user_form1.h"

#include <algorithm>
#include <chrono>
#include <iterator>

#include "host/application.h"
#include "model/body.h"
#include "model/whole_number.h"
#include "settings/keys.h"
#include "settings/settings_file.h"
#include "testgen/generate.h"
#include "testgen/random.h"
#include "testgen/selection.h"

namespace tarquel::testgen {

namespace {

constexpr char kSheet20Caption[] = "１ページ  ２０問で作成";
constexpr char kSheet40Caption[] = "１ページ  ４０問で作成";

const char* BooleanText(bool value) { return value ? "True" : "False"; }

}  // namespace

bool StoredOptionValue(const std::string& text) {
  if (text == "True" || text == "TRUE" || text == "true") return true;
  const std::optional<double> number = model::NumericValue(text);
  return number && *number != 0;
}

std::string MinimumMessage(int minimum) {
  return std::to_string(minimum) + "以上の整数を入力して下さい。 ";
}

UserForm1::UserForm1(model::Body& body) : host::Form(body.HostApp().ui()), body_(body) {
  Design();
  T1.on_exit = [this](bool& cancel) { T1_Exit(cancel); };
  T2.on_exit = [this](bool& cancel) { T2_Exit(cancel); };
  T3.on_exit = [this](bool& cancel) { T3_Exit(cancel); };
  T4.on_exit = [this](bool& cancel) { T4_Exit(cancel); };
  CBox.on_change = [this] { CBox_Change(); };
  CheckBox1.on_change = [this] { CheckBox1_Change(); };
  CheckBox2.on_click = [this] { CheckBox2_Click(); };
  TB1.on_click = [this] { TB1_Click(); };
  CommandButton1.on_click = [this] { CommandButton1_Click(); };
  CommandButton2.on_click = [this] { CommandButton2_Click(); };
  CommandButton3.on_click = [this] { CommandButton3_Click(); };
  CommandButton4.on_click = [this] { CommandButton4_Click(); };
}

void UserForm1::Design() {
  set_caption("漢字テスト作成");
  set_geometry({0, 0, 5400, 3600});
  T1.set_geometry({1200, 240, 900, 330});
  Label1.set_caption("出題範囲　　　　　　 　～");
  Label1.set_geometry({240, 270, 3000, 270});
  T2.set_geometry({2500, 240, 900, 330});
  Label2.set_caption("出題数　　　　　　　　　題");
  Label2.set_geometry({240, 690, 3000, 270});
  T3.set_geometry({1200, 660, 900, 330});
  T4.set_geometry({1200, 1080, 900, 330});
  Label3.set_caption("乱数コード");
  Label3.set_geometry({240, 1110, 900, 270});
  CommandButton4.set_caption("乱数コード作成");
  CommandButton4.set_geometry({2500, 1080, 1500, 330});
  CBox.set_caption("間違い度数を無視する");
  CBox.set_geometry({240, 1560, 3600, 270});
  CheckBox1.set_caption("一度出題された問題を除く");
  CheckBox1.set_geometry({240, 1860, 3600, 270});
  CheckBox2.set_caption("「必出」問題を考慮する");
  CheckBox2.set_geometry({240, 2160, 3600, 270});
  TB1.set_caption(kSheet20Caption);
  TB1.set_geometry({240, 2520, 3000, 390});
  CommandButton1.set_caption("作成");
  CommandButton1.set_geometry({3500, 2520, 1500, 390});
  CommandButton2.set_caption("閉じる");
  CommandButton2.set_geometry({3500, 3000, 1500, 390});
  CommandButton3.set_caption("リセット");
  CommandButton3.set_geometry({4100, 240, 1000, 330});
}

void UserForm1::UserForm_Activate() {
  host::Application& app = body_.HostApp();
  app.SetScreenUpdating(false);
  model::GenerationState& state = body_.generation;
  ScanBank(app.ActiveSheet().workbook().Sheets().Item(body_.bank_sheet_name), state);
  const settings::SettingsLocation settings = body_.Settings();
  auto read = [&](const settings::Key& key) {
    return settings::ReadSetting(settings, key.name, key.default_value);
  };
  if (state.bank_group_count == 1) {
    T1.SetValue(read(settings::kFirstGroup));
    T2.SetValue(read(settings::kLastGroup));
  } else {
    T1.SetValue("1");
    T2.SetValue(std::to_string(state.bank_group_count));
  }
  T3.SetValue(read(settings::kGroupCount));
  T4.SetValue(read(settings::kRandomCode));
  CBox.SetValue(StoredOptionValue(read(settings::kIgnoreWrongCounts)));
  CheckBox1.SetValue(StoredOptionValue(read(settings::kExcludeSetQuestions)));
  CheckBox2.SetValue(StoredOptionValue(read(settings::kHonourMustAppear)));
  TB1.SetValue(StoredOptionValue(read(settings::kUseSheet40)));
  // A value that did not change raised no event, so the flags could still hold what a closed
  // dialog left behind; they follow what the dialog shows.
  state.options.ignore_wrong_count = CBox.value();
  state.options.exclude_already_set = CheckBox1.value();
  state.options.consider_must_appear = CheckBox2.value();
  TB1_Click();
}

void UserForm1::CBox_Change() {
  body_.generation.options.ignore_wrong_count = CBox.value();
  if (CBox.value()) CheckBox1.SetValue(false);
}

void UserForm1::CheckBox1_Change() {
  body_.generation.options.exclude_already_set = CheckBox1.value();
  if (CheckBox1.value()) CBox.SetValue(false);
}

void UserForm1::CheckBox2_Click() {
  body_.generation.options.consider_must_appear = CheckBox2.value();
}

void UserForm1::TB1_Click() {
  body_.use_sheet40 = TB1.value();
  TB1.set_caption(TB1.value() ? kSheet40Caption : kSheet20Caption);
}

void UserForm1::CheckBox(host::TextBox& box, double minimum, bool& cancel) {
  const std::optional<double> number = model::NumericValue(box.value());
  if (number && *number >= minimum && model::ToWholeNumber(box.value())) return;
  ui().MessageBox(host::MessageKind::kRefused, MinimumMessage(static_cast<int>(minimum)),
                  host::MessageButtons::kOk, std::nullopt);
  cancel = true;
}

void UserForm1::T1_Exit(bool& cancel) { CheckBox(T1, 1, cancel); }
void UserForm1::T2_Exit(bool& cancel) { CheckBox(T2, 2, cancel); }
void UserForm1::T3_Exit(bool& cancel) { CheckBox(T3, 1, cancel); }
void UserForm1::T4_Exit(bool& cancel) { CheckBox(T4, 1, cancel); }

std::optional<int32_t> UserForm1::NumberFor(host::TextBox& box, double minimum) {
  std::optional<int32_t> number = model::ToWholeNumber(box.value());
  if (!number) {
    ui().MessageBox(host::MessageKind::kRefused, MinimumMessage(static_cast<int>(minimum)),
                    host::MessageButtons::kOk, std::nullopt);
  }
  return number;
}

std::vector<settings::SettingChange> UserForm1::OptionChanges() const {
  const model::SelectionOptions& options = body_.generation.options;
  return {
      {settings::kIgnoreWrongCounts.name, BooleanText(options.ignore_wrong_count)},
      {settings::kExcludeSetQuestions.name, BooleanText(options.exclude_already_set)},
      {settings::kHonourMustAppear.name, BooleanText(options.consider_must_appear)},
      {settings::kUseSheet40.name, BooleanText(body_.use_sheet40)},
  };
}

void UserForm1::CommandButton1_Click() {
  // Every box must hold a number before anything is changed; a box the user never entered
  // may hold what the settings file had.
  const std::optional<int32_t> first = NumberFor(T1, 1);
  if (!first) return;
  const std::optional<int32_t> last = NumberFor(T2, 2);
  if (!last) return;
  const std::optional<int32_t> count = NumberFor(T3, 1);
  if (!count) return;
  const std::optional<int32_t> seed = NumberFor(T4, 1);
  if (!seed) return;
  // Both checks come before anything is written, so that a refusal leaves all as it was.
  if (!CheckGroupSizes(body_, {*first, *last, *count})) return;
  if (!CheckPaperSettings(body_)) return;
  body_.HostApp().SetScreenUpdating(false);
  // The code and the options in one write, so the file never holds half of them.
  std::vector<settings::SettingChange> changes{{settings::kRandomCode.name, T4.value()}};
  std::ranges::move(OptionChanges(), std::back_inserter(changes));
  settings::WriteSettings(body_.Settings(), changes);
  if (Generate(body_, {*first, *last, *count})) {
    body_.HostApp().SetScreenUpdating(true);
    CommandButton1.set_caption("再作成");
    ui().PlaySound(host::SystemSound::kBeep);
  }
}

void UserForm1::CommandButton2_Click() {
  std::vector<settings::SettingChange> changes{
      {settings::kFirstGroup.name, T1.value()},
      {settings::kLastGroup.name, T2.value()},
      {settings::kGroupCount.name, T3.value()},
      {settings::kRandomCode.name, T4.value()},
  };
  std::ranges::move(OptionChanges(), std::back_inserter(changes));
  settings::WriteSettings(body_.Settings(), changes);
  Unload();
}

void UserForm1::CommandButton3_Click() {
  T1.SetValue("1");
  T2.SetValue(std::to_string(body_.generation.bank_group_count));
}

void UserForm1::CommandButton4_Click() {
  // A fresh code each time: seeded from the clock, as the code is meant to differ.
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count() ^
                     std::chrono::system_clock::now().time_since_epoch().count();
  Random random(static_cast<int32_t>(ticks ^ (ticks >> 32)));
  std::string code;
  for (int digit = 0; digit < 4; ++digit) code += static_cast<char>('0' + random.Uniform(0, 9));
  T4.SetValue(code);
}

}  // namespace tarquel::testgen
