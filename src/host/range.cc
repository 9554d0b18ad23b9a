#include "host/range.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "host/application.h"
#include "host/clipboard.h"
#include "host/host_error.h"
#include "host/number_format.h"
#include "host/utf16.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "host/worksheet_storage.h"

namespace tarquel::host {

namespace {

// Areas larger than this are treated sparsely where the result allows it: phonetics are shown
// for the cells that exist only.
constexpr int64_t kSmallArea = 1 << 16;

// Applies one change to many style ids, interning each distinct result once.
class StyleChanger {
 public:
  StyleChanger(StyleTable& styles, const std::function<void(CellFormat&)>& change)
      : styles_(styles), change_(change) {}

  StyleTable::Id Apply(StyleTable::Id id) {
    auto it = cache_.find(id);
    if (it != cache_.end()) return it->second;
    CellFormat format = styles_.Get(id);
    change_(format);
    const StyleTable::Id changed = styles_.Intern(format);
    cache_.emplace(id, changed);
    return changed;
  }

 private:
  StyleTable& styles_;
  const std::function<void(CellFormat&)>& change_;
  std::unordered_map<StyleTable::Id, StyleTable::Id> cache_;
};

void ModifyAreaFormat(Worksheet& sheet, const CellRect& area, StyleChanger& changer) {
  const bool all_rows = SpansAllRows(sheet, area);
  const bool all_columns = SpansAllColumns(sheet, area);
  if (all_rows || all_columns) {
    // Cells whose format came from the other direction's row or column format keep it.
    if (all_rows && !all_columns) {
      for (auto& [row, info] : sheet.rows_info()) {
        if (!info.style) continue;
        for (int32_t c = area.first_column; c <= area.last_column; ++c) sheet.CellAt(row, c);
      }
    } else if (all_columns && !all_rows) {
      for (auto& [column, info] : sheet.columns_info()) {
        if (!info.style || column > area.last_column) continue;
        for (int32_t r = area.first_row; r <= area.last_row; ++r) sheet.CellAt(r, column);
      }
    }
    if (all_rows) {
      for (int32_t c = area.first_column; c <= area.last_column; ++c) {
        ColumnInfo& info = sheet.columns_info()[c];
        info.style = changer.Apply(info.style.value_or(StyleTable::kDefault));
      }
    }
    if (all_columns) {
      for (int32_t r = area.first_row; r <= area.last_row; ++r) {
        if (all_rows && !sheet.rows_info().contains(r)) continue;
        RowInfo& info = sheet.rows_info()[r];
        if (all_rows && !info.style) continue;
        info.style = changer.Apply(info.style.value_or(StyleTable::kDefault));
      }
    }
    sheet.ForEachCell(area, [&](int32_t, Cell& cell) { cell.style = changer.Apply(cell.style); });
    return;
  }
  for (int32_t r = area.first_row; r <= area.last_row; ++r) {
    for (int32_t c = area.first_column; c <= area.last_column; ++c) {
      Cell& cell = sheet.CellAt(r, c);
      cell.style = changer.Apply(cell.style);
    }
  }
}

// --- Character runs -------------------------------------------------------------------------

// The runs of `text`, covering it whole (one run with the cell's font when it had none).
std::vector<FontRun> CoveringRuns(const Text& text) {
  if (text.format() && !text.format()->runs.empty()) return text.format()->runs;
  return {FontRun{0, static_cast<uint32_t>(Utf16Length(text.text)), std::nullopt}};
}

// Splits the run that contains `position` so that a run starts there.
void SplitAt(std::vector<FontRun>& runs, uint32_t position) {
  for (std::size_t i = 0; i < runs.size(); ++i) {
    FontRun& run = runs[i];
    if (position > run.start && position < run.start + run.length) {
      FontRun tail{position, run.start + run.length - position, run.font};
      run.length = position - run.start;
      runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(i) + 1, tail);
      return;
    }
  }
}

void MergeEqualNeighbours(std::vector<FontRun>& runs) {
  std::vector<FontRun> merged;
  for (const FontRun& run : runs) {
    if (run.length == 0) continue;
    if (!merged.empty() && merged.back().font == run.font) {
      merged.back().length += run.length;
    } else {
      merged.push_back(run);
    }
  }
  runs = std::move(merged);
}

Text WithRuns(const Text& text, std::vector<FontRun> runs) {
  TextFormatting formatting = text.format() ? *text.format() : TextFormatting{};
  const bool all_plain =
      std::all_of(runs.begin(), runs.end(), [](const FontRun& r) { return !r.font.has_value(); });
  formatting.runs = all_plain ? std::vector<FontRun>{} : std::move(runs);
  return Text(text.text, std::move(formatting));
}

void CheckNumber(double value, double low, double high, const std::string& what) {
  if (!std::isfinite(value) || value < low || value > high) {
    ThrowApplicationDefined(what + "に " + NumberToText(value) + " は設定できません（" +
                            NumberToText(low) + " から " + NumberToText(high) + "）。");
  }
}

double NumberFromText(std::string_view text, const std::string& what) {
  const auto number = ParseNumericText(text);
  if (!number) ThrowTypeMismatch(what + "「" + std::string(text) + "」は数値ではありません。");
  return *number;
}

}  // namespace

