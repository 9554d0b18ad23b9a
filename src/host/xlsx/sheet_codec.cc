#include "host/xlsx/sheet_codec.h"

#include <charconv>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <sstream>

#include "host/address.h"
#include "host/host_error.h"
#include "host/worksheet.h"
#include "host/xlsx/shared_strings.h"
#include "host/xlsx/xml_document.h"
#include "host/xlsx/xml_pieces.h"

namespace tarquel::host::xlsx {

namespace {

constexpr char kMainNamespace[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr char kRelationshipsNamespace[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// The children of a worksheet in the order the schema requires.
constexpr const char* kElementOrder[] = {
    "sheetPr",
    "dimension",
    "sheetViews",
    "sheetFormatPr",
    "cols",
    "sheetData",
    "sheetCalcPr",
    "sheetProtection",
    "protectedRanges",
    "scenarios",
    "autoFilter",
    "sortState",
    "dataConsolidate",
    "customSheetViews",
    "mergeCells",
    "phoneticPr",
    "conditionalFormatting",
    "dataValidations",
    "hyperlinks",
    "printOptions",
    "pageMargins",
    "pageSetup",
    "headerFooter",
    "rowBreaks",
    "colBreaks",
    "customProperties",
    "cellWatches",
    "ignoredErrors",
    "smartTags",
    "drawing",
    "legacyDrawing",
    "legacyDrawingHF",
    "drawingHF",
    "picture",
    "oleObjects",
    "controls",
    "webPublishItems",
    "tableParts",
    "extLst",
};

// Elements the host writes from its model; the rest are the original's.
const std::set<std::string>& ModelledElements() {
  static const std::set<std::string> kModelled{
      "dimension",  "sheetViews",   "sheetFormatPr", "cols",      "sheetData",
      "mergeCells", "printOptions", "pageMargins",   "pageSetup", "legacyDrawing"};
  return kModelled;
}

[[noreturn]] void ThrowBadSheet(const std::string& part, const std::string& what) {
  throw HostError(HostError::kApplicationDefined,
                  "ワークシート（" + part + "）が壊れています。" + what);
}

CellRect ParseFileRect(const std::string& part, const std::string& text) {
  auto areas = ParseA1Reference(text, kMaxFileRows, kMaxFileColumns);
  if (!areas || areas->size() != 1) {
    ThrowBadSheet(part, "セル範囲「" + text + "」がシートの範囲外か正しくありません。");
  }
  return areas->front();
}

bool Flag(const pugi::xml_node& node, const char* name, bool fallback = false) {
  return node.attribute(name).as_bool(fallback);
}

FileAttributes OtherAttributes(const pugi::xml_node& node,
                               std::initializer_list<const char*> known) {
  FileAttributes other;
  for (pugi::xml_attribute attribute : node.attributes()) {
    bool is_known = false;
    for (const char* name : known) is_known = is_known || std::string(name) == attribute.name();
    if (!is_known) other.emplace_back(attribute.name(), attribute.value());
  }
  return other;
}

// Where a problem is, for its message; built only when there is one.
using Place = std::function<std::string()>;

// The parts of a <c> element, gathered in one pass over its attributes and children: a sheet
// has hundreds of thousands of them, and looking each name up separately costs most of a read.
struct CellElement {
  const char* r = nullptr;
  pugi::xml_attribute s;
  std::string_view t = "n";
  bool ph = false;
  pugi::xml_node v, f, is;

  explicit CellElement(const pugi::xml_node& c) {
    for (pugi::xml_attribute attribute : c.attributes()) {
      const std::string_view name = attribute.name();
      if (name == "r") r = attribute.value();
      if (name == "s") s = attribute;
      if (name == "t") t = attribute.value();
      if (name == "ph") ph = attribute.as_bool();
    }
    for (pugi::xml_node child = c.first_child(); child; child = child.next_sibling()) {
      const std::string_view name = child.name();
      if (name == "v" && !v) v = child;
      if (name == "f" && !f) f = child;
      if (name == "is" && !is) is = child;
    }
  }
};

template <typename Number>
bool ParseWhole(std::string_view text, Number* number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *number);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// Whether `text` is an error value's code: '#', a capital, then capitals, digits, '/' or '_',
// and a closing '!' or '?' (#DIV/0!, #NAME?), or one of the two codes without one.
bool IsErrorCode(std::string_view text) {
  if (text == "#N/A" || text == "#GETTING_DATA") return true;
  if (text.size() < 3 || text[0] != '#' || text[1] < 'A' || text[1] > 'Z' ||
      (text.back() != '!' && text.back() != '?')) {
    return false;
  }
  for (char c : text.substr(1, text.size() - 2)) {
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '_')) return false;
  }
  return true;
}

// A formula's cached value that its type does not describe: an error code as an error value,
// anything else as text, each written back with the type that reads it so (t="e", t="str").
CellValue UntypedCachedValue(std::string_view text) {
  if (IsErrorCode(text)) return CellValue(ErrorValue{std::string(text)});
  return CellValue(std::string(text));
}

CellValue ReadValue(const CellElement& c, const SheetReadContext& context, const Place& where) {
  if (c.t == "inlineStr") return CellValue(ReadStringItem(c.is, context.style_fonts));
  if (!c.v) return CellValue();
  const std::string_view text = c.v.text().get();
  // A formula's value is only a cache of its last result and never a reason to refuse the
  // workbook: an empty one (<v/>, as writers that leave calculation to the reader write every
  // formula) is none, and one its type does not describe is kept as it reads.
  const bool cache = static_cast<bool>(c.f);
  if (cache && text.empty() && c.t != "str") return CellValue();
  if (c.t == "s") {
    std::size_t index = 0;
    if (!ParseWhole(text, &index) || index >= context.shared_strings->size()) {
      if (cache) return UntypedCachedValue(text);
      ThrowBadSheet(context.part,
                    where() + " の共有文字列番号「" + std::string(text) + "」がありません。");
    }
    return CellValue((*context.shared_strings)[index]);
  }
  if (c.t == "str" || c.t == "d") return CellValue(std::string(text));
  if (c.t == "b") return CellValue(text == "1" || text == "true");
  if (c.t == "e") return CellValue(ErrorValue{std::string(text)});
  // Numbers are written in the shortest form that reads back; a leading '+' is not in it, but
  // other readers accept one.
  double number = 0;
  if (!ParseWhole(text.starts_with('+') ? text.substr(1) : text, &number)) {
    if (cache) return UntypedCachedValue(text);
    ThrowBadSheet(context.part, where() + " の数値「" + std::string(text) + "」が読めません。");
  }
  return CellValue(number);
}

// The style a row's or a cell's s attribute names; `where` says which row or cell.
StyleTable::Id StyleOf(const SheetReadContext& context, const pugi::xml_attribute& s,
                       const Place& where) {
  if (!s) return StyleTable::kDefault;
  uint32_t index = 0;
  if (!ParseWhole(std::string_view(s.value()), &index) || index >= context.xf_styles->size()) {
    ThrowBadSheet(context.part,
                  where() + " の書式番号 " + std::string(s.value()) + " がありません。");
  }
  return (*context.xf_styles)[index];
}

// A cell's r attribute. Writers put plain references ("AB12") there; anything else goes through
// the general reader.
std::optional<std::pair<int32_t, int32_t>> ReadCellReference(const char* text) {
  const char* p = text;
  int32_t column = 0;
  for (int letters = 0; *p >= 'A' && *p <= 'Z' && letters < 3; ++p, ++letters) {
    column = column * 26 + (*p - 'A' + 1);
  }
  int32_t row = 0;
  const char* digits = p;
  for (; *p >= '0' && *p <= '9' && p - digits < 7; ++p) row = row * 10 + (*p - '0');
  if (*p == '\0' && p != digits && *digits != '0' && column >= 1 && column <= kMaxFileColumns &&
      row <= kMaxFileRows) {
    return std::pair{row, column};
  }
  return ParseCellAddress(text, kMaxFileRows, kMaxFileColumns);
}

void ReadCell(const pugi::xml_node& c, int32_t r, int32_t* next_column,
              const SheetReadContext& context, Worksheet& sheet) {
  const CellElement element(c);
  int32_t column = *next_column;
  if (element.r != nullptr) {
    const auto place = ReadCellReference(element.r);
    if (!place) {
      ThrowBadSheet(context.part, "セル範囲「" + std::string(element.r) +
                                      "」がシートの範囲外か正しくありません。");
    }
    if (place->first != r) {
      ThrowBadSheet(context.part, "セル「" + std::string(element.r) + "」が行 " +
                                      std::to_string(r) + " にありません。");
    }
    column = place->second;
  }
  if (column < 1 || column > kMaxFileColumns)
    ThrowBadSheet(context.part, "列がシートの範囲外です。");
  *next_column = column + 1;
  const Place where = [r, column] {
    return FormatAddress(CellRect::Cell(r, column), ReferenceStyle::kA1, false, kMaxFileRows,
                         kMaxFileColumns);
  };
  Cell& cell = sheet.FileCellAt(r, column);
  cell.style = StyleOf(context, element.s, [&where] { return "セル " + where(); });
  cell.value = ReadValue(element, context, where);
  cell.show_phonetic = element.ph;
  if (element.f) {
    auto formula = std::make_shared<Formula>();
    formula->text = element.f.text().get();
    for (pugi::xml_attribute attribute : element.f.attributes()) {
      formula->attributes.emplace_back(attribute.name(), attribute.value());
    }
    cell.formula = std::move(formula);
  }
}

// Reads the rows of a <sheetData>, or of a piece of one: `next_row`, the number a row without
// one takes, carries on from piece to piece.
void ReadRows(const pugi::xml_node& sheet_data, const SheetReadContext& context, Worksheet& sheet,
              int32_t* next_row) {
  for (pugi::xml_node row : sheet_data.children("row")) {
    const int32_t r = row.attribute("r").as_int(*next_row);
    if (r < 1 || r > kMaxFileRows)
      ThrowBadSheet(context.part, "行番号 " + std::to_string(r) + " はシートの範囲外です。");
    *next_row = r + 1;
    RowInfo info;
    if (Flag(row, "customHeight")) info.height = row.attribute("ht").as_double();
    if (Flag(row, "customFormat"))
      info.style = StyleOf(context, row.attribute("s"), [r] { return "行 " + std::to_string(r); });
    info.hidden = Flag(row, "hidden");
    info.file_attributes =
        OtherAttributes(row, {"r", "customHeight", "s", "customFormat", "hidden", "spans"});
    if (!Flag(row, "customHeight") && row.attribute("ht")) {
      info.file_attributes.emplace_back("ht", row.attribute("ht").value());
    }
    if (info.height || info.style || info.hidden || !info.file_attributes.empty()) {
      sheet.rows_info()[r] = std::move(info);
    }
    std::size_t count = 0;
    for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling()) ++count;
    if (count > 0) sheet.ReserveCells(r, count);
    int32_t next_column = 1;
    for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling()) {
      if (c.type() == pugi::node_element && std::string_view(c.name()) == "c") {
        ReadCell(c, r, &next_column, context, sheet);
      }
    }
  }
}

