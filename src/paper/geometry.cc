#include "paper/geometry.h"

#include <string>

#include "host/application.h"
#include "model/body.h"
#include "model/test_sheet.h"
#include "settings/keys.h"
#include "settings/settings_file.h"

namespace tarquel::paper {

namespace {

const settings::Key& RowHeightKey(model::RowRole role, bool use_sheet40) {
  switch (role) {
    case model::RowRole::kNumber:
      return use_sheet40 ? settings::kNumberRow40 : settings::kNumberRow20;
    case model::RowRole::kQuestion:
      return use_sheet40 ? settings::kQuestionRow40 : settings::kQuestionRow20;
    case model::RowRole::kAnswer:
      return use_sheet40 ? settings::kAnswerRow40 : settings::kAnswerRow20;
    case model::RowRole::kBandSpacer:
      // Only the 40-question sheet has a spacer; RoleOfRow never gives it for the other.
      return settings::kBandSpacer40;
    case model::RowRole::kPageFoot:
      break;
  }
  return use_sheet40 ? settings::kPageFoot40 : settings::kPageFoot20;
}

}  // namespace

void ApplyRowHeight(model::Body& body, int32_t row) {
  host::Application& app = body.HostApp();
  app.ActiveSheet().Rows(row).Select();
  const settings::Key& key =
      RowHeightKey(model::RoleOfRow(row, body.use_sheet40), body.use_sheet40);
  const std::string height = settings::ReadSetting(body.Settings(), key.name, key.default_value);
  app.Selection().SetRowHeight(height);
}

void ApplyColumnWidths(model::Body& body) {
  host::Application& app = body.HostApp();
  host::Worksheet& sheet = app.ActiveSheet();
  const settings::SettingsLocation location = body.Settings();
  const settings::Key& slot = body.use_sheet40 ? settings::kSlotWidth40 : settings::kSlotWidth20;
  const settings::Key& side = body.use_sheet40 ? settings::kSideWidth40 : settings::kSideWidth20;

  sheet.Columns("A:T").Select();
  app.Selection().SetColumnWidth(settings::ReadSetting(location, slot.name, slot.default_value));
  sheet.Columns(model::kSideColumn).Select();
  // The side width falls back to "7" here rather than the dialog's "7.0"; the host reads both
  // as the same width.
  app.Selection().SetColumnWidth(
      settings::ReadSetting(location, side.name, settings::kSideWidthDefaultForColumns));
  sheet.Range("U1").Select();
}

}  // namespace tarquel::paper