// --- Colour indexes -------------------------------------------------------------------------

int ColorIndexOf(const Color& color) {
  if (color.kind == Color::Kind::kAutomatic) return kColorIndexAutomatic;
  if (color.kind == Color::Kind::kIndexed && color.value >= 8) return color.value - 7;
  return 0;  // a colour outside the host's palette
}

Color ColorOfIndex(int index) {
  if (index == kColorIndexAutomatic) return Color::Automatic();
  if (index < 1 || index > 56) {
    ThrowApplicationDefined("色番号 " + std::to_string(index) +
                            " は使えません（1 から 56、または自動）。");
  }
  return Color::Indexed(static_cast<uint32_t>(index + 7));
}

// --- Range ------------------------------------------------------------------------------------

Range::Range(Worksheet& sheet, CellRect area) : sheet_(&sheet), first_(area) {}

Range::Range(Worksheet& sheet, std::vector<CellRect> areas) : sheet_(&sheet) {
  first_ = areas.front();
  more_.assign(areas.begin() + 1, areas.end());
}

std::vector<CellRect> Range::Areas() const {
  std::vector<CellRect> areas{first_};
  areas.insert(areas.end(), more_.begin(), more_.end());
  return areas;
}

template <typename Fn>
void Range::ForEachArea(Fn&& fn) const {
  fn(first_);
  for (const CellRect& area : more_) fn(area);
}

int64_t Range::CellCount() const {
  int64_t count = 0;
  ForEachArea([&](const CellRect& area) { count += area.CellCount(); });
  return count;
}

Range Range::Cells(int32_t row, int32_t column) const {
  return sheet_->Cells(first_.first_row + row - 1, first_.first_column + column - 1);
}

Range Range::Offset(int32_t rows, int32_t columns) const {
  std::vector<CellRect> moved;
  ForEachArea([&](const CellRect& area) {
    CellRect m{area.first_row + rows, area.first_column + columns, area.last_row + rows,
               area.last_column + columns};
    if (m.first_row < 1 || m.first_column < 1 || m.last_row > sheet_->RowCount() ||
        m.last_column > sheet_->ColumnCount()) {
      ThrowApplicationDefined("Offset の結果がシートの範囲を超えます。");
    }
    moved.push_back(m);
  });
  return Range(*sheet_, std::move(moved));
}

Range Range::EntireRow() const {
  std::vector<CellRect> rows;
  ForEachArea([&](const CellRect& a) {
    rows.push_back({a.first_row, 1, a.last_row, sheet_->ColumnCount()});
  });
  return Range(*sheet_, std::move(rows));
}

Range Range::EntireColumn() const {
  std::vector<CellRect> columns;
  ForEachArea([&](const CellRect& a) {
    columns.push_back({1, a.first_column, sheet_->RowCount(), a.last_column});
  });
  return Range(*sheet_, std::move(columns));
}

bool Range::IsWholeRows() const {
  bool whole = true;
  ForEachArea([&](const CellRect& a) { whole = whole && SpansAllColumns(*sheet_, a); });
  return whole;
}

bool Range::IsWholeColumns() const {
  bool whole = true;
  ForEachArea([&](const CellRect& a) { whole = whole && SpansAllRows(*sheet_, a); });
  return whole;
}