void ReadColumns(const pugi::xml_node& cols, const SheetReadContext& context, Worksheet& sheet) {
  for (pugi::xml_node col : cols.children("col")) {
    const int32_t min = col.attribute("min").as_int(0);
    const int32_t max = col.attribute("max").as_int(min);
    if (min < 1 || max < min || max > kMaxFileColumns) {
      ThrowBadSheet(context.part, "列の指定 " + std::to_string(min) + "〜" + std::to_string(max) +
                                      " が正しくありません。");
    }
    ColumnInfo info;
    if (col.attribute("width")) info.width = col.attribute("width").as_double();
    if (col.attribute("style")) {
      const uint32_t index = col.attribute("style").as_uint();
      if (index >= context.xf_styles->size())
        ThrowBadSheet(context.part, "列の書式番号がありません。");
      if (index != 0) info.style = (*context.xf_styles)[index];
    }
    info.hidden = Flag(col, "hidden");
    info.file_attributes =
        OtherAttributes(col, {"min", "max", "width", "style", "hidden", "customWidth"});
    for (int32_t column = min; column <= max; ++column) sheet.columns_info()[column] = info;
  }
}

void ReadPage(const pugi::xml_node& root, Worksheet& sheet) {
  PageSetup& setup = sheet.page_setup();
  if (const pugi::xml_node options = root.child("printOptions")) {
    setup.print_headings = Flag(options, "headings");
    setup.print_gridlines = Flag(options, "gridLines");
    setup.center_horizontally = Flag(options, "horizontalCentered");
    setup.center_vertically = Flag(options, "verticalCentered");
  }
  if (const pugi::xml_node margins = root.child("pageMargins")) {
    auto points = [&](const char* name, double fallback) {
      return margins.attribute(name).as_double(fallback / 72) * 72;
    };
    setup.left_margin = points("left", setup.left_margin);
    setup.right_margin = points("right", setup.right_margin);
    setup.top_margin = points("top", setup.top_margin);
    setup.bottom_margin = points("bottom", setup.bottom_margin);
    setup.header_margin = points("header", setup.header_margin);
    setup.footer_margin = points("footer", setup.footer_margin);
  }
  if (const pugi::xml_node page = root.child("pageSetup")) {
    setup.paper_size = page.attribute("paperSize").as_int(kPaperA4);
    setup.zoom = page.attribute("scale").as_int(100);
    if (Flag(page, "useFirstPageNumber"))
      setup.first_page_number = page.attribute("firstPageNumber").as_int(1);
    setup.fit_to_pages_wide = page.attribute("fitToWidth").as_int(1);
    setup.fit_to_pages_tall = page.attribute("fitToHeight").as_int(1);
    setup.order = std::string(page.attribute("pageOrder").value()) == "overThenDown"
                      ? PageOrder::kOverThenDown
                      : PageOrder::kDownThenOver;
    setup.orientation = std::string(page.attribute("orientation").value()) == "landscape"
                            ? PageOrientation::kLandscape
                            : PageOrientation::kPortrait;
    setup.black_and_white = Flag(page, "blackAndWhite");
    setup.draft = Flag(page, "draft");
    const std::string comments = page.attribute("cellComments").value();
    setup.print_comments = comments == "atEnd"         ? PrintComments::kAtEnd
                           : comments == "asDisplayed" ? PrintComments::kAsDisplayed
                                                       : PrintComments::kNone;
  }
  setup.fit_to_pages = Flag(root.child("sheetPr").child("pageSetUpPr"), "fitToPage");
}

