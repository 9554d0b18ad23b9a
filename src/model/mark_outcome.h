// What the last marking command (a wrong answer or a must-appear flag) did, kept in the module
// state so that a front end can tell the user which bank row was marked, or why nothing was:
// several of the command's stops are silent in the host.
#ifndef TARQUEL_MODEL_MARK_OUTCOME_H_
#define TARQUEL_MODEL_MARK_OUTCOME_H_

#include <cstdint>

namespace tarquel::model {

struct MarkOutcome {
  enum class Kind {
    kNone,          // the command stopped at a message of its own (or has not run)
    kMarked,        // "X" written into `attempt` of `bank_row`, or 必出 set on it
    kAttemptsFull,  // all ten attempt columns of `bank_row` hold a mark: nothing recorded
    kBeyondSlots,   // the cell is right of the test sheet's question columns
    kEmptySlot,     // the test sheet's question cell is empty
    kEmptyBankRow,  // the bank row `bank_row` holds no question
  };

  Kind kind = Kind::kNone;
  int32_t bank_row = 0;
  int32_t attempt = 0;  // 1..10 for a wrong answer marked; 0 for a must-appear flag
};

}  // namespace tarquel::model

#endif  // TARQUEL_MODEL_MARK_OUTCOME_H_
