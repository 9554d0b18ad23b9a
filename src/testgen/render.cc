#include "testgen/render.h"

#include <string>
#include <vector>

#include "host/application.h"
#include "model/bank_sheet.h"
#include "model/body.h"
#include "model/test_sheet.h"
#include "model/whole_number.h"
#include "paper/geometry.h"
#include "settings/keys.h"
#include "settings/settings_file.h"
#include "testgen/selection.h"

namespace tarquel::testgen {

namespace {

constexpr char kTestFont[] = "ＭＳ Ｐゴシック";

host::Worksheet& TestSheet(model::Body& body) {
  return body.HostApp().ActiveSheet().workbook().Sheets().Item(
      std::string(model::TestSheetName(body.use_sheet40)));
}

host::Worksheet& BankSheet(model::Body& body) {
  return body.HostApp().ActiveSheet().workbook().Sheets().Item(body.bank_sheet_name);
}

// The plain font of the test sheet at `size`: regular, no decoration, automatic colour.
void SetPlainFont(const host::Range& range, double size, bool bold = false) {
  range.Font().Modify([&](host::Font& font) {
    font.name = kTestFont;
    font.scheme.clear();  // this face, whatever the workbook's theme says
    font.bold = bold;
    font.italic = false;
    font.strikethrough = false;
    font.superscript = false;
    font.subscript = false;
    font.outline = false;
    font.shadow = false;
    font.underline = host::Underline::kNone;
    font.color = host::Color::Automatic();
    font.size = size;
  });
}

struct FormatRow {
  const char* address;
  host::HorizontalAlignment horizontal;
  host::VerticalAlignment vertical;
  host::Orientation orientation;
  bool shrink;
  double font_size;  // 0: the font is not touched
};

// Selects the range, sets its alignment, then its font; wrap, indent and merge are off.
host::Range ApplyFormatRow(host::Worksheet& sheet, const FormatRow& row) {
  host::Range range = sheet.Range(row.address);
  range.Select();
  range.SetHorizontalAlignment(row.horizontal);
  range.SetVerticalAlignment(row.vertical);
  range.SetOrientation(row.orientation);
  range.SetShrinkToFit(row.shrink);
  range.SetWrapText(false);
  range.SetAddIndent(false);
  range.SetIndentLevel(0);
  range.SetMergeCells(false);
  if (row.font_size > 0) SetPlainFont(range, row.font_size);
  return range;
}

void SetThinBox(const host::Range& range, std::initializer_list<host::BorderIndex> edges) {
  for (host::BorderIndex edge : edges) {
    host::Border border = range.Borders(edge);
    border.SetLineStyle(host::LineStyle::kContinuous);
    border.SetWeight(host::BorderWeight::kThin);
    border.SetColorIndex(host::kColorIndexAutomatic);
  }
}

using HA = host::HorizontalAlignment;
using VA = host::VerticalAlignment;
using Or = host::Orientation;

void FormatPageNumberCell(host::Worksheet& sheet) {
  host::Range u1 =
      ApplyFormatRow(sheet, {"U1", HA::kCenter, VA::kCenter, Or::kHorizontal, true, 14});
  u1.SetNumberFormatLocal("\"No.\"0");
  u1.Font().SetBold(true);
}

}  // namespace

void SetupPrintPage(model::Body& body) {
  host::Application& app = body.HostApp();
  host::PageSetup& setup = app.ActiveSheet().page_setup();
  const double margin = host::Application::InchesToPoints(0.17);
  setup.left_margin = setup.right_margin = setup.top_margin = setup.bottom_margin = margin;
  setup.header_margin = setup.footer_margin = margin;
  setup.print_headings = false;
  setup.print_gridlines = false;
  setup.print_comments = host::PrintComments::kNone;
  setup.center_horizontally = false;
  setup.center_vertically = false;
  setup.orientation = host::PageOrientation::kLandscape;
  setup.draft = false;
  setup.paper_size = host::kPaperA4;
  setup.first_page_number.reset();
  setup.order = host::PageOrder::kDownThenOver;
  setup.black_and_white = false;
  setup.fit_to_pages = false;
  setup.zoom = 100;
}

void FormatSheet20(model::Body& body) {
  host::Worksheet& sheet = body.HostApp().ActiveSheet();
  ApplyFormatRow(sheet, {"A1:T1", HA::kCenter, VA::kCenter, Or::kHorizontal, false, 12});
  FormatPageNumberCell(sheet);
  ApplyFormatRow(sheet, {"A3:T3", HA::kCenter, VA::kTop, Or::kVertical, true, 30});
  ApplyFormatRow(sheet, {"A4:U4", HA::kCenter, VA::kTop, Or::kHorizontal, true, 7});
  host::Range u2 =
      ApplyFormatRow(sheet, {"U2", HA::kGeneral, VA::kCenter, Or::kVertical, true, 11});
  u2.SetValueFromText(body.start_sheet_name + "　   制限時間３分");
  u2.Characters(1, 9).Font().Modify([](host::Font& font) {
    font.name = kTestFont;
    font.scheme.clear();
    font.bold = true;
    font.italic = false;
    font.size = 16;
    font.strikethrough = font.superscript = font.subscript = false;
    font.outline = font.shadow = false;
    font.underline = host::Underline::kNone;
    font.color = host::Color::Automatic();
  });
  host::Range u3 = ApplyFormatRow(sheet, {"U3", HA::kCenter, VA::kTop, Or::kVertical, true, 0});
  u3.SetValueFromText("氏名　　　　　　　　　　得点");
  SetupPrintPage(body);
}

void FormatSheet40(model::Body& body) {
  host::Worksheet& sheet = body.HostApp().ActiveSheet();
  ApplyFormatRow(sheet, {"A1:T1,A5:T5", HA::kCenter, VA::kCenter, Or::kHorizontal, false, 12});
  FormatPageNumberCell(sheet);
  ApplyFormatRow(sheet, {"A3:T3,A7:T7", HA::kCenter, VA::kTop, Or::kVertical, true, 30});
  ApplyFormatRow(sheet, {"A4:T4,A8:U8", HA::kCenter, VA::kTop, Or::kHorizontal, true, 7});
  host::Range u2 =
      ApplyFormatRow(sheet, {"U2", HA::kGeneral, VA::kCenter, Or::kVertical, true, 16});
  u2.Font().SetFontStyle("太字");
  u2.SetValueFromText(body.start_sheet_name);
  ApplyFormatRow(sheet, {"U3", HA::kCenter, VA::kCenter, Or::kVertical, true, 11})
      .SetValueFromText("制限時間５分");
  ApplyFormatRow(sheet, {"U5", HA::kCenter, VA::kCenter, Or::kHorizontal, true, 0})
      .SetValueFromText("氏名");
  ApplyFormatRow(sheet, {"U7", HA::kCenter, VA::kTop, Or::kHorizontal, true, 0})
      .SetValueFromText("得点");
  SetupPrintPage(body);
}

void EnsureTestSheet(model::Body& body) {
  host::Application& app = body.HostApp();
  host::Workbook& book = app.ActiveSheet().workbook();
  const std::string name(model::TestSheetName(body.use_sheet40));
  if (model::SheetExists(book.Sheets(), name)) return;
  host::Worksheet& sheet = book.Sheets().Add();
  sheet.SetName(name);
  app.ActiveWindow().SetDisplayGridlines(false);
  if (body.use_sheet40) {
    FormatSheet40(body);
  } else {
    FormatSheet20(body);
  }
}

void ClearTestSheet(model::Body& body) {
  host::Worksheet& sheet = TestSheet(body);
  sheet.Select();
  host::Range all = sheet.Range("A1:U65536");
  all.Select();
  for (host::BorderIndex index :
       {host::BorderIndex::kDiagonalDown, host::BorderIndex::kDiagonalUp,
        host::BorderIndex::kEdgeLeft, host::BorderIndex::kEdgeTop, host::BorderIndex::kEdgeBottom,
        host::BorderIndex::kEdgeRight, host::BorderIndex::kInsideVertical,
        host::BorderIndex::kInsideHorizontal}) {
    all.Borders(index).SetLineStyle(host::LineStyle::kNone);
  }
  const std::string page_end = std::to_string(model::RowsPerPage(body.use_sheet40));
  const std::string below = std::to_string(model::PageFirstRow(2, body.use_sheet40));
  host::Range rest = sheet.Range("A" + below + ":U65536,A1:T" + page_end);
  rest.Select();
  rest.ClearContents();
  rest.UnMerge();
}

void FormatAnswerRows(model::Body& body) {
  const std::string font = BankSheet(body).Range("D1").Font().Name();
  host::Worksheet& sheet = TestSheet(body);
  host::Range answers =
      sheet.Range(model::PageOneSlotRows(model::RowRole::kAnswer, body.use_sheet40));
  answers.Select();
  answers.Font().SetName(font);
  answers.Borders(host::BorderIndex::kDiagonalDown).SetLineStyle(host::LineStyle::kNone);
  answers.Borders(host::BorderIndex::kDiagonalUp).SetLineStyle(host::LineStyle::kNone);
  SetThinBox(answers, {host::BorderIndex::kEdgeLeft, host::BorderIndex::kEdgeTop,
                       host::BorderIndex::kEdgeBottom, host::BorderIndex::kEdgeRight,
                       host::BorderIndex::kInsideVertical});
}

void LayOutPages(model::Body& body, int32_t first_group, int32_t last_group) {
  host::Application& app = body.HostApp();
  host::Worksheet& sheet = TestSheet(body);
  sheet.Select();
  const int32_t rows_per_page = model::RowsPerPage(body.use_sheet40);
  const model::GenerationState& state = body.generation;
  const std::string seed_text = settings::ReadSetting(body.Settings(), settings::kRandomCode.name,
                                                      settings::kRandomCode.default_value);
  sheet.Cells(rows_per_page, model::kSideColumn)
      .SetValueFromText(
          model::TestCode(seed_text, first_group, last_group, state.requested_group_count));
  sheet.Range("U1").SetValue(1);
  const std::string page_one = "A1:U" + std::to_string(rows_per_page);
  for (int32_t page = 2; page <= state.test_page_count; ++page) {
    sheet.Range(page_one).Copy();
    host::Range target = sheet.Cells(model::PageFirstRow(page, body.use_sheet40), 1);
    target.Select();
    sheet.Paste();
    target.Offset(0, 20).SetValue(page);
  }
  app.SetCutCopyMode(false);
  sheet.SetPrintArea("A1:U" + std::to_string(state.test_page_count * rows_per_page));
}

void ApplySheetGeometry(model::Body& body) {
  TestSheet(body).Select();
  const int32_t rows = body.generation.test_page_count * model::RowsPerPage(body.use_sheet40);
  for (int32_t row = 1; row <= rows; ++row) paper::ApplyRowHeight(body, row);
  paper::ApplyColumnWidths(body);
}

namespace {

void CountQuestionSet(host::Worksheet& bank, int32_t row) {
  host::Range times = bank.Cells(row, model::kTimesSet);
  const std::optional<double> count = model::NumericCellValue(times.Value());
  times.SetValue(count ? *count + 1 : 1.0);
}

// Copies the bank's question cell into its slot through the clipboard, so that it keeps all
// its formatting, then sets the slot's own layout.
void PlaceQuestion(host::Application& app, host::Worksheet& bank, host::Worksheet& test,
                   int32_t bank_row, int32_t row, int32_t column) {
  bank.Activate();
  bank.Cells(bank_row, model::kQuestion).Select();
  bank.Cells(bank_row, model::kQuestion).Copy();
  test.Activate();
  host::Range slot = test.Cells(row, column);
  slot.Select();
  test.Paste();
  app.SetCutCopyMode(false);
  slot.SetHorizontalAlignment(host::HorizontalAlignment::kGeneral);
  slot.SetVerticalAlignment(host::VerticalAlignment::kTop);
  slot.SetWrapText(false);
  slot.SetOrientation(host::Orientation::kVertical);
  slot.SetAddIndent(false);
  slot.SetShrinkToFit(true);
  slot.SetMergeCells(false);
  // A comment that came with the cell (the bank's first row carries the template's notes).
  if (test.CommentCount() == 1) {
    const auto [comment_row, comment_column] = test.comments().begin()->first;
    test.Cells(comment_row, comment_column).Comment()->Delete();
  }
}

}  // namespace

void PlaceQuestions(model::Body& body) {
  host::Application& app = body.HostApp();
  host::Worksheet& bank = BankSheet(body);
  host::Worksheet& test = TestSheet(body);
  model::GenerationState& state = body.generation;
  int32_t slots_used = 0;
  int32_t block_row = model::QuestionRow(0);
  int32_t band = 0;
  for (int32_t s = 1; s <= state.set_group_count; ++s) {
    const model::QuestionGroup& group = state.groups[state.selected_groups[s] - 1];
    const int32_t c = group.row_count;
    int32_t group_column = 0;
    slots_used += c;
    if (slots_used <= model::kSlotsPerBand) {
      slots_used = slots_used - c + 1;
      group_column = model::SlotColumn(slots_used);
    } else {
      group_column = model::kLastSlotColumn;
      slots_used = 0;
      ++band;
      block_row = model::QuestionRow(band);
    }
    const std::vector<int32_t> order = RowOrder(state, c);
    for (int32_t u = 0; u < c; ++u) {
      const int32_t bank_row = group.first_row + order[u];
      CountQuestionSet(bank, bank_row);
      PlaceQuestion(app, bank, test, bank_row, block_row, group_column - u);
      test.Cells(block_row - 1, group_column).SetValue(s);
    }
    host::Range numbers = test.Range(test.Cells(block_row - 1, group_column),
                                     test.Cells(block_row - 1, group_column - c + 1));
    numbers.Select();
    numbers.SetHorizontalAlignment(host::HorizontalAlignment::kCenter);
    numbers.SetVerticalAlignment(host::VerticalAlignment::kCenter);
    numbers.SetMergeCells(true);
    SetThinBox(numbers, {host::BorderIndex::kEdgeLeft, host::BorderIndex::kEdgeTop,
                         host::BorderIndex::kEdgeRight, host::BorderIndex::kEdgeBottom});
    slots_used = slots_used != 0 ? slots_used + c - 1 : c;
  }
}

void RenderTest(model::Body& body, int32_t first_group, int32_t last_group) {
  ClearTestSheet(body);
  FormatAnswerRows(body);
  LayOutPages(body, first_group, last_group);
  ApplySheetGeometry(body);
  PlaceQuestions(body);
}

}  // namespace tarquel::testgen
