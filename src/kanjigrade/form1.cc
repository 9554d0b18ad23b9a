#include "kanjigrade/form1.h"

#include <optional>
#include <string>

#include "host/application.h"
#include "kanjigrade/selection_text.h"
#include "model/body.h"

namespace tarquel::kanjigrade {

Form1::Form1(model::Body& body) : host::Form(body.HostApp().ui()), body_(body) {
  Design();
  CD1.on_click = [this] { CD1_Click(); };
  CD2.on_click = [this] { CD2_Click(); };
  Command1.on_click = [this] { Command1_Click(); };
}

void Form1::Design() {
  set_caption(kClassificationCaption);
  set_geometry({0, 0, 7830, 4665});
  Text1.set_multi_line(true);
  Text1.set_geometry({75, 60, 7665, 4020});
  Text1.set_tab_index(1);
  CD1.set_caption("出題していない漢字一覧");
  CD1.set_geometry({105, 4170, 2355, 420});
  CD1.set_tab_index(2);
  CD2.set_caption("出題している漢字一覧");
  CD2.set_geometry({2460, 4170, 2355, 420});
  CD2.set_tab_index(3);
  Command1.set_caption("閉じる");
  Command1.set_geometry({5685, 4170, 2040, 420});
  Command1.set_tab_index(0);
}

void Form1::Form_Load() {
  arrays_.Clear();
  close_on_activate_ = false;
  Kanji_Shiwake();
}

void Form1::Form_Activate() {
  if (close_on_activate_) Command1_Click();
}

void Form1::Form_Unload() { arrays_.Clear(); }

void Form1::Kanji_Shiwake() {
  set_caption(kClassificationCaption);
  const std::optional<std::string> text = SelectionText(body_.HostApp());
  if (!text) {
    ui().MessageBox(host::MessageKind::kStop, "「選択範囲」を複数回選んでいます。",
                    host::MessageButtons::kOk, "エラー");
    close_on_activate_ = true;
    return;
  }
  Text1.SetValue(Kanji_Report(*text, arrays_));
  CD1.set_enabled(true);
  CD2.set_enabled(false);
  ui().PlaySound(host::SystemSound::kInformation);
}

void Form1::CD1_Click() {
  set_caption(kMissingCaption);
  Text1.SetValue(MissingKanjiListing(arrays_));
  CD1.set_enabled(false);
  CD2.set_enabled(true);
  ui().PlaySound(host::SystemSound::kInformation);
}

void Form1::CD2_Click() {
  arrays_.Clear();
  Kanji_Shiwake();
}

void Form1::Command1_Click() {
  for (std::string& list : arrays_.list) list.clear();
  Unload();
}

}  // namespace tarquel::kanjigrade
