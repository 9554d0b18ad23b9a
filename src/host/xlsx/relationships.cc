#include "host/xlsx/relationships.h"

#include <utility>

#include "host/xlsx/xml_document.h"

namespace tarquel::host::xlsx {

namespace {

constexpr char kRelationshipTypePrefix[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

// The folder of a part ("xl/worksheets/sheet1.xml" -> "xl/worksheets/").
std::string FolderOf(const std::string& part) {
  const std::size_t slash = part.rfind('/');
  return slash == std::string::npos ? "" : part.substr(0, slash + 1);
}

}  // namespace

std::string RelationshipType(const char* name) {
  return std::string(kRelationshipTypePrefix) + name;
}

std::string RelsOf(const std::string& part) {
  const std::size_t slash = part.rfind('/');
  const std::string name = slash == std::string::npos ? part : part.substr(slash + 1);
  return FolderOf(part) + "_rels/" + name + ".rels";
}

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

std::string RelativeTarget(const std::string& source, const std::string& target) {
  const std::string folder = FolderOf(source);
  if (target.starts_with(folder)) return target.substr(folder.size());
  return "/" + target;
}

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

pugi::xml_node StartRelationships(pugi::xml_document& doc) {
  pugi::xml_node root = doc.append_child("Relationships");
  root.append_attribute("xmlns") = kRelationshipsNamespace;
  return root;
}

void AddRelationship(pugi::xml_node rels, const std::string& id, const std::string& type,
                     const std::string& target, bool external) {
  pugi::xml_node rel = rels.append_child("Relationship");
  rel.append_attribute("Id") = id.c_str();
  rel.append_attribute("Type") = type.c_str();
  rel.append_attribute("Target") = target.c_str();
  if (external) rel.append_attribute("TargetMode") = "External";
}

std::string NewRelationshipId(const std::set<std::string>& taken) {
  for (int n = 1;; ++n) {
    const std::string id = "rId" + std::to_string(n);
    if (!taken.contains(id)) return id;
  }
}

}  // namespace tarquel::host::xlsx
