#include "tarquel/print_pdf.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "host/application.h"
#include "host/cell_format.h"
#include "host/cell_value.h"
#include "host/host_error.h"
#include "host/page_setup.h"
#include "host/platform/platform.h"
#include "host/range.h"
#include "host/ui.h"
#include "host/utf16.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "host/xlsx/xlsx_files.h"
#include "model/test_sheet.h"

extern char** environ;

namespace tarquel::app {

namespace {

constexpr char kInstallHint[] =
    "PDF printing needs LibreOffice Calc and Japanese fonts; install the Debian packages "
    "libreoffice-calc-nogui, fonts-ipafont-mincho, fonts-ipafont-gothic and fonts-noto-cjk "
    "(scripts/setup.sh installs them).";

// Room a cell keeps free above and below stacked text, in points.
constexpr double kVerticalPadding = 3;
// The smallest font size the host takes.
constexpr double kMinimumFontSize = 1;
// How long one conversion may take before it is given up.
constexpr int kConversionTimeoutSeconds = 300;
// How much of LibreOffice's output an error message quotes.
constexpr std::size_t kLogTailBytes = 1500;

// --- Measuring stacked text -----------------------------------------------------------------

// The height of a character stacked in vertical text, in ems of its font. Every character stands
// on a line of its own, half-width ones too: they are narrower, not lower.
double StackedEms(char32_t ch) {
  if (ch < 0x20 || ch == 0x7F) return 0;  // controls take no place
  // Combining marks and variation selectors join the character before them.
  if ((ch >= 0x300 && ch <= 0x36F) || ch == 0x3099 || ch == 0x309A ||
      (ch >= 0xFE00 && ch <= 0xFE0F) || (ch >= 0xE0100 && ch <= 0xE01EF)) {
    return 0;
  }
  return 1;
}

// Adds the stacked height of `text` at `size` to the column being measured; a line break starts
// a new column. `tallest` keeps the tallest column so far.
void MeasureStack(std::string_view text, double size, double* column, double* tallest) {
  const bool valid = host::IsValidUtf8(text);  // otherwise each byte is taken for a character
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char32_t ch =
        valid ? host::DecodeUtf8(text, &pos) : static_cast<unsigned char>(text[pos++]);
    if (ch == U'\n') {
      *column = 0;
      continue;
    }
    *column += StackedEms(ch) * size;
    *tallest = std::max(*tallest, *column);
  }
}

// The factor that makes stacked text `length` points long fit `cell_height` points; 1 when it
// fits already.
double FitScale(double length, double cell_height) {
  const double room = std::max(0.0, cell_height - 2 * kVerticalPadding);
  if (length <= room) return 1;
  return room / length;
}

// A font size scaled down to a tenth of a point below, the step files keep, and not below the
// host's smallest size (nor above the size it was).
double ScaledSize(double size, double scale) {
  if (scale >= 1) return size;
  const double scaled = std::floor(size * scale * 10 + 1e-9) / 10;
  return std::min(size, std::max(kMinimumFontSize, scaled));
}

// The stacked height of a cell's text in points, each run at its own size.
double StackedLength(const host::Text& text, double cell_size) {
  double column = 0;
  double tallest = 0;
  const host::TextFormatting* formatting = text.format();
  if (formatting == nullptr || formatting->runs.empty()) {
    MeasureStack(text.text, cell_size, &column, &tallest);
    return tallest;
  }
  for (const host::FontRun& run : formatting->runs) {
    MeasureStack(host::Utf16Substr(text.text, run.start, run.length),
                 run.font ? run.font->size : cell_size, &column, &tallest);
  }
  return tallest;
}

// --- The print copy ---------------------------------------------------------------------------

// The Ui of the scratch application: nothing done to the print copy asks the user anything, so
// a question would be a fault; it is refused as the host refuses an impossible operation.
class NoUserUi : public host::Ui {
 public:
  host::MessageAnswer MessageBox(const std::string& prompt, host::MessageButtons,
                                 const std::optional<std::string>&) override {
    Refuse("message box: " + prompt);
  }
  std::string GetOpenFilename(const std::vector<host::FileFilter>&) override {
    Refuse("file dialog");
  }
  void PlaySound(host::SystemSound) override {}
  void EditPhonetics(host::Range&) override { Refuse("phonetic guide editor"); }
  void PrintPreview(const std::vector<host::Worksheet*>&) override { Refuse("print preview"); }
  void ShowModal(host::Form&) override { Refuse("dialog"); }

