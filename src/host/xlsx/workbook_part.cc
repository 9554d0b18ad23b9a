#include "host/xlsx/workbook_part.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <string_view>

#include "host/address.h"
#include "host/host_error.h"
#include "host/xlsx/xml_document.h"

namespace tarquel::host::xlsx {

namespace {

constexpr char kMainNamespace[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr char kPrintArea[] = "_xlnm.Print_Area";

// The file's name is put in front by the package reader.
[[noreturn]] void ThrowBadWorkbook(const std::string& what) {
  throw HostError(HostError::kApplicationDefined, what);
}

std::string RawXml(const pugi::xml_node& node) {
  std::ostringstream xml;
  node.print(xml, "", pugi::format_raw);
  return xml.str();
}

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

const Relationship* RelationshipOf(const PackageOrigin& origin, const std::string& id) {
  const Relationship* found = nullptr;
  for (const Relationship& r : origin.workbook_relationships) {
    if (r.id == id) found = &r;
  }
  return found;
}

// A print area the host can hold becomes the sheet's; every other name is kept as it was, with
// the sheet its localSheetId named.
void ReadDefinedNames(const std::vector<ListedSheet>& listed, PackageOrigin& origin) {
  const pugi::xml_node workbook = origin.workbook.child("workbook");
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
    origin.defined_names.push_back({RawXml(name), sheet, kept_sheet});
  }
}

// The active tab counts every sheet of the list; a kept sheet cannot be shown, so the next
// worksheet is, or the last one when none follows.
Worksheet& ShownSheet(const std::vector<ListedSheet>& listed, const std::vector<Worksheet*>& sheets,
                      const PackageOrigin& origin) {
  const pugi::xml_node view =
      origin.workbook.child("workbook").child("bookViews").child("workbookView");
  const uint32_t active = view.attribute("activeTab").as_uint(0);
  for (std::size_t i = std::min<std::size_t>(active, listed.size() - 1); i < listed.size(); ++i) {
    if (listed[i].worksheet != nullptr) return *listed[i].worksheet;
  }
  return *sheets.back();
}

// The workbook part to write: the original's elements, or a new workbook's.
pugi::xml_node StartWorkbook(pugi::xml_document& doc, const PackageOrigin* origin) {
  if (origin) {
    pugi::xml_node workbook = doc.append_copy(origin->workbook.child("workbook"));
    // The sheets are written with r:id; some writers declare that prefix on each element
    // rather than on the root.
    if (!workbook.attribute("xmlns:r")) workbook.append_attribute("xmlns:r") = kOfficeRelationships;
    return workbook;
  }
  pugi::xml_node workbook = doc.append_child("workbook");
  workbook.append_attribute("xmlns") = kMainNamespace;
  workbook.append_attribute("xmlns:r") = kOfficeRelationships;
  workbook.append_child("bookViews").append_child("workbookView");
  workbook.append_child("sheets");
  return workbook;
}

pugi::xml_node EmptySheetList(pugi::xml_node workbook) {
  pugi::xml_node sheets =
      workbook.child("sheets") ? workbook.child("sheets") : workbook.append_child("sheets");
  while (sheets.first_child()) sheets.remove_child(sheets.first_child());
  return sheets;
}

// The workbook's relationships as written: the original's to parts the host does not model, as
// they were, then the sheets, the style sheet and the shared strings, which keep the ids they
// had, new ones taking ids no other relationship has.
class WorkbookRelationships {
 public:
  WorkbookRelationships(const Workbook& book, const PackageOrigin* origin,
                        const std::string& workbook_part)
      : workbook_part_(workbook_part) {
    root_ = StartRelationships(doc_);
    if (origin) KeepOriginal(book, *origin);
  }

  // Adds the relationship to `part` under `kept_id`, or under a new id when that is null.
  std::string Add(const std::string* kept_id, const std::string& type, const std::string& part) {
    const std::string id = kept_id ? *kept_id : NewRelationshipId(ids_);
    ids_.insert(id);
    AddRelationship(root_, id, type, RelativeTarget(workbook_part_, part));
    return id;
  }

  std::string Bytes() const { return SerializeXml(doc_); }

