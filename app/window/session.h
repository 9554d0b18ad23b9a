// WindowSession is the host with the add-in loaded, as the desktop window runs it: the files it
// reads and writes, the application, the loaded library with the data workbook's macros bound to
// it. It knows which workbooks hold changes not yet saved, saves them through the host (which
// writes a temporary file and renames it into place), and closes them as the host does, with the
// workbook's closing event (END_Shori) for the last one.
#ifndef TARQUEL_APP_WINDOW_SESSION_H_
#define TARQUEL_APP_WINDOW_SESSION_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "host/application.h"
#include "host/platform/platform.h"
#include "host/ui.h"
#include "host/xlsx/xlsx_files.h"
#include "shell/add_in.h"

namespace tarquel::window {

class WindowSession {
 public:
  // `ui` and `platform` must outlive the session.
  WindowSession(host::Ui& ui, host::Platform& platform);
  WindowSession(const WindowSession&) = delete;
  WindowSession& operator=(const WindowSession&) = delete;

  host::Application& app() { return app_; }
  shell::AddIn& add_in() { return add_in_; }
  host::Platform& platform() { return *platform_; }

  // Puts the sample workbook into the data folder when it is missing, then loads the add-in
  // (Auto_Open), whose data file dialog opens or builds the workbook to work on. A host error
  // passes on.
  void Start();

  // Runs the data workbook's macro `name`; false when the workbook has none. A host run-time
  // error inside the command passes on.
  bool RunMacro(std::string_view name);

  // Takes the workbooks opened since the last call (by a command, say) as they are now, and
  // forgets those closed. The window calls it whenever it shows what the host holds.
  void TrackOpenWorkbooks();
  // Whether `workbook` holds anything it did not hold when it was opened or last saved. A
  // workbook never saved counts as changed.
  bool Changed(const host::Workbook& workbook);
  // Saves `workbook` to `path` (its own file when empty) and takes that as its saved state. A
  // host error when it cannot be written; the old file is left as it was then.
  void Save(host::Workbook& workbook, const std::string& path = "");
  // Closes `workbook` without asking. When it is the last one open, the closing event runs
  // first with it active (the add-in records it in its history and takes its menu away); a
  // host error from it passes on once the workbook is closed.
  void Close(host::Workbook& workbook);

 private:
  uint64_t Fingerprint(const host::Workbook& workbook) const;

  host::Platform* platform_;
  host::xlsx::XlsxFiles files_;
  host::Application app_;
  shell::AddIn add_in_;
  // The content of each workbook as it was opened or last saved; a workbook not yet here is
  // taken as it is when first asked about (one opened by a command).
  std::map<const host::Workbook*, uint64_t> saved_;
};

}  // namespace tarquel::window

#endif  // TARQUEL_APP_WINDOW_SESSION_H_
