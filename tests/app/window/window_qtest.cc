// The desktop window driven as a person drives it, on Qt's offscreen platform: clicks and keys
// go to the real widgets, and the dialogs and message boxes a command shows are answered as they
// come up.
#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QHelpEvent>
#include <QInputDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "datafiles/file_sentaku.h"
#include "datafiles/sample_location.h"
#include "gtest/gtest.h"
#include "host/application.h"
#include "host/platform/posix_platform.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/xlsx/xlsx_files.h"
#include "kanjigrade/form1.h"
#include "model/bank_sheet.h"
#include "model/body.h"
#include "model/test_sheet.h"
#include "paper/print_form.h"
#include "print/font_catalog.h"
#include "settings/settings_file.h"
#include "shell/front_end_queries.h"
#include "shell/menu.h"
#include "support/scripted_ui.h"
#include "testgen/user_form1.h"
#include "window/bank_check_view.h"
#include "window/form_dialog.h"
#include "window/main_window.h"
#include "window/phonetic_editor.h"
#include "window/print_preview.h"
#include "window/qt_ui.h"
#include "window/session.h"

namespace tarquel::window {
namespace {

namespace fs = std::filesystem;

// Owns the watches a test leaves behind (a dialog that never came), so that they end with it.
QObject* watches = nullptr;

// The modal dialog on top once it is shown, as the test's own event loop sees it.
template <typename Is>
void WhenShown(Is is, std::function<void(QWidget*)> act) {
  auto* timer = new QTimer(watches);
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, is, act] {
    QWidget* widget = QApplication::activeModalWidget();
    if (widget == nullptr || !widget->isVisible() || !is(widget)) return;
    timer->stop();
    timer->deleteLater();
    act(widget);
  });
  timer->start();
}

template <typename F>
bool IsFormDialog(QWidget* widget) {
  auto* dialog = qobject_cast<FormDialog*>(widget);
  return dialog != nullptr && dynamic_cast<F*>(&dialog->form()) != nullptr;
}

// What an input method sends when the user commits what they composed.
void CommitInput(QWidget* widget, const QString& text) {
  QInputMethodEvent commit;
  commit.setCommitString(text);
  QCoreApplication::sendEvent(widget, &commit);
}

bool IsHostMessage(QWidget* widget) {
  return widget->objectName() == QStringLiteral("hostMessage");
}

// Clicks the button named `name` of `dialog`.
void Click(QWidget* dialog, const char* name) {
  auto* button = dialog->findChild<QAbstractButton*>(QString::fromLatin1(name));
  ASSERT_NE(button, nullptr) << name;
  QTest::mouseClick(button, Qt::LeftButton);
}

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    home_ = fs::temp_directory_path() /
            ("tarquel-window-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    fs::create_directories(home_);
    setenv("HOME", home_.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home_ / ".config").c_str(), 1);
    watches = new QObject;
    ui_ = std::make_unique<QtUi>(Fonts(), platform_);
    session_ = std::make_unique<WindowSession>(*ui_, platform_);
    window_ = std::make_unique<MainWindow>(*session_, *ui_, Fonts());
    window_->show();
    window_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  ~WindowTest() override {
    delete std::exchange(watches, nullptr);
    window_.reset();
    session_.reset();
    ui_.reset();
    std::error_code ignored;
    fs::remove_all(home_, ignored);
  }

  static print::FontCatalog& Fonts() {
    static print::FontCatalog fonts;
    return fonts;
  }

  fs::path DataFolder() const { return home_ / "Documents" / "ソルネア保存データ"; }
  fs::path SamplePath() const { return DataFolder() / datafiles::kSampleFileName; }

  // Starts the window and opens the sample from the data file dialog, noting what the dialog
  // showed.
  void StartOnSample() {
    WhenShown(IsFormDialog<datafiles::FILE_Sentaku>, [this](QWidget* dialog) {
      auto* history = dialog->findChild<QPushButton*>(QStringLiteral("CMD(0)"));
      auto* sample = dialog->findChild<QPushButton*>(QStringLiteral("Sample"));
      ASSERT_NE(history, nullptr);
      ASSERT_NE(sample, nullptr);
      first_history_enabled_ = history->isEnabled();
      sample_enabled_ = sample->isEnabled();
      Click(dialog, "Sample");
    });
    window_->Start();
  }

  host::Application& app() { return session_->app(); }
  model::Body& body() { return session_->add_in().body(); }
  SheetGrid& grid() { return *window_->grid(); }

  QPoint CenterOf(int32_t row, int32_t column) {
    grid().ScrollTo(row, column);
    const QRect rect = grid().CellRectInView(row, column);
    EXPECT_FALSE(rect.isEmpty()) << row << "," << column;
    return rect.center();
  }

  void ClickCell(int32_t row, int32_t column, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(grid().viewport(), Qt::LeftButton, modifiers, CenterOf(row, column));
  }

  // The key as the focused window receives it, so that window shortcuts apply.
  void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    window_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    grid().setFocus();
    QTest::keyClick(&grid(), key, modifiers);
  }

  // Makes a 20-question test through the test creation dialog (作成, then 閉じる).
  void MakeTest() {
    app().ActiveWorkbook()->ActivateSheet(
        *app().ActiveWorkbook()->FindSheet(model::kBankSheetBaseName));
    window_->SyncFromHost();
    WhenShown(IsFormDialog<testgen::UserForm1>, [](QWidget* dialog) {
      Click(dialog, "CommandButton1");
      Click(dialog, "CommandButton2");
    });
    window_->RunMacro("M_START");
  }

  inline static int counter_ = 0;
  fs::path home_;
  host::PosixPlatform platform_;
  std::unique_ptr<QtUi> ui_;
  std::unique_ptr<WindowSession> session_;
  std::unique_ptr<MainWindow> window_;
  bool first_history_enabled_ = true;
  bool sample_enabled_ = false;
};

