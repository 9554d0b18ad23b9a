#include "paper/geometry.h"

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/range.h"
#include "model/body.h"
#include "model/test_sheet.h"
#include "model/whole_number.h"
#include "settings/keys.h"

namespace tarquel::paper {

namespace {

// A setting as an apply routine reads it: its key and the default passed with it.
struct AppliedSetting {
  const char* name;
  const char* default_value;
};

AppliedSetting RowHeightSetting(int32_t row, bool use_sheet40) {
  switch (model::RoleOfRow(row, use_sheet40)) {
    case model::RowRole::kNumber: {
      const settings::Key& key = use_sheet40 ? settings::kNumberRow40 : settings::kNumberRow20;
      return {key.name, key.default_value};
    }
    case model::RowRole::kQuestion: {
      const settings::Key& key = use_sheet40 ? settings::kQuestionRow40 : settings::kQuestionRow20;
      return {key.name, key.default_value};
    }
    case model::RowRole::kAnswer: {
      const settings::Key& key = use_sheet40 ? settings::kAnswerRow40 : settings::kAnswerRow20;
      return {key.name, key.default_value};
    }
    case model::RowRole::kBandSpacer:
      // Only the 40-question sheet has a spacer; RoleOfRow never gives it for the other.
      return {settings::kBandSpacer40.name, settings::kBandSpacer40.default_value};
    case model::RowRole::kPageFoot:
      break;
  }
  const settings::Key& key = use_sheet40 ? settings::kPageFoot40 : settings::kPageFoot20;
  return {key.name, key.default_value};
}

AppliedSetting SlotWidthSetting(bool use_sheet40) {
  const settings::Key& key = use_sheet40 ? settings::kSlotWidth40 : settings::kSlotWidth20;
  return {key.name, key.default_value};
}

// The side width falls back to "7" here rather than the dialog's "7.0"; the host reads both
// as the same width.
AppliedSetting SideWidthSetting(bool use_sheet40) {
  const settings::Key& key = use_sheet40 ? settings::kSideWidth40 : settings::kSideWidth20;
  return {key.name, settings::kSideWidthDefaultForColumns};
}

std::string Read(const settings::SettingsLocation& location, const AppliedSetting& setting) {
  return settings::ReadSetting(location, setting.name, setting.default_value);
}

std::string LimitText(double limit) {
  std::ostringstream text;
  text << limit;
  return text.str();
}

}  // namespace

void ApplyRowHeight(model::Body& body, int32_t row) {
  host::Application& app = body.HostApp();
  app.ActiveSheet().Rows(row).Select();
  app.Selection().SetRowHeight(Read(body.Settings(), RowHeightSetting(row, body.use_sheet40)));
}

void ApplyColumnWidths(model::Body& body) {
  host::Application& app = body.HostApp();
  host::Worksheet& sheet = app.ActiveSheet();
  const settings::SettingsLocation location = body.Settings();
  sheet.Columns("A:T").Select();
  app.Selection().SetColumnWidth(Read(location, SlotWidthSetting(body.use_sheet40)));
  sheet.Columns(model::kSideColumn).Select();
  app.Selection().SetColumnWidth(Read(location, SideWidthSetting(body.use_sheet40)));
  sheet.Range("U1").Select();
}

bool HostLimits::Takes(std::string_view text) const {
  const std::optional<double> number = model::NumericValue(text);
  return number && *number >= low && *number <= high;
}

HostLimits HostLimitsOf(std::string_view key_name) {
  for (const settings::Key& width : {settings::kSlotWidth40, settings::kSideWidth40,
                                     settings::kSlotWidth20, settings::kSideWidth20}) {
    if (key_name == width.name) {
      return {"列の幅", host::kMinColumnWidth, host::kMaxColumnWidth};
    }
  }
  return {"行の高さ", host::kMinRowHeight, host::kMaxRowHeight};
}

std::optional<RefusedSetting> FindRefusedPaperSetting(const settings::SettingsLocation& location,
                                                      bool use_sheet40) {
  // The settings one page of the sheet needs, in the order its rows and then its columns are
  // sized: every page uses the same ones.
  std::vector<AppliedSetting> used;
  for (int32_t row = 1; row <= model::RowsPerPage(use_sheet40); ++row) {
    const AppliedSetting setting = RowHeightSetting(row, use_sheet40);
    bool seen = false;
    for (const AppliedSetting& earlier : used)
      seen = seen || std::string_view(earlier.name) == setting.name;
    if (!seen) used.push_back(setting);
  }
  used.push_back(SlotWidthSetting(use_sheet40));
  used.push_back(SideWidthSetting(use_sheet40));

  for (const AppliedSetting& setting : used) {
    std::string value = Read(location, setting);
    const HostLimits limits = HostLimitsOf(setting.name);
    if (!limits.Takes(value)) return RefusedSetting{setting.name, std::move(value), limits};
  }
  return std::nullopt;
}

std::string RefusedSettingMessage(const RefusedSetting& refused) {
  return "用紙調整の設定「" + refused.key + "」の値「" + refused.value + "」は" +
         refused.limits.what + "に使えません（" + LimitText(refused.limits.low) + " から " +
         LimitText(refused.limits.high) +
         " までの数値）。\r\n設定ファイルのこの値を直すか、用紙調整の「設定値リセット」で既定値に"
         "戻して「保存して閉じる」を押して下さい。";
}

}  // namespace tarquel::paper
