#include "host/xlsx/cell_tables.h"

#include <algorithm>

#include "host/worksheet_storage.h"
#include "host/xlsx/relationships.h"
#include "host/xlsx/xml_document.h"

namespace tarquel::host::xlsx {

namespace {

constexpr char kNewStylesPart[] = "xl/styles.xml";
constexpr char kNewSharedStringsPart[] = "xl/sharedStrings.xml";

// How many cells of the sheet refer to the shared strings: texts that are not a formula's.
std::size_t SharedStringCells(const Worksheet& sheet) {
  std::size_t count = 0;
  sheet.ForEachCell({1, 1, std::max(1, sheet.LastRowWithCells()), kMaxFileColumns},
                    [&count](int32_t, const Cell& cell) {
                      if (cell.value.IsText() && !cell.formula) ++count;
                    });
  return count;
}

}  // namespace

StylesRead ReadStyleSheet(PackageOrigin& origin, StyleTable& styles) {
  StylesRead read;
  const Relationship* r = FindByType(origin.workbook_relationships, RelationshipType("styles"));
  if (r == nullptr || !origin.reader.Has(r->target)) {
    read.cell_styles = {StyleTable::kDefault};
    return read;
  }
  ParseXml(origin.reader.Read(r->target), r->target, origin.styles);
  read = ReadStyles(origin.styles, styles);
  origin.has_styles = true;
  origin.styles_part = r->target;
  origin.xf_styles = read.cell_styles;
  origin.modelled_parts.insert(r->target);
  return read;
}

void ReadSharedStringTable(PackageOrigin& origin, const StylesRead& styles) {
  const Relationship* r =
      FindByType(origin.workbook_relationships, RelationshipType("sharedStrings"));
  if (r == nullptr || !origin.reader.Has(r->target)) return;
  origin.shared_strings =
      ReadSharedStrings(origin.reader.Read(r->target), r->target, &styles.fonts);
  origin.shared_strings_part = r->target;
  origin.modelled_parts.insert(r->target);
}

CellTables::CellTables(const Workbook& book, const PackageOrigin* origin, bool keep)
    : origin_(origin),
      keep_(keep),
      styles_(book.styles(), origin && origin->has_styles ? &origin->styles : nullptr,
              origin && origin->has_styles ? &origin->xf_styles : nullptr),
      strings_([this](const Font& font) { return styles_.FontIndexOf(font); }) {}

std::optional<uint32_t> CellTables::SharedStringIndexOf(const Text& text) {
  // The file's texts are taken in with the first text written, as few saves need them.
  if (!file_strings_kept_ && origin_) strings_.KeepFileItems(origin_->shared_strings);
  file_strings_kept_ = true;
  if (!KeepsFileStrings()) return static_cast<uint32_t>(strings_.Add(text));
  const std::optional<std::size_t> index = strings_.Find(text);
  if (!index) return std::nullopt;
  return static_cast<uint32_t>(*index);
}

bool CellTables::KeepsFileStrings() const {
  return keep_ && origin_ && !origin_->shared_strings_part.empty();
}

CellTables::Parts CellTables::Finish(const std::vector<const Worksheet*>& copied_sheets) {
  // The shared strings first: the fonts of their phonetic guides join the style sheet's fonts.
  TablePart shared_strings = FinishSharedStrings(copied_sheets);
  return {FinishStyles(), std::move(shared_strings)};
}

// The file's part is kept as it was read (texts it does not hold went into their cells); the
// part is left out when the file had none and no cell needs one.
TablePart CellTables::FinishSharedStrings(const std::vector<const Worksheet*>& copied_sheets) {
  const bool had_strings = origin_ && !origin_->shared_strings_part.empty();
  TablePart part;
  part.name = had_strings ? origin_->shared_strings_part : kNewSharedStringsPart;
  part.copied = KeepsFileStrings();
  if (part.copied) return part;
  if (!had_strings && strings_.size() == 0) return {};
  // The cells of the sheets copied use the table too.
  for (const Worksheet* sheet : copied_sheets) strings_.CountUses(SharedStringCells(*sheet));
  part.bytes = WriteSharedStrings(strings_);
  return part;
}

TablePart CellTables::FinishStyles() {
  const bool has_styles = origin_ && origin_->has_styles;
  TablePart part;
  part.name = has_styles ? origin_->styles_part : kNewStylesPart;
  part.copied = keep_ && has_styles && !styles_.AddedToOriginal();
  if (part.copied) return part;
  pugi::xml_document doc;
  styles_.Write(doc);
  part.bytes = SerializeXml(doc);
  return part;
}

}  // namespace tarquel::host::xlsx
