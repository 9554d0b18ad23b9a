// The add-in's entries in the host: its popup at the head of the cell context menu and the
// shortcut keys of its macros. The tables are the add-in's fixed command surface.
#ifndef TARQUEL_SHELL_MENU_H_
#define TARQUEL_SHELL_MENU_H_

#include <optional>
#include <span>

namespace tarquel::host {
class Application;
}

namespace tarquel::shell {

inline constexpr char kPopupCaption[] = "ミラヴォ 同音・同訓(&D)";

struct MenuEntry {
  const char* caption;
  const char* macro;
  std::optional<int> face_id;
  bool begin_group;
};

struct ShortcutEntry {
  const char* letter;
  const char* macro;
};

// The popup's thirteen buttons, in menu order.
std::span<const MenuEntry> MenuEntries();
// The thirteen shortcut keys, in the order they are registered.
std::span<const ShortcutEntry> ShortcutEntries();

// Resets the cell context menu (removing an earlier popup), starts a group at its first entry
// and puts the popup with its buttons first.
void InstallMenu(host::Application& app);
// Restores the host's own cell context menu.
void RemoveMenu(host::Application& app);
void RegisterShortcutKeys(host::Application& app);

}  // namespace tarquel::shell

#endif  // TARQUEL_SHELL_MENU_H_
