#include "macros/data_workbook_macros.h"

#include <array>

#include "host/application.h"
#include "shell/macro_names.h"

namespace tarquel::app {

namespace {

using shell::Velmora;

constexpr std::array<Macro, 14> kMacros{{
    {shell::MacroName(shell::MacroId::kStart), &Velmora::START},
    {shell::MacroName(shell::MacroId::kInPutAns), &Velmora::InPutAns},
    {shell::MacroName(shell::MacroId::kAnsDel), &Velmora::ANS_DEL},
    {shell::MacroName(shell::MacroId::kThisQSisNG), &Velmora::ThisQSisNG},
    {shell::MacroName(shell::MacroId::kThisQSisHitu), &Velmora::ThisQSisHITU},
    {shell::MacroName(shell::MacroId::kGoJump), &Velmora::GoJUMP},
    {shell::MacroName(shell::MacroId::kEditFurigana), &Velmora::Edit_Furigana},
    {shell::MacroName(shell::MacroId::kRepeatKanji), &Velmora::RepeatKanji},
    {shell::MacroName(shell::MacroId::kNgReport), &Velmora::NG_Report},
    {shell::MacroName(shell::MacroId::kHituReport), &Velmora::HITU_Report},
    {shell::MacroName(shell::MacroId::kSetPaper), &Velmora::SetPaper},
    {shell::MacroName(shell::MacroId::kQVersion), &Velmora::QVersion},
    {shell::MacroName(shell::MacroId::kCommand1), &Velmora::Command1},
    {shell::MacroName(shell::MacroId::kCommand2), &Velmora::Command2},
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
