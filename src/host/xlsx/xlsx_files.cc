#include "host/xlsx/xlsx_files.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "host/host_error.h"
#include "host/platform/platform.h"
#include "host/workbook.h"
#include "host/xlsx/cell_tables.h"
#include "host/xlsx/content_types.h"
#include "host/xlsx/fingerprint.h"
#include "host/xlsx/package.h"
#include "host/xlsx/package_origin.h"
#include "host/xlsx/relationships.h"
#include "host/xlsx/sheet_parts.h"
#include "host/xlsx/workbook_part.h"

namespace tarquel::host::xlsx {

namespace {

constexpr std::string_view kFilePrefix = "ファイル「";
constexpr char kPackageRelationships[] = "_rels/.rels";

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

// What the workbook as read says, for a save to tell which of its parts still say it.
void RecordWhatWasRead(const Workbook& book, PackageOrigin& origin) {
  const WorkbookFingerprints prints = TakeFingerprints(book);
  origin.fingerprint = prints.workbook;
  for (int index = 1; index <= book.SheetCount(); ++index) {
    const Worksheet& sheet = book.SheetAt(index);
    PackageOrigin::SheetFromFile& read = origin.sheets_from_file.at(&sheet);
    read.part_fingerprint = prints.sheet_parts[index - 1];
    read.comments_fingerprint = prints.comments[index - 1];
    read.active = &sheet == &book.ActiveSheet();
  }
}

// The entries of the package being written, each added or copied from the original once.
class PackageEntries {
 public:
  explicit PackageEntries(const PackageOrigin* origin) : origin_(origin) {}

  void Add(const std::string& name, std::string bytes) {
    writer_.Add(name, std::move(bytes));
    written_.insert(name);
  }

  // A part two sheets' relationships name (a drawing) is copied once.
  void Copy(const std::string& name) {
    if (written_.insert(name).second) writer_.CopyFrom(origin_->reader, name);
  }

  void AddOrCopy(const std::string& name, std::optional<std::string> bytes) {
    if (bytes) {
      Add(name, std::move(*bytes));
    } else {
      Copy(name);
    }
  }

  void AddTable(TablePart& table) {
    if (!table.copied && !table.name.empty()) Add(table.name, std::move(table.bytes));
  }

  // Everything else of the original, byte for byte, and the package's bytes.
  std::string Finish() {
    if (origin_) {
      for (const std::string& entry : origin_->reader.EntryNames()) {
        if (written_.contains(entry) || origin_->modelled_parts.contains(entry) ||
            entry.ends_with("/"))
          continue;
        writer_.CopyFrom(origin_->reader, entry);
      }
    }
    return writer_.Finish();
  }

 private:
  const PackageOrigin* origin_;
  PackageWriter writer_;
  std::set<std::string> written_;
};

std::vector<PartType> PartTypesOf(const SheetParts& sheets, const CellTables::Parts& tables) {
  std::vector<PartType> types;
  for (const std::string& part : sheets.sheet_parts) types.push_back({part, "worksheet+xml"});
  types.push_back({tables.styles.name, "styles+xml"});
  if (!tables.shared_strings.name.empty())
    types.push_back({tables.shared_strings.name, "sharedStrings+xml"});
  for (const std::string& part : sheets.comment_parts) types.push_back({part, "comments+xml"});
  return types;
}

// The package's entries in the order a save writes them: the content types, the package's
// relationships, the workbook part and its relationships, the tables and the sheets' parts
// written anew, then the parts kept as they were read and everything else of the original.
std::string Assemble(const PackageOrigin* origin, std::optional<std::string> content_types,
                     const WorkbookTargets& targets, WorkbookPartBytes workbook,
                     CellTables::Parts tables, SheetParts sheets) {
  PackageEntries package(origin);
  package.AddOrCopy(kContentTypesPart, std::move(content_types));
  const bool had_relationships = origin && origin->reader.Has(kPackageRelationships);
  package.AddOrCopy(kPackageRelationships,
                    had_relationships
                        ? std::nullopt
                        : std::optional(NewPackageRelationships(targets.workbook_part)));
  package.Add(targets.workbook_part, std::move(workbook.part));
  package.Add(RelsOf(targets.workbook_part), std::move(workbook.relationships));
  package.AddTable(tables.styles);
  package.AddTable(tables.shared_strings);
  for (WrittenPart& part : sheets.written) package.Add(part.name, std::move(part.bytes));
  for (const std::string& part : sheets.copied) package.Copy(part);
  for (const TablePart* table : {&tables.styles, &tables.shared_strings}) {
    if (table->copied) package.Copy(table->name);
  }
  return package.Finish();
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
  // The parts read below are checked as they are read; the rest after them.
  auto origin = std::make_shared<PackageOrigin>(
      PackageReader::Open(std::move(bytes), name, {}, PackageReader::DataCheck::kWhenReadOrAsked));
  RefuseOpenDocument(origin->reader, name);
  ReadContentTypes(*origin);
  ReadWorkbookPart(*origin);
  const StylesRead styles = ReadStyleSheet(*origin, into.styles());
  // The sheets as the workbook lists them, each checked before any is read.
  SheetList list = ReadSheetList(*origin);
  ReadSharedStringTable(*origin, styles);
  std::vector<Worksheet*> sheets;
  for (const WorksheetEntry& entry : list.worksheets) {
    Worksheet& sheet = AddListedSheet(entry, *origin, into);
    ReadSheetParts(*entry.relationship, styles, *origin, sheet);
    sheets.push_back(&sheet);
  }
  FinishSheetList(sheets, list, *origin, into);
  origin->reader.CheckEntriesNotRead();
  RecordWhatWasRead(into, *origin);
  into.file_origin = std::move(origin);
}

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
  CellTables tables(book, origin, keep);
  SheetParts sheets = WriteSheetParts(book, origin, keep ? &prints : nullptr, tables);
  CellTables::Parts table_parts = tables.Finish(sheets.copied_sheets);
  const WorkbookTargets targets{origin ? origin->workbook_part : kDefaultWorkbookPart,
                                sheets.sheet_parts, table_parts.styles.name,
                                table_parts.shared_strings.name};
  WorkbookPartBytes workbook = WriteWorkbookPart(book, origin, targets);
  std::optional<std::string> content_types = WriteContentTypes(
      origin, keep, targets.workbook_part, PartTypesOf(sheets, table_parts), sheets.any_vml);
  return Assemble(origin, std::move(content_types), targets, std::move(workbook),
                  std::move(table_parts), std::move(sheets));
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
