#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/host_error.h"
#include "host/platform/cp932.h"
#include "host/platform/memory_platform.h"
#include "support/write_counting_platform.h"

namespace tarquel::settings {
namespace {

constexpr char kFolder[] = "/home/user/Documents/ソルネア保存データ";
constexpr char kPath[] = "/home/user/Documents/ソルネア保存データ/ミラヴォ 同音・同訓_設定値.ini";

class SettingsFileTest : public ::testing::Test {
 protected:
  // Through the counting platform: every test can ask how many writes it made.
  SettingsLocation location() {
    return {&counting_, "ソルネア保存データ", "ミラヴォ 同音・同訓_設定値.ini"};
  }
  void GivenFile(std::string_view bytes) { platform_.AddFile(kPath, bytes); }
  std::string File() const { return platform_.files().at(kPath); }
  bool FileExists() const { return platform_.files().contains(kPath); }

  // The description of the host error `action` throws; fails the test when it throws none.
  template <typename Action>
  std::string ErrorOf(Action action) {
    try {
      action();
    } catch (const host::HostError& error) {
      return error.description();
    }
    ADD_FAILURE() << "no error";
    return "";
  }

  host::MemoryPlatform platform_;
  testing::WriteCountingPlatform counting_{platform_};
};

// A history file of five entries among other keys, as CP932 bytes.
std::string HistoryFile(const std::vector<std::string>& entries) {
  std::string file = "RND:77\r\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    file += "PATH" + std::to_string(i + 1) + ":" + host::Utf8ToCp932(entries[i]).value() + "\r\n";
  }
  return file + "Mo:12\r\n";
}

TEST_F(SettingsFileTest, ReadingWithoutAFileGivesTheDefaultAndMakesOnlyTheFolder) {
  EXPECT_EQ(ReadSetting(location(), "Mo", "40"), "40");
  EXPECT_FALSE(FileExists());
  EXPECT_TRUE(platform_.FolderExists(kFolder));
  EXPECT_EQ(MakeSettingsPath(location()), kPath);
}

TEST_F(SettingsFileTest, AMissingDocumentsFolderIsMadeToo) {
  host::MemoryPlatform bare("/home/new/Documents");
  bare.RemoveFolder("/home/new/Documents");
  SettingsLocation at{&bare, "ソルネア保存データ", "s.ini"};
  WriteSetting(at, "RND", "1", false);
  EXPECT_TRUE(bare.FileExists("/home/new/Documents/ソルネア保存データ/s.ini"));
}

TEST_F(SettingsFileTest, WritingRebuildsTheFileAroundTheKey) {
  struct Case {
    const char* name;
    std::optional<std::string> before;  // absent: no file
    const char* key;
    const char* value;
    bool remove;
    std::string after;
  };
  const Case cases[] = {
      {"creates the file", std::nullopt, "RND", "77", false, "RND:77\r\n"},
      {"creates it even to delete", std::nullopt, "PATH1", "", true, "PATH1:\r\n"},
      {"replaces in place", "A:1\r\nRND:5\r\nB:2\r\n", "RND", "9", false,
       "A:1\r\nRND:9\r\nB:2\r\n"},
      {"collapses repeats to the first place", "RND:1\r\nA:1\r\nRND:2\r\nB:2\r\n", "RND", "9",
       false, "RND:9\r\nA:1\r\nB:2\r\n"},
      {"appends a new key", "A:1\r\nB:2\r\n", "X", "5", false, "A:1\r\nB:2\r\nX:5\r\n"},
      {"deletes the middle line", "PATH1:x\r\nPATH2:y\r\nPATH3:z\r\n", "PATH2", "", true,
       "PATH1:x\r\nPATH3:z\r\n"},
      {"deletes the first line", "PATH1:x\r\nPATH2:y\r\n", "PATH1", "", true, "PATH2:y\r\n"},
      {"deletes the last line", "PATH1:x\r\nPATH2:y\r\n", "PATH2", "", true, "PATH1:x\r\n"},
      {"deleting the only line leaves a line break", "PATH1:x\r\n", "PATH1", "", true, "\r\n"},
      {"deleting a missing key keeps the rest", "A:1\r\n", "PATH3", "", true, "A:1\r\n"},
      {"a prefix key is another key", "No20:353\r\n", "No", "20", false, "No20:353\r\nNo:20\r\n"},
      {"values may hold colons", "A:1\r\n", "PATH1", "/home/a:b/c.xlsx", false,
       "A:1\r\nPATH1:/home/a:b/c.xlsx\r\n"},
      {"blank lines at the start of a part are dropped", "\r\nA:1\r\nRND:5\r\n\r\nB:2\r\n", "RND",
       "9", false, "A:1\r\nRND:9\r\nB:2\r\n"},
      {"blank lines inside a part stay", "A:1\r\n\r\nB:2\r\nRND:5\r\n", "RND", "9", false,
       "A:1\r\n\r\nB:2\r\nRND:9\r\n"},
      {"LF-only lines are rewritten with CR LF", "A:1\nRND:5\nB:2\n", "RND", "9", false,
       "A:1\r\nRND:9\r\nB:2\r\n"},
      {"lines that are no CP932 are kept byte for byte", "\x81\x20zz\r\nRND:5\r\n", "RND", "6",
       false, "\x81\x20zz\r\nRND:6\r\n"},
      {"values are written in CP932", "A:1\r\n", "PATH1", "/home/データ/b.xlsx", false,
       "A:1\r\nPATH1:/home/\x83\x66\x81\x5B\x83\x5E/b.xlsx\r\n"},
  };
  for (const Case& c : cases) {
    platform_.RemoveFolder(kFolder);
    if (c.before) GivenFile(*c.before);
    WriteSetting(location(), c.key, c.value, c.remove);
    EXPECT_EQ(File(), c.after) << c.name;
  }
}

TEST_F(SettingsFileTest, ReadingFindsTheFirstLineOfTheKeyAndDecodesIt) {
  GivenFile(
      "No20:353\r\nPATH1:/mnt/c:/data/b.xlsx\r\nPATH2:/home/\x83\x66\x81\x5B\x83\x5E\r\n"
      "RND:1\r\nRND:2\r\nE:\r\n");
  EXPECT_EQ(ReadSetting(location(), "No", "20"), "20") << "No20 is not No";
  EXPECT_EQ(ReadSetting(location(), "PATH1", ""), "/mnt/c:/data/b.xlsx");
  EXPECT_EQ(ReadSetting(location(), "PATH2", ""), "/home/データ");
  EXPECT_EQ(ReadSetting(location(), "RND", "1234"), "1");
  EXPECT_EQ(ReadSetting(location(), "E", "x"), "") << "an empty value is a value";
  EXPECT_EQ(ReadSetting(location(), "ZZZ", "d"), "d");
}

TEST_F(SettingsFileTest, AFileWithAByteOrderMarkStaysUtf8) {
  GivenFile("\xEF\xBB\xBFRND:5\nPATH1:/home/データ\n");
  EXPECT_EQ(ReadSetting(location(), "RND", "1234"), "5");
  EXPECT_EQ(ReadSetting(location(), "PATH1", ""), "/home/データ");
  WriteSetting(location(), "PATH2", "/home/한국", false);  // no CP932 needed here
  EXPECT_EQ(File(), "\xEF\xBB\xBFRND:5\r\nPATH1:/home/データ\r\nPATH2:/home/한국\r\n");
}

TEST_F(SettingsFileTest, AValueTheFileCannotHoldIsRefusedAndChangesNothing) {
  GivenFile("A:1\r\n");
  try {
    WriteSetting(location(), "PATH1", "/home/한국/bank.xlsx", false);
    FAIL() << "no error";
  } catch (const host::HostError& error) {
    EXPECT_NE(error.description().find("/home/한국/bank.xlsx"), std::string::npos);
    EXPECT_NE(error.description().find("CP932"), std::string::npos);
  }
  EXPECT_EQ(File(), "A:1\r\n");
}

TEST_F(SettingsFileTest, AValueThatIsNoCp932IsReportedWithItsLine) {
  GivenFile("A:1\r\nRND:\x81\x20\r\n");
  try {
    ReadSetting(location(), "RND", "1234");
    FAIL() << "no error";
  } catch (const host::HostError& error) {
    EXPECT_NE(error.description().find("2 行目"), std::string::npos) << error.description();
  }
}

TEST_F(SettingsFileTest, AFailedWriteLeavesTheOldFileByteIdentical) {
  const std::string old = "A:1\r\nRND:5\r\n\x81\x20zz\r\n";
  GivenFile(old);
  platform_.FailNextWrite();
  EXPECT_THROW(WriteSetting(location(), "RND", "9", false), host::HostError);
  EXPECT_EQ(File(), old);
  WriteSetting(location(), "RND", "9", false);
  EXPECT_EQ(File(), "A:1\r\nRND:9\r\n\x81\x20zz\r\n");
}

TEST_F(SettingsFileTest, HistoryMovesTheClosedWorkbookToTheFrontInOneWrite) {
  struct Case {
    std::vector<std::string> history;  // PATH1.. before
    std::string closed;
    std::vector<std::string> after;
    int writes;
  };
  const std::vector<std::string> full{"/a", "/b", "/c", "/d", "/e"};
  const Case cases[] = {
      {{}, "/n", {"/n", "", "", "", ""}, 1},
      {{"/a"}, "/n", {"/n", "/a", "", "", ""}, 1},
      {{"/a", "/b", "/c"}, "/n", {"/n", "/a", "/b", "/c", ""}, 1},
      {full, "/n", {"/n", "/a", "/b", "/c", "/d"}, 1},
      {full, "/a", full, 0},
      {full, "/b", {"/b", "/a", "/c", "/d", "/e"}, 1},
      {full, "/c", {"/c", "/a", "/b", "/d", "/e"}, 1},
      {full, "/d", {"/d", "/a", "/b", "/c", "/e"}, 1},
      {full, "/e", {"/e", "/a", "/b", "/c", "/d"}, 1},
      {{"/a", "", "/c"}, "/n", {"/n", "/a", "/c", "", ""}, 1},  // an empty entry ends the shift
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.closed + " after " + ::testing::PrintToString(c.history));
    platform_.RemoveFolder(kFolder);
    std::string file;
    for (std::size_t i = 0; i < c.history.size(); ++i) {
      file += "PATH" + std::to_string(i + 1) + ":" + c.history[i] + "\r\n";
    }
    if (!file.empty()) GivenFile(file);
    counting_.TakeWrites();
    UpdateHistory(location(), c.closed);
    EXPECT_EQ(counting_.TakeWrites(), c.writes);
    for (std::size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(ReadSetting(location(), "PATH" + std::to_string(i + 1), ""), c.after[i])
          << "PATH" << i + 1;
    }
  }
}

