// The names of the two test sheets; which one is in use follows the add-in state's
// use_sheet40.
#ifndef TARQUEL_MODEL_TEST_SHEET_H_
#define TARQUEL_MODEL_TEST_SHEET_H_

#include <string_view>

namespace tarquel::model {

inline constexpr char kTestSheet40Name[] = "テスト用紙 【40】";
inline constexpr char kTestSheet20Name[] = "テスト用紙 【20】";

inline constexpr std::string_view TestSheetName(bool use_sheet40) {
  return use_sheet40 ? kTestSheet40Name : kTestSheet20Name;
}

}  // namespace tarquel::model

#endif  // TARQUEL_MODEL_TEST_SHEET_H_
