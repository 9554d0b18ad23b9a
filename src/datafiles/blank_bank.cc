#include "datafiles/blank_bank.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "datafiles/bank_columns.h"
#include "host/application.h"
#include "host/cell_format.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "model/bank_sheet.h"

namespace tarquel::datafiles {

namespace {

// A note's lines joined by line feeds, the host's line break inside a comment.
std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  bool first = true;
  for (const char* line : lines) {
    if (!first) text += '\n';
    text += line;
    first = false;
  }
  return text;
}

// The note of one or more cells of row 1, side by side from `first_cell`, and how each box is
// enlarged from the host's default size (nullopt: left as it is).
struct Note {
  const char* first_cell;
  int32_t cells;
  std::string text;
  std::optional<double> height_scale;
  std::optional<double> width_scale;
};

void AddNotes(host::Worksheet& sheet) {
  const Note notes[] = {
      {"A1", 2, Lines({"【自己メモ用】", "出典先が分かるように入力します。"}), std::nullopt,
       std::nullopt},
      {"C1", 1, Lines({"【重要項目】", "同じグループにする問題は同じ記号にします。"}), std::nullopt,
       std::nullopt},
      // The question's and the answer's fonts go onto the test sheet, so the notes say so;
      // their four lines need a taller box.
      {"D1", 1,
       Lines({"【重要項目】", "問題文を入力します。", "",
              "ここで設定したフォントがテスト用紙に用いられます。"}),
       1.3, std::nullopt},
      {"E1", 1,
       Lines({"【重要項目】", "答えを入力します。", "",
              "ここで設定したフォントがテスト用紙に用いられます。"}),
       1.3, std::nullopt},
      // One per attempt column. The X is half-width, Ｆ, Ｓ and Ｅ full-width, as the marks are
      // typed; the gaps line the two kinds of mark up.
      {"F1", model::kLastAttempt - model::kFirstAttempt + 1,
       Lines({"問題を間違えると、「X」を入力します。",
              "列Ｆから順番に入力して空白セルを作らないようにして下さい。", "",
              "間違えた時　　・・・・　X （エックス）",
              "出題から外す時・・・Ｓ、Ｅ、除、止、修、外"}),
       1.3, 1.75},
      {"P1", 1, Lines({"【自己メモ用】", "備考欄です。", "", "漢字の意味などを書いて下さい。"}),
       std::nullopt, std::nullopt},
      {"Q1", 1, Lines({"出題回数が自動的に記載されます。"}), std::nullopt, std::nullopt},
      {"R1", 1, Lines({"必出問題には「必出」と表示されます。"}), std::nullopt, std::nullopt},
  };
  for (const Note& note : notes) {
    const host::Range first = sheet.Range(note.first_cell);
    for (int32_t offset = 0; offset < note.cells; ++offset) {
      const host::CommentAccess comment = first.Offset(0, offset).AddComment(note.text);
      // Height first, then width, each relative to the box's current size.
      if (note.height_scale) comment.ScaleHeight(*note.height_scale);
      if (note.width_scale) comment.ScaleWidth(*note.width_scale);
    }
  }
}

}  // namespace

void BuildBlankBank(host::Application& app) {
  app.SetScreenUpdating(false);
  app.Workbooks().Add();
  host::Worksheet& sheet = app.ActiveSheet();
  sheet.SetName(model::kBankSheetBaseName);
  LayOutBankColumns(sheet);
  sheet.Rows().SetRowHeight(kBlankBankRowHeight);
  sheet.Range("A1").Select();
  AddNotes(sheet);
}

}  // namespace tarquel::datafiles
