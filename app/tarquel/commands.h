// The tarquel program's subcommands: each opens the workbook through the data file dialog,
// runs its command through the data workbook's macro with the selection a user would make,
// answers the dialogs from the command line, saves the workbook when it changed and closes it.
#ifndef TARQUEL_APP_TARQUEL_COMMANDS_H_
#define TARQUEL_APP_TARQUEL_COMMANDS_H_

#include "host/platform/platform.h"
#include "tarquel/invocation.h"
#include "tarquel/terminal.h"

namespace tarquel::cli {

// The program's exit statuses.
enum ExitStatus {
  kExitOk = 0,       // the command ran to its end
  kExitStopped = 1,  // it stopped at a check or an error message
  kExitUsage = 2,    // the command line was wrong
  kExitFile = 3,     // a file could not be read or written
};

// Runs `invocation`, talking to `terminal`, with files and folders through `platform`.
// Throws UsageError for a command line that turns out wrong once the workbook is open (a sheet
// it does not have).
ExitStatus RunCommand(const Invocation& invocation, const Terminal& terminal,
                      host::Platform& platform);

}  // namespace tarquel::cli

#endif  // TARQUEL_APP_TARQUEL_COMMANDS_H_
