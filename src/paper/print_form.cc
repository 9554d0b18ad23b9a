#include "paper/print_form.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>

#include "host/application.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "model/bank_sheet.h"
#include "model/body.h"
#include "model/test_sheet.h"
#include "model/whole_number.h"
#include "paper/geometry.h"
#include "settings/settings_file.h"

namespace tarquel::paper {

namespace {

// Layout in twips. The boxes stand to the right of the paper's picture, one per line of it.
constexpr int kMargin = 120;
constexpr int kPageWidth = 7320;
constexpr int kPageHeight = 5400;
constexpr int kPictureWidth = 4200;
constexpr int kPictureHeight = 4680;
constexpr int kBoxLeft = kMargin + kPictureWidth + 240;
constexpr int kBoxWidth = 1080;
constexpr int kBoxHeight = 360;
constexpr int kButtonTop = kMargin + kPageHeight + 120;
constexpr int kButtonWidth = 1710;
constexpr int kButtonHeight = 480;
constexpr int kButtonGap = 120;
constexpr int kFormWidth = 2 * kMargin + kPageWidth;
constexpr int kFormHeight = kButtonTop + kButtonHeight + kMargin + 360;  // 360: the title bar

}  // namespace

PrintForm::PrintForm(host::Ui& ui, model::Body& body)
    : host::Form(ui), body_(body), fields_(MakeFields()) {
  set_caption("用紙調整");
  set_geometry({0, 0, kFormWidth, kFormHeight});

  MultiPage1.AddPage("１ページ４０題");
  MultiPage1.AddPage("１ページ２０題");
  MultiPage1.set_geometry({kMargin, kMargin, kPageWidth, kPageHeight});
  MultiPage1.on_change = [this] { MultiPage1_Change(); };

  const host::Geometry picture{kMargin, kMargin, kPictureWidth, kPictureHeight};
  Image1.set_picture("paper40");
  Image1.set_geometry(picture);
  Image1.PlaceOn(MultiPage1, kPage40);
  Image2.set_picture("paper20");
  Image2.set_geometry(picture);
  Image2.PlaceOn(MultiPage1, kPage20);

  // Seven boxes share page 0 and six page 1; each page spreads its boxes over the picture's
  // height.
  int line[2] = {0, 0};
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const Field& field = fields_[i];
    // The picture shows which rows a box sizes; the tip says it in words, with the key.
    field.box->set_tooltip(std::string(kSettings[i].what) + "（" + field.key.name + "）");
    const int spacing = field.page == kPage40 ? 660 : 760;
    field.box->set_geometry(
        {kBoxLeft, 2 * kMargin + spacing * line[field.page]++, kBoxWidth, kBoxHeight});
    field.box->PlaceOn(MultiPage1, field.page);
    field.box->on_exit = [this, &field](bool& cancel) { TextBox_Exit(field, cancel); };
  }

  host::CommandButton* buttons[] = {&CommandButton1, &CommandButton2, &CommandButton3,
                                    &CommandButton4};
  const char* captions[] = {"印刷プレビュー", "設定値リセット", "保存せずに閉じる",
                            "保存して閉じる"};
  for (int i = 0; i < 4; ++i) {
    buttons[i]->set_caption(captions[i]);
    buttons[i]->set_geometry(
        {kMargin + i * (kButtonWidth + kButtonGap), kButtonTop, kButtonWidth, kButtonHeight});
  }
  CommandButton1.on_click = [this] { CommandButton1_Click(); };
  CommandButton2.on_click = [this] { CommandButton2_Click(); };
  CommandButton3.on_click = [this] { CommandButton3_Click(); };
  CommandButton4.on_click = [this] { CommandButton4_Click(); };
}

std::array<PrintForm::Field, 13> PrintForm::MakeFields() {
  const std::array<host::TextBox*, 13> boxes = {
      &TextBox1, &TextBox2, &TextBox3,  &TextBox4,  &TextBox5,  &TextBox6, &TextBox7,
      &TextBox8, &TextBox9, &TextBox10, &TextBox11, &TextBox12, &TextBox13};
  std::array<Field, 13> fields;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const Setting& setting = kSettings[i];
    fields[i] = {boxes[i], setting.key, setting.page};
  }
  return fields;
}

std::pair<host::TextBox*, int> PrintForm::BoxForSetting(std::string_view key_name) {
  for (const Field& field : fields_) {
    if (key_name == field.key.name) return {field.box, field.page};
  }
  return {nullptr, -1};
}

