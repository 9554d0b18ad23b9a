// One harness, two backends: the file cases run on PosixPlatform in a fresh temporary folder
// and on MemoryPlatform, so the twin the other tests rely on behaves like the real thing.
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "host/platform/memory_platform.h"
#include "host/platform/posix_platform.h"

namespace tarquel::host {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class PosixBackend {
 public:
  PosixBackend() {
    std::string pattern = ::testing::TempDir() + "platform_test_XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) root_ = pattern;
    EXPECT_FALSE(root_.empty()) << "cannot make a temporary folder";
  }
  ~PosixBackend() { std::filesystem::remove_all(root_); }

  Platform& platform() { return platform_; }
  const std::string& root() const { return root_; }

  std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  PosixPlatform platform_;
  std::string root_;
};

class MemoryBackend {
 public:
  MemoryBackend() { EXPECT_EQ(platform_.CreateFolder(root_), std::nullopt); }

  Platform& platform() { return platform_; }
  const std::string& root() const { return root_; }

  // The names directly inside `folder`, files and folders alike, in order.
  std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    std::string prefix = folder + "/";
    auto add = [&](const std::string& path) {
      if (path.starts_with(prefix) && path.find('/', prefix.size()) == std::string::npos) {
        names.push_back(path.substr(prefix.size()));
      }
    };
    for (const auto& [path, bytes] : platform_.files()) add(path);
    for (const std::string& path : platform_.folders()) add(path);
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  MemoryPlatform platform_;
  std::string root_ = "/work";
};

template <typename Backend>
class PlatformTest : public ::testing::Test {
 protected:
  Platform& platform() { return backend_.platform(); }
  std::string Path(const std::string& name) { return backend_.root() + "/" + name; }
  std::vector<std::string> Entries() { return backend_.Entries(backend_.root()); }

  std::optional<std::string> Read(const std::string& name) {
    return platform().ReadFile(Path(name), nullptr);
  }

