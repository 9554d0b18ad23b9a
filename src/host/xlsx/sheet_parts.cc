#include "host/xlsx/sheet_parts.h"

#include <set>
#include <utility>

#include <pugixml.hpp>

#include "host/xlsx/comments_codec.h"
#include "host/xlsx/sheet_codec.h"
#include "host/xlsx/xml_document.h"

namespace tarquel::host::xlsx {

namespace {

void ReadSheetComments(const std::vector<Relationship>& relationships, PackageOrigin& origin,
                       Worksheet& sheet) {
  for (const Relationship& r : relationships) {
    if (r.type != RelationshipType("comments") || !origin.reader.Has(r.target)) continue;
    pugi::xml_document comments;
    ParseXml(origin.reader.Read(r.target), r.target, comments);
    sheet.comments() = ReadComments(comments, r.target);
    origin.modelled_parts.insert(r.target);
  }
}

// The comments' drawing is the first with their shapes; another (the pictures of the header and
// footer) is kept as it is.
void ReadCommentDrawing(const std::vector<Relationship>& relationships, PackageOrigin& origin,
                        Worksheet& sheet) {
  for (const Relationship& r : relationships) {
    if (r.type != RelationshipType("vmlDrawing") || !origin.reader.Has(r.target) ||
        sheet.comments().empty() || origin.comment_drawings.contains(&sheet)) {
      continue;
    }
    if (auto drawing = ReadCommentShapes(origin.reader.Read(r.target), sheet.comments())) {
      origin.comment_drawings.emplace(&sheet, std::move(*drawing));
      origin.modelled_parts.insert(r.target);
    }
  }
}

// The first name prefix + N + extension no part has, which it then takes.
std::string TakeUniquePart(std::set<std::string>& taken, const std::string& prefix,
                           const std::string& extension) {
  for (int n = 1;; ++n) {
    const std::string name = prefix + std::to_string(n) + extension;
    if (taken.insert(name).second) return name;
  }
}

std::string TakeNewId(std::set<std::string>& ids) {
  const std::string id = NewRelationshipId(ids);
  ids.insert(id);
  return id;
}

// The sheet's relationships as read that a save looks at: its comments, the drawing with their
// shapes, and another legacy drawing (the pictures of the header and footer), kept as it is.
struct CommentRelationships {
  const Relationship* comments = nullptr;
  const Relationship* drawing = nullptr;
  const Relationship* other_drawing = nullptr;
};

// A sheet being written, with what it was read from.
struct SheetBeingWritten {
  const Worksheet& sheet;
  int index;  // in the workbook, 1-based
  const SheetOrigin* sheet_origin;
  const PackageOrigin::SheetFromFile* read;  // null for a sheet not read from the package
  std::string part;
  const std::vector<Relationship>& relationships;  // as read
  CommentRelationships comment_relationships;
};

class SheetPartsWriter {
 public:
  SheetPartsWriter(const Workbook& book, const PackageOrigin* origin,
                   const WorkbookFingerprints* kept_prints, CellTables& tables)
      : book_(book), origin_(origin), kept_prints_(kept_prints), tables_(tables) {
    if (origin) {
      for (const std::string& entry : origin->reader.EntryNames()) taken_.insert(entry);
    }
  }

  void Write(int index) {
    SheetBeingWritten sheet = Start(index);
    const bool comments_kept = CommentsKept(sheet);
    SheetWriteContext context{
        [this](StyleTable::Id id) { return tables_.XfIndexOf(id); },
        [this](const Text& text) { return tables_.SharedStringIndexOf(text); }, "",
        TabSelected(sheet), tables_.StringFontIndex()};
    std::string relationships;  // the sheet's, when written anew
    if (comments_kept) {
      KeepComments(sheet, context);
    } else {
      relationships = WriteRelationshipsAndComments(sheet, context);
    }
    if (PartKept(sheet, comments_kept, context.tab_selected)) {
      out_.copied.push_back(sheet.part);
      out_.copied_sheets.push_back(&sheet.sheet);
    } else {
      out_.written.push_back({sheet.part, WriteSheet(sheet.sheet, context)});
    }
    if (!relationships.empty())
      out_.written.push_back({RelsOf(sheet.part), std::move(relationships)});
  }