TEST_F(WindowTest, StartUpDialogOpensTheSample) {
  StartOnSample();
  // With no history yet, the history buttons are greyed and the sample is offered.
  EXPECT_FALSE(first_history_enabled_);
  EXPECT_TRUE(sample_enabled_);
  ASSERT_NE(app().ActiveWorkbook(), nullptr);
  EXPECT_EQ(app().ActiveWorkbook()->FullName(), SamplePath().string());
  // The sheets are the tabs, the active one selected and shown in the grid.
  QTabBar* tabs = window_->sheet_tabs();
  ASSERT_EQ(tabs->count(), app().ActiveWorkbook()->SheetCount());
  EXPECT_EQ(tabs->tabText(tabs->currentIndex()).toStdString(), app().ActiveSheet().Name());
  EXPECT_EQ(grid().sheet(), &app().ActiveSheet());
}

TEST_F(WindowTest, RightClickShowsTheAddInPopupFirstAndRunsTheTestCommand) {
  StartOnSample();
  host::Worksheet& bank = *app().ActiveWorkbook()->FindSheet(model::kBankSheetBaseName);
  bank.Activate();
  window_->SyncFromHost();
  QStringList seen;
  std::vector<int> separators_before;
  bool dialog_shown = false;
  QTimer::singleShot(0, [&] {
    WhenShown(IsFormDialog<testgen::UserForm1>, [&](QWidget* dialog) {
      dialog_shown = true;
      Click(dialog, "CommandButton2");
    });
  });
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [&, poll] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    poll->stop();
    poll->deleteLater();
    QMenu* popup = menu->actions().front()->menu();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(menu->actions().front()->text().toStdString(), shell::kPopupCaption);
    QAction* start = nullptr;
    int index = 0;
    for (QAction* action : popup->actions()) {
      if (action->isSeparator()) {
        separators_before.push_back(index);
        continue;
      }
      seen << action->text();
      if (index == 0) start = action;
      ++index;
    }
    ASSERT_NE(start, nullptr);
    start->trigger();
    menu->close();
  });
  poll->start(5);
  QTest::mouseClick(grid().viewport(), Qt::RightButton, {}, CenterOf(5, 4));
  // The click selected the cell it was on.
  EXPECT_EQ(bank.active_cell(), std::make_pair(5, 4));
  QStringList expected;
  std::vector<int> expected_separators;
  int index = 0;
  for (const shell::MenuEntry& entry : shell::MenuEntries()) {
    if (entry.begin_group && index > 0) expected_separators.push_back(index);
    expected << QString::fromUtf8(entry.caption);
    ++index;
  }
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(seen.size(), 13);
  EXPECT_EQ(separators_before, expected_separators);
  // 漢字テスト作成 ran after the menu closed and opened the test creation dialog.
  for (int waited = 0; !dialog_shown && waited < 5000; waited += 10) QTest::qWait(10);
  EXPECT_TRUE(dialog_shown);
}

TEST_F(WindowTest, MenuBarHoldsTheAddInPopupWhileTheAddInHasIt) {
  StartOnSample();
  auto* menu = window_->findChild<QMenu*>(QStringLiteral("addInMenu"));
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->menuAction()->isVisible());
  EXPECT_EQ(menu->title().toStdString(), shell::kPopupCaption);
  emit menu->aboutToShow();
  QStringList entries;
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) entries << action->text();
  }
  ASSERT_EQ(entries.size(), 13);
  EXPECT_EQ(entries.front().toStdString(), shell::MenuEntries().front().caption);
  EXPECT_EQ(entries.back().toStdString(), shell::MenuEntries().back().caption);
  // Closing the workbook runs the closing event, which takes the popup away.
  EXPECT_TRUE(window_->CloseWorkbook(*app().ActiveWorkbook()));
  EXPECT_FALSE(menu->menuAction()->isVisible());
}

TEST_F(WindowTest, HostEntriesOfTheCellMenuFollowTheAddInsPopup) {
  StartOnSample();
  ClickCell(6, 4);
  std::unique_ptr<QMenu> menu(window_->BuildCellMenu(window_.get()));
  std::map<std::string, bool> enabled;
  std::vector<std::string> order;
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    order.push_back(action->text().toStdString());
    enabled[order.back()] = action->isEnabled();
  }
  ASSERT_GE(order.size(), 2u);
  EXPECT_EQ(order.front(), shell::kPopupCaption);
  EXPECT_EQ(order[1], "切り取り(&T)");
  // What the window does is enabled; the clipboard is empty, so there is nothing to paste.
  const struct {
    const char* caption;
    bool enabled;
  } cases[] = {{"切り取り(&T)", false},         {"コピー(&C)", true},
               {"貼り付け(&P)", false},         {"数式と値のクリア(&N)", true},
               {"コメントの挿入(&M)", true},    {"ふりがなの表示(&S)", true},
               {"セルの書式設定(&F)...", false}};
  for (const auto& c : cases) {
    ASSERT_TRUE(enabled.contains(c.caption)) << c.caption;
    EXPECT_EQ(enabled[c.caption], c.enabled) << c.caption;
  }
  // コメントの挿入 asks for the text and adds the comment to the cell.
  WhenShown([](QWidget* w) { return qobject_cast<QInputDialog*>(w) != nullptr; },
            [](QWidget* w) {
              auto* dialog = static_cast<QInputDialog*>(w);
              dialog->setTextValue(QStringLiteral("要確認"));
              dialog->accept();
            });
  for (QAction* action : menu->actions()) {
    if (action->text() == QStringLiteral("コメントの挿入(&M)")) action->trigger();
  }
  host::Worksheet& sheet = app().ActiveSheet();
  for (int waited = 0; !sheet.Cells(6, 4).Comment() && waited < 5000; waited += 10) {
    QTest::qWait(10);
  }
  ASSERT_TRUE(sheet.Cells(6, 4).Comment().has_value());
  EXPECT_EQ(sheet.Cells(6, 4).Comment()->Text(), "要確認");
}

