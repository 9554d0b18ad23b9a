#include "shell/velmora.h"

#include "model/body.h"
#include "paper/set_paper.h"
#include "shell/commands.h"
#include "shell/version_info.h"

namespace tarquel::shell {

void Velmora::Auto_Open() { shell::Auto_Open(*body_); }
void Velmora::START() { shell::START(*body_); }
// The review commands below are not built yet; until they are, they return at once.
void Velmora::InPutAns() {}
void Velmora::ANS_DEL() {}
void Velmora::ThisQSisNG() {}
void Velmora::ThisQSisHITU() {}
void Velmora::GoJUMP() {}
void Velmora::Edit_Furigana() {}
void Velmora::RepeatKanji() {}
void Velmora::NG_Report() {}
void Velmora::HITU_Report() {}
void Velmora::SetPaper() { paper::SetPaper(*body_); }
void Velmora::QVersion() { shell::QVersion(*body_); }
void Velmora::SheetActivate(const std::string& sheet_name) {
  shell::SheetActivate(*body_, sheet_name);
}
void Velmora::END_Shori() { shell::END_Shori(*body_); }
void Velmora::Command1() { shell::Command1(*body_); }
void Velmora::Command2() { shell::Command2(*body_); }
// Free slots of the command surface: they do nothing.
void Velmora::Command3() {}
void Velmora::Command4() {}
void Velmora::Command5() {}

}  // namespace tarquel::shell
