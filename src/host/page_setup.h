// A sheet's page setup: what the host prints and how. Margins are in points. The print area
// is kept by the sheet (Worksheet::SetPrintArea), since setting it checks the address.
#ifndef TARQUEL_HOST_PAGE_SETUP_H_
#define TARQUEL_HOST_PAGE_SETUP_H_

#include <optional>

namespace tarquel::host {

enum class PageOrientation { kPortrait, kLandscape };
enum class PageOrder { kDownThenOver, kOverThenDown };
enum class PrintComments { kNone, kAtEnd, kAsDisplayed };

// Paper sizes by the numbers files use.
inline constexpr int kPaperA4 = 9;
inline constexpr int kPaperA3 = 8;
inline constexpr int kPaperLetter = 1;

struct PageSetup {
  double left_margin = 0.7 * 72;
  double right_margin = 0.7 * 72;
  double top_margin = 0.75 * 72;
  double bottom_margin = 0.75 * 72;
  double header_margin = 0.3 * 72;
  double footer_margin = 0.3 * 72;
  bool print_headings = false;
  bool print_gridlines = false;
  PrintComments print_comments = PrintComments::kNone;
  bool center_horizontally = false;
  bool center_vertically = false;
  PageOrientation orientation = PageOrientation::kPortrait;
  bool draft = false;
  int paper_size = kPaperA4;
  std::optional<int> first_page_number;  // absent: automatic
  PageOrder order = PageOrder::kDownThenOver;
  bool black_and_white = false;
  int zoom = 100;  // percent, used while fit_to_pages is off
  bool fit_to_pages = false;
  int fit_to_pages_wide = 1;
  int fit_to_pages_tall = 1;

  bool operator==(const PageSetup&) const = default;
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_PAGE_SETUP_H_
