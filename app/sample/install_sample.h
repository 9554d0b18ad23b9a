// Installing the sample workbook: at start-up a front end makes sure the data folder holds the
// sample question bank, so that the data file dialog can offer it. A sample that is there
// already is never touched, whatever it holds: the user may have made it their own.
#ifndef TARQUEL_APP_SAMPLE_INSTALL_SAMPLE_H_
#define TARQUEL_APP_SAMPLE_INSTALL_SAMPLE_H_

namespace tarquel::host {
class Application;
class Platform;
class WorkbookFiles;
}  // namespace tarquel::host

namespace tarquel::app {

enum class SampleInstall { kWritten, kAlreadyThere };

// When the data folder (the documents folder of `platform` + "/ソルネア保存データ") has no file
// of the sample's name, builds the sample workbook in `app`, saves it there through `files`
// and closes it again; the documents and data folders are created when missing. The workbook
// that was active before stays active. Throws the host's run-time error when a folder cannot
// be made or the file cannot be written; the built workbook is closed then too, and no file is
// left behind.
SampleInstall InstallSampleWorkbook(host::Application& app, host::Platform& platform,
                                    host::WorkbookFiles& files);

}  // namespace tarquel::app

#endif  // TARQUEL_APP_SAMPLE_INSTALL_SAMPLE_H_
