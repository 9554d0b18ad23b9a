// The sample question bank as text: one question a line, nine fields separated by tabs in the
// order of the bank's columns (A, B, C, D, E, the attempt marks F..O joined by commas, P, Q,
// R). In the sentence the word to be written stands between 〔 and 〕, brackets that a question
// sentence never holds; they are not part of the cell text, the word is underlined instead.
// Lines that start with '#' and empty lines are skipped; line ends may be LF or CR LF.
//
// The sample workbook's builder reads the embedded text (sample_bank_text.h) through this.
#ifndef TARQUEL_DATAFILES_SAMPLE_BANK_H_
#define TARQUEL_DATAFILES_SAMPLE_BANK_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarquel::datafiles {

// One question of the sample, as its bank row holds it.
struct SampleQuestion {
  int line = 0;                       // the text's line it came from, from 1
  std::string source_memo;            // A
  std::string second_memo;            // B
  std::string group_mark;             // C, not empty
  std::string sentence;               // D without the brackets, not empty
  uint32_t word_start = 0;            // the underlined word: its first UTF-16 unit in D, from 0
  uint32_t word_length = 0;           // and its length in UTF-16 units, above 0
  std::string answer;                 // E, not empty
  std::vector<std::string> attempts;  // F, G, ...: at most 10 marks, none empty
  std::string remarks;                // P
  std::optional<int> times_set;       // Q, 0 or more; nullopt leaves the cell empty
  bool must_appear = false;           // R holds "必出"

  // The underlined word of the sentence.
  std::string Word() const;
};

// The questions of `text` in order. Throws the host's run-time error when a line is not a
// question as described above, naming the line and what is wrong, or when the text holds no
// question at all.
std::vector<SampleQuestion> ParseSampleBank(std::string_view text);

}  // namespace tarquel::datafiles

#endif  // TARQUEL_DATAFILES_SAMPLE_BANK_H_