TEST_F(WindowTest, BadNumberAndTabKeepsTheFocusInTheBoxWithTheMessage) {
  StartOnSample();
  app().ActiveWorkbook()->FindSheet(model::kBankSheetBaseName)->Activate();
  window_->SyncFromHost();
  QString message;
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  bool focus_kept = false;
  bool form_focus_kept = false;
  WhenShown(IsFormDialog<testgen::UserForm1>, [&](QWidget* dialog) {
    auto& form = static_cast<testgen::UserForm1&>(static_cast<FormDialog*>(dialog)->form());
    auto* first = dialog->findChild<QLineEdit*>(QStringLiteral("T1"));
    ASSERT_NE(first, nullptr);
    QTest::mouseClick(first, Qt::LeftButton);
    QTest::keyClick(first, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(first, QStringLiteral("0"));
    WhenShown(IsHostMessage, [&](QWidget* box) {
      message = static_cast<QMessageBox*>(box)->text();
      icon = static_cast<QMessageBox*>(box)->icon();
      title = box->windowTitle();
      Click(box, "ok");
    });
    QTest::keyClick(first, Qt::Key_Tab);
    QTest::qWait(20);
    // The box is the dialog's focus, whichever window the platform has made active.
    focus_kept = dialog->focusWidget() == first;
    form_focus_kept = form.focused() == &form.T1;
    // Put it right so that the dialog can be closed.
    QTest::keyClick(first, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(first, QStringLiteral("1"));
    Click(dialog, "CommandButton2");
  });
  window_->RunMacro("M_START");
  EXPECT_TRUE(message.contains(QStringLiteral("以上の整数を入力して下さい")))
      << message.toStdString();
  EXPECT_TRUE(focus_kept);
  EXPECT_TRUE(form_focus_kept);
  // A refused value is a warning under the host's own title.
  EXPECT_EQ(icon, QMessageBox::Warning);
  EXPECT_EQ(title.toStdString(), kHostTitle);
}

TEST_F(WindowTest, MakingTheTestShowsTheTestSheet) {
  StartOnSample();
  app().ActiveWorkbook()->FindSheet(model::kBankSheetBaseName)->Activate();
  window_->SyncFromHost();
  std::string shown_while_open;
  WhenShown(IsFormDialog<testgen::UserForm1>, [&](QWidget* dialog) {
    Click(dialog, "CommandButton1");
    // The window follows the command while its dialog is still open.
    shown_while_open =
        window_->sheet_tabs()->tabText(window_->sheet_tabs()->currentIndex()).toStdString();
    Click(dialog, "CommandButton2");
  });
  window_->RunMacro("M_START");
  const std::string test_sheet(model::TestSheetName(body().use_sheet40));
  EXPECT_EQ(app().ActiveSheet().Name(), test_sheet);
  EXPECT_EQ(shown_while_open, test_sheet);
  EXPECT_EQ(grid().sheet(), &app().ActiveSheet());
  EXPECT_FALSE(app().ActiveSheet().Range("T2").Value().IsEmpty());
}

TEST_F(WindowTest, ClickingASheetTabActivatesTheSheetAndRaisesItsEvent) {
  StartOnSample();
  MakeTest();
  host::Worksheet& test = app().ActiveSheet();
  const bool test_is40 = test.Name() == model::kTestSheet40Name;
  QTabBar* tabs = window_->sheet_tabs();
  const auto click_tab = [&](const std::string& name) {
    for (int index = 0; index < tabs->count(); ++index) {
      if (tabs->tabText(index).toStdString() == name) {
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
        return;
      }
    }
    ADD_FAILURE() << "no tab " << name;
  };
  click_tab(model::kBankSheetBaseName);
  EXPECT_EQ(app().ActiveSheet().Name(), model::kBankSheetBaseName);
  EXPECT_EQ(grid().sheet(), &app().ActiveSheet());
  // The add-in follows the test sheet in use from the sheet activation.
  body().use_sheet40 = !test_is40;
  click_tab(test.Name());
  EXPECT_EQ(&app().ActiveSheet(), &test);
  EXPECT_EQ(grid().sheet(), &test);
  EXPECT_EQ(body().use_sheet40, test_is40);
}

TEST_F(WindowTest, ShortcutKeyShowsTheAnswers) {
  StartOnSample();
  MakeTest();
  host::Worksheet& test = app().ActiveSheet();
  ASSERT_TRUE(test.Range("T3").Value().IsEmpty());
  ClickCell(2, 20);
  PressKey(Qt::Key_A, Qt::ControlModifier);  // 解答表示
  EXPECT_FALSE(test.Range("T3").Value().IsEmpty());
  PressKey(Qt::Key_D, Qt::ControlModifier);  // 解答消去
  EXPECT_TRUE(test.Range("T3").Value().IsEmpty());
}

TEST_F(WindowTest, WrongAnswerFromATestQuestionMarksTheBankRow) {
  StartOnSample();
  MakeTest();
  ClickCell(2, 20);
  // The command asks before it records; the answer is Yes.
  QTimer keep_answering;
  QObject::connect(&keep_answering, &QTimer::timeout, [] {
    QWidget* box = QApplication::activeModalWidget();
    if (box != nullptr && IsHostMessage(box)) {
      auto* yes = box->findChild<QPushButton*>(QStringLiteral("yes"));
      QTest::mouseClick(yes != nullptr ? yes : box->findChild<QPushButton*>(QStringLiteral("ok")),
                        Qt::LeftButton);
    }
  });
  keep_answering.start(5);
  PressKey(Qt::Key_N, Qt::ControlModifier);  // この問題は不正解です
  keep_answering.stop();
  const model::MarkOutcome& mark = body().last_mark;
  ASSERT_EQ(mark.kind, model::MarkOutcome::Kind::kMarked);
  host::Worksheet& bank = *app().ActiveWorkbook()->FindSheet(model::kBankSheetBaseName);
  EXPECT_EQ(bank.Cells(mark.bank_row, 5 + mark.attempt).Text(), "X");
}

TEST_F(WindowTest, JumpShowsTheBankRowOfTheQuestion) {
  StartOnSample();
  MakeTest();
  host::Worksheet& test = app().ActiveSheet();
  ClickCell(2, 11);
  PressKey(Qt::Key_J, Qt::ControlModifier);  // 問題へ飛ぶ
  host::Worksheet& bank = *app().ActiveWorkbook()->FindSheet(model::kBankSheetBaseName);
  ASSERT_EQ(&app().ActiveSheet(), &bank);
  EXPECT_NE(&app().ActiveSheet(), &test);
  EXPECT_EQ(grid().sheet(), &bank);
  EXPECT_EQ(window_->sheet_tabs()->tabText(window_->sheet_tabs()->currentIndex()).toStdString(),
            bank.Name());
  const int32_t row = bank.active_cell().first;
  EXPECT_GT(row, 1);
  const auto& rows = grid().rows_in_view();
  EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << row;
}

TEST_F(WindowTest, BankCheckFromTheMenuListsFindingsAndShowsTheirRows) {
  StartOnSample();
  host::Worksheet& bank = *app().ActiveWorkbook()->FindSheet(model::kBankSheetBaseName);
  // The same sentence twice: the check's finding names both rows.
  const int32_t repeated = 40;
  bank.Cells(repeated, 4).SetValue(bank.Cells(2, 4).Value());
  bank.Cells(1, 1).Select();
  window_->SyncFromHost();

  QMenu* tools = window_->findChild<QMenu*>(QStringLiteral("toolsMenu"));
  ASSERT_NE(tools, nullptr);
  ASSERT_FALSE(tools->actions().isEmpty());
  bool shown = false;
  WhenShown([](QWidget* w) { return qobject_cast<BankCheckView*>(w) != nullptr; },
            [&](QWidget* widget) {
              shown = true;
              auto* view = qobject_cast<BankCheckView*>(widget);
              QListWidget* list = view->findings();
              QListWidgetItem* duplicate = nullptr;
              for (int i = 0; i < list->count(); ++i) {
                const QString text = list->item(i)->text();
                if (text.contains(QStringLiteral("2, %1").arg(repeated))) duplicate = list->item(i);
              }
              ASSERT_NE(duplicate, nullptr) << "the repeated sentence's rows are listed";
              emit list->itemActivated(duplicate);
              view->reject();
            });
  tools->actions().front()->trigger();
  EXPECT_TRUE(shown);
  EXPECT_EQ(&app().ActiveSheet(), &bank);
  EXPECT_EQ(bank.active_cell(), std::make_pair(int32_t{2}, int32_t{4}))
      << "choosing the finding selects its first row's sentence";
  const auto& rows = grid().rows_in_view();
  EXPECT_NE(std::find(rows.begin(), rows.end(), 2), rows.end());
}

TEST_F(WindowTest, ClosingWithChangesAsksAndSavesTheFile) {
  StartOnSample();
  host::Worksheet& bank = *app().ActiveWorkbook()->FindSheet(model::kBankSheetBaseName);
  bank.Activate();
  window_->SyncFromHost();
  ClickCell(3, 16);
  QTest::keyClicks(&grid(), QStringLiteral("memo"));
  ASSERT_TRUE(grid().editing());
  QTest::keyClick(grid().editor(), Qt::Key_Return);
  EXPECT_EQ(bank.Cells(3, 16).Text(), "memo");
  bool asked = false;
  WhenShown([](QWidget* w) { return w->objectName() == QStringLiteral("saveQuestion"); },
            [&](QWidget* box) {
              asked = true;
              Click(box, "save");
            });
  EXPECT_TRUE(window_->close());
  EXPECT_TRUE(asked);
  EXPECT_EQ(app().Workbooks().Count(), 0);
  // What was saved reads back from the file.
  tarquel::testing::ScriptedUi quiet;
  host::Application reader(quiet);
  host::xlsx::XlsxFiles files(platform_);
  reader.SetWorkbookFiles(&files);
  host::Workbook& saved = reader.Workbooks().Open(SamplePath().string());
  EXPECT_EQ(saved.FindSheet(model::kBankSheetBaseName)->Cells(3, 16).Text(), "memo");
  // The closing event put the workbook at the head of the history.
  EXPECT_EQ(settings::ReadSetting(body().Settings(), "PATH1", ""), SamplePath().string());
  // No temporary file is left beside it.
  for (const auto& entry : fs::directory_iterator(DataFolder())) {
    EXPECT_EQ(entry.path().string().find(".tmp-"), std::string::npos) << entry.path();
  }
}

TEST_F(WindowTest, SavingWithCtrlSWritesTheFileAndLeavesNothingToAsk) {
  StartOnSample();
  ClickCell(5, 16);
  QTest::keyClicks(&grid(), QStringLiteral("kept"));
  QTest::keyClick(grid().editor(), Qt::Key_Return);
  host::Workbook& workbook = *app().ActiveWorkbook();
  EXPECT_TRUE(session_->Changed(workbook));
  PressKey(Qt::Key_S, Qt::ControlModifier);
  EXPECT_FALSE(session_->Changed(workbook));
  tarquel::testing::ScriptedUi quiet;
  host::Application reader(quiet);
  host::xlsx::XlsxFiles files(platform_);
  reader.SetWorkbookFiles(&files);
  EXPECT_EQ(reader.Workbooks().Open(SamplePath().string()).ActiveSheet().Cells(5, 16).Text(),
            "kept");
  // Closing now asks nothing (a question would be answered キャンセル and noted).
  bool asked = false;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr || box->objectName() != QStringLiteral("saveQuestion")) return;
    asked = true;
    Click(box, "cancel");
  });
  answer.start(5);
  EXPECT_TRUE(window_->CloseWorkbook(workbook));
  EXPECT_FALSE(asked);
  EXPECT_EQ(app().Workbooks().Count(), 0);
}

