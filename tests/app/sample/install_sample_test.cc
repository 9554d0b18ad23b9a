// Installing the sample workbook at start-up: written where the data file dialog looks for it
// when it is missing, never over one that is there, and nothing left behind when it fails.
#include "sample/install_sample.h"

#include <gtest/gtest.h>

#include <string>

#include "datafiles/sample_bank.h"
#include "datafiles/sample_bank_text.h"
#include "host/application.h"
#include "host/host_error.h"
#include "host/platform/memory_platform.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "host/xlsx/xlsx_files.h"
#include "model/bank_sheet.h"
#include "support/host_fixture.h"
#include "support/scripted_ui.h"

namespace tarquel::app {
namespace {

using testing::HostErrorOf;

constexpr char kDocuments[] = "/home/user/Documents";
constexpr char kDataFolder[] = "/home/user/Documents/ソルネア保存データ";
constexpr char kSamplePath[] =
    "/home/user/Documents/ソルネア保存データ/同音同訓【サンプルデータ】.xlsx";

// A host whose user has one workbook of their own open and active.
struct UsersHost {
  UsersHost() : app(ui), files(platform) {
    app.SetWorkbookFiles(&files);
    own = &app.Workbooks().Add();
  }

  SampleInstall Install() { return InstallSampleWorkbook(app, platform, files); }

  // The application holds the user's workbook alone, and it is active.
  void ExpectOnlyTheUsersWorkbook() {
    EXPECT_EQ(app.Workbooks().Count(), 1) << "the built workbook is closed";
    EXPECT_EQ(app.ActiveWorkbook(), own);
  }

  testing::ScriptedUi ui;
  host::MemoryPlatform platform;
  host::Application app;
  host::xlsx::XlsxFiles files;
  host::Workbook* own = nullptr;
};

TEST(InstallSampleTest, AMissingSampleIsWrittenWhereverTheFoldersStand) {
  const struct {
    const char* name;
    void (*prepare)(host::MemoryPlatform&);
  } cases[] = {
      {"both folders there",
       [](host::MemoryPlatform& p) { EXPECT_FALSE(p.CreateFolder(kDataFolder).has_value()); }},
      {"no data folder", [](host::MemoryPlatform&) {}},
      {"no documents folder", [](host::MemoryPlatform& p) { p.RemoveFolder(kDocuments); }},
  };
  const std::string first_sentence =
      datafiles::ParseSampleBank(datafiles::SampleBankText()).front().sentence;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    UsersHost user;
    c.prepare(user.platform);
    EXPECT_EQ(user.Install(), SampleInstall::kWritten);
    ASSERT_TRUE(user.platform.FileExists(kSamplePath));
    user.ExpectOnlyTheUsersWorkbook();

    host::Workbook& sample = user.app.Workbooks().Open(kSamplePath);
    EXPECT_EQ(model::LocateBankSheet(user.app), model::kBankSheetBaseName);
    EXPECT_EQ(sample.ActiveSheet().Range("D1").Value().AsText(), first_sentence);
    user.ui.ExpectNoMessages();
  }
}

TEST(InstallSampleTest, ASampleThatIsThereIsLeftByteForByte) {
  // Whatever the file holds: the user may have made the sample their own.
  for (const char* bytes : {"the user's own bank", ""}) {
    UsersHost user;
    user.platform.AddFile(kSamplePath, bytes);
    EXPECT_EQ(user.Install(), SampleInstall::kAlreadyThere);
    EXPECT_EQ(user.platform.files().at(kSamplePath), bytes);
    user.ExpectOnlyTheUsersWorkbook();
    user.ui.ExpectNoMessages();
  }
}

TEST(InstallSampleTest, AFailedInstallLeavesNoFileAndNoWorkbook) {
  UsersHost user;
  user.platform.FailNextWrite();
  EXPECT_EQ(HostErrorOf([&] { user.Install(); }), host::HostError::kPathFileAccess);
  EXPECT_FALSE(user.platform.FileExists(kSamplePath));
  user.ExpectOnlyTheUsersWorkbook();
  // The next start tries again, and succeeds.
  EXPECT_EQ(user.Install(), SampleInstall::kWritten);
  EXPECT_TRUE(user.platform.FileExists(kSamplePath));
  user.ExpectOnlyTheUsersWorkbook();
}

TEST(InstallSampleTest, ADataFolderNameTakenByAFileIsRefused) {
  UsersHost user;
  user.platform.AddFile(kDataFolder, "not a folder");
  EXPECT_EQ(HostErrorOf([&] { user.Install(); }), host::HostError::kPathNotFound);
  EXPECT_EQ(user.platform.files().at(kDataFolder), "not a folder");
  EXPECT_FALSE(user.platform.FileExists(kSamplePath));
  user.ExpectOnlyTheUsersWorkbook();
}

}  // namespace
}  // namespace tarquel::app