TEST_F(SettingsFileTest, HistoryKeepsTheOtherLinesAndTheBytesOfTheEntriesItMoves) {
  struct Case {
    const char* name;
    std::optional<std::string> before;
    std::string closed;
    std::string after;
  };
  // 0xED40 is a kanji of the extension rows that reads as U+7E8A, which is written back as its
  // twin 0xFA5C; an entry that only moves must keep its own code.
  const Case cases[] = {
      {"a new file", std::nullopt, "/データ/a.xlsx", "PATH1:/\x83\x66\x81\x5B\x83\x5E/a.xlsx\r\n"},
      {"the first entry moves down below its line", "RND:7\r\nPATH1:/a\r\n", "/n",
       "RND:7\r\nPATH1:/n\r\nPATH2:/a\r\n"},
      {"a moved entry keeps its code", "PATH1:/a\r\nPATH2:/\xED\x40\r\nMo:3\r\n", "/n",
       "PATH1:/n\r\nPATH2:/a\r\nMo:3\r\nPATH3:/\xED\x40\r\n"},
      {"an entry found by its text keeps its code", "PATH1:/a\r\nPATH2:/\xED\x40\r\n", "/纊",
       "PATH1:/\xED\x40\r\nPATH2:/a\r\n"},
      {"a line no key matches stays byte for byte", "\x81\x20zz\r\nPATH1:/a\r\n", "/n",
       "\x81\x20zz\r\nPATH1:/n\r\nPATH2:/a\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform_.RemoveFolder(kFolder);
    if (c.before) GivenFile(*c.before);
    UpdateHistory(location(), c.closed);
    EXPECT_EQ(File(), c.after);
  }
}

// Closing a bank whose name CP932 cannot hold once moved the history down a write at a time and
// then failed to store the name, leaving the first entry twice; five closes left it in every
// place. Now nothing is written, and the error names the workbook.
TEST_F(SettingsFileTest, ClosingABankTheFileCannotHoldLeavesTheHistoryAsItWas) {
  const std::string names[] = {
      "/home/先生/剝離.xlsx", "/home/先生/頰.xlsx",   "/home/先生/補塡.xlsx",
      "/home/先生/𠮟る.xlsx", "/home/先生/鷗外.xlsx", "/home/先生/第1回〜第3回.xlsx",
  };
  const std::string old =
      HistoryFile({"/data/一.xlsx", "/data/二.xlsx", "/data/三.xlsx", "/data/四.xlsx"});
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    GivenFile(old);
    for (int close = 1; close <= 5; ++close) {
      const std::string description = ErrorOf([&] { UpdateHistory(location(), name); });
      EXPECT_NE(description.find("「" + name + "」"), std::string::npos) << description;
      EXPECT_NE(description.find("CP932"), std::string::npos) << description;
      EXPECT_NE(description.find("履歴に入れませんでした。"), std::string::npos) << description;
      EXPECT_EQ(File(), old) << "close " << close;
    }
    EXPECT_EQ(counting_.TakeWrites(), 0);
  }
  // Without a settings file none is made.
  platform_.RemoveFolder(kFolder);
  EXPECT_THROW(UpdateHistory(location(), names[0]), host::HostError);
  EXPECT_FALSE(FileExists());
}

