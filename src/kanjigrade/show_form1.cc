#include "kanjigrade/show_form1.h"

#include "kanjigrade/form1.h"
#include "model/body.h"
#include "model/kept_dialog.h"

namespace tarquel::kanjigrade {

void ShowForm1(model::Body& body) { model::ShowKeptDialog<Form1>(body.form1, body); }

}  // namespace tarquel::kanjigrade
