// The names of the data workbook's macros: the menu's actions, the shortcut keys, the
// workbook's macro table and the front ends all name a macro through MacroId, so each name is
// written here once and a misspelt macro does not compile. The host still runs a macro by its
// name, which is MacroName's.
#ifndef TARQUEL_SHELL_MACRO_NAMES_H_
#define TARQUEL_SHELL_MACRO_NAMES_H_

#include <array>
#include <optional>
#include <string_view>

namespace tarquel::shell {

// In the order of the command surface.
enum class MacroId {
  kStart,
  kInPutAns,
  kAnsDel,
  kThisQSisNG,
  kThisQSisHitu,
  kGoJump,
  kEditFurigana,
  kRepeatKanji,
  kNgReport,
  kHituReport,
  kSetPaper,
  kQVersion,
  kCommand1,
  kCommand2,
};

inline constexpr std::array<MacroId, 14> kAllMacros{
    MacroId::kStart,        MacroId::kInPutAns,   MacroId::kAnsDel,       MacroId::kThisQSisNG,
    MacroId::kThisQSisHitu, MacroId::kGoJump,     MacroId::kEditFurigana, MacroId::kRepeatKanji,
    MacroId::kNgReport,     MacroId::kHituReport, MacroId::kSetPaper,     MacroId::kQVersion,
    MacroId::kCommand1,     MacroId::kCommand2,
};

// The name the host knows the macro by ("M_START").
constexpr const char* MacroName(MacroId id) {
  switch (id) {
    case MacroId::kStart:
      return "M_START";
    case MacroId::kInPutAns:
      return "M_InPutAns";
    case MacroId::kAnsDel:
      return "M_ANS_DEL";
    case MacroId::kThisQSisNG:
      return "M_ThisQSisNG";
    case MacroId::kThisQSisHitu:
      return "M_ThisQSisHITU";
    case MacroId::kGoJump:
      return "M_GoJUMP";
    case MacroId::kEditFurigana:
      return "M_Edit_Furigana";
    case MacroId::kRepeatKanji:
      return "M_RepeatKanji";
    case MacroId::kNgReport:
      return "M_NG_Report";
    case MacroId::kHituReport:
      return "M_HITU_Report";
    case MacroId::kSetPaper:
      return "M_SetPaper";
    case MacroId::kQVersion:
      return "M_QVersion";
    case MacroId::kCommand1:
      return "M_Command1";
    case MacroId::kCommand2:
      return "M_Command2";
  }
  return "";
}

// The macro the host knows by `name`, matched exactly as the host matches it.
constexpr std::optional<MacroId> MacroNamed(std::string_view name) {
  for (const MacroId id : kAllMacros) {
    if (name == MacroName(id)) return id;
  }
  return std::nullopt;
}

}  // namespace tarquel::shell

#endif  // TARQUEL_SHELL_MACRO_NAMES_H_
