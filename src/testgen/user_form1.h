// UserForm1, the test creation dialog: the range of question groups, how many to set, the
// random code, the three selection options and the sheet size; 作成 makes the test and the
// dialog stays open for another. Its choices live in the settings file and in the module state
// that the generator reads.
#ifndef TARQUEL_TESTGEN_USER_FORM1_H_
#define TARQUEL_TESTGEN_USER_FORM1_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/forms/controls.h"
#include "host/forms/form.h"
#include "settings/settings_file.h"

namespace tarquel::model {
struct Body;
}

namespace tarquel::testgen {

class UserForm1 : public host::Form {
 public:
  // `body` must outlive the dialog.
  explicit UserForm1(model::Body& body);

  host::TextBox T1{*this, "T1"};
  host::Label Label1{*this, "Label1"};
  host::TextBox T2{*this, "T2"};
  host::Label Label2{*this, "Label2"};
  host::TextBox T3{*this, "T3"};
  host::CommandButton CommandButton1{*this, "CommandButton1"};
  host::CommandButton CommandButton2{*this, "CommandButton2"};
  host::CommandButton CommandButton3{*this, "CommandButton3"};
  host::TextBox T4{*this, "T4"};
  host::Label Label3{*this, "Label3"};
  host::CheckBox CBox{*this, "CBox"};
  host::CheckBox CheckBox1{*this, "CheckBox1"};
  host::CheckBox CheckBox2{*this, "CheckBox2"};
  host::ToggleButton TB1{*this, "TB1"};
  host::CommandButton CommandButton4{*this, "CommandButton4"};

  // The events.
  void UserForm_Activate();
  void CBox_Change();
  void CheckBox1_Change();
  void CheckBox2_Click();
  void TB1_Click();
  void T1_Exit(bool& cancel);
  void T2_Exit(bool& cancel);
  void T3_Exit(bool& cancel);
  void T4_Exit(bool& cancel);
  void CommandButton1_Click();
  void CommandButton2_Click();
  void CommandButton3_Click();
  void CommandButton4_Click();

 protected:
  void OnActivate() override { UserForm_Activate(); }

 private:
  void Design();
  // Shows the box's message and cancels the exit when its text is not a number of at least
  // `minimum` that fits a whole number.
  void CheckBox(host::TextBox& box, double minimum, bool& cancel);
  // The box's number for 作成, or its message and nullopt.
  std::optional<int32_t> NumberFor(host::TextBox& box, double minimum);
  // The settings of the check boxes and the toggle button, as the file stores them.
  std::vector<settings::SettingChange> OptionChanges() const;

  model::Body& body_;
};

// Whether an option's stored text ("True" in any letter case, or a number other than 0) is on.
bool StoredOptionValue(const std::string& text);

// "1以上の整数を入力して下さい。 " for 1, "2以上…" for 2: the refusal of a number box.
std::string MinimumMessage(int minimum);

}  // namespace tarquel::testgen

#endif  // TARQUEL_TESTGEN_USER_FORM1_H_
