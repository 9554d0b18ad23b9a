#include "shell/menu.h"

#include <array>

#include "host/application.h"
#include "shell/macro_names.h"

namespace tarquel::shell {

namespace {

constexpr std::array<MenuEntry, 13> kMenuEntries{{
    {"漢字テスト作成(&T)", MacroName(MacroId::kStart), 176, false},
    {"解答表示(&A)", MacroName(MacroId::kInPutAns), 329, true},
    {"解答消去(&D)", MacroName(MacroId::kAnsDel), 47, false},
    {"この問題は不正解です(&N)", MacroName(MacroId::kThisQSisNG), 276, true},
    {"この問題を必出とする(&H)", MacroName(MacroId::kThisQSisHitu), 675, false},
    {"問題へ飛ぶ(&J)", MacroName(MacroId::kGoJump), 1759, false},
    {"振り仮名編集(&E)", MacroName(MacroId::kEditFurigana), 3511, true},
    {"漢字重複チェック(&R)", MacroName(MacroId::kRepeatKanji), 2645, false},
    {"間違い数の報告(&Q)", MacroName(MacroId::kNgReport), 1786, false},
    {"必出問題の総数(&C)", MacroName(MacroId::kHituReport), 459, false},
    {"漢字の学年検索(&Z)", MacroName(MacroId::kCommand2), 11, true},
    {"用紙調整(&P)", MacroName(MacroId::kSetPaper), 109, true},
    {"ﾊﾞｰｼﾞｮﾝ情報(&V)", MacroName(MacroId::kQVersion), std::nullopt, true},
}};

constexpr std::array<ShortcutEntry, 13> kShortcutEntries{{
    {"t", MacroName(MacroId::kStart)},
    {"a", MacroName(MacroId::kInPutAns)},
    {"d", MacroName(MacroId::kAnsDel)},
    {"n", MacroName(MacroId::kThisQSisNG)},
    {"h", MacroName(MacroId::kThisQSisHitu)},
    {"j", MacroName(MacroId::kGoJump)},
    {"e", MacroName(MacroId::kEditFurigana)},
    {"r", MacroName(MacroId::kRepeatKanji)},
    {"q", MacroName(MacroId::kNgReport)},
    {"k", MacroName(MacroId::kHituReport)},
    {"p", MacroName(MacroId::kSetPaper)},
    {"w", MacroName(MacroId::kCommand1)},
    {"z", MacroName(MacroId::kCommand2)},
}};

}  // namespace

std::span<const MenuEntry> MenuEntries() { return kMenuEntries; }
std::span<const ShortcutEntry> ShortcutEntries() { return kShortcutEntries; }

void InstallMenu(host::Application& app) {
  host::CommandBar& cell = app.CommandBars().Item("cell");
  cell.Reset();
  cell.Controls().Item(1).SetBeginGroup(true);
  cell.Controls().Add(host::ControlType::kPopup, 1).SetCaption(kPopupCaption);
  host::CommandBarControls& buttons = cell.Controls().Item(kPopupCaption).Controls();
  for (const MenuEntry& entry : kMenuEntries) {
    host::CommandBarControl& button = buttons.Add(host::ControlType::kButton);
    button.SetCaption(entry.caption);
    button.SetOnAction(entry.macro);
    if (entry.face_id) button.SetFaceId(*entry.face_id);
    if (entry.begin_group) button.SetBeginGroup(true);
  }
}

void RemoveMenu(host::Application& app) { app.CommandBars().Item("cell").Reset(); }

void RegisterShortcutKeys(host::Application& app) {
  for (const ShortcutEntry& entry : kShortcutEntries) {
    app.MacroOptions(entry.macro, /*has_shortcut_key=*/true, entry.letter);
  }
}

}  // namespace tarquel::shell
