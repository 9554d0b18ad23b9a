// Session is one run of the host with the add-in loaded: the files it reads and writes, the
// application, the loaded library with the data workbook's macros bound to it. It plays the
// spreadsheet application's part: start-up (the sample in the data folder, then Auto_Open
// with its data file dialog), the user's moves between sheets and cells, running a macro,
// saving the workbook when a command changed it, and closing it (END_Shori).
#ifndef TARQUEL_APP_TARQUEL_SESSION_H_
#define TARQUEL_APP_TARQUEL_SESSION_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/application.h"
#include "host/platform/platform.h"
#include "host/ui.h"
#include "host/xlsx/xlsx_files.h"
#include "shell/add_in.h"
#include "shell/macro_names.h"

namespace tarquel::cli {

class Session {
 public:
  // `ui` and `platform` must outlive the session.
  Session(host::Ui& ui, host::Platform& platform);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  host::Application& app() { return app_; }
  model::Body& body() { return add_in_.body(); }
  host::Platform& platform() { return *platform_; }

  // Puts the sample workbook into the data folder when it is missing, then loads the add-in
  // (Auto_Open), whose data file dialog opens or builds the workbook to work on. A host error
  // (a file that cannot be read) passes on.
  void Start();

  // The workbook start-up opened or built, or nullptr when there is none.
  host::Workbook* workbook() const { return workbook_; }

  // The user clicking into a sheet and selecting cells: `reference` is "SHEET!RANGE" (the sheet
  // name may be quoted 'like this') or a range of the active sheet. UsageError when there is no
  // such sheet or the range cannot be read.
  void Select(const std::string& reference);
  // Makes the workbook's question bank sheet active, when it has exactly one; otherwise
  // leaves the active sheet to the command's own check.
  void ActivateBankSheet();
  // Makes the 40- or 20-question test sheet active when the workbook has it: the one asked
  // for, else the one shown, else the one the test creation dialog last used; otherwise the
  // command's own check speaks. Returns false, changing nothing, when the sheet asked for
  // (`per_page40` given) does not exist.
  bool ActivateTestSheet(std::optional<bool> per_page40);
  // "SHEET!$A$1" of the active cell.
  std::string ActiveCellReference();

  // Runs the data workbook's macro. A host run-time error passes on.
  void RunMacro(shell::MacroId macro);
  // The same for a macro the user named; a name the workbook lacks is a usage error.
  void RunMacro(std::string_view name);
  // What the last marking macro recorded, or why it recorded nothing.
  const model::MarkOutcome& LastMark() { return add_in_.body().last_mark; }

  // Whether the workbook holds anything other than what it held after start-up (moving about
  // it does not count). A workbook never saved counts as changed.
  bool Changed() const;
  // Saves the workbook to `output`, or where it came from. A host error when it cannot be
  // written, or when the file it came from was changed by another program since it was opened
  // (that program's work would be lost); the old file is left as it was then.
  void Save(const std::optional<std::string>& output);

  // Closing the workbook: END_Shori records it in the history.
  void End();

 private:
  // The workbook files of the session: each file opened is locked from its opening to the end
  // of the session, so that a second run on the same file waits for this one's save and then
  // reads what it saved, instead of both saving and one run's work being lost. A file changed
  // all the same (by a program that does not lock) is not saved over.
  class LockingFiles final : public host::WorkbookFiles {
   public:
    LockingFiles(host::Platform& platform, host::Ui& ui)
        : platform_(&platform), ui_(&ui), files_(platform) {}
    void Load(const std::string& path, host::Workbook& into) override;
    void Save(const host::Workbook& workbook, const std::string& path) override;

   private:
    struct Opened {
      std::string path;
      std::unique_ptr<host::FileLock> lock;
      std::optional<host::FileStamp> stamp;  // as it was opened, or last saved by this session
    };
    host::Platform* platform_;
    host::Ui* ui_;  // says when a save parted the file from its other names
    host::xlsx::XlsxFiles files_;
    std::vector<Opened> opened_;
  };

  host::Platform* platform_;
  LockingFiles files_;
  host::Application app_;
  shell::AddIn add_in_;
  host::Workbook* workbook_ = nullptr;
  uint64_t content_at_start_ = 0;
};

}  // namespace tarquel::cli

#endif  // TARQUEL_APP_TARQUEL_SESSION_H_