 private:
  void KeepOriginal(const Workbook& book, const PackageOrigin& origin) {
    for (const Relationship& r : origin.workbook_relationships) {
      if (r.type == RelationshipType("worksheet") || r.type == RelationshipType("styles") ||
          r.type == RelationshipType("sharedStrings") || r.type == RelationshipType("calcChain")) {
        continue;
      }
      AddRelationship(root_, r.id, r.type,
                      r.external ? r.target : RelativeTarget(workbook_part_, r.target), r.external);
      ids_.insert(r.id);
    }
    // Reserved before any new id is given.
    for (int index = 1; index <= book.SheetCount(); ++index) {
      if (const auto* read = origin.FromFile(book.SheetAt(index)))
        ids_.insert(read->relationship_id);
    }
    for (const char* type : {"styles", "sharedStrings"}) {
      if (const Relationship* r = FindByType(origin.workbook_relationships, RelationshipType(type)))
        ids_.insert(r->id);
    }
  }

  std::string workbook_part_;
  pugi::xml_document doc_;
  pugi::xml_node root_;
  std::set<std::string> ids_;
};

// Where each sheet stands in the list written. Positions count the kept sheets too, as
// localSheetId and activeTab do.
struct SheetPositions {
  std::map<const Worksheet*, int> worksheets;
  std::vector<int> kept;  // by kept sheet; -1 for one not written
};

// Writes the sheet list: each kept sheet's entry in front of the worksheet it stood before, or
// at the end when that one is gone; a new worksheet takes a sheet id above every one the file
// used.
class SheetListWriter {
 public:
  SheetListWriter(const PackageOrigin* origin, pugi::xml_node sheets)
      : origin_(origin), sheets_(sheets) {
    if (origin) kept_sheets_ = &origin->kept_sheets;
    kept_entries_ = std::vector<pugi::xml_document>(kept_sheets_->size());
    for (std::size_t k = 0; k < kept_sheets_->size(); ++k) {
      kept_entries_[k].load_string((*kept_sheets_)[k].xml.c_str());
      TakeId(kept_entries_[k].first_child().attribute("sheetId").value());
    }
    if (origin) {
      for (const auto& [sheet, id] : origin->sheet_ids) TakeId(id);
    }
    positions_.kept.assign(kept_sheets_->size(), -1);
  }

  // A new sheet's id goes above every id read. An id that is not a whole number, or is as large as
  // ids go, is passed over: other programs write such ids, and a save must not fail on them.
  void TakeId(std::string_view id) {
    int number = 0;
    const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), number);
    if (error != std::errc() || end != id.data() + id.size() || number < 1 ||
        number == std::numeric_limits<int>::max()) {
      return;
    }
    next_sheet_id_ = std::max(next_sheet_id_, number + 1);
  }

  // The kept sheets that stood before `worksheet`, or with null every one not yet written.
  void PlaceKeptBefore(const Worksheet* worksheet) {
    for (std::size_t k = 0; k < kept_sheets_->size(); ++k) {
      const bool placed = (*kept_sheets_)[k].before == worksheet ||
                          (worksheet == nullptr && positions_.kept[k] < 0);
      if (!placed || positions_.kept[k] >= 0 || !kept_entries_[k].first_child()) continue;
      sheets_.append_copy(kept_entries_[k].first_child());
      positions_.kept[k] = position_++;
    }
  }

  void AddWorksheet(const Worksheet& sheet, const std::string& part,
                    WorkbookRelationships& relationships) {
    positions_.worksheets[&sheet] = position_++;
    const auto* read = origin_ ? origin_->FromFile(sheet) : nullptr;
    const std::string rid = relationships.Add(read ? &read->relationship_id : nullptr,
                                              RelationshipType("worksheet"), part);
    pugi::xml_node entry = sheets_.append_child("sheet");
    entry.append_attribute("name") = sheet.Name().c_str();
    const std::string id = read ? origin_->sheet_ids.at(&sheet) : std::to_string(next_sheet_id_++);
    entry.append_attribute("sheetId") = id.c_str();
    if (sheet.visibility() == SheetVisibility::kHidden) entry.append_attribute("state") = "hidden";
    if (sheet.visibility() == SheetVisibility::kVeryHidden)
      entry.append_attribute("state") = "veryHidden";
    entry.append_attribute("r:id") = rid.c_str();
  }

