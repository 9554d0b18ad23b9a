// The paper geometry of the test sheets: row heights and column widths taken from the settings
// file, where the paper adjustment dialog keeps them. The print preview of that dialog calls
// these; the test generator calls them after it has written a test sheet. Both work on the
// active sheet through its selection, as the host's macros do, and so change the selection.
//
// The settings are text that the host converts when they are applied, so a value typed into
// the settings file by hand can be one the host refuses. HostLimitsOf and
// FindRefusedPaperSetting tell beforehand, by the host's own reading and limits.
#ifndef TARQUEL_PAPER_GEOMETRY_H_
#define TARQUEL_PAPER_GEOMETRY_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings_file.h"

namespace tarquel::model {
struct Body;
}

namespace tarquel::paper {

// Selects the whole row `row` of the active sheet and gives it the height stored for its
// place in the page: on the 40-question sheet (body.use_sheet40) the number, question and answer
// rows of both bands, the spacer between the bands and the page foot; on the 20-question sheet
// the number, question and answer rows and the page foot. A stored value the host cannot take
// as a row height is the host's run-time error, which passes through; the row keeps its height.
// REQUIRES: body's start-up has run (HostApp), a workbook is open, 1 <= row <= 65536.
void ApplyRowHeight(model::Body& body, int32_t row);

// Gives columns A to T of the active sheet the stored slot width and column U the stored side
// width (of the 40- or 20-question sheet as body.use_sheet40 says), then selects U1. Errors as
// for ApplyRowHeight.
void ApplyColumnWidths(model::Body& body);

// What the host takes for one paper setting, both ends included.
struct HostLimits {
  const char* what;  // "行の高さ" or "列の幅"
  double low;
  double high;

  // Whether the host takes `text`: it reads as a number the host's way and lies in low..high.
  bool Takes(std::string_view text) const;
};

// The limits for the paper setting `key_name`: a column width for the slot and side widths
// ("C1", "C2", "C1-20", "C2-20"), a row height for every other key.
HostLimits HostLimitsOf(std::string_view key_name);

// A stored paper setting that the host would refuse to apply.
struct RefusedSetting {
  std::string key;    // the settings key, e.g. "Qs"
  std::string value;  // the text stored under it
  HostLimits limits;  // what the host would have taken
};

// The first setting, in the order the paper dialog stores them, that ApplyRowHeight or
// ApplyColumnWidths would hand the host for the 40-question sheet (use_sheet40) or the
// 20-question sheet and that the host would refuse (not a number, or outside its limits), or
// nullopt when the host would take them all. A missing key counts as its default, which the
// host takes. The generator asks this before it touches the test sheet, so that a bad value
// stops it with a message rather than a run-time error halfway; a front end may ask it to add
// a hint of its own. Reads the settings file only.
std::optional<RefusedSetting> FindRefusedPaperSetting(const settings::SettingsLocation& location,
                                                      bool use_sheet40);

// What the user is told about `refused`: the key, the stored value and the host's limits, and
// that the value is put right in the settings file or reset with the paper dialog's
// 設定値リセット.
std::string RefusedSettingMessage(const RefusedSetting& refused);

}  // namespace tarquel::paper

#endif  // TARQUEL_PAPER_GEOMETRY_H_