  SheetParts Take() { return std::move(out_); }

 private:
  static inline const std::vector<Relationship> kNoRelationships;

  // The sheet keeps the part it was read from; a new one takes a name no part has.
  SheetBeingWritten Start(int index) {
    const Worksheet& sheet = book_.SheetAt(index);
    const auto* sheet_origin = dynamic_cast<const SheetOrigin*>(sheet.file_origin.get());
    const auto* read = origin_ && sheet_origin ? origin_->FromFile(sheet) : nullptr;
    std::string part =
        read ? sheet_origin->part() : TakeUniquePart(taken_, "xl/worksheets/sheet", ".xml");
    out_.sheet_parts.push_back(part);
    const std::vector<Relationship>& relationships =
        read ? origin_->sheet_relationships.at(&sheet) : kNoRelationships;
    return {sheet,
            index,
            sheet_origin,
            read,
            std::move(part),
            relationships,
            FindCommentRelationships(relationships)};
  }

  CommentRelationships FindCommentRelationships(const std::vector<Relationship>& relationships) {
    CommentRelationships found;
    for (const Relationship& r : relationships) {
      const bool modelled = origin_->modelled_parts.contains(r.target);
      const bool drawing = r.type == RelationshipType("vmlDrawing");
      if (r.type == RelationshipType("comments") && modelled && !found.comments)
        found.comments = &r;
      if (drawing && modelled && !found.drawing) found.drawing = &r;
      if (drawing && !modelled && !found.other_drawing) found.other_drawing = &r;
    }
    return found;
  }

  bool CommentsKept(const SheetBeingWritten& sheet) const {
    return kept_prints_ && sheet.read &&
           kept_prints_->comments[sheet.index - 1] == sheet.read->comments_fingerprint;
  }

  // The active sheet's tab is selected. A sheet whose part did not say so while it was the active
  // one (the workbook said it) still need not; its part changes when it becomes or stops being
  // the active sheet.
  bool TabSelected(const SheetBeingWritten& sheet) const {
    const bool active = &book_.ActiveSheet() == &sheet.sheet;
    return sheet.read && active == sheet.read->active ? sheet.sheet_origin->as_read().tab_selected
                                                      : active;
  }

  // A sheet part names its comments' drawing, which keeps its relationship when there was one,
  // and says whether its tab is selected.
  bool PartKept(const SheetBeingWritten& sheet, bool comments_kept, bool tab_selected) const {
    return kept_prints_ && sheet.read &&
           kept_prints_->sheet_parts[sheet.index - 1] == sheet.read->part_fingerprint &&
           tab_selected == sheet.sheet_origin->as_read().tab_selected &&
           (comments_kept || sheet.sheet.comments().empty() ||
            sheet.comment_relationships.drawing != nullptr);
  }

  // The comments as read, with their drawing and the sheet's relationships.
  void KeepComments(const SheetBeingWritten& sheet, SheetWriteContext& context) {
    const CommentRelationships& rels = sheet.comment_relationships;
    if (origin_->reader.Has(RelsOf(sheet.part))) out_.copied.push_back(RelsOf(sheet.part));
    if (rels.comments) {
      out_.copied.push_back(rels.comments->target);
      out_.comment_parts.push_back(rels.comments->target);
    }
    if (rels.drawing) out_.copied.push_back(rels.drawing->target);
    const Relationship* legacy = rels.drawing ? rels.drawing : rels.other_drawing;
    if (legacy) context.legacy_drawing_rid = legacy->id;
  }