std::string Range::Address(ReferenceStyle style, bool absolute) const {
  return FormatAddress(Areas(), style, absolute, sheet_->RowCount(), sheet_->ColumnCount());
}

// --- Values ---------------------------------------------------------------------------------

const CellValue& Range::Value() const {
  static const CellValue kEmpty;
  const Cell* cell = sheet_->FindCell(Row(), Column());
  return cell ? cell->value : kEmpty;
}

void Range::SetValue(const CellValue& value) const {
  ForEachArea([&](const CellRect& area) {
    for (int32_t r = area.first_row; r <= area.last_row; ++r) {
      for (int32_t c = area.first_column; c <= area.last_column; ++c) {
        Cell& cell = sheet_->CellAt(r, c);
        cell.value = value;
        cell.formula.reset();
      }
    }
  });
}

void Range::SetValueFromText(std::string_view text) const {
  ForEachArea([&](const CellRect& area) {
    for (int32_t r = area.first_row; r <= area.last_row; ++r) {
      for (int32_t c = area.first_column; c <= area.last_column; ++c) {
        Cell& cell = sheet_->CellAt(r, c);
        cell.formula.reset();
        if (sheet_->styles().Get(cell.style).number_format == "@") {
          cell.value = CellValue(std::string(text));
        } else if (auto number = ParseNumericText(text)) {
          cell.value = CellValue(*number);
        } else if (text == "TRUE" || text == "FALSE" || text == "True" || text == "False" ||
                   text == "true" || text == "false") {
          cell.value = CellValue(text[0] == 'T' || text[0] == 't');
        } else {
          cell.value = CellValue(std::string(text));
        }
      }
    }
  });
}

std::string Range::Text() const { return ShownText(Value(), Format()); }

bool Range::HasFormula() const {
  const Cell* cell = sheet_->FindCell(Row(), Column());
  return cell && cell->formula;
}

void Range::ClearContents() const {
  std::vector<CellRect> touched;
  ForEachArea([&](const CellRect& area) {
    for (const CellRect& merge : sheet_->MergesIntersecting(area)) touched.push_back(merge);
  });
  for (const CellRect& merge : touched) {
    bool contained = false;
    ForEachArea([&](const CellRect& area) { contained = contained || area.Contains(merge); });
    if (!contained) {
      ThrowApplicationDefined("結合されたセルの一部を変更することはできません（" +
                              FormatAddress(merge, ReferenceStyle::kA1, false) + "）。");
    }
  }
  std::vector<std::pair<int32_t, int32_t>> emptied;
  ForEachArea([&](const CellRect& area) {
    sheet_->ForEachCell(area, [&](int32_t row, Cell& cell) {
      cell.value = CellValue();
      cell.formula.reset();
      if (cell.style == StyleTable::kDefault && !cell.show_phonetic) {
        emptied.push_back({row, cell.column});
      }
    });
  });
  // A cell left with nothing in it need not be stored; its row and column formats still apply
  // only where they equal the default, which is what kDefault cells showed.
  for (const auto& [row, column] : emptied) {
    sheet_->EraseCell(row, column);
    if (sheet_->EffectiveStyle(row, column) != StyleTable::kDefault) {
      sheet_->CellAt(row, column).style = StyleTable::kDefault;
    }
  }
}

// --- Formats --------------------------------------------------------------------------------

const CellFormat& Range::Format() const { return sheet_->EffectiveFormat(Row(), Column()); }

void Range::ModifyFormat(const std::function<void(CellFormat&)>& change) const {
  StyleChanger changer(sheet_->styles(), change);
  ForEachArea([&](const CellRect& area) { ModifyAreaFormat(*sheet_, area, changer); });
}

host::HorizontalAlignment Range::HorizontalAlignment() const {
  return Format().alignment.horizontal;
}
void Range::SetHorizontalAlignment(host::HorizontalAlignment alignment) const {
  ModifyFormat([&](CellFormat& f) { f.alignment.horizontal = alignment; });
}
host::VerticalAlignment Range::VerticalAlignment() const { return Format().alignment.vertical; }
void Range::SetVerticalAlignment(host::VerticalAlignment alignment) const {
  ModifyFormat([&](CellFormat& f) { f.alignment.vertical = alignment; });
}

