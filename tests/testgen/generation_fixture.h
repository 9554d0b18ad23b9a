// A fixture for test generation: a started add-in with a bank sheet, and helpers that open
// the test creation dialog through the START macro and act in it as a user does.
#ifndef TARQUEL_TESTS_TESTGEN_GENERATION_FIXTURE_H_
#define TARQUEL_TESTS_TESTGEN_GENERATION_FIXTURE_H_

#include <functional>
#include <string>

#include "model/body.h"
#include "model/test_sheet.h"
#include "support/add_in_fixture.h"
#include "support/bank_builder.h"
#include "testgen/user_form1.h"

namespace tarquel::testing {

class GenerationTest : public AddInTest {
 protected:
  void SetUp() override {
    book_ = &app_.Workbooks().Add();
    bank_ = &book_->ActiveSheet();
    bank_->SetName("ミラヴォ 同音・同訓");
    StartUp();
  }

  // Opens the dialog from the bank sheet and runs `actions` in it; the dialog is then closed
  // with its close box unless the actions closed it.
  void InDialog(const std::function<void(testgen::UserForm1&)>& actions) {
    bank_->Activate();
    ui_.QueueFormScriptFor<testgen::UserForm1>(actions);
    Run("M_START");
  }

  // Makes one test with the given entries; the dialog stays as the user leaves it.
  void MakeTest(const std::string& first, const std::string& last, const std::string& count,
                const std::string& code, bool sheet40,
                const std::function<void(testgen::UserForm1&)>& options = {}) {
    InDialog([&](testgen::UserForm1& f) {
      EXPECT_TRUE(f.Type(f.T1, first));
      EXPECT_TRUE(f.Type(f.T2, last));
      EXPECT_TRUE(f.Type(f.T3, count));
      EXPECT_TRUE(f.Type(f.T4, code));
      if (f.TB1.value() != sheet40) f.Toggle(f.TB1);
      if (options) options(f);
      EXPECT_TRUE(f.Press(f.CommandButton1));
    });
  }

  host::Worksheet* Sheet(bool sheet40) {
    return book_->FindSheet(std::string(model::TestSheetName(sheet40)));
  }

  host::Workbook* book_ = nullptr;
  host::Worksheet* bank_ = nullptr;
};

}  // namespace tarquel::testing

#endif  // TARQUEL_TESTS_TESTGEN_GENERATION_FIXTURE_H_
