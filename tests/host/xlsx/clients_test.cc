// Other programs read what the host writes: a workbook built through the host engine converts
// to PDF with the office suite's headless converter and reads back in a Python reader with the
// same values. Both come from Debian's packages (scripts/install-deps.sh installs them).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/platform/posix_platform.h"
#include "host/xlsx/xlsx_files.h"
#include "support/host_fixture.h"
#include "support/shell.h"

namespace tarquel::host::xlsx {
namespace {

namespace fs = std::filesystem;

class ClientsTest : public testing::HostTest {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tarquel-clients-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    sheet_->SetName("テスト用紙 【40】");
    sheet_->Range("T2").SetValue("試合にカツために練習する。");
    sheet_->Range("T2").Characters(4, 2).Font().SetUnderline(Underline::kSingle);
    sheet_->Range("T2").SetOrientation(Orientation::kVertical);
    sheet_->Range("T2").SetShrinkToFit(true);
    sheet_->Range("A3:T3").Borders(BorderIndex::kEdgeTop).SetLineStyle(LineStyle::kContinuous);
    sheet_->Range("A3:T3")
        .Borders(BorderIndex::kInsideVertical)
        .SetLineStyle(LineStyle::kContinuous);
    sheet_->Range("T1").SetValue(1);
    sheet_->Range("Q1:T1").Merge();
    sheet_->Range("U1").SetNumberFormatLocal("\"No.\"0");
    sheet_->Range("U1").SetValue(1);
    sheet_->Range("U8").SetValue("1234[1-40]40");
    sheet_->Range("T2").AddComment("出典：教科書");
    sheet_->Rows(2).SetRowHeight(190);
    sheet_->Columns("A:T").SetColumnWidth(6.4);
    sheet_->page_setup().orientation = PageOrientation::kLandscape;
    sheet_->page_setup().paper_size = kPaperA4;
    sheet_->SetPrintArea("A1:U8");
    path_ = dir_ + "/test.xlsx";
    PosixPlatform platform;
    XlsxFiles(platform).Save(*book_, path_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string dir_;
  std::string path_;
};

TEST_F(ClientsTest, TheOfficeSuiteConvertsItToPdf) {
  if (testing::RunShell("command -v soffice").empty())
    GTEST_SKIP() << "soffice is not installed (scripts/install-deps.sh)";
  const std::string output = testing::RunShell("cd " + dir_ + " && HOME=" + dir_ +
                                               " soffice --headless --convert-to pdf --outdir " +
                                               dir_ + " " + path_ + " 2>&1");
  const fs::path pdf = dir_ + "/test.pdf";
  ASSERT_TRUE(fs::exists(pdf)) << output;
  EXPECT_GT(fs::file_size(pdf), 1000u);
  std::ifstream in(pdf, std::ios::binary);
  std::string head(5, '\0');
  in.read(head.data(), 5);
  EXPECT_EQ(head, "%PDF-");
}

TEST_F(ClientsTest, APythonReaderSeesTheSameValues) {
  if (testing::RunShell("/usr/bin/python3 -c 'import openpyxl' 2>&1; echo $?").find('0') != 0) {
    GTEST_SKIP() << "python3-openpyxl is not installed (scripts/install-deps.sh)";
  }
  const std::string script =
      "import openpyxl\n"
      "wb = openpyxl.load_workbook('" +
      path_ +
      "')\n"
      "ws = wb['テスト用紙 【40】']\n"
      "print(ws['T2'].value)\n"
      "print(ws['Q1'].value, ws['U1'].value, ws['U1'].number_format)\n"
      "print(ws['U8'].value)\n"
      "print(ws['T2'].alignment.textRotation, ws['T2'].alignment.shrink_to_fit)\n"
      "print(ws['T2'].comment.text)\n"
      "print([str(r) for r in ws.merged_cells.ranges])\n"
      "print(ws.page_setup.orientation, ws.page_setup.paperSize, ws.print_area)\n"
      "print(ws.row_dimensions[2].height, ws.column_dimensions['A'].width)\n";
  std::ofstream(dir_ + "/read.py") << script;
  const std::string output = testing::RunShell("/usr/bin/python3 " + dir_ + "/read.py 2>&1");
  EXPECT_EQ(output,
            "試合にカツために練習する。\n"
            "1 1 \"No.\"0\n"
            "1234[1-40]40\n"
            "255 True\n"
            "出典：教科書\n"
            "['Q1:T1']\n"
            "landscape 9 ['$A$1:$U$8']\n"
            "190.0 6.4\n");
}

}  // namespace
}  // namespace tarquel::host::xlsx