host::Orientation Range::Orientation() const {
  switch (Format().alignment.rotation) {
    case kVerticalText:
      return Orientation::kVertical;
    case 90:
      return Orientation::kUpward;
    case 180:
      return Orientation::kDownward;
    default:
      return Orientation::kHorizontal;
  }
}

void Range::SetOrientation(host::Orientation orientation) const {
  int rotation = 0;
  switch (orientation) {
    case Orientation::kHorizontal:
      rotation = 0;
      break;
    case Orientation::kVertical:
      rotation = kVerticalText;
      break;
    case Orientation::kUpward:
      rotation = 90;
      break;
    case Orientation::kDownward:
      rotation = 180;
      break;
  }
  ModifyFormat([&](CellFormat& f) { f.alignment.rotation = rotation; });
}

bool Range::ShrinkToFit() const { return Format().alignment.shrink_to_fit; }
void Range::SetShrinkToFit(bool on) const {
  ModifyFormat([&](CellFormat& f) { f.alignment.shrink_to_fit = on; });
}
bool Range::WrapText() const { return Format().alignment.wrap_text; }
void Range::SetWrapText(bool on) const {
  ModifyFormat([&](CellFormat& f) { f.alignment.wrap_text = on; });
}
bool Range::AddIndent() const { return Format().alignment.add_indent; }
void Range::SetAddIndent(bool on) const {
  ModifyFormat([&](CellFormat& f) { f.alignment.add_indent = on; });
}
int Range::IndentLevel() const { return Format().alignment.indent; }
void Range::SetIndentLevel(int level) const {
  CheckNumber(level, 0, 15, "インデント");
  ModifyFormat([&](CellFormat& f) { f.alignment.indent = level; });
}

std::string Range::NumberFormat() const { return Format().number_format; }
void Range::SetNumberFormat(const std::string& code) const {
  ModifyFormat([&](CellFormat& f) { f.number_format = code.empty() ? kGeneralFormat : code; });
}
std::string Range::NumberFormatLocal() const { return ToLocalFormat(NumberFormat()); }
void Range::SetNumberFormatLocal(const std::string& code) const {
  SetNumberFormat(FromLocalFormat(code));
}

host::Border Range::Borders(BorderIndex index) const {
  return host::Border(*sheet_, Areas(), index);
}

double Range::RowHeight() const { return sheet_->RowHeightOf(Row()); }

void Range::SetRowHeight(double points) const {
  CheckNumber(points, kMinRowHeight, kMaxRowHeight, "行の高さ");
  ForEachArea([&](const CellRect& area) {
    if (SpansAllRows(*sheet_, area)) {
      sheet_->set_default_row_height(points);
      for (auto& [row, info] : sheet_->rows_info()) {
        if (row <= sheet_->RowCount()) info.height.reset();
      }
      return;
    }
    for (int32_t r = area.first_row; r <= area.last_row; ++r) {
      sheet_->rows_info()[r].height = points;
    }
  });
}

void Range::SetRowHeight(std::string_view text) const {
  SetRowHeight(NumberFromText(text, "行の高さ"));
}

double Range::ColumnWidth() const { return sheet_->ColumnWidthOf(Column()); }

void Range::SetColumnWidth(double width) const {
  CheckNumber(width, kMinColumnWidth, kMaxColumnWidth, "列の幅");
  ForEachArea([&](const CellRect& area) {
    for (int32_t c = area.first_column; c <= area.last_column; ++c) {
      sheet_->columns_info()[c].width = width;
    }
  });
}

void Range::SetColumnWidth(std::string_view text) const {
  SetColumnWidth(NumberFromText(text, "列の幅"));
}

// --- Merges ---------------------------------------------------------------------------------

bool Range::MergeCells() const { return sheet_->MergeAreaOf(Row(), Column()) != nullptr; }