  Backend backend_;
};

using Backends = ::testing::Types<PosixBackend, MemoryBackend>;
TYPED_TEST_SUITE(PlatformTest, Backends);

TYPED_TEST(PlatformTest, WriteCreatesAndReplacesBytesExactly) {
  // Bytes, not text: NULs, CR LF and CP932 lead bytes must come back unchanged.
  const std::string bytes[] = {std::string("a\0b\r\n\x8a\xbf\r", 8), "", std::string(200000, 'x'),
                               "short"};
  for (const std::string& content : bytes) {
    ASSERT_EQ(this->platform().WriteFileAtomically(this->Path("f.ini"), content), std::nullopt);
    EXPECT_EQ(this->Read("f.ini"), content);
  }
  EXPECT_TRUE(this->platform().FileExists(this->Path("f.ini")));
  EXPECT_THAT(this->Entries(), ElementsAre("f.ini")) << "a temporary file was left behind";
}

TYPED_TEST(PlatformTest, WriteIntoMissingFolderFailsAndLeavesNothing) {
  std::string path = this->Path("missing/f.ini");
  std::optional<PlatformError> error = this->platform().WriteFileAtomically(path, "x");
  ASSERT_TRUE(error.has_value());
  EXPECT_TRUE(error->not_found);
  EXPECT_THAT(error->message, HasSubstr(path));
  EXPECT_THAT(error->message, HasSubstr("No such file or directory"));
  EXPECT_THAT(this->Entries(), ElementsAre());
}

TYPED_TEST(PlatformTest, WriteOverFolderFailsAndLeavesIt) {
  ASSERT_EQ(this->platform().CreateFolder(this->Path("d")), std::nullopt);
  std::optional<PlatformError> error = this->platform().WriteFileAtomically(this->Path("d"), "x");
  ASSERT_TRUE(error.has_value());
  EXPECT_FALSE(error->not_found);
  EXPECT_EQ(error->message,
            "cannot write " + this->Path("d") + ": it is a folder, not a regular file");
  EXPECT_TRUE(this->platform().FolderExists(this->Path("d")));
  EXPECT_THAT(this->Entries(), ElementsAre("d")) << "a temporary file was left behind";
}

// Another program's lock beside a workbook: what it is, and who holds it when the lock says.
TYPED_TEST(PlatformTest, FindsAnotherProgramsLockBesideTheFile) {
  using Kind = OtherProgramLock::Kind;
  const std::string office = "an office suite's lock file";
  struct Case {
    const char* what;
    std::string lock_name;  // empty: no lock
    std::string content;
    std::optional<Kind> kind;
    std::string holder;
    std::string description;
  } cases[] = {
      {"no lock", "", "", std::nullopt, "", ""},
      {"the suite's lock, naming its holder", ".~lock.bank.xlsx#",
       "Taro Yamada,desk-pc,taro,08.12.2024 13:52,file:///home/taro/.config/suite/4;",
       Kind::kOfficeSuiteLock, "Taro Yamada (taro) on desk-pc",
       office + ", held by Taro Yamada (taro) on desk-pc since 08.12.2024 13:52"},
      {"no author name, a newline after", ".~lock.bank.xlsx#",
       ",desk-pc,taro,08.12.2024 13:52,file:///p;\n", Kind::kOfficeSuiteLock, "taro on desk-pc",
       office + ", held by taro on desk-pc since 08.12.2024 13:52"},
      {"escaped separators in the name", ".~lock.bank.xlsx#", "山田\\, 太郎\\;,pc,taro,d,u;",
       Kind::kOfficeSuiteLock, "山田, 太郎; (taro) on pc",
       office + ", held by 山田, 太郎; (taro) on pc since d"},
      {"the same name as the login", ".~lock.bank.xlsx#", "taro,pc,taro,,u;",
       Kind::kOfficeSuiteLock, "taro on pc", office + ", held by taro on pc"},
      {"only the machine", ".~lock.bank.xlsx#", ",pc,,,;", Kind::kOfficeSuiteLock, "a user on pc",
       office + ", held by a user on pc"},
      {"an empty lock", ".~lock.bank.xlsx#", "", Kind::kOfficeSuiteLock, "", office},
      {"fields that would garble a terminal", ".~lock.bank.xlsx#",
       "evil\x1b[2J,pc\xff,taro,08.12.2024 13:52,u;", Kind::kOfficeSuiteLock, "taro",
       office + ", held by taro since 08.12.2024 13:52"},
      {"the spreadsheet program's owner file", "~$bank.xlsx", "\x04taro",
       Kind::kSpreadsheetOwnerFile, "", "a spreadsheet program's owner file"},
      {"a lock of another file", ".~lock.other.xlsx#", "a,b,c,d,e;", std::nullopt, "", ""},
      {"an owner file of another file", "~$other.xlsx", "", std::nullopt, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TypeParam fresh;  // a folder of its own for each case
    Platform& platform = fresh.platform();
    const std::string lock_path = fresh.root() + "/" + c.lock_name;
    const std::string bank = fresh.root() + "/bank.xlsx";
    if (!c.lock_name.empty()) {
      ASSERT_EQ(platform.WriteFileAtomically(lock_path, c.content), std::nullopt);
    }
    ASSERT_EQ(platform.WriteFileAtomically(bank, "PK"), std::nullopt);
    std::optional<OtherProgramLock> lock = platform.FindOtherProgramLock(bank);
    ASSERT_EQ(lock.has_value(), c.kind.has_value());
    if (!lock) continue;
    EXPECT_EQ(lock->kind, *c.kind);
    EXPECT_EQ(lock->lock_path, lock_path);
    EXPECT_EQ(lock->holder, c.holder);
    EXPECT_EQ(lock->description, c.description);
    EXPECT_EQ(platform.ReadFile(lock_path, nullptr), c.content) << "the lock is only looked at";
  }
}

TYPED_TEST(PlatformTest, TheSuitesLockIsPreferredAndAFolderIsNoLock) {
  ASSERT_EQ(this->platform().CreateFolder(this->Path(".~lock.a.xlsx#")), std::nullopt);
  EXPECT_EQ(this->platform().FindOtherProgramLock(this->Path("a.xlsx")), std::nullopt);
  ASSERT_EQ(this->platform().WriteFileAtomically(this->Path("~$a.xlsx"), ""), std::nullopt);
  ASSERT_EQ(this->platform().WriteFileAtomically(this->Path(".~lock.b.xlsx#"), ""), std::nullopt);
  ASSERT_EQ(this->platform().WriteFileAtomically(this->Path("~$b.xlsx"), ""), std::nullopt);
  std::optional<OtherProgramLock> a = this->platform().FindOtherProgramLock(this->Path("a.xlsx"));
  ASSERT_TRUE(a.has_value());
  EXPECT_EQ(a->kind, OtherProgramLock::Kind::kSpreadsheetOwnerFile);
  std::optional<OtherProgramLock> b = this->platform().FindOtherProgramLock(this->Path("b.xlsx"));
  ASSERT_TRUE(b.has_value());
  EXPECT_EQ(b->kind, OtherProgramLock::Kind::kOfficeSuiteLock);
  EXPECT_EQ(this->platform().FindOtherProgramLock(this->Path("")), std::nullopt);
}

TYPED_TEST(PlatformTest, ReadFailuresTellAbsentFromUnreadable) {
  ASSERT_EQ(this->platform().WriteFileAtomically(this->Path("file"), "x"), std::nullopt);
  ASSERT_EQ(this->platform().CreateFolder(this->Path("folder")), std::nullopt);
  struct Case {
    std::string name;
    bool not_found;
  } cases[] = {{"absent", true}, {"folder", false}, {"file/below", false}, {"none/x", true}};
  for (const Case& c : cases) {
    PlatformError error;
    EXPECT_EQ(this->platform().ReadFile(this->Path(c.name), &error), std::nullopt) << c.name;
    EXPECT_EQ(error.not_found, c.not_found) << c.name;
    EXPECT_THAT(error.message, HasSubstr(this->Path(c.name)));
    EXPECT_EQ(this->platform().ReadFile(this->Path(c.name), nullptr), std::nullopt);
  }
}

TYPED_TEST(PlatformTest, ExistsTellsFilesFromFolders) {
  ASSERT_EQ(this->platform().WriteFileAtomically(this->Path("file"), ""), std::nullopt);
  ASSERT_EQ(this->platform().CreateFolder(this->Path("folder")), std::nullopt);
  struct Case {
    std::string name;
    bool file, folder;
  } cases[] = {{"file", true, false},
               {"folder", false, true},
               {"folder/", false, true},
               {"absent", false, false},
               {"file/below", false, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(this->platform().FileExists(this->Path(c.name)), c.file) << c.name;
    EXPECT_EQ(this->platform().FolderExists(this->Path(c.name)), c.folder) << c.name;
  }
}

TYPED_TEST(PlatformTest, CreateFolderOneLevelAtATime) {
  EXPECT_EQ(this->platform().CreateFolder(this->Path("a")), std::nullopt);
  EXPECT_EQ(this->platform().CreateFolder(this->Path("a")), std::nullopt) << "existing is success";
  EXPECT_EQ(this->platform().CreateFolder(this->Path("a/b")), std::nullopt);

  std::optional<PlatformError> error = this->platform().CreateFolder(this->Path("x/y"));
  ASSERT_TRUE(error.has_value());
  EXPECT_TRUE(error->not_found);
  EXPECT_FALSE(this->platform().FolderExists(this->Path("x")));

  ASSERT_EQ(this->platform().WriteFileAtomically(this->Path("f"), "keep"), std::nullopt);
  error = this->platform().CreateFolder(this->Path("f"));
  ASSERT_TRUE(error.has_value());
  EXPECT_THAT(error->message, HasSubstr(this->Path("f")));
  EXPECT_EQ(this->Read("f"), "keep");
}

TYPED_TEST(PlatformTest, RemoveFileRemovesOnlyFiles) {
  ASSERT_EQ(this->platform().WriteFileAtomically(this->Path("f"), "x"), std::nullopt);
  ASSERT_EQ(this->platform().CreateFolder(this->Path("d")), std::nullopt);
  EXPECT_EQ(this->platform().RemoveFile(this->Path("f")), std::nullopt);
  EXPECT_FALSE(this->platform().FileExists(this->Path("f")));

  std::optional<PlatformError> error = this->platform().RemoveFile(this->Path("f"));
  ASSERT_TRUE(error.has_value());
  EXPECT_TRUE(error->not_found);
  error = this->platform().RemoveFile(this->Path("d"));
  ASSERT_TRUE(error.has_value());
  EXPECT_FALSE(error->not_found);
  EXPECT_TRUE(this->platform().FolderExists(this->Path("d")));
}

// One run's lock keeps another out until it is released; what cannot be locked says why.
TYPED_TEST(PlatformTest, ALockKeepsASecondOneOutUntilReleased) {
  using std::chrono::milliseconds;
  ASSERT_EQ(this->platform().WriteFileAtomically(this->Path("bank.xlsx"), "PK"), std::nullopt);
  ASSERT_EQ(this->platform().CreateFolder(this->Path("data")), std::nullopt);
  for (const char* name : {"bank.xlsx", "data"}) {
    SCOPED_TRACE(name);
    PlatformError error;
    std::unique_ptr<FileLock> first =
        this->platform().LockFile(this->Path(name), milliseconds(0), &error);
    ASSERT_NE(first, nullptr) << error.message;
    EXPECT_EQ(this->platform().LockFile(this->Path(name), milliseconds(0), &error), nullptr);
    EXPECT_EQ(error.message, "cannot lock " + this->Path(name) + ": another run is still using it");
    EXPECT_TRUE(error.busy);
    first.reset();
    EXPECT_NE(this->platform().LockFile(this->Path(name), milliseconds(0), nullptr), nullptr);
  }
  PlatformError error;
  EXPECT_EQ(this->platform().LockFile(this->Path("absent"), milliseconds(0), &error), nullptr);
  EXPECT_TRUE(error.not_found);
  EXPECT_THAT(error.message, HasSubstr(this->Path("absent")));
  EXPECT_FALSE(error.busy);
}

// A stamp tells one version of a file from the next, and is the same while nothing writes.
TYPED_TEST(PlatformTest, AStampChangesWhenTheFileIsWritten) {
  EXPECT_EQ(this->platform().Stamp(this->Path("f")), std::nullopt);
  ASSERT_EQ(this->platform().WriteFileAtomically(this->Path("f"), "one"), std::nullopt);
  const std::optional<FileStamp> first = this->platform().Stamp(this->Path("f"));
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(this->platform().Stamp(this->Path("f")), first);
  EXPECT_EQ(first->size, 3u);
  ASSERT_EQ(this->platform().WriteFileAtomically(this->Path("f"), "two"), std::nullopt);
  EXPECT_NE(this->platform().Stamp(this->Path("f")), first) << "same size, another file";
}

// --- MemoryPlatform only ---

TEST(MemoryPlatformTest, FailNextWriteFailsOnceAndChangesNothing) {
  MemoryPlatform platform;
  platform.AddFile("/p/settings.ini", "old");
  platform.FailNextWrite();
  std::optional<PlatformError> error = platform.WriteFileAtomically("/p/settings.ini", "new");
  ASSERT_TRUE(error.has_value());
  EXPECT_THAT(error->message, HasSubstr("/p/settings.ini"));
  EXPECT_EQ(platform.files().at("/p/settings.ini"), "old");
  EXPECT_EQ(platform.WriteFileAtomically("/p/new.ini", "x"), std::nullopt) << "only one fails";
  EXPECT_EQ(platform.files().size(), 2u);
}

TEST(MemoryPlatformTest, DocumentsFolderIsGivenAndExists) {
  MemoryPlatform platform("/home/太郎/書類/");
  EXPECT_EQ(platform.DocumentsFolder(), "/home/太郎/書類");
  EXPECT_TRUE(platform.FolderExists("/home/太郎"));
  platform.RemoveFolder("/home/太郎/書類");
  EXPECT_FALSE(platform.FolderExists(platform.DocumentsFolder()));
  EXPECT_TRUE(platform.FolderExists("/home/太郎"));
}

// --- PosixPlatform only ---

class PosixPlatformTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) { return backend_.root() + "/" + name; }
  std::string Read(const std::string& name) {
    return platform_.ReadFile(Path(name), nullptr).value_or("<unreadable>");
  }
  PosixBackend backend_;
  PosixPlatform platform_;
};

TEST_F(PosixPlatformTest, FailedWriteLeavesOldFileIdentical) {
  ASSERT_EQ(platform_.WriteFileAtomically(Path("f"), "old"), std::nullopt);
  // A file size limit makes write() fail part way, as a full disk would, even for root.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 4096;
  auto old_handler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::optional<PlatformError> error =
      platform_.WriteFileAtomically(Path("f"), std::string(8192, 'n'));
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, old_handler);

