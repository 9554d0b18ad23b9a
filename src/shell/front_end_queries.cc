#include "shell/front_end_queries.h"

#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "model/body.h"
#include "model/test_sheet.h"
#include "paper/geometry.h"
#include "settings/keys.h"
#include "settings/settings_file.h"
#include "testgen/user_form1.h"

namespace tarquel::shell {

std::string TestSheetInUse(model::Body& body, const host::Workbook& workbook) {
  const std::string active = workbook.ActiveSheet().Name();
  if (active == model::kTestSheet40Name || active == model::kTestSheet20Name) return active;
  const bool has40 = workbook.FindSheet(model::kTestSheet40Name) != nullptr;
  const bool has20 = workbook.FindSheet(model::kTestSheet20Name) != nullptr;
  if (has40 != has20) return std::string(model::TestSheetName(has40));
  const settings::Key& key = settings::kUseSheet40;
  return std::string(model::TestSheetName(testgen::StoredOptionValue(
      settings::ReadSetting(body.Settings(), key.name, key.default_value))));
}

std::optional<GenerationSummary> LastGeneration(model::Body& body, host::Workbook& workbook) {
  const model::GenerationState& state = body.generation;
  if (state.test_page_count <= 0) return std::nullopt;
  GenerationSummary summary{.sheet = std::string(model::TestSheetName(body.use_sheet40)),
                            .pages = state.test_page_count};
  for (int32_t position = 1; position <= state.set_group_count; ++position) {
    summary.questions += state.groups[state.selected_groups[position] - 1].row_count;
  }
  host::Worksheet& sheet = workbook.Sheets().Item(summary.sheet);
  summary.code = sheet.Cells(model::RowsPerPage(body.use_sheet40), model::kSideColumn).Text();
  return summary;
}

std::optional<RefusedPaperSetting> RefusedPaperSettingInUse(model::Body& body) {
  const std::optional<paper::RefusedSetting> refused =
      paper::FindRefusedPaperSetting(body.Settings(), body.use_sheet40);
  if (!refused) return std::nullopt;
  return RefusedPaperSetting{refused->key, refused->value, body.use_sheet40,
                             settings::MakeSettingsPath(body.Settings())};
}

}  // namespace tarquel::shell
