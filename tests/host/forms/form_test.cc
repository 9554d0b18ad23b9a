#include "host/forms/form.h"

#include <functional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/host_error.h"
#include "support/scripted_ui.h"

namespace tarquel::host {
namespace {

using ::testing::ElementsAre;

// A dialog with the shape of the add-in's: a required text box whose exit is cancelled while it
// is empty, a second page holding a button, and buttons that unload or hide the form.
class TestDialog : public Form {
 public:
  explicit TestDialog(Ui& ui) : Form(ui) {
    set_caption("テスト");
    T1.set_tab_index(10);  // last in tab order: T2 gets the focus first
    T2.SetValue("design");
    MP.AddPage("一");
    MP.AddPage("二");
    Next.PlaceOn(MP, 1);
    T1.on_enter = [this] { trace.push_back("T1_Enter"); };
    T1.on_exit = [this](bool& cancel) { T1_Exit(cancel); };
    T2.on_enter = [this] { trace.push_back("T2_Enter"); };
    Next.on_click = [this] { trace.push_back("Next_Click"); };
    OK.on_click = [this] {
      trace.push_back("OK_Click");
      Unload();
    };
    HideButton.on_click = [this] { Hide(); };
  }

  TextBox T1{*this, "T1"};
  TextBox T2{*this, "T2"};
  MultiPage MP{*this, "MP"};
  CommandButton Next{*this, "Next"};
  CommandButton OK{*this, "OK"};
  CommandButton HideButton{*this, "HideButton"};

  std::vector<std::string> trace;
  bool unload_on_activate = false;

 protected:
  void OnLoad() override {
    trace.push_back("load");
    set_caption(caption() + " (1)");
  }
  void OnActivate() override {
    trace.push_back("activate");
    if (unload_on_activate) Unload();
  }
  void OnUnload() override { trace.push_back("unload"); }

 private:
  void T1_Exit(bool& cancel) {
    trace.push_back("T1_Exit");
    cancel = T1.value().empty();
  }
};

class FormTest : public ::testing::Test {
 protected:
  // Shows the dialog with `script` playing the user.
  void ShowWith(std::function<void(TestDialog&)> script) {
    ui_.QueueFormScriptFor<TestDialog>(std::move(script));
    dialog_.Show();
  }

