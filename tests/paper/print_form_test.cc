// The paper adjustment dialog, opened through the paper command with a scripted user.
#include "paper/print_form.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/host_error.h"
#include "host/worksheet.h"
#include "model/body.h"
#include "model/test_sheet.h"
#include "paper/set_paper.h"
#include "settings/settings_file.h"
#include "support/add_in_fixture.h"
#include "support/sheet_dump.h"

namespace tarquel::paper {
namespace {

using testing::MessageRecord;

class PrintFormTest : public testing::AddInTest {
 protected:
  void SetUp() override {
    book_ = &app_.Workbooks().Add();
    StartUp();
  }

  // Adds a sheet and makes it active.
  host::Worksheet& AddSheet(const std::string& name) {
    host::Worksheet& sheet = book_->Sheets().Add();
    sheet.SetName(name);
    return sheet;
  }

  // Runs the paper command with `script` playing the user in the dialog.
  void Open(std::function<void(PrintForm&)> script) {
    ui_.QueueFormScriptFor<PrintForm>(std::move(script));
    SetPaper(body());
  }

  std::string Stored(const char* key) {
    return settings::ReadSetting(body().Settings(), key, "(absent)");
  }

  template <typename Record>
  int Count() const {
    int count = 0;
    for (const testing::UiRecord& record : ui_.log())
      count += std::holds_alternative<Record>(record);
    return count;
  }

