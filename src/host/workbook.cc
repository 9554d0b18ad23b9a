#include "host/workbook.h"

#include <algorithm>
#include <cctype>

#include "host/application.h"
#include "host/host_error.h"
#include "host/utf16.h"

namespace tarquel::host {

int Sheets::Count() const { return workbook_->SheetCount(); }

Worksheet& Sheets::Item(int index) const {
  if (index < 1 || index > workbook_->SheetCount()) {
    ThrowSubscriptOutOfRange("シート番号 " + std::to_string(index) + " はありません（シート数 " +
                             std::to_string(workbook_->SheetCount()) + "）。");
  }
  return workbook_->SheetAt(index);
}

Worksheet& Sheets::Item(const std::string& name) const {
  Worksheet* sheet = workbook_->FindSheet(name);
  if (sheet == nullptr) ThrowSubscriptOutOfRange("シート「" + name + "」はありません。");
  return *sheet;
}

Worksheet& Sheets::Add() const { return workbook_->AddSheetBeforeActive(); }

Workbook::Workbook(Application& application, std::string name)
    : application_(&application), name_(std::move(name)) {}

Workbook::~Workbook() = default;

std::string Workbook::FullName() const { return path_.empty() ? name_ : path_ + "/" + name_; }

void Workbook::SetLocation(std::string path, std::string name) {
  path_ = std::move(path);
  name_ = std::move(name);
}

std::pair<std::string, std::string> SplitFileName(const std::string& file_name) {
  const std::size_t slash = file_name.rfind('/');
  if (slash == std::string::npos) return {"", file_name};
  return {file_name.substr(0, slash == 0 ? 1 : slash), file_name.substr(slash + 1)};
}

void Workbook::SaveAs(const std::string& file_name) {
  WorkbookFiles* files = application_->workbook_files();
  if (files == nullptr) {
    throw HostError(
        HostError::kApplicationDefined,
        "「" + file_name + "」に保存できません。ブックのファイルを書く機能がありません。");
  }
  files->Save(*this, file_name);  // throws; the location stays as it was
  auto [folder, name] = SplitFileName(file_name);
  SetLocation(std::move(folder), std::move(name));
}

Worksheet* Workbook::FindSheet(const std::string& name) const {
  for (const auto& sheet : sheets_) {
    if (sheet->Name() == name) return sheet.get();
  }
  return nullptr;
}

int Workbook::IndexOf(const Worksheet& sheet) const {
  for (std::size_t i = 0; i < sheets_.size(); ++i) {
    if (sheets_[i].get() == &sheet) return static_cast<int>(i) + 1;
  }
  return 0;
}

Worksheet& Workbook::InsertSheet(int position, const std::string& name) {
  ValidateSheetName(name, nullptr);
  position = std::clamp(position, 1, SheetCount() + 1);
  auto sheet = std::make_unique<Worksheet>(*this, name);
  Worksheet& added = *sheet;
  sheets_.insert(sheets_.begin() + (position - 1), std::move(sheet));
  if (active_sheet_ == nullptr) active_sheet_ = &added;
  return added;
}

Worksheet& Workbook::AddSheetBeforeActive() {
  const int position = active_sheet_ ? IndexOf(*active_sheet_) : 1;
  Worksheet& sheet = InsertSheet(position, NextSheetName());
  Activate();
  ActivateSheet(sheet);
  return sheet;
}

void Workbook::ActivateSheet(Worksheet& sheet) {
  const bool changed = active_sheet_ != &sheet;
  active_sheet_ = &sheet;
  if (changed && application_->ActiveWorkbook() == this) {
    application_->NotifySheetActivated(sheet);
  }
}

void Workbook::Activate() { application_->active_workbook_ = this; }

namespace {

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

}  // namespace

void Workbook::ValidateSheetName(const std::string& name, const Worksheet* renamed) const {
  auto refuse = [&](const std::string& why) {
    ThrowApplicationDefined("シート名「" + name + "」は使えません。" + why);
  };
  if (!IsValidUtf8(name)) refuse("文字の符号化が正しくありません。");
  const std::size_t length = Utf16Length(name);
  if (length == 0) refuse("シート名が空です。");
  if (length > 31) refuse("シート名は 31 文字以内にして下さい。");
  if (name.find_first_of(":\\/?*[]") != std::string::npos) {
    refuse("シート名に : \\ / ? * [ ] は使えません。");
  }
  if (name.front() == '\'' || name.back() == '\'') {
    refuse("シート名の最初と最後にアポストロフィは使えません。");
  }
  const std::string lower = AsciiLower(name);
  for (const auto& sheet : sheets_) {
    if (sheet.get() != renamed && AsciiLower(sheet->Name()) == lower) {
      refuse("その名前のシートが既にあります。");
    }
  }
}

std::string Workbook::NextSheetName() const {
  for (int n = 1;; ++n) {
    std::string name = "Sheet" + std::to_string(n);
    const std::string lower = AsciiLower(name);
    bool taken = std::any_of(sheets_.begin(), sheets_.end(),
                             [&](const auto& s) { return AsciiLower(s->Name()) == lower; });
    if (!taken) return name;
  }
}

}  // namespace tarquel::host