TEST_F(SettingsFileTest, WriteSettingsLeavesWhatOneWriteAfterAnotherWouldInOneWrite) {
  struct Case {
    const char* name;
    std::optional<std::string> before;
    std::vector<SettingChange> changes;
  };
  const Case cases[] = {
      {"no file: the first change makes it",
       std::nullopt,
       {{"PATH2", "x", true}, {"RND", "5", false}, {"PATH2", "", true}}},
      {"the history cleared among other keys",
       "ST:3\r\nPATH1:/a\r\nMo:12\r\nPATH2:/b\r\nPATH3:/c\r\n\r\nPATH5:/e\r\nNo20:25\r\n",
       {{"PATH1", "", true},
        {"PATH2", "", true},
        {"PATH3", "", true},
        {"PATH4", "", true},
        {"PATH5", "", true}}},
      {"every line deleted",
       "PATH1:/a\r\nPATH2:/b\r\n",
       {{"PATH1", "", true}, {"PATH2", "", true}}},
      {"a later change sees an earlier one",
       "A:1\r\nRND:5\r\n",
       {{"X", "1", false}, {"RND", "6", false}, {"X", "2", false}, {"A", "", true}}},
      {"blank lines and undecodable lines",
       "\r\nA:1\r\n\x81\x20\r\n\r\nRND:5\r\n\r\nB:2\r\n",
       {{"RND", "先生", false}, {"B", "", true}, {"C", "～", false}}},
      {"a file with a byte-order mark",
       "\xEF\xBB\xBF"
       "A:1\r\n",
       {{"B", "한국", false}, {"A", "", true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // What the same changes leave when made one write at a time.
    host::MemoryPlatform one_by_one;
    if (c.before) one_by_one.AddFile(kPath, *c.before);
    SettingsLocation there{&one_by_one, "ソルネア保存データ", "ミラヴォ 同音・同訓_設定値.ini"};
    for (const SettingChange& change : c.changes) {
      WriteSetting(there, change.key, change.value, change.delete_key);
    }
    platform_.RemoveFolder(kFolder);
    if (c.before) GivenFile(*c.before);
    counting_.TakeWrites();
    WriteSettings(location(), c.changes);
    EXPECT_EQ(counting_.TakeWrites(), 1);
    EXPECT_EQ(File(), one_by_one.files().at(kPath));
  }
  WriteSettings(location(), {});
  EXPECT_EQ(counting_.TakeWrites(), 0) << "no changes, no write";
}

TEST_F(SettingsFileTest, AFailingMultiWriteLeavesTheFileUntouched) {
  const std::string old = HistoryFile({"/a", "/b"}) + "\x81\x20zz\r\n";
  GivenFile(old);
  const std::string description = ErrorOf([&] {
    WriteSettings(location(),
                  {{"PATH1", "", true}, {"RND", "1", false}, {"PATH2", "/data/〜.xlsx", false}});
  });
  EXPECT_NE(description.find("/data/〜.xlsx"), std::string::npos) << description;
  EXPECT_NE(description.find("U+301C"), std::string::npos) << description;
  EXPECT_EQ(counting_.TakeWrites(), 0) << "refused before writing";
  EXPECT_EQ(File(), old);

  platform_.FailNextWrite();
  EXPECT_THROW(WriteSettings(location(), {{"PATH1", "", true}, {"PATH2", "", true}}),
               host::HostError);
  EXPECT_EQ(File(), old);
}

// A wave dash (U+301C) was stored as 0x8160, which reads back as a full-width tilde (U+FF5E), so
// the history named a file that does not exist. A value that would read back as other text is
// refused; the characters are those the converter writes with another's code or drops.
TEST_F(SettingsFileTest, AWaveDashIsRefusedRatherThanStoredAsATilde) {
  struct OneWay {
    const char* ch;
    const char* code;
  };
  const OneWay one_way[] = {
      {"〜", "U+301C"}, {"‖", "U+2016"}, {"−", "U+2212"},           {"¢", "U+00A2"},
      {"£", "U+00A3"},  {"¬", "U+00AC"}, {"—", "U+2014"},           {"¦", "U+00A6"},
      {"¥", "U+00A5"},  {"‾", "U+203E"}, {"\U000E0001", "U+E0001"},
  };
  const std::string old = HistoryFile({"/a"});
  for (const OneWay& c : one_way) {
    const std::string value = std::string("/home/先生/第1回") + c.ch + "第3回.xlsx";
    SCOPED_TRACE(c.code);
    GivenFile(old);
    const std::string description =
        ErrorOf([&] { WriteSetting(location(), "PATH1", value, false); });
    EXPECT_NE(description.find(std::string("「") + c.ch + "」（" + c.code + "）"),
              std::string::npos)
        << description;
    EXPECT_EQ(File(), old);
  }
  // Their look-alikes are CP932's own characters and keep their text.
  const std::string ordinary[] = {
      "/home/先生/第1回～第3回.xlsx", "/home/先生/∥－￢―￠￡￤.xlsx", "/home/せんせい/ﾃｽﾄ.xlsx",
      "/home/髙橋/①②.xlsx",           "C:\\Users\\先生\\旧い.xls",    "/home/a~b\\c.xlsx",
  };
  for (const std::string& value : ordinary) {
    SCOPED_TRACE(value);
    GivenFile(old);
    WriteSetting(location(), "PATH1", value, false);
    EXPECT_EQ(ReadSetting(location(), "PATH1", ""), value);
    UpdateHistory(location(), value + ".bak");
    EXPECT_EQ(ReadSetting(location(), "PATH1", ""), value + ".bak");
    EXPECT_EQ(ReadSetting(location(), "PATH2", ""), value);
  }
}

// An editor saved the file as UTF-8 without a mark, and every read of a Japanese value failed.
TEST_F(SettingsFileTest, AUtf8FileWithoutAMarkIsReadAndWrittenBackAsUtf8) {
  const std::string old = "RND:5\r\nPATH1:/home/データ/剝離.xlsx\r\nメモ:三年二組\r\nMo:12\r\n";
  GivenFile(old);
  EXPECT_EQ(ReadSetting(location(), "PATH1", ""), "/home/データ/剝離.xlsx");
  WriteSetting(location(), "RND", "9", false);
  EXPECT_EQ(File(), "RND:9\r\nPATH1:/home/データ/剝離.xlsx\r\nメモ:三年二組\r\nMo:12\r\n");
  // UTF-8 holds what CP932 cannot, without a mark still.
  UpdateHistory(location(), "/home/先生/𠮟る〜.xlsx");
  EXPECT_EQ(File(),
            "RND:9\r\nPATH1:/home/先生/𠮟る〜.xlsx\r\nメモ:三年二組\r\nMo:12\r\n"
            "PATH2:/home/データ/剝離.xlsx\r\n");
  WriteSettings(location(), {{"PATH1", "", true}, {"PATH2", "", true}});
  EXPECT_EQ(File(), "RND:9\r\nメモ:三年二組\r\nMo:12\r\n");
}

// Found by fuzzing: a file without a mark whose second line begins with the mark's bytes. The
// write drops the blank first line, and the mark would then open the file and turn "\uFEFFRND"
// into RND.
TEST_F(SettingsFileTest, AMarkInsideTheFileDoesNotBecomeTheFilesMarkWhenAWriteMovesItFirst) {
  GivenFile("\r\xEF\xBB\xBFRND:\xDF\x90\n");
  EXPECT_EQ(ReadSetting(location(), "RND", "none"), "none");
  WriteSetting(location(), "Qs", "200", false);
  EXPECT_EQ(ReadSetting(location(), "RND", "none"), "none");
  EXPECT_EQ(ReadSetting(location(), "Qs", ""), "200");
  EXPECT_EQ(File(), "\r\n\xEF\xBB\xBFRND:\xDF\x90\r\nQs:200\r\n");
}

TEST_F(SettingsFileTest, EachFileIsReadInTheEncodingItsBytesShow) {
  struct Case {
    const char* name;
    std::string file;
    std::string value;    // of PATH1, as read
    std::string written;  // the file after RND:9 is written
  };
  const Case cases[] = {
      {"ASCII only is CP932", "PATH1:/a\r\nRND:5\r\n", "/a", "PATH1:/a\r\nRND:9\r\n"},
      {"CP932 text", "PATH1:/\x90\xE6\x90\xB6\r\nRND:5\r\n", "/先生",
       "PATH1:/\x90\xE6\x90\xB6\r\nRND:9\r\n"},
      {"UTF-8 text", "PATH1:/先生\r\nRND:5\r\n", "/先生", "PATH1:/先生\r\nRND:9\r\n"},
      {"UTF-8 with a mark", "\xEF\xBB\xBFPATH1:/先生\r\nRND:5\r\n", "/先生",
       "\xEF\xBB\xBFPATH1:/先生\r\nRND:9\r\n"},
      // UTF-8 but for one stray byte: CP932, and the stray line is kept as it is.
      {"neither", "PATH1:/a\r\nX:\xFF\r\nY:先\r\nRND:5\r\n", "/a",
       "PATH1:/a\r\nX:\xFF\r\nY:先\r\nRND:9\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GivenFile(c.file);
    EXPECT_EQ(ReadSetting(location(), "PATH1", ""), c.value);
    WriteSetting(location(), "RND", "9", false);
    EXPECT_EQ(File(), c.written);
  }
  // In a file that is neither, only a read of the line that is no CP932 fails, naming it.
  const std::string description = ErrorOf([&] { ReadSetting(location(), "X", ""); });
  EXPECT_NE(description.find(std::string(kPath) + " の 2 行目"), std::string::npos) << description;
}

// A file of many lines the program does not know is rebuilt around the key in one pass: the
// rebuild used to join the lines one by one into ever longer strings, so that a file of 2 MB
// took many seconds. The lines are kept in order, byte for byte.
TEST_F(SettingsFileTest, AFileOfManyLinesIsRebuiltAroundTheKeyAndKeepsThem) {
  std::string lines_before, lines_after;
  for (int i = 0; i < 40000; ++i) {
    (i % 2 == 0 ? lines_before : lines_after) += "L" + std::to_string(i) + ":value\r\n";
  }
  const std::string file = lines_before + "RND:5\r\n" + lines_after;
  ASSERT_LT(file.size(), kMaxSettingsBytes);
  struct Case {
    const char* name;
    bool remove;
    std::string written;
  } cases[] = {
      {"set", false, lines_before + "RND:9\r\n" + lines_after},
      {"removed", true, lines_before + lines_after},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GivenFile(file);
    WriteSetting(location(), "RND", "9", c.remove);
    EXPECT_EQ(File(), c.written);
    EXPECT_EQ(ReadSetting(location(), "L39999", ""), "value");
  }
}

// A file far larger than any settings file (50 MB of one line, and just over the limit) is
// refused with its name, its size and the limit, and left as it was, by every reading and
// writing call; it used to hang the program. One at the limit is read.
TEST_F(SettingsFileTest, AFileLargerThanTheLimitIsRefusedWithItsSizeAndLeftAsItWas) {
  struct Case {
    const char* name;
    std::string file;
  } cases[] = {
      {"50 MB", "RND:5\r\n" + std::string(50 << 20, 'x')},
      {"one byte over", "RND:5\r\n" + std::string(kMaxSettingsBytes - 6, 'x')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GivenFile(c.file);
    const std::string size = std::to_string(c.file.size()) + " バイト、上限 " +
                             std::to_string(kMaxSettingsBytes) + " バイト";
    for (const std::string& description :
         {ErrorOf([&] { ReadSetting(location(), "RND", ""); }),
          ErrorOf([&] { WriteSetting(location(), "RND", "9", false); }),
          ErrorOf([&] { UpdateHistory(location(), "/home/user/bank.xlsx"); })}) {
      EXPECT_NE(description.find(kPath), std::string::npos) << description;
      EXPECT_NE(description.find(size), std::string::npos) << description;
    }
    EXPECT_EQ(File(), c.file);
    EXPECT_EQ(counting_.TakeWrites(), 0);
  }
  GivenFile("RND:5\r\n" + std::string(kMaxSettingsBytes - 7, 'x'));
  EXPECT_EQ(ReadSetting(location(), "RND", ""), "5");
}

// While another run holds the data folder's lock, a change is refused rather than made from
// what that run is about to replace, and the file stays as it was.
TEST_F(SettingsFileTest, AChangeWhileAnotherRunChangesTheFileIsRefused) {
  GivenFile("RND:5\r\n");
  SettingsLocation direct{&platform_, "ソルネア保存データ", "ミラヴォ 同音・同訓_設定値.ini"};
  {
    const std::unique_ptr<host::FileLock> other =
        platform_.LockFile(kFolder, std::chrono::milliseconds(0), nullptr);
    ASSERT_NE(other, nullptr);
    for (const std::string& description :
         {ErrorOf([&] { WriteSetting(direct, "RND", "9", false); }),
          ErrorOf([&] { UpdateHistory(direct, "/home/user/bank.xlsx"); })}) {
      EXPECT_NE(description.find("ほかの実行が書き換え中"), std::string::npos) << description;
    }
    EXPECT_EQ(File(), "RND:5\r\n");
    EXPECT_EQ(ReadSetting(direct, "RND", ""), "5") << "reading needs no lock";
  }
  WriteSetting(direct, "RND", "9", false);
  EXPECT_EQ(File(), "RND:9\r\n");
}

}  // namespace
}  // namespace tarquel::settings
