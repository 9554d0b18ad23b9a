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
    // A run stopped with Ctrl+C or killed politely leaves no half-written file beside a bank.
    tarquel::host::PosixPlatform::RemoveTemporaryFilesOnSignals();
    // What the command would change could not be saved: say so before it runs, not after.
    if (const auto bank = BankSavedInPlace(invocation)) {
      if (const auto refused = platform.CheckWritable(*bank)) {
        std::cerr << "tarquel: nothing was done: " << refused->message
                  << ".\nMake it writable (chmod u+w) or give -o OUT.xlsx to save the result "
                     "elsewhere.\n";
        return kExitFile;
      }
    }
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
