// The shell's own command procedures: start-up, the test command's guards, the sheet
// activation hook, end processing and the small commands. Velmora hands each of its methods to
// one procedure; every procedure takes the module state explicitly.
#ifndef TARQUEL_SHELL_COMMANDS_H_
#define TARQUEL_SHELL_COMMANDS_H_

#include <string>

namespace tarquel::model {
struct Body;
}

namespace tarquel::shell {

inline constexpr char kDataFolderName[] = "ソルネア保存データ";
inline constexpr char kSettingsFileSuffix[] = "_設定値.ini";

// Start-up: fetch the host, fix the data folder and settings file names, rebuild the popup of
// the cell menu, show the data file dialog, register the shortcut keys.
void Auto_Open(model::Body& body);

// The test command: the active sheet must be a bank sheet with a first question; then the test
// creation dialog.
void START(model::Body& body);

// Follows which test sheet is in use from the name of a sheet just activated.
void SheetActivate(model::Body& body, const std::string& sheet_name);

// End processing: remove the popup and put the closing workbook at the head of the history.
void END_Shori(model::Body& body);

void Command1(model::Body& body);
void Command2(model::Body& body);

}  // namespace tarquel::shell

#endif  // TARQUEL_SHELL_COMMANDS_H_