TEST_F(WindowTest, CancellingTheSaveQuestionKeepsTheWindowAndWorkbook) {
  StartOnSample();
  // What a person changed and what a command changed both count; moving about does not.
  struct Case {
    const char* name;
    std::function<void()> change;
    bool asks;
  };
  const std::vector<Case> cases = {
      {"selection only", [&] { ClickCell(9, 3); }, false},
      {"typed value",
       [&] {
         ClickCell(2, 2);
         QTest::keyClicks(&grid(), QStringLiteral("x"));
         QTest::keyClick(grid().editor(), Qt::Key_Return);
       },
       true},
      {"test made", [&] { MakeTest(); }, true},
  };
  for (const Case& c : cases) {
    c.change();
    bool asked = false;
    // Lives only for this case, so that a question never asked leaves nothing behind.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
      QWidget* box = QApplication::activeModalWidget();
      if (box == nullptr || box->objectName() != QStringLiteral("saveQuestion")) return;
      asked = true;
      Click(box, "cancel");
    });
    answer.start(5);
    host::Workbook& workbook = *app().ActiveWorkbook();
    const bool closed = window_->CloseWorkbook(workbook);
    EXPECT_EQ(asked, c.asks) << c.name;
    if (!c.asks) {
      // Nothing to ask: it closed. Open the sample again for the next case.
      EXPECT_TRUE(closed) << c.name;
      app().Workbooks().Open(SamplePath().string());
      session_->TrackOpenWorkbooks();
      window_->SyncFromHost();
      continue;
    }
    EXPECT_FALSE(closed) << c.name;
    EXPECT_EQ(app().Workbooks().Count(), 1) << c.name;
  }
  // The window does not close either while the question is cancelled.
  WhenShown([](QWidget* w) { return w->objectName() == QStringLiteral("saveQuestion"); },
            [](QWidget* box) { Click(box, "cancel"); });
  EXPECT_FALSE(window_->close());
  EXPECT_EQ(app().Workbooks().Count(), 1);
}

