// tarquel: the question bank workbooks and their tests from the terminal.
#include <unistd.h>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "host/platform/posix_platform.h"
#include "tarquel/commands.h"
#include "tarquel/heap.h"
#include "tarquel/invocation.h"
#include "tarquel/terminal.h"

int main(int argc, char** argv) {
  using namespace tarquel::cli;
  PrepareHeapForOneCommand();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const Terminal terminal{std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 1};
  try {
    const Invocation invocation = ParseArguments(args);
    tarquel::host::PosixPlatform platform;
    return RunCommand(invocation, terminal, platform);
  } catch (const UsageError& error) {
    std::cerr << "tarquel: " << error.what() << "\n"
              << "Run 'tarquel --help' for the commands and their options.\n";
    return kExitUsage;
  } catch (const std::exception& error) {
    std::cerr << "tarquel: " << error.what() << "\n";
    return kExitStopped;
  }
}
