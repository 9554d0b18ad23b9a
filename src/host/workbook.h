// A workbook of the host: its sheets in order, the active sheet, the formats its cells share,
// and where it was loaded from or saved to. A workbook belongs to the Application that made
// it (Workbooks::Add or Open).
#ifndef TARQUEL_HOST_WORKBOOK_H_
#define TARQUEL_HOST_WORKBOOK_H_

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/cell_format.h"
#include "host/file_origin.h"
#include "host/worksheet.h"

namespace tarquel::host {

class Application;
class Workbook;

// The host's Sheets collection of a workbook, 1-based.
class Sheets {
 public:
  explicit Sheets(Workbook& workbook) : workbook_(&workbook) {}

  int Count() const;
  // A run-time error when the index or name does not exist. Names compare exactly.
  Worksheet& Item(int index) const;
  Worksheet& Item(const std::string& name) const;
  // Adds a worksheet before the active sheet (the host's default place), names it "SheetN"
  // and makes it active.
  Worksheet& Add() const;

 private:
  Workbook* workbook_;
};

// Splits a full file name at its last '/' into folder and file name ("/a/b.xlsx" gives "/a"
// and "b.xlsx", "/b.xlsx" gives "/" and "b.xlsx", "b.xlsx" gives "" and "b.xlsx").
std::pair<std::string, std::string> SplitFileName(const std::string& file_name);

class Workbook {
 public:
  Workbook(Application& application, std::string name);
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;
  ~Workbook();

  Application& application() const { return *application_; }

  // The file name ("Book1" until saved), the folder it is in ("" until saved) and both.
  const std::string& Name() const { return name_; }
  const std::string& Path() const { return path_; }
  std::string FullName() const;
  void SetLocation(std::string path, std::string name);

  // Writes the workbook to `file_name` through the application's WorkbookFiles and makes that
  // its location, as the host's SaveAs does. Throws the host's run-time error when the file
  // cannot be written; the workbook keeps its old location then.
  void SaveAs(const std::string& file_name);

  host::Sheets Sheets() { return host::Sheets(*this); }
  int SheetCount() const { return static_cast<int>(sheets_.size()); }
  Worksheet& SheetAt(int index) const { return *sheets_[index - 1]; }  // REQUIRES: 1..count
  // The sheet named exactly `name`, or nullptr.
  Worksheet* FindSheet(const std::string& name) const;
  int IndexOf(const Worksheet& sheet) const;

  // Adds a sheet at 1-based `position` without activating it (file readers, new workbooks).
  // The name is checked as SetName checks it.
  Worksheet& InsertSheet(int position, const std::string& name);
  Worksheet& AddSheetBeforeActive();

  Worksheet& ActiveSheet() const { return *active_sheet_; }
  // Makes `sheet` (one of this workbook's) active; when this is the application's active
  // workbook the sheet activation is announced.
  void ActivateSheet(Worksheet& sheet);
  // Makes this the application's active workbook.
  void Activate();

  // The package as read from a file, kept for the codec; null for a new workbook.
  std::shared_ptr<const FileOrigin> file_origin;

  StyleTable& styles() { return styles_; }
  const StyleTable& styles() const { return styles_; }

  // Throws the host's run-time error when `name` cannot name a sheet of this workbook: empty,
  // longer than 31 characters, holding one of : \ / ? * [ ], beginning or ending with an
  // apostrophe, or the name of another sheet (letter case ignored, as the host does).
  void ValidateSheetName(const std::string& name, const Worksheet* renamed) const;
  // A name "SheetN" that no sheet has.
  std::string NextSheetName() const;

 private:
  Application* application_;
  std::string name_;
  std::string path_;
  StyleTable styles_;
  std::vector<std::unique_ptr<Worksheet>> sheets_;
  Worksheet* active_sheet_ = nullptr;
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_WORKBOOK_H_
