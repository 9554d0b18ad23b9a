// The benchmarks' way of running a whole program as a user would: in a private folder that is also
// its HOME, nothing on standard input or error, timed from spawn to exit with its peak resident
// size. And the bank file they run it on, written by a child process: a spawned program's peak
// resident size starts from its parent's, so the benchmark itself must stay small for the peak to
// be the program's own.
#ifndef TARQUEL_BENCH_SUPPORT_PROCESS_H_
#define TARQUEL_BENCH_SUPPORT_PROCESS_H_

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/bank_package.h"

namespace tarquel {

struct ProcessRun {
  int status = -1;  // the exit status; -1 when it could not start or did not exit
  double seconds = 0;
  double peak_mib = 0;
  std::string out;  // standard output, when asked for

  bool ok() const { return status == 0; }
};

// Runs `argv` (found on PATH unless a path) in `dir` with `dir` as HOME. Standard output goes to
// `out_file` when given, and is read back into the result; else nowhere.
inline ProcessRun RunProcess(const std::vector<std::string>& argv, const std::filesystem::path& dir,
                             const std::optional<std::filesystem::path>& out_file = std::nullopt) {
  const char* path = std::getenv("PATH");
  const std::vector<std::string> env = {
      "HOME=" + dir.string(), "XDG_CONFIG_HOME=" + (dir / ".config").string(),
      std::string("PATH=") + (path != nullptr ? path : "/usr/bin:/bin"), "LANG=C.UTF-8"};
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& entry : env) envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);

  const std::string out_path = out_file ? out_file->string() : "/dev/null";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());

  ProcessRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  const pid_t waited = wait4(pid, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (waited == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  run.peak_mib = static_cast<double>(usage.ru_maxrss) / 1024;  // ru_maxrss is in KiB
  if (out_file) {
    std::ifstream in(*out_file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    run.out = text.str();
  }
  return run;
}

// Writes a bank of `rows` questions (BankPackage) to `file` from a child process; false when it
// could not.
inline bool WriteBankFile(int rows, const std::filesystem::path& file) {
  const pid_t pid = fork();
  if (pid == 0) {
    bool written = false;
    {
      std::ofstream out(file, std::ios::binary);
      out << BankPackage(rows);
      written = static_cast<bool>(out.flush());
    }
    _exit(written ? 0 : 1);
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

}  // namespace tarquel

#endif  // TARQUEL_BENCH_SUPPORT_PROCESS_H_