 private:
  [[noreturn]] static void Refuse(const std::string& what) {
    host::ThrowApplicationDefined("印刷用の写しは利用者に尋ねられません（" + what + "）。");
  }
};

host::CellRect WholeSheet(const host::Worksheet& sheet) {
  return host::CellRect{1, 1, sheet.RowCount(), sheet.ColumnCount()};
}

// Leaves `sheet` hidden and empty: no cells, merged areas, comments, row or column formats, and
// no print area, so that the converter lays out nothing of it.
void EmptyAndHide(host::Worksheet& sheet) {
  std::vector<std::pair<int32_t, int32_t>> cells;
  sheet.ForEachCell(WholeSheet(sheet), [&](int32_t row, const host::Cell& cell) {
    cells.push_back({row, cell.column});
  });
  for (const auto& [row, column] : cells) sheet.EraseCell(row, column);
  sheet.RemoveMergesIntersecting(WholeSheet(sheet));
  sheet.comments().clear();
  sheet.rows_info().clear();
  sheet.columns_info().clear();
  sheet.SetPrintArea("");
  sheet.SetVisibility(host::SheetVisibility::kHidden);
}

double ShownRowHeight(const host::Worksheet& sheet, int32_t row) {
  auto it = sheet.rows_info().find(row);
  if (it != sheet.rows_info().end() && it->second.hidden) return 0;
  return sheet.RowHeightOf(row);
}

// The height of the cell at (row, column), or of the merged area it heads.
double CellHeight(const host::Worksheet& sheet, int32_t row, int32_t column) {
  int32_t last_row = row;
  if (const host::CellRect* merge = sheet.MergeAreaOf(row, column)) last_row = merge->last_row;
  double height = 0;
  for (int32_t r = row; r <= last_row; ++r) height += ShownRowHeight(sheet, r);
  return height;
}

// Gives every shrink-to-fit cell of stacked text the font size shrinking shows, and turns
// shrinking off: the converter does not shrink stacked text and cuts what is too long.
void FixShrunkVerticalText(host::Worksheet& sheet) {
  struct Shrink {
    int32_t row;
    int32_t column;
    double scale;
  };
  std::vector<Shrink> shrinks;
  sheet.ForEachCell(WholeSheet(sheet), [&](int32_t row, const host::Cell& cell) {
    const host::CellFormat& format = sheet.styles().Get(cell.style);
    if (format.alignment.rotation != host::kVerticalText || !format.alignment.shrink_to_fit) {
      return;
    }
    double scale = 1;
    if (cell.value.IsText()) {
      scale = FitScale(StackedLength(cell.value.text(), format.font.size),
                       CellHeight(sheet, row, cell.column));
    }
    shrinks.push_back({row, cell.column, scale});
  });
  for (const Shrink& shrink : shrinks) {
    host::Range cell = sheet.Cells(shrink.row, shrink.column);
    if (shrink.scale < 1) {
      cell.Font().Modify(
          [&](host::Font& font) { font.size = ScaledSize(font.size, shrink.scale); });
    }
    cell.SetShrinkToFit(false);
  }
}

// Paper width and height, upright, in points; nullopt for a size not known here.
std::optional<std::pair<double, double>> PaperPoints(int paper_size) {
  constexpr double kPointsPerMillimetre = 72 / 25.4;
  switch (paper_size) {
    case host::kPaperA4:
      return std::make_pair(210 * kPointsPerMillimetre, 297 * kPointsPerMillimetre);
    case host::kPaperA3:
      return std::make_pair(297 * kPointsPerMillimetre, 420 * kPointsPerMillimetre);
    case host::kPaperLetter:
      return std::make_pair(612.0, 792.0);
    default:
      return std::nullopt;
  }
}

// How wide LibreOffice takes one unit of column width to be, in ems of the workbook's default
// font: its widest digit, which for the IPA fonts standing in for the host's is about 0.63 em.
// A little more, so that a page estimated to fit does fit.
constexpr double kColumnUnitEms = 0.64;
// The highest row the host takes.
constexpr double kMaximumRowHeight = 409;

// Fits each page of a test sheet on one sheet of paper, as the test is meant to be printed: the
// zoom goes down, never up, until a page fits the paper within its margins, and the spacer row at
// the foot of each page grows to take up the paper left below it, so that the next page starts
// on a new sheet.
void FitTestPages(host::Worksheet& sheet, bool use_sheet40, double default_font_size) {
  host::PageSetup& setup = sheet.page_setup();
  const std::optional<std::pair<double, double>> paper = PaperPoints(setup.paper_size);
  if (setup.fit_to_pages || !paper || sheet.print_area().size() != 1) return;
  auto [paper_width, paper_height] = *paper;
  if (setup.orientation == host::PageOrientation::kLandscape) {
    std::swap(paper_width, paper_height);
  }
  const double room_width = paper_width - setup.left_margin - setup.right_margin;
  const double room_height = paper_height - setup.top_margin - setup.bottom_margin;
  const host::CellRect& area = sheet.print_area().front();
  const int32_t rows_per_page = model::RowsPerPage(use_sheet40);
  if (area.first_row != 1 || area.last_row % rows_per_page != 0 || room_width <= 0 ||
      room_height <= 0) {
    return;
  }

  double width = 0;
  for (int32_t column = area.first_column; column <= area.last_column; ++column) {
    auto it = sheet.columns_info().find(column);
    if (it != sheet.columns_info().end() && it->second.hidden) continue;
    width += sheet.ColumnWidthOf(column) * kColumnUnitEms * default_font_size;
  }
  std::vector<double> page_heights;
  for (int32_t first = 1; first <= area.last_row; first += rows_per_page) {
    double height = 0;
    for (int32_t row = first; row < first + rows_per_page; ++row) {
      height += ShownRowHeight(sheet, row);
    }
    page_heights.push_back(height);
  }
  const double tallest = *std::max_element(page_heights.begin(), page_heights.end());
  if (width <= 0 || tallest <= 0) return;

  int zoom = setup.zoom;
  zoom = std::min(zoom, static_cast<int>(std::floor(100 * room_width / width)));
  zoom = std::min(zoom, static_cast<int>(std::floor(100 * room_height / tallest)));
  setup.zoom = std::clamp(zoom, 10, 400);
  const double scale = setup.zoom / 100.0;

  // A page ends half its first row short of the paper's end: too little room for the next page
  // to begin there, and room enough for rounding.
  for (std::size_t page = 0; page < page_heights.size(); ++page) {
    const int32_t first = static_cast<int32_t>(page) * rows_per_page + 1;
    const int32_t foot = first + rows_per_page - 1;
    const double target = (room_height - 0.5 * scale * ShownRowHeight(sheet, first)) / scale;
    const double extra = target - page_heights[page];
    if (extra <= 0 || ShownRowHeight(sheet, foot) == 0) continue;
    sheet.rows_info()[foot].height =
        std::min(kMaximumRowHeight, ShownRowHeight(sheet, foot) + extra);
  }
}

// The package of the workbook to convert: `workbook` with `sheet_name` the active sheet and the
// only one visible and filled, its shrunk stacked text given fixed sizes, and a test sheet's
// pages fitted to the paper.
std::string PrintCopy(const host::Workbook& workbook, const std::string& sheet_name) {
  NoUserUi ui;
  host::Application scratch(ui);
  host::Workbook copy(scratch, "print.xlsx");
  host::xlsx::XlsxFiles::ReadPackage(host::xlsx::XlsxFiles::WritePackage(workbook), workbook.Name(),
                                     copy);
  host::Worksheet* sheet = copy.FindSheet(sheet_name);
  if (sheet == nullptr) {
    host::ThrowSubscriptOutOfRange("シート「" + sheet_name + "」がありません。");
  }
  sheet->SetVisibility(host::SheetVisibility::kVisible);
  copy.ActivateSheet(*sheet);
  for (int index = 1; index <= copy.SheetCount(); ++index) {
    if (&copy.SheetAt(index) != sheet) EmptyAndHide(copy.SheetAt(index));
  }
  FixShrunkVerticalText(*sheet);
  for (bool use_sheet40 : {true, false}) {
    if (sheet_name == model::TestSheetName(use_sheet40)) {
      FitTestPages(*sheet, use_sheet40, copy.styles().Get(host::StyleTable::kDefault).font.size);
    }
  }
  return host::xlsx::XlsxFiles::WritePackage(copy, host::xlsx::XlsxFiles::WriteMode::kRegenerate);
}

// --- Fonts --------------------------------------------------------------------------------------

// The IPA fonts are made to the metrics of the host's Japanese fonts: each takes the place of the
// host's fonts it matches, so that stacked characters stand one em apart, as the shrunk sizes
// assume (Noto CJK, which LibreOffice falls back to otherwise, sets them almost one and a half em
// apart). Noto CJK follows for characters the IPA fonts lack.
struct FontStandIn {
  const char* ipa_family;
  const char* fallback;
  std::vector<const char*> host_families;
};

const std::vector<FontStandIn>& FontStandIns() {
  static const std::vector<FontStandIn> kStandIns = {
      {"IPAMincho", "Noto Serif CJK JP", {"ＭＳ 明朝", "MS Mincho", "游明朝", "Yu Mincho"}},
      {"IPAPMincho", "Noto Serif CJK JP", {"ＭＳ Ｐ明朝", "MS PMincho"}},
      {"IPAGothic", "Noto Sans CJK JP", {"ＭＳ ゴシック", "MS Gothic"}},
      {"IPAPGothic",
       "Noto Sans CJK JP",
       {"ＭＳ Ｐゴシック", "MS PGothic", "ＭＳ ＵＩ Gothic", "MS UI Gothic", "游ゴシック",
        "Yu Gothic", "メイリオ", "Meiryo"}},
  };
  return kStandIns;
}

std::string XmlEscaped(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '&') {
      escaped += "&amp;";
    } else if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

// A fontconfig file for the converter: the configuration it would have read, and the stand-ins.
std::string FontConfig(const std::string& base) {
  std::string config =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
      "<fontconfig>\n  <include ignore_missing=\"yes\">" +
      XmlEscaped(base) + "</include>\n";
  for (const FontStandIn& stand_in : FontStandIns()) {
    for (const char* family : stand_in.host_families) {
      config += "  <alias binding=\"same\"><family>" + std::string(family) +
                "</family><prefer><family>" + stand_in.ipa_family + "</family><family>" +
                stand_in.fallback + "</family></prefer></alias>\n";
    }
  }
  return config + "</fontconfig>\n";
}

// --- Files and processes ------------------------------------------------------------------------

// A private temporary folder, removed with everything in it when this goes.
class TempFolder {
 public:
  TempFolder() {
    const char* tmpdir = std::getenv("TMPDIR");
    std::string base = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
    // Absolute, as LibreOffice takes its profile folder as a URL.
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(base, ignored);
    if (!absolute.empty()) base = absolute.string();
    std::string pattern = base + "/tarquel-pdf-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) {
      path_ = std::move(pattern);
    } else {
      error_ = "cannot create a temporary folder in " + base + ": " + std::strerror(errno);
    }
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  const std::string& path() const { return path_; }
  const std::string& error() const { return error_; }

