// Every key of the settings file with the default its readers pass. Values are text; Booleans
// are "True" or "False".
#ifndef TARQUEL_SETTINGS_KEYS_H_
#define TARQUEL_SETTINGS_KEYS_H_

#include <array>

namespace tarquel::settings {

struct Key {
  const char* name;
  const char* default_value;
};

// The test creation dialog.
inline constexpr Key kFirstGroup{"ST", "1"};
inline constexpr Key kLastGroup{"ED", "1"};
inline constexpr Key kGroupCount{"Mo", "40"};
inline constexpr Key kRandomCode{"RND", "1234"};
inline constexpr Key kIgnoreWrongCounts{"FMU", "False"};
inline constexpr Key kExcludeSetQuestions{"KMU", "False"};
inline constexpr Key kHonourMustAppear{"HST", "False"};
inline constexpr Key kUseSheet40{"1P40", "True"};

// Paper geometry of the 40-question sheet (rows by their place in the page; widths).
inline constexpr Key kNumberRow40{"No", "20"};
inline constexpr Key kQuestionRow40{"Qs", "190"};
inline constexpr Key kAnswerRow40{"As", "90"};
inline constexpr Key kBandSpacer40{"Bi1", "18"};
inline constexpr Key kPageFoot40{"Bi2", "10.5"};
inline constexpr Key kSlotWidth40{"C1", "6.4"};
inline constexpr Key kSideWidth40{"C2", "7.0"};

// Paper geometry of the 20-question sheet; it has no spacer between bands.
inline constexpr Key kNumberRow20{"No20", "20"};
inline constexpr Key kQuestionRow20{"Qs20", "353"};
inline constexpr Key kAnswerRow20{"As20", "243"};
inline constexpr Key kPageFoot20{"Bi2-20", "11.25"};
inline constexpr Key kSlotWidth20{"C1-20", "6.4"};
inline constexpr Key kSideWidth20{"C2-20", "7.0"};

// The column-width routine passes "7" for the side columns: the same number as "7.0".
inline constexpr char kSideWidthDefaultForColumns[] = "7";

// Recently closed data workbooks, most recent first.
inline constexpr std::array<Key, 5> kHistory{{
    {"PATH1", ""},
    {"PATH2", ""},
    {"PATH3", ""},
    {"PATH4", ""},
    {"PATH5", ""},
}};

}  // namespace tarquel::settings

#endif  // TARQUEL_SETTINGS_KEYS_H_