// The selection of the view's active pane: a split or frozen view has one per pane, and a
// selection without a pane attribute, like one with pane="topLeft", is the top left pane's.
pugi::xml_node ActiveSelection(const pugi::xml_node& view) {
  const std::string pane = view.child("pane").attribute("activePane").as_string("topLeft");
  return view.find_child([&pane](const pugi::xml_node& n) {
    return std::string(n.name()) == "selection" && n.attribute("pane").as_string("topLeft") == pane;
  });
}

void ReadView(const pugi::xml_node& root, Worksheet& sheet) {
  const pugi::xml_node view = root.child("sheetViews").child("sheetView");
  if (!view) return;
  sheet.view().show_gridlines = Flag(view, "showGridLines", true);
  sheet.view().zoom = view.attribute("zoomScale").as_int(100);
  const pugi::xml_node selection = ActiveSelection(view);
  if (!selection) return;
  std::string sqref = selection.attribute("sqref").as_string("A1");
  for (char& ch : sqref) {
    if (ch == ' ') ch = ',';
  }
  auto areas = ParseA1Reference(sqref, sheet.RowCount(), sheet.ColumnCount());
  auto active = ParseA1Reference(selection.attribute("activeCell").as_string("A1"),
                                 sheet.RowCount(), sheet.ColumnCount());
  // A selection the add-in's sheet cannot address keeps the default one.
  if (areas && active) {
    sheet.SetSelection(*areas, {active->front().first_row, active->front().first_column});
  }
}

}  // namespace