  host::Workbook* book_ = nullptr;
};

constexpr char kRowLimit[] = "行の高さは 409 以下にして下さい。";
constexpr char kWidthLimit[] = "列の幅は 255 以下にして下さい。";

MessageRecord Refusal(const std::string& default_value, const std::string& limit) {
  return {"1以上の整数を入力して下さい。(既定値：" + default_value + ") \r\n" + limit,
          host::MessageButtons::kOk, std::nullopt};
}

TEST_F(PrintFormTest, PagesButtonsAndPicturesAreLaidOut) {
  PrintForm form(ui_, body());
  EXPECT_EQ(form.caption(), "用紙調整");
  ASSERT_EQ(form.MultiPage1.page_count(), 2);
  EXPECT_EQ(form.MultiPage1.page(0).caption, "１ページ４０題");
  EXPECT_EQ(form.MultiPage1.page(1).caption, "１ページ２０題");
  EXPECT_EQ(form.Image1.picture(), "paper40");
  EXPECT_EQ(form.Image1.container_page(), 0);
  EXPECT_EQ(form.Image2.picture(), "paper20");
  EXPECT_EQ(form.Image2.container_page(), 1);
  for (int i = 1; i <= 13; ++i) {
    const host::Control* box = form.FindControl("TextBox" + std::to_string(i));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->container(), &form.MultiPage1);
    EXPECT_EQ(box->container_page(), i <= 7 ? 0 : 1) << box->name();
    EXPECT_GT(box->geometry().width, 0);
  }
  // The tips name what each box sizes, with its key, for a reader who cannot see the picture.
  EXPECT_EQ(form.BoxForSetting("Qs").first->tooltip(), "問題文の行の高さ（Qs）");
  EXPECT_EQ(form.BoxForSetting("C2-20").first->tooltip(), "右端の列（U）の幅（C2-20）");
  EXPECT_EQ(form.BoxForSetting("Bi1").first->tooltip(), "段の間の行の高さ（Bi1）");
  EXPECT_EQ(form.CommandButton1.caption(), "印刷プレビュー");
  EXPECT_EQ(form.CommandButton2.caption(), "設定値リセット");
  EXPECT_EQ(form.CommandButton3.caption(), "保存せずに閉じる");
  EXPECT_EQ(form.CommandButton4.caption(), "保存して閉じる");
}

TEST_F(PrintFormTest, OnlyThe20SheetOpensPage1WithPage0Disabled) {
  AddSheet(model::kTestSheet20Name);
  settings::WriteSetting(body().Settings(), "Qs", "200", false);  // every other key absent
  body().use_sheet40 = true;
  Open([&](PrintForm& f) {
    EXPECT_EQ(f.MultiPage1.value(), 1);
    EXPECT_FALSE(f.MultiPage1.page(0).enabled);
    EXPECT_TRUE(f.MultiPage1.page(1).enabled);
    EXPECT_FALSE(f.SelectPage(f.MultiPage1, 0));
    EXPECT_EQ(f.focused(), &f.TextBox8);
    const std::vector<std::string> values{"20", "200", "90",  "18",    "10.5", "6.4", "7.0",
                                          "20", "353", "243", "11.25", "6.4",  "7.0"};
    for (int i = 0; i < 13; ++i) {
      auto* box = static_cast<host::TextBox*>(f.FindControl("TextBox" + std::to_string(i + 1)));
      EXPECT_EQ(box->value(), values[i]) << box->name();
    }
    f.Press(f.CommandButton3);
  });
  EXPECT_FALSE(body().use_sheet40);
  EXPECT_EQ(ui_.Transcript(), std::vector<std::string>{"show-modal: 用紙調整"});
}

TEST_F(PrintFormTest, ChangingThePageSelectsItsSheet) {
  host::Worksheet& sheet40 = AddSheet(model::kTestSheet40Name);
  host::Worksheet& sheet20 = AddSheet(model::kTestSheet20Name);
  Open([&](PrintForm& f) {
    EXPECT_EQ(f.MultiPage1.value(), 1);
    ASSERT_TRUE(f.SelectPage(f.MultiPage1, 0));
    EXPECT_EQ(&app_.ActiveSheet(), &sheet40);
    EXPECT_TRUE(body().use_sheet40);
    ASSERT_TRUE(f.SelectPage(f.MultiPage1, 1));
    EXPECT_EQ(&app_.ActiveSheet(), &sheet20);
    EXPECT_FALSE(body().use_sheet40);
  });
  EXPECT_FALSE(SettingsFile().has_value()) << "the close box stores nothing";
}

TEST_F(PrintFormTest, RefusesWithoutATestSheetOrWhenNoneIsActive) {
  struct Case {
    std::vector<std::string> sheets;  // added in order; the last one is active
    MessageRecord message;
  };
  const Case cases[] = {
      {{},
       {"問題を作成してから実行して下さい。", host::MessageButtons::kOk,
        "問題用紙が存在しません。"}},
      {{model::kTestSheet40Name, model::kTestSheet20Name, "ミラヴォ 同音・同訓"},
       {"問題用紙を選択してから実行して下さい。", host::MessageButtons::kOk, "エラー"}},
  };
  for (const Case& c : cases) {
    for (const std::string& name : c.sheets) AddSheet(name);
    SetPaper(body());
    EXPECT_EQ(ui_.TakeMessages(), std::vector<MessageRecord>{c.message});
    EXPECT_EQ(Count<testing::ShowModalRecord>(), 0);
    EXPECT_FALSE(body().print_form->loaded());
  }
  EXPECT_FALSE(SettingsFile().has_value());
}

// The boxes used to take a height or width the host refuses (a width of 300, a height of 500),
// and those of page 1 any text at all, which failed only when the values were applied.
TEST_F(PrintFormTest, BoxesOfBothPagesRefuseToBeLeftWithWhatTheHostWouldRefuse) {
  AddSheet(model::kTestSheet20Name);
  AddSheet(model::kTestSheet40Name);
  struct Case {
    host::TextBox PrintForm::*box;
    const char* text;
    const char* default_value;  // "" when accepted
    const char* limit;
  };
  const Case cases[] = {
      // page 0
      {&PrintForm::TextBox1, "0", "20", kRowLimit},
      {&PrintForm::TextBox2, "-5", "190", kRowLimit},
      {&PrintForm::TextBox3, "abc", "90", kRowLimit},
      {&PrintForm::TextBox4, "", "18", kRowLimit},
      {&PrintForm::TextBox5, "0.5", "", nullptr},
      {&PrintForm::TextBox6, "－1", "6.4", kWidthLimit},
      {&PrintForm::TextBox7, "x7", "7.0", kWidthLimit},
      {&PrintForm::TextBox7, "7.5", "", nullptr},
      {&PrintForm::TextBox6, "１０", "", nullptr},
      {&PrintForm::TextBox2, "500", "190", kRowLimit},
      {&PrintForm::TextBox2, "409", "", nullptr},
      {&PrintForm::TextBox3, "409.01", "90", kRowLimit},
      {&PrintForm::TextBox1, "1e3", "20", kRowLimit},
      {&PrintForm::TextBox6, "300", "6.4", kWidthLimit},
      {&PrintForm::TextBox7, "255", "", nullptr},
      {&PrintForm::TextBox7, "256", "7.0", kWidthLimit},
      // page 1
      {&PrintForm::TextBox8, "", "20", kRowLimit},
      {&PrintForm::TextBox9, "abc", "353", kRowLimit},
      {&PrintForm::TextBox9, "500", "353", kRowLimit},
      {&PrintForm::TextBox10, "409", "", nullptr},
      {&PrintForm::TextBox11, "0", "11.25", kRowLimit},
      {&PrintForm::TextBox12, "300", "6.4", kWidthLimit},
      {&PrintForm::TextBox13, "255", "", nullptr},
      {&PrintForm::TextBox13, "２５６", "7.0", kWidthLimit},
  };
  Open([&](PrintForm& f) {
    for (const Case& c : cases) {
      host::TextBox& box = f.*c.box;
      const int page = box.container_page();
      if (f.MultiPage1.value() != page) {
        ASSERT_TRUE(f.SelectPage(f.MultiPage1, page));
      }
      ASSERT_TRUE(f.Type(box, c.text));
      const bool refused = *c.default_value != '\0';
      EXPECT_EQ(f.Press(f.CommandButton2), !refused) << box.name() << " \"" << c.text << "\"";
      if (!refused) continue;
      EXPECT_EQ(f.focused(), &box);
      EXPECT_EQ(ui_.TakeMessages(), std::vector<MessageRecord>{Refusal(c.default_value, c.limit)});
      EXPECT_EQ(box.value(), c.text) << "the reset did not run";
      f.Type(box, "1");
    }
    EXPECT_TRUE(f.Press(f.CommandButton3));
  });
  ui_.ExpectNoMessages();
  EXPECT_FALSE(SettingsFile().has_value());
}

TEST_F(PrintFormTest, AValueStoredByHandThatTheHostWouldRefuseCannotLeaveItsBox) {
  AddSheet(model::kTestSheet20Name);
  AddSheet(model::kTestSheet40Name);
  settings::WriteSetting(body().Settings(), "Qs", "abc", false);
  settings::WriteSetting(body().Settings(), "C1-20", "300", false);
  Open([&](PrintForm& f) {
    EXPECT_EQ(f.TextBox2.value(), "abc");
    ASSERT_TRUE(f.MoveFocus(f.TextBox2));
    EXPECT_FALSE(f.MoveFocus(f.TextBox3));
    EXPECT_EQ(ui_.TakeMessages(), std::vector<MessageRecord>{Refusal("190", kRowLimit)});
    f.Type(f.TextBox2, "190");
    ASSERT_TRUE(f.SelectPage(f.MultiPage1, 1));
    ASSERT_TRUE(f.MoveFocus(f.TextBox12));
    EXPECT_FALSE(f.Press(f.CommandButton4));
    EXPECT_EQ(ui_.TakeMessages(), std::vector<MessageRecord>{Refusal("6.4", kWidthLimit)});
    EXPECT_TRUE(f.loaded()) << "nothing was saved";
    f.Type(f.TextBox12, "6.4");
    EXPECT_TRUE(f.Press(f.CommandButton3));
  });
  ui_.ExpectNoMessages();
  EXPECT_EQ(Stored("Qs"), "abc");
  EXPECT_EQ(Stored("C1-20"), "300");
}

TEST_F(PrintFormTest, PrintPreviewSizesTheRowsOfThePagesInUse) {
  host::Worksheet& sheet = AddSheet(model::kTestSheet40Name);
  for (int row : {1, 9, 17, 25, 33, 49}) sheet.Cells(row, 21).SetValue("No.");
  Open([&](PrintForm& f) {
    f.Type(f.TextBox2, "200");
    f.Press(f.CommandButton1);
  });
  const double by_place[8] = {10.5, 20, 200, 90, 18, 20, 200, 90};
  for (int row = 1; row <= 40; ++row) EXPECT_EQ(sheet.RowHeightOf(row), by_place[row % 8]) << row;
  EXPECT_EQ(sheet.RowHeightOf(41), host::kDefaultRowHeight) << "row 41 ends the pages";
  EXPECT_EQ(sheet.RowHeightOf(50), host::kDefaultRowHeight);
  EXPECT_EQ(sheet.ColumnWidthOf(20), 6.4);
  EXPECT_EQ(sheet.ColumnWidthOf(21), 7);
  EXPECT_FALSE(app_.ScreenUpdating());
  EXPECT_EQ(Stored("Qs"), "200");
  EXPECT_EQ(Stored("C2-20"), "7.0") << "all thirteen are stored";
  EXPECT_FALSE(body().print_form->loaded());
  ASSERT_EQ(Count<testing::PrintPreviewRecord>(), 1);
  const auto& preview = std::get<testing::PrintPreviewRecord>(ui_.log().back());
  EXPECT_EQ(preview.sheets, std::vector<host::Worksheet*>{&sheet});
}

TEST_F(PrintFormTest, PrintPreviewOfAnEmptySheetSetsOnlyTheWidths) {
  host::Worksheet& sheet = AddSheet(model::kTestSheet20Name);
  sheet.Cells(5, 21).SetValue("No.");  // a later page does not count without the first
  Open([&](PrintForm& f) { f.Press(f.CommandButton1); });
  EXPECT_EQ(testing::RowHeightsSet(sheet), (std::map<int32_t, double>{}));
  EXPECT_EQ(sheet.ColumnWidthOf(1), 6.4);
  EXPECT_EQ(sheet.ColumnWidthOf(21), 7);
  EXPECT_EQ(sheet.selection(), std::vector<host::CellRect>{host::CellRect::Cell(1, 21)});
  EXPECT_EQ(Count<testing::PrintPreviewRecord>(), 1);
}

TEST_F(PrintFormTest, ResetTouchesOnlyThePageShown) {
  AddSheet(model::kTestSheet20Name);
  AddSheet(model::kTestSheet40Name);
  Open([&](PrintForm& f) {
    f.Type(f.TextBox2, "300");
    f.SelectPage(f.MultiPage1, 1);
    f.Type(f.TextBox9, "1");
    f.Type(f.TextBox13, "2");
    f.Press(f.CommandButton2);
    EXPECT_EQ(f.TextBox9.value(), "353");
    EXPECT_EQ(f.TextBox13.value(), "7.0");
    EXPECT_EQ(f.TextBox2.value(), "300");
    f.SelectPage(f.MultiPage1, 0);
    f.Press(f.CommandButton2);
    EXPECT_EQ(f.TextBox2.value(), "190");
    f.Press(f.CommandButton3);
  });
  EXPECT_FALSE(SettingsFile().has_value());
}

TEST_F(PrintFormTest, SaveStoresAndTheNextOpeningReadsTheFileAfresh) {
  host::Worksheet& sheet = AddSheet(model::kTestSheet40Name);
  sheet.Cells(1, 21).SetValue("No.");
  TakeWrites();
  Open([&](PrintForm& f) {
    f.Type(f.TextBox2, "200");
    f.Press(f.CommandButton4);
  });
  EXPECT_EQ(TakeWrites(), 1) << "the thirteen values in one write";
  EXPECT_EQ(Stored("Qs"), "200");
  EXPECT_EQ(Stored("No"), "20");
  EXPECT_EQ(testing::RowHeightsSet(sheet), (std::map<int32_t, double>{}))
      << "saving leaves the sheet";
  EXPECT_EQ(testing::ColumnWidthsSet(sheet), (std::map<int32_t, double>{}));

  Open([&](PrintForm& f) {
    EXPECT_EQ(f.TextBox2.value(), "200");
    f.Type(f.TextBox3, "100");  // left open: the close box
  });
  Open([&](PrintForm& f) { EXPECT_EQ(f.TextBox3.value(), "90"); });
  EXPECT_EQ(Stored("As"), "90");
  EXPECT_EQ(Count<testing::PrintPreviewRecord>(), 0);
}

TEST_F(PrintFormTest, ARunTimeErrorInThePreviewClosesTheDialog) {
  host::Worksheet& sheet = AddSheet(model::kTestSheet20Name);
  sheet.Cells(1, 21).SetValue("No.");
  // A bad value in a box the user never entered reaches the host.
  settings::WriteSetting(body().Settings(), "Qs20", "高い", false);
  ui_.QueueFormScriptFor<PrintForm>([&](PrintForm& f) { f.Press(f.CommandButton1); });
  EXPECT_THROW(SetPaper(body()), host::HostError);
  EXPECT_FALSE(body().print_form->loaded());
  EXPECT_EQ(Stored("Qs20"), "高い") << "the values were stored before the rows were sized";
  Open([&](PrintForm& f) { EXPECT_EQ(f.TextBox9.value(), "高い"); });
}

}  // namespace
}  // namespace tarquel::paper
