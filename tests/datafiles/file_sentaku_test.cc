// The data file dialog, shown by the data file command with a scripted user, over an
// in-memory file system holding real workbook files.
#include "datafiles/file_sentaku.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "host/host_error.h"
#include "host/workbook.h"
#include "host/xlsx/xlsx_files.h"
#include "model/body.h"
#include "settings/settings_file.h"
#include "support/add_in_fixture.h"
#include "support/write_counting_platform.h"

namespace tarquel::datafiles {
namespace {

using testing::MessageRecord;

constexpr char kDataFolder[] = "/home/user/Documents/ソルネア保存データ";
constexpr char kSamplePath[] =
    "/home/user/Documents/ソルネア保存データ/同音同訓【サンプルデータ】.xlsx";
constexpr char kDialogCaption[] = "開くファイルを選択して下さい。【ミラヴォ 同音・同訓】";

// What one button shows.
struct ButtonState {
  std::string caption;
  bool enabled;
  std::string tooltip;

  bool operator==(const ButtonState&) const = default;
};

void PrintTo(const ButtonState& b, std::ostream* out) {
  *out << "{\"" << b.caption << "\", " << (b.enabled ? "enabled" : "disabled") << ", tip \""
       << b.tooltip << "\"}";
}

ButtonState StateOf(const host::CommandButton& button) {
  return {button.caption(), button.enabled(), button.tooltip()};
}

std::vector<ButtonState> HistoryButtons(const FILE_Sentaku& f) {
  std::vector<ButtonState> states;
  for (const host::CommandButton& button : f.CMD) states.push_back(StateOf(button));
  return states;
}

const ButtonState kNoHistory{"履歴なし", false, ""};

class FileSentakuTest : public testing::AddInTest {
 protected:
  FileSentakuTest() { app_.SetWorkbookFiles(&files_); }

  // The host starts with no workbook open.
  void SetUp() override { StartUp(); }

  // Puts a workbook file at `path` whose one sheet is named `sheet_name`.
  void AddWorkbookFile(const std::string& path, const std::string& sheet_name) {
    testing::ScriptedUi quiet;
    host::Application maker(quiet);
    host::Workbook& book = maker.Workbooks().Add();
    book.ActiveSheet().SetName(sheet_name);
    platform_.AddFile(path, host::xlsx::XlsxFiles::WritePackage(book));
  }

  void Store(const char* key, const std::string& value) {
    settings::WriteSetting(body().Settings(), key, value, false);
  }

  // Runs the data file command with `script` playing the user in the dialog.
  void InDialog(std::function<void(FILE_Sentaku&)> script) {
    ui_.QueueFormScriptFor<FILE_Sentaku>(std::move(script));
    Run("M_Command1");
  }

  // The sheet names of the open workbooks, in order.
  std::vector<std::string> OpenWorkbooks() {
    std::vector<std::string> names;
    for (int i = 1; i <= app_.Workbooks().Count(); ++i) {
      names.push_back(app_.Workbooks().Item(i).FullName());
    }
    return names;
  }