TEST_F(WindowTest, TypedValuesAndClearedCellsAreUndone) {
  StartOnSample();
  host::Worksheet& sheet = app().ActiveSheet();
  const std::string before = sheet.Cells(2, 4).Text();
  ASSERT_FALSE(before.empty());
  struct Case {
    const char* name;
    std::function<void()> edit;
  };
  const std::vector<Case> cases = {{"typed then Enter",
                                    [&] {
                                      ClickCell(2, 4);
                                      QTest::keyClicks(&grid(), QStringLiteral("42"));
                                      QTest::keyClick(grid().editor(), Qt::Key_Return);
                                    }},
                                   {"F2 then replaced",
                                    [&] {
                                      ClickCell(2, 4);
                                      QTest::keyClick(&grid(), Qt::Key_F2);
                                      grid().editor()->setText(QStringLiteral("changed"));
                                      QTest::keyClick(grid().editor(), Qt::Key_Return);
                                    }},
                                   {"input method",
                                    [&] {
                                      ClickCell(2, 4);
                                      CommitInput(&grid(), QStringLiteral("変更"));
                                      ASSERT_TRUE(grid().editing());
                                      QTest::keyClick(grid().editor(), Qt::Key_Return);
                                      EXPECT_EQ(app().ActiveSheet().Cells(2, 4).Text(), "変更");
                                    }},
                                   {"Delete", [&] {
                                      ClickCell(2, 4);
                                      QTest::keyClick(&grid(), Qt::Key_Delete);
                                    }}};
  for (const Case& c : cases) {
    c.edit();
    EXPECT_NE(sheet.Cells(2, 4).Text(), before) << c.name;
    grid().Undo();
    EXPECT_EQ(sheet.Cells(2, 4).Text(), before) << c.name;
  }
  // Escape leaves the cell as it was.
  ClickCell(2, 4);
  QTest::keyClicks(&grid(), QStringLiteral("zzz"));
  QTest::keyClick(grid().editor(), Qt::Key_Escape);
  EXPECT_FALSE(grid().editing());
  EXPECT_EQ(sheet.Cells(2, 4).Text(), before);
}

