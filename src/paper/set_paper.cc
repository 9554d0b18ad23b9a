#include "paper/set_paper.h"

#include <memory>

#include "host/application.h"
#include "model/body.h"
#include "paper/print_form.h"

namespace tarquel::paper {

void SetPaper(model::Body& body) {
  if (body.print_form == nullptr) {
    body.print_form = std::make_unique<PrintForm>(body.HostApp().ui(), body);
  }
  try {
    body.print_form->Show();
  } catch (...) {
    // A run-time error ends the command, and with it the dialog, as the host ends a macro;
    // a form left shown would refuse every later Show.
    body.print_form->Unload();
    throw;
  }
}

}  // namespace tarquel::paper