namespace {

void ReadSheetStart(const pugi::xml_node& root, const SheetReadContext& context, Worksheet& sheet) {
  if (const pugi::xml_node format = root.child("sheetFormatPr")) {
    sheet.set_default_row_height(format.attribute("defaultRowHeight").as_double(kDefaultRowHeight));
    if (format.attribute("defaultColWidth")) {
      sheet.set_default_column_width(format.attribute("defaultColWidth").as_double());
    }
  }
  ReadColumns(root.child("cols"), context, sheet);
}

// What follows the cells, and the part's other content kept for the writer.
void ReadSheetEnd(const pugi::xml_node& root, const SheetReadContext& context,
                  std::size_t part_size, Worksheet& sheet) {
  for (pugi::xml_node merge : root.child("mergeCells").children("mergeCell")) {
    const CellRect rect = ParseFileRect(context.part, merge.attribute("ref").value());
    if (!sheet.MergesIntersecting(rect).empty()) {
      ThrowBadSheet(context.part, "結合セル「" + std::string(merge.attribute("ref").value()) +
                                      "」が他の結合セルと重なっています。");
    }
    sheet.AddMerge(rect);
  }
  ReadView(root, sheet);
  ReadPage(root, sheet);
  // The cells live in the sheet now; the writer regenerates them and keeps the rest. Copying
  // the rest out is cheaper than unlinking the cells node by node, and the big document is then
  // freed whole.
  pugi::xml_document kept;
  pugi::xml_node kept_root = kept.append_child(root.name());
  for (pugi::xml_attribute attribute : root.attributes()) {
    kept_root.append_attribute(attribute.name()) = attribute.value();
  }
  for (pugi::xml_node child : root.children()) {
    if (std::string_view(child.name()) != "sheetData") kept_root.append_copy(child);
  }
  SheetAsRead as_read{sheet.default_row_height(),
                      sheet.default_column_width(),
                      sheet.columns_info(),
                      sheet.Merges(),
                      sheet.page_setup(),
                      sheet.view(),
                      sheet.selection(),
                      sheet.active_cell(),
                      Flag(root.child("sheetViews").child("sheetView"), "tabSelected"),
                      part_size};
  sheet.file_origin =
      std::make_shared<SheetOrigin>(context.part, std::move(kept), std::move(as_read));
}

// Undoes the rows read from the pieces of a part that is then read whole.
void ForgetRows(Worksheet& sheet) {
  std::vector<std::pair<int32_t, int32_t>> cells;
  sheet.ForEachCell({1, 1, kMaxFileRows, kMaxFileColumns}, [&cells](int32_t row, const Cell& cell) {
    cells.emplace_back(row, cell.column);
  });
  for (const auto& [row, column] : cells) sheet.EraseCell(row, column);
  sheet.rows_info().clear();
}

}  // namespace

void ReadSheet(pugi::xml_document doc, const SheetReadContext& context, Worksheet& sheet) {
  const pugi::xml_node root = doc.child("worksheet");
  if (!root) ThrowBadSheet(context.part, "worksheet 要素がありません。");
  ReadSheetStart(root, context, sheet);
  int32_t next_row = 1;
  ReadRows(root.child("sheetData"), context, sheet, &next_row);
  ReadSheetEnd(root, context, 0, sheet);
}

void ReadSheet(std::string_view bytes, const SheetReadContext& context, Worksheet& sheet,
               std::size_t piece_size) {
  XmlPieces pieces(bytes, context.part, "sheetData", "row", piece_size);
  pugi::xml_document frame;
  if (pieces.ParseFrame(frame) && frame.child("worksheet")) {
    const pugi::xml_node root = frame.child("worksheet");
    ReadSheetStart(root, context, sheet);
    int32_t next_row = 1;
    pugi::xml_document piece;
    while (const pugi::xml_node rows = pieces.Next(piece)) {
      ReadRows(rows, context, sheet, &next_row);
    }
    if (!pieces.failed()) {
      ReadSheetEnd(root, context, bytes.size(), sheet);
      return;
    }
    ForgetRows(sheet);
  }
  pugi::xml_document doc;
  ParseXml(bytes, context.part, doc);
  ReadSheet(std::move(doc), context, sheet);
}