TEST_F(WindowTest, SelectionByMouseAndKeysIsTheHostsSelection) {
  StartOnSample();
  host::Worksheet& sheet = app().ActiveSheet();
  // The sample's questions fill column D from row 1 down without a gap.
  int32_t last_row = 1;
  while (!sheet.Cells(last_row + 1, 4).Value().IsEmpty()) ++last_row;
  const std::string last_question = "$D$" + std::to_string(last_row);
  struct Case {
    const char* name;
    std::function<void()> act;
    std::string address;  // of the host's selection afterwards
    std::string active;
  };
  const std::vector<Case> cases = {
      {"click", [&] { ClickCell(3, 2); }, "$B$3", "$B$3"},
      {"shift click", [&] { ClickCell(5, 4, Qt::ShiftModifier); }, "$B$3:$D$5", "$B$3"},
      {"ctrl click", [&] { ClickCell(8, 1, Qt::ControlModifier); }, "$B$3:$D$5,$A$8", "$A$8"},
      {"arrow", [&] { QTest::keyClick(&grid(), Qt::Key_Down); }, "$A$9", "$A$9"},
      {"shift arrows",
       [&] {
         QTest::keyClick(&grid(), Qt::Key_Right, Qt::ShiftModifier);
         QTest::keyClick(&grid(), Qt::Key_Down, Qt::ShiftModifier);
       },
       "$A$9:$B$10", "$A$9"},
      {"ctrl home", [&] { QTest::keyClick(&grid(), Qt::Key_Home, Qt::ControlModifier); }, "$A$1",
       "$A$1"},
      {"ctrl down to the end of the questions",
       [&] {
         ClickCell(1, 4);
         QTest::keyClick(&grid(), Qt::Key_Down, Qt::ControlModifier);
       },
       last_question, last_question},
      {"ctrl down past the last row holding anything",
       [&] { QTest::keyClick(&grid(), Qt::Key_Down, Qt::ControlModifier); }, "$D$65536",
       "$D$65536"},
      {"ctrl up back to it", [&] { QTest::keyClick(&grid(), Qt::Key_Up, Qt::ControlModifier); },
       last_question, last_question},
      {"ctrl shift up selects the column of questions",
       [&] { QTest::keyClick(&grid(), Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier); },
       "$D$1:$D$" + std::to_string(last_row), last_question},
      {"row header",
       [&] {
         const QRect cell = grid().CellRectInView(5, 1);
         QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, QPoint(4, cell.center().y()));
       },
       "$5:$5", "$A$5"},
      {"shift row header",
       [&] {
         const QRect cell = grid().CellRectInView(7, 1);
         QTest::mouseClick(grid().viewport(), Qt::LeftButton, Qt::ShiftModifier,
                           QPoint(4, cell.center().y()));
       },
       "$5:$7", "$A$5"},
      {"column header",
       [&] {
         const QRect cell = grid().CellRectInView(1, 3);
         QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, QPoint(cell.center().x(), 4));
       },
       "$C:$C", "$C$1"},
      {"ctrl column header",
       [&] {
         const QRect cell = grid().CellRectInView(1, 5);
         QTest::mouseClick(grid().viewport(), Qt::LeftButton, Qt::ControlModifier,
                           QPoint(cell.center().x(), 4));
       },
       "$C:$C,$E:$E", "$E$1"},
  };
  for (const Case& c : cases) {
    c.act();
    EXPECT_EQ(app().Selection().Address(), c.address) << c.name;
    EXPECT_EQ(app().ActiveCell().Address(), c.active) << c.name;
    // The name box shows the active cell.
    std::string plain = c.active;
    std::erase(plain, '$');
    EXPECT_EQ(window_->findChild<QLabel*>(QStringLiteral("nameBox"))->text().toStdString(), plain)
        << c.name;
  }
  // A command's selection is what the grid shows, scrolled into view.
  app().Range("C2000").Select();
  window_->SyncFromHost();
  const auto& rows = grid().rows_in_view();
  EXPECT_NE(std::find(rows.begin(), rows.end(), 2000), rows.end());
  (void)sheet;
}

TEST_F(WindowTest, DialogWidgetsStandWhereTheirControlsSay) {
  StartOnSample();
  app().ActiveWorkbook()->FindSheet(model::kBankSheetBaseName)->Activate();
  window_->SyncFromHost();
  bool still_shown_after_escape = false;
  WhenShown(IsFormDialog<testgen::UserForm1>, [&](QWidget* widget) {
    auto* dialog = static_cast<FormDialog*>(widget);
    const double dpi = dialog->screen()->logicalDotsPerInch();
    for (const host::Control* control : dialog->form().controls()) {
      QWidget* shown = dialog->WidgetFor(*control);
      ASSERT_NE(shown, nullptr) << control->name();
      const host::Geometry& g = control->geometry();
      EXPECT_EQ(shown->geometry(), QRect(TwipsToPixels(g.left, dpi), TwipsToPixels(g.top, dpi),
                                         TwipsToPixels(g.width, dpi), TwipsToPixels(g.height, dpi)))
          << control->name();
      EXPECT_EQ(shown->isEnabled(), control->enabled()) << control->name();
      EXPECT_EQ(shown->toolTip().toStdString(), control->tooltip()) << control->name();
    }
    EXPECT_EQ(dialog->windowTitle().toStdString(), dialog->form().caption());
    // The toggle button's caption follows its value, through the control.
    auto* toggle = dialog->findChild<QPushButton*>(QStringLiteral("TB1"));
    const QString before = toggle->text();
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_NE(toggle->text(), before);
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_EQ(toggle->text(), before);
    // Escape leaves the form open, as the host's forms do; the close box unloads it.
    QTest::keyClick(dialog, Qt::Key_Escape);
    still_shown_after_escape = dialog->form().shown() && dialog->isVisible();
    dialog->close();
  });
  window_->RunMacro("M_START");
  EXPECT_TRUE(still_shown_after_escape);
}

TEST_F(WindowTest, PrintPreviewShowsTheTestPagesAndSavesThemAsPdf) {
  StartOnSample();
  MakeTest();
  const std::optional<shell::GenerationSummary> made =
      shell::LastGeneration(body(), *app().ActiveWorkbook());
  ASSERT_TRUE(made.has_value());
  const fs::path pdf = home_ / "テスト.pdf";
  int pages = 0;
  bool previous_enabled_on_first = true;
  int after_next = -1;
  QString saved;
  WhenShown([](QWidget* w) { return w->objectName() == QStringLiteral("printPreview"); },
            [&](QWidget* widget) {
              auto* preview = static_cast<PrintPreviewDialog*>(widget);
              pages = preview->page_count();
              previous_enabled_on_first =
                  preview->findChild<QPushButton*>(QStringLiteral("previousPage"))->isEnabled();
              Click(preview, "nextPage");
              after_next = preview->current_page();
              // The whole page fits the view by default; a zoom draws it at that scale.
              preview->SetZoom(50);
              EXPECT_DOUBLE_EQ(preview->resolution(), 48);
              saved = preview->SaveAsPdf(pdf.string());
              Click(preview, "closePreview");
            });
  app().ActiveWindow().PrintPreviewSelectedSheets();
  EXPECT_EQ(pages, made->pages);
  EXPECT_FALSE(previous_enabled_on_first);
  EXPECT_EQ(after_next, made->pages > 1 ? 1 : 0);
  EXPECT_TRUE(saved.contains(QString::number(made->pages))) << saved.toStdString();
  std::ifstream file(pdf, std::ios::binary);
  std::string head(5, '\0');
  file.read(head.data(), 5);
  EXPECT_EQ(head, "%PDF-");
}

