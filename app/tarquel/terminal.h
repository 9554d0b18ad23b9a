// The terminal the program talks to: where it reads answers, where it writes results and
// errors, and whether a person is there to answer (standard input is a terminal).
#ifndef TARQUEL_APP_TARQUEL_TERMINAL_H_
#define TARQUEL_APP_TARQUEL_TERMINAL_H_

#include <iosfwd>
#include <optional>
#include <string>

namespace tarquel::cli {

struct Terminal {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool interactive;

  // Writes `prompt` and reads one line; nullopt at the end of the input.
  std::optional<std::string> Ask(const std::string& prompt) const;
};

// Host texts end lines with CR LF; a terminal wants LF.
std::string TerminalText(const std::string& text);

}  // namespace tarquel::cli

#endif  // TARQUEL_APP_TARQUEL_TERMINAL_H_
