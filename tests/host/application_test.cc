#include "host/application.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"

namespace tarquel::host {
namespace {

using testing::HostErrorOf;

class ApplicationTest : public testing::HostTest {};

TEST_F(ApplicationTest, ShortcutKeysBindCtrlAndALetterToAMacro) {
  app_.MacroOptions("M_START", true, "t");
  app_.MacroOptions("M_InPutAns", true, "a");
  app_.MacroOptions("M_START", true, "t");  // registering again replaces
  EXPECT_EQ(app_.ShortcutMacro("t"), "M_START");
  EXPECT_EQ(app_.ShortcutMacro("a"), "M_InPutAns");
  EXPECT_EQ(app_.shortcut_keys().size(), 2u);
  app_.MacroOptions("M_Command1", true, "a");  // the key moves to the new macro
  EXPECT_EQ(app_.ShortcutMacro("a"), "M_Command1");
  EXPECT_FALSE(app_.ShortcutMacro("b").has_value());
  EXPECT_EQ(HostErrorOf([&] { app_.MacroOptions("M_X", true, "ab"); }),
            HostError::kApplicationDefined);
}

TEST_F(ApplicationTest, FileOpenDialogGetsTheFilterPairsAndPassesFalseOnCancel) {
  ui_.QueueOpenFilename("False");
  EXPECT_EQ(app_.GetOpenFilename("Microsoft Excelブック,*.xl*,テキストファイル,*.txt"), "False");
  const auto& record = std::get<testing::OpenFilenameRecord>(ui_.log().back());
  ASSERT_EQ(record.filters.size(), 2u);
  EXPECT_EQ(record.filters[0].description, "Microsoft Excelブック");
  EXPECT_EQ(record.filters[0].pattern, "*.xl*");
  EXPECT_EQ(record.filters[1].pattern, "*.txt");
  EXPECT_EQ(HostErrorOf([&] { app_.GetOpenFilename("odd,one,out"); }), HostError::kInvalidCall);
}

TEST_F(ApplicationTest, WindowAndApplicationSettings) {
  EXPECT_TRUE(app_.ActiveWindow().DisplayGridlines());
  app_.ActiveWindow().SetDisplayGridlines(false);
  EXPECT_FALSE(sheet_->view().show_gridlines);
  EXPECT_DOUBLE_EQ(Application::InchesToPoints(0.17), 12.24);
  app_.SetDisplayCommentIndicator(CommentIndicator::kIndicatorOnly);
  EXPECT_EQ(app_.DisplayCommentIndicator(), CommentIndicator::kIndicatorOnly);
  app_.ActiveWindow().PrintPreviewSelectedSheets();
  const auto& preview = std::get<testing::PrintPreviewRecord>(ui_.log().back());
  EXPECT_EQ(preview.sheets, std::vector<Worksheet*>{sheet_});
}

TEST_F(ApplicationTest, PageSetupAndPrintArea) {
  PageSetup& setup = sheet_->page_setup();
  setup.left_margin = Application::InchesToPoints(0.17);
  setup.orientation = PageOrientation::kLandscape;
  sheet_->SetPrintArea("A1:U24");
  EXPECT_EQ(sheet_->PrintArea(), "$A$1:$U$24");
  EXPECT_EQ(HostErrorOf([&] { sheet_->SetPrintArea("A1:U"); }), HostError::kApplicationDefined);
  EXPECT_EQ(sheet_->PrintArea(), "$A$1:$U$24") << "a refused area changes nothing";
  sheet_->SetPrintArea("");
  EXPECT_EQ(sheet_->PrintArea(), "");
}

class FakeFiles : public WorkbookFiles {
 public:
  void Load(const std::string& path, Workbook& into) override {
    if (path.ends_with(".bad")) throw HostError(HostError::kApplicationDefined, "壊れています");
    into.InsertSheet(1, "ミラヴォ 同音・同訓");
  }
  void Save(const Workbook&, const std::string&) override {}
};

TEST_F(ApplicationTest, OpeningAWorkbookGoesThroughTheFileCodec) {
  EXPECT_EQ(HostErrorOf([&] { app_.Workbooks().Open("/data/bank.xlsx"); }),
            HostError::kApplicationDefined)
      << "no codec";
  FakeFiles files;
  app_.SetWorkbookFiles(&files);
  Workbook& bank = app_.Workbooks().Open("/data/bank.xlsx");
  EXPECT_EQ(bank.Path(), "/data");
  EXPECT_EQ(bank.Name(), "bank.xlsx");
  EXPECT_EQ(app_.ActiveSheet().Name(), "ミラヴォ 同音・同訓");
  EXPECT_EQ(&app_.Workbooks().Open("/data/bank.xlsx"), &bank) << "already open";
  EXPECT_EQ(app_.Workbooks().Count(), 2);
  EXPECT_EQ(HostErrorOf([&] { app_.Workbooks().Open("/data/x.bad"); }),
            HostError::kApplicationDefined);
  EXPECT_EQ(app_.Workbooks().Count(), 2);
  EXPECT_EQ(app_.ActiveWorkbook(), &bank);
  app_.Workbooks().Close(bank);
  EXPECT_EQ(app_.ActiveWorkbook(), book_);
  app_.Workbooks().Close(*book_);
  EXPECT_EQ(app_.Workbooks().Count(), 0);
  EXPECT_EQ(HostErrorOf([&] { app_.ActiveSheet(); }), 91);
}

}  // namespace
}  // namespace tarquel::host
