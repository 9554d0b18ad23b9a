#include "paper/set_paper.h"

#include "host/application.h"
#include "model/body.h"
#include "model/kept_dialog.h"
#include "paper/print_form.h"

namespace tarquel::paper {

void SetPaper(model::Body& body) {
  model::ShowKeptDialog<PrintForm>(body.print_form, body.HostApp().ui(), body);
}

}  // namespace tarquel::paper
