#include "shell/menu.h"

#include <array>

#include "host/application.h"

namespace tarquel::shell {

namespace {

constexpr std::array<MenuEntry, 13> kMenuEntries{{
    {"漢字テスト作成(&T)", "M_START", 176, false},
    {"解答表示(&A)", "M_InPutAns", 329, true},
    {"解答消去(&D)", "M_ANS_DEL", 47, false},
    {"この問題は不正解です(&N)", "M_ThisQSisNG", 276, true},
    {"この問題を必出とする(&H)", "M_ThisQSisHITU", 675, false},
    {"問題へ飛ぶ(&J)", "M_GoJUMP", 1759, false},
    {"振り仮名編集(&E)", "M_Edit_Furigana", 3511, true},
    {"漢字重複チェック(&R)", "M_RepeatKanji", 2645, false},
    {"間違い数の報告(&Q)", "M_NG_Report", 1786, false},
    {"必出問題の総数(&C)", "M_HITU_Report", 459, false},
    {"漢字の学年検索(&Z)", "M_Command2", 11, true},
    {"用紙調整(&P)", "M_SetPaper", 109, true},
    {"ﾊﾞｰｼﾞｮﾝ情報(&V)", "M_QVersion", std::nullopt, true},
}};

constexpr std::array<ShortcutEntry, 13> kShortcutEntries{{
    {"t", "M_START"},
    {"a", "M_InPutAns"},
    {"d", "M_ANS_DEL"},
    {"n", "M_ThisQSisNG"},
    {"h", "M_ThisQSisHITU"},
    {"j", "M_GoJUMP"},
    {"e", "M_Edit_Furigana"},
    {"r", "M_RepeatKanji"},
    {"q", "M_NG_Report"},
    {"k", "M_HITU_Report"},
    {"p", "M_SetPaper"},
    {"w", "M_Command1"},
    {"z", "M_Command2"},
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
