// The one table of macro names: every macro has a name the host finds it by, no two share one,
// and the workbook's macro table, the menu and the shortcut keys name macros from it.
#include "shell/macro_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "macros/data_workbook_macros.h"
#include "shell/menu.h"

namespace tarquel::shell {
namespace {

TEST(MacroNamesTest, EachMacroIsFoundByItsOwnNameAndNoOther) {
  std::set<std::string> names;
  for (const MacroId id : kAllMacros) {
    const std::string name = MacroName(id);
    EXPECT_TRUE(name.starts_with("M_")) << name;
    EXPECT_TRUE(names.insert(name).second) << name << " names two macros";
    EXPECT_EQ(MacroNamed(name), id) << name;
  }
  EXPECT_EQ(names.size(), kAllMacros.size());
  // The host matches a macro's name exactly.
  for (const char* name : {"m_START", "M_START ", "M_", "", "START", "M_Command3"}) {
    EXPECT_FALSE(MacroNamed(name).has_value()) << '"' << name << '"';
  }
}

TEST(MacroNamesTest, TheWorkbookHoldsEveryMacroInOrderAndTheMenuNamesOnlyThose) {
  const auto macros = app::DataWorkbookMacros();
  ASSERT_EQ(macros.size(), kAllMacros.size());
  for (std::size_t i = 0; i < macros.size(); ++i) {
    EXPECT_STREQ(macros[i].name, MacroName(kAllMacros[i]));
  }
  for (const MenuEntry& entry : MenuEntries()) {
    EXPECT_TRUE(MacroNamed(entry.macro).has_value()) << entry.caption;
  }
  for (const ShortcutEntry& entry : ShortcutEntries()) {
    EXPECT_TRUE(MacroNamed(entry.macro).has_value()) << entry.letter;
  }
}

}  // namespace
}  // namespace tarquel::shell
