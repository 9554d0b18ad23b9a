#include "sample/install_sample.h"

#include <string>

#include "datafiles/sample_location.h"
#include "datafiles/sample_workbook.h"
#include "host/application.h"
#include "host/host_error.h"
#include "host/platform/platform.h"
#include "host/workbook.h"
#include "shell/commands.h"

namespace tarquel::app {

namespace {

void EnsureFolder(host::Platform& platform, const std::string& folder) {
  if (platform.FolderExists(folder)) return;
  if (auto error = platform.CreateFolder(folder)) {
    throw host::HostError(host::HostError::kPathNotFound,
                          "パスが見つかりません。\r\n" + error->message);
  }
}

// Closes the built workbook and gives the active place back to the one that had it.
void CloseSample(host::Application& app, host::Workbook& sample, host::Workbook* before) {
  app.Workbooks().Close(sample);
  if (before != nullptr) before->Activate();
}

}  // namespace

SampleInstall InstallSampleWorkbook(host::Application& app, host::Platform& platform,
                                    host::WorkbookFiles& files) {
  const std::string documents = platform.DocumentsFolder();
  const std::string path = datafiles::SampleWorkbookPath(documents, shell::kDataFolderName);
  if (platform.FileExists(path)) return SampleInstall::kAlreadyThere;
  EnsureFolder(platform, documents);
  EnsureFolder(platform, documents + "/" + shell::kDataFolderName);
  host::Workbook* before = app.ActiveWorkbook();
  host::Workbook& sample = datafiles::BuildSampleWorkbook(app);
  try {
    files.Save(sample, path);
  } catch (...) {
    CloseSample(app, sample, before);
    throw;
  }
  CloseSample(app, sample, before);
  return SampleInstall::kWritten;
}

}  // namespace tarquel::app
