// What the last bank scan and the last test generation found, kept in the module state while
// the library is loaded: the bank's question groups and their scores, the groups chosen and
// their order, the counts, the selection options, and the random generator's state.
#ifndef TARQUEL_MODEL_GENERATION_STATE_H_
#define TARQUEL_MODEL_GENERATION_STATE_H_

#include <cstdint>
#include <vector>

namespace tarquel::model {

// A run of consecutive bank rows with the same group mark.
struct QuestionGroup {
  int32_t first_row = 0;
  int32_t row_count = 0;
};

struct SelectionOptions {
  bool ignore_wrong_count = false;    // IgnoreWrongCount
  bool exclude_already_set = false;   // ExcludeAlreadySet
  bool consider_must_appear = false;  // ConsiderMustAppear
};

struct GenerationState {
  // GroupTable and GroupScore: entry g - 1 describes group g.
  std::vector<QuestionGroup> groups;
  std::vector<int32_t> scores;
  int32_t bank_group_count = 0;
  // Group numbers in test order; entry 0 is unused, as positions count from 1.
  std::vector<int32_t> selected_groups{0};
  int32_t eligible_group_count = 0;
  int32_t requested_group_count = 0;
  int32_t set_group_count = 0;
  int32_t test_page_count = 0;
  SelectionOptions options;
  uint64_t random_state = 0;  // the generator continues from selection into placement
};

}  // namespace tarquel::model

#endif  // TARQUEL_MODEL_GENERATION_STATE_H_
