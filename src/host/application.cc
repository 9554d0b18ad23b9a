#include "host/application.h"

#include <algorithm>
#include <cctype>

#include "host/host_error.h"

namespace tarquel::host {

int Workbooks::Count() const { return static_cast<int>(app_->workbooks_.size()); }

Workbook& Workbooks::Item(int index) const {
  if (index < 1 || index > Count()) {
    ThrowSubscriptOutOfRange("ブック番号 " + std::to_string(index) + " はありません。");
  }
  return *app_->workbooks_[index - 1];
}

Workbook& Workbooks::Add() const {
  auto workbook =
      std::make_unique<Workbook>(*app_, "Book" + std::to_string(app_->next_book_number_++));
  Workbook& added = *workbook;
  added.InsertSheet(1, "Sheet1");
  app_->workbooks_.push_back(std::move(workbook));
  added.Activate();
  app_->NotifySheetActivated(added.ActiveSheet());
  return added;
}

Workbook& Workbooks::Open(const std::string& file_name) const {
  for (auto& open : app_->workbooks_) {
    if (!open->Path().empty() && open->FullName() == file_name) {
      open->Activate();
      return *open;
    }
  }
  if (app_->files_ == nullptr) {
    throw HostError(HostError::kApplicationDefined,
                    "「" + file_name + "」を開けません。ブックのファイルを読む機能がありません。");
  }
  auto [folder, name] = SplitFileName(file_name);
  auto workbook = std::make_unique<Workbook>(*app_, name);
  app_->files_->Load(file_name, *workbook);  // throws; nothing was added yet
  if (workbook->SheetCount() == 0) {
    throw HostError(HostError::kApplicationDefined,
                    "「" + file_name + "」にはシートがありません。");
  }
  workbook->SetLocation(folder, name);
  Workbook& opened = *workbook;
  app_->workbooks_.push_back(std::move(workbook));
  opened.Activate();
  app_->NotifySheetActivated(opened.ActiveSheet());
  return opened;
}

void Workbooks::Close(Workbook& workbook) const {
  auto& books = app_->workbooks_;
  auto it =
      std::find_if(books.begin(), books.end(), [&](const auto& b) { return b.get() == &workbook; });
  if (it == books.end()) return;
  const bool was_active = app_->active_workbook_ == &workbook;
  if (app_->clipboard_ && was_active) app_->clipboard_.reset();
  books.erase(it);
  if (was_active) {
    app_->active_workbook_ = books.empty() ? nullptr : books.back().get();
    if (app_->active_workbook_) app_->NotifySheetActivated(app_->active_workbook_->ActiveSheet());
  }
}

bool Window::DisplayGridlines() const { return app_->ActiveSheet().view().show_gridlines; }

void Window::SetDisplayGridlines(bool show) const {
  app_->ActiveSheet().view().show_gridlines = show;
}

std::vector<Worksheet*> Window::SelectedSheets() const { return {&app_->ActiveSheet()}; }

void Window::PrintPreviewSelectedSheets() const { app_->ui().PrintPreview(SelectedSheets()); }

Application::Application(Ui& ui) : ui_(&ui) {}

Application::~Application() = default;

Worksheet& Application::ActiveSheet() const {
  if (active_workbook_ == nullptr) {
    throw HostError(91,
                    "オブジェクト変数または With ブロック変数が設定されていません。"
                    "開いているブックがありません。");
  }
  return active_workbook_->ActiveSheet();
}

host::Range Application::Selection() const {
  Worksheet& sheet = ActiveSheet();
  return host::Range(sheet, sheet.selection());
}

host::Range Application::ActiveCell() const {
  Worksheet& sheet = ActiveSheet();
  const auto [row, column] = sheet.active_cell();
  return host::Range(sheet, CellRect::Cell(row, column));
}

host::Range Application::Range(std::string_view address) const {
  return ActiveSheet().Range(address);
}

host::Range Application::Cells(int32_t row, int32_t column) const {
  return ActiveSheet().Cells(row, column);
}

void Application::MacroOptions(const std::string& macro, bool has_shortcut_key,
                               const std::string& shortcut_key) {
  std::erase_if(shortcut_keys_, [&](const ShortcutKey& k) { return k.macro == macro; });
  if (!has_shortcut_key) return;
  if (shortcut_key.size() != 1 || !std::isalpha(static_cast<unsigned char>(shortcut_key[0]))) {
    ThrowApplicationDefined("ショートカット キー「" + shortcut_key +
                            "」は英字 1 文字で指定して下さい。");
  }
  std::erase_if(shortcut_keys_, [&](const ShortcutKey& k) { return k.key == shortcut_key; });
  shortcut_keys_.push_back({shortcut_key, macro});
}

std::optional<std::string> Application::ShortcutMacro(std::string_view key) const {
  for (const ShortcutKey& k : shortcut_keys_) {
    if (k.key == key) return k.macro;
  }
  return std::nullopt;
}

std::string Application::GetOpenFilename(std::string_view filter) const {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= filter.size()) {
    const std::size_t comma = filter.find(',', start);
    parts.emplace_back(filter.substr(start, comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (parts.size() % 2 != 0) {
    ThrowInvalidCall("ファイルの種類の指定「" + std::string(filter) +
                     "」は説明とパターンの組になっていません。");
  }
  std::vector<FileFilter> filters;
  for (std::size_t i = 0; i < parts.size(); i += 2) filters.push_back({parts[i], parts[i + 1]});
  return ui_->GetOpenFilename(filters);
}

void Application::SetCutCopyMode(bool on) {
  if (!on) clipboard_.reset();
}

void Application::SetClipboard(ClipboardContent content) {
  clipboard_ = std::make_unique<ClipboardContent>(std::move(content));
}

void Application::NotifySheetActivated(Worksheet& sheet) {
  if (sheet_activate_listener_) sheet_activate_listener_(sheet);
}

}  // namespace tarquel::host
