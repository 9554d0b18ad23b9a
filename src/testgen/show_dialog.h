// Showing the test creation dialog: created on first use and kept in the module state.
#ifndef TARQUEL_TESTGEN_SHOW_DIALOG_H_
#define TARQUEL_TESTGEN_SHOW_DIALOG_H_

namespace tarquel::model {
struct Body;
}

namespace tarquel::testgen {

void ShowUserForm1(model::Body& body);

}  // namespace tarquel::testgen

#endif  // TARQUEL_TESTGEN_SHOW_DIALOG_H_
