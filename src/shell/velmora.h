// Velmora is the add-in's command surface: the data workbook's macros create it and call one
// method per user action. Every method hands straight to one command procedure with the
// library's module state; the object itself holds nothing else, so any number of Velmora
// objects made from one loaded library behave as one.
#ifndef TARQUEL_SHELL_VELMORA_H_
#define TARQUEL_SHELL_VELMORA_H_

#include <string>

namespace tarquel::model {
struct Body;
}

namespace tarquel::shell {

class Velmora {
 public:
  // `body` is the loaded library's module state and must outlive the object.
  explicit Velmora(model::Body& body) : body_(&body) {}

  void Auto_Open();
  void START();
  void InPutAns();
  void ANS_DEL();
  void ThisQSisNG();
  void ThisQSisHITU();
  void GoJUMP();
  void Edit_Furigana();
  void RepeatKanji();
  void NG_Report();
  void HITU_Report();
  void SetPaper();
  void QVersion();
  void SheetActivate(const std::string& sheet_name);
  void END_Shori();
  void Command1();
  void Command2();
  void Command3();
  void Command4();
  void Command5();

 private:
  model::Body* body_;
};

}  // namespace tarquel::shell

#endif  // TARQUEL_SHELL_VELMORA_H_