std::string NumberForFile(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

namespace {

std::string Address(int32_t row, int32_t column) {
  return FormatAddress(CellRect::Cell(row, column), ReferenceStyle::kA1, false, kMaxFileRows,
                       kMaxFileColumns);
}

// A range as files write merged areas and dimensions: always corner to corner ("A1:XFD1"), never
// whole rows or columns ("1:1"), which other programs do not take there.
std::string FileRange(const CellRect& rect) {
  const std::string first = Address(rect.first_row, rect.first_column);
  return rect.IsSingleCell() ? first : first + ":" + Address(rect.last_row, rect.last_column);
}

void SetAttributes(pugi::xml_node node, const FileAttributes& attributes) {
  for (const auto& [name, value] : attributes) {
    if (!node.attribute(name.c_str())) node.append_attribute(name.c_str()) = value.c_str();
  }
}

// The cells are most of a sheet part, so they are written as text straight away rather than
// built as a tree first.
class CellWriter {
 public:
  CellWriter(const SheetWriteContext& context, std::string* out) : context_(context), out_(*out) {}

  void Row(int32_t row, const RowInfo* info, const std::vector<const Cell*>& cells) {
    out_ += "<row r=\"";
    Number(row);
    out_ += '"';
    if (info) {
      if (info->style) {
        Attribute("s", context_.xf_index(*info->style));
        out_ += " customFormat=\"1\"";
      }
      if (info->height) {
        out_ += " ht=\"";
        out_ += NumberForFile(*info->height);
        out_ += "\" customHeight=\"1\"";
      }
      if (info->hidden) out_ += " hidden=\"1\"";
      for (const auto& [name, value] : info->file_attributes) {
        if (name == "s" || name == "customFormat" || name == "ht" || name == "customHeight" ||
            name == "hidden" || name == "r") {
          continue;
        }
        out_ += ' ';
        out_ += name;
        out_ += "=\"";
        AppendEscaped(value, &out_, true);
        out_ += '"';
      }
    }
    if (cells.empty()) {
      out_ += "/>";
      return;
    }
    out_ += '>';
    for (const Cell* cell : cells) WriteCell(row, *cell);
    out_ += "</row>";
  }

 private:
  void WriteCell(int32_t row, const Cell& cell) {
    out_ += "<c r=\"";
    out_ += ColumnName(cell.column);
    Number(row);
    out_ += '"';
    if (cell.style != StyleTable::kDefault) Attribute("s", context_.xf_index(cell.style));
    const CellValue& value = cell.value;
    const char* type = nullptr;
    std::optional<uint32_t> shared_index;
    if (value.IsText() && !cell.formula) {
      shared_index = context_.shared_string(value.text());
      type = shared_index ? "s" : "inlineStr";
    }
    if (value.IsText() && cell.formula) type = "str";
    if (value.kind() == ValueKind::kBoolean) type = "b";
    if (value.kind() == ValueKind::kError) type = "e";
    if (type) {
      out_ += " t=\"";
      out_ += type;
      out_ += '"';
    }
    if (cell.show_phonetic) out_ += " ph=\"1\"";
    if (!cell.formula && value.IsEmpty()) {
      out_ += "/>";
      return;
    }
    out_ += '>';
    if (cell.formula) Formula(*cell.formula);
    switch (value.kind()) {
      case ValueKind::kEmpty:
        break;
      case ValueKind::kNumber:
        V(NumberForFile(value.number()));
        break;
      case ValueKind::kText:
        if (cell.formula) {
          V(value.text().text);
        } else if (shared_index) {
          out_ += "<v>";
          Number(*shared_index);
          out_ += "</v>";
        } else {
          out_ += "<is>";
          WriteStringItem(value.text(), &out_, context_.string_font_index);
          out_ += "</is>";
        }
        break;
      case ValueKind::kBoolean:
        V(value.boolean() ? "1" : "0");
        break;
      case ValueKind::kError:
        V(value.error().code);
        break;
    }
    out_ += "</c>";
  }

  void Formula(const host::Formula& formula) {
    out_ += "<f";
    for (const auto& [name, value] : formula.attributes) {
      out_ += ' ';
      out_ += name;
      out_ += "=\"";
      AppendEscaped(value, &out_, true);
      out_ += '"';
    }
    if (formula.text.empty()) {
      out_ += "/>";
      return;
    }
    out_ += '>';
    AppendEscaped(formula.text, &out_);
    out_ += "</f>";
  }

  void V(std::string_view text) {
    out_ += "<v>";
    AppendEscaped(text, &out_);
    out_ += "</v>";
  }

  void Attribute(const char* name, uint32_t number) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    Number(number);
    out_ += '"';
  }

  void Number(int64_t number) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    out_.append(buffer, result.ptr);
  }

  const SheetWriteContext& context_;
  std::string& out_;
};

void WriteRows(const Worksheet& sheet, const SheetWriteContext& context, std::string* out) {
  const int32_t last = std::max(sheet.LastRowWithCells(),
                                sheet.rows_info().empty() ? 0 : sheet.rows_info().rbegin()->first);
  auto info_it = sheet.rows_info().begin();
  CellWriter writer(context, out);
  std::vector<const Cell*> cells;
  for (int32_t row = 1; row <= last; ++row) {
    while (info_it != sheet.rows_info().end() && info_it->first < row) ++info_it;
    const RowInfo* info =
        info_it != sheet.rows_info().end() && info_it->first == row ? &info_it->second : nullptr;
    cells.clear();
    sheet.ForEachCell({row, 1, row, kMaxFileColumns},
                      [&cells](int32_t, const Cell& cell) { cells.push_back(&cell); });
    if (cells.empty() && info == nullptr) continue;
    writer.Row(row, info, cells);
  }
}