TEST_F(WindowTest, PhoneticGuideEditorFromTheShortcutKey) {
  StartOnSample();
  host::Worksheet& bank = *app().ActiveWorkbook()->FindSheet(model::kBankSheetBaseName);
  bank.Activate();
  bank.Cells(4, 5).SetValue(host::CellValue("務める"));
  window_->SyncFromHost();
  ClickCell(4, 5);
  int boxes = 0;
  WhenShown([](QWidget* w) { return w->objectName() == QStringLiteral("phoneticEditor"); },
            [&](QWidget* widget) {
              auto* editor = static_cast<PhoneticEditor*>(widget);
              boxes = static_cast<int>(editor->readings().size());
              // Japanese arrives from the input method as committed text.
              CommitInput(editor->readings().front(), QStringLiteral("つとめる"));
              editor->accept();
            });
  PressKey(Qt::Key_E, Qt::ControlModifier);  // 振り仮名編集
  EXPECT_EQ(boxes, 1);
  const std::vector<host::PhoneticRun> runs = bank.Cells(4, 5).PhoneticRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs.front().text, "つとめる");
  EXPECT_TRUE(bank.Cells(4, 5).PhoneticsVisible());
}

TEST_F(WindowTest, PaperDialogPagesAreTabsWithTheirBoxes) {
  StartOnSample();
  MakeTest();
  const bool on40 = body().use_sheet40;  // the sheet MakeTest made
  int tabs = 0;
  int shown_page = -1;
  int page_after_click = -1;
  bool other_enabled = true;
  std::string caption_text;
  bool box_on_its_page = false;
  std::string tooltip;
  WhenShown(IsFormDialog<paper::PrintForm>, [&](QWidget* widget) {
    auto* dialog = static_cast<FormDialog*>(widget);
    auto& form = static_cast<paper::PrintForm&>(dialog->form());
    auto* pages = dialog->findChild<QTabWidget*>(QStringLiteral("MultiPage1"));
    ASSERT_NE(pages, nullptr);
    tabs = pages->count();
    shown_page = pages->currentIndex();
    // The box of the 20 sheet's question row sits on that page's tab.
    box_on_its_page = dialog->WidgetFor(form.TextBox9)->parentWidget() == pages->widget(1);
    tooltip = dialog->WidgetFor(form.TextBox9)->toolTip().toStdString();
    // With no label beside it, the box shows its tip in front of it.
    auto* caption = dialog->findChild<QLabel*>(QStringLiteral("TextBox9Caption"));
    ASSERT_NE(caption, nullptr);
    caption_text = caption->text().toStdString();
    // Only the test sheet made has its page: the other tab is greyed, and clicking it changes
    // nothing.
    const int other = shown_page == 0 ? 1 : 0;
    other_enabled = pages->isTabEnabled(other);
    QTabBar* bar = pages->findChild<QTabBar*>();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(other).center());
    page_after_click = form.MultiPage1.value();
    Click(dialog, "CommandButton3");  // 保存せずに閉じる
  });
  PressKey(Qt::Key_P, Qt::ControlModifier);  // 用紙調整
  EXPECT_EQ(tabs, 2);
  EXPECT_EQ(shown_page, on40 ? paper::PrintForm::kPage40 : paper::PrintForm::kPage20);
  EXPECT_FALSE(other_enabled);
  EXPECT_EQ(page_after_click, shown_page);
  EXPECT_TRUE(box_on_its_page);
  EXPECT_NE(tooltip.find("問題文の行の高さ"), std::string::npos) << tooltip;
  EXPECT_EQ(caption_text, tooltip);
}

TEST_F(WindowTest, TabAndShiftTabFollowTheDialogsTabOrder) {
  StartOnSample();
  app().ActiveWorkbook()->FindSheet(model::kBankSheetBaseName)->Activate();
  app().Range("D1:D12").Select();
  window_->SyncFromHost();
  std::vector<std::string> forwards;
  std::vector<std::string> backwards;
  bool cd2_enabled = true;
  WhenShown(IsFormDialog<kanjigrade::Form1>, [&](QWidget* widget) {
    auto* dialog = static_cast<FormDialog*>(widget);
    host::Form& form = dialog->form();
    cd2_enabled = dialog->findChild<QPushButton*>(QStringLiteral("CD2"))->isEnabled();
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
      QTest::keyClick(dialog->WidgetFor(*form.focused()), key, modifiers);
      return form.focused()->name();
    };
    forwards.push_back(form.focused()->name());
    for (int i = 0; i < 4; ++i) forwards.push_back(press(Qt::Key_Tab, {}));
    for (int i = 0; i < 2; ++i) backwards.push_back(press(Qt::Key_Backtab, Qt::ShiftModifier));
    // Qt's focus follows the form's.
    EXPECT_EQ(dialog->focusWidget(), dialog->WidgetFor(*form.focused()));
    Click(dialog, "Command1");
  });
  PressKey(Qt::Key_Z, Qt::ControlModifier);  // 漢字の学年検索
  // CD2 is greyed until the other list has been shown, so the keys pass over it.
  EXPECT_FALSE(cd2_enabled);
  EXPECT_EQ(forwards, (std::vector<std::string>{"Command1", "Text1", "CD1", "Command1", "Text1"}));
  EXPECT_EQ(backwards, (std::vector<std::string>{"Command1", "CD1"}));
}

