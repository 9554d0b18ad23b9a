#include "window/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QVBoxLayout>
#include <exception>

#include "bankcheck/bank_check.h"
#include "host/application.h"
#include "host/command_bars.h"
#include "host/host_error.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "model/bank_sheet.h"
#include "print/print_error.h"
#include "qtprint/qt_printer.h"
#include "tarquel/print_pdf.h"
#include "window/bank_check_view.h"
#include "window/print_preview.h"

namespace tarquel::window {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Small icons for the face ids of the add-in's entries where the desktop has a fitting one.
std::optional<QStyle::StandardPixmap> IconForFace(int face_id) {
  switch (face_id) {
    case 176:  // a new test
      return QStyle::SP_FileIcon;
    case 329:  // answers shown
      return QStyle::SP_DialogApplyButton;
    case 47:  // answers erased
      return QStyle::SP_DialogDiscardButton;
    case 276:  // a wrong answer
      return QStyle::SP_DialogCancelButton;
    case 675:  // always set
      return QStyle::SP_MessageBoxWarning;
    case 1759:  // jump to the question
      return QStyle::SP_ArrowForward;
    case 2645:  // duplicate check
      return QStyle::SP_FileDialogContentsView;
    case 1786:  // a report
    case 459:
      return QStyle::SP_FileDialogDetailedView;
    case 109:  // paper
      return QStyle::SP_FileDialogInfoView;
    default:
      return std::nullopt;
  }
}

constexpr char kOpenFilter[] = "ブック,*.xlsx;*.xlsm";

}  // namespace

QString ShortcutSequence(const std::string& key) {
  if (key.size() != 1) return {};
  const char letter = key[0];
  if (letter >= 'a' && letter <= 'z') return QStringLiteral("Ctrl+%1").arg(QChar(letter).toUpper());
  if (letter >= 'A' && letter <= 'Z') return QStringLiteral("Ctrl+Shift+%1").arg(QChar(letter));
  return {};
}

MainWindow::MainWindow(WindowSession& session, QtUi& ui, print::FontCatalog& fonts)
    : session_(session), ui_(ui), fonts_(fonts) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(Q(kHostTitle));
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  // The active cell's address and what it holds, above the grid.
  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(4, 2, 4, 2);
  name_box_ = new QLabel(central);
  name_box_->setObjectName(QStringLiteral("nameBox"));
  name_box_->setFixedWidth(90);
  name_box_->setFrameShape(QFrame::StyledPanel);
  cell_contents_ = new QLineEdit(central);
  cell_contents_->setObjectName(QStringLiteral("cellContents"));
  cell_contents_->setReadOnly(true);
  cell_contents_->setFocusPolicy(Qt::ClickFocus);
  bar->addWidget(name_box_);
  bar->addWidget(cell_contents_, 1);
  layout->addLayout(bar);
  grid_ = new SheetGrid(fonts_, central);
  grid_->setObjectName(QStringLiteral("sheetGrid"));
  tabs_ = new QTabBar(central);
  tabs_->setObjectName(QStringLiteral("sheetTabs"));
  tabs_->setShape(QTabBar::RoundedSouth);
  tabs_->setExpanding(false);
  tabs_->setDrawBase(false);
  layout->addWidget(grid_, 1);
  layout->addWidget(tabs_);
  setCentralWidget(central);
  resize(1100, 760);
  ui_.SetParent(this);
  ui_.SetAfterAction([this] { SyncFromHost(); });

  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
    if (index < 0 || index >= static_cast<int>(tab_sheets_.size())) return;
    host::Worksheet* sheet = tab_sheets_[index];
    if (session_.app().ActiveWorkbook() == nullptr || &session_.app().ActiveSheet() == sheet) {
      return;
    }
    if (grid_->editing()) grid_->CommitEdit();
    sheet->workbook().ActivateSheet(*sheet);  // raises the sheet activation
    SyncFromHost();
  });
  connect(grid_, &SheetGrid::ContextMenuRequested, this, [this](const QPoint& global) {
    QMenu* menu = BuildCellMenu(this);
    menu->exec(global);
    menu->deleteLater();
  });
  connect(grid_, &SheetGrid::HostErrorRaised, this, &MainWindow::ShowError);
  connect(grid_, &SheetGrid::CellsChanged, this, [this] { SyncFromHost(); });
  connect(grid_, &SheetGrid::SelectionChanged, this, &MainWindow::ShowActiveCell);
  BuildMenus();
}