void WriteColumns(const Worksheet& sheet, const SheetWriteContext& context, pugi::xml_node root) {
  const auto& columns = sheet.columns_info();
  if (columns.empty()) return;
  pugi::xml_node cols = root.append_child("cols");
  for (auto it = columns.begin(); it != columns.end();) {
    // Neighbouring columns with the same settings share one element.
    auto end = std::next(it);
    while (end != columns.end() && end->first == std::prev(end)->first + 1 &&
           end->second.width == it->second.width && end->second.style == it->second.style &&
           end->second.hidden == it->second.hidden &&
           end->second.file_attributes == it->second.file_attributes) {
      ++end;
    }
    const ColumnInfo& info = it->second;
    pugi::xml_node col = cols.append_child("col");
    col.append_attribute("min") = it->first;
    col.append_attribute("max") = std::prev(end)->first;
    col.append_attribute("width") =
        NumberForFile(info.width.value_or(sheet.default_column_width())).c_str();
    if (info.style) col.append_attribute("style") = context.xf_index(*info.style);
    if (info.hidden) col.append_attribute("hidden") = "1";
    if (info.width) col.append_attribute("customWidth") = "1";
    SetAttributes(col, info.file_attributes);
    it = end;
  }
}

void WriteView(const Worksheet& sheet, const SheetWriteContext& context,
               const pugi::xml_node original, pugi::xml_node root) {
  pugi::xml_node views = original ? root.append_copy(original) : root.append_child("sheetViews");
  pugi::xml_node view = views.child("sheetView");
  if (!view) {
    view = views.append_child("sheetView");
    view.append_attribute("workbookViewId") = 0;
  }
  auto set = [&](const char* name, const std::string& value, bool keep) {
    view.remove_attribute(name);
    if (keep) view.prepend_attribute(name) = value.c_str();
  };
  set("zoomScale", std::to_string(sheet.view().zoom), sheet.view().zoom != 100);
  set("tabSelected", "1", context.tab_selected);
  set("showGridLines", "0", !sheet.view().show_gridlines);
  // The selection of the active pane; the other panes of a split or frozen view keep theirs.
  pugi::xml_node selection = ActiveSelection(view);
  if (!selection) {
    // Selections follow the pane and come before pivot selections and extensions.
    pugi::xml_node after = view.child("pane");
    for (pugi::xml_node n : view.children("selection")) after = n;
    selection =
        after ? view.insert_child_after("selection", after) : view.prepend_child("selection");
    const std::string pane = view.child("pane").attribute("activePane").as_string("topLeft");
    if (pane != "topLeft") selection.append_attribute("pane") = pane.c_str();
  }
  const auto [active_row, active_column] = sheet.active_cell();
  std::string sqref = FormatAddress(sheet.selection(), ReferenceStyle::kA1, false, sheet.RowCount(),
                                    sheet.ColumnCount());
  for (char& ch : sqref) {
    if (ch == ',') ch = ' ';
  }
  selection.remove_attribute("activeCell");
  selection.remove_attribute("sqref");
  selection.append_attribute("activeCell") = Address(active_row, active_column).c_str();
  selection.append_attribute("sqref") = sqref.c_str();
}

