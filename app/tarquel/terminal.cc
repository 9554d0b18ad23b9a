#include "tarquel/terminal.h"

#include <istream>
#include <ostream>

namespace tarquel::cli {

std::optional<std::string> Terminal::Ask(const std::string& prompt) const {
  out << prompt << std::flush;
  std::string line;
  if (!std::getline(in, line)) {
    out << "\n";
    return std::nullopt;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string TerminalText(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') continue;
      result += '\n';
      continue;
    }
    result += text[i];
  }
  return result;
}

}  // namespace tarquel::cli