TEST_F(WindowTest, AClosedWorkbookIsOfferedFromTheHistoryAtTheNextStart) {
  StartOnSample();
  EXPECT_TRUE(window_->close());  // nothing changed: no question
  // The next run of the window, as the same user.
  window_.reset();
  session_.reset();
  ui_ = std::make_unique<QtUi>(Fonts(), platform_);
  session_ = std::make_unique<WindowSession>(*ui_, platform_);
  window_ = std::make_unique<MainWindow>(*session_, *ui_, Fonts());
  window_->show();
  bool enabled = false;
  std::string caption;
  std::string tooltip;
  WhenShown(IsFormDialog<datafiles::FILE_Sentaku>, [&](QWidget* dialog) {
    auto* first = dialog->findChild<QPushButton*>(QStringLiteral("CMD(0)"));
    enabled = first->isEnabled();
    caption = first->text().toStdString();
    tooltip = first->toolTip().toStdString();
    QTest::mouseClick(first, Qt::LeftButton);
  });
  window_->Start();
  EXPECT_TRUE(enabled);
  EXPECT_EQ(caption, datafiles::kSampleFileName);
  EXPECT_EQ(tooltip, SamplePath().string());
  ASSERT_NE(app().ActiveWorkbook(), nullptr);
  EXPECT_EQ(app().ActiveWorkbook()->FullName(), SamplePath().string());
}

TEST_F(WindowTest, CopyAndPasteCarryRunsPhoneticsAndComments) {
  StartOnSample();
  host::Worksheet& bank = *app().ActiveWorkbook()->FindSheet(model::kBankSheetBaseName);
  bank.Activate();
  bank.Cells(4, 5).SetPhoneticRuns({{0, 1, "つと"}});
  bank.Cells(4, 4).AddComment("メモ");
  window_->SyncFromHost();
  ClickCell(4, 4);
  ClickCell(4, 5, Qt::ShiftModifier);
  PressKey(Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(app().CutCopyMode());
  ClickCell(30, 4);
  PressKey(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(bank.Cells(30, 4).Value(), bank.Cells(4, 4).Value());  // with its underlined run
  EXPECT_EQ(bank.Cells(30, 5).PhoneticRuns(), bank.Cells(4, 5).PhoneticRuns());
  ASSERT_TRUE(bank.Cells(30, 4).Comment().has_value());
  EXPECT_EQ(bank.Cells(30, 4).Comment()->Text(), "メモ");
  // The comment shows when the pointer rests on its cell.
  const QPoint at = CenterOf(30, 4);
  QHelpEvent hover(QEvent::ToolTip, at, grid().viewport()->mapToGlobal(at));
  QCoreApplication::sendEvent(grid().viewport(), &hover);
  EXPECT_EQ(QToolTip::text(), QStringLiteral("メモ"));
}

TEST(PhoneticEditorTest, OneBoxARunAndEmptyReadingsDropTheirRuns) {
  tarquel::testing::ScriptedUi quiet;
  host::Application app(quiet);
  host::Worksheet& sheet = app.Workbooks().Add().ActiveSheet();
  const struct {
    const char* name;
    std::vector<host::PhoneticRun> runs;
    std::vector<QString> bases;
    std::vector<QString> typed;  // replaces each box's reading
    std::vector<host::PhoneticRun> stored;
  } cases[] = {
      {"no runs", {}, {"会長役目"}, {"かいちょうやくめ"}, {{0, 4, "かいちょうやくめ"}}},
      {"two runs",
       {{0, 2, "かいちょう"}, {2, 4, "やくめ"}},
       {"会長", "役目"},
       {"かいちょう", "やくもく"},
       {{0, 2, "かいちょう"}, {2, 4, "やくもく"}}},
      {"one emptied",
       {{0, 2, "かいちょう"}, {2, 4, "やくめ"}},
       {"会長", "役目"},
       {"", "やくめ"},
       {{2, 4, "やくめ"}}},
  };
  for (const auto& c : cases) {
    host::Range cell = sheet.Cells(1, 1);
    cell.SetValue(host::CellValue("会長役目"));
    if (!c.runs.empty()) cell.SetPhoneticRuns(c.runs);
    PhoneticEditor editor(cell, nullptr);
    ASSERT_EQ(editor.readings().size(), c.bases.size()) << c.name;
    for (std::size_t i = 0; i < c.bases.size(); ++i) {
      auto* label =
          qobject_cast<QLabel*>(static_cast<QFormLayout*>(editor.layout()->itemAt(1)->layout())
                                    ->labelForField(editor.readings()[i]));
      ASSERT_NE(label, nullptr) << c.name;
      EXPECT_EQ(label->text(), c.bases[i]) << c.name;
      editor.readings()[i]->setText(c.typed[i]);
    }
    editor.accept();
    EXPECT_EQ(cell.PhoneticRuns(), c.stored) << c.name;
  }
}

TEST(ShortcutSequenceTest, LettersMapAsTheHostBindsThem) {
  const struct {
    std::string key;
    QString sequence;
  } cases[] = {{"a", "Ctrl+A"}, {"z", "Ctrl+Z"}, {"A", "Ctrl+Shift+A"},
               {"1", ""},       {"ab", ""},      {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(ShortcutSequence(c.key), c.sequence) << c.key;
}

TEST(TwipsToPixelsTest, AnInchIsTheScreensDots) {
  const struct {
    int twips;
    double dpi;
    int pixels;
  } cases[] = {{1440, 96, 96}, {1440, 120, 120}, {330, 96, 22}, {15, 96, 1}, {0, 96, 0}};
  for (const auto& c : cases) EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips;
}

TEST(QtFilterTest, HostFiltersBecomeQtFilters) {
  EXPECT_EQ(QtFilter({{"ブック", "*.xl*"}, {"テキスト", "*.txt"}}),
            QStringLiteral("ブック (*.xl*);;テキスト (*.txt)"));
  EXPECT_EQ(QtFilter({{"ブック", "*.xlsx;*.xlsm"}}), QStringLiteral("ブック (*.xlsx *.xlsm)"));
}

}  // namespace
}  // namespace tarquel::window

int main(int argc, char** argv) {
  // The window's tests never need a display.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
