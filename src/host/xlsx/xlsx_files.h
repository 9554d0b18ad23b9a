// XlsxFiles opens and saves workbooks as SpreadsheetML packages (.xlsx, .xlsm) for the host.
// Opening reads the package into a fresh workbook; saving writes every part the host models
// from the workbook and copies every other part of the original package unchanged, then puts
// the new file in place of the old through a temporary file, so a failure leaves the old file
// as it was.
#ifndef TARQUEL_HOST_XLSX_XLSX_FILES_H_
#define TARQUEL_HOST_XLSX_XLSX_FILES_H_

#include <string>

#include "host/application.h"

namespace tarquel::host {
class Platform;
}

namespace tarquel::host::xlsx {

class XlsxFiles : public WorkbookFiles {
 public:
  // `platform` reads and writes the files and must outlive this.
  explicit XlsxFiles(Platform& platform) : platform_(&platform) {}

  // Throws HostError naming the file and what is wrong; `into` is then to be discarded.
  void Load(const std::string& path, Workbook& into) override;
  // Throws HostError naming the file when it cannot be written; the old file is unchanged then.
  void Save(const Workbook& workbook, const std::string& path) override;

  enum class WriteMode {
    // A workbook read from a file and unchanged since gives the file's bytes back as they were.
    kKeepUnchangedFile,
    // Every part the host models is written anew, changed or not.
    kRegenerate,
  };

  // The package bytes of `workbook`, as Save writes them.
  static std::string WritePackage(const Workbook& workbook,
                                  WriteMode mode = WriteMode::kKeepUnchangedFile);
  // Reads package bytes into `into`; `name` is the file name messages show.
  static void ReadPackage(std::string bytes, const std::string& name, Workbook& into);

 private:
  static void ReadParts(std::string bytes, const std::string& name, Workbook& into);

  Platform* platform_;
};

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_XLSX_FILES_H_
