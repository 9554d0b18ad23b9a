// `tarquel check`: the bank check on the workbook start-up opened, its findings printed as a
// list or as JSON. It never changes the workbook.
#ifndef TARQUEL_APP_TARQUEL_CHECK_COMMAND_H_
#define TARQUEL_APP_TARQUEL_CHECK_COMMAND_H_

#include "tarquel/commands.h"
#include "tarquel/invocation.h"
#include "tarquel/session.h"
#include "tarquel/terminal.h"

namespace tarquel::cli {

// Checks the question bank sheet of the session's workbook and prints the findings to
// `terminal`: kExitOk when there is nothing to report, kExitStopped when there are findings or
// the workbook has no single bank sheet (the add-in's message then says which).
ExitStatus CheckBankSheet(const Invocation& inv, Session& session, const Terminal& terminal);

}  // namespace tarquel::cli

#endif  // TARQUEL_APP_TARQUEL_CHECK_COMMAND_H_