  // The sheet's relationships: the original's, less comments and their drawing, which are
  // written anew under the names and ids they had. Returns them, or "" when there are none or
  // they are the original's still (every one kept or reused), which is then copied.
  std::string WriteRelationshipsAndComments(const SheetBeingWritten& sheet,
                                            SheetWriteContext& context) {
    const CommentRelationships& rels = sheet.comment_relationships;
    pugi::xml_document doc;
    const pugi::xml_node root = StartRelationships(doc);
    std::set<std::string> ids;
    bool as_read = sheet.read && origin_->reader.Has(RelsOf(sheet.part));
    const bool with_comments = !sheet.sheet.comments().empty();
    for (const Relationship& r : sheet.relationships) {
      ids.insert(r.id);
      if (r.type == RelationshipType("comments") || (r.type == RelationshipType("vmlDrawing") &&
                                                     origin_->modelled_parts.contains(r.target))) {
        as_read = as_read && with_comments && (&r == rels.comments || &r == rels.drawing);
        continue;
      }
      AddRelationship(root, r.id, r.type,
                      r.external ? r.target : RelativeTarget(sheet.part, r.target), r.external);
    }
    if (rels.other_drawing) context.legacy_drawing_rid = rels.other_drawing->id;
    if (with_comments) {
      as_read = as_read && rels.comments && rels.drawing;
      WriteComments(sheet, root, ids, context);
    }
    if (as_read) {
      out_.copied.push_back(RelsOf(sheet.part));
      return "";
    }
    return root.first_child() ? SerializeXml(doc) : "";
  }

  // The comments and their drawing, under the names and ids they had or new ones.
  void WriteComments(const SheetBeingWritten& sheet, pugi::xml_node relationships,
                     std::set<std::string>& ids, SheetWriteContext& context) {
    const CommentRelationships& rels = sheet.comment_relationships;
    const std::string comments_part =
        rels.comments ? rels.comments->target : TakeUniquePart(taken_, "xl/comments", ".xml");
    const std::string vml_part = rels.drawing
                                     ? rels.drawing->target
                                     : TakeUniquePart(taken_, "xl/drawings/vmlDrawing", ".vml");
    const std::string comments_id = rels.comments ? rels.comments->id : TakeNewId(ids);
    context.legacy_drawing_rid = rels.drawing ? rels.drawing->id : TakeNewId(ids);
    AddRelationship(relationships, comments_id, RelationshipType("comments"),
                    RelativeTarget(sheet.part, comments_part));
    AddRelationship(relationships, context.legacy_drawing_rid, RelationshipType("vmlDrawing"),
                    RelativeTarget(sheet.part, vml_part));
    pugi::xml_document comments;
    xlsx::WriteComments(sheet.sheet.comments(), comments);
    out_.written.push_back({comments_part, SerializeXml(comments)});
    const CommentDrawing* drawing = nullptr;
    if (origin_ && origin_->comment_drawings.contains(&sheet.sheet)) {
      drawing = &origin_->comment_drawings.at(&sheet.sheet);
    }
    out_.written.push_back({vml_part, WriteCommentShapes(sheet.sheet.comments(), drawing)});
    out_.comment_parts.push_back(comments_part);
    out_.any_vml = true;
  }

  const Workbook& book_;
  const PackageOrigin* origin_;
  const WorkbookFingerprints* kept_prints_;
  CellTables& tables_;
  std::set<std::string> taken_;  // part names in use
  SheetParts out_;
};

}  // namespace

void ReadSheetParts(const Relationship& part, const StylesRead& styles, PackageOrigin& origin,
                    Worksheet& sheet) {
  ReadSheet(origin.reader.Read(part.target),
            {part.target, &styles.cell_styles, &origin.shared_strings, &styles.fonts}, sheet);
  origin.modelled_parts.insert(part.target);
  origin.modelled_parts.insert(RelsOf(part.target));
  origin.sheets_from_file[&sheet] = {sheet.file_origin.get(), part.id};
  std::vector<Relationship> relationships = ReadRelationships(origin.reader, part.target);
  ReadSheetComments(relationships, origin, sheet);
  ReadCommentDrawing(relationships, origin, sheet);
  origin.sheet_relationships[&sheet] = std::move(relationships);
}

SheetParts WriteSheetParts(const Workbook& book, const PackageOrigin* origin,
                           const WorkbookFingerprints* kept_prints, CellTables& tables) {
  SheetPartsWriter writer(book, origin, kept_prints, tables);
  for (int index = 1; index <= book.SheetCount(); ++index) writer.Write(index);
  return writer.Take();
}

}  // namespace tarquel::host::xlsx