// `as_read` is the page setup the sheet's file gave, or null for a new sheet.
void WritePage(const Worksheet& sheet, const PageSetup* as_read, const pugi::xml_node original,
               pugi::xml_node root, const char* name) {
  const PageSetup& setup = sheet.page_setup();
  const std::string element = name;
  if (element == "printOptions") {
    // gridLinesSet and other attributes of the original that the host does not model stay.
    const FileAttributes other =
        original ? OtherAttributes(original, {"horizontalCentered", "verticalCentered", "headings",
                                              "gridLines"})
                 : FileAttributes();
    if (!setup.print_headings && !setup.print_gridlines && !setup.center_horizontally &&
        !setup.center_vertically && other.empty()) {
      return;
    }
    pugi::xml_node options = root.append_child("printOptions");
    if (setup.center_horizontally) options.append_attribute("horizontalCentered") = "1";
    if (setup.center_vertically) options.append_attribute("verticalCentered") = "1";
    if (setup.print_headings) options.append_attribute("headings") = "1";
    if (setup.print_gridlines) options.append_attribute("gridLines") = "1";
    SetAttributes(options, other);
  } else if (element == "pageMargins") {
    pugi::xml_node margins = root.append_child("pageMargins");
    for (auto [attribute, points] : {std::pair{"left", setup.left_margin},
                                     {"right", setup.right_margin},
                                     {"top", setup.top_margin},
                                     {"bottom", setup.bottom_margin},
                                     {"header", setup.header_margin},
                                     {"footer", setup.footer_margin}}) {
      margins.append_attribute(attribute) = NumberForFile(points / 72).c_str();
    }
  } else if (element == "pageSetup") {
    pugi::xml_node page = root.append_child("pageSetup");
    // The paper and orientation a file did not state are its reader's defaults (Letter in some
    // places); they are written only once a command changed them.
    auto stated = [&](const char* attribute, bool same) {
      return as_read == nullptr || original.attribute(attribute) || !same;
    };
    if (stated("paperSize", as_read && setup.paper_size == as_read->paper_size)) {
      page.append_attribute("paperSize") = setup.paper_size;
    }
    if (setup.zoom != 100) page.append_attribute("scale") = setup.zoom;
    if (setup.first_page_number)
      page.append_attribute("firstPageNumber") = *setup.first_page_number;
    if (setup.fit_to_pages_wide != 1) page.append_attribute("fitToWidth") = setup.fit_to_pages_wide;
    if (setup.fit_to_pages_tall != 1)
      page.append_attribute("fitToHeight") = setup.fit_to_pages_tall;
    if (setup.order == PageOrder::kOverThenDown)
      page.append_attribute("pageOrder") = "overThenDown";
    if (stated("orientation", as_read && setup.orientation == as_read->orientation)) {
      page.append_attribute("orientation") =
          setup.orientation == PageOrientation::kLandscape ? "landscape" : "portrait";
    }
    if (setup.black_and_white) page.append_attribute("blackAndWhite") = "1";
    if (setup.draft) page.append_attribute("draft") = "1";
    if (setup.print_comments != PrintComments::kNone) {
      page.append_attribute("cellComments") =
          setup.print_comments == PrintComments::kAtEnd ? "atEnd" : "asDisplayed";
    }
    if (setup.first_page_number) page.append_attribute("useFirstPageNumber") = "1";
    // Printer settings and resolutions of the original stay; what the host models is as above,
    // so that a scale or page order the command took away does not come back from the file.
    const FileAttributes other =
        original
            ? OtherAttributes(original, {"paperSize", "scale", "firstPageNumber", "fitToWidth",
                                         "fitToHeight", "pageOrder", "orientation", "blackAndWhite",
                                         "draft", "cellComments", "useFirstPageNumber"})
            : FileAttributes();
    SetAttributes(page, other);
  }
}

std::string UsedRange(const Worksheet& sheet) {
  int32_t last_column = 0;
  int32_t first_column = kMaxFileColumns;
  const int32_t last_row = sheet.LastRowWithCells();
  int32_t first_row = 0;
  sheet.ForEachCell({1, 1, std::max(1, last_row), kMaxFileColumns},
                    [&](int32_t row, const Cell& cell) {
                      if (first_row == 0) first_row = row;
                      first_column = std::min(first_column, cell.column);
                      last_column = std::max(last_column, cell.column);
                    });
  if (first_row == 0) return "A1";
  return FileRange({first_row, first_column, last_row, last_column});
}

bool SameColumns(const std::map<int32_t, ColumnInfo>& a, const std::map<int32_t, ColumnInfo>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.first == y.first && x.second.width == y.second.width &&
           x.second.style == y.second.style && x.second.hidden == y.second.hidden &&
           x.second.file_attributes == y.second.file_attributes;
  });
}

// Whether what the host models of `element` is as the file had it.
bool Unchanged(const std::string& element, const Worksheet& sheet, const SheetAsRead& read,
               const SheetWriteContext& context) {
  const PageSetup& now = sheet.page_setup();
  const PageSetup& then = read.page_setup;
  if (element == "sheetViews") {
    return sheet.view().show_gridlines == read.view.show_gridlines &&
           sheet.view().zoom == read.view.zoom && sheet.selection() == read.selection &&
           sheet.active_cell() == read.active_cell && context.tab_selected == read.tab_selected;
  }
  if (element == "sheetFormatPr") {
    return sheet.default_row_height() == read.default_row_height &&
           sheet.default_column_width() == read.default_column_width;
  }
  if (element == "cols") {
    return SameColumns(sheet.columns_info(), read.columns) &&
           sheet.default_column_width() == read.default_column_width;
  }
  if (element == "mergeCells") return sheet.Merges() == read.merges;
  if (element == "printOptions") {
    return now.print_headings == then.print_headings &&
           now.print_gridlines == then.print_gridlines &&
           now.center_horizontally == then.center_horizontally &&
           now.center_vertically == then.center_vertically;
  }
  if (element == "pageMargins") {
    return now.left_margin == then.left_margin && now.right_margin == then.right_margin &&
           now.top_margin == then.top_margin && now.bottom_margin == then.bottom_margin &&
           now.header_margin == then.header_margin && now.footer_margin == then.footer_margin;
  }
  if (element == "pageSetup") {
    return now.paper_size == then.paper_size && now.zoom == then.zoom &&
           now.first_page_number == then.first_page_number &&
           now.fit_to_pages_wide == then.fit_to_pages_wide &&
           now.fit_to_pages_tall == then.fit_to_pages_tall && now.order == then.order &&
           now.orientation == then.orientation && now.black_and_white == then.black_and_white &&
           now.draft == then.draft && now.print_comments == then.print_comments;
  }
  return false;
}

// The relationship id an element names in its r:id (whatever the prefix is called there).
std::string_view RelationshipIdOf(const pugi::xml_node& node) {
  for (pugi::xml_attribute attribute : node.attributes()) {
    if (std::string_view(attribute.name()).ends_with(":id")) return attribute.value();
  }
  return {};
}

}  // namespace

