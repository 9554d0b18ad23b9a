// The sample workbook: built through the host, saved as a file and opened again, it is a bank
// with every question of the text, and tests made from it set its questions by their marks.
#include "datafiles/sample_workbook.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "datafiles/sample_bank_text.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "host/xlsx/xlsx_files.h"
#include "model/bank_sheet.h"
#include "model/body.h"
#include "model/test_sheet.h"
#include "support/add_in_fixture.h"
#include "testgen/user_form1.h"

namespace tarquel::datafiles {
namespace {

// An underlined run of a cell's text: UTF-16 start and length, and its font's name.
struct Underlined {
  uint32_t start = 0;
  uint32_t length = 0;
  std::string font;

  bool operator==(const Underlined&) const = default;
};

void PrintTo(const Underlined& run, std::ostream* out) {
  *out << run.start << "+" << run.length << " " << run.font;
}

std::vector<Underlined> UnderlinedRuns(const host::Range& cell) {
  std::vector<Underlined> runs;
  const host::CellValue& value = cell.Value();
  if (!value.IsText() || value.text().format() == nullptr) return runs;
  for (const host::FontRun& run : value.text().format()->runs) {
    if (run.font && run.font->underline != host::Underline::kNone) {
      runs.push_back({run.start, run.length, run.font->name});
    }
  }
  return runs;
}

class SampleWorkbookTest : public testing::AddInTest {
 protected:
  static constexpr char kPath[] = "/home/user/Documents/sample.xlsx";

  SampleWorkbookTest() : files_(platform_) { app_.SetWorkbookFiles(&files_); }

  // Builds the sample, saves it, closes it and opens the file again.
  host::Workbook& SavedAndReopened() {
    host::Workbook& built = BuildSampleWorkbook(app_);
    files_.Save(built, kPath);
    app_.Workbooks().Close(built);
    return app_.Workbooks().Open(kPath);
  }

