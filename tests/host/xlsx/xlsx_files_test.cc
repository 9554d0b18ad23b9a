// Whole packages: a workbook built through the host saved and opened again, and a package
// with parts the host does not model opened and saved without losing them.
#include "host/xlsx/xlsx_files.h"

#include <gtest/gtest.h>

#include "host/platform/memory_platform.h"
#include "host/xlsx/package.h"
#include "support/host_fixture.h"

namespace tarquel::host::xlsx {
namespace {

using testing::HostErrorOf;

class XlsxFilesTest : public testing::HostTest {
 protected:
  XlsxFilesTest() : files_(platform_) { app_.SetWorkbookFiles(&files_); }

  // A workbook shaped like a bank with a test sheet.
  void BuildBank() {
    sheet_->SetName("ミラヴォ 同音・同訓");
    sheet_->Range("C1").SetValue("a");
    sheet_->Range("D1").SetValue("試合にカツ。");
    sheet_->Range("D1").Characters(4, 2).Font().SetUnderline(Underline::kSingle);
    sheet_->Range("E1").SetValue("勝");
    sheet_->Range("Q1").SetValue(2);
    sheet_->Range("D1").AddComment("【重要項目】\n問題文を入力します。").ScaleHeight(1.3);
    Worksheet& test = book_->Sheets().Add();
    test.SetName("テスト用紙 【40】");
    test.Range("T2").SetValue("試合にカツ。");
    test.Range("T2").SetOrientation(Orientation::kVertical);
    test.Range("A3:T3").Borders(BorderIndex::kEdgeTop).SetLineStyle(LineStyle::kContinuous);
    test.Range("Q1:T1").Merge();
    test.Range("U1").SetNumberFormatLocal("\"No.\"0");
    test.Range("U1").SetValue(1);
    test.page_setup().orientation = PageOrientation::kLandscape;
    test.SetPrintArea("A1:U24");
    test.view().show_gridlines = false;
  }

  MemoryPlatform platform_;
  XlsxFiles files_;
};

TEST_F(XlsxFilesTest, AWorkbookBuiltByTheHostComesBackWhole) {
  BuildBank();
  files_.Save(*book_, "/home/user/bank.xlsx");
  Workbook& opened = app_.Workbooks().Open("/home/user/bank.xlsx");
  ASSERT_EQ(opened.SheetCount(), 2);
  EXPECT_EQ(opened.SheetAt(1).Name(), "テスト用紙 【40】");
  EXPECT_EQ(&opened.ActiveSheet(), &opened.SheetAt(1)) << "the active sheet is kept";
  Worksheet& bank = opened.Sheets().Item("ミラヴォ 同音・同訓");
  EXPECT_EQ(bank.Range("D1").Value(), sheet_->Range("D1").Value());
  EXPECT_EQ(bank.Range("Q1").Value().number(), 2);
  ASSERT_TRUE(bank.Range("D1").Comment().has_value());
  EXPECT_EQ(bank.Range("D1").Comment()->Text(), "【重要項目】\n問題文を入力します。");
  EXPECT_NEAR(bank.Range("D1").Comment()->Height(), kDefaultCommentHeight * 1.3, 0.01);
  Worksheet& test = opened.SheetAt(1);
  EXPECT_EQ(test.Range("T2").Orientation(), Orientation::kVertical);
  EXPECT_EQ(test.Range("T2").Borders(BorderIndex::kEdgeBottom).LineStyle(), LineStyle::kContinuous);
  EXPECT_EQ(test.Range("S1").MergeArea().Address(), "$Q$1:$T$1");
  EXPECT_EQ(test.Range("U1").Text(), "No.1");
  EXPECT_EQ(test.PrintArea(), "$A$1:$U$24");
  EXPECT_EQ(test.page_setup().orientation, PageOrientation::kLandscape);
  EXPECT_FALSE(test.view().show_gridlines);
}

TEST_F(XlsxFilesTest, PartsTheHostDoesNotModelAreCopiedByteForByte) {
  BuildBank();
  std::string first = XlsxFiles::WritePackage(*book_);
  // Add parts of the kinds other programs put in packages.
  PackageReader base = PackageReader::Open(first, "base.xlsx");
  PackageWriter extended;
  for (const std::string& entry : base.EntryNames()) extended.CopyFrom(base, entry);
  extended.Add("xl/media/image1.png", std::string("\x89PNG\r\n\x1a\n-not-really", 19), 0);
  extended.Add("customXml/item1.xml", "<root><keep>me</keep></root>");
  extended.Add("xl/vbaProject.bin", std::string(300, '\x07'));
  platform_.AddFile("/home/user/rich.xlsm", extended.Finish());

  Workbook& opened = app_.Workbooks().Open("/home/user/rich.xlsm");
  opened.SheetAt(2).Range("Q1").SetValue(3);  // a change, then save
  files_.Save(opened, "/home/user/rich.xlsm");
  const PackageReader before =
      PackageReader::Open(std::string(platform_.files().at("/home/user/rich.xlsm")), "x");
  for (const char* entry : {"xl/media/image1.png", "customXml/item1.xml", "xl/vbaProject.bin"}) {
    ASSERT_TRUE(before.Has(entry)) << entry;
  }
  EXPECT_EQ(before.Read("xl/vbaProject.bin"), std::string(300, '\x07'));
  EXPECT_EQ(before.Read("customXml/item1.xml"), "<root><keep>me</keep></root>");
  Workbook& again = app_.Workbooks().Open("/home/user/rich.xlsm");
  EXPECT_EQ(&again, &opened) << "already open";
}

TEST_F(XlsxFilesTest, AFileThatIsNoWorkbookIsRefusedAndLeftAlone) {
  platform_.AddFile("/home/user/notes.xlsx", "just some text, not a package");
  EXPECT_EQ(HostErrorOf([&] { app_.Workbooks().Open("/home/user/notes.xlsx"); }),
            HostError::kApplicationDefined);
  EXPECT_EQ(platform_.files().at("/home/user/notes.xlsx"), "just some text, not a package");
  EXPECT_EQ(app_.Workbooks().Count(), 1);
  EXPECT_EQ(HostErrorOf([&] { app_.Workbooks().Open("/home/user/none.xlsx"); }),
            HostError::kFileNotFound);
}

TEST_F(XlsxFilesTest, AFailedSaveLeavesTheOldFile) {
  BuildBank();
  platform_.AddFile("/home/user/bank.xlsx", "old bytes");
  platform_.FailNextWrite();
  EXPECT_EQ(HostErrorOf([&] { files_.Save(*book_, "/home/user/bank.xlsx"); }),
            HostError::kPathFileAccess);
  EXPECT_EQ(platform_.files().at("/home/user/bank.xlsx"), "old bytes");
}

}  // namespace
}  // namespace tarquel::host::xlsx
