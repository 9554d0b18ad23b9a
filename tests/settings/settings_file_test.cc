#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include "host/host_error.h"
#include "host/platform/memory_platform.h"

namespace tarquel::settings {
namespace {

constexpr char kFolder[] = "/home/user/Documents/ソルネア保存データ";
constexpr char kPath[] = "/home/user/Documents/ソルネア保存データ/ミラヴォ 同音・同訓_設定値.ini";

class SettingsFileTest : public ::testing::Test {
 protected:
  SettingsLocation location() {
    return {&platform_, "ソルネア保存データ", "ミラヴォ 同音・同訓_設定値.ini"};
  }
  void GivenFile(std::string_view bytes) { platform_.AddFile(kPath, bytes); }
  std::string File() const { return platform_.files().at(kPath); }
  bool FileExists() const { return platform_.files().contains(kPath); }

  host::MemoryPlatform platform_;
};

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

TEST_F(SettingsFileTest, HistoryMovesTheClosedWorkbookToTheFront) {
  struct Case {
    std::vector<std::string> history;  // PATH1.. before
    std::string closed;
    std::string returned;
    std::vector<std::string> after;
  };
  const std::vector<std::string> full{"/a", "/b", "/c", "/d", "/e"};
  const Case cases[] = {
      {{}, "/n", "PATH1", {"", "", "", "", ""}},
      {{"/a"}, "/n", "PATH1", {"/a", "/a", "", "", ""}},
      {{"/a", "/b", "/c"}, "/n", "PATH1", {"/a", "/a", "/b", "/c", ""}},
      {full, "/n", "PATH1", {"/a", "/a", "/b", "/c", "/d"}},
      {full, "/a", "NoSave", full},
      {full, "/b", "NoSave", {"/b", "/a", "/c", "/d", "/e"}},
      {full, "/c", "NoSave", {"/c", "/a", "/b", "/d", "/e"}},
      {full, "/d", "NoSave", {"/d", "/a", "/b", "/c", "/e"}},
      {full, "/e", "NoSave", {"/e", "/a", "/b", "/c", "/d"}},
  };
  for (const Case& c : cases) {
    platform_.RemoveFolder(kFolder);
    std::string file;
    for (std::size_t i = 0; i < c.history.size(); ++i) {
      file += "PATH" + std::to_string(i + 1) + ":" + c.history[i] + "\r\n";
    }
    if (!file.empty()) GivenFile(file);
    EXPECT_EQ(UpdateHistory(location(), c.closed), c.returned) << c.closed;
    for (std::size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(ReadSetting(location(), "PATH" + std::to_string(i + 1), ""), c.after[i])
          << c.closed << " PATH" << i + 1;
    }
  }
}

}  // namespace
}  // namespace tarquel::settings
