// The generation that 作成 runs once the dialog's numbers are read: the test sheet made
// ready, the range and count clamped to the bank, the bank scanned and scored, the groups
// chosen and ordered, bands and pages counted, and the test written.
#ifndef TARQUEL_TESTGEN_GENERATE_H_
#define TARQUEL_TESTGEN_GENERATE_H_

#include <cstdint>

namespace tarquel::model {
struct Body;
}

namespace tarquel::testgen {

// The dialog's numbers, rounded: the range of groups and how many to set.
struct GroupRequest {
  int32_t first = 1;
  int32_t last = 1;
  int32_t count = 1;
};

// A group of more than 20 questions fits no band. Returns false, after telling the user which
// group it is, when the range `request` comes to (clamped to the bank as Generate clamps it)
// holds one in the last scan; nothing has been changed then. Groups outside the range do not
// matter. The last scan describes the groups Generate will find: while the dialog is open only
// a generation changes the bank, and only its times-set counts.
bool CheckGroupSizes(model::Body& body, const GroupRequest& request);

// Returns false, after telling the user which setting it is, when a row height or column width
// stored for the test sheet in use is one the host would refuse to apply; nothing has been
// changed then.
bool CheckPaperSettings(model::Body& body);

// Makes the test. Returns false when no group can be set (the user is told; the sheet keeps
// its previous test and the bank is untouched).
bool Generate(model::Body& body, const GroupRequest& request);

}  // namespace tarquel::testgen

#endif  // TARQUEL_TESTGEN_GENERATE_H_
