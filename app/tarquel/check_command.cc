#include "tarquel/check_command.h"

#include <ostream>
#include <string>

#include "bankcheck/bank_check.h"
#include "bankcheck/report_format.h"
#include "host/workbook.h"
#include "model/bank_sheet.h"

namespace tarquel::cli {

ExitStatus CheckBankSheet(const Invocation& inv, Session& session, const Terminal& terminal) {
  // The same search the review commands make, with the same message when it fails.
  const std::string name = model::LocateBankSheet(session.app());
  if (name.empty()) return kExitStopped;
  host::Worksheet& bank = session.workbook()->Sheets().Item(name);
  const bankcheck::CheckResult result = bankcheck::CheckBank(bank, {.grade = inv.grade});
  terminal.out << (inv.json ? bankcheck::FormatJson(result) : bankcheck::FormatText(result));
  return result.findings.empty() ? kExitOk : kExitStopped;
}

}  // namespace tarquel::cli