 private:
  std::string path_;
  std::string error_;
};

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(bytes).str();
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

// A file URL of an absolute path, every byte but unreserved ones and '/' escaped, so that
// folders with spaces or Japanese names reach LibreOffice intact.
std::string FileUrl(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    const bool unreserved = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                            (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == '~';
    if (unreserved || c == '/') {
      url += c;
    } else {
      url += '%';
      url += kHex[byte >> 4];
      url += kHex[byte & 0xF];
    }
  }
  return url;
}

// The executable `program` on the PATH the environment has now; "" when there is none.
std::string FindOnPath(const std::string& program) {
  const char* env = std::getenv("PATH");
  const std::string path = env != nullptr ? env : "";
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    // An empty entry is the current folder, as the shell takes it.
    const std::string folder = end > start ? path.substr(start, end - start) : ".";
    const std::string candidate = folder + "/" + program;
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return "";
}

// The last part of a program's output, for an error message.
std::string LogTail(const std::string& log_path) {
  std::string log = ReadWholeFile(log_path).value_or("");
  while (!log.empty() && (log.back() == '\n' || log.back() == '\r' || log.back() == ' ')) {
    log.pop_back();
  }
  if (log.empty()) return "(no output)";
  if (log.size() > kLogTailBytes) {
    std::size_t cut = log.size() - kLogTailBytes;
    // Start at a line, or at least at a whole UTF-8 character.
    const std::size_t line = log.find('\n', cut);
    if (line != std::string::npos && line + 1 < log.size()) {
      cut = line + 1;
    } else {
      while (cut < log.size() && (static_cast<unsigned char>(log[cut]) & 0xC0) == 0x80) ++cut;
    }
    log = "..." + log.substr(cut);
  }
  return log;
}

// The environment of this process with `name` set to `value`.
std::vector<std::string> EnvironmentWith(const std::string& name, const std::string& value) {
  std::vector<std::string> env;
  const std::string prefix = name + "=";
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, prefix.c_str(), prefix.size()) != 0) env.emplace_back(*entry);
  }
  env.push_back(prefix + value);
  return env;
}

