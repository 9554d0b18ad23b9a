#include "review/test_sheet_walk.h"

#include "host/application.h"
#include "model/body.h"
#include "model/test_sheet.h"

namespace tarquel::review {

bool TakeTestSheetInUse(model::Body& body) {
  host::Application& app = body.HostApp();
  const std::string& name = app.ActiveSheet().Name();
  if (name == model::kTestSheet40Name) {
    body.use_sheet40 = true;
  } else if (name == model::kTestSheet20Name) {
    body.use_sheet40 = false;
  } else {
    app.ui().MessageBox(host::MessageKind::kStop,
                        "表示させたいテスト用紙を選んでから実行して下さい。",
                        host::MessageButtons::kOk, "テスト用紙選択");
    return false;
  }
  return true;
}

bool WalkQuestionCells(host::Worksheet& test,
                       const std::function<bool(int32_t row, int32_t column)>& visit) {
  for (int32_t band = 0; model::QuestionRow(band) < test.RowCount(); ++band) {
    const int32_t row = model::QuestionRow(band);
    for (int32_t slot = 1; slot <= model::kSlotsPerBand; ++slot) {
      const int32_t column = model::SlotColumn(slot);
      if (test.Cells(row, column).Borders(host::BorderIndex::kEdgeBottom).LineStyle() !=
          host::LineStyle::kContinuous) {
        return true;
      }
      if (!visit(row, column)) return false;
    }
  }
  return true;
}

}  // namespace tarquel::review
