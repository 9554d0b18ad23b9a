// The host's command bars, of which the add-in uses the cell context menu ("cell"): its
// controls can be looked up by position or caption, added (buttons and popups) and the whole
// bar reset to the host's own entries. Front ends present these menus.
#ifndef TARQUEL_HOST_COMMAND_BARS_H_
#define TARQUEL_HOST_COMMAND_BARS_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarquel::host {

enum class ControlType { kButton = 1, kPopup = 10 };

class CommandBarControl;

// The controls of a bar or a popup, 1-based as in the host.
class CommandBarControls {
 public:
  CommandBarControls() = default;
  CommandBarControls(const CommandBarControls&) = delete;
  CommandBarControls& operator=(const CommandBarControls&) = delete;
  ~CommandBarControls();

  int Count() const { return static_cast<int>(controls_.size()); }
  // REQUIRES nothing: an index out of 1..Count() is a host run-time error.
  CommandBarControl& Item(int index);
  // The first control whose caption equals `caption` exactly; a run-time error when none.
  CommandBarControl& Item(const std::string& caption);
  // Adds a control at position `before` (1..Count()+1), or at the end when absent.
  CommandBarControl& Add(ControlType type, std::optional<int> before = std::nullopt);

 private:
  friend class CommandBar;  // resets its controls to the host's own

  CommandBarControl& Insert(ControlType type, int position, bool built_in);

  std::vector<std::unique_ptr<CommandBarControl>> controls_;
};

class CommandBarControl {
 public:
  CommandBarControl(ControlType type, bool built_in);

  ControlType type() const { return type_; }
  bool built_in() const { return built_in_; }
  const std::string& caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  std::optional<int> face_id() const { return face_id_; }
  void SetFaceId(int id) { face_id_ = id; }
  const std::string& on_action() const { return on_action_; }
  void SetOnAction(std::string macro) { on_action_ = std::move(macro); }
  bool begin_group() const { return begin_group_; }
  void SetBeginGroup(bool value) { begin_group_ = value; }
  // The controls of a popup; a run-time error for a button.
  CommandBarControls& Controls();
  const CommandBarControls* controls_if_popup() const {
    return type_ == ControlType::kPopup ? &controls_ : nullptr;
  }

 private:
  ControlType type_;
  bool built_in_;
  std::string caption_;
  std::optional<int> face_id_;
  std::string on_action_;
  bool begin_group_ = false;
  CommandBarControls controls_;
};

class CommandBar {
 public:
  CommandBar(std::string name, std::vector<std::string> built_in_captions);

  const std::string& name() const { return name_; }
  CommandBarControls& Controls() { return controls_; }
  const CommandBarControls& Controls() const { return controls_; }
  // Back to the host's own entries: whatever was added or changed is gone.
  void Reset();

 private:
  std::string name_;
  std::vector<std::string> built_in_captions_;
  CommandBarControls controls_;
};

class CommandBars {
 public:
  CommandBars();
  // The bar of that name ("cell"; letter case is ignored); a run-time error when none.
  CommandBar& Item(const std::string& name);

 private:
  std::vector<std::unique_ptr<CommandBar>> bars_;
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_COMMAND_BARS_H_
