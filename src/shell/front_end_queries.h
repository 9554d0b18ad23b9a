// What a front end asks the loaded add-in between commands, answered from the module state and
// the settings file, so that a front end needs neither the settings keys nor Body's fields: the
// test sheet in use, the summary of the last test made, and a paper setting that stopped it.
#ifndef TARQUEL_SHELL_FRONT_END_QUERIES_H_
#define TARQUEL_SHELL_FRONT_END_QUERIES_H_

#include <cstdint>
#include <optional>
#include <string>

namespace tarquel::host {
class Workbook;
}
namespace tarquel::model {
struct Body;
}

namespace tarquel::shell {

// The name of the test sheet a command on `workbook` works on: the active sheet when it is a
// test sheet, else the workbook's only test sheet, else the one the test dialog's stored choice
// (40 or 20 a page) names. The sheet need not exist.
std::string TestSheetInUse(model::Body& body, const host::Workbook& workbook);

// The last test the generator made.
struct GenerationSummary {
  std::string sheet;      // the test sheet it was made on
  int32_t pages = 0;      // its pages
  int32_t questions = 0;  // the questions on them
  std::string code = {};  // the test code, as the sheet shows it
};

// The summary of the last test made on `workbook`, or nullopt when the last generation made no
// page (or none has run). The test sheet must be in `workbook`.
std::optional<GenerationSummary> LastGeneration(model::Body& body, host::Workbook& workbook);

// A stored paper setting the host would refuse for the test sheet in use: what stops the
// generator before it touches the sheet.
struct RefusedPaperSetting {
  std::string key;            // the settings key ("Qs")
  std::string value;          // the text stored under it
  bool per_page40 = false;    // the test sheet it is for: 40 a page, else 20
  std::string settings_path;  // the settings file that holds it
};
std::optional<RefusedPaperSetting> RefusedPaperSettingInUse(model::Body& body);

}  // namespace tarquel::shell

#endif  // TARQUEL_SHELL_FRONT_END_QUERIES_H_
