// Runs the built tarquel program as a user would, in a home folder of the test's own, with its
// standard input from /dev/null (no terminal) and its output kept in files of that folder.
#ifndef TARQUEL_TESTS_APP_TARQUEL_PROGRAM_PROCESS_H_
#define TARQUEL_TESTS_APP_TARQUEL_PROGRAM_PROCESS_H_

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tarquel::app {

struct ProgramRun {
  int status = -1;  // the exit status, or 128 + the signal that ended it; -1 if it never ran
  std::string out;
  std::string err;
};

// A run started and not yet waited for.
struct StartedProgram {
  pid_t pid = -1;
  std::filesystem::path out, err;
};

inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// HOME and XDG_CONFIG_HOME in `home`, a UTF-8 locale and the caller's PATH.
inline std::vector<std::string> ProgramEnvironment(const std::filesystem::path& home) {
  std::vector<std::string> env = {"HOME=" + home.string(),
                                  "XDG_CONFIG_HOME=" + (home / ".config").string(), "LANG=C.UTF-8"};
  if (const char* path = std::getenv("PATH")) env.push_back(std::string("PATH=") + path);
  return env;
}

// Starts the program in `home`; `tag` names its output files, so that several runs can go at once.
inline StartedProgram StartProgram(const std::filesystem::path& home,
                                   const std::vector<std::string>& args,
                                   const std::string& tag = "run") {
  std::vector<std::string> env = ProgramEnvironment(home);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argv_text = {TARQUEL_PROGRAM};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argv_text) argv.push_back(a.data());
  argv.push_back(nullptr);
  StartedProgram started{-1, home / ("." + tag + ".out"), home / ("." + tag + ".err")};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, started.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, started.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addchdir_np(&actions, home.c_str());
  if (posix_spawn(&started.pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
    started.pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return started;
}

inline ProgramRun WaitForProgram(const StartedProgram& started) {
  ProgramRun run;
  if (started.pid < 0) return run;
  int wait_status = 0;
  waitpid(started.pid, &wait_status, 0);
  run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
  run.out = ReadAll(started.out);
  run.err = ReadAll(started.err);
  return run;
}

inline ProgramRun RunProgram(const std::filesystem::path& home,
                             const std::vector<std::string>& args) {
  return WaitForProgram(StartProgram(home, args));
}

}  // namespace tarquel::app

#endif  // TARQUEL_TESTS_APP_TARQUEL_PROGRAM_PROCESS_H_