MainWindow::~MainWindow() { ui_.SetAfterAction({}); }

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  file->setObjectName(QStringLiteral("fileMenu"));
  file->addAction(QStringLiteral("開く(&O)..."), QKeySequence::Open, this, &MainWindow::OpenFile);
  file->addAction(QStringLiteral("上書き保存(&S)"), QKeySequence::Save, this,
                  [this] { SaveActive(false); });
  file->addAction(QStringLiteral("名前を付けて保存(&A)..."), QKeySequence(QStringLiteral("F12")),
                  this, [this] { SaveActive(true); });
  file->addAction(QStringLiteral("閉じる(&C)"), this, [this] {
    if (host::Workbook* workbook = session_.app().ActiveWorkbook()) CloseWorkbook(*workbook);
  });
  file->addSeparator();
  file->addAction(QStringLiteral("印刷プレビュー(&V)"), this, &MainWindow::PrintPreview);
  file->addAction(QStringLiteral("印刷(&P)..."), this, &MainWindow::PrintOnPrinter);
  file->addAction(QStringLiteral("PDFに出力(&E)..."), this, &MainWindow::ExportPdf);
  file->addSeparator();
  file->addAction(QStringLiteral("終了(&X)"), this, &QWidget::close);

  // The add-in takes most Ctrl+letter keys, so undo keeps the older Alt+Backspace.
  QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  QAction* undo =
      edit->addAction(QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::ALT | Qt::Key_Backspace),
                      this, [this] { grid_->Undo(); });
  connect(edit, &QMenu::aboutToShow, this, [this, undo] { undo->setEnabled(grid_->CanUndo()); });
  edit->addSeparator();
  edit->addAction(QStringLiteral("コピー(&C)"), QKeySequence::Copy, this,
                  [this] { grid_->CopySelection(); });
  edit->addAction(QStringLiteral("貼り付け(&P)"), QKeySequence::Paste, this,
                  [this] { grid_->PasteAtSelection(); });
  edit->addAction(QStringLiteral("数式と値のクリア(&N)"), this,
                  [this] { grid_->ClearSelection(); });

  QMenu* tools = menuBar()->addMenu(QStringLiteral("ツール(&T)"));
  tools->setObjectName(QStringLiteral("toolsMenu"));
  tools->addAction(QStringLiteral("問題バンクの点検(&K)..."), this, &MainWindow::CheckBank);

  // The open workbooks, to bring one to the front.
  QMenu* books = menuBar()->addMenu(QStringLiteral("ウィンドウ(&W)"));
  books->setObjectName(QStringLiteral("workbooksMenu"));
  connect(books, &QMenu::aboutToShow, this, [this, books] {
    books->clear();
    host::Application& app = session_.app();
    for (int index = 1; index <= app.Workbooks().Count(); ++index) {
      host::Workbook* workbook = &app.Workbooks().Item(index);
      QAction* action = books->addAction(Q(workbook->Name()));
      action->setCheckable(true);
      action->setChecked(workbook == app.ActiveWorkbook());
      connect(action, &QAction::triggered, this, [this, workbook] {
        if (grid_->editing()) grid_->CommitEdit();
        workbook->Activate();
        SyncFromHost();
      });
    }
  });

  // The add-in's popup, rebuilt from the command bar whenever it opens: the add-in may have
  // taken it away or put it back meanwhile.
  add_in_menu_ = menuBar()->addMenu(QStringLiteral("アドイン(&D)"));
  add_in_menu_->setObjectName(QStringLiteral("addInMenu"));
  connect(add_in_menu_, &QMenu::aboutToShow, this, [this] {
    add_in_menu_->clear();
    host::CommandBarControls& cell = session_.app().CommandBars().Item("cell").Controls();
    for (int index = 1; index <= cell.Count(); ++index) {
      host::CommandBarControl& control = cell.Item(index);
      if (control.type() == host::ControlType::kPopup) {
        add_in_menu_->setTitle(Q(control.caption()));
        FillMenu(*add_in_menu_, control.Controls());
        return;
      }
    }
    add_in_menu_->addAction(QStringLiteral("（アドインのメニューはありません）"))
        ->setEnabled(false);
  });
}