  ASSERT_TRUE(error.has_value());
  EXPECT_THAT(error->message, HasSubstr(Path("f")));
  EXPECT_EQ(Read("f"), "old");
  EXPECT_THAT(backend_.Entries(backend_.root()), ElementsAre("f"));
}

TEST_F(PosixPlatformTest, WriteIntoReadOnlyFolderFails) {
  ASSERT_EQ(platform_.WriteFileAtomically(Path("f"), "old"), std::nullopt);
  ASSERT_EQ(chmod(backend_.root().c_str(), 0555), 0);
  std::string probe = Path("probe");
  if (FILE* f = fopen(probe.c_str(), "w"); f != nullptr) {
    fclose(f);
    unlink(probe.c_str());
    chmod(backend_.root().c_str(), 0755);
    GTEST_SKIP() << "running with permission to override folder modes (root)";
  }
  std::optional<PlatformError> error = platform_.WriteFileAtomically(Path("f"), "new");
  chmod(backend_.root().c_str(), 0755);
  ASSERT_TRUE(error.has_value());
  EXPECT_THAT(error->message, HasSubstr("Permission denied"));
  EXPECT_EQ(Read("f"), "old");
  EXPECT_THAT(backend_.Entries(backend_.root()), ElementsAre("f"));
}

TEST_F(PosixPlatformTest, WriteKeepsModeAndSymbolicLink) {
  ASSERT_EQ(platform_.WriteFileAtomically(Path("target"), "old"), std::nullopt);
  ASSERT_EQ(chmod(Path("target").c_str(), 0600), 0);
  ASSERT_EQ(symlink("target", Path("link").c_str()), 0);
  ASSERT_EQ(platform_.WriteFileAtomically(Path("link"), "new"), std::nullopt);

  struct stat st {};
  ASSERT_EQ(lstat(Path("link").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link was replaced by a file";
  ASSERT_EQ(stat(Path("target").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(Read("target"), "new");
  EXPECT_THAT(backend_.Entries(backend_.root()), ElementsAre("link", "target"));
}

// Runs `body` as the user `uid` in a child process and returns its exit status (0 when every
// expectation there held, else 1), so that root can check what a user may not do.
template <typename Body>
int AsUser(uid_t uid, Body body) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (setgid(uid) != 0 || setuid(uid) != 0) _exit(2);
    _exit(body() ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A bank whose mode says read-only is refused, not replaced by the rename, which needs only
// the folder's permission: it used to be overwritten. The folder is the user's, as the user's
// own documents folder is.
TEST_F(PosixPlatformTest, AReadOnlyFileIsRefusedAndLeftAsItWas) {
  ASSERT_EQ(platform_.WriteFileAtomically(Path("bank.xlsx"), "old"), std::nullopt);
  ASSERT_EQ(chmod(Path("bank.xlsx").c_str(), 0444), 0);
  auto check = [this] {
    std::optional<PlatformError> checked = platform_.CheckWritable(Path("bank.xlsx"));
    std::optional<PlatformError> error = platform_.WriteFileAtomically(Path("bank.xlsx"), "new");
    return checked.has_value() && error.has_value() &&
           error->message.find("read-only for this user (mode 0444)") != std::string::npos &&
           error->message.find(Path("bank.xlsx")) != std::string::npos &&
           Read("bank.xlsx") == "old" && backend_.Entries(backend_.root()).size() == 1;
  };
  if (geteuid() != 0) {
    EXPECT_TRUE(check());
    return;
  }
  // Root may write any file; a user may not, which is what is checked, in a child made one.
  constexpr uid_t kUser = 65534;
  ASSERT_EQ(chown(backend_.root().c_str(), kUser, kUser), 0);
  ASSERT_EQ(chown(Path("bank.xlsx").c_str(), kUser, kUser), 0);
  EXPECT_EQ(AsUser(kUser, check), 0) << "a user's read-only bank was written";
  EXPECT_EQ(platform_.CheckWritable(Path("bank.xlsx")), std::nullopt) << "root may write it";
}

// The saved file keeps the owner and group of the one it replaces where the process may give
// them: root saving a user's bank used to make it root's, so the user could no longer save.
TEST_F(PosixPlatformTest, WriteKeepsTheOwnerWhereItMay) {
  if (geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  ASSERT_EQ(platform_.WriteFileAtomically(Path("bank.xlsx"), "old"), std::nullopt);
  ASSERT_EQ(chown(Path("bank.xlsx").c_str(), 65534, 65534), 0);
  ASSERT_EQ(chmod(Path("bank.xlsx").c_str(), 0640), 0);
  ASSERT_EQ(platform_.WriteFileAtomically(Path("bank.xlsx"), "new"), std::nullopt);
  struct stat st {};
  ASSERT_EQ(stat(Path("bank.xlsx").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(Read("bank.xlsx"), "new");
}

// A run ended between writing its temporary file and renaming it: a signal it can catch
// removes the file on the way out; a kill it cannot catch leaves it, and the next save of the
// file removes it. Killed saves used to leave bank-sized temporary files that nothing removed.
TEST_F(PosixPlatformTest, ARunEndedBeforeItsRenameLeavesNoTemporaryFile) {
  struct Case {
    int signal_number;
    bool left_by_the_kill;
  } cases[] = {{SIGTERM, false}, {SIGHUP, false}, {SIGINT, false}, {SIGKILL, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(strsignal(c.signal_number));
    ASSERT_EQ(platform_.WriteFileAtomically(Path("bank.xlsx"), "old"), std::nullopt);
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
      PosixPlatform::RemoveTemporaryFilesOnSignals();
      static int signal_number;
      signal_number = c.signal_number;
      PosixPlatform child;
      child.SetBeforeRenameForTesting([](const std::string&) { raise(signal_number); });
      static_cast<void>(child.WriteFileAtomically(Path("bank.xlsx"), std::string(100000, 'n')));
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by the signal";
    EXPECT_EQ(WTERMSIG(status), c.signal_number);
    EXPECT_EQ(Read("bank.xlsx"), "old");
    const std::vector<std::string> entries = backend_.Entries(backend_.root());
    EXPECT_EQ(entries.size(), c.left_by_the_kill ? 2u : 1u);
    if (c.left_by_the_kill) {
      EXPECT_THAT(entries.back(),
                  ::testing::StartsWith("bank.xlsx.tmp-" + std::to_string(pid) + "-"));
    }
    ASSERT_EQ(platform_.WriteFileAtomically(Path("bank.xlsx"), "next"), std::nullopt);
    EXPECT_THAT(backend_.Entries(backend_.root()), ElementsAre("bank.xlsx"));
  }
}

// Only what a run that has ended left of this very file is removed: a running process's
// temporary file, another file's and a name that only looks alike stay.
TEST_F(PosixPlatformTest, StaleTemporaryFilesOfOtherFilesAndRunningProcessesStay) {
  const pid_t ended = fork();
  if (ended == 0) _exit(0);
  ASSERT_EQ(waitpid(ended, nullptr, 0), ended);
  const std::string dead = std::to_string(ended);
  const std::string alive = std::to_string(getppid());
  const std::vector<std::string> kept = {"a.xlsx",
                                         "a.xlsx.tmp-" + alive + "-3",
                                         "b.xlsx.tmp-" + dead + "-0",
                                         "a.xlsx.tmp-" + dead + "-x",
                                         "a.xlsx.tmp-" + dead,
                                         "a.xlsx.tmp--1"};
  for (const std::string& name : kept) {
    ASSERT_EQ(platform_.WriteFileAtomically(Path(name), "t"), std::nullopt);
  }
  for (const std::string& name : {"a.xlsx.tmp-" + dead + "-0", "a.xlsx.tmp-" + dead + "-17"}) {
    std::ofstream(Path(name)) << "stale";
  }
  ASSERT_EQ(platform_.WriteFileAtomically(Path("a.xlsx"), "new"), std::nullopt);
  std::vector<std::string> sorted = kept;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(backend_.Entries(backend_.root()), sorted);
}

// A run waiting for the lock gets it once the holder has saved, on the file the save put in
// place, so that a third run is kept out of that one in turn.
TEST_F(PosixPlatformTest, AWaitingLockIsTakenOnTheFileTheHolderSaved) {
  using std::chrono::milliseconds;
  ASSERT_EQ(platform_.WriteFileAtomically(Path("bank.xlsx"), "old"), std::nullopt);
  std::unique_ptr<FileLock> holder =
      platform_.LockFile(Path("bank.xlsx"), milliseconds(0), nullptr);
  ASSERT_NE(holder, nullptr);
  std::unique_ptr<FileLock> waiter;
  std::thread waiting(
      [&] { waiter = platform_.LockFile(Path("bank.xlsx"), milliseconds(20000), nullptr); });
  std::this_thread::sleep_for(milliseconds(100));
  ASSERT_EQ(platform_.WriteFileAtomically(Path("bank.xlsx"), "new"), std::nullopt);
  holder.reset();
  waiting.join();
  ASSERT_NE(waiter, nullptr);
  EXPECT_EQ(platform_.LockFile(Path("bank.xlsx"), milliseconds(0), nullptr), nullptr);
  waiter.reset();
  EXPECT_NE(platform_.LockFile(Path("bank.xlsx"), milliseconds(0), nullptr), nullptr);
}

// What is at `path` without following a link: 'f' file, 'd' folder, 'p' pipe, 's' socket, 'c'
// device, 'l' link, '-' nothing.
char KindAt(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return '-';
  if (S_ISREG(st.st_mode)) return 'f';
  if (S_ISDIR(st.st_mode)) return 'd';
  if (S_ISFIFO(st.st_mode)) return 'p';
  if (S_ISSOCK(st.st_mode)) return 's';
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return 'c';
  if (S_ISLNK(st.st_mode)) return 'l';
  return '?';
}

// Binds a socket to `path`, which then exists as a socket file; false when it cannot.
bool MakeSocketFile(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::copy(path.begin(), path.end(), address.sun_path);
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return false;
  bool bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return bound;
}

// Writing onto a pipe, a socket or a folder, directly or through a link, is refused with what it
// is, and the thing stays as it was: the pipe of a PDF output used to become a file.
TEST_F(PosixPlatformTest, WriteOntoWhatIsNotAFileIsRefusedAndLeavesIt) {
  ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0644), 0);
  ASSERT_TRUE(MakeSocketFile(Path("sock")));
  ASSERT_EQ(mkdir(Path("dir").c_str(), 0755), 0);
  for (const char* name : {"pipe", "sock", "dir"}) {
    ASSERT_EQ(symlink(name, Path(std::string("to-") + name).c_str()), 0);
  }
  const std::vector<std::string> before = backend_.Entries(backend_.root());
  struct Case {
    std::string name;
    char kind;
    std::string says;
  } cases[] = {
      {"pipe", 'p', "it is a named pipe (FIFO), not a regular file"},
      {"sock", 's', "it is a socket, not a regular file"},
      {"dir", 'd', "it is a folder, not a regular file"},
      {"dir/", 'd', "it is a folder, not a regular file"},
      {"to-pipe", 'l', "it leads to " + Path("pipe") + ", which is a named pipe (FIFO)"},
      {"to-sock", 'l', "it leads to " + Path("sock") + ", which is a socket"},
      {"to-dir", 'l', "it leads to " + Path("dir") + ", which is a folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<PlatformError> error = platform_.WriteFileAtomically(Path(c.name), "bytes");
    ASSERT_TRUE(error.has_value());
    EXPECT_THAT(error->message, HasSubstr("cannot write " + Path(c.name) + ": "));
    EXPECT_THAT(error->message, HasSubstr(c.says));
    EXPECT_FALSE(error->not_found);
    EXPECT_EQ(KindAt(Path(c.name)), c.kind);
  }
  EXPECT_EQ(backend_.Entries(backend_.root()), before) << "something was left behind";
  EXPECT_EQ(KindAt(Path("pipe")), 'p');
  EXPECT_EQ(KindAt(Path("sock")), 's');
}

// A device is refused too: as root, saving to /dev/null used to put a file in the device's
// place. The device here is a twin of /dev/null made in the test's folder, so that a fault
// could never replace the machine's own.
TEST_F(PosixPlatformTest, WriteOntoADeviceIsRefusedAndLeavesIt) {
  if (geteuid() != 0)
    GTEST_SKIP() << "only root can make a device node, and only root could replace one";
  if (mknod(Path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
    GTEST_SKIP() << "this system does not let root make a device node: " << std::strerror(errno);
  }
  ASSERT_EQ(symlink("null", Path("out.xlsx").c_str()), 0);
  for (const std::string name : {"null", "out.xlsx"}) {
    SCOPED_TRACE(name);
    std::optional<PlatformError> error = platform_.WriteFileAtomically(Path(name), "bytes");
    ASSERT_TRUE(error.has_value());
    EXPECT_THAT(error->message, HasSubstr(Path(name)));
    EXPECT_THAT(error->message, HasSubstr("is a device, not a regular file"));
  }
  EXPECT_EQ(KindAt(Path("null")), 'c');
  EXPECT_EQ(KindAt(Path("out.xlsx")), 'l');
  EXPECT_THAT(backend_.Entries(backend_.root()), ElementsAre("null", "out.xlsx"));
}

// Sets an environment variable for the life of the object, then puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_.has_value()) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST_F(PosixPlatformTest, DocumentsFolderFollowsUserDirs) {
  std::string home = Path("home");
  std::string config = Path("config");
  ASSERT_EQ(platform_.CreateFolder(home), std::nullopt);
  ASSERT_EQ(platform_.CreateFolder(config), std::nullopt);
  struct Case {
    const char* dirs;  // user-dirs.dirs content; null for no file
    std::string expected;
  } cases[] = {
      {"XDG_DOCUMENTS_DIR=\"$HOME/書類\"\n", home + "/書類"},
      {nullptr, home + "/Documents"},
      {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", home + "/Documents"},
      {"# XDG_DOCUMENTS_DIR=\"$HOME/old\"\n  XDG_DOCUMENTS_DIR = \"/srv/my docs/\"",
       "/srv/my docs"},
      {"XDG_DOCUMENTS_DIR=\"$HOME/a\"\nXDG_DOCUMENTS_DIR=\"$HOME/b\\\"c\"\n", home + "/b\"c"},
      {"XDG_DOCUMENTS_DIR=\"relative\"\n", home + "/Documents"},
      {"XDG_DOCUMENTS_DIR=\"$HOMEX/d\"\n", home + "/Documents"},
      {"XDG_DOCUMENTS_DIR=\"$HOME/unclosed\n", home + "/Documents"},
  };
  ScopedEnv home_env("HOME", home.c_str());
  ScopedEnv config_env("XDG_CONFIG_HOME", config.c_str());
  for (const Case& c : cases) {
    std::string file = config + "/user-dirs.dirs";
    unlink(file.c_str());
    if (c.dirs != nullptr) {
      ASSERT_EQ(platform_.WriteFileAtomically(file, c.dirs), std::nullopt);
    }
    EXPECT_EQ(platform_.DocumentsFolder(), c.expected) << (c.dirs ? c.dirs : "(no file)");
  }
}

TEST_F(PosixPlatformTest, DocumentsFolderDefaultsToConfigUnderHome) {
  std::string home = Path("home");
  ASSERT_EQ(platform_.CreateFolder(home), std::nullopt);
  ASSERT_EQ(platform_.CreateFolder(home + "/.config"), std::nullopt);
  ASSERT_EQ(platform_.WriteFileAtomically(home + "/.config/user-dirs.dirs",
                                          "XDG_DOCUMENTS_DIR=\"$HOME/文書\"\n"),
            std::nullopt);
  ScopedEnv config_env("XDG_CONFIG_HOME", nullptr);
  {
    ScopedEnv home_env("HOME", (home + "/").c_str());
    EXPECT_EQ(platform_.DocumentsFolder(), home + "/文書");
  }
  ScopedEnv relative_env("XDG_CONFIG_HOME", "relative/ignored");
  ScopedEnv home_env("HOME", home.c_str());
  EXPECT_EQ(platform_.DocumentsFolder(), home + "/文書");
}

}  // namespace
}  // namespace tarquel::host
