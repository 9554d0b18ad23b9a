#include "testgen/show_dialog.h"

#include "model/body.h"
#include "model/kept_dialog.h"
#include "testgen/user_form1.h"

namespace tarquel::testgen {

void ShowUserForm1(model::Body& body) { model::ShowKeptDialog<UserForm1>(body.user_form1, body); }

}  // namespace tarquel::testgen
