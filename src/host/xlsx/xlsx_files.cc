#include "host/xlsx/xlsx_files.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <vector>

#include "host/host_error.h"
#include "host/platform/platform.h"
#include "host/workbook.h"
#include "host/worksheet_storage.h"
#include "host/xlsx/comments_codec.h"
#include "host/xlsx/fingerprint.h"
#include "host/xlsx/package.h"
#include "host/xlsx/shared_strings.h"
#include "host/xlsx/sheet_codec.h"
#include "host/xlsx/styles.h"
#include "host/xlsx/xml_document.h"

namespace tarquel::host::xlsx {

namespace {

constexpr char kRelationships[] = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr char kRelationshipType[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr char kContentTypes[] = "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr char kMainNamespace[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr char kOfficeRelationships[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr char kSpreadsheetType[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.";
constexpr char kPrintArea[] = "_xlnm.Print_Area";

std::string Type(const char* name) { return std::string(kRelationshipType) + name; }

constexpr std::string_view kFilePrefix = "ファイル「";

[[noreturn]] void ThrowBadPackage(const std::string& file, const std::string& what) {
  throw HostError(HostError::kApplicationDefined,
                  std::string(kFilePrefix) + file + "」をブックとして読めません。" + what);
}

// A zip of the other office file format names its kind in a "mimetype" entry (a workbook
// package never has one). It is refused for what it is, with what to do, rather than for the
// parts a workbook would have and it lacks.
void RefuseOpenDocument(const PackageReader& reader, const std::string& file) {
  if (!reader.Has("mimetype")) return;
  constexpr std::string_view kOpenDocument = "application/vnd.oasis.opendocument.";
  std::string type = reader.Read("mimetype");
  while (!type.empty() && std::isspace(static_cast<unsigned char>(type.back()))) type.pop_back();
  if (!type.starts_with(kOpenDocument)) return;
  const std::string kind = type.substr(kOpenDocument.size());
  if (kind == "spreadsheet" || kind == "spreadsheet-template") {
    throw HostError(HostError::kApplicationDefined,
                    std::string(kFilePrefix) + file +
                        "」は OpenDocument 形式の表計算ファイル（.ods）のため開けません。"
                        "このファイルを作成したソフトで開き、ファイルの種類に「.xlsx」を選んで "
                        "xlsx 形式で保存し直して下さい。");
  }
  // Another kind (a text document, a presentation) holds no workbook to save; the type is
  // shown only when it is a plain name, since it comes from the file.
  const bool plain = kind.size() <= 40 && std::all_of(kind.begin(), kind.end(), [](char c) {
                       return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
                     });
  throw HostError(HostError::kApplicationDefined,
                  std::string(kFilePrefix) + file + "」は OpenDocument 形式の" +
                      (plain ? "文書（" + kind + "）" : std::string("文書")) +
                      "で、ブック（.xlsx）ではありません。");
}

// The folder of a part ("xl/worksheets/sheet1.xml" -> "xl/worksheets/").
std::string FolderOf(const std::string& part) {
  const std::size_t slash = part.rfind('/');
  return slash == std::string::npos ? "" : part.substr(0, slash + 1);
}

// A relationship's target as a part name: relative to the source's folder, or absolute.
std::string ResolveTarget(const std::string& source_part, const std::string& target) {
  std::string path = target.starts_with("/") ? target.substr(1) : FolderOf(source_part) + target;
  std::vector<std::string> segments;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = path.find('/', start);
    const std::string segment = path.substr(start, slash - start);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  std::string resolved;
  for (const std::string& segment : segments) resolved += (resolved.empty() ? "" : "/") + segment;
  return resolved;
}

// The part's relationships part ("xl/workbook.xml" -> "xl/_rels/workbook.xml.rels").
std::string RelsOf(const std::string& part) {
  const std::size_t slash = part.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? part : part.substr(slash + 1);
  return folder + "_rels/" + name + ".rels";
}

// Relative target for a relationship from `source` to `target` when both sit in xl/.
std::string RelativeTarget(const std::string& source, const std::string& target) {
  const std::string folder = FolderOf(source);
  if (target.starts_with(folder)) return target.substr(folder.size());
  return "/" + target;
}

struct Relationship {
  std::string id;
  std::string type;
  std::string target;  // resolved part name, or the raw target for external ones
  bool external = false;
};

std::vector<Relationship> ReadRelationships(const PackageReader& reader, const std::string& part) {
  std::vector<Relationship> relationships;
  const std::string rels = RelsOf(part);
  if (!reader.Has(rels)) return relationships;
  pugi::xml_document doc;
  ParseXml(reader.Read(rels), rels, doc);
  for (pugi::xml_node rel : doc.child("Relationships").children("Relationship")) {
    Relationship r{rel.attribute("Id").value(), rel.attribute("Type").value(),
                   rel.attribute("Target").value(),
                   std::string(rel.attribute("TargetMode").value()) == "External"};
    if (!r.external) r.target = ResolveTarget(part, r.target);
    relationships.push_back(std::move(r));
  }
  return relationships;
}

const Relationship* FindByType(const std::vector<Relationship>& relationships,
                               const std::string& type) {
  for (const Relationship& r : relationships) {
    if (r.type == type) return &r;
  }
  return nullptr;
}

// A sheet of a kind the host does not model (a chart sheet, a dialog or macro sheet): its entry
// in the workbook's sheet list, kept in front of the worksheet it stood before (null: at the
// end). Its parts and relationship are carried over unchanged.
struct KeptSheet {
  std::string xml;
  const Worksheet* before = nullptr;
};

// A defined name of the original workbook that the host does not model, with the sheet its
// localSheetId named (a worksheet, or the index of a kept sheet) so the index can follow when
// sheets are added.
struct KeptName {
  std::string xml;
  const Worksheet* sheet = nullptr;
  int kept_sheet = -1;
};

class PackageOrigin : public FileOrigin {
 public:
  explicit PackageOrigin(PackageReader package) : reader(std::move(package)) {}

  PackageReader reader;
  std::string workbook_part;
  pugi::xml_document content_types;
  pugi::xml_document workbook;
  pugi::xml_document styles;
  bool has_styles = false;
  std::vector<Relationship> workbook_relationships;
  std::map<const Worksheet*, std::vector<Relationship>> sheet_relationships;
  std::map<const Worksheet*, CommentDrawing> comment_drawings;  // as read, for their shapes
  std::map<const Worksheet*, std::string> sheet_ids;
  std::vector<KeptName> defined_names;
  std::vector<KeptSheet> kept_sheets;
  std::set<std::string> modelled_parts;  // parts the writer regenerates or drops
  uint64_t fingerprint = 0;              // of the workbook as read
  // What the file's parts said, to tell at saving which of them still say it: a sheet part whose
  // sheet has not changed since, and the style sheet and shared strings when nothing was added to
  // them, are written as the bytes read.
  struct SheetFromFile {
    const FileOrigin* part_origin = nullptr;  // the sheet's own origin, set when it was read
    std::string relationship_id;              // in the workbook's relationships
    uint64_t part_fingerprint = 0;
    uint64_t comments_fingerprint = 0;
    bool active = false;  // the workbook's active sheet then
  };
  std::map<const Worksheet*, SheetFromFile> sheets_from_file;
  std::string styles_part;                // "" when the file had none
  std::vector<StyleTable::Id> xf_styles;  // the style of each of its cell formats
  std::string shared_strings_part;        // "" when the file had none
  std::vector<Text> shared_strings;       // its items, by index

  // The sheet as read from this file, or null for one that was not (a sheet added since, or one
  // that only took the place in memory of a sheet that was).
  const SheetFromFile* FromFile(const Worksheet& sheet) const {
    auto it = sheets_from_file.find(&sheet);
    if (it == sheets_from_file.end() || it->second.part_origin != sheet.file_origin.get() ||
        sheet.file_origin == nullptr) {
      return nullptr;
    }
    return &it->second;
  }
};

std::string QuotedSheetName(const std::string& name) {
  std::string quoted = "'";
  for (char c : name) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

// "'Sheet 1'!$A$1:$U$24,'Sheet 1'!$A$30:$B$31" -> "$A$1:$U$24,$A$30:$B$31".
std::string WithoutSheetNames(const std::string& reference) {
  std::string result;
  std::string area;
  bool quoted = false;
  for (char c : reference) {
    if (c == '\'') quoted = !quoted;
    if (!quoted && c == '!') {
      area.clear();
      continue;
    }
    if (!quoted && c == ',') {
      result += (result.empty() ? "" : ",") + area;
      area.clear();
      continue;
    }
    area += c;
  }
  return result + (result.empty() ? "" : ",") + area;
}

// The sheets of the workbook's list in order: a worksheet, or the index of a kept sheet.
struct ListedSheet {
  Worksheet* worksheet = nullptr;
  int kept = -1;
};

void ReadDefinedNames(const pugi::xml_node& workbook, const std::vector<ListedSheet>& listed,
                      PackageOrigin& origin) {
  for (pugi::xml_node name : workbook.child("definedNames").children("definedName")) {
    const pugi::xml_attribute local = name.attribute("localSheetId");
    Worksheet* sheet = nullptr;
    int kept_sheet = -1;
    if (local && local.as_uint() < listed.size()) {
      sheet = listed[local.as_uint()].worksheet;
      kept_sheet = listed[local.as_uint()].kept;
    }
    if (std::string(name.attribute("name").value()) == kPrintArea && sheet != nullptr) {
      const std::string area = WithoutSheetNames(name.text().get());
      if (ParseA1Reference(area, sheet->RowCount(), sheet->ColumnCount())) {
        sheet->SetPrintArea(area);
        continue;
      }
    }
    std::ostringstream xml;
    name.print(xml, "", pugi::format_raw);
    origin.defined_names.push_back({xml.str(), sheet, kept_sheet});
  }
}

}  // namespace

void XlsxFiles::ReadPackage(std::string bytes, const std::string& name, Workbook& into) {
  try {
    ReadParts(std::move(bytes), name, into);
  } catch (const HostError& error) {
    // The parts' readers name the part and the place; the file is named here, once.
    if (error.description().starts_with(kFilePrefix)) throw;
    ThrowBadPackage(name, error.description());
  }
}

void XlsxFiles::ReadParts(std::string bytes, const std::string& name, Workbook& into) {
  auto origin = std::make_shared<PackageOrigin>(PackageReader::Open(std::move(bytes), name));
  const PackageReader& reader = origin->reader;
  RefuseOpenDocument(reader, name);
  if (!reader.Has("[Content_Types].xml"))
    ThrowBadPackage(name, "[Content_Types].xml がありません。");
  ParseXml(reader.Read("[Content_Types].xml"), "[Content_Types].xml", origin->content_types);
  const std::vector<Relationship> package_relationships = ReadRelationships(reader, "");
  const Relationship* document = FindByType(package_relationships, Type("officeDocument"));
  origin->workbook_part = document ? document->target : "xl/workbook.xml";
  if (!reader.Has(origin->workbook_part)) {
    ThrowBadPackage(name, "ブックの本体（" + origin->workbook_part + "）がありません。");
  }
  ParseXml(reader.Read(origin->workbook_part), origin->workbook_part, origin->workbook);
  origin->workbook_relationships = ReadRelationships(reader, origin->workbook_part);
  origin->modelled_parts = {"[Content_Types].xml", origin->workbook_part,
                            RelsOf(origin->workbook_part)};

  StylesRead styles;
  if (const Relationship* r = FindByType(origin->workbook_relationships, Type("styles"));
      r && reader.Has(r->target)) {
    ParseXml(reader.Read(r->target), r->target, origin->styles);
    styles = ReadStyles(origin->styles, into.styles());
    origin->has_styles = true;
    origin->styles_part = r->target;
    origin->xf_styles = styles.cell_styles;
    origin->modelled_parts.insert(r->target);
  } else {
    styles.cell_styles = {StyleTable::kDefault};
  }
  // The sheets as the workbook lists them, each checked before any is read.
  struct SheetEntry {
    pugi::xml_node entry;
    const Relationship* rel;
  };
  const pugi::xml_node workbook = origin->workbook.child("workbook");
  std::vector<SheetEntry> entries;
  // Where each kept sheet stands: before the worksheet of this index in `entries`.
  std::vector<std::size_t> kept_before;
  std::vector<ListedSheet> listed;
  for (pugi::xml_node entry : workbook.child("sheets").children("sheet")) {
    const std::string sheet_name = entry.attribute("name").value();
    const std::string rid = entry.attribute("r:id").value();
    const Relationship* rel = nullptr;
    for (const Relationship& r : origin->workbook_relationships) {
      if (r.id == rid) rel = &r;
    }
    if (rel == nullptr) {
      ThrowBadPackage(name, "シート「" + sheet_name + "」の本体がありません。");
    }
    if (rel->type != Type("worksheet")) {
      std::ostringstream xml;
      entry.print(xml, "", pugi::format_raw);
      kept_before.push_back(entries.size());
      listed.push_back({nullptr, static_cast<int>(origin->kept_sheets.size())});
      origin->kept_sheets.push_back({xml.str(), nullptr});
      continue;
    }
    if (!reader.Has(rel->target))
      ThrowBadPackage(name, "シート「" + sheet_name + "」の本体がありません。");
    listed.push_back({nullptr, -1});
    entries.push_back({entry, rel});
  }
  std::vector<Text> strings;
  if (const Relationship* r = FindByType(origin->workbook_relationships, Type("sharedStrings"));
      r && reader.Has(r->target)) {
    strings = ReadSharedStrings(reader.Read(r->target), r->target, &styles.fonts);
    origin->shared_strings_part = r->target;
    origin->modelled_parts.insert(r->target);
  }
  if (const Relationship* r = FindByType(origin->workbook_relationships, Type("calcChain"))) {
    origin->modelled_parts.insert(r->target);  // a cache of the host that wrote it: dropped
  }

  std::vector<Worksheet*> sheets;
  for (std::size_t index = 0; index < entries.size(); ++index) {
    const pugi::xml_node entry = entries[index].entry;
    const Relationship* rel = entries[index].rel;
    const std::string sheet_name = entry.attribute("name").value();
    Worksheet* sheet = nullptr;
    try {
      sheet = &into.InsertSheet(into.SheetCount() + 1, sheet_name);
    } catch (const HostError& error) {
      ThrowBadPackage(name, error.description());
    }
    const std::string state = entry.attribute("state").value();
    if (state == "hidden") sheet->SetVisibility(SheetVisibility::kHidden);
    if (state == "veryHidden") sheet->SetVisibility(SheetVisibility::kVeryHidden);
    ReadSheet(reader.Read(rel->target), {rel->target, &styles.cell_styles, &strings, &styles.fonts},
              *sheet);
    origin->modelled_parts.insert(rel->target);
    origin->modelled_parts.insert(RelsOf(rel->target));
    origin->sheet_ids[sheet] = entry.attribute("sheetId").value();
    origin->sheets_from_file[sheet] = {sheet->file_origin.get(), rel->id};
    std::vector<Relationship> relationships = ReadRelationships(reader, rel->target);
    for (const Relationship& r : relationships) {
      if (r.type == Type("comments") && reader.Has(r.target)) {
        pugi::xml_document comments;
        ParseXml(reader.Read(r.target), r.target, comments);
        sheet->comments() = ReadComments(comments, r.target);
        origin->modelled_parts.insert(r.target);
      }
    }
    // The comments' drawing is the one with their shapes; another (the pictures of the header
    // and footer) is kept as it is.
    for (const Relationship& r : relationships) {
      if (r.type == Type("vmlDrawing") && reader.Has(r.target) && !sheet->comments().empty() &&
          !origin->comment_drawings.contains(sheet)) {
        if (auto drawing = ReadCommentShapes(reader.Read(r.target), sheet->comments())) {
          origin->comment_drawings.emplace(sheet, std::move(*drawing));
          origin->modelled_parts.insert(r.target);
        }
      }
    }
    origin->sheet_relationships[sheet] = std::move(relationships);
    sheets.push_back(sheet);
  }
  if (sheets.empty()) ThrowBadPackage(name, "ワークシートがありません。");
  for (std::size_t k = 0; k < kept_before.size(); ++k) {
    if (kept_before[k] < sheets.size()) origin->kept_sheets[k].before = sheets[kept_before[k]];
  }
  for (std::size_t i = 0, next = 0; i < listed.size(); ++i) {
    if (listed[i].kept < 0) listed[i].worksheet = sheets[next++];
  }
  ReadDefinedNames(workbook, listed, *origin);
  // The active tab counts every sheet of the list; a kept sheet cannot be shown, so the next
  // worksheet is.
  const uint32_t active =
      workbook.child("bookViews").child("workbookView").attribute("activeTab").as_uint(0);
  Worksheet* active_sheet = nullptr;
  for (std::size_t i = std::min<std::size_t>(active, listed.size() - 1); i < listed.size(); ++i) {
    if ((active_sheet = listed[i].worksheet) != nullptr) break;
  }
  Worksheet& shown = active_sheet ? *active_sheet : *sheets.back();
  if (shown.visibility() == SheetVisibility::kVisible) into.ActivateSheet(shown);
  const WorkbookFingerprints prints = TakeFingerprints(into);
  origin->fingerprint = prints.workbook;
  for (int index = 1; index <= into.SheetCount(); ++index) {
    const Worksheet& sheet = into.SheetAt(index);
    PackageOrigin::SheetFromFile& read = origin->sheets_from_file.at(&sheet);
    read.part_fingerprint = prints.sheet_parts[index - 1];
    read.comments_fingerprint = prints.comments[index - 1];
    read.active = &sheet == &into.ActiveSheet();
  }
  // Kept for a save that writes some sheets anew and copies others: the texts keep their
  // indices.
  origin->shared_strings = std::move(strings);
  into.file_origin = std::move(origin);
}

namespace {

struct WrittenPart {
  std::string name;
  std::string bytes;
};

std::string UniquePart(const std::set<std::string>& taken, const std::string& prefix,
                       const std::string& extension) {
  for (int n = 1;; ++n) {
    const std::string name = prefix + std::to_string(n) + extension;
    if (!taken.contains(name)) return name;
  }
}

void AddRelationship(pugi::xml_node rels, const std::string& id, const std::string& type,
                     const std::string& target, bool external = false) {
  pugi::xml_node rel = rels.append_child("Relationship");
  rel.append_attribute("Id") = id.c_str();
  rel.append_attribute("Type") = type.c_str();
  rel.append_attribute("Target") = target.c_str();
  if (external) rel.append_attribute("TargetMode") = "External";
}

// How many cells of the sheet refer to the shared strings: texts that are not a formula's.
std::size_t SharedStringCells(const Worksheet& sheet) {
  std::size_t count = 0;
  sheet.ForEachCell({1, 1, std::max(1, sheet.LastRowWithCells()), kMaxFileColumns},
                    [&count](int32_t, const Cell& cell) {
                      if (cell.value.IsText() && !cell.formula) ++count;
                    });
  return count;
}

std::string NewRelationshipId(const std::set<std::string>& taken) {
  for (int n = 1;; ++n) {
    const std::string id = "rId" + std::to_string(n);
    if (!taken.contains(id)) return id;
  }
}

}  // namespace

std::string XlsxFiles::WritePackage(const Workbook& book, WriteMode mode) {
  const auto* origin = dynamic_cast<const PackageOrigin*>(book.file_origin.get());
  // Parts whose content has not changed since they were read are written as the bytes read.
  const bool keep = origin != nullptr && mode == WriteMode::kKeepUnchangedFile;
  WorkbookFingerprints prints;
  if (keep) {
    prints = TakeFingerprints(book);
    // Nothing the writer would take from the workbook has changed: the file as read says it all,
    // byte for byte.
    if (prints.workbook == origin->fingerprint) return origin->reader.bytes();
  }
  std::set<std::string> taken;  // part names in use
  if (origin) {
    for (const std::string& entry : origin->reader.EntryNames()) taken.insert(entry);
  }
  const std::string workbook_part = origin ? origin->workbook_part : "xl/workbook.xml";
  // The file's cell formats and texts keep their indices, so that the parts copied still refer to
  // the right ones, and a sheet written anew refers to them as the file did; what is new comes
  // after them.
  const bool has_styles = origin && origin->has_styles;
  StylesWriter styles(book.styles(), has_styles ? &origin->styles : nullptr,
                      has_styles ? &origin->xf_styles : nullptr);
  SharedStringTable strings([&styles](const Font& font) { return styles.FontIndexOf(font); });
  bool file_strings_kept = false;  // taken in with the first text written, as few saves need them
  auto shared_string = [&](const Text& text) {
    if (!file_strings_kept && origin) strings.KeepFileItems(origin->shared_strings);
    file_strings_kept = true;
    return static_cast<uint32_t>(strings.Add(text));
  };
  std::vector<WrittenPart> parts;
  std::vector<std::string> copied;  // parts of the original written as they were read
  std::vector<const Worksheet*> copied_sheets;
  std::vector<std::string> sheet_parts;
  std::vector<std::string> comment_parts;
  bool any_vml = false;

  for (int index = 1; index <= book.SheetCount(); ++index) {
    const Worksheet& sheet = book.SheetAt(index);
    const auto* sheet_origin = dynamic_cast<const SheetOrigin*>(sheet.file_origin.get());
    const PackageOrigin::SheetFromFile* read =
        origin && sheet_origin ? origin->FromFile(sheet) : nullptr;
    std::string part;
    if (read) {
      part = sheet_origin->part();
    } else {
      part = UniquePart(taken, "xl/worksheets/sheet", ".xml");
      taken.insert(part);
    }
    sheet_parts.push_back(part);
    // The comments' parts as read, and another legacy drawing (the pictures of the header and
    // footer), which is kept as it is.
    const std::vector<Relationship> no_relationships;
    const std::vector<Relationship>& original_relationships =
        read ? origin->sheet_relationships.at(&sheet) : no_relationships;
    const Relationship* comments_rel = nullptr;
    const Relationship* drawing_rel = nullptr;
    const Relationship* other_drawing_rel = nullptr;
    for (const Relationship& r : original_relationships) {
      const bool modelled = origin->modelled_parts.contains(r.target);
      if (r.type == Type("comments") && modelled && !comments_rel) comments_rel = &r;
      if (r.type == Type("vmlDrawing") && modelled && !drawing_rel) drawing_rel = &r;
      if (r.type == Type("vmlDrawing") && !modelled && !other_drawing_rel) other_drawing_rel = &r;
    }
    const bool comments_kept =
        keep && read && prints.comments[index - 1] == read->comments_fingerprint;
    // The active sheet's tab is selected. A sheet whose part did not say so while it was the active
    // one (the workbook said it) still need not; its part changes when it becomes or stops being
    // the active sheet.
    const bool active = &book.ActiveSheet() == &sheet;
    const bool tab_selected =
        read && active == read->active ? sheet_origin->as_read().tab_selected : active;
    // A sheet part names its comments' drawing, which keeps its relationship when there was one,
    // and says whether its tab is selected.
    const bool part_kept = keep && read &&
                           prints.sheet_parts[index - 1] == read->part_fingerprint &&
                           tab_selected == sheet_origin->as_read().tab_selected &&
                           (comments_kept || sheet.comments().empty() || drawing_rel != nullptr);
    SheetWriteContext context{[&styles](StyleTable::Id id) { return styles.XfIndexOf(id); },
                              shared_string, "", tab_selected};
    std::string rels_bytes;  // the sheet's relationships, when written anew
    if (comments_kept) {
      // The comments as read, with their drawing and the sheet's relationships.
      if (origin->reader.Has(RelsOf(part))) copied.push_back(RelsOf(part));
      if (comments_rel) {
        copied.push_back(comments_rel->target);
        comment_parts.push_back(comments_rel->target);
      }
      if (drawing_rel) copied.push_back(drawing_rel->target);
      const Relationship* legacy = drawing_rel ? drawing_rel : other_drawing_rel;
      if (legacy) context.legacy_drawing_rid = legacy->id;
    } else {
      // The sheet's relationships: the original's, less comments and their drawing, which are
      // written anew under the names and ids they had.
      pugi::xml_document rels;
      pugi::xml_node root = rels.append_child("Relationships");
      root.append_attribute("xmlns") = kRelationships;
      std::set<std::string> ids;
      // Whether the relationships are the original's still, every one of them kept or reused.
      bool as_read = read && origin->reader.Has(RelsOf(part));
      const bool with_comments = !sheet.comments().empty();
      for (const Relationship& r : original_relationships) {
        ids.insert(r.id);
        if (r.type == Type("comments") ||
            (r.type == Type("vmlDrawing") && origin->modelled_parts.contains(r.target))) {
          as_read = as_read && with_comments && (&r == comments_rel || &r == drawing_rel);
          continue;
        }
        AddRelationship(root, r.id, r.type, r.external ? r.target : RelativeTarget(part, r.target),
                        r.external);
      }
      if (other_drawing_rel) context.legacy_drawing_rid = other_drawing_rel->id;
      if (with_comments) {
        as_read = as_read && comments_rel && drawing_rel;
        auto name = [&taken](const Relationship* kept, const char* prefix, const char* extension) {
          if (kept) return kept->target;
          const std::string unique = UniquePart(taken, prefix, extension);
          taken.insert(unique);
          return unique;
        };
        auto id = [&ids](const Relationship* kept) {
          if (kept) return kept->id;
          const std::string unique = NewRelationshipId(ids);
          ids.insert(unique);
          return unique;
        };
        const std::string comments_part = name(comments_rel, "xl/comments", ".xml");
        const std::string vml_part = name(drawing_rel, "xl/drawings/vmlDrawing", ".vml");
        const std::string comments_id = id(comments_rel);
        context.legacy_drawing_rid = id(drawing_rel);
        AddRelationship(root, comments_id, Type("comments"), RelativeTarget(part, comments_part));
        AddRelationship(root, context.legacy_drawing_rid, Type("vmlDrawing"),
                        RelativeTarget(part, vml_part));
        pugi::xml_document comments;
        WriteComments(sheet.comments(), comments);
        parts.push_back({comments_part, SerializeXml(comments)});
        const CommentDrawing* drawing = nullptr;
        if (origin && origin->comment_drawings.contains(&sheet)) {
          drawing = &origin->comment_drawings.at(&sheet);
        }
        parts.push_back({vml_part, WriteCommentShapes(sheet.comments(), drawing)});
        comment_parts.push_back(comments_part);
        any_vml = true;
      }
      if (as_read) {
        copied.push_back(RelsOf(part));
      } else if (root.first_child()) {
        rels_bytes = SerializeXml(rels);
      }
    }
    if (part_kept) {
      copied.push_back(part);
      copied_sheets.push_back(&sheet);
    } else {
      parts.push_back({part, WriteSheet(sheet, context)});
    }
    if (!rels_bytes.empty()) parts.push_back({RelsOf(part), std::move(rels_bytes)});
  }

  // The shared strings first: the fonts of their phonetic guides join the style sheet's fonts.
  // The file's part is kept when no text was added; the part is left out when the file had none
  // and no cell needs one.
  const bool had_strings = origin && !origin->shared_strings_part.empty();
  const std::string sst_part = had_strings ? origin->shared_strings_part : "xl/sharedStrings.xml";
  const bool copy_strings = keep && had_strings && strings.items().size() == strings.file_items();
  const bool write_strings = !copy_strings && (had_strings || !strings.items().empty());
  std::string sst_bytes;
  if (write_strings) {
    // The cells of the sheets copied use the table too.
    for (const Worksheet* sheet : copied_sheets) strings.CountUses(SharedStringCells(*sheet));
    sst_bytes = WriteSharedStrings(strings);
  }
  const std::string styles_part = has_styles ? origin->styles_part : "xl/styles.xml";
  const bool copy_styles = keep && has_styles && !styles.AddedToOriginal();
  pugi::xml_document styles_doc;
  if (!copy_styles) styles.Write(styles_doc);

  // The workbook part: the original's elements, with the sheets, names and active tab anew.
  pugi::xml_document workbook_doc;
  pugi::xml_node workbook;
  if (origin) {
    workbook = workbook_doc.append_copy(origin->workbook.child("workbook"));
    // The sheets are written with r:id; some writers declare that prefix on each element
    // rather than on the root.
    if (!workbook.attribute("xmlns:r")) workbook.append_attribute("xmlns:r") = kOfficeRelationships;
  } else {
    workbook = workbook_doc.append_child("workbook");
    workbook.append_attribute("xmlns") = kMainNamespace;
    workbook.append_attribute("xmlns:r") = kOfficeRelationships;
    workbook.append_child("bookViews").append_child("workbookView");
    workbook.append_child("sheets");
  }
  pugi::xml_node sheets =
      workbook.child("sheets") ? workbook.child("sheets") : workbook.append_child("sheets");
  while (sheets.first_child()) sheets.remove_child(sheets.first_child());
  pugi::xml_document workbook_rels;
  pugi::xml_node wb_rels = workbook_rels.append_child("Relationships");
  wb_rels.append_attribute("xmlns") = kRelationships;
  std::set<std::string> wb_ids;
  if (origin) {
    for (const Relationship& r : origin->workbook_relationships) {
      if (r.type == Type("worksheet") || r.type == Type("styles") ||
          r.type == Type("sharedStrings") || r.type == Type("calcChain")) {
        continue;
      }
      AddRelationship(wb_rels, r.id, r.type,
                      r.external ? r.target : RelativeTarget(workbook_part, r.target), r.external);
      wb_ids.insert(r.id);
    }
    // The sheets read, the style sheet and the shared strings keep their relationships' ids.
    for (int index = 1; index <= book.SheetCount(); ++index) {
      if (const auto* read = origin->FromFile(book.SheetAt(index)))
        wb_ids.insert(read->relationship_id);
    }
    for (const char* type : {"styles", "sharedStrings"}) {
      if (const Relationship* r = FindByType(origin->workbook_relationships, Type(type))) {
        wb_ids.insert(r->id);
      }
    }
  }
  // The kept sheets' entries, each written in front of the worksheet it stood before, or at the
  // end when that one is gone; positions count them, as localSheetId and activeTab do.
  const std::vector<KeptSheet> no_kept_sheets;
  const std::vector<KeptSheet>& kept_sheets = origin ? origin->kept_sheets : no_kept_sheets;
  std::vector<pugi::xml_document> kept_entries(kept_sheets.size());
  int next_sheet_id = 1;
  for (std::size_t k = 0; k < kept_sheets.size(); ++k) {
    kept_entries[k].load_string(kept_sheets[k].xml.c_str());
    next_sheet_id =
        std::max(next_sheet_id, kept_entries[k].first_child().attribute("sheetId").as_int(0) + 1);
  }
  if (origin) {
    for (const auto& [sheet, id] : origin->sheet_ids)
      next_sheet_id = std::max(next_sheet_id, std::stoi(id) + 1);
  }
  std::map<const Worksheet*, int> sheet_index;
  std::vector<int> kept_index(kept_sheets.size(), -1);
  int position = 0;
  auto write_kept_before = [&](const Worksheet* worksheet) {
    for (std::size_t k = 0; k < kept_sheets.size(); ++k) {
      const bool placed =
          kept_sheets[k].before == worksheet || (worksheet == nullptr && kept_index[k] < 0);
      if (!placed || kept_index[k] >= 0 || !kept_entries[k].first_child()) continue;
      sheets.append_copy(kept_entries[k].first_child());
      kept_index[k] = position++;
    }
  };
  for (int index = 1; index <= book.SheetCount(); ++index) {
    const Worksheet& sheet = book.SheetAt(index);
    write_kept_before(&sheet);
    sheet_index[&sheet] = position++;
    const auto* read = origin ? origin->FromFile(sheet) : nullptr;
    const std::string rid = read ? read->relationship_id : NewRelationshipId(wb_ids);
    wb_ids.insert(rid);
    AddRelationship(wb_rels, rid, Type("worksheet"),
                    RelativeTarget(workbook_part, sheet_parts[index - 1]));
    pugi::xml_node entry = sheets.append_child("sheet");
    entry.append_attribute("name") = sheet.Name().c_str();
    std::string id = read ? origin->sheet_ids.at(&sheet) : std::to_string(next_sheet_id++);
    entry.append_attribute("sheetId") = id.c_str();
    if (sheet.visibility() == SheetVisibility::kHidden) entry.append_attribute("state") = "hidden";
    if (sheet.visibility() == SheetVisibility::kVeryHidden)
      entry.append_attribute("state") = "veryHidden";
    entry.append_attribute("r:id") = rid.c_str();
  }
  write_kept_before(nullptr);
  for (const char* type : {"styles", "sharedStrings"}) {
    const bool is_styles = std::string(type) == "styles";
    if (!is_styles && !copy_strings && !write_strings) continue;
    const Relationship* kept =
        origin ? FindByType(origin->workbook_relationships, Type(type)) : nullptr;
    const std::string rid = kept ? kept->id : NewRelationshipId(wb_ids);
    wb_ids.insert(rid);
    AddRelationship(wb_rels, rid, Type(type),
                    RelativeTarget(workbook_part, is_styles ? styles_part : sst_part));
  }
  // Defined names: the kept ones with their sheet's new index, and the print areas.
  workbook.remove_child("definedNames");
  pugi::xml_document names_doc;
  pugi::xml_node names = names_doc.append_child("definedNames");
  if (origin) {
    for (const KeptName& kept : origin->defined_names) {
      pugi::xml_document one;
      if (!one.load_string(kept.xml.c_str())) continue;
      pugi::xml_node name = names.append_copy(one.first_child());
      if (kept.sheet != nullptr) {
        if (!sheet_index.contains(kept.sheet)) {
          names.remove_child(name);
          continue;
        }
        name.attribute("localSheetId").set_value(sheet_index.at(kept.sheet));
      } else if (kept.kept_sheet >= 0) {
        name.attribute("localSheetId").set_value(kept_index[kept.kept_sheet]);
      }
    }
  }
  for (int index = 1; index <= book.SheetCount(); ++index) {
    const Worksheet& sheet = book.SheetAt(index);
    if (sheet.print_area().empty()) continue;
    std::string reference;
    for (const CellRect& area : sheet.print_area()) {
      if (!reference.empty()) reference += ",";
      reference +=
          QuotedSheetName(sheet.Name()) + "!" + FormatAddress(area, ReferenceStyle::kA1, true);
    }
    pugi::xml_node name = names.append_child("definedName");
    name.append_attribute("name") = kPrintArea;
    name.append_attribute("localSheetId") = sheet_index.at(&sheet);
    name.text() = reference.c_str();
  }
  if (names.first_child()) {
    // Defined names follow the sheets in the workbook's element order.
    workbook.insert_copy_after(names, sheets);
  }
  pugi::xml_node view = workbook.child("bookViews").child("workbookView");
  if (view) {
    view.remove_attribute("activeTab");
    view.remove_attribute("firstSheet");
    const int active_tab = sheet_index.at(&book.ActiveSheet());
    if (active_tab > 0) view.append_attribute("activeTab") = active_tab;
  }

  // Content types: the original's defaults and overrides, less those of parts no longer written
  // (a sheet deleted, the calculation chain), plus those of new parts. When that is all the
  // original's, its bytes are kept.
  std::vector<std::pair<std::string, std::string>> overrides;  // part, type
  for (const std::string& part : sheet_parts) overrides.emplace_back(part, "worksheet+xml");
  overrides.emplace_back(styles_part, "styles+xml");
  if (copy_strings || write_strings) overrides.emplace_back(sst_part, "sharedStrings+xml");
  for (const std::string& part : comment_parts) overrides.emplace_back(part, "comments+xml");
  pugi::xml_document types;
  pugi::xml_node types_root;
  bool types_changed = !keep;
  std::set<std::string> overridden;
  if (origin) {
    types_root = types.append_copy(origin->content_types.child("Types"));
    std::set<std::string> wanted;
    for (const auto& [part, type] : overrides) wanted.insert(part);
    std::vector<pugi::xml_node> stale;
    for (pugi::xml_node o : types_root.children("Override")) {
      std::string part = o.attribute("PartName").value();
      if (part.starts_with("/")) part = part.substr(1);
      if (origin->modelled_parts.contains(part) && part != workbook_part &&
          !wanted.contains(part)) {
        stale.push_back(o);
      } else {
        overridden.insert(part);
      }
    }
    for (pugi::xml_node o : stale) types_root.remove_child(o);
    types_changed = types_changed || !stale.empty();
  } else {
    types_root = types.append_child("Types");
    types_root.append_attribute("xmlns") = kContentTypes;
    pugi::xml_node o = types_root.append_child("Override");
    o.append_attribute("PartName") = ("/" + workbook_part).c_str();
    o.append_attribute("ContentType") = (std::string(kSpreadsheetType) + "sheet.main+xml").c_str();
  }
  auto has_default = [&](const char* extension) {
    for (pugi::xml_node d : types_root.children("Default")) {
      if (std::string(d.attribute("Extension").value()) == extension) return true;
    }
    return false;
  };
  auto add_default = [&](const char* extension, const char* type) {
    if (has_default(extension)) return;
    pugi::xml_node d = types_root.prepend_child("Default");
    d.append_attribute("Extension") = extension;
    d.append_attribute("ContentType") = type;
    types_changed = true;
  };
  add_default("xml", "application/xml");
  add_default("rels", "application/vnd.openxmlformats-package.relationships+xml");
  if (any_vml) add_default("vml", "application/vnd.openxmlformats-officedocument.vmlDrawing");
  for (const auto& [part, type] : overrides) {
    if (overridden.contains(part)) continue;
    pugi::xml_node o = types_root.append_child("Override");
    o.append_attribute("PartName") = ("/" + part).c_str();
    o.append_attribute("ContentType") = (kSpreadsheetType + type).c_str();
    types_changed = true;
  }

  PackageWriter writer;
  if (types_changed) {
    writer.Add("[Content_Types].xml", SerializeXml(types));
  } else {
    writer.CopyFrom(origin->reader, "[Content_Types].xml");
  }
  std::set<std::string> written{"[Content_Types].xml"};
  if (origin && origin->reader.Has("_rels/.rels")) {
    writer.CopyFrom(origin->reader, "_rels/.rels");
  } else {
    pugi::xml_document root_rels;
    pugi::xml_node rels = root_rels.append_child("Relationships");
    rels.append_attribute("xmlns") = kRelationships;
    AddRelationship(rels, "rId1", Type("officeDocument"), workbook_part);
    writer.Add("_rels/.rels", SerializeXml(root_rels));
  }
  written.insert("_rels/.rels");
  writer.Add(workbook_part, SerializeXml(workbook_doc));
  writer.Add(RelsOf(workbook_part), SerializeXml(workbook_rels));
  written.insert({workbook_part, RelsOf(workbook_part)});
  if (copy_styles) {
    copied.push_back(styles_part);
  } else {
    writer.Add(styles_part, SerializeXml(styles_doc));
    written.insert(styles_part);
  }
  if (copy_strings) {
    copied.push_back(sst_part);
  } else if (write_strings) {
    writer.Add(sst_part, std::move(sst_bytes));
    written.insert(sst_part);
  }
  for (WrittenPart& part : parts) {
    writer.Add(part.name, std::move(part.bytes));
    written.insert(part.name);
  }
  for (const std::string& entry : copied) {
    // A drawing two sheets' relationships name is copied once.
    if (written.insert(entry).second) writer.CopyFrom(origin->reader, entry);
  }
  // Everything else of the original, byte for byte.
  if (origin) {
    for (const std::string& entry : origin->reader.EntryNames()) {
      if (written.contains(entry) || origin->modelled_parts.contains(entry) || entry.ends_with("/"))
        continue;
      writer.CopyFrom(origin->reader, entry);
    }
  }
  return writer.Finish();
}

void XlsxFiles::Load(const std::string& path, Workbook& into) {
  PlatformError error;
  std::optional<std::string> bytes = platform_->ReadFile(path, &error);
  if (!bytes) {
    // The path is the full name the caller opened, worded as the host words a missing file.
    if (error.not_found)
      throw HostError(HostError::kFileNotFound, "「" + path + "」が見つかりません。");
    throw HostError(HostError::kPathFileAccess,
                    "ファイル「" + path + "」を開けません。" + error.message);
  }
  ReadPackage(std::move(*bytes), path, into);
}

void XlsxFiles::Save(const Workbook& workbook, const std::string& path) {
  const std::string bytes = WritePackage(workbook);
  if (auto error = platform_->WriteFileAtomically(path, bytes)) {
    throw HostError(HostError::kPathFileAccess,
                    "ファイル「" + path + "」に保存できません。" + error->message);
  }
}

}  // namespace tarquel::host::xlsx
