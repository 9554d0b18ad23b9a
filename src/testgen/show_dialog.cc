#include "testgen/show_dialog.h"

#include <memory>

#include "model/body.h"
#include "testgen/user_form1.h"

namespace tarquel::testgen {

void ShowUserForm1(model::Body& body) {
  if (!body.user_form1) body.user_form1 = std::make_unique<UserForm1>(body);
  body.user_form1->Show();
}

}  // namespace tarquel::testgen
