#include "macros/data_workbook_macros.h"

#include <array>

#include "host/application.h"

namespace tarquel::app {

namespace {

using shell::Velmora;

constexpr std::array<Macro, 14> kMacros{{
    {"M_START", &Velmora::START},
    {"M_InPutAns", &Velmora::InPutAns},
    {"M_ANS_DEL", &Velmora::ANS_DEL},
    {"M_ThisQSisNG", &Velmora::ThisQSisNG},
    {"M_ThisQSisHITU", &Velmora::ThisQSisHITU},
    {"M_GoJUMP", &Velmora::GoJUMP},
    {"M_Edit_Furigana", &Velmora::Edit_Furigana},
    {"M_RepeatKanji", &Velmora::RepeatKanji},
    {"M_NG_Report", &Velmora::NG_Report},
    {"M_HITU_Report", &Velmora::HITU_Report},
    {"M_SetPaper", &Velmora::SetPaper},
    {"M_QVersion", &Velmora::QVersion},
    {"M_Command1", &Velmora::Command1},
    {"M_Command2", &Velmora::Command2},
}};

}  // namespace

std::span<const Macro> DataWorkbookMacros() { return kMacros; }

bool RunMacro(shell::AddIn& add_in, std::string_view name) {
  for (const Macro& macro : kMacros) {
    if (name == macro.name) {
      Velmora velmora = add_in.CreateVelmora();
      (velmora.*macro.method)();
      return true;
    }
  }
  return false;
}

void WorkbookOpen(shell::AddIn& add_in) { add_in.CreateVelmora().Auto_Open(); }

void WorkbookBeforeClose(shell::AddIn& add_in) { add_in.CreateVelmora().END_Shori(); }

void BindSheetActivate(host::Application& app, shell::AddIn& add_in) {
  app.SetSheetActivateListener(
      [&add_in](host::Worksheet& sheet) { add_in.CreateVelmora().SheetActivate(sheet.Name()); });
}

}  // namespace tarquel::app
