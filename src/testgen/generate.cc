#include "testgen/generate.h"

#include <algorithm>
#include <optional>
#include <string>

#include "host/application.h"
#include "model/body.h"
#include "model/whole_number.h"
#include "paper/geometry.h"
#include "settings/keys.h"
#include "settings/settings_file.h"
#include "testgen/render.h"
#include "testgen/selection.h"

namespace tarquel::testgen {

bool CheckGroupSizes(model::Body& body, const GroupRequest& request) {
  const Request clamped =
      ClampRequest(request.first, request.last, request.count, body.generation.bank_group_count);
  const std::optional<model::QuestionGroup> oversize =
      FirstOversizeGroup(body.generation, clamped.first, clamped.last);
  if (!oversize) return true;
  body.HostApp().ui().MessageBox(
      host::MessageKind::kError,
      "１つのグループの問題が２０題を超えています。\r\n出題文シートの " +
          std::to_string(oversize->first_row) + " 行目から始まるグループは " +
          std::to_string(oversize->row_count) +
          " 題あります。\r\nＣ列の記号を変えて２０題以内のグループに分けて下さい。",
      host::MessageButtons::kOk, "エラー");
  return false;
}

bool CheckPaperSettings(model::Body& body) {
  const std::optional<paper::RefusedSetting> refused =
      paper::FindRefusedPaperSetting(body.Settings(), body.use_sheet40);
  if (!refused) return true;
  body.HostApp().ui().MessageBox(host::MessageKind::kError, paper::RefusedSettingMessage(*refused),
                                 host::MessageButtons::kOk, "エラー");
  return false;
}

bool Generate(model::Body& body, const GroupRequest& request) {
  host::Application& app = body.HostApp();
  model::GenerationState& state = body.generation;
  EnsureTestSheet(body);
  const Request clamped =
      ClampRequest(request.first, request.last, request.count, state.bank_group_count);
  state.requested_group_count = clamped.count;
  ScanBank(app.ActiveSheet().workbook().Sheets().Item(body.bank_sheet_name), state);
  const std::string seed_text = settings::ReadSetting(body.Settings(), settings::kRandomCode.name,
                                                      settings::kRandomCode.default_value);
  const std::optional<int32_t> seed = model::ToWholeNumber(seed_text);
  if (!seed) {
    app.ui().MessageBox(host::MessageKind::kError,
                        "乱数コード「" + seed_text + "」が数値ではありません。",
                        host::MessageButtons::kOk, "エラー");
    return false;
  }
  SelectGroups(state, clamped.first, clamped.last, *seed);
  state.set_group_count =
      std::max(0, std::min(state.requested_group_count, state.eligible_group_count));
  state.test_page_count = CountPages(CountBands(state), body.use_sheet40);
  if (state.test_page_count == 0) {
    app.ui().MessageBox(host::MessageKind::kStop, "全て既出されています。",
                        host::MessageButtons::kOk, "設定を変えて下さい。");
    return false;
  }
  RenderTest(body, clamped.first, clamped.last);
  return true;
}

}  // namespace tarquel::testgen
