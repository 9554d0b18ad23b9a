// Paper sizes by the numbers workbooks store (a sheet's page setup paperSize).
#ifndef TARQUEL_PRINT_PAPER_H_
#define TARQUEL_PRINT_PAPER_H_

#include <optional>
#include <string>

namespace tarquel::print {

struct PaperSize {
  double width = 0;  // points, upright (portrait)
  double height = 0;
  std::string name;  // "A4", "B4 (JIS)", …
};

// The size of paper `code`; nullopt for a code this printer does not know.
std::optional<PaperSize> FindPaperSize(int code);

}  // namespace tarquel::print

#endif  // TARQUEL_PRINT_PAPER_H_
