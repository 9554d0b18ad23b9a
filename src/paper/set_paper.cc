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
  body.print_form->Show();
}

}  // namespace tarquel::paper
