#include "print/paper.h"

namespace tarquel::print {

namespace {

constexpr double kPointsPerMillimetre = 72 / 25.4;

struct KnownPaper {
  int code;
  double width_mm;
  double height_mm;
  const char* name;
};

// The sizes teachers print on, by the numbers the file format gives them. Letter and Legal are
// inch sizes, given here in millimetres exactly (25.4 to the inch).
constexpr KnownPaper kPapers[] = {
    {1, 215.9, 279.4, "Letter"}, {5, 215.9, 355.6, "Legal"}, {8, 297, 420, "A3"},
    {9, 210, 297, "A4"},         {11, 148, 210, "A5"},       {12, 257, 364, "B4 (JIS)"},
    {13, 182, 257, "B5 (JIS)"},  {43, 100, 148, "はがき"},
};

}  // namespace

std::optional<PaperSize> FindPaperSize(int code) {
  for (const KnownPaper& paper : kPapers) {
    if (paper.code == code) {
      return PaperSize{paper.width_mm * kPointsPerMillimetre,
                       paper.height_mm * kPointsPerMillimetre, paper.name};
    }
  }
  return std::nullopt;
}

}  // namespace tarquel::print
