// The shell's commands, run as the host runs them: through the data workbook's macros and
// events, with every message checked.
#include <gtest/gtest.h>

#include "host/host_error.h"
#include "model/body.h"
#include "shell/menu.h"
#include "shell/version.h"
#include "shell/version_info.h"
#include "support/add_in_fixture.h"
#include "testgen/user_form1.h"

namespace tarquel::shell {
namespace {

using testing::MessageRecord;

class ShellTest : public testing::AddInTest {
 protected:
  void SetUp() override {
    book_ = &app_.Workbooks().Add();
    StartUp();
  }

  host::CommandBarControls& CellMenu() { return app_.CommandBars().Item("cell").Controls(); }

  host::Workbook* book_ = nullptr;
};

TEST_F(ShellTest, StartUpPutsOnePopupFirstWithItsThirteenButtons) {
  StartUp();  // a second start rebuilds the menu from scratch
  host::CommandBarControls& menu = CellMenu();
  int popups = 0;
  for (int i = 1; i <= menu.Count(); ++i) popups += menu.Item(i).caption() == kPopupCaption;
  EXPECT_EQ(popups, 1);
  host::CommandBarControl& popup = menu.Item(1);
  EXPECT_EQ(popup.caption(), "ミラヴォ 同音・同訓(&D)");
  EXPECT_EQ(popup.type(), host::ControlType::kPopup);
  EXPECT_TRUE(menu.Item(2).built_in());
  EXPECT_TRUE(menu.Item(2).begin_group()) << "the host's first entry starts a group";

  struct Expected {
    const char* caption;
    const char* action;
    std::optional<int> face;
    bool group;
  };
  const Expected expected[] = {
      {"漢字テスト作成(&T)", "M_START", 176, false},
      {"解答表示(&A)", "M_InPutAns", 329, true},
      {"解答消去(&D)", "M_ANS_DEL", 47, false},
      {"この問題は不正解です(&N)", "M_ThisQSisNG", 276, true},
      {"この問題を必出とする(&H)", "M_ThisQSisHITU", 675, false},
      {"問題へ飛ぶ(&J)", "M_GoJUMP", 1759, false},
      {"振り仮名編集(&E)", "M_Edit_Furigana", 3511, true},
      {"漢字重複チェック(&R)", "M_RepeatKanji", 2645, false},
      {"間違い数の報告(&Q)", "M_NG_Report", 1786, false},
      {"必出問題の総数(&C)", "M_HITU_Report", 459, false},
      {"漢字の学年検索(&Z)", "M_Command2", 11, true},
      {"用紙調整(&P)", "M_SetPaper", 109, true},
      {"ﾊﾞｰｼﾞｮﾝ情報(&V)", "M_QVersion", std::nullopt, true},
  };
  host::CommandBarControls& buttons = popup.Controls();
  ASSERT_EQ(buttons.Count(), 13);
  for (int i = 0; i < 13; ++i) {
    host::CommandBarControl& button = buttons.Item(i + 1);
    EXPECT_EQ(button.type(), host::ControlType::kButton);
    EXPECT_EQ(button.caption(), expected[i].caption);
    EXPECT_EQ(button.on_action(), expected[i].action);
    EXPECT_EQ(button.face_id(), expected[i].face) << expected[i].caption;
    EXPECT_EQ(button.begin_group(), expected[i].group) << expected[i].caption;
  }
  ui_.TakeMessages();
}

TEST_F(ShellTest, StartUpRegistersTheShortcutKeysInOrder) {
  const std::vector<std::pair<std::string, std::string>> expected{
      {"t", "M_START"},         {"a", "M_InPutAns"},     {"d", "M_ANS_DEL"},
      {"n", "M_ThisQSisNG"},    {"h", "M_ThisQSisHITU"}, {"j", "M_GoJUMP"},
      {"e", "M_Edit_Furigana"}, {"r", "M_RepeatKanji"},  {"q", "M_NG_Report"},
      {"k", "M_HITU_Report"},   {"p", "M_SetPaper"},     {"w", "M_Command1"},
      {"z", "M_Command2"}};
  std::vector<std::pair<std::string, std::string>> registered;
  for (const host::ShortcutKey& key : app_.shortcut_keys())
    registered.push_back({key.key, key.macro});
  EXPECT_EQ(registered, expected);
  EXPECT_FALSE(app_.ShortcutMacro("v").has_value()) << "the version command has no key";
  EXPECT_EQ(body().data_folder_name, "ソルネア保存データ");
  EXPECT_EQ(body().settings_file_name, "ミラヴォ 同音・同訓_設定値.ini");
  EXPECT_FALSE(SettingsFile().has_value()) << "start-up does not touch the settings file";
}

TEST_F(ShellTest, EveryMenuActionAndShortcutNamesAMacro) {
  for (const MenuEntry& entry : MenuEntries()) {
    bool found = false;
    for (const app::Macro& macro : app::DataWorkbookMacros())
      found |= entry.macro == std::string(macro.name);
    EXPECT_TRUE(found) << entry.macro;
  }
  for (const ShortcutEntry& entry : ShortcutEntries()) {
    bool found = false;
    for (const app::Macro& macro : app::DataWorkbookMacros())
      found |= entry.macro == std::string(macro.name);
    EXPECT_TRUE(found) << entry.macro;
  }
  EXPECT_FALSE(app::RunMacro(add_in_, "M_Nothing"));
}

TEST_F(ShellTest, SheetActivationFollowsTheTestSheetInUse) {
  host::Worksheet& bank = app_.ActiveSheet();
  host::Worksheet& t40 = book_->Sheets().Add();
  t40.SetName("テスト用紙 【40】");
  host::Worksheet& t20 = book_->Sheets().Add();
  t20.SetName("テスト用紙 【20】");
  EXPECT_FALSE(body().use_sheet40);
  t40.Activate();
  EXPECT_TRUE(body().use_sheet40);
  bank.Activate();
  EXPECT_TRUE(body().use_sheet40) << "another sheet leaves it";
  t20.Activate();
  EXPECT_FALSE(body().use_sheet40);
  add_in_.CreateVelmora().SheetActivate("テスト用紙 【40】 ");
  EXPECT_FALSE(body().use_sheet40) << "names compare exactly";
}

TEST_F(ShellTest, StartChecksTheActiveSheetAndItsFirstQuestion) {
  host::Worksheet& sheet = app_.ActiveSheet();
  Run("M_START");
  sheet.SetName("ミラヴォ 同音・同");
  Run("M_START");
  EXPECT_EQ(body().start_sheet_name, "");
  sheet.SetName("ミラヴォ 同音・同訓 三年二組");
  sheet.Range("D2").SetValue("二行目だけ");
  Run("M_START");
  const std::vector<MessageRecord> expected{
      {"シート名「ミラヴォ 同音・同訓」を選択して下さい。", host::MessageButtons::kOk,
       std::nullopt},
      {"シート名「ミラヴォ 同音・同訓」を選択して下さい。", host::MessageButtons::kOk,
       std::nullopt},
      {"問題文が１題もありません。", host::MessageButtons::kOk, "エラー"},
  };
  EXPECT_EQ(ui_.TakeMessages(), expected);
  EXPECT_EQ(body().start_sheet_name, "ミラヴォ 同音・同訓 三年二組") << "the whole name";
  EXPECT_EQ(body().bank_sheet_name, "ミラヴォ 同音・同訓 三年二組");

  sheet.Range("D1").SetValue("試合にカツ。");
  bool shown = false;
  ui_.QueueFormScriptFor<testgen::UserForm1>([&](testgen::UserForm1&) { shown = true; });
  Run("M_START");
  EXPECT_TRUE(shown) << "the test creation dialog";
  ui_.ExpectNoMessages();
}

TEST_F(ShellTest, EndProcessingWithoutWorkbooksDoesNothing) {
  app_.Workbooks().Close(*book_);
  app::WorkbookBeforeClose(add_in_);
  EXPECT_EQ(CellMenu().Item(1).caption(), kPopupCaption) << "menu left as it was";
  EXPECT_FALSE(SettingsFile().has_value());
}

TEST_F(ShellTest, EndProcessingOfAnUnsavedWorkbookRemovesTheMenuOnly) {
  // Start-up's data file dialog made the data folder when it read the history.
  platform_.RemoveFolder("/home/user/Documents/ソルネア保存データ");
  app::WorkbookBeforeClose(add_in_);
  EXPECT_TRUE(CellMenu().Item(1).built_in());
  EXPECT_FALSE(SettingsFile().has_value());
  EXPECT_FALSE(platform_.FolderExists("/home/user/Documents/ソルネア保存データ"));
}

TEST_F(ShellTest, EndProcessingOfASavedWorkbookPutsItFirstInTheHistory) {
  platform_.AddFile(kSettingsPath, "RND:77\r\nPATH1:/data/a.xlsx\r\nPATH2:/data/b.xlsx\r\n");
  book_->SetLocation("/data/banks", "三年.xlsx");
  app::WorkbookBeforeClose(add_in_);
  // The file is CP932: 三年 is 8E 4F 94 4E.
  const std::string expected =
      "RND:77\r\nPATH1:/data/banks/\x8E\x4F\x94\x4E.xlsx\r\nPATH2:/data/a.xlsx\r\n"
      "PATH3:/data/b.xlsx\r\n";
  EXPECT_EQ(SettingsFile(), expected);
  // Closing it again changes nothing.
  StartUp();
  app::WorkbookBeforeClose(add_in_);
  EXPECT_EQ(SettingsFile(), expected);
}

// Closing a bank whose name CP932 cannot hold used to move the history down and then fail on
// the first entry, so five closes left one old entry in every place. The history stays whole,
// the menu still goes, and the error that names the workbook comes back to the macro.
TEST_F(ShellTest, ClosingABankTheSettingsFileCannotNameLeavesTheHistoryWhole) {
  const std::string old =
      "RND:77\r\nPATH1:/data/a.xlsx\r\nPATH2:/data/b.xlsx\r\nPATH3:/data/c.xlsx\r\n"
      "PATH4:/data/d.xlsx\r\nPATH5:/data/e.xlsx\r\n";
  platform_.AddFile(kSettingsPath, old);
  book_->SetLocation("/data/banks", "剝離と補塡.xlsx");
  for (int close = 1; close <= 5; ++close) {
    SCOPED_TRACE(close);
    StartUp();
    try {
      app::WorkbookBeforeClose(add_in_);
      ADD_FAILURE() << "no error";
    } catch (const host::HostError& error) {
      EXPECT_NE(error.description().find("「/data/banks/剝離と補塡.xlsx」"), std::string::npos)
          << error.description();
      EXPECT_NE(error.description().find("履歴に入れませんでした。"), std::string::npos)
          << error.description();
    }
    EXPECT_TRUE(CellMenu().Item(1).built_in()) << "the menu was removed first";
    EXPECT_EQ(SettingsFile(), old);
  }
}

TEST_F(ShellTest, TheVersionCommandShowsTheBuildsVersion) {
  Run("M_QVersion");
  const std::vector<MessageRecord> expected{
      {"バージョン 1.0.6", host::MessageButtons::kOk, "ミラヴォ 同音異義 バージョン情報"}};
  EXPECT_EQ(ui_.TakeMessages(), expected);
  EXPECT_EQ(VersionText(1, 0, 12), "バージョン 1.0.12");
  EXPECT_EQ(FileVersionString(), "1.00.0006");
  EXPECT_EQ(kVersionRevision, 6) << "the build's version is 1.0.0.6";
}

TEST_F(ShellTest, TheFreeCommandSlotsDoNothing) {
  const std::string menu_before = CellMenu().Item(1).caption();
  Velmora velmora = add_in_.CreateVelmora();
  velmora.Command3();
  velmora.Command4();
  velmora.Command5();
  EXPECT_TRUE(ui_.log().empty());
  EXPECT_EQ(CellMenu().Item(1).caption(), menu_before);
  EXPECT_FALSE(SettingsFile().has_value());
}

TEST(ShellBeforeStartUpTest, CommandsBeforeStartUpFailAsTheHostWould) {
  testing::ScriptedUi ui;
  host::Application app(ui);
  host::MemoryPlatform platform;
  AddIn add_in(app, platform);
  app.Workbooks().Add();
  try {
    app::RunMacro(add_in, "M_START");
    FAIL() << "no error";
  } catch (const host::HostError& error) {
    EXPECT_EQ(error.number(), 91);
  }
}

}  // namespace
}  // namespace tarquel::shell