void MainWindow::CheckBank() {
  if (grid_->editing()) grid_->CommitEdit();
  host::Application& app = session_.app();
  if (app.ActiveWorkbook() == nullptr) return;
  // The review commands' own search, which tells the user when there is no bank sheet.
  const std::string name = model::LocateBankSheet(app);
  if (name.empty()) return;
  host::Worksheet& bank = app.ActiveWorkbook()->Sheets().Item(name);
  const bankcheck::CheckResult result = bankcheck::CheckBank(bank);
  BankCheckView view(
      result,
      [this, &bank](int32_t row) {
        bank.Activate();
        bank.Cells(row, 4).Select();
        SyncFromHost();
      },
      this);
  view.exec();
}

void MainWindow::FillMenu(QMenu& menu, host::CommandBarControls& controls) {
  for (int index = 1; index <= controls.Count(); ++index) {
    host::CommandBarControl& control = controls.Item(index);
    if (control.begin_group() && index > 1) menu.addSeparator();
    if (control.type() == host::ControlType::kPopup) {
      QMenu* sub = menu.addMenu(Q(control.caption()));
      sub->setObjectName(QStringLiteral("popup%1").arg(index));
      FillMenu(*sub, control.Controls());
      continue;
    }
    QAction* action = menu.addAction(Q(control.caption()));
    if (control.face_id()) {
      if (const auto icon = IconForFace(*control.face_id())) {
        action->setIcon(style()->standardIcon(*icon));
      }
    }
    if (control.built_in()) {
      const std::string caption = control.caption();
      const bool can = caption == "コピー(&C)" || caption == "数式と値のクリア(&N)" ||
                       caption == "ふりがなの表示(&S)" || caption == "コメントの挿入(&M)" ||
                       (caption == "貼り付け(&P)" && session_.app().CutCopyMode());
      action->setEnabled(can);
      connect(action, &QAction::triggered, this, [this, caption] {
        QMetaObject::invokeMethod(
            this, [this, caption] { RunHostEntry(caption); }, Qt::QueuedConnection);
      });
    } else {
      const std::string macro = control.on_action();
      action->setData(Q(macro));
      connect(action, &QAction::triggered, this, [this, macro] {
        // After the menu has closed, as the host runs an entry's action.
        QMetaObject::invokeMethod(
            this, [this, macro] { RunMacro(macro); }, Qt::QueuedConnection);
      });
    }
  }
}

QMenu* MainWindow::BuildCellMenu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  menu->setObjectName(QStringLiteral("cellMenu"));
  FillMenu(*menu, session_.app().CommandBars().Item("cell").Controls());
  return menu;
}

void MainWindow::RunHostEntry(const std::string& caption) {
  if (caption == "コピー(&C)") {
    grid_->CopySelection();
  } else if (caption == "貼り付け(&P)") {
    grid_->PasteAtSelection();
  } else if (caption == "数式と値のクリア(&N)") {
    grid_->ClearSelection();
  } else if (caption == "コメントの挿入(&M)" && session_.app().ActiveWorkbook() != nullptr) {
    EditComment();
  } else if (caption == "ふりがなの表示(&S)" && session_.app().ActiveWorkbook() != nullptr) {
    const host::Range selection = session_.app().Selection();
    selection.SetPhoneticsVisible(!selection.PhoneticsVisible());
    SyncFromHost();
  }
}

void MainWindow::EditComment() {
  const host::Range cell = session_.app().ActiveCell().MergeArea().Cells(1, 1);
  const std::optional<host::CommentAccess> comment = cell.Comment();
  bool ok = false;
  const QString text = QInputDialog::getMultiLineText(
      this, QStringLiteral("コメント"), Q(cell.Address(host::ReferenceStyle::kA1, false)),
      comment ? Q(comment->Text()) : QString(), &ok);
  if (!ok) return;
  try {
    if (comment) {
      comment->SetText(text.toStdString());
    } else {
      cell.AddComment(text.toStdString());
    }
  } catch (const host::HostError& error) {
    ShowError(Q(error.Display()));
  }
  SyncFromHost();
}

void MainWindow::ShowError(const QString& message) {
  QMessageBox::critical(this, Q(kHostTitle), message);
}

void MainWindow::RunMacro(const std::string& name) {
  if (grid_->editing()) grid_->CommitEdit();
  try {
    if (!session_.RunMacro(name)) {
      ShowError(QStringLiteral("マクロ '%1' が見つかりません。").arg(Q(name)));
    }
  } catch (const host::HostError& error) {
    ShowError(Q(error.Display()));
  } catch (const std::exception& error) {
    ShowError(Q(error.what()));
  }
  SyncFromHost();
}

void MainWindow::Start() {
  try {
    session_.Start();
  } catch (const host::HostError& error) {
    ShowError(Q(error.Display()));
  }
  SyncFromHost();
}