  host::xlsx::XlsxFiles files_{platform_};
};

TEST_F(FileSentakuTest, ControlsAreLaidOutInTabOrder) {
  FILE_Sentaku form(body());
  EXPECT_EQ(form.geometry(), (host::Geometry{0, 0, 6000, 2955}));
  struct Expected {
    const char* name;
    const char* caption;  // at design time
    host::Geometry geometry;
  };
  const Expected expected[] = {
      {"CMD(0)", "", {135, 135, 5715, 330}},
      {"CMD(1)", "", {135, 465, 5715, 330}},
      {"CMD(2)", "", {135, 795, 5715, 330}},
      {"CMD(3)", "", {135, 1125, 5715, 330}},
      {"CMD(4)", "", {135, 1455, 5715, 330}},
      {"Sample", "サンプルデータ", {135, 2190, 5715, 330}},
      {"Command1", "空白テンプレート", {135, 2520, 5715, 330}},
      {"Command2", "履歴クリア", {4680, 1830, 1170, 330}},
      {"Command3", "ファイルを開く", {3100, 1830, 1575, 330}},
  };
  ASSERT_EQ(form.controls().size(), std::size(expected));
  int last_tab_index = -1;
  for (const Expected& e : expected) {
    const auto* button = dynamic_cast<const host::CommandButton*>(form.FindControl(e.name));
    ASSERT_NE(button, nullptr) << e.name;
    EXPECT_EQ(button->caption(), e.caption) << e.name;
    EXPECT_EQ(button->geometry(), e.geometry) << e.name;
    EXPECT_GT(button->tab_index(), last_tab_index) << e.name << " comes later in tab order";
    last_tab_index = button->tab_index();
  }
  EXPECT_EQ(&form.CMD[3], form.FindControl("CMD(3)"));
}

TEST_F(FileSentakuTest, ButtonsFollowTheHistoryAndTheFilesPresent) {
  struct Case {
    const char* name;
    // Written in order; none for no settings file.
    std::vector<std::pair<const char*, std::string>> settings;
    std::vector<std::string> present;  // workbook files put in place
    std::vector<ButtonState> history;  // CMD(0) .. CMD(4)
    ButtonState sample;
  };
  const ButtonState no_sample{"サンプルデータがありません。", false, ""};
  const ButtonState sample{"サンプルデータを開く", true, kSamplePath};
  const Case cases[] = {
      {"no settings file", {}, {}, std::vector<ButtonState>(5, kNoHistory), no_sample},
      {"settings without history",
       {{"RND", "77"}, {"Mo", "12"}},
       {kSamplePath},
       std::vector<ButtonState>(5, kNoHistory),
       sample},
      {"full history",
       {{"PATH1", "/data/三年/一学期.xlsx"},
        {"RND", "5"},
        {"PATH2", "/data/消えた.xlsx"},
        {"PATH3", "C:\\Users\\先生\\Documents\\旧い.xls"},
        {"PATH4", "名前だけ.xlsx"},
        {"PATH5", "/data/二年/混在\\後.xlsx"}},
       {"/data/三年/一学期.xlsx", "/data/二年/混在\\後.xlsx"},
       {{"一学期.xlsx", true, "/data/三年/一学期.xlsx"},
        {"消えた.xlsx", false, "/data/消えた.xlsx"},
        {"旧い.xls", false, "C:\\Users\\先生\\Documents\\旧い.xls"},
        {"名前だけ.xlsx", false, "名前だけ.xlsx"},
        {"後.xlsx", true, "/data/二年/混在\\後.xlsx"}},
       no_sample},
      {"gaps in the history",
       {{"PATH2", "/data/b.xlsx"}, {"PATH4", "/data/d.xlsx"}},
       {"/data/d.xlsx", kSamplePath},
       {kNoHistory,
        {"b.xlsx", false, "/data/b.xlsx"},
        kNoHistory,
        {"d.xlsx", true, "/data/d.xlsx"},
        kNoHistory},
       sample},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform_.RemoveFolder("/data");
    platform_.RemoveFolder(kDataFolder);
    for (const auto& [key, value] : c.settings) Store(key, value);
    for (const std::string& path : c.present) AddWorkbookFile(path, "Sheet1");
    InDialog([&](FILE_Sentaku& f) {
      EXPECT_EQ(f.caption(), kDialogCaption);
      EXPECT_EQ(HistoryButtons(f), c.history);
      EXPECT_EQ(StateOf(f.Sample), c.sample);
      EXPECT_EQ(f.sample_path(), kSamplePath);
      for (int i = 0; i < FILE_Sentaku::kHistorySize; ++i) {
        if (!c.history[i].enabled) {
          EXPECT_FALSE(f.Press(f.CMD[i])) << i;
        }
      }
      if (!c.sample.enabled) {
        EXPECT_FALSE(f.Press(f.Sample));
      }
      EXPECT_TRUE(f.shown());
      f.Unload();
    });
    const std::vector<std::string> transcript = ui_.Transcript();
    EXPECT_EQ(transcript.front(), "sound(information)") << "played as the dialog becomes active";
    EXPECT_EQ(transcript.at(1), std::string("show-modal: ") + kDialogCaption);
    ui_.TakeLog();
    ui_.ExpectNoMessages();
    while (app_.Workbooks().Count() > 0) app_.Workbooks().Close(app_.Workbooks().Item(1));
  }
}

TEST_F(FileSentakuTest, ExistFileNamesTheFileAfterTheLastSeparator) {
  AddWorkbookFile("/data/a\\b/c.xlsx", "Sheet1");
  FILE_Sentaku form(body());
  struct Case {
    std::string path;
    const char* file_name;
    bool exists;
  };
  const Case cases[] = {
      {"/data/a\\b/c.xlsx", "c.xlsx", true},
      {"/data/a\\b", "b", false},  // a folder is no file
      {"C:\\データ\\三年.xls", "三年.xls", false},
      {"C:\\データ/三年\\二学期.xls", "二学期.xls", false},
      {"単独.xlsx", "単独.xlsx", false},
      {"/data/", "", false},
      {"", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(form.ExistFile(c.path), c.exists) << c.path;
    EXPECT_EQ(form.last_file_name(), c.file_name) << c.path;
  }
}

TEST_F(FileSentakuTest, AnEntryWhoseFileWasDeletedIsGreyedButKeepsItsName) {
  const std::string path = "/data/三年/一学期.xlsx";
  Store("PATH1", path);
  AddWorkbookFile(path, "Sheet1");
  InDialog([&](FILE_Sentaku& f) {
    EXPECT_EQ(StateOf(f.CMD[0]), (ButtonState{"一学期.xlsx", true, path}));
    f.Unload();
  });
  ASSERT_FALSE(platform_.RemoveFile(path).has_value());
  InDialog([&](FILE_Sentaku& f) {
    EXPECT_EQ(StateOf(f.CMD[0]), (ButtonState{"一学期.xlsx", false, path}));
    EXPECT_FALSE(f.Press(f.CMD[0]));
    f.Unload();
  });
}

TEST_F(FileSentakuTest, ChoosingAWorkbookOpensItWithoutABlankBank) {
  const std::string history_path = "/data/三年.xlsx";
  const std::string chosen_path = "/home/user/選んだ.xlsx";
  AddWorkbookFile(history_path, "履歴のブック");
  AddWorkbookFile(chosen_path, "選んだブック");
  AddWorkbookFile(kSamplePath, "サンプル");
  Store("PATH1", "/data/a.xlsx");
  Store("PATH2", history_path);
  struct Case {
    const char* name;
    std::function<void(FILE_Sentaku&)> choose;
    std::string path;
    const char* sheet;
  };
  const Case cases[] = {
      {"history", [](FILE_Sentaku& f) { EXPECT_TRUE(f.Press(f.CMD[1])); }, history_path,
       "履歴のブック"},
      {"file-open dialog",
       [&](FILE_Sentaku& f) {
         ui_.QueueOpenFilename(chosen_path);
         EXPECT_TRUE(f.Press(f.Command3));
       },
       chosen_path, "選んだブック"},
      {"sample", [](FILE_Sentaku& f) { EXPECT_TRUE(f.Press(f.Sample)); }, kSamplePath, "サンプル"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    app_.SetDisplayCommentIndicator(host::CommentIndicator::kNone);
    bool closed = false;
    InDialog([&](FILE_Sentaku& f) {
      c.choose(f);
      closed = !f.loaded();
    });
    EXPECT_TRUE(closed) << "the dialog closes itself";
    EXPECT_EQ(OpenWorkbooks(), std::vector<std::string>{c.path}) << "and builds no blank bank";
    EXPECT_EQ(app_.ActiveSheet().Name(), c.sheet);
    EXPECT_EQ(app_.DisplayCommentIndicator(), host::CommentIndicator::kIndicatorOnly);
    app_.Workbooks().Close(*app_.ActiveWorkbook());
  }
  ui_.ExpectNoMessages();
}

TEST_F(FileSentakuTest, CancellingTheFileOpenDialogKeepsTheDialogOpen) {
  const std::string path = "/data/後で選ぶ.xlsx";
  AddWorkbookFile(path, "後で");
  InDialog([&](FILE_Sentaku& f) {
    ui_.QueueOpenFilename("False");
    EXPECT_TRUE(f.Press(f.Command3));
    EXPECT_TRUE(f.shown());
    EXPECT_EQ(app_.Workbooks().Count(), 0) << "nothing opened or built";
    ui_.QueueOpenFilename(path);
    EXPECT_TRUE(f.Press(f.Command3));
  });
  EXPECT_EQ(OpenWorkbooks(), std::vector<std::string>{path});
  int dialogs = 0;
  for (const testing::UiRecord& record : ui_.log()) {
    if (const auto* open = std::get_if<testing::OpenFilenameRecord>(&record)) {
      ++dialogs;
      ASSERT_EQ(open->filters.size(), 2u);
      EXPECT_EQ(open->filters[0].description, "Microsoft Excelブック");
      EXPECT_EQ(open->filters[0].pattern, "*.xl*");
      EXPECT_EQ(open->filters[1].description, "テキストファイル");
      EXPECT_EQ(open->filters[1].pattern, "*.txt");
    }
  }
  EXPECT_EQ(dialogs, 2);
}

// The host's error passes on; the dialog is gone and can be shown again.
TEST_F(FileSentakuTest, AWorkbookTheHostCannotOpenEndsTheCommandWithItsError) {
  const std::string vanishing = "/data/消える.xlsx";
  const std::string text_file = "/data/メモ.txt";
  AddWorkbookFile(vanishing, "Sheet1");
  platform_.AddFile(text_file, "ただのテキスト\r\n");
  Store("PATH1", vanishing);
  struct Case {
    const char* name;
    std::function<void(FILE_Sentaku&)> choose;
  };
  const Case cases[] = {
      {"history entry removed after activation",
       [&](FILE_Sentaku& f) {
         ASSERT_FALSE(platform_.RemoveFile(vanishing).has_value());
         f.Press(f.CMD[0]);
       }},
      {"text file",
       [&](FILE_Sentaku& f) {
         ui_.QueueOpenFilename(text_file);
         f.Press(f.Command3);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    app_.SetDisplayCommentIndicator(host::CommentIndicator::kNone);
    ui_.QueueFormScriptFor<FILE_Sentaku>(c.choose);
    EXPECT_THROW(Run("M_Command1"), host::HostError);
    EXPECT_FALSE(body().file_sentaku->loaded());
    EXPECT_EQ(app_.Workbooks().Count(), 0) << "no blank bank either";
    EXPECT_EQ(app_.DisplayCommentIndicator(), host::CommentIndicator::kIndicatorOnly);
  }
  InDialog([](FILE_Sentaku& f) { EXPECT_FALSE(f.CMD[0].enabled()); });
}

TEST_F(FileSentakuTest, ClearingTheHistoryAnsweredNoLeavesTheFileAlone) {
  const std::string bytes = "RND:77\r\nPATH1:/data/a.xlsx\r\n\r\nPATH2:/data/b.xlsx\r\nMo:3\r\n";
  platform_.AddFile(kSettingsPath, bytes);
  AddWorkbookFile("/data/a.xlsx", "Sheet1");
  InDialog([&](FILE_Sentaku& f) {
    const std::vector<ButtonState> before = HistoryButtons(f);
    ui_.QueueAnswer(host::MessageAnswer::kNo);
    EXPECT_TRUE(f.Press(f.Command2));
    EXPECT_EQ(HistoryButtons(f), before);
    EXPECT_TRUE(f.shown());
    f.Unload();
  });
  EXPECT_EQ(SettingsFile(), bytes);
  const std::vector<MessageRecord> expected{{"本当に履歴を消去してもよろしいですか？",
                                             host::MessageButtons::kYesNo, "確認",
                                             host::MessageAnswer::kNo}};
  EXPECT_EQ(ui_.TakeMessages(), expected);
}

TEST_F(FileSentakuTest, ClearingTheHistoryAnsweredYesDeletesEveryPathLineOnly) {
  struct Case {
    const char* name;
    std::optional<std::string> before;
    std::optional<std::string> after;
  };
  const Case cases[] = {
      {"history among other keys",
       "ST:3\r\nPATH1:/data/a.xlsx\r\nMo:12\r\nPATH2:/data/b.xlsx\r\nPATH3:/data/c.xlsx\r\n"
       "1P40:False\r\nPATH5:/data/e.xlsx\r\nNo20:25\r\n",
       "ST:3\r\nMo:12\r\n1P40:False\r\nNo20:25\r\n"},
      {"a key that only begins like one", "PATH10:x\r\nPATH1:/data/a.xlsx\r\n", "PATH10:x\r\n"},
      // Deleting from a file that does not exist would create one holding the key.
      {"no settings file", std::nullopt, std::nullopt},
  };
  AddWorkbookFile("/data/a.xlsx", "Sheet1");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform_.RemoveFolder(kDataFolder);
    if (c.before) platform_.AddFile(kSettingsPath, *c.before);
    InDialog([&](FILE_Sentaku& f) {
      ui_.TakeLog();
      ui_.QueueAnswer(host::MessageAnswer::kYes, "履歴を消去");
      EXPECT_TRUE(f.Press(f.Command2));
      EXPECT_TRUE(f.shown());
      EXPECT_EQ(HistoryButtons(f), std::vector<ButtonState>(5, kNoHistory));
      EXPECT_EQ(f.caption(), kDialogCaption);
      EXPECT_EQ(ui_.Transcript().back(), "sound(information)") << "activated again";
      f.Unload();
    });
    EXPECT_EQ(SettingsFile(), c.after);
    ui_.TakeMessages();
  }
}

// One write at a time, a failure part way left half the history; the clear is one write now.
TEST_F(FileSentakuTest, ClearingTheHistoryIsOneWriteThatFailsWhole) {
  const std::string bytes =
      "RND:77\r\nPATH1:/data/a.xlsx\r\nPATH2:/data/b.xlsx\r\nPATH3:/data/c.xlsx\r\n";
  platform_.AddFile(kSettingsPath, bytes);
  testing::WriteCountingPlatform counting(platform_);
  body().platform = &counting;
  InDialog([&](FILE_Sentaku& f) {
    ui_.QueueAnswer(host::MessageAnswer::kYes);
    platform_.FailNextWrite();
    EXPECT_THROW(f.Press(f.Command2), host::HostError);
    EXPECT_EQ(counting.TakeWrites(), 1);
    EXPECT_EQ(SettingsFile(), bytes);
    ui_.QueueAnswer(host::MessageAnswer::kYes);
    EXPECT_TRUE(f.Press(f.Command2));
    EXPECT_EQ(counting.TakeWrites(), 1);
    EXPECT_EQ(SettingsFile(), "RND:77\r\n");
    f.Unload();
  });
  body().platform = &platform_;
  ui_.TakeMessages();
}

TEST_F(FileSentakuTest, EveryWayOfClosingWithoutAWorkbookBuildsTheBlankBank) {
  struct Case {
    const char* name;
    std::function<void(FILE_Sentaku&)> close;
  };
  const Case cases[] = {
      {"空白テンプレート", [](FILE_Sentaku& f) { EXPECT_TRUE(f.Press(f.Command1)); }},
      {"close box", [](FILE_Sentaku& f) { f.Unload(); }},
      {"closed by the front end after the script", [](FILE_Sentaku&) {}},
      {"file-open dialog cancelled, then 空白テンプレート",
       [this](FILE_Sentaku& f) {
         ui_.QueueOpenFilename("False");
         f.Press(f.Command3);
         f.Press(f.Command1);
       }},
      {"history cleared, then the close box",
       [this](FILE_Sentaku& f) {
         ui_.QueueAnswer(host::MessageAnswer::kYes);
         f.Press(f.Command2);
         f.Unload();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    app_.SetDisplayCommentIndicator(host::CommentIndicator::kCommentAndIndicator);
    app_.SetScreenUpdating(true);
    InDialog(c.close);
    ASSERT_EQ(app_.Workbooks().Count(), 1);
    EXPECT_EQ(app_.ActiveWorkbook()->Path(), "") << "left unsaved";
    EXPECT_EQ(app_.ActiveSheet().Name(), "ミラヴォ 同音・同訓");
    EXPECT_EQ(app_.ActiveSheet().CommentCount(), 18);
    EXPECT_FALSE(app_.ScreenUpdating());
    EXPECT_EQ(app_.DisplayCommentIndicator(), host::CommentIndicator::kIndicatorOnly);
    EXPECT_FALSE(body().file_sentaku->loaded());
    app_.Workbooks().Close(*app_.ActiveWorkbook());
    ui_.TakeMessages();
  }
}

// Start-up shows the dialog after installing the menu and before registering the keys; the
// data file command shows the same dialog object again.
TEST(FileSentakuStartUpTest, StartUpAndTheCommandShareOneDialog) {
  testing::ScriptedUi ui;
  host::Application app(ui);
  host::MemoryPlatform platform;
  shell::AddIn add_in(app, platform);
  const FILE_Sentaku* first = nullptr;
  ui.QueueFormScriptFor<FILE_Sentaku>([&](FILE_Sentaku& f) {
    first = &f;
    EXPECT_EQ(app.CommandBars().Item("cell").Controls().Item(1).caption(),
              "ミラヴォ 同音・同訓(&D)");
    EXPECT_TRUE(app.shortcut_keys().empty());
    f.Press(f.Command1);
  });
  app::WorkbookOpen(add_in);
  EXPECT_EQ(app.shortcut_keys().size(), 13u);
  EXPECT_EQ(app.ActiveSheet().Name(), "ミラヴォ 同音・同訓");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(add_in.body().file_sentaku.get(), first);

  const FILE_Sentaku* second = nullptr;
  ui.QueueFormScriptFor<FILE_Sentaku>([&](FILE_Sentaku& f) { second = &f; });
  ASSERT_TRUE(app::RunMacro(add_in, "M_Command1"));
  EXPECT_EQ(second, first);
  EXPECT_EQ(app.Workbooks().Count(), 2) << "closed again without a workbook: another blank bank";
}

}  // namespace
}  // namespace tarquel::datafiles
