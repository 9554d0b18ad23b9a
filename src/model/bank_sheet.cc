#include "model/bank_sheet.h"

#include "host/application.h"
#include "host/utf16.h"
#include "host/workbook.h"

namespace tarquel::model {

bool IsBankSheetName(std::string_view sheet_name) {
  return host::Utf16Prefix(sheet_name, kBankSheetPrefixLength) == kBankSheetBaseName;
}

bool IsWrongMark(std::string_view text) {
  return text == "X" || text == "x" || text == "Ｘ" || text == "ｘ";
}

bool SheetExists(const host::Sheets& sheets, std::string_view name) {
  for (int i = 1; i <= sheets.Count(); ++i) {
    if (sheets.Item(i).Name() == name) return true;
  }
  return false;
}

std::string LocateBankSheet(host::Application& app) {
  host::Sheets sheets = app.ActiveSheet().workbook().Sheets();
  int count = 0;
  std::string found;
  for (int i = 1; i <= sheets.Count(); ++i) {
    const std::string& name = sheets.Item(i).Name();
    if (IsBankSheetName(name)) {
      ++count;
      found = name;
    }
  }
  if (count == 0) {
    app.ui().MessageBox(host::MessageKind::kError, "出題文シートがありません。",
                        host::MessageButtons::kOk, "エラー");
    return "";
  }
  if (count > 1) {
    app.ui().MessageBox(host::MessageKind::kError, "出題文シートが複数あります。",
                        host::MessageButtons::kOk, "特定不能");
    return "";
  }
  return found;
}

}  // namespace tarquel::model
