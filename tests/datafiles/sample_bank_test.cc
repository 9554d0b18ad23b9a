// The sample question bank's text: what the embedded sample holds, and how the reader takes a
// text apart or refuses it.
#include "datafiles/sample_bank.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "datafiles/sample_bank_text.h"
#include "host/host_error.h"
#include "host/utf16.h"
#include "model/bank_sheet.h"
#include "model/test_sheet.h"

namespace tarquel::datafiles {
namespace {

std::u32string Decode(std::string_view text) {
  std::u32string decoded;
  for (std::size_t pos = 0; pos < text.size();) decoded += host::DecodeUtf8(text, &pos);
  return decoded;
}

bool IsKatakana(char32_t c) { return (c >= U'ァ' && c <= U'ヶ') || c == U'ー'; }
bool IsHiragana(char32_t c) { return c >= U'ぁ' && c <= U'ゖ'; }
bool IsKanji(char32_t c) { return (c >= 0x4E00 && c <= 0x9FFF) || c == U'々'; }

template <typename Predicate>
bool AllOf(const std::u32string& text, Predicate predicate) {
  return !text.empty() && std::all_of(text.begin(), text.end(), predicate);
}

// An answer split into its kanji and the kana that follow them (okurigana).
struct Spelling {
  std::u32string kanji;
  std::u32string okurigana;
};

Spelling SplitAnswer(const std::string& answer) {
  const std::u32string text = Decode(answer);
  const auto kana = std::find_if_not(text.begin(), text.end(), IsKanji);
  return {std::u32string(text.begin(), kana), std::u32string(kana, text.end())};
}

// Consecutive questions with the same group mark, as the bank scan groups them.
struct Group {
  std::string mark;
  std::vector<const SampleQuestion*> rows;
};

std::vector<Group> GroupsOf(const std::vector<SampleQuestion>& questions) {
  std::vector<Group> groups;
  for (const SampleQuestion& question : questions) {
    if (groups.empty() || groups.back().mark != question.group_mark) {
      groups.push_back({question.group_mark, {}});
    }
    groups.back().rows.push_back(&question);
  }
  return groups;
}

class SampleBankTest : public ::testing::Test {
 protected:
  const std::vector<SampleQuestion> questions_ = ParseSampleBank(SampleBankText());
  const std::vector<Group> groups_ = GroupsOf(questions_);
};

TEST_F(SampleBankTest, TheEmbeddedTextIsTheDataFileByteForByte) {
  // The build cuts the file into literals; a piece lost or cut twice would still parse.
  const char* tests = std::getenv("TARQUEL_TESTDATA");
  ASSERT_NE(tests, nullptr) << "TARQUEL_TESTDATA is not set";
  std::ifstream file(std::string(tests) + "/../data/sample_bank.tsv", std::ios::binary);
  ASSERT_TRUE(file.good());
  std::stringstream bytes;
  bytes << file.rdbuf();
  EXPECT_EQ(SampleBankText(), bytes.str());
}

TEST_F(SampleBankTest, TheSampleIsLargeEnoughAndHoldsBothKindsOfHomophone) {
  EXPECT_GE(questions_.size(), 150u);
  EXPECT_GE(groups_.size(), 60u);
  int on_groups = 0, kun_groups = 0;
  for (const Group& group : groups_) {
    const std::u32string word = Decode(group.rows.front()->Word());
    on_groups += AllOf(word, IsKatakana);
    kun_groups += AllOf(word, IsHiragana);
  }
  EXPECT_GE(on_groups, 20);
  EXPECT_GE(kun_groups, 20);
}

TEST_F(SampleBankTest, EachGroupIsOneShortRunThatSetsKanjiAgainstEachOther) {
  std::set<std::string> marks_seen;
  for (const Group& group : groups_) {
    SCOPED_TRACE(group.mark + " from line " + std::to_string(group.rows.front()->line));
    EXPECT_TRUE(marks_seen.insert(group.mark).second) << "the mark is used again further down";
    EXPECT_LE(group.rows.size(), static_cast<std::size_t>(model::kSlotsPerBand));
    std::set<std::u32string> spellings;
    for (const SampleQuestion* row : group.rows) spellings.insert(SplitAnswer(row->answer).kanji);
    EXPECT_GE(spellings.size(), 2u) << "a homophone group sets different kanji side by side";
    for (const SampleQuestion* row : group.rows) {
      EXPECT_EQ(row->source_memo, group.rows.front()->source_memo) << "line " << row->line;
      EXPECT_EQ(row->times_set, group.rows.front()->times_set)
          << "line " << row->line << ": a group is always set whole";
    }
  }
}

TEST_F(SampleBankTest, EachUnderlinedWordIsTheKanaOfItsAnswer) {
  for (const SampleQuestion& question : questions_) {
    SCOPED_TRACE("line " + std::to_string(question.line) + ": " + question.sentence);
    const std::u32string word = Decode(question.Word());
    const Spelling answer = SplitAnswer(question.answer);
    ASSERT_FALSE(word.empty());
    EXPECT_EQ(host::Utf16Length(question.Word()), question.word_length);
    EXPECT_FALSE(answer.kanji.empty()) << question.answer;
    if (AllOf(word, IsKatakana)) {
      // On-readings: the whole word is written in kanji, and it is the group's reading.
      EXPECT_EQ(question.source_memo, "同音");
      EXPECT_TRUE(answer.okurigana.empty()) << question.answer;
      EXPECT_EQ(question.Word(), question.group_mark);
    } else {
      // Kun-readings: the kanji replace the stem and the okurigana stay, and the stem's
      // reading begins the group's reading (its dictionary form).
      ASSERT_TRUE(AllOf(word, IsHiragana)) << question.Word();
      EXPECT_EQ(question.source_memo, "同訓");
      ASSERT_TRUE(AllOf(answer.okurigana, IsHiragana)) << question.answer;
      ASSERT_GT(word.size(), answer.okurigana.size());
      EXPECT_TRUE(word.ends_with(answer.okurigana)) << question.answer;
      const std::u32string stem = word.substr(0, word.size() - answer.okurigana.size());
      EXPECT_TRUE(Decode(question.group_mark).starts_with(stem)) << question.group_mark;
    }
  }
}

TEST_F(SampleBankTest, NoSentenceStandsTwice) {
  // Review commands find a question's bank row by its sentence; a twin would hide a row.
  std::set<std::string> sentences;
  for (const SampleQuestion& question : questions_) {
    EXPECT_TRUE(sentences.insert(question.sentence).second)
        << "line " << question.line << ": " << question.sentence;
  }
}

TEST_F(SampleBankTest, TheMarksGiveAFirstTestSomethingToScore) {
  int wrong_groups = 0, must_rows = 0, set_groups = 0, fresh_groups = 0;
  for (const Group& group : groups_) {
    bool wrong = false;
    for (const SampleQuestion* row : group.rows) {
      for (const std::string& mark : row->attempts) {
        EXPECT_TRUE(model::IsWrongMark(mark)) << "line " << row->line << ": " << mark;
      }
      EXPECT_LE(static_cast<int>(row->attempts.size()), row->times_set.value_or(0))
          << "line " << row->line << ": answered wrongly more often than it was set";
      wrong = wrong || !row->attempts.empty();
      must_rows += row->must_appear;
    }
    wrong_groups += wrong;
    (group.rows.front()->times_set.value_or(0) > 0 ? set_groups : fresh_groups) += 1;
  }
  EXPECT_GE(wrong_groups, 3);
  EXPECT_GE(must_rows, 2);
  EXPECT_GE(set_groups, 3);
  EXPECT_GE(fresh_groups, 40) << "excluding the questions already set still leaves a test";
}

TEST(SampleBankReaderTest, ReadsEveryColumnAndCountsTheWordInUtf16Units) {
  const std::vector<SampleQuestion> questions = ParseSampleBank(
      "# a comment\r\n"
      "\r\n"
      "同音\t教科書\tカイ\t𩸽を〔カイ〕で。\t貝\tX,Ｘ\t貝：かい\t3\t必出\r\n"
      "同訓\t\tあう\t友達に〔あう〕。\t会う\t\t\t\t\n");
  ASSERT_EQ(questions.size(), 2u);
  const SampleQuestion& first = questions[0];
  EXPECT_EQ(first.line, 3);
  EXPECT_EQ(first.source_memo, "同音");
  EXPECT_EQ(first.second_memo, "教科書");
  EXPECT_EQ(first.group_mark, "カイ");
  EXPECT_EQ(first.sentence, "𩸽をカイで。");
  EXPECT_EQ(first.word_start, 3u) << "the fish outside the basic plane counts two units";
  EXPECT_EQ(first.word_length, 2u);
  EXPECT_EQ(first.Word(), "カイ");
  EXPECT_EQ(first.answer, "貝");
  EXPECT_EQ(first.attempts, (std::vector<std::string>{"X", "Ｘ"}));
  EXPECT_EQ(first.remarks, "貝：かい");
  EXPECT_EQ(first.times_set, 3);
  EXPECT_TRUE(first.must_appear);
  const SampleQuestion& second = questions[1];
  EXPECT_EQ(second.line, 4);
  EXPECT_EQ(second.word_start, 3u);
  EXPECT_TRUE(second.attempts.empty());
  EXPECT_EQ(second.times_set, std::nullopt);
  EXPECT_FALSE(second.must_appear);
}

TEST(SampleBankReaderTest, ABrokenLineIsRefusedByNumberAndReason) {
  const std::string good = "同音\t\tカ\t〔カ〕だ。\t可\t\t\t\t\n";
  const struct {
    std::string text;
    int line;
    std::string reason;
  } cases[] = {
      {"同音\t\tカ\t〔カ〕だ。\t可\t\t\t\n", 1, "列が 9 個ではなく 8 個"},
      {"# note\n\n" + good + "同音\t\tカ\t〔カ〕だ。\t可\t\t\t\t\t\n", 4, "9 個ではなく 10 個"},
      {"同音\t\tカ\tカだ。\t可\t\t\t\t\n", 1, "〔 〕で囲んだ語がありません"},
      {good + "同音\t\tカ\t〔カだ。\t可\t\t\t\t\n", 2, "組になっていません"},
      {"同音\t\tカ\t〕カ〔だ。\t可\t\t\t\t\n", 1, "組になっていません"},
      {"同音\t\tカ\t〔カ〕と〔カ〕\t可\t\t\t\t\n", 1, "一組だけ"},
      {"同音\t\tカ\t〔〕だ。\t可\t\t\t\t\n", 1, "中が空"},
      {"同音\t\t\t〔カ〕だ。\t可\t\t\t\t\n", 1, "C 列"},
      {"同音\t\tカ\t〔カ〕だ。\t\t\t\t\t\n", 1, "E 列"},
      {"同音\t\tカ\t〔カ〕だ。\t可\tX,,X\t\t\t\n", 1, "空のもの"},
      {"同音\t\tカ\t〔カ〕だ。\t可\tX,X,X,X,X,X,X,X,X,X,X\t\t11\t\n", 1, "10 個まで"},
      {"同音\t\tカ\t〔カ〕だ。\t可\t\t\t2回\t\n", 1, "「2回」は 0 以上の整数ではありません"},
      {"同音\t\tカ\t〔カ〕だ。\t可\t\t\t-1\t\n", 1, "Q 列"},
      {"同音\t\tカ\t〔カ〕だ。\t可\t\t\t\t必須\n", 1, "「必須」は使えません"},
      {good + good + "同音\t\tカ\t〔カ〕\xff\t可\t\t\t\t\n", 3, "UTF-8"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      ParseSampleBank(c.text);
      ADD_FAILURE() << "accepted";
    } catch (const host::HostError& error) {
      EXPECT_NE(error.description().find(" " + std::to_string(c.line) + " 行目"), std::string::npos)
          << error.description();
      EXPECT_NE(error.description().find(c.reason), std::string::npos) << error.description();
    }
  }
}

TEST(SampleBankReaderTest, ATextWithoutQuestionsIsNoBank) {
  for (const char* text : {"", "# only a comment\n\n"}) {
    try {
      ParseSampleBank(text);
      ADD_FAILURE() << "accepted: " << text;
    } catch (const host::HostError& error) {
      EXPECT_NE(error.description().find("１題もありません"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace tarquel::datafiles