std::vector<char*> NullTerminated(const std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (const std::string& s : strings) pointers.push_back(const_cast<char*>(s.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// Runs the program argv[0] (a path) with `env`, stdin from /dev/null and stdout and stderr into
// `log_path`, without a shell. Returns "" when it ran and exited with 0, else what went wrong.
std::string RunLogged(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                      const std::string& log_path) {
  const int log_fd = open(log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (log_fd < 0) return "cannot create " + log_path + ": " + std::strerror(errno);
  const int null_fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (null_fd < 0) {
    close(log_fd);
    return std::string("cannot open /dev/null: ") + std::strerror(errno);
  }
  std::vector<char*> args = NullTerminated(argv);
  std::vector<char*> envp = NullTerminated(env);

  const pid_t pid = fork();
  if (pid == 0) {
    // Its own process group, so that a run that hangs is ended with all it started.
    setpgid(0, 0);
    if (dup2(null_fd, STDIN_FILENO) < 0 || dup2(log_fd, STDOUT_FILENO) < 0 ||
        dup2(log_fd, STDERR_FILENO) < 0) {
      _exit(126);
    }
    execve(args[0], args.data(), envp.data());
    static constexpr char kFailed[] = "cannot start the program\n";
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, kFailed, sizeof kFailed - 1);
    _exit(127);
  }
  const int fork_errno = errno;
  close(log_fd);
  close(null_fd);
  if (pid < 0) return "cannot start " + argv[0] + ": " + std::strerror(fork_errno);
  setpgid(pid, pid);  // here too, so that the group exists before any kill below

  int status = 0;
  const timespec pause{0, 50'000'000};
  for (int waited = 0;; ++waited) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR)
      return std::string("lost ") + argv[0] + ": " + std::strerror(errno);
    if (waited >= kConversionTimeoutSeconds * 20) {
      kill(-pid, SIGKILL);
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      return argv[0] + " took longer than " + std::to_string(kConversionTimeoutSeconds) +
             " seconds and was stopped";
    }
    nanosleep(&pause, nullptr);
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
  if (WIFEXITED(status)) {
    return argv[0] + " exited with status " + std::to_string(WEXITSTATUS(status));
  }
  if (WIFSIGNALED(status)) {
    return argv[0] + " was ended by signal " + std::to_string(WTERMSIG(status));
  }
  return argv[0] + " failed";
}

// The stand-in fonts that fontconfig does not know, as `fc-list` tells them under `env`; empty
// when all are there, or when fc-list itself is missing and nothing can be told.
std::vector<std::string> MissingStandIns(const std::string& folder,
                                         const std::vector<std::string>& env) {
  const std::string fc_list = FindOnPath("fc-list");
  if (fc_list.empty()) return {};
  const std::string families_path = folder + "/families.txt";
  if (!RunLogged({fc_list, "--format=%{family}\\n"}, env, families_path).empty()) return {};
  const std::string families = ReadWholeFile(families_path).value_or("");
  std::vector<std::string> missing;
  for (const FontStandIn& stand_in : FontStandIns()) {
    // Family lists read "IPAMincho,IPA明朝"; a name stands whole between separators.
    const std::string name = stand_in.ipa_family;
    bool found = false;
    for (std::size_t at = families.find(name); at != std::string::npos && !found;
         at = families.find(name, at + 1)) {
      const std::size_t end = at + name.size();
      found = (at == 0 || families[at - 1] == '\n' || families[at - 1] == ',') &&
              (end == families.size() || families[end] == '\n' || families[end] == ',');
    }
    if (!found) missing.push_back(name);
  }
  return missing;
}

}  // namespace

double ShrunkVerticalFontSize(std::string_view text, double font_size, double cell_height_points) {
  double column = 0;
  double tallest = 0;
  MeasureStack(text, font_size, &column, &tallest);
  return ScaledSize(font_size, FitScale(tallest, cell_height_points));
}

std::optional<PdfError> PrintSheetToPdf(const host::Workbook& workbook,
                                        const std::string& sheet_name, const std::string& pdf_path,
                                        host::Platform& platform) {
  std::string office = FindOnPath("soffice");
  if (office.empty()) office = FindOnPath("libreoffice");
  if (office.empty()) return PdfError{kInstallHint, true};

  std::string package;
  try {
    package = PrintCopy(workbook, sheet_name);
  } catch (const host::HostError& error) {
    return PdfError{"cannot prepare sheet \"" + sheet_name +
                    "\" for printing: " + error.description()};
  }

  TempFolder temp;
  if (temp.path().empty()) return PdfError{temp.error()};
  const std::string xlsx_path = temp.path() + "/print.xlsx";
  const std::string converted_path = temp.path() + "/print.pdf";
  const std::string fonts_path = temp.path() + "/fonts.conf";
  const std::string log_path = temp.path() + "/soffice.log";

  // The converter reads the user's font settings as it would have, and the stand-ins after them.
  const char* user_fonts = std::getenv("FONTCONFIG_FILE");
  std::string base_fonts = "/etc/fonts/fonts.conf";
  if (user_fonts != nullptr && *user_fonts != '\0') {
    std::error_code ignored;
    base_fonts = std::filesystem::absolute(user_fonts, ignored).string();
  }
  if (!WriteWholeFile(fonts_path, FontConfig(base_fonts))) {
    return PdfError{"cannot write the font settings " + fonts_path};
  }
  const std::vector<std::string> env = EnvironmentWith("FONTCONFIG_FILE", fonts_path);
  const std::vector<std::string> missing = MissingStandIns(temp.path(), env);
  if (!missing.empty()) {
    std::string names;
    for (const std::string& name : missing) names += (names.empty() ? "" : ", ") + name;
    return PdfError{std::string(kInstallHint) + " Fonts not found: " + names + ".", true};
  }

  if (!WriteWholeFile(xlsx_path, package)) {
    return PdfError{"cannot write the print copy " + xlsx_path};
  }
  const std::vector<std::string> argv = {
      office,         "--headless",
      "--norestore",  "-env:UserInstallation=" + FileUrl(temp.path() + "/profile"),
      "--convert-to", "pdf",
      "--outdir",     temp.path(),
      xlsx_path,
  };
  const std::string failure = RunLogged(argv, env, log_path);
  if (!failure.empty()) {
    return PdfError{"LibreOffice could not print sheet \"" + sheet_name + "\": " + failure +
                    ". Its output:\n" + LogTail(log_path)};
  }
  const std::optional<std::string> pdf = ReadWholeFile(converted_path);
  if (!pdf || pdf->empty()) {
    return PdfError{"LibreOffice made no PDF of sheet \"" + sheet_name + "\". Its output:\n" +
                    LogTail(log_path)};
  }
  if (std::optional<host::PlatformError> error = platform.WriteFileAtomically(pdf_path, *pdf)) {
    return PdfError{error->message};
  }
  return std::nullopt;
}

}  // namespace tarquel::app
