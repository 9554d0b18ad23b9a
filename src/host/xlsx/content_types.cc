#include "host/xlsx/content_types.h"

#include <set>

#include "host/host_error.h"
#include "host/xlsx/xml_document.h"

namespace tarquel::host::xlsx {

namespace {

constexpr char kContentTypesNamespace[] =
    "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr char kSpreadsheetType[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.";

// The types document being written, and whether it still says what the original's did.
class ContentTypesWriter {
 public:
  explicit ContentTypesWriter(bool changed) : changed_(changed) {}

  // The original's types, less the overrides of modelled parts not in `parts`.
  void StartFromOriginal(const PackageOrigin& origin, const std::vector<PartType>& parts) {
    root_ = doc_.append_copy(origin.content_types.child("Types"));
    std::set<std::string> wanted;
    for (const PartType& part : parts) wanted.insert(part.part);
    std::vector<pugi::xml_node> stale;
    for (pugi::xml_node o : root_.children("Override")) {
      std::string part = o.attribute("PartName").value();
      if (part.starts_with("/")) part = part.substr(1);
      if (origin.modelled_parts.contains(part) && part != origin.workbook_part &&
          !wanted.contains(part)) {
        stale.push_back(o);
      } else {
        overridden_.insert(part);
      }
    }
    for (pugi::xml_node o : stale) root_.remove_child(o);
    changed_ = changed_ || !stale.empty();
  }

  void StartNew(const std::string& workbook_part) {
    root_ = doc_.append_child("Types");
    root_.append_attribute("xmlns") = kContentTypesNamespace;
    pugi::xml_node o = root_.append_child("Override");
    o.append_attribute("PartName") = ("/" + workbook_part).c_str();
    o.append_attribute("ContentType") = (std::string(kSpreadsheetType) + "sheet.main+xml").c_str();
  }

  // A default the types lack goes in front of the others.
  void AddDefault(const char* extension, const char* type) {
    for (pugi::xml_node d : root_.children("Default")) {
      if (std::string(d.attribute("Extension").value()) == extension) return;
    }
    pugi::xml_node d = root_.prepend_child("Default");
    d.append_attribute("Extension") = extension;
    d.append_attribute("ContentType") = type;
    changed_ = true;
  }

  void AddOverrides(const std::vector<PartType>& parts) {
    for (const PartType& part : parts) {
      if (overridden_.contains(part.part)) continue;
      pugi::xml_node o = root_.append_child("Override");
      o.append_attribute("PartName") = ("/" + part.part).c_str();
      o.append_attribute("ContentType") = (kSpreadsheetType + part.type).c_str();
      changed_ = true;
    }
  }

  std::optional<std::string> Finish() const {
    if (!changed_) return std::nullopt;
    return SerializeXml(doc_);
  }

 private:
  pugi::xml_document doc_;
  pugi::xml_node root_;
  bool changed_;
  std::set<std::string> overridden_;  // parts the types name already
};

}  // namespace

void ReadContentTypes(PackageOrigin& origin) {
  if (!origin.reader.Has(kContentTypesPart)) {
    // The file's name is put in front by the package reader.
    throw HostError(HostError::kApplicationDefined, "[Content_Types].xml がありません。");
  }
  ParseXml(origin.reader.Read(kContentTypesPart), kContentTypesPart, origin.content_types);
}

std::optional<std::string> WriteContentTypes(const PackageOrigin* origin, bool keep,
                                             const std::string& workbook_part,
                                             const std::vector<PartType>& parts, bool vml) {
  ContentTypesWriter types(!keep);
  if (origin) {
    types.StartFromOriginal(*origin, parts);
  } else {
    types.StartNew(workbook_part);
  }
  types.AddDefault("xml", "application/xml");
  types.AddDefault("rels", "application/vnd.openxmlformats-package.relationships+xml");
  if (vml) types.AddDefault("vml", "application/vnd.openxmlformats-officedocument.vmlDrawing");
  types.AddOverrides(parts);
  return types.Finish();
}

}  // namespace tarquel::host::xlsx
