// The data workbook's macros: the host runs them by name from a menu entry's action or a
// shortcut key, and each creates a Velmora and calls the method of the same name after the
// "M_" prefix. The workbook's event procedures call Auto_Open when it opens, END_Shori when it
// closes and SheetActivate whenever a sheet is activated. Front ends run commands only through
// these, as the host does.
#ifndef TARQUEL_APP_MACROS_DATA_WORKBOOK_MACROS_H_
#define TARQUEL_APP_MACROS_DATA_WORKBOOK_MACROS_H_

#include <span>
#include <string_view>

#include "shell/add_in.h"

namespace tarquel::host {
class Application;
}

namespace tarquel::app {

struct Macro {
  const char* name;
  void (shell::Velmora::*method)();
};

// "M_START" ... "M_Command2", in the order of the command surface.
std::span<const Macro> DataWorkbookMacros();

// Runs the macro `name` against the loaded add-in. Returns false, running nothing, when the
// workbook has no macro of that name. A host run-time error inside the command passes through
// to the caller, which shows it as the host does.
bool RunMacro(shell::AddIn& add_in, std::string_view name);

// The workbook's events.
void WorkbookOpen(shell::AddIn& add_in);         // Auto_Open
void WorkbookBeforeClose(shell::AddIn& add_in);  // END_Shori
// Makes every sheet activation of `app` reach SheetActivate with the sheet's name.
void BindSheetActivate(host::Application& app, shell::AddIn& add_in);

}  // namespace tarquel::app

#endif  // TARQUEL_APP_MACROS_DATA_WORKBOOK_MACROS_H_