void PrintForm::OnActivate() {
  host::Application& app = body_.HostApp();
  host::Worksheet& active = app.ActiveSheet();
  const host::Sheets sheets = active.workbook().Sheets();
  const bool has40 = model::SheetExists(sheets, model::kTestSheet40Name);
  const bool has20 = model::SheetExists(sheets, model::kTestSheet20Name);
  if (!has40 && !has20) {
    Unload();
    ui().MessageBox(host::MessageKind::kStop, "問題を作成してから実行して下さい。",
                    host::MessageButtons::kOk, "問題用紙が存在しません。");
    return;
  }
  if (!has40) MultiPage1.page(kPage40).enabled = false;
  if (!has20) MultiPage1.page(kPage20).enabled = false;

  const settings::SettingsLocation location = body_.Settings();
  for (const Field& field : fields_) {
    field.box->SetValue(settings::ReadSetting(location, field.key.name, field.key.default_value));
  }

  if (active.Name() == model::kTestSheet40Name) {
    body_.use_sheet40 = true;
  } else if (active.Name() == model::kTestSheet20Name) {
    body_.use_sheet40 = false;
  } else {
    ui().MessageBox(host::MessageKind::kStop, "問題用紙を選択してから実行して下さい。",
                    host::MessageButtons::kOk, "エラー");
    Unload();
    return;
  }
  // Raises MultiPage1_Change only when the page really changes.
  MultiPage1.SetValue(body_.use_sheet40 ? kPage40 : kPage20);
}

void PrintForm::TextBox_Exit(const Field& field, bool& cancel) {
  // Zero passes the host but hides the row or column, so the dialog asks for more.
  const HostLimits limits = HostLimitsOf(field.key.name);
  const std::optional<double> number = model::NumericValue(field.box->value());
  if (number && *number > 0 && limits.Takes(field.box->value())) return;
  std::ostringstream high;
  high << limits.high;
  ui().MessageBox(host::MessageKind::kRefused,
                  std::string("1以上の整数を入力して下さい。(既定値：") + field.key.default_value +
                      ") \r\n" + limits.what + "は " + high.str() + " 以下にして下さい。",
                  host::MessageButtons::kOk, std::nullopt);
  cancel = true;
}

void PrintForm::MultiPage1_Change() {
  body_.use_sheet40 = MultiPage1.value() == kPage40;
  body_.HostApp()
      .ActiveSheet()
      .workbook()
      .Sheets()
      .Item(std::string(model::TestSheetName(body_.use_sheet40)))
      .Select();
}

void PrintForm::CommandButton1_Click() {
  host::Application& app = body_.HostApp();
  app.SetScreenUpdating(false);
  StoreValues();

  host::Worksheet& sheet = app.ActiveSheet().workbook().Sheets().Item(
      std::string(model::TestSheetName(body_.use_sheet40)));
  const int32_t rows_per_page = model::RowsPerPage(body_.use_sheet40);
  // A page is in use while its first row has something in the side column. The sheet's last
  // row ends the count so that a full column cannot run past it.
  int32_t pages = 0;
  while (pages * rows_per_page + 1 <= sheet.RowCount() &&
         !sheet.Cells(pages * rows_per_page + 1, model::kSideColumn).Text().empty()) {
    ++pages;
  }
  const int32_t last_row = std::min(pages * rows_per_page, sheet.RowCount());
  for (int32_t row = 1; row <= last_row; ++row) ApplyRowHeight(body_, row);
  ApplyColumnWidths(body_);

  Unload();
  app.ActiveWindow().PrintPreviewSelectedSheets();
}

void PrintForm::CommandButton2_Click() {
  for (const Field& field : fields_) {
    if (field.page == MultiPage1.value()) field.box->SetValue(field.key.default_value);
  }
}

void PrintForm::CommandButton3_Click() { Unload(); }

void PrintForm::CommandButton4_Click() {
  StoreValues();
  Unload();
}

void PrintForm::StoreValues() {
  // One write for all thirteen, so the file never holds half of them.
  std::vector<settings::SettingChange> changes;
  for (const Field& field : fields_) changes.push_back({field.key.name, field.box->value()});
  settings::WriteSettings(body_.Settings(), changes);
}

}  // namespace tarquel::paper
