// PrintForm is the paper adjustment dialog (用紙調整): thirteen text boxes on two pages, one
// page for each test sheet, holding the row heights and column widths the settings file keeps
// for it. The user edits them, previews the sheet in use with them applied, resets the page
// shown to the defaults, or saves and closes. Only the paper command (SetPaper) creates and
// shows it; it reads and writes the module state's use_sheet40 and the settings file, and
// changes the active sheet (page change, print preview).
//
// Every showing starts afresh from the settings file: the dialog is unloaded whenever it
// closes, and nothing in it outlives that except what was written to the file.
#ifndef TARQUEL_PAPER_PRINT_FORM_H_
#define TARQUEL_PAPER_PRINT_FORM_H_

#include <array>
#include <string_view>
#include <utility>

#include "host/forms/controls.h"
#include "host/forms/form.h"
#include "settings/keys.h"

namespace tarquel::model {
struct Body;
}

namespace tarquel::paper {

class PrintForm : public host::Form {
 public:
  // The pages of MultiPage1.
  static constexpr int kPage40 = 0;  // "１ページ４０題"
  static constexpr int kPage20 = 1;  // "１ページ２０題"

  // `ui` and `body` must outlive the form.
  PrintForm(host::Ui& ui, model::Body& body);

  host::MultiPage MultiPage1{*this, "MultiPage1"};
  host::Image Image1{*this, "Image1"};  // the 40-question paper, on page 0
  host::Image Image2{*this, "Image2"};  // the 20-question paper, on page 1
  // Page 0: number, question and answer rows, band spacer, page foot, slot and side widths.
  host::TextBox TextBox1{*this, "TextBox1"};
  host::TextBox TextBox2{*this, "TextBox2"};
  host::TextBox TextBox3{*this, "TextBox3"};
  host::TextBox TextBox4{*this, "TextBox4"};
  host::TextBox TextBox5{*this, "TextBox5"};
  host::TextBox TextBox6{*this, "TextBox6"};
  host::TextBox TextBox7{*this, "TextBox7"};
  // Page 1: number, question and answer rows, page foot, slot and side widths.
  host::TextBox TextBox8{*this, "TextBox8"};
  host::TextBox TextBox9{*this, "TextBox9"};
  host::TextBox TextBox10{*this, "TextBox10"};
  host::TextBox TextBox11{*this, "TextBox11"};
  host::TextBox TextBox12{*this, "TextBox12"};
  host::TextBox TextBox13{*this, "TextBox13"};
  host::CommandButton CommandButton1{*this, "CommandButton1"};  // 印刷プレビュー
  host::CommandButton CommandButton2{*this, "CommandButton2"};  // 設定値リセット
  host::CommandButton CommandButton3{*this, "CommandButton3"};  // 保存せずに閉じる
  host::CommandButton CommandButton4{*this, "CommandButton4"};  // 保存して閉じる

  // A setting the dialog shows and the page its box is on.
  struct Setting {
    settings::Key key;
    int page;
    const char* what;  // the box's tool tip: which rows or columns the value sizes
  };
  // The settings of TextBox1 .. TextBox13, in the order they are written. Every box refuses
  // to be left unless it holds a number above zero that the host takes for its setting (a row
  // height up to 409 points, a column width up to 255), so that what the dialog stores can be
  // applied.
  static constexpr std::array<Setting, 13> kSettings{{
      {settings::kNumberRow40, kPage40, "番号の行の高さ"},
      {settings::kQuestionRow40, kPage40, "問題文の行の高さ"},
      {settings::kAnswerRow40, kPage40, "解答欄の行の高さ"},
      {settings::kBandSpacer40, kPage40, "段の間の行の高さ"},
      {settings::kPageFoot40, kPage40, "ページ末の行の高さ"},
      {settings::kSlotWidth40, kPage40, "問題の列（A～T）の幅"},
      {settings::kSideWidth40, kPage40, "右端の列（U）の幅"},
      {settings::kNumberRow20, kPage20, "番号の行の高さ"},
      {settings::kQuestionRow20, kPage20, "問題文の行の高さ"},
      {settings::kAnswerRow20, kPage20, "解答欄の行の高さ"},
      {settings::kPageFoot20, kPage20, "ページ末の行の高さ"},
      {settings::kSlotWidth20, kPage20, "問題の列（A～T）の幅"},
      {settings::kSideWidth20, kPage20, "右端の列（U）の幅"},
  }};

  // The text box that holds the setting `key_name` ("Qs", "C1-20", ...) and the page it is on,
  // or a null box for a key the dialog does not show.
  std::pair<host::TextBox*, int> BoxForSetting(std::string_view key_name);

 protected:
  // UserForm_Activate: needs a test sheet in the workbook and one of them active; fills the
  // boxes from the settings file and shows the page of the active test sheet. Otherwise tells
  // the user why and unloads the form.
  void OnActivate() override;

 private:
  // A text box with the setting it shows, in the order the settings are written.
  struct Field {
    host::TextBox* box;
    settings::Key key;
    int page;
  };
  // The boxes paired with kSettings.
  std::array<Field, 13> MakeFields();

  // TextBox1_Exit .. TextBox13_Exit.
  void TextBox_Exit(const Field& field, bool& cancel);
  void MultiPage1_Change();
  void CommandButton1_Click();
  void CommandButton2_Click();
  void CommandButton3_Click();
  void CommandButton4_Click();

  // Writes the thirteen boxes' texts to the settings file.
  void StoreValues();

  model::Body& body_;
  const std::array<Field, 13> fields_;
};

}  // namespace tarquel::paper

#endif  // TARQUEL_PAPER_PRINT_FORM_H_