  const std::vector<SampleQuestion> questions_ = ParseSampleBank(SampleBankText());
  host::xlsx::XlsxFiles files_;
};

TEST_F(SampleWorkbookTest, TheSavedSampleOpensAsABankWithEveryQuestion) {
  host::Workbook& book = SavedAndReopened();
  EXPECT_EQ(book.SheetCount(), 1);
  EXPECT_EQ(model::LocateBankSheet(app_), model::kBankSheetBaseName);
  ui_.ExpectNoMessages();
  host::Worksheet& bank = book.ActiveSheet();
  for (std::size_t i = 0; i < questions_.size(); ++i) {
    const SampleQuestion& question = questions_[i];
    const auto row = static_cast<int32_t>(i + 1);
    SCOPED_TRACE("row " + std::to_string(row) + ": " + question.sentence);
    host::Range sentence = bank.Cells(row, model::kQuestion);
    EXPECT_EQ(sentence.Value().AsText(), question.sentence);
    EXPECT_EQ(
        UnderlinedRuns(sentence),
        (std::vector<Underlined>{{question.word_start, question.word_length, kSampleFontName}}));
    EXPECT_EQ(bank.Cells(row, model::kSourceMemo).Value().AsText(), question.source_memo);
    EXPECT_EQ(bank.Cells(row, model::kGroupMark).Value().AsText(), question.group_mark);
    EXPECT_EQ(bank.Cells(row, model::kAnswer).Value().AsText(), question.answer);
    const auto attempts = static_cast<int>(question.attempts.size());
    for (int k = 0; k < attempts; ++k) {
      EXPECT_EQ(bank.Cells(row, model::kFirstAttempt + k).Value().AsText(), question.attempts[k]);
    }
    EXPECT_TRUE(bank.Cells(row, model::kFirstAttempt + attempts).Value().IsEmpty());
    EXPECT_EQ(bank.Cells(row, model::kRemarks).Value().AsText(), question.remarks);
    const host::CellValue& times = bank.Cells(row, model::kTimesSet).Value();
    if (question.times_set) {
      ASSERT_TRUE(times.IsNumber()) << "a count the generator can add to";
      EXPECT_EQ(times.number(), *question.times_set);
    } else {
      EXPECT_TRUE(times.IsEmpty());
    }
    EXPECT_EQ(bank.Cells(row, model::kMustAppear).Value().AsText(),
              question.must_appear ? model::kMustAppearMark : "");
  }
  const auto after_last = static_cast<int32_t>(questions_.size() + 1);
  EXPECT_TRUE(bank.Cells(after_last, model::kQuestion).Value().IsEmpty());
}

TEST_F(SampleWorkbookTest, TheColumnsAndRowsAreLaidOutAsABlankBank) {
  host::Worksheet& bank = SavedAndReopened().ActiveSheet();
  const struct {
    const char* cell;
    double width;
    host::HorizontalAlignment horizontal;
  } columns[] = {
      {"C1", 4, host::HorizontalAlignment::kGeneral},
      {"D1", 40, host::HorizontalAlignment::kGeneral},
      {"E1", 15, host::HorizontalAlignment::kGeneral},
      {"F1", 4, host::HorizontalAlignment::kCenter},
      {"O300", 4, host::HorizontalAlignment::kCenter},
      {"P1", 50, host::HorizontalAlignment::kGeneral},
      {"Q1", 5, host::HorizontalAlignment::kCenter},
      {"R300", 5, host::HorizontalAlignment::kCenter},
  };
  for (const auto& column : columns) {
    SCOPED_TRACE(column.cell);
    host::Range cell = bank.Range(column.cell);
    EXPECT_DOUBLE_EQ(cell.ColumnWidth(), column.width);
    EXPECT_EQ(cell.HorizontalAlignment(), column.horizontal);
    EXPECT_EQ(cell.VerticalAlignment(), host::VerticalAlignment::kCenter);
  }
  EXPECT_DOUBLE_EQ(bank.Range("S1").ColumnWidth(), host::kDefaultColumnWidth);
  for (const char* cell : {"A1", "D200", "A65536"}) {
    EXPECT_DOUBLE_EQ(bank.Range(cell).RowHeight(), kSampleRowHeight) << cell;
  }
  // The test sheet takes the question's font with the cell and D1's for its answer rows.
  EXPECT_EQ(bank.Range("D1").Font().Name(), kSampleFontName);
  EXPECT_EQ(bank.Range("E1").Font().Name(), kSampleFontName);
}

// The options a user ticks in the test creation dialog before pressing 作成.
struct OptionCase {
  const char* name;
  bool exclude_already_set;   // 一度出題された問題を除く
  bool consider_must_appear;  // 「必出」問題を考慮する
};

void PrintTo(const OptionCase& c, std::ostream* out) { *out << c.name; }

class SampleTestMakingTest : public SampleWorkbookTest,
                             public ::testing::WithParamInterface<OptionCase> {
 protected:
  // What the text says of one group of the sample.
  struct GroupFacts {
    std::set<std::string> sentences;
    bool wrong = false;        // a row has wrong marks
    bool must_appear = false;  // a row is marked 必出
    bool already_set = false;  // a row has been set before
  };

  // The sample's groups in bank order, as the bank scan forms them.
  std::vector<GroupFacts> Groups() const {
    std::vector<GroupFacts> groups;
    const std::string* mark = nullptr;
    for (const SampleQuestion& question : questions_) {
      if (mark == nullptr || *mark != question.group_mark) groups.emplace_back();
      mark = &question.group_mark;
      GroupFacts& group = groups.back();
      group.sentences.insert(question.sentence);
      group.wrong = group.wrong || !question.attempts.empty();
      group.must_appear = group.must_appear || question.must_appear;
      group.already_set = group.already_set || question.times_set.value_or(0) > 0;
    }
    return groups;
  }
};

TEST_P(SampleTestMakingTest, ATestFromTheSampleSetsItsQuestionsByTheirMarks) {
  const OptionCase& options = GetParam();
  SavedAndReopened();
  StartUp();
  ui_.QueueFormScriptFor<testgen::UserForm1>([&](testgen::UserForm1& f) {
    // The dialog comes up with the whole bank as the range and 40 groups to set.
    if (f.CheckBox1.value() != options.exclude_already_set) f.Toggle(f.CheckBox1);
    if (f.CheckBox2.value() != options.consider_must_appear) f.Toggle(f.CheckBox2);
    EXPECT_TRUE(f.Press(f.CommandButton1));
  });
  Run("M_START");
  ui_.ExpectNoMessages();

  const std::vector<GroupFacts> groups = Groups();
  const model::GenerationState& state = body().generation;
  ASSERT_EQ(state.bank_group_count, static_cast<int32_t>(groups.size()));
  ASSERT_GT(state.set_group_count, 0);
  std::set<int32_t> chosen;
  std::multiset<std::string> expected_sentences;
  for (int32_t position = 1; position <= state.set_group_count; ++position) {
    const int32_t group = state.selected_groups[position];
    chosen.insert(group);
    const GroupFacts& facts = groups[group - 1];
    expected_sentences.insert(facts.sentences.begin(), facts.sentences.end());
    EXPECT_FALSE(options.exclude_already_set && facts.already_set) << "group " << group;
    EXPECT_FALSE(!options.consider_must_appear && facts.must_appear) << "group " << group;
  }
  for (int32_t group = 1; group <= static_cast<int32_t>(groups.size()); ++group) {
    const GroupFacts& facts = groups[group - 1];
    if (facts.must_appear && options.consider_must_appear) {
      EXPECT_TRUE(chosen.contains(group)) << "必出 group " << group << " comes first";
    }
    if (facts.wrong && !facts.must_appear && !options.exclude_already_set) {
      EXPECT_TRUE(chosen.contains(group)) << "group " << group << " with wrong answers";
    }
  }

  // The sheet holds exactly the chosen groups' questions, each with its word underlined.
  host::Worksheet* test = app_.ActiveWorkbook()->FindSheet(model::kTestSheet40Name);
  ASSERT_NE(test, nullptr);
  std::map<std::string, const SampleQuestion*> by_sentence;
  for (const SampleQuestion& question : questions_) by_sentence[question.sentence] = &question;
  std::multiset<std::string> on_sheet;
  test->ForEachUsedCell(
      {1, 1, test->RowCount(), model::kLastSlotColumn}, [&](const host::CellView& cell) {
        const auto found = by_sentence.find(cell.value().AsText());
        if (found == by_sentence.end()) return;
        on_sheet.insert(found->first);
        const SampleQuestion& question = *found->second;
        EXPECT_EQ(
            UnderlinedRuns(test->Cells(cell.row(), cell.column())),
            (std::vector<Underlined>{{question.word_start, question.word_length, kSampleFontName}}))
            << question.sentence;
      });
  EXPECT_EQ(on_sheet, expected_sentences);
}

INSTANTIATE_TEST_SUITE_P(Options, SampleTestMakingTest,
                         ::testing::Values(OptionCase{"defaults", false, false},
                                           OptionCase{"must_appear", false, true},
                                           OptionCase{"exclude_already_set", true, false}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace tarquel::datafiles