  tarquel::testing::ScriptedUi ui_;
  TestDialog dialog_{ui_};
};

TEST_F(FormTest, CancelledExitKeepsFocusAndBlocksThePress) {
  ShowWith([](TestDialog& d) {
    EXPECT_TRUE(d.Type(d.T1, ""));
    EXPECT_FALSE(d.Press(d.OK));
    EXPECT_FALSE(d.Type(d.T2, "x"));
    EXPECT_FALSE(d.Tab());
    EXPECT_EQ(d.focused(), &d.T1);
    EXPECT_EQ(d.T2.value(), "design");

    EXPECT_TRUE(d.Type(d.T1, "漢"));
    EXPECT_TRUE(d.Press(d.OK));
  });
  EXPECT_THAT(dialog_.trace, ElementsAre("load", "activate", "T1_Enter", "T1_Exit", "T1_Exit",
                                         "T1_Exit", "T1_Exit", "OK_Click", "unload"));
  EXPECT_FALSE(dialog_.loaded());
}

TEST_F(FormTest, FocusStartsOnFirstInTabOrderAndFollowsIt) {
  ShowWith([](TestDialog& d) {
    EXPECT_EQ(d.focused(), &d.T2);   // no T2_Enter for the initial focus
    EXPECT_TRUE(d.MoveFocus(d.T2));  // staying put raises nothing
    EXPECT_TRUE(d.Tab());            // Next sits on a page that is not current
    EXPECT_EQ(d.focused(), &d.OK);
    EXPECT_TRUE(d.Tab());
    EXPECT_TRUE(d.Type(d.T1, "a"));
    EXPECT_TRUE(d.Tab());  // wraps round
    EXPECT_EQ(d.focused(), &d.T2);
    d.Unload();
  });
  EXPECT_THAT(dialog_.trace,
              ElementsAre("load", "activate", "T1_Enter", "T1_Exit", "T2_Enter", "unload"));
}

TEST_F(FormTest, ControlsOnPagesAreReachableOnlyOnTheirPage) {
  ShowWith([](TestDialog& d) {
    EXPECT_FALSE(d.Press(d.Next));
    EXPECT_TRUE(d.SelectPage(d.MP, 1));
    EXPECT_TRUE(d.Press(d.Next));
    EXPECT_TRUE(d.SelectPage(d.MP, 0));
    d.MP.page(1).enabled = false;
    EXPECT_FALSE(d.SelectPage(d.MP, 1));
    EXPECT_EQ(d.MP.value(), 0);
    EXPECT_THROW(d.SelectPage(d.MP, 2), HostError);
    d.Unload();
  });
  EXPECT_THAT(dialog_.trace, ElementsAre("load", "activate", "Next_Click", "unload"));
}

TEST_F(FormTest, ActivationThatUnloadsSkipsTheModalShow) {
  dialog_.unload_on_activate = true;
  dialog_.Show();  // with no script queued, a modal show would fail the test
  EXPECT_THAT(dialog_.trace, ElementsAre("load", "activate", "unload"));
  EXPECT_THAT(ui_.Transcript(), ::testing::IsEmpty());
  EXPECT_FALSE(dialog_.loaded());
}

TEST_F(FormTest, ARunTimeErrorInAHandlerClosesTheFormAndPassesOn) {
  dialog_.Next.on_click = [] { ThrowApplicationDefined("broken"); };
  EXPECT_THROW(ShowWith([](TestDialog& d) {
                 d.SelectPage(d.MP, 1);
                 d.Press(d.Next);
               }),
               HostError);
  EXPECT_FALSE(dialog_.shown());
  EXPECT_FALSE(dialog_.loaded());
  ShowWith([](TestDialog& d) { d.Press(d.OK); });  // shows again, no error 400
  EXPECT_FALSE(dialog_.loaded());
}

TEST_F(FormTest, ReshowAfterUnloadStartsFromDesignState) {
  ShowWith([](TestDialog& d) {
    d.Type(d.T2, "typed");
    d.OK.set_enabled(false);
  });  // the script leaves the form open: closed like its close box
  EXPECT_FALSE(dialog_.loaded());
  ShowWith([](TestDialog& d) {
    EXPECT_EQ(d.T2.value(), "design");
    EXPECT_TRUE(d.OK.enabled());
    EXPECT_EQ(d.caption(), "テスト (1)");  // OnLoad ran on the design caption, once
    EXPECT_EQ(d.focused(), &d.T2);
    d.Unload();
  });
  EXPECT_THAT(dialog_.trace,
              ElementsAre("load", "activate", "unload", "load", "activate", "unload"));
}

TEST_F(FormTest, HideKeepsStateAndFocus) {
  ShowWith([](TestDialog& d) {
    d.Type(d.T1, "kept");
    d.SelectPage(d.MP, 1);
    d.Press(d.HideButton);
  });
  EXPECT_TRUE(dialog_.loaded());
  EXPECT_FALSE(dialog_.shown());
  EXPECT_FALSE(dialog_.Type(dialog_.T1, "not shown"));
  ShowWith([](TestDialog& d) {
    EXPECT_EQ(d.T1.value(), "kept");
    EXPECT_EQ(d.MP.value(), 1);
    EXPECT_EQ(d.focused(), &d.HideButton);
    EXPECT_THROW(d.Show(), HostError);  // already shown
    d.Press(d.OK);
  });
  EXPECT_THAT(dialog_.trace, ElementsAre("load", "activate", "T1_Enter", "T1_Exit", "activate",
                                         "OK_Click", "unload"));
}

TEST_F(FormTest, ExitThatClosesTheFormStopsTheMove) {
  dialog_.T1.on_exit = [this](bool&) { dialog_.Unload(); };
  ShowWith([](TestDialog& d) {
    d.Type(d.T1, "a");
    EXPECT_FALSE(d.Press(d.OK));
  });
  EXPECT_THAT(dialog_.trace, ElementsAre("load", "activate", "T1_Enter", "unload"));
}

}  // namespace
}  // namespace tarquel::host
