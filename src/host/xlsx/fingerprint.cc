#include "host/xlsx/fingerprint.h"

#include <bit>
#include <functional>
#include <string_view>

#include "host/hasher.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "host/worksheet_storage.h"

namespace tarquel::host::xlsx {

namespace {

void AddCell(int32_t row, const Cell& cell, Hasher& h) {
  h.Add(uint64_t{static_cast<uint32_t>(row)} << 32 | static_cast<uint32_t>(cell.column));
  h.Add(uint64_t{cell.style} << 1 | uint64_t{cell.show_phonetic});
  const CellValue& value = cell.value;
  h.Add(uint64_t{static_cast<uint8_t>(value.kind())});
  switch (value.kind()) {
    case ValueKind::kEmpty:
      break;
    case ValueKind::kNumber:
      h.Add(value.number());
      break;
    case ValueKind::kText:
      HashInto(value.text(), h);
      break;
    case ValueKind::kBoolean:
      h.Add(uint64_t{value.boolean()});
      break;
    case ValueKind::kError:
      h.Add(value.error().code);
      break;
  }
  h.Add(uint64_t{cell.formula != nullptr});
  if (cell.formula) {
    h.Add(cell.formula->text);
    h.Count(cell.formula->attributes.size());
    for (const auto& [name, text] : cell.formula->attributes) {
      h.Add(name);
      h.Add(text);
    }
  }
}

void AddAttributes(const FileAttributes& attributes, Hasher& h) {
  h.Count(attributes.size());
  for (const auto& [name, value] : attributes) {
    h.Add(name);
    h.Add(value);
  }
}

void AddRect(const CellRect& rect, Hasher& h) {
  h.Add(uint64_t{static_cast<uint32_t>(rect.first_row)} << 32 |
        static_cast<uint32_t>(rect.first_column));
  h.Add(uint64_t{static_cast<uint32_t>(rect.last_row)} << 32 |
        static_cast<uint32_t>(rect.last_column));
}

void AddPageSetup(const PageSetup& setup, Hasher& h) {
  for (double margin : {setup.left_margin, setup.right_margin, setup.top_margin,
                        setup.bottom_margin, setup.header_margin, setup.footer_margin}) {
    h.Add(margin);
  }
  h.Add(uint64_t{setup.print_headings} | uint64_t{setup.print_gridlines} << 1 |
        uint64_t{setup.center_horizontally} << 2 | uint64_t{setup.center_vertically} << 3 |
        uint64_t{setup.draft} << 4 | uint64_t{setup.black_and_white} << 5 |
        uint64_t{setup.fit_to_pages} << 6 | uint64_t{setup.first_page_number.has_value()} << 7);
  h.Add(uint64_t{static_cast<uint8_t>(setup.print_comments)} << 16 |
        uint64_t{static_cast<uint8_t>(setup.orientation)} << 8 | static_cast<uint8_t>(setup.order));
  for (int number : {setup.paper_size, setup.first_page_number.value_or(0), setup.zoom,
                     setup.fit_to_pages_wide, setup.fit_to_pages_tall}) {
    h.Add(static_cast<uint64_t>(number));
  }
}

// What the sheet's worksheet part says (see WorkbookFingerprints).
uint64_t SheetPartFingerprint(const Worksheet& sheet, bool with_view) {
  Hasher h;
  h.Add(uint64_t{sheet.file_origin != nullptr});
  sheet.ForEachCell({1, 1, std::max(1, sheet.LastRowWithCells()), kMaxFileColumns},
                    [&h](int32_t row, const Cell& cell) { AddCell(row, cell, h); });
  h.Count(sheet.rows_info().size());
  for (const auto& [row, info] : sheet.rows_info()) {
    h.Add(uint64_t{static_cast<uint32_t>(row)});
    h.Add(info.height.value_or(-1));
    h.Add(info.style ? uint64_t{*info.style} : ~uint64_t{0});
    h.Add(uint64_t{info.hidden});
    AddAttributes(info.file_attributes, h);
  }
  h.Count(sheet.columns_info().size());
  for (const auto& [column, info] : sheet.columns_info()) {
    h.Add(uint64_t{static_cast<uint32_t>(column)});
    h.Add(info.width.value_or(-1));
    h.Add(info.style ? uint64_t{*info.style} : ~uint64_t{0});
    h.Add(uint64_t{info.hidden});
    AddAttributes(info.file_attributes, h);
  }
  h.Add(sheet.default_row_height());
  h.Add(sheet.default_column_width());
  const std::vector<CellRect> merges = sheet.Merges();
  h.Count(merges.size());
  for (const CellRect& merge : merges) AddRect(merge, h);
  h.Add(uint64_t{sheet.comments().empty()});
  AddPageSetup(sheet.page_setup(), h);
  h.Add(uint64_t{sheet.view().show_gridlines} << 32 | static_cast<uint32_t>(sheet.view().zoom));
  if (with_view) {
    h.Count(sheet.selection().size());
    for (const CellRect& area : sheet.selection()) AddRect(area, h);
    h.Add(uint64_t{static_cast<uint32_t>(sheet.active_cell().first)} << 32 |
          static_cast<uint32_t>(sheet.active_cell().second));
  }
  return h.value();
}

uint64_t CommentsFingerprint(const Worksheet& sheet) {
  Hasher h;
  h.Count(sheet.comments().size());
  for (const auto& [place, comment] : sheet.comments()) {
    h.Add(uint64_t{static_cast<uint32_t>(place.first)} << 32 | static_cast<uint32_t>(place.second));
    h.Add(comment.text);
    h.Add(comment.author);
    h.Add(comment.width);
    h.Add(comment.height);
    h.Add(uint64_t{comment.visible});
    h.Add(comment.file_text ? std::string_view(comment.file_text->xml) : std::string_view());
  }
  return h.value();
}

// What the workbook part says of a sheet, with the fingerprints of the sheet's own parts.
void AddSheet(const Worksheet& sheet, uint64_t part, uint64_t comments, Hasher& h) {
  h.Add(sheet.Name());
  h.Add(uint64_t{static_cast<uint8_t>(sheet.visibility())});
  h.Count(sheet.print_area().size());
  for (const CellRect& area : sheet.print_area()) AddRect(area, h);
  h.Add(part);
  h.Add(comments);
}

WorkbookFingerprints Fingerprints(const Workbook& workbook, bool with_view) {
  WorkbookFingerprints prints;
  Hasher h;
  h.Count(static_cast<std::size_t>(workbook.SheetCount()));
  for (int index = 1; index <= workbook.SheetCount(); ++index) {
    const Worksheet& sheet = workbook.SheetAt(index);
    prints.sheet_parts.push_back(SheetPartFingerprint(sheet, with_view));
    prints.comments.push_back(CommentsFingerprint(sheet));
    AddSheet(sheet, prints.sheet_parts.back(), prints.comments.back(), h);
    if (with_view) h.Add(uint64_t{&sheet == &workbook.ActiveSheet()});
  }
  prints.workbook = h.value();
  return prints;
}

}  // namespace

WorkbookFingerprints TakeFingerprints(const Workbook& workbook) {
  return Fingerprints(workbook, true);
}

uint64_t WorkbookFingerprint(const Workbook& workbook) {
  return Fingerprints(workbook, true).workbook;
}

uint64_t ContentFingerprint(const Workbook& workbook) {
  return Fingerprints(workbook, false).workbook;
}

}  // namespace tarquel::host::xlsx
