// A fixture that gives host tests an application with one workbook, a scripted Ui and
// short helpers to reach cells by address.
#ifndef TARQUEL_TESTS_SUPPORT_HOST_FIXTURE_H_
#define TARQUEL_TESTS_SUPPORT_HOST_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>

#include "host/application.h"
#include "host/host_error.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "support/scripted_ui.h"

namespace tarquel::testing {

class HostTest : public ::testing::Test {
 protected:
  HostTest() : app_(ui_), book_(&app_.Workbooks().Add()), sheet_(&book_->ActiveSheet()) {}

  host::Range At(const std::string& address) { return sheet_->Range(address); }

  ScriptedUi ui_;
  host::Application app_;
  host::Workbook* book_;
  host::Worksheet* sheet_;
};

// Runs `action` and returns the host error number it threw, or 0 when it threw none.
template <typename Action>
int HostErrorOf(Action&& action) {
  try {
    action();
  } catch (const host::HostError& error) {
    return error.number();
  }
  return 0;
}

}  // namespace tarquel::testing

#endif  // TARQUEL_TESTS_SUPPORT_HOST_FIXTURE_H_