void MainWindow::BindShortcuts() {
  std::vector<std::pair<std::string, std::string>> keys;
  for (const host::ShortcutKey& key : session_.app().shortcut_keys()) {
    keys.emplace_back(key.key, key.macro);
  }
  if (keys == bound_keys_) return;
  for (QShortcut* shortcut : shortcuts_) delete shortcut;
  shortcuts_.clear();
  bound_keys_ = keys;
  for (const auto& [key, macro] : keys) {
    const QString sequence = ShortcutSequence(key);
    if (sequence.isEmpty()) continue;
    auto* shortcut = new QShortcut(QKeySequence(sequence), this);
    shortcut->setObjectName(Q(macro));
    connect(shortcut, &QShortcut::activated, this, [this, macro] { RunMacro(macro); });
    shortcuts_.push_back(shortcut);
  }
}

void MainWindow::SyncFromHost() {
  BindShortcuts();
  session_.TrackOpenWorkbooks();
  // The add-in's menu carries its popup's caption while the popup is in the cell menu.
  QString add_in_title;
  host::CommandBarControls& cell = session_.app().CommandBars().Item("cell").Controls();
  for (int index = 1; index <= cell.Count() && add_in_title.isEmpty(); ++index) {
    if (cell.Item(index).controls_if_popup() != nullptr)
      add_in_title = Q(cell.Item(index).caption());
  }
  add_in_menu_->menuAction()->setVisible(!add_in_title.isEmpty());
  if (!add_in_title.isEmpty()) add_in_menu_->setTitle(add_in_title);
  host::Workbook* workbook = session_.app().ActiveWorkbook();
  if (workbook == nullptr) {
    tab_sheets_.clear();
    const QSignalBlocker block(tabs_);
    while (tabs_->count() > 0) tabs_->removeTab(0);
    grid_->SetSheet(nullptr);
    name_box_->clear();
    cell_contents_->clear();
    setWindowTitle(Q(kHostTitle));
    return;
  }
  std::vector<host::Worksheet*> sheets;
  for (int index = 1; index <= workbook->SheetCount(); ++index) {
    host::Worksheet& sheet = workbook->SheetAt(index);
    if (sheet.visibility() == host::SheetVisibility::kVisible) sheets.push_back(&sheet);
  }
  {
    const QSignalBlocker block(tabs_);
    bool same = sheets == tab_sheets_;
    for (std::size_t i = 0; same && i < sheets.size(); ++i) {
      same = tabs_->tabText(static_cast<int>(i)) == Q(sheets[i]->Name());
    }
    if (!same) {
      while (tabs_->count() > 0) tabs_->removeTab(0);
      for (const host::Worksheet* sheet : sheets) tabs_->addTab(Q(sheet->Name()));
      tab_sheets_ = sheets;
    }
    host::Worksheet* active = &workbook->ActiveSheet();
    for (std::size_t i = 0; i < tab_sheets_.size(); ++i) {
      if (tab_sheets_[i] == active) tabs_->setCurrentIndex(static_cast<int>(i));
    }
  }
  grid_->SetSheet(&workbook->ActiveSheet());
  grid_->SyncFromHost();
  ShowActiveCell();
  setWindowTitle(Q(workbook->Name()) + QStringLiteral(" - ") + Q(kHostTitle));
}

void MainWindow::ShowActiveCell() {
  host::Worksheet* sheet = grid_->sheet();
  if (sheet == nullptr) return;
  const auto [row, column] = sheet->active_cell();
  name_box_->setText(
      Q(host::FormatAddress(host::CellRect::Cell(row, column), host::ReferenceStyle::kA1, false)));
  const host::Range cell = sheet->Cells(row, column);
  cell_contents_->setText(Q(cell.Value().IsNumber() ? cell.Text() : cell.Value().AsText()));
}

SaveChoice MainWindow::AskToSave(const host::Workbook& workbook) {
  QMessageBox box(QMessageBox::Warning, Q(kHostTitle),
                  QStringLiteral("'%1' への変更を保存しますか?").arg(Q(workbook.Name())),
                  QMessageBox::NoButton, this);
  box.setObjectName(QStringLiteral("saveQuestion"));
  QPushButton* save = box.addButton(QStringLiteral("保存(&S)"), QMessageBox::AcceptRole);
  QPushButton* dont = box.addButton(QStringLiteral("保存しない(&N)"), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
  save->setObjectName(QStringLiteral("save"));
  dont->setObjectName(QStringLiteral("dontSave"));
  cancel->setObjectName(QStringLiteral("cancel"));
  box.setDefaultButton(save);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == save) return SaveChoice::kSave;
  if (box.clickedButton() == dont) return SaveChoice::kDontSave;
  return SaveChoice::kCancel;
}

