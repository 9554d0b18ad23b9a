// AddIn is the loaded library: loading it into a host creates the module state, and unloading
// (destroying it) ends it. Front ends load one AddIn per host application; tests load a fresh
// one per case.
#ifndef TARQUEL_SHELL_ADD_IN_H_
#define TARQUEL_SHELL_ADD_IN_H_

#include "model/body.h"
#include "shell/velmora.h"

namespace tarquel::shell {

class AddIn {
 public:
  // Both must outlive the add-in.
  AddIn(host::Application& host, host::Platform& platform) : body_(host, platform) {}
  AddIn(const AddIn&) = delete;
  AddIn& operator=(const AddIn&) = delete;

  model::Body& body() { return body_; }
  // A new command object, as the data workbook's macros create one.
  Velmora CreateVelmora() { return Velmora(body_); }

 private:
  model::Body body_;
};

}  // namespace tarquel::shell

#endif  // TARQUEL_SHELL_ADD_IN_H_
