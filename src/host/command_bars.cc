#include "host/command_bars.h"

#include <algorithm>
#include <cctype>

#include "host/host_error.h"

namespace tarquel::host {

CommandBarControls::~CommandBarControls() = default;

CommandBarControl& CommandBarControls::Item(int index) {
  if (index < 1 || index > Count()) {
    ThrowInvalidCall("コマンド バーのコントロール番号 " + std::to_string(index) +
                     " はありません（1 から " + std::to_string(Count()) + "）。");
  }
  return *controls_[index - 1];
}

CommandBarControl& CommandBarControls::Item(const std::string& caption) {
  for (auto& control : controls_) {
    if (control->caption() == caption) return *control;
  }
  ThrowInvalidCall("コマンド バーに「" + caption + "」というコントロールはありません。");
}

CommandBarControl& CommandBarControls::Add(ControlType type, std::optional<int> before) {
  const int position = before.value_or(Count() + 1);
  if (position < 1 || position > Count() + 1) {
    ThrowInvalidCall("コントロールを追加する位置 " + std::to_string(position) +
                     " が正しくありません。");
  }
  return Insert(type, position, /*built_in=*/false);
}

CommandBarControl& CommandBarControls::Insert(ControlType type, int position, bool built_in) {
  auto control = std::make_unique<CommandBarControl>(type, built_in);
  CommandBarControl& added = *control;
  controls_.insert(controls_.begin() + (position - 1), std::move(control));
  return added;
}

CommandBarControl::CommandBarControl(ControlType type, bool built_in)
    : type_(type), built_in_(built_in) {}

CommandBarControls& CommandBarControl::Controls() {
  if (type_ != ControlType::kPopup) {
    ThrowApplicationDefined("ボタン「" + caption_ + "」にはサブメニューがありません。");
  }
  return controls_;
}

CommandBar::CommandBar(std::string name, std::vector<std::string> built_in_captions)
    : name_(std::move(name)), built_in_captions_(std::move(built_in_captions)) {
  Reset();
}

void CommandBar::Reset() {
  controls_.controls_.clear();
  for (const std::string& caption : built_in_captions_) {
    controls_.Insert(ControlType::kButton, controls_.Count() + 1, /*built_in=*/true)
        .SetCaption(caption);
  }
}

namespace {

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

CommandBars::CommandBars() {
  // The host's own cell context menu.
  bars_.push_back(std::make_unique<CommandBar>(
      "Cell", std::vector<std::string>{"切り取り(&T)", "コピー(&C)", "貼り付け(&P)",
                                       "形式を選択して貼り付け(&S)...", "挿入(&I)...",
                                       "削除(&D)...", "数式と値のクリア(&N)", "コメントの挿入(&M)",
                                       "セルの書式設定(&F)...", "ふりがなの表示(&S)"}));
}

CommandBar& CommandBars::Item(const std::string& name) {
  for (auto& bar : bars_) {
    if (EqualsIgnoringCase(bar->name(), name)) return *bar;
  }
  ThrowInvalidCall("コマンド バー「" + name + "」はありません。");
}

}  // namespace tarquel::host