void Range::SetMergeCells(bool merge) const {
  ForEachArea([&](const CellRect& area) {
    if (!merge) {
      sheet_->RemoveMergesIntersecting(area);
      return;
    }
    if (area.IsSingleCell()) return;
    const Cell* kept = nullptr;
    sheet_->ForEachCell(area, [&](int32_t, const Cell& cell) {
      if (kept == nullptr && !cell.value.IsEmpty()) kept = &cell;
    });
    CellValue value = kept ? kept->value : CellValue();
    std::shared_ptr<const Formula> formula = kept ? kept->formula : nullptr;
    sheet_->ForEachCell(area, [&](int32_t, Cell& cell) {
      cell.value = CellValue();
      cell.formula.reset();
    });
    if (!value.IsEmpty()) {
      Cell& top_left = sheet_->CellAt(area.first_row, area.first_column);
      top_left.value = std::move(value);
      top_left.formula = std::move(formula);
    }
    sheet_->RemoveMergesIntersecting(area);
    sheet_->AddMerge(area);
  });
}

Range Range::MergeArea() const {
  const CellRect* merge = sheet_->MergeAreaOf(Row(), Column());
  return Range(*sheet_, merge ? *merge : CellRect::Cell(Row(), Column()));
}

// --- Comments and phonetics -----------------------------------------------------------------

CommentAccess Range::AddComment(const std::string& text) const {
  auto& comments = sheet_->comments();
  const std::pair<int32_t, int32_t> position{Row(), Column()};
  if (comments.contains(position)) {
    ThrowApplicationDefined(
        "セル " + FormatAddress(CellRect::Cell(Row(), Column()), ReferenceStyle::kA1, false) +
        " には既にコメントがあります。");
  }
  host::Comment comment;
  comment.text = text;
  comments.emplace(position, std::move(comment));
  return CommentAccess(*sheet_, Row(), Column());
}

std::optional<CommentAccess> Range::Comment() const {
  if (!sheet_->comments().contains({Row(), Column()})) return std::nullopt;
  return CommentAccess(*sheet_, Row(), Column());
}

void Range::ClearComments() const {
  ForEachArea([&](const CellRect& area) {
    std::erase_if(sheet_->comments(), [&](const auto& entry) {
      return area.Contains(entry.first.first, entry.first.second);
    });
  });
}

bool Range::PhoneticsVisible() const {
  const Cell* cell = sheet_->FindCell(Row(), Column());
  return cell && cell->show_phonetic;
}

void Range::SetPhoneticsVisible(bool visible) const {
  ForEachArea([&](const CellRect& area) {
    if (area.CellCount() > kSmallArea) {
      sheet_->ForEachCell(area, [&](int32_t, Cell& cell) { cell.show_phonetic = visible; });
      return;
    }
    for (int32_t r = area.first_row; r <= area.last_row; ++r) {
      for (int32_t c = area.first_column; c <= area.last_column; ++c) {
        sheet_->CellAt(r, c).show_phonetic = visible;
      }
    }
  });
}

std::vector<PhoneticRun> Range::PhoneticRuns() const {
  const CellValue& value = Value();
  if (!value.IsText() || !value.text().format()) return {};
  return value.text().format()->phonetics;
}

void Range::SetPhoneticRuns(std::vector<PhoneticRun> runs) const {
  const CellValue& value = Value();
  const std::string where =
      FormatAddress(CellRect::Cell(Row(), Column()), ReferenceStyle::kA1, false);
  if (!value.IsText()) ThrowApplicationDefined("セル " + where + " には文字列がありません。");
  const auto length = static_cast<uint32_t>(Utf16Length(value.text().text));
  uint32_t previous_end = 0;
  for (const PhoneticRun& run : runs) {
    if (run.start < previous_end || run.end <= run.start || run.end > length) {
      ThrowApplicationDefined("セル " + where + " のふりがなの位置が正しくありません。");
    }
    previous_end = run.end;
  }
  const host::Text& text = value.text();
  TextFormatting formatting = text.format() ? *text.format() : TextFormatting{};
  formatting.phonetics = std::move(runs);
  if (!formatting.phonetics.empty() && !formatting.phonetic_properties) {
    formatting.phonetic_properties = PhoneticProperties{};
  }
  Cell& cell = sheet_->CellAt(Row(), Column());
  cell.value = CellValue(host::Text(text.text, std::move(formatting)));
}

// --- Selection and clipboard ----------------------------------------------------------------

