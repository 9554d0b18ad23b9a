// Package relationships: the .rels part beside a part lists the parts it refers to, each by id
// and type. Reading resolves every target to a part name; writing gives targets relative to the
// source part's folder, as the programs that write packages do.
#ifndef TARQUEL_HOST_XLSX_RELATIONSHIPS_H_
#define TARQUEL_HOST_XLSX_RELATIONSHIPS_H_

#include <set>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "host/xlsx/package.h"

namespace tarquel::host::xlsx {

// The namespace of a relationships part's root.
inline constexpr char kRelationshipsNamespace[] =
    "http://schemas.openxmlformats.org/package/2006/relationships";
// The namespace of the r:id attributes that refer to relationships.
inline constexpr char kOfficeRelationships[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// The type of an office document relationship by its last segment ("worksheet", "styles",
// "comments", "officeDocument" ...).
std::string RelationshipType(const char* name);

struct Relationship {
  std::string id;
  std::string type;
  std::string target;  // resolved part name, or the raw target for external ones
  bool external = false;
};

// The part's relationships part ("xl/workbook.xml" -> "xl/_rels/workbook.xml.rels"; "" gives
// the package's own, "_rels/.rels").
std::string RelsOf(const std::string& part);

// A relationship's target as a part name: relative to the source's folder, or absolute; "." and
// ".." segments are resolved, and ".." above the root stays at the root.
std::string ResolveTarget(const std::string& source_part, const std::string& target);

// The target to write for a relationship from `source` to `target`: relative when `target` is in
// the source's folder or below it, otherwise absolute.
std::string RelativeTarget(const std::string& source, const std::string& target);

// The relationships of `part` in the package, in the order listed; none when it has no
// relationships part. Throws ParseXml's HostError for a relationships part that is not XML.
std::vector<Relationship> ReadRelationships(const PackageReader& reader, const std::string& part);

// The first relationship of `type`, or null.
const Relationship* FindByType(const std::vector<Relationship>& relationships,
                               const std::string& type);

// Starts a relationships part in `doc`; returns the root to add relationships to.
pugi::xml_node StartRelationships(pugi::xml_document& doc);

void AddRelationship(pugi::xml_node rels, const std::string& id, const std::string& type,
                     const std::string& target, bool external = false);

// The first id "rId1", "rId2" ... not in `taken`.
std::string NewRelationshipId(const std::set<std::string>& taken);

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_RELATIONSHIPS_H_
