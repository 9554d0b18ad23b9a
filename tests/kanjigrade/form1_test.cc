// The kanji grade search dialog, opened through the data workbook's macro with a scripted user.
#include "kanjigrade/form1.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/range.h"
#include "host/worksheet.h"
#include "kanjigrade/grade_tables.h"
#include "model/body.h"
#include "support/add_in_fixture.h"

namespace tarquel::kanjigrade {
namespace {

using testing::MessageRecord;

constexpr char kShowClassification[] = "show-modal: 小学校で習う漢字リスト【出題している漢字一覧】";

// The kanji of `group` in table order, each followed by "、", leaving out those in `except`.
std::string TableList(int group, const std::string& except = "") {
  const std::string_view table = GroupTable(group);
  std::string list;
  for (std::size_t pos = 0; pos < table.size(); pos += 3) {  // every table kanji is 3 bytes
    const std::string kanji(table.substr(pos, 3));
    if (except.find(kanji) == std::string::npos) list += kanji + "、";
  }
  return list;
}

// The list as the dialog shows it: without its last "、".
std::string Shown(std::string list) {
  if (!list.empty()) list.resize(list.size() - std::string("、").size());
  return list;
}

class Form1Test : public testing::AddInTest {
 protected:
  void SetUp() override {
    book_ = &app_.Workbooks().Add();
    sheet_ = &book_->ActiveSheet();
    // Of start-up the command needs only the host; the menu and the data file dialog play no
    // part in it.
    body().host_app = &app_;
  }

  // Selects the A1 address (areas joined by ",") on the sheet; its first cell becomes active.
  void Select(const std::string& address) { sheet_->Range(address).Select(); }
  void Put(const std::string& address, const std::string& text) {
    sheet_->Range(address).SetValue(text);
  }

  // Runs the kanji grade command with `script` playing the user in the dialog.
  void Open(std::function<void(Form1&)> script) {
    ui_.QueueFormScriptFor<Form1>(std::move(script));
    Run("M_Command2");
  }

  // Opens the dialog and returns the report it shows, closing it with 閉じる.
  std::string Report() {
    std::string text;
    Open([&](Form1& f) {
      text = f.Text1.value();
      f.Press(f.Command1);
    });
    return text;
  }

  // Opens the dialog and returns the missing-kanji listing, closing it with 閉じる.
  std::string Listing() {
    std::string text;
    Open([&](Form1& f) {
      f.Press(f.CD1);
      text = f.Text1.value();
      f.Press(f.Command1);
    });
    return text;
  }

  // What the user saw from record `first` of the Ui's log on.
  std::vector<std::string> TranscriptFrom(std::size_t first) const {
    const std::vector<std::string> all = ui_.Transcript();
    return {all.begin() + static_cast<std::ptrdiff_t>(first), all.end()};
  }