void Range::Select() const {
  Application& app = sheet_->application();
  if (app.ActiveWorkbook() != &sheet_->workbook() || &app.ActiveSheet() != sheet_) {
    ThrowApplicationDefined("Range クラスの Select メソッドが失敗しました。シート「" +
                            sheet_->Name() + "」は作業中のシートではありません。");
  }
  sheet_->SetSelection(Areas(), {Row(), Column()});
}

void Range::Activate() const {
  for (const CellRect& area : sheet_->selection()) {
    if (area.Contains(Row(), Column())) {
      Application& app = sheet_->application();
      if (app.ActiveWorkbook() != &sheet_->workbook() || &app.ActiveSheet() != sheet_) break;
      sheet_->SetSelection(sheet_->selection(), {Row(), Column()});
      return;
    }
  }
  Range(*sheet_, CellRect::Cell(Row(), Column())).Select();
}

void Range::Copy() const {
  if (!more_.empty()) {
    ThrowApplicationDefined("複数の範囲を一度にコピーすることはできません。");
  }
  sheet_->application().SetClipboard(CopyCells(*sheet_, first_));
}

// --- Fonts ----------------------------------------------------------------------------------

void Range::ModifyCellFonts(const std::function<void(host::Font&)>& change) const {
  ModifyFormat([&](CellFormat& f) { change(f.font); });
  // Runs with a font of their own take the same change, as the host applies a font to every
  // character of the cell.
  ForEachArea([&](const CellRect& area) {
    sheet_->ForEachCell(area, [&](int32_t, Cell& cell) {
      if (!cell.value.IsText() || !cell.value.text().format() ||
          cell.value.text().format()->runs.empty()) {
        return;
      }
      std::vector<FontRun> runs = cell.value.text().format()->runs;
      for (FontRun& run : runs) {
        if (!run.font) continue;
        host::Font font = *run.font;
        change(font);
        run.font = std::move(font);
      }
      cell.value = CellValue(WithRuns(cell.value.text(), std::move(runs)));
    });
  });
}

void Range::ModifyCharacterFonts(uint32_t start, uint32_t length,
                                 const std::function<void(host::Font&)>& change) const {
  std::vector<std::pair<int32_t, int32_t>> whole_cells;
  ForEachArea([&](const CellRect& area) {
    sheet_->ForEachCell(area, [&](int32_t row, Cell& cell) {
      if (!cell.value.IsText()) {
        if (!cell.value.IsEmpty()) whole_cells.push_back({row, cell.column});
        return;
      }
      const host::Text& text = cell.value.text();
      const auto size = static_cast<uint32_t>(Utf16Length(text.text));
      if (start >= size || length == 0) return;
      const uint32_t end = std::min(size, start + length);
      std::vector<FontRun> runs = CoveringRuns(text);
      SplitAt(runs, start);
      SplitAt(runs, end);
      const host::Font& cell_font = sheet_->styles().Get(cell.style).font;
      for (FontRun& run : runs) {
        if (run.start >= start && run.start + run.length <= end) {
          host::Font font = run.font.value_or(cell_font);
          change(font);
          run.font = std::move(font);
        }
      }
      MergeEqualNeighbours(runs);
      cell.value = CellValue(WithRuns(text, std::move(runs)));
    });
  });
  // Characters of a number or Boolean are the whole cell.
  for (const auto& [row, column] : whole_cells) {
    Range(*sheet_, CellRect::Cell(row, column)).ModifyCellFonts(change);
  }
}

host::Characters Range::Characters(uint32_t start, std::optional<uint32_t> length) const {
  if (start < 1) ThrowInvalidCall("Characters の開始位置は 1 以上です。");
  return host::Characters(*this, start - 1, length.value_or(UINT32_MAX - start));
}

FontAccess Range::Font() const { return FontAccess(*this, std::nullopt); }

host::Font FontAccess::Get() const {
  const CellFormat& format = range_.Format();
  if (!characters_) return format.font;
  const CellValue& value = range_.Value();
  if (!value.IsText() || !value.text().format()) return format.font;
  for (const FontRun& run : value.text().format()->runs) {
    if (characters_->first >= run.start && characters_->first < run.start + run.length) {
      return run.font.value_or(format.font);
    }
  }
  return format.font;
}

