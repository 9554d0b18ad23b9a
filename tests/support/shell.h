// Running another program from a test and taking what it prints.
#ifndef TARQUEL_TESTS_SUPPORT_SHELL_H_
#define TARQUEL_TESTS_SUPPORT_SHELL_H_

#include <cstdio>
#include <string>

namespace tarquel::testing {

// Runs `command` with the shell and returns its standard output ("" when it cannot start).
inline std::string RunShell(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  pclose(pipe);
  return output;
}

}  // namespace tarquel::testing

#endif  // TARQUEL_TESTS_SUPPORT_SHELL_H_
