// Whole packages: a workbook built through the host saved and opened again, and a package
// with parts the host does not model opened and saved without losing them.
#include "host/xlsx/xlsx_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>

#include <pugixml.hpp>

#include "host/platform/memory_platform.h"
#include "host/platform/posix_platform.h"
#include "host/xlsx/compound_file.h"
#include "host/xlsx/fingerprint.h"
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

// A chart sheet is a sheet the host does not model: the workbook opens with its worksheets,
// and saving keeps the chart sheet in its place in the list, its part unchanged, and the
// indices that count it (a print area's sheet, the active tab) right.
TEST_F(XlsxFilesTest, AChartSheetStaysInItsPlace) {
  BuildBank();
  PackageReader base = PackageReader::Open(XlsxFiles::WritePackage(*book_), "base.xlsx");
  auto edited = [&](const std::string& part, const std::function<void(pugi::xml_node)>& edit) {
    pugi::xml_document doc;
    doc.load_string(base.Read(part).c_str());
    edit(doc.first_child());
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw);
    return out.str();
  };
  const std::string chart =
      "<chartsheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<sheetViews><sheetView workbookViewId=\"0\"/></sheetViews></chartsheet>";
  PackageWriter extended;
  for (const std::string& entry : base.EntryNames()) {
    if (entry == "xl/workbook.xml") {
      extended.Add(
          entry, edited(entry, [](pugi::xml_node workbook) {
            pugi::xml_node first = workbook.child("sheets").prepend_child("sheet");
            first.append_attribute("name") = "グラフ1";
            first.append_attribute("sheetId") = 9;
            first.append_attribute("r:id") = "rIdChart";
            for (pugi::xml_node name : workbook.child("definedNames").children()) {
              name.attribute("localSheetId").set_value(name.attribute("localSheetId").as_int() + 1);
            }
            pugi::xml_node view = workbook.child("bookViews").child("workbookView");
            view.remove_attribute("activeTab");
            view.append_attribute("activeTab") = 1;  // the test sheet, behind the chart sheet
          }));
    } else if (entry == "xl/_rels/workbook.xml.rels") {
      extended.Add(
          entry, edited(entry, [](pugi::xml_node rels) {
            pugi::xml_node rel = rels.append_child("Relationship");
            rel.append_attribute("Id") = "rIdChart";
            rel.append_attribute("Type") =
                "http://schemas.openxmlformats.org/officeDocument/2006/relationships/chartsheet";
            rel.append_attribute("Target") = "chartsheets/sheet1.xml";
          }));
    } else if (entry == "[Content_Types].xml") {
      extended.Add(
          entry, edited(entry, [](pugi::xml_node types) {
            pugi::xml_node o = types.append_child("Override");
            o.append_attribute("PartName") = "/xl/chartsheets/sheet1.xml";
            o.append_attribute("ContentType") =
                "application/vnd.openxmlformats-officedocument.spreadsheetml.chartsheet+xml";
          }));
    } else {
      extended.CopyFrom(base, entry);
    }
  }
  extended.Add("xl/chartsheets/sheet1.xml", chart);
  platform_.AddFile("/home/user/chart.xlsx", extended.Finish());

  Workbook& opened = app_.Workbooks().Open("/home/user/chart.xlsx");
  ASSERT_EQ(opened.SheetCount(), 2);
  EXPECT_EQ(opened.ActiveSheet().Name(), "テスト用紙 【40】");
  EXPECT_EQ(opened.Sheets().Item("テスト用紙 【40】").PrintArea(), "$A$1:$U$24");
  opened.Sheets().Item("ミラヴォ 同音・同訓").Range("Q1").SetValue(3);
  files_.Save(opened, "/home/user/chart.xlsx");

  const PackageReader saved =
      PackageReader::Open(std::string(platform_.files().at("/home/user/chart.xlsx")), "saved");
  EXPECT_EQ(saved.Read("xl/chartsheets/sheet1.xml"), chart);
  pugi::xml_document workbook;
  workbook.load_string(saved.Read("xl/workbook.xml").c_str());
  std::vector<std::string> names;
  for (pugi::xml_node sheet : workbook.child("workbook").child("sheets").children()) {
    names.push_back(sheet.attribute("name").value());
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"グラフ1", "テスト用紙 【40】", "ミラヴォ 同音・同訓"}));
  EXPECT_EQ(std::string(workbook.child("workbook")
                            .child("definedNames")
                            .child("definedName")
                            .attribute("localSheetId")
                            .value()),
            "1");
  EXPECT_EQ(std::string(workbook.child("workbook")
                            .child("bookViews")
                            .child("workbookView")
                            .attribute("activeTab")
                            .value()),
            "1");
  EXPECT_NE(saved.Read("xl/_rels/workbook.xml.rels").find("chartsheets/sheet1.xml"),
            std::string::npos);
  EXPECT_NE(saved.Read("[Content_Types].xml").find("/xl/chartsheets/sheet1.xml"),
            std::string::npos);
  app_.Workbooks().Close(opened);
  Workbook& again = app_.Workbooks().Open("/home/user/chart.xlsx");
  EXPECT_EQ(again.Sheets().Item("ミラヴォ 同音・同訓").Range("Q1").Value().number(), 3);
  EXPECT_EQ(again.Sheets().Item("テスト用紙 【40】").PrintArea(), "$A$1:$U$24");
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