  host::Workbook* book_ = nullptr;
  host::Worksheet* sheet_ = nullptr;
};

TEST_F(Form1Test, ControlsAreLaidOutAsDesigned) {
  Form1 form(body());
  EXPECT_EQ(form.caption(), Form1::kClassificationCaption);
  EXPECT_EQ(form.geometry(), (host::Geometry{0, 0, 7830, 4665}));
  struct Case {
    const host::Control* control;
    const char* caption;  // nullptr for the text box
    host::Geometry geometry;
    int tab_index;
  };
  const Case cases[] = {
      {&form.Text1, nullptr, {75, 60, 7665, 4020}, 1},
      {&form.CD1, "出題していない漢字一覧", {105, 4170, 2355, 420}, 2},
      {&form.CD2, "出題している漢字一覧", {2460, 4170, 2355, 420}, 3},
      {&form.Command1, "閉じる", {5685, 4170, 2040, 420}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.control->geometry(), c.geometry) << c.control->name();
    EXPECT_EQ(c.control->tab_index(), c.tab_index) << c.control->name();
    if (c.caption != nullptr) {
      EXPECT_EQ(static_cast<const host::CommandButton*>(c.control)->caption(), c.caption);
    }
  }
  EXPECT_TRUE(form.Text1.multi_line());
}

TEST_F(Form1Test, WorkedExamplesToTheCharacter) {
  struct Case {
    const char* cell;
    const char* report;
  };
  const Case cases[] = {
      {"学校の先生、漢字。",
       "【小学 1 年生で習う漢字】（漢検10級）5字 /80字 [6.3％]\r\n"
       "学、校、先、生、字\r\n"
       "\r\n"
       "【小学 3 年生で習う漢字】（漢検8級）1字 /200字 [0.5％]\r\n"
       "漢\r\n"},
      {"岡山",
       "【小学 1 年生で習う漢字】（漢検10級）1字 /80字 [1.3％]\r\n"
       "山\r\n"
       "\r\n"
       "【高校で習う漢字】1字\r\n"
       "岡"},
      {"岡",  // the high-school block alone is the first block
       "【高校で習う漢字】1字\r\n"
       "岡"},
      {"握る宇宙の枠",
       "【小学 6 年生で習う漢字】（漢検5級）2字 /181字 [1.1％]\r\n"
       "宇、宙\r\n"
       "\r\n"
       "【中学で習う漢字】（漢検4級）1字 /316字 [0.3％]\r\n"
       "握\r\n"
       "\r\n"
       "【中学で習う漢字】（漢検2級）1字 /337字 [0.3％]\r\n"
       "枠\r\n"},
  };
  for (const Case& c : cases) {
    Put("B2", c.cell);
    Select("B2");
    const std::size_t first_record = ui_.log().size();
    Open([&](Form1& f) {
      EXPECT_EQ(f.Text1.value(), c.report) << c.cell;
      EXPECT_EQ(f.caption(), Form1::kClassificationCaption);
      EXPECT_TRUE(f.CD1.enabled());
      EXPECT_FALSE(f.CD2.enabled());
      EXPECT_EQ(f.focused(), &f.Command1) << "first in tab order";
      f.Press(f.Command1);
    });
    EXPECT_EQ(TranscriptFrom(first_record),
              (std::vector<std::string>{"sound(information)", kShowClassification}))
        << c.cell;
  }
  ui_.ExpectNoMessages();
}

TEST_F(Form1Test, ListingShowsEveryGroupWithWhatTheTextLacks) {
  Put("A1", "学校の先生、漢字。岡");
  Select("A1");
  const struct {
    const char* heading;
    std::string list;
  } blocks[] = {
      {"【小学 1 年生で習う漢字】（漢検10級）75字 /80字 [93.8％]", TableList(1, "学校先生字")},
      {"【小学 2 年生で習う漢字】（漢検9級）160字 /160字 [100.0％]", TableList(2)},
      {"【小学 3 年生で習う漢字】（漢検8級）199字 /200字 [99.5％]", TableList(3, "漢")},
      {"【小学 4 年生で習う漢字】（漢検7級）200字 /200字 [100.0％]", TableList(4)},
      {"【小学 5 年生で習う漢字】（漢検6級）185字 /185字 [100.0％]", TableList(5)},
      {"【小学 6 年生で習う漢字】（漢検5級）181字 /181字 [100.0％]", TableList(6)},
      {"【中学で習う漢字】（漢検4級）316字 /316字 [100.0％]", TableList(7)},
      {"【中学で習う漢字】（漢検3級）286字 /286字 [100.0％]", TableList(8)},
      {"【中学で習う漢字】（漢検2級）337字 /337字 [100.0％]", TableList(9)},
  };
  std::string expected;
  for (const auto& block : blocks) {
    if (!expected.empty()) expected += "\r\n";
    expected += block.heading + std::string("\r\n") + Shown(block.list) + "\r\n";
  }
  ASSERT_TRUE(blocks[0].list.starts_with("一、右、雨、円、王、音、"));
  const std::string listing = Listing();
  EXPECT_EQ(listing, expected);
  EXPECT_EQ(listing.find("岡"), std::string::npos) << "kanji in no table are never listed";
  EXPECT_EQ(listing.find("高校"), std::string::npos);
}

TEST_F(Form1Test, AGroupFullyCoveredIsCountedFullAndListedAsCovered) {
  // All 80 kanji of group 1, one a cell, in table order across A1:H10, with kana in I1.
  const std::string_view group1 = GroupTable(1);
  for (int i = 0; i < 80; ++i) {
    sheet_->Cells(1 + i / 8, 1 + i % 8).SetValue(std::string(group1.substr(3 * i, 3)));
  }
  Put("I1", "かな");
  Select("A1:I10");
  EXPECT_EQ(Report(), "【小学 1 年生で習う漢字】（漢検10級）80字 /80字 [100.0％]\r\n" +
                          Shown(TableList(1)) + "\r\n");
  const std::string listing = Listing();
  EXPECT_TRUE(
      listing.starts_with("【小学 1 年生で習う漢字】（漢検10級）0字 /80字 [0.0％]\r\n"
                          "すべて網羅されています。\r\n"
                          "\r\n"
                          "【小学 2 年生で習う漢字】（漢検9級）160字 /160字 [100.0％]\r\n"))
      << listing;
}

TEST_F(Form1Test, TheSelectionIsReadRowByRowWithinItsRectangle) {
  // Group 1 kanji in cells around the selections; each case lists the kanji it must read, in
  // the order of reading.
  const std::pair<const char*, const char*> cells[] = {
      {"A1", "一"},  {"C1", "二"}, {"D1", "十"}, {"B2", "三"}, {"C2", "四"},
      {"IV2", "五"}, {"B3", "六"}, {"C3", "七"}, {"A5", "八"}, {"C65536", "九"},
  };
  for (const auto& [address, text] : cells) Put(address, text);
  sheet_->Range("E4").SetValue(5.0);
  sheet_->Range("E4").SetNumberFormat("\"級\"0");  // shows 級5: 級 is of group 3

  struct Case {
    const char* selection;
    const char* group1;  // the kanji read, as listed
  };
  const Case cases[] = {
      {"B2", "三"},                               // a single cell reads that cell only
      {"B2:C3", "三、四、六、七"},                // a rectangle, row by row
      {"C3:B2", "三、四、六、七"},                // corners in either order
      {"2:2", "三、四、五"},                      // a whole row, to the last column
      {"1:3", "一、二、十、三、四、五、六、七"},  // whole rows
      {"C:C", "二、四、七、九"},                  // a whole column, to the last row
      {"A:C", "一、二、三、四、六、七、八、九"},  // whole columns
      {"A1:IV65536", "一、二、十、三、四、五、六、七、八、九"},  // the whole sheet
  };
  for (const Case& c : cases) {
    Select(c.selection);
    const std::string report = Report();
    ASSERT_TRUE(report.starts_with("【小学 1 年生で習う漢字】")) << c.selection;
    const std::size_t list_start = report.find("\r\n") + 2;
    EXPECT_EQ(report.substr(list_start, report.find("\r\n", list_start) - list_start), c.group1)
        << c.selection;
  }
  Select("E4:E5");
  EXPECT_EQ(Report(), "【小学 3 年生で習う漢字】（漢検8級）1字 /200字 [0.5％]\r\n級\r\n")
      << "cells are read as displayed";
}

TEST_F(Form1Test, RepeatedKanjiCountOnceWhereTheyFirstAppearReadingRowByRow) {
  Put("A1", "山");
  Put("B1", "川山");
  Put("A2", "口川");
  Put("B2", "山口");
  Select("A1:B2");  // column by column would read 山, 口, 川
  EXPECT_EQ(Report(), "【小学 1 年生で習う漢字】（漢検10級）3字 /80字 [3.8％]\r\n山、川、口\r\n");
}

TEST_F(Form1Test, SeveralAreasAreRefusedAndTheDialogClosesAtOnce) {
  Put("A1", "山");
  for (const char* selection : {"A1:A2,C1", "A1,B2", "1:1,C:C"}) {
    Select(selection);
    const std::size_t first_record = ui_.log().size();
    Run("M_Command2");  // no script: the dialog must never be shown
    EXPECT_EQ(ui_.TakeMessages(),
              (std::vector<MessageRecord>{
                  {"「選択範囲」を複数回選んでいます。", host::MessageButtons::kOk, "エラー"}}))
        << selection;
    EXPECT_EQ(ui_.log().size(), first_record + 1) << "no sound and no showing";
    ASSERT_NE(body().form1, nullptr);
    EXPECT_FALSE(body().form1->loaded());
  }
  Select("A1");  // the refusal is not carried over to the next opening
  EXPECT_EQ(Report(), "【小学 1 年生で習う漢字】（漢検10級）1字 /80字 [1.3％]\r\n山\r\n");
}

TEST_F(Form1Test, NoKanjiSaysSoAndTheListingGivesEveryGroupInFull) {
  Put("A1", "ひらがな　ABC１２３、。々");
  Put("B1", "12");
  const char* selections[] = {"A1", "C5", "A1:B1", "D:D"};
  for (const char* selection : selections) {
    Select(selection);
    Open([&](Form1& f) {
      EXPECT_EQ(f.Text1.value(), "漢字が含まれていません。") << selection;
      EXPECT_TRUE(f.CD1.enabled());
      EXPECT_FALSE(f.CD2.enabled());
      ASSERT_TRUE(f.Press(f.CD1));
      const std::string& listing = f.Text1.value();
      EXPECT_TRUE(
          listing.starts_with("【小学 1 年生で習う漢字】（漢検10級）80字 /80字 [100.0％]\r\n" +
                              Shown(TableList(1)) + "\r\n\r\n"))
          << selection;
      EXPECT_TRUE(listing.ends_with("【中学で習う漢字】（漢検2級）337字 /337字 [100.0％]\r\n" +
                                    Shown(TableList(9)) + "\r\n"))
          << selection;
    });
  }
}

TEST_F(Form1Test, TheTwoViewsAlternateWithTheirCaptionsButtonsAndSound) {
  Put("A1", "学校の先生、漢字。");
  Select("A1");
  Open([&](Form1& f) {
    const std::string report = f.Text1.value();
    std::string listing;
    struct Step {
      host::CommandButton Form1::*press;
      const char* caption;
      bool cd1_enabled;
    };
    const Step steps[] = {
        {&Form1::CD1, Form1::kMissingCaption, false},
        {&Form1::CD2, Form1::kClassificationCaption, true},
        {&Form1::CD1, Form1::kMissingCaption, false},
        {&Form1::CD2, Form1::kClassificationCaption, true},
    };
    for (const Step& step : steps) {
      const std::size_t records = ui_.log().size();
      ASSERT_TRUE(f.Press(f.*step.press));
      EXPECT_EQ(f.caption(), step.caption);
      EXPECT_EQ(f.CD1.enabled(), step.cd1_enabled);
      EXPECT_EQ(f.CD2.enabled(), !step.cd1_enabled);
      EXPECT_FALSE(f.Press(f.*step.press)) << "a disabled button does nothing";
      ASSERT_EQ(ui_.log().size(), records + 1);
      EXPECT_EQ(testing::Describe(ui_.log().back()), "sound(information)");
      if (step.cd1_enabled) {
        EXPECT_EQ(f.Text1.value(), report) << "the same report as at opening";
      } else if (listing.empty()) {
        listing = f.Text1.value();
        EXPECT_TRUE(listing.starts_with("【小学 1 年生で習う漢字】（漢検10級）75字 /80字"));
      } else {
        EXPECT_EQ(f.Text1.value(), listing) << "the same listing again";
      }
    }
    f.Press(f.Command1);
  });
  ui_.ExpectNoMessages();
}

TEST_F(Form1Test, ReopeningAfterEitherWayOfClosingStartsAfresh) {
  Put("A1", "学校の先生、漢字。");
  Put("A2", "岡山");
  struct Case {
    const char* name;
    std::function<void(Form1&)> close;
  };
  const Case cases[] = {
      {"閉じる", [](Form1& f) { f.Press(f.Command1); }},
      {"the close box", [](Form1& f) { f.Unload(); }},
  };
  for (const Case& c : cases) {
    Select("A1");
    const std::string first = Report();
    Open([&](Form1& f) {
      f.Press(f.CD1);
      c.close(f);
    });
    EXPECT_EQ(body().form1->loaded(), false) << c.name;
    EXPECT_EQ(static_cast<const Form1&>(*body().form1).arrays(), GroupArrays()) << c.name;
    Open([&](Form1& f) {
      EXPECT_EQ(f.Text1.value(), first) << c.name;
      EXPECT_EQ(f.caption(), Form1::kClassificationCaption) << c.name;
      EXPECT_TRUE(f.CD1.enabled()) << c.name;
      EXPECT_FALSE(f.CD2.enabled()) << c.name;
      c.close(f);
    });
    // Nothing of an earlier opening stays in the lists.
    Select("A2");
    Open([&](Form1& f) {
      EXPECT_EQ(f.Text1.value(),
                "【小学 1 年生で習う漢字】（漢検10級）1字 /80字 [1.3％]\r\n山\r\n\r\n"
                "【高校で習う漢字】1字\r\n岡")
          << c.name;
      f.Press(f.CD1);
      EXPECT_TRUE(f.Text1.value().starts_with(
          "【小学 1 年生で習う漢字】（漢検10級）79字 /80字 [98.8％]\r\n"))
          << c.name;
      c.close(f);
    });
  }
}

TEST_F(Form1Test, TheCommandKeepsOneDialog) {
  Select("A1");
  Report();
  const host::Form* first = body().form1.get();
  Report();
  EXPECT_EQ(body().form1.get(), first);
}

}  // namespace
}  // namespace tarquel::kanjigrade