  const SheetPositions& positions() const { return positions_; }

 private:
  static inline const std::vector<KeptSheet> kNoKeptSheets;

  const PackageOrigin* origin_;
  pugi::xml_node sheets_;
  const std::vector<KeptSheet>* kept_sheets_ = &kNoKeptSheets;
  std::vector<pugi::xml_document> kept_entries_;
  int next_sheet_id_ = 1;
  int position_ = 0;
  SheetPositions positions_;
};

SheetPositions WriteSheetList(const Workbook& book, const PackageOrigin* origin,
                              const WorkbookTargets& targets, pugi::xml_node sheets,
                              WorkbookRelationships& relationships) {
  SheetListWriter list(origin, sheets);
  for (int index = 1; index <= book.SheetCount(); ++index) {
    const Worksheet& sheet = book.SheetAt(index);
    list.PlaceKeptBefore(&sheet);
    list.AddWorksheet(sheet, targets.sheet_parts[index - 1], relationships);
  }
  list.PlaceKeptBefore(nullptr);
  return list.positions();
}

void AddTableRelationships(const PackageOrigin* origin, const WorkbookTargets& targets,
                           WorkbookRelationships& relationships) {
  for (const char* type : {"styles", "sharedStrings"}) {
    const bool is_styles = std::string(type) == "styles";
    const std::string& part = is_styles ? targets.styles_part : targets.shared_strings_part;
    if (part.empty()) continue;
    const Relationship* kept =
        origin ? FindByType(origin->workbook_relationships, RelationshipType(type)) : nullptr;
    relationships.Add(kept ? &kept->id : nullptr, RelationshipType(type), part);
  }
}

// The kept names with their sheet's new index; a name of a sheet no longer there goes with it.
void AddKeptNames(const std::vector<KeptName>& kept_names, const SheetPositions& positions,
                  pugi::xml_node names) {
  for (const KeptName& kept : kept_names) {
    pugi::xml_document one;
    if (!one.load_string(kept.xml.c_str())) continue;
    pugi::xml_node name = names.append_copy(one.first_child());
    if (kept.sheet != nullptr) {
      if (!positions.worksheets.contains(kept.sheet)) {
        names.remove_child(name);
        continue;
      }
      name.attribute("localSheetId").set_value(positions.worksheets.at(kept.sheet));
    } else if (kept.kept_sheet >= 0) {
      name.attribute("localSheetId").set_value(positions.kept[kept.kept_sheet]);
    }
  }
}

void AddPrintAreas(const Workbook& book, const SheetPositions& positions, pugi::xml_node names) {
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
    name.append_attribute("localSheetId") = positions.worksheets.at(&sheet);
    name.text() = reference.c_str();
  }
}

void WriteDefinedNames(const Workbook& book, const PackageOrigin* origin,
                       const SheetPositions& positions, pugi::xml_node workbook,
                       pugi::xml_node sheets) {
  workbook.remove_child("definedNames");
  pugi::xml_document names_doc;
  pugi::xml_node names = names_doc.append_child("definedNames");
  if (origin) AddKeptNames(origin->defined_names, positions, names);
  AddPrintAreas(book, positions, names);
  // Defined names follow the sheets in the workbook's element order.
  if (names.first_child()) workbook.insert_copy_after(names, sheets);
}

void WriteActiveTab(const Workbook& book, const SheetPositions& positions,
                    pugi::xml_node workbook) {
  pugi::xml_node view = workbook.child("bookViews").child("workbookView");
  if (!view) return;
  view.remove_attribute("activeTab");
  view.remove_attribute("firstSheet");
  const int active_tab = positions.worksheets.at(&book.ActiveSheet());
  if (active_tab > 0) view.append_attribute("activeTab") = active_tab;
}

}  // namespace