std::string WriteSheet(const Worksheet& sheet, const SheetWriteContext& context) {
  // Everything but the cells is built as a tree; the cells are streamed in its place.
  pugi::xml_document doc;
  const auto* origin = dynamic_cast<const SheetOrigin*>(sheet.file_origin.get());
  const pugi::xml_node original = origin ? origin->doc().child("worksheet") : pugi::xml_node();
  pugi::xml_node root = doc.append_child("worksheet");
  if (original) {
    for (pugi::xml_attribute attribute : original.attributes()) {
      root.append_attribute(attribute.name()) = attribute.value();
    }
  } else {
    root.append_attribute("xmlns") = kMainNamespace;
    root.append_attribute("xmlns:r") = kRelationshipsNamespace;
  }
  const std::set<std::string>& modelled = ModelledElements();
  for (const char* name : kElementOrder) {
    const std::string element = name;
    if (!modelled.contains(name)) {
      for (pugi::xml_node node : original.children(name)) root.append_copy(node);
      // Fitting to pages is set in the sheet's properties; they are the original's otherwise.
      const bool fit = sheet.page_setup().fit_to_pages;
      if (element == "sheetPr" &&
          (origin ? fit != origin->as_read().page_setup.fit_to_pages : fit)) {
        pugi::xml_node pr =
            root.child("sheetPr") ? root.child("sheetPr") : root.append_child("sheetPr");
        pugi::xml_node page =
            pr.child("pageSetUpPr") ? pr.child("pageSetUpPr") : pr.append_child("pageSetUpPr");
        page.remove_attribute("fitToPage");
        if (fit) page.append_attribute("fitToPage") = "1";
      }
      continue;
    }
    // What has not changed since reading is written as the file had it, and what the file did not
    // say stays unsaid; a new sheet is the host's, and says all.
    if (origin && Unchanged(element, sheet, origin->as_read(), context)) {
      for (pugi::xml_node node : original.children(name)) root.append_copy(node);
      continue;
    }
    if (element == "dimension") {
      if (!origin || original.child("dimension")) {
        root.append_child("dimension").append_attribute("ref") = UsedRange(sheet).c_str();
      }
    } else if (element == "sheetViews") {
      WriteView(sheet, context, original.child("sheetViews"), root);
    } else if (element == "sheetFormatPr") {
      pugi::xml_node format = original.child("sheetFormatPr")
                                  ? root.append_copy(original.child("sheetFormatPr"))
                                  : root.append_child("sheetFormatPr");
      format.remove_attribute("defaultRowHeight");
      format.append_attribute("defaultRowHeight") =
          NumberForFile(sheet.default_row_height()).c_str();
      if (sheet.default_row_height() != kDefaultRowHeight && !format.attribute("customHeight")) {
        format.append_attribute("customHeight") = "1";
      }
      if (origin && sheet.default_column_width() != origin->as_read().default_column_width) {
        format.remove_attribute("defaultColWidth");
        format.append_attribute("defaultColWidth") =
            NumberForFile(sheet.default_column_width()).c_str();
      }
    } else if (element == "cols") {
      WriteColumns(sheet, context, root);
    } else if (element == "sheetData") {
      root.append_child("sheetData");
    } else if (element == "mergeCells") {
      const std::vector<CellRect> merges = sheet.Merges();
      if (merges.empty()) continue;
      pugi::xml_node list = root.append_child("mergeCells");
      list.append_attribute("count") = merges.size();
      for (const CellRect& merge : merges) {
        list.append_child("mergeCell").append_attribute("ref") = FileRange(merge).c_str();
      }
    } else if (element == "legacyDrawing") {
      const std::string& rid = context.legacy_drawing_rid;
      if (rid.empty()) continue;
      if (const pugi::xml_node kept = original.child("legacyDrawing");
          kept && RelationshipIdOf(kept) == rid) {
        root.append_copy(kept);
        continue;
      }
      // Some writers declare the relationships prefix only on the elements that use it.
      if (!root.attribute("xmlns:r")) root.append_attribute("xmlns:r") = kRelationshipsNamespace;
      root.append_child("legacyDrawing").append_attribute("r:id") = rid.c_str();
    } else {
      WritePage(sheet, origin ? &origin->as_read().page_setup : nullptr, original.child(name), root,
                name);
    }
  }
  std::string out;
  // Grown by doubling, a part of tens of megabytes would be copied about as many times over.
  out.reserve(origin ? origin->as_read().part_size + (1 << 16) : 0);
  out += kXmlDeclaration;
  out += "<worksheet";
  for (pugi::xml_attribute attribute : root.attributes()) {
    out += ' ';
    out += attribute.name();
    out += "=\"";
    AppendEscaped(attribute.value(), &out, true);
    out += '"';
  }
  out += '>';
  for (pugi::xml_node child : root.children()) {
    if (std::string_view(child.name()) != "sheetData") {
      AppendXml(child, &out);
      continue;
    }
    out += "<sheetData>";
    WriteRows(sheet, context, &out);
    out += "</sheetData>";
  }
  out += "</worksheet>";
  return out;
}

}  // namespace tarquel::host::xlsx