namespace {

// A font that follows the theme (scheme "minor" or "major") is shown in the theme's face,
// whatever its name says. A change that gives a font another face means that face: the font
// stops following the theme, unless the change set the scheme as well (a font copied whole).
void ApplyNaming(const std::function<void(host::Font&)>& change, host::Font& font) {
  const std::string name = font.name;
  const std::string scheme = font.scheme;
  change(font);
  if (font.name != name && font.scheme == scheme) font.scheme.clear();
}

}  // namespace

void FontAccess::Modify(const std::function<void(host::Font&)>& change) const {
  const auto naming = [&change](host::Font& font) { ApplyNaming(change, font); };
  if (characters_) {
    range_.ModifyCharacterFonts(characters_->first, characters_->second, naming);
  } else {
    range_.ModifyCellFonts(naming);
  }
}

void FontAccess::SetName(const std::string& name) const {
  if (name.empty()) ThrowApplicationDefined("フォント名が空です。");
  // Named, even with the name it had, the font is that face rather than the theme's.
  Modify([&](host::Font& f) {
    f.name = name;
    f.scheme.clear();
  });
}

void FontAccess::SetFontStyle(const std::string& style) const {
  host::Font probe;
  if (!ApplyFontStyleName(style, &probe)) {
    ThrowApplicationDefined("スタイル「" + style + "」はありません。");
  }
  Modify([&](host::Font& f) { ApplyFontStyleName(style, &f); });
}

void FontAccess::SetSize(double points) const {
  CheckNumber(points, 1, 409, "フォントサイズ");
  Modify([&](host::Font& f) { f.size = points; });
}

void FontAccess::SetBold(bool on) const {
  Modify([&](host::Font& f) { f.bold = on; });
}
void FontAccess::SetItalic(bool on) const {
  Modify([&](host::Font& f) { f.italic = on; });
}
void FontAccess::SetUnderline(host::Underline underline) const {
  Modify([&](host::Font& f) { f.underline = underline; });
}
void FontAccess::SetStrikethrough(bool on) const {
  Modify([&](host::Font& f) { f.strikethrough = on; });
}
void FontAccess::SetSuperscript(bool on) const {
  Modify([&](host::Font& f) {
    f.superscript = on;
    if (on) f.subscript = false;
  });
}
void FontAccess::SetSubscript(bool on) const {
  Modify([&](host::Font& f) {
    f.subscript = on;
    if (on) f.superscript = false;
  });
}
void FontAccess::SetOutlineFont(bool on) const {
  Modify([&](host::Font& f) { f.outline = on; });
}
void FontAccess::SetShadow(bool on) const {
  Modify([&](host::Font& f) { f.shadow = on; });
}
int FontAccess::ColorIndex() const { return ColorIndexOf(Get().color); }
void FontAccess::SetColorIndex(int index) const {
  const host::Color color = ColorOfIndex(index);
  Modify([&](host::Font& f) { f.color = color; });
}
void FontAccess::SetColor(host::Color color) const {
  Modify([&](host::Font& f) { f.color = color; });
}

std::string Characters::Text() const {
  const CellValue& value = range_.Value();
  const std::string text = value.IsText() ? value.text().text : range_.Text();
  return std::string(Utf16Substr(text, start_, length_));
}

// --- Comments -------------------------------------------------------------------------------

host::Comment& CommentAccess::Get() const {
  auto it = sheet_->comments().find({row_, column_});
  if (it == sheet_->comments().end()) {
    ThrowApplicationDefined("コメントは既に削除されています。");
  }
  return it->second;
}

std::string CommentAccess::Text() const { return Get().text; }
void CommentAccess::SetText(const std::string& text) const { Get().text = text; }
double CommentAccess::Width() const { return Get().width; }
double CommentAccess::Height() const { return Get().height; }

void CommentAccess::ScaleWidth(double factor) const {
  CheckNumber(factor, 0.01, 100, "コメントの幅の倍率");
  Get().width *= factor;
}

void CommentAccess::ScaleHeight(double factor) const {
  CheckNumber(factor, 0.01, 100, "コメントの高さの倍率");
  Get().height *= factor;
}

bool CommentAccess::Visible() const { return Get().visible; }
void CommentAccess::SetVisible(bool visible) const { Get().visible = visible; }

void CommentAccess::Delete() const {
  Get();
  sheet_->comments().erase({row_, column_});
}

}  // namespace tarquel::host
