// The test creation dialog, driven through its controls as a user drives it.
#include "testgen/user_form1.h"

#include <gtest/gtest.h>

#include <regex>

#include "settings/settings_file.h"
#include "testgen/generation_fixture.h"

namespace tarquel::testgen {
namespace {

using testing::MessageRecord;

class UserForm1Test : public testing::GenerationTest {
 protected:
  std::string Stored(const char* key) {
    return settings::ReadSetting(body().Settings(), key, "<none>");
  }
};

TEST_F(UserForm1Test, ARangeOfOneGroupComesFromTheSettingsOtherwiseTheWholeBank) {
  testing::FillBank(*bank_, {{"a", "問1", "答1"}, {"a", "問2", "答2"}, {"b", "問3", "答3"}});
  platform_.AddFile(kSettingsPath, "ST:3\r\nED:7\r\nMo:12\r\nRND:0042\r\n");
  InDialog([](UserForm1& f) {
    EXPECT_EQ(f.T1.value(), "1");
    EXPECT_EQ(f.T2.value(), "2") << "two groups";
    EXPECT_EQ(f.T3.value(), "12");
    EXPECT_EQ(f.T4.value(), "0042");
  });
  bank_->Range("C3").SetValue("a");  // one group now
  InDialog([](UserForm1& f) {
    EXPECT_EQ(f.T1.value(), "3");
    EXPECT_EQ(f.T2.value(), "7");
  });
  ui_.ExpectNoMessages();
}

TEST_F(UserForm1Test, TheTwoExclusiveOptionsClearEachOther) {
  testing::FillBank(*bank_, {{"a", "問1", "答1"}});
  platform_.AddFile(kSettingsPath, "FMU:True\r\nKMU:True\r\nHST:True\r\n1P40:False\r\n");
  InDialog([&](UserForm1& f) {
    EXPECT_FALSE(f.CBox.value()) << "the one loaded last wins";
    EXPECT_TRUE(f.CheckBox1.value());
    EXPECT_TRUE(f.CheckBox2.value());
    EXPECT_FALSE(f.TB1.value());
    EXPECT_EQ(f.TB1.caption(), "１ページ  ２０問で作成");
    const model::SelectionOptions& options = body().generation.options;
    EXPECT_FALSE(options.ignore_wrong_count);
    EXPECT_TRUE(options.exclude_already_set);
    EXPECT_TRUE(options.consider_must_appear);
    f.Toggle(f.CBox);
    EXPECT_FALSE(f.CheckBox1.value());
    EXPECT_TRUE(options.ignore_wrong_count);
    EXPECT_FALSE(options.exclude_already_set);
    f.Toggle(f.CheckBox1);
    EXPECT_FALSE(f.CBox.value());
    EXPECT_FALSE(options.ignore_wrong_count);
    f.Toggle(f.CheckBox2);
    EXPECT_FALSE(options.consider_must_appear);
    EXPECT_TRUE(f.CheckBox1.value()) << "the must-appear option is independent";
    f.Toggle(f.TB1);
    EXPECT_TRUE(body().use_sheet40);
    EXPECT_EQ(f.TB1.caption(), "１ページ  ４０問で作成");
  });
}

TEST_F(UserForm1Test, LeavingABoxWithABadNumberKeepsTheFocusThere) {
  testing::FillBank(*bank_, {{"a", "問1", "答1"}, {"b", "問2", "答2"}});
  struct Case {
    host::TextBox UserForm1::*box;
    const char* text;
    const char* message;  // nullptr: accepted
  };
  const Case cases[] = {
      {&UserForm1::T2, "1", "2以上の整数を入力して下さい。 "},
      {&UserForm1::T1, "0", "1以上の整数を入力して下さい。 "},
      {&UserForm1::T3, "abc", "1以上の整数を入力して下さい。 "},
      {&UserForm1::T4, "", "1以上の整数を入力して下さい。 "},
      {&UserForm1::T4, "0000", "1以上の整数を入力して下さい。 "},
      {&UserForm1::T1, "99999999999", "1以上の整数を入力して下さい。 "},
      {&UserForm1::T2, "1.5", "2以上の整数を入力して下さい。 "},
      {&UserForm1::T2, "2.5", nullptr},
      {&UserForm1::T3, "１２", nullptr},
  };
  for (const Case& c : cases) {
    InDialog([&](UserForm1& f) {
      host::TextBox& box = f.*c.box;
      f.Type(box, c.text);
      const bool left = f.MoveFocus(f.CommandButton3);
      EXPECT_EQ(left, c.message == nullptr) << c.text;
      if (c.message) {
        EXPECT_EQ(f.focused(), &box);
      }
      f.Type(box, "5");  // leave it valid for the close box
    });
    std::vector<MessageRecord> messages = ui_.TakeMessages();
    if (c.message) {
      ASSERT_EQ(messages.size(), 1u) << c.text;
      EXPECT_EQ(messages[0], (MessageRecord{c.message, host::MessageButtons::kOk, std::nullopt}));
      EXPECT_EQ(messages[0].kind, host::MessageKind::kRefused) << c.text;
    } else {
      EXPECT_TRUE(messages.empty()) << c.text;
    }
  }
  EXPECT_EQ(Sheet(true), nullptr);
  EXPECT_EQ(Sheet(false), nullptr);
}

TEST_F(UserForm1Test, CreatingWithABoxThatHoldsNoNumberChangesNothing) {
  testing::FillBank(*bank_, {{"a", "問1", "答1"}, {"b", "問2", "答2"}});
  platform_.AddFile(kSettingsPath, "Mo:abc\r\nRND:xyz\r\n");
  InDialog([](UserForm1& f) { f.Press(f.CommandButton1); });
  InDialog([](UserForm1& f) {
    f.Type(f.T3, "3");
    f.Press(f.CommandButton1);
  });
  const std::vector<MessageRecord> expected{
      {"1以上の整数を入力して下さい。 ", host::MessageButtons::kOk, std::nullopt},
      {"1以上の整数を入力して下さい。 ", host::MessageButtons::kOk, std::nullopt},
  };
  EXPECT_EQ(ui_.TakeMessages(), expected);
  EXPECT_EQ(Sheet(true), nullptr);
  EXPECT_EQ(SettingsFile(), "Mo:abc\r\nRND:xyz\r\n");
}

TEST_F(UserForm1Test, RandomCodesAreFourDigitsAndNotStoredUntilUsed) {
  testing::FillBank(*bank_, {{"a", "問1", "答1"}});
  InDialog([](UserForm1& f) {
    for (int i = 0; i < 20; ++i) {
      f.Press(f.CommandButton4);
      EXPECT_TRUE(std::regex_match(f.T4.value(), std::regex("[0-9]{4}"))) << f.T4.value();
    }
  });
  EXPECT_FALSE(SettingsFile().has_value());
}

TEST_F(UserForm1Test, ResetSetsTheRangeToTheWholeBankOfTheLastScan) {
  testing::FillBank(*bank_, {{"a", "問1", "答1"}, {"b", "問2", "答2"}});
  InDialog([&](UserForm1& f) {
    f.Type(f.T1, "2");
    f.Type(f.T2, "9");
    f.Type(f.T3, "7");
    bank_->Range("C3").SetValue("c");  // the bank grows behind the dialog's back
    bank_->Range("D3").SetValue("問3");
    f.Press(f.CommandButton3);
    EXPECT_EQ(f.T1.value(), "1");
    EXPECT_EQ(f.T2.value(), "2") << "the count of the last scan";
    EXPECT_EQ(f.T3.value(), "7") << "nothing else changes";
  });
}

TEST_F(UserForm1Test, CloseWritesEveryKeyInOrderAndTheCloseBoxNone) {
  testing::FillBank(*bank_, {{"a", "問1", "答1"}});
  InDialog([](UserForm1&) {});  // the close box
  EXPECT_FALSE(SettingsFile().has_value());
  InDialog([](UserForm1& f) {
    f.Type(f.T3, "30");
    f.Type(f.T4, "0815");
    f.Toggle(f.CheckBox2);
    f.Press(f.CommandButton2);
    EXPECT_FALSE(f.loaded());
  });
  EXPECT_EQ(SettingsFile(),
            "ST:1\r\nED:1\r\nMo:30\r\nRND:0815\r\nFMU:False\r\nKMU:False\r\nHST:True\r\n"
            "1P40:True\r\n");
}

// The dialog's choices are stored in one write each time, never half of them.
TEST_F(UserForm1Test, CreatingAndClosingWriteTheSettingsFileOnceEach) {
  testing::FillBank(*bank_, {{"a", "問1", "答1"}, {"b", "問2", "答2"}});
  TakeWrites();
  InDialog([this](UserForm1& f) {
    f.Type(f.T4, "77");
    f.Press(f.CommandButton1);
    EXPECT_EQ(TakeWrites(), 1) << "作成";
    f.Press(f.CommandButton2);
    EXPECT_EQ(TakeWrites(), 1) << "閉じる";
  });
  EXPECT_EQ(SettingsFile(),
            "RND:77\r\nFMU:False\r\nKMU:False\r\nHST:False\r\n1P40:True\r\nST:1\r\nED:2\r\n"
            "Mo:40\r\n");
}

}  // namespace
}  // namespace tarquel::testgen
