#include "host/forms/controls.h"

#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/forms/form.h"
#include "host/host_error.h"
#include "support/scripted_ui.h"

namespace tarquel::host {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ControlsTest : public ::testing::Test {
 protected:
  // Returns a callback that appends `event` to the trace.
  std::function<void()> Note(std::string event) {
    return [this, event] { trace_.push_back(event); };
  }

  tarquel::testing::ScriptedUi ui_;
  Form form_{ui_};
  std::vector<std::string> trace_;
};

TEST_F(ControlsTest, TextBoxChangeFiresOnlyOnRealChange) {
  TextBox box(form_, "T1");
  box.on_change = Note("change");
  box.SetValue("");
  EXPECT_THAT(trace_, IsEmpty());
  box.SetValue("漢字");
  box.SetValue("漢字");
  EXPECT_THAT(trace_, ElementsAre("change"));
  box.SetValue("");
  EXPECT_THAT(trace_, ElementsAre("change", "change"));
}

TEST_F(ControlsTest, BooleanControlsRaiseChangeThenClickOnRealChange) {
  CheckBox check(form_, "C1");
  ToggleButton toggle(form_, "TB1");
  for (BooleanControl* control : std::vector<BooleanControl*>{&check, &toggle}) {
    SCOPED_TRACE(control->name());
    trace_.clear();
    control->on_change = Note("change");
    control->on_click = Note("click");
    control->SetValue(false);
    EXPECT_THAT(trace_, IsEmpty());
    control->SetValue(true);
    EXPECT_THAT(trace_, ElementsAre("change", "click"));
    EXPECT_TRUE(control->Click());
    EXPECT_FALSE(control->value());
    EXPECT_EQ(trace_.size(), 4u);

    control->set_enabled(false);
    EXPECT_FALSE(control->Click());
    control->set_enabled(true);
    control->set_visible(false);
    EXPECT_FALSE(control->Click());
    EXPECT_FALSE(control->value());
    EXPECT_EQ(trace_.size(), 4u);
  }
}

TEST_F(ControlsTest, CommandButtonClicksOnlyWhenEnabledAndVisible) {
  struct Case {
    bool enabled;
    bool visible;
    bool clicks;
  };
  for (const Case& c :
       {Case{true, true, true}, Case{false, true, false}, Case{true, false, false}}) {
    CommandButton button(form_, "B");
    int clicks = 0;
    button.on_click = [&] { ++clicks; };
    button.set_enabled(c.enabled);
    button.set_visible(c.visible);
    EXPECT_EQ(button.Click(), c.clicks);
    EXPECT_EQ(clicks, c.clicks ? 1 : 0);
  }
}

// A handler that rewrites its own box's value sees one more change, then the value settles.
TEST_F(ControlsTest, HandlerSettingItsOwnValueSettles) {
  TextBox box(form_, "T1");
  int changes = 0;
  box.on_change = [&] {
    ++changes;
    if (box.value().size() > 3) box.SetValue(box.value().substr(0, 3));
  };
  box.SetValue("abcdef");
  EXPECT_EQ(box.value(), "abc");
  EXPECT_EQ(changes, 2);
}

TEST_F(ControlsTest, HandlersChainThroughOtherControls) {
  TextBox box(form_, "T1");
  CheckBox check(form_, "C1");
  MultiPage pages(form_, "MP");
  pages.AddPage("一");
  pages.AddPage("二");
  box.on_change = [&] {
    trace_.push_back("T1_Change");
    check.SetValue(!box.value().empty());
  };
  check.on_click = [&] {
    trace_.push_back("C1_Click");
    pages.SetValue(check.value() ? 1 : 0);
  };
  pages.on_change = Note("MP_Change");

  box.SetValue("x");
  box.SetValue("y");  // the check box stays set: the chain stops there
  EXPECT_THAT(trace_, ElementsAre("T1_Change", "C1_Click", "MP_Change", "T1_Change"));
  EXPECT_EQ(pages.value(), 1);
}

TEST_F(ControlsTest, MultiPageValueAndRange) {
  MultiPage pages(form_, "MP");
  pages.on_change = Note("change");
  EXPECT_EQ(pages.value(), -1);
  EXPECT_THROW(pages.SetValue(0), HostError);
  EXPECT_EQ(pages.AddPage("一"), 0);
  EXPECT_EQ(pages.AddPage("二"), 1);
  EXPECT_EQ(pages.value(), 0);
  EXPECT_THAT(trace_, IsEmpty());

  pages.SetValue(0);
  EXPECT_THAT(trace_, IsEmpty());
  pages.page(1).enabled = false;
  pages.SetValue(1);  // code may select a disabled page
  EXPECT_THAT(trace_, ElementsAre("change"));

  for (int bad : {-1, 2}) {
    try {
      pages.SetValue(bad);
      ADD_FAILURE() << "no error for page " << bad;
    } catch (const HostError& e) {
      EXPECT_EQ(e.number(), HostError::kInvalidCall);
    }
  }
  EXPECT_EQ(pages.value(), 1);
  EXPECT_EQ(trace_.size(), 1u);
}

TEST_F(ControlsTest, ControlsRegisterWithTheirForm) {
  TextBox first(form_, "T1");
  auto label = std::make_unique<Label>(form_, "L1");
  CommandButton button(form_, "OK");
  EXPECT_THAT(form_.controls(), ElementsAre(&first, label.get(), &button));
  EXPECT_EQ(button.tab_index(), 2);
  EXPECT_EQ(form_.FindControl("L1"), label.get());
  EXPECT_EQ(form_.FindControl("L2"), nullptr);
  EXPECT_THROW(TextBox(form_, "T1"), HostError);

  label.reset();
  EXPECT_THAT(form_.controls(), ElementsAre(&first, &button));
}

TEST_F(ControlsTest, PlaceOnChecksThePage) {
  MultiPage pages(form_, "MP");
  pages.AddPage("一");
  CommandButton button(form_, "B");
  EXPECT_THROW(button.PlaceOn(pages, 1), HostError);
  EXPECT_THROW(pages.PlaceOn(pages, 0), HostError);
  EXPECT_EQ(button.container(), nullptr);
  button.PlaceOn(pages, 0);
  EXPECT_EQ(button.container(), &pages);
  EXPECT_EQ(button.container_page(), 0);
}

}  // namespace
}  // namespace tarquel::host