void ReadWorkbookPart(PackageOrigin& origin) {
  const PackageReader& reader = origin.reader;
  const std::vector<Relationship> package_relationships = ReadRelationships(reader, "");
  const Relationship* document =
      FindByType(package_relationships, RelationshipType("officeDocument"));
  origin.workbook_part = document ? document->target : kDefaultWorkbookPart;
  if (!reader.Has(origin.workbook_part)) {
    ThrowBadWorkbook("ブックの本体（" + origin.workbook_part + "）がありません。");
  }
  ParseXml(reader.Read(origin.workbook_part), origin.workbook_part, origin.workbook);
  origin.workbook_relationships = ReadRelationships(reader, origin.workbook_part);
  origin.modelled_parts = {"[Content_Types].xml", origin.workbook_part,
                           RelsOf(origin.workbook_part)};
  if (const Relationship* r =
          FindByType(origin.workbook_relationships, RelationshipType("calcChain"))) {
    origin.modelled_parts.insert(r->target);  // a cache of the host that wrote it: dropped
  }
}

SheetList ReadSheetList(PackageOrigin& origin) {
  SheetList list;
  const pugi::xml_node workbook = origin.workbook.child("workbook");
  for (pugi::xml_node entry : workbook.child("sheets").children("sheet")) {
    const std::string sheet_name = entry.attribute("name").value();
    const Relationship* rel = RelationshipOf(origin, entry.attribute("r:id").value());
    if (rel == nullptr) ThrowBadWorkbook("シート「" + sheet_name + "」の本体がありません。");
    if (rel->type != RelationshipType("worksheet")) {
      list.kept_before.push_back(list.worksheets.size());
      list.listed.push_back({nullptr, static_cast<int>(origin.kept_sheets.size())});
      origin.kept_sheets.push_back({RawXml(entry), nullptr});
      continue;
    }
    if (!origin.reader.Has(rel->target))
      ThrowBadWorkbook("シート「" + sheet_name + "」の本体がありません。");
    list.listed.push_back({nullptr, -1});
    list.worksheets.push_back({entry, rel});
  }
  return list;
}

Worksheet& AddListedSheet(const WorksheetEntry& entry, PackageOrigin& origin, Workbook& into) {
  Worksheet& sheet = into.InsertSheet(into.SheetCount() + 1, entry.entry.attribute("name").value());
  const std::string state = entry.entry.attribute("state").value();
  if (state == "hidden") sheet.SetVisibility(SheetVisibility::kHidden);
  if (state == "veryHidden") sheet.SetVisibility(SheetVisibility::kVeryHidden);
  origin.sheet_ids[&sheet] = entry.entry.attribute("sheetId").value();
  return sheet;
}

void FinishSheetList(const std::vector<Worksheet*>& sheets, SheetList& list, PackageOrigin& origin,
                     Workbook& into) {
  if (sheets.empty()) ThrowBadWorkbook("ワークシートがありません。");
  for (std::size_t k = 0; k < list.kept_before.size(); ++k) {
    if (list.kept_before[k] < sheets.size())
      origin.kept_sheets[k].before = sheets[list.kept_before[k]];
  }
  for (std::size_t i = 0, next = 0; i < list.listed.size(); ++i) {
    if (list.listed[i].kept < 0) list.listed[i].worksheet = sheets[next++];
  }
  ReadDefinedNames(list.listed, origin);
  Worksheet& shown = ShownSheet(list.listed, sheets, origin);
  if (shown.visibility() == SheetVisibility::kVisible) into.ActivateSheet(shown);
}

WorkbookPartBytes WriteWorkbookPart(const Workbook& book, const PackageOrigin* origin,
                                    const WorkbookTargets& targets) {
  pugi::xml_document doc;
  const pugi::xml_node workbook = StartWorkbook(doc, origin);
  const pugi::xml_node sheets = EmptySheetList(workbook);
  WorkbookRelationships relationships(book, origin, targets.workbook_part);
  const SheetPositions positions = WriteSheetList(book, origin, targets, sheets, relationships);
  AddTableRelationships(origin, targets, relationships);
  WriteDefinedNames(book, origin, positions, workbook, sheets);
  WriteActiveTab(book, positions, workbook);
  return {SerializeXml(doc), relationships.Bytes()};
}

std::string NewPackageRelationships(const std::string& workbook_part) {
  pugi::xml_document doc;
  AddRelationship(StartRelationships(doc), "rId1", RelationshipType("officeDocument"),
                  workbook_part);
  return SerializeXml(doc);
}

}  // namespace tarquel::host::xlsx