bool MainWindow::SaveActive(bool ask_name) {
  host::Workbook* workbook = session_.app().ActiveWorkbook();
  if (workbook == nullptr) return false;
  if (grid_->editing()) grid_->CommitEdit();
  std::string path;
  if (ask_name || workbook->Path().empty()) {
    QString chosen =
        QFileDialog::getSaveFileName(this, QStringLiteral("名前を付けて保存"),
                                     Q(workbook->FullName()), QStringLiteral("ブック (*.xlsx)"));
    if (chosen.isEmpty()) return false;
    if (!chosen.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) &&
        !chosen.endsWith(QStringLiteral(".xlsm"), Qt::CaseInsensitive)) {
      chosen += QStringLiteral(".xlsx");
    }
    path = chosen.toStdString();
  }
  try {
    session_.Save(*workbook, path);
  } catch (const host::HostError& error) {
    ShowError(Q(error.Display()));
    return false;
  }
  SyncFromHost();
  return true;
}

bool MainWindow::CloseWorkbook(host::Workbook& workbook) {
  if (grid_->editing()) grid_->CommitEdit();
  if (session_.Changed(workbook)) {
    workbook.Activate();
    SyncFromHost();
    switch (AskToSave(workbook)) {
      case SaveChoice::kSave:
        if (!SaveActive(false)) return false;
        break;
      case SaveChoice::kDontSave:
        break;
      case SaveChoice::kCancel:
        return false;
    }
  }
  grid_->ForgetUndo();
  grid_->SetSheet(nullptr);
  try {
    session_.Close(workbook);
  } catch (const host::HostError& error) {
    // The history could not take the name: the workbook is closed all the same.
    ShowError(Q(error.Display()));
  }
  SyncFromHost();
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  host::Application& app = session_.app();
  // The others first, so that the one the user worked in closes last and goes to the history.
  host::Workbook* last = app.ActiveWorkbook();
  while (app.Workbooks().Count() > 0) {
    host::Workbook* target = last;
    for (int index = 1; index <= app.Workbooks().Count(); ++index) {
      if (&app.Workbooks().Item(index) != last) {
        target = &app.Workbooks().Item(index);
        break;
      }
    }
    if (!CloseWorkbook(*target)) {
      event->ignore();
      return;
    }
    if (target != last) last->Activate();
  }
  event->accept();
}

void MainWindow::OpenFile() {
  const std::string path = session_.app().GetOpenFilename(kOpenFilter);
  if (path == "False") return;
  try {
    session_.app().Workbooks().Open(path);
  } catch (const host::HostError& error) {
    ShowError(Q(error.Display()));
  }
  SyncFromHost();
}

std::vector<host::Worksheet*> MainWindow::SelectedSheets() {
  if (session_.app().ActiveWorkbook() == nullptr) return {};
  return session_.app().ActiveWindow().SelectedSheets();
}

void MainWindow::PrintPreview() {
  if (session_.app().ActiveWorkbook() == nullptr) return;
  session_.app().ActiveWindow().PrintPreviewSelectedSheets();
}

void MainWindow::PrintOnPrinter() {
  const std::vector<host::Worksheet*> sheets = SelectedSheets();
  if (sheets.empty()) return;
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  try {
    qtprint::PrintOnQPrinter(SheetsToPrint(sheets), fonts_, printer);
  } catch (const print::PrintError& failure) {
    ShowError(Q(failure.what()));
  }
}

void MainWindow::ExportPdf() {
  const std::vector<host::Worksheet*> sheets = SelectedSheets();
  if (sheets.empty()) return;
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("PDFに出力"), QString(),
                                                    QStringLiteral("PDF (*.pdf)"));
  if (path.isEmpty()) return;
  const std::vector<const host::Worksheet*> printed(sheets.begin(), sheets.end());
  const app::PrintResult result =
      app::PrintSheetsToPdf(printed, path.toStdString(), session_.platform());
  if (result.error) {
    ShowError(Q(result.error->message));
  } else {
    QMessageBox::information(this, Q(kHostTitle),
                             QStringLiteral("%1 ページを出力しました。").arg(result.pages));
  }
}

}  // namespace tarquel::window