// A file the host cannot take is refused with a message that names it and says what is
// wrong; nothing is opened and the file stays as it was.
TEST_F(XlsxFilesTest, EveryKindOfBadFileIsRefusedWithItsReason) {
  BuildBank();
  const std::string good = XlsxFiles::WritePackage(*book_);
  const PackageReader base = PackageReader::Open(good, "good.xlsx");
  // The good package with `part` replaced (or left out, for nullopt), and `extra` added.
  auto package = [&](const std::string& part, std::optional<std::string> replacement,
                     const std::string& extra_name = "", const std::string& extra = "") {
    PackageWriter writer;
    for (const std::string& entry : base.EntryNames()) {
      if (entry != part) {
        writer.CopyFrom(base, entry);
      } else if (replacement) {
        writer.Add(entry, *replacement);
      }
    }
    if (!extra_name.empty()) writer.Add(extra_name, extra);
    return writer.Finish();
  };
  auto replaced = [&](const std::string& part, const std::string& from, const std::string& to) {
    std::string text = base.Read(part);
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << part << ": " << from;
    return package(part, text.replace(at, from.size(), to));
  };
  // The same bytes with every occurrence of one entry name changed to another of its length,
  // as a hostile archive would name it.
  auto renamed = [&](const std::string& from, const std::string& to) {
    std::string bytes = good;
    for (std::size_t at = 0; (at = bytes.find(from, at)) != std::string::npos; at += to.size()) {
      bytes.replace(at, from.size(), to);
    }
    return bytes;
  };
  // The same bytes with the compressed data of the style sheet overwritten.
  auto corrupted = [&] {
    std::string bytes = good;
    const std::size_t at = bytes.find("xl/styles.xml") + std::string("xl/styles.xml").size();
    bytes.replace(at + 4, 16, 16, 'x');
    return bytes;
  };
  const std::string sheet = "xl/worksheets/sheet2.xml";  // the bank
  struct Case {
    const char* what;
    std::string bytes;
    const char* reason;  // part of the message
  };
  const std::vector<Case> cases = {
      {"not a zip", "just some text, not a package", "zip 形式のファイルではありません"},
      {"a truncated zip", good.substr(0, good.size() / 2), "壊れ"},
      {"a corrupt entry", corrupted(), "壊れ"},
      {"an entry climbing out", renamed("xl/styles.xml", "../styles.xml"), ".."},
      {"an absolute entry", renamed("xl/styles.xml", "/l/styles.xml"), "styles.xml"},
      {"a zip bomb", package("", std::nullopt, "xl/media/zeros.bin", std::string(4 << 20, '\0')),
       "zeros.bin"},
      {"a document type",
       replaced("xl/workbook.xml", "<workbook", "<!DOCTYPE x [<!ENTITY a \"b\">]><workbook"),
       "DOCTYPE"},
      {"an entity", replaced("xl/sharedStrings.xml", "<t>", "<t>&a;"), "&a;"},
      {"no workbook part", package("xl/workbook.xml", std::nullopt), "xl/workbook.xml"},
      {"a shared string out of range", replaced(sheet, "<v>1</v>", "<v>99</v>"), "99"},
      {"a style out of range", replaced(sheet, "<c r=\"C1\"", "<c r=\"C1\" s=\"99\""), "99"},
      {"a cell outside the sheet", replaced(sheet, "r=\"C1\"", "r=\"XFE1\""), "XFE1"},
      {"text that is not UTF-8", replaced("xl/sharedStrings.xml", "<t>", "<t>\xff"), "UTF-8"},
      {"two sheets of one name",
       replaced("xl/workbook.xml", "name=\"テスト用紙 【40】\"", "name=\"ミラヴォ 同音・同訓\""),
       "ミラヴォ 同音・同訓"},
      {"a protected workbook",
       std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0'), "パスワード"},
      {"a legacy worksheet",
       std::string("\x09\x08\x10\x00\x00\x06\x05\x00", 8) + std::string(504, '\0'),
       "xlsx 形式で保存し直して"},
  };
  for (const Case& bad : cases) {
    SCOPED_TRACE(bad.what);
    const std::string path = "/home/user/bad.xlsx";
    platform_.AddFile(path, bad.bytes);
    std::string message;
    try {
      app_.Workbooks().Open(path);
    } catch (const HostError& error) {
      message = error.description();
    }
    EXPECT_NE(message.find("bad.xlsx"), std::string::npos) << message;
    EXPECT_NE(message.find(bad.reason), std::string::npos) << message;
    EXPECT_TRUE(platform_.files().at(path) == bad.bytes) << "the file is left as it was";
    EXPECT_EQ(app_.Workbooks().Count(), 1) << "nothing is opened";
  }
}

// Opening a file that is not there says so as the host does, with the full name opened.
// The workbook reader checks the parts it reads as it reads them and the parts it only keeps
// after them: a damaged part nobody parses is refused all the same, before it could be copied
// into a save.
TEST_F(XlsxFilesTest, AWorkbookWithADamagedPartItOnlyKeepsIsRefused) {
  BuildBank();
  const std::string good = XlsxFiles::WritePackage(*book_);
  const PackageReader base = PackageReader::Open(good, "good.xlsx");
  const std::string kept(4000, 'k');
  PackageWriter writer;
  for (const std::string& entry : base.EntryNames()) writer.CopyFrom(base, entry);
  writer.Add("customXml/item1.xml", "<k>" + kept + "</k>", 0);  // stored, as some writers do
  std::string bytes = writer.Finish();
  platform_.AddFile("/home/user/kept.xlsx", bytes);
  EXPECT_NO_THROW(app_.Workbooks().Open("/home/user/kept.xlsx")) << "undamaged, it opens";

  bytes[bytes.find(kept) + 100] ^= 0x01;
  platform_.AddFile("/home/user/damaged.xlsx", bytes);
  const int open_before = app_.Workbooks().Count();
  std::string message;
  try {
    app_.Workbooks().Open("/home/user/damaged.xlsx");
  } catch (const HostError& error) {
    message = error.description();
  }
  EXPECT_THAT(message, ::testing::HasSubstr("customXml/item1.xml"));
  EXPECT_EQ(app_.Workbooks().Count(), open_before);
  EXPECT_EQ(platform_.files().at("/home/user/damaged.xlsx"), bytes);
}

TEST_F(XlsxFilesTest, AMissingFileIsReportedAsNotFound) {
  for (const std::string path : {"/home/user/none.xlsx", "/home/user/no folder/bank.xlsx"}) {
    std::string description;
    int number = 0;
    try {
      app_.Workbooks().Open(path);
    } catch (const HostError& error) {
      number = error.number();
      description = error.description();
    }
    EXPECT_EQ(number, HostError::kFileNotFound) << path;
    EXPECT_EQ(description, "「" + path + "」が見つかりません。");
  }
  EXPECT_EQ(app_.Workbooks().Count(), 1);
}

// A workbook of another format is refused for what it is, told by its content whatever its
// name, with what to do: save it as .xlsx in the program that made it.
TEST_F(XlsxFilesTest, AWorkbookOfAnotherFormatIsNamedWithWhatToDo) {
  auto open_document = [](const std::string& type) {
    PackageWriter writer;
    writer.Add("mimetype", type, 0);
    writer.Add("content.xml", "<office:document-content/>");
    writer.Add("META-INF/manifest.xml", "<manifest:manifest/>");
    return writer.Finish();
  };
  const std::string ods = open_document("application/vnd.oasis.opendocument.spreadsheet");
  const std::string save_as =
      "作成したソフトで開き、ファイルの種類に「.xlsx」を選んで xlsx 形式で保存し直して下さい。";
  struct Case {
    std::string path;
    std::string bytes;
    std::string says;
  } cases[] = {
      {"/home/user/bank.ods", ods,
       "」は OpenDocument 形式の表計算ファイル（.ods）のため開けません。"},
      {"/home/user/bank.xlsx", ods,
       "」は OpenDocument 形式の表計算ファイル（.ods）のため開けません。"},
      {"/home/user/bank.ots",
       open_document("application/vnd.oasis.opendocument.spreadsheet-template\n"),
       "」は OpenDocument 形式の表計算ファイル（.ods）のため開けません。"},
      {"/home/user/bank.xls", cfb::CompoundFile({"Workbook"}),
       "」は古い形式（.xls）のブックのため開けません。"},
      {"/home/user/bank.xlsx", cfb::CompoundFile({"\x05SummaryInformation", "Workbook"}),
       "」は古い形式（.xls）のブックのため開けません。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    platform_.AddFile(c.path, c.bytes);
    std::string description;
    try {
      app_.Workbooks().Open(c.path);
    } catch (const HostError& error) {
      EXPECT_EQ(error.number(), HostError::kApplicationDefined);
      description = error.description();
    }
    EXPECT_THAT(description, ::testing::StartsWith("ファイル「" + c.path + c.says));
    EXPECT_THAT(description, ::testing::EndsWith(save_as));
    EXPECT_TRUE(platform_.files().at(c.path) == c.bytes) << "the file is left as it was";
    EXPECT_EQ(app_.Workbooks().Count(), 1) << "nothing is opened";
  }
  // A document of the same family that is no spreadsheet has nothing to save as a workbook.
  platform_.AddFile("/home/user/letter.odt",
                    open_document("application/vnd.oasis.opendocument.text"));
  std::string description;
  try {
    app_.Workbooks().Open("/home/user/letter.odt");
  } catch (const HostError& error) {
    description = error.description();
  }
  EXPECT_EQ(description,
            "ファイル「/home/user/letter.odt」は OpenDocument "
            "形式の文書（text）で、ブック（.xlsx）ではありません。");
}

// Saving onto a folder is refused with what it is; the workbook stays where it was.
TEST_F(XlsxFilesTest, SavingOntoAFolderIsRefused) {
  BuildBank();
  platform_.CreateFolder("/home/user/tests");
  std::string description;
  try {
    book_->SaveAs("/home/user/tests");
  } catch (const HostError& error) {
    EXPECT_EQ(error.number(), HostError::kPathFileAccess);
    description = error.description();
  }
  EXPECT_EQ(description,
            "ファイル「/home/user/tests」に保存できません。cannot write /home/user/tests: it is a "
            "folder, not a regular file");
  EXPECT_EQ(book_->FullName(), "Book1");
  EXPECT_TRUE(platform_.FolderExists("/home/user/tests"));
}

// On the real file system: a named pipe given as the workbook to save (as "-o" may name one)
// is refused and stays a pipe; it used to be replaced by the workbook file.
TEST_F(XlsxFilesTest, SavingOntoANamedPipeIsRefusedAndLeavesIt) {
  std::string folder = ::testing::TempDir() + "xlsx_files_test_XXXXXX";
  ASSERT_NE(mkdtemp(folder.data()), nullptr);
  const std::string pipe = folder + "/bank.xlsx";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  PosixPlatform posix;
  XlsxFiles files(posix);
  app_.SetWorkbookFiles(&files);
  BuildBank();
  std::string description;
  try {
    book_->SaveAs(pipe);
  } catch (const HostError& error) {
    EXPECT_EQ(error.number(), HostError::kPathFileAccess);
    description = error.description();
  }
  struct stat st {};
  EXPECT_EQ(lstat(pipe.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the pipe was replaced";
  EXPECT_THAT(description, ::testing::HasSubstr("ファイル「" + pipe + "」に保存できません。"));
  EXPECT_THAT(description, ::testing::HasSubstr("it is a named pipe (FIFO), not a regular file"));
  EXPECT_EQ(book_->FullName(), "Book1");
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    left.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(left, std::vector<std::string>{"bank.xlsx"}) << "a temporary file was left behind";
  app_.SetWorkbookFiles(&files_);
  std::filesystem::remove_all(folder);
}

TEST_F(XlsxFilesTest, AFailedSaveLeavesTheOldFile) {
  BuildBank();
  platform_.AddFile("/home/user/bank.xlsx", "old bytes");
  platform_.FailNextWrite();
  EXPECT_EQ(HostErrorOf([&] { files_.Save(*book_, "/home/user/bank.xlsx"); }),
            HostError::kPathFileAccess);
  EXPECT_EQ(platform_.files().at("/home/user/bank.xlsx"), "old bytes");
}

TEST_F(XlsxFilesTest, SaveAsWritesTheFileAndMovesTheWorkbookThere) {
  BuildBank();
  platform_.CreateFolder("/home/user/tests");
  book_->SaveAs("/home/user/tests/bank.xlsx");
  EXPECT_EQ(book_->Path(), "/home/user/tests");
  EXPECT_EQ(book_->Name(), "bank.xlsx");
  EXPECT_TRUE(platform_.files().contains("/home/user/tests/bank.xlsx"));

  platform_.FailNextWrite();
  EXPECT_EQ(HostErrorOf([&] { book_->SaveAs("/home/user/other.xlsx"); }),
            HostError::kPathFileAccess);
  EXPECT_EQ(book_->FullName(), "/home/user/tests/bank.xlsx") << "a failed save moves nothing";
  EXPECT_FALSE(platform_.files().contains("/home/user/other.xlsx"));
}

// An untouched workbook gives its file back byte for byte; any change the writer would carry
// makes it write the workbook anew, and the change is in the file.
class UnchangedWorkbookTest : public XlsxFilesTest {
 protected:
  Workbook& OpenBank() {
    if (original_.empty()) {
      BuildBank();
      original_ = XlsxFiles::WritePackage(*book_);
      platform_.AddFile("/home/user/bank.xlsx", original_);
    }
    return app_.Workbooks().Open("/home/user/bank.xlsx");
  }
  std::string original_;
};

TEST_F(UnchangedWorkbookTest, AnUntouchedWorkbookIsSavedAsItsFile) {
  Workbook& opened = OpenBank();
  opened.Sheets().Item("ミラヴォ 同音・同訓").Range("D1").Value();  // reading changes nothing
  EXPECT_TRUE(XlsxFiles::WritePackage(opened) == original_);
  // The writer's own file keeps every index it gave, so written anew it is the same file.
  EXPECT_TRUE(XlsxFiles::WritePackage(opened, XlsxFiles::WriteMode::kRegenerate) == original_);
}

TEST_F(UnchangedWorkbookTest, EveryKindOfChangeIsWritten) {
  struct Change {
    const char* what;
    std::function<void(Workbook&)> make;
    std::function<bool(Workbook&)> seen;  // on the workbook read back from the saved file
  };
  auto bank = [](Workbook& book) -> Worksheet& {
    return book.Sheets().Item("ミラヴォ 同音・同訓");
  };
  auto test = [](Workbook& book) -> Worksheet& { return book.Sheets().Item("テスト用紙 【40】"); };
  const std::vector<Change> changes = {
      {"a number", [&](Workbook& b) { bank(b).Range("Q1").SetValue(3); },
       [&](Workbook& b) { return bank(b).Range("Q1").Value().number() == 3; }},
      {"a text", [&](Workbook& b) { bank(b).Range("F1").SetValue("X"); },
       [&](Workbook& b) { return bank(b).Range("F1").Value().AsText() == "X"; }},
      {"a run's font",
       [&](Workbook& b) { bank(b).Range("D1").Characters(1, 2).Font().SetBold(true); },
       [&](Workbook& b) { return bank(b).Range("D1").Characters(1, 1).Font().Bold(); }},
      {"a cell format",
       [&](Workbook& b) {
         bank(b).Range("E1").SetHorizontalAlignment(HorizontalAlignment::kCenter);
       },
       [&](Workbook& b) {
         return bank(b).Range("E1").HorizontalAlignment() == HorizontalAlignment::kCenter;
       }},
      {"a cleared cell", [&](Workbook& b) { bank(b).Range("C1").ClearContents(); },
       [&](Workbook& b) { return bank(b).Range("C1").Value().IsEmpty(); }},
      {"a row height", [&](Workbook& b) { bank(b).Rows(1).SetRowHeight("26"); },
       [&](Workbook& b) { return bank(b).Range("A1").RowHeight() == 26; }},
      {"a column width", [&](Workbook& b) { bank(b).Columns("D").SetColumnWidth("40"); },
       [&](Workbook& b) { return bank(b).Range("D1").ColumnWidth() == 40; }},
      {"a merge", [&](Workbook& b) { test(b).Range("A1:B1").Merge(); },
       [&](Workbook& b) { return test(b).Range("B1").MergeCells(); }},
      {"a comment's size", [&](Workbook& b) { bank(b).Range("D1").Comment()->ScaleWidth(2); },
       [&](Workbook& b) {
         return bank(b).Range("D1").Comment()->Width() > kDefaultCommentWidth * 1.9;
       }},
      {"a new comment", [&](Workbook& b) { bank(b).Range("E1").AddComment("答え"); },
       [&](Workbook& b) { return bank(b).Range("E1").Comment().has_value(); }},
      {"the page setup",
       [&](Workbook& b) { test(b).page_setup().orientation = PageOrientation::kPortrait; },
       [&](Workbook& b) { return test(b).page_setup().orientation == PageOrientation::kPortrait; }},
      {"the print area", [&](Workbook& b) { test(b).SetPrintArea("A1:U48"); },
       [&](Workbook& b) { return test(b).PrintArea() == "$A$1:$U$48"; }},
      {"the gridlines", [&](Workbook& b) { test(b).view().show_gridlines = true; },
       [&](Workbook& b) { return test(b).view().show_gridlines; }},
      {"the selection", [&](Workbook& b) { test(b).Range("E5").Select(); },
       [&](Workbook& b) {
         return test(b).active_cell() == std::pair<int32_t, int32_t>{5, 5};
       }},
      {"a sheet's name", [&](Workbook& b) { test(b).SetName("テスト用紙 【20】"); },
       [&](Workbook& b) { return b.FindSheet("テスト用紙 【20】") != nullptr; }},
      {"the active sheet", [&](Workbook& b) { bank(b).Activate(); },
       [&](Workbook& b) { return b.ActiveSheet().Name() == "ミラヴォ 同音・同訓"; }},
      {"a new sheet", [&](Workbook& b) { b.Sheets().Add().SetName("メモ"); },
       [&](Workbook& b) { return b.FindSheet("メモ") != nullptr; }},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    Workbook& opened = OpenBank();
    change.make(opened);
    const std::string saved = XlsxFiles::WritePackage(opened);
    EXPECT_TRUE(saved != original_) << "the file as read was given back";
    Workbook reread(app_, "reread.xlsx");
    XlsxFiles::ReadPackage(saved, "reread.xlsx", reread);
    EXPECT_TRUE(change.seen(reread));
    app_.Workbooks().Close(opened);
  }
}

// Moving about a workbook leaves its content fingerprint alone; changing what it holds does not.
TEST_F(UnchangedWorkbookTest, TheContentFingerprintIgnoresWhereTheUserLooks) {
  Workbook& opened = OpenBank();
  const uint64_t content = ContentFingerprint(opened);
  const uint64_t whole = WorkbookFingerprint(opened);
  Worksheet& bank = opened.Sheets().Item("ミラヴォ 同音・同訓");
  opened.ActivateSheet(bank);
  bank.Range("E1:E3").Select();
  EXPECT_EQ(ContentFingerprint(opened), content);
  EXPECT_NE(WorkbookFingerprint(opened), whole) << "the file keeps the view, so saving does";
  bank.Range("F1").SetValue("X");
  EXPECT_NE(ContentFingerprint(opened), content);
}

}  // namespace
}  // namespace tarquel::host::xlsx
