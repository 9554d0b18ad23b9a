#include "shell/velmora.h"

#include "model/body.h"
#include "paper/set_paper.h"
#include "review/answers.h"
#include "review/marking.h"
#include "review/reports.h"
#include "shell/commands.h"
#include "shell/version_info.h"

namespace tarquel::shell {

void Velmora::Auto_Open() { shell::Auto_Open(*body_); }
void Velmora::START() { shell::START(*body_); }
void Velmora::InPutAns() { review::InPutAns(*body_); }
void Velmora::ANS_DEL() { review::ANS_DEL(*body_); }
void Velmora::ThisQSisNG() { review::ThisQSisNG(*body_); }
void Velmora::ThisQSisHITU() { review::ThisQSisHITU(*body_); }
void Velmora::GoJUMP() { review::GoJUMP(*body_); }
void Velmora::Edit_Furigana() { review::Edit_Furigana(*body_); }
void Velmora::RepeatKanji() { review::RepeatKanji(*body_); }
void Velmora::NG_Report() { review::NG_Report(*body_); }
void Velmora::HITU_Report() { review::HITU_Report(*body_); }
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
