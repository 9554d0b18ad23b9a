#include "kanjigrade/show_form1.h"

#include <memory>

#include "kanjigrade/form1.h"
#include "model/body.h"

namespace tarquel::kanjigrade {

void ShowForm1(model::Body& body) {
  if (body.form1 == nullptr) body.form1 = std::make_unique<Form1>(body);
  body.form1->Show();
}

}  // namespace tarquel::kanjigrade
