#include "tarquel/session.h"

#include <chrono>

#include "host/address.h"
#include "host/host_error.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/xlsx/fingerprint.h"
#include "macros/data_workbook_macros.h"
#include "model/bank_sheet.h"
#include "model/test_sheet.h"
#include "sample/install_sample.h"
#include "shell/front_end_queries.h"
#include "tarquel/invocation.h"

namespace tarquel::cli {

namespace {

// How long a run waits for another run on the same workbook to finish with it: far longer than
// a command takes, short enough that a run left at a question does not hold the next for ever.
constexpr std::chrono::seconds kLockWait{60};

}  // namespace

void Session::LockingFiles::Load(const std::string& path, host::Workbook& into) {
  host::PlatformError error;
  std::unique_ptr<host::FileLock> lock = platform_->LockFile(path, kLockWait, &error);
  if (lock == nullptr && error.busy) {
    throw host::HostError(host::HostError::kPathFileAccess,
                          "ファイル「" + path +
                              "」はほかの tarquel の実行が使っているため開けません。その実行が"
                              "終わってから、もう一度実行して下さい。");
  }
  // A file that cannot be locked (it is missing or cannot be read) is left to the load to say
  // what is wrong with it.
  std::optional<host::FileStamp> stamp = platform_->Stamp(path);
  files_.Load(path, into);
  opened_.push_back({path, std::move(lock), stamp});
}

void Session::LockingFiles::Save(const host::Workbook& workbook, const std::string& path) {
  const std::optional<host::FileStamp> target = platform_->Stamp(path);
  for (Opened& opened : opened_) {
    const bool same_file =
        opened.path == path || (target && opened.stamp && target->device == opened.stamp->device &&
                                target->inode == opened.stamp->inode);
    if (!same_file) continue;
    if (platform_->Stamp(opened.path) != opened.stamp) {
      throw host::HostError(host::HostError::kPathFileAccess,
                            "ファイル「" + opened.path +
                                "」は開いた後でほかのプログラムによって変更されたため、何も保存"
                                "しませんでした。もう一度実行して下さい。");
    }
    files_.Save(workbook, path);
    // The new file is put in place of the old, so another name of the old one (a hard link)
    // keeps what it held: said, never done silently.
    if (opened.stamp && opened.stamp->links > 1) {
      const uint64_t others = opened.stamp->links - 1;
      ui_->MessageBox(host::MessageKind::kResult,
                      "ファイル「" + path + "」には、ほかに " + std::to_string(others) +
                          " 個の名前（ハードリンク）がありました。保存したファイルは新しいファイル"
                          "として置き換えたため、ほかの名前のファイルは保存前の内容のままです。",
                      host::MessageButtons::kOk, "注意");
    }
    opened.stamp = platform_->Stamp(opened.path);
    return;
  }
  files_.Save(workbook, path);
}

Session::Session(host::Ui& ui, host::Platform& platform)
    : platform_(&platform), files_(platform, ui), app_(ui), add_in_(app_, platform) {
  app_.SetWorkbookFiles(&files_);
  app::BindSheetActivate(app_, add_in_);
}

void Session::Start() {
  app::InstallSampleWorkbook(app_, *platform_, files_);
  app::WorkbookOpen(add_in_);
  workbook_ = app_.ActiveWorkbook();
  if (workbook_ != nullptr) content_at_start_ = host::xlsx::ContentFingerprint(*workbook_);
}

void Session::Select(const std::string& reference) {
  if (workbook_ == nullptr) throw UsageError("no workbook is open to select " + reference + " in");
  std::string sheet_name;
  std::string address = reference;
  if (const std::size_t bang = reference.rfind('!'); bang != std::string::npos) {
    sheet_name = reference.substr(0, bang);
    address = reference.substr(bang + 1);
    if (sheet_name.size() >= 2 && sheet_name.front() == '\'' && sheet_name.back() == '\'') {
      sheet_name = sheet_name.substr(1, sheet_name.size() - 2);
    }
  }
  if (!sheet_name.empty()) {
    host::Worksheet* sheet = workbook_->FindSheet(sheet_name);
    if (sheet == nullptr) {
      throw UsageError("\"" + workbook_->Name() + "\" has no sheet named \"" + sheet_name + "\"");
    }
    workbook_->ActivateSheet(*sheet);
  }
  if (!host::ParseA1Reference(address)) {
    throw UsageError("\"" + address + "\" is not a cell or range (such as D3, A1:C4 or E:E)");
  }
  app_.Range(address).Select();
}

void Session::ActivateBankSheet() {
  if (workbook_ == nullptr) return;
  host::Worksheet* bank = nullptr;
  for (int index = 1; index <= workbook_->SheetCount(); ++index) {
    host::Worksheet& sheet = workbook_->SheetAt(index);
    if (!model::IsBankSheetName(sheet.Name())) continue;
    if (bank != nullptr) return;  // several: the command says so
    bank = &sheet;
  }
  if (bank != nullptr) workbook_->ActivateSheet(*bank);
}

bool Session::ActivateTestSheet(std::optional<bool> per_page40) {
  if (workbook_ == nullptr) return true;
  const std::string name = per_page40 ? std::string(model::TestSheetName(*per_page40))
                                      : shell::TestSheetInUse(body(), *workbook_);
  host::Worksheet* sheet = workbook_->FindSheet(name);
  if (per_page40 && sheet == nullptr) return false;
  if (sheet != nullptr) workbook_->ActivateSheet(*sheet);
  return true;
}

std::string Session::ActiveCellReference() {
  return app_.ActiveSheet().Name() + "!" +
         app_.ActiveCell().Address(host::ReferenceStyle::kA1, false);
}

void Session::RunMacro(shell::MacroId macro) { RunMacro(shell::MacroName(macro)); }

void Session::RunMacro(std::string_view name) {
  if (!app::RunMacro(add_in_, name)) {
    throw UsageError("the workbook has no macro named \"" + std::string(name) + "\"");
  }
}

bool Session::Changed() const {
  if (workbook_ == nullptr) return false;
  if (workbook_->Path().empty()) return true;
  return host::xlsx::ContentFingerprint(*workbook_) != content_at_start_;
}

void Session::Save(const std::optional<std::string>& output) {
  if (workbook_ == nullptr) return;
  workbook_->SaveAs(output.value_or(workbook_->FullName()));
}

void Session::End() {
  if (workbook_ != nullptr) workbook_->Activate();
  app::WorkbookBeforeClose(add_in_);
}

}  // namespace tarquel::cli
