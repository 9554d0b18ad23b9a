// The zip package under a workbook file: PackageReader opens the bytes of a file as a zip archive
// and hands out its entries (parts), PackageWriter builds a new archive in memory from parts
// given as bytes or copied unchanged from a reader. They know nothing of what the parts mean; the
// xlsx reader and writer of src/host/xlsx call them, and nothing above src/host/xlsx should.
//
// A reader is the only place where untrusted zip bytes are looked at, so it refuses, with a
// HostError whose Japanese description names the file and the entry, everything a hostile or
// damaged file could use: files that are not zip archives, truncated or inconsistent archives,
// entry names that could escape a folder or mean two things, and entries whose size breaks the
// PackageLimits, counted as the bytes are inflated rather than taken from the headers.
//
// Neither class is safe for use from several threads at once; distinct objects are independent.
#ifndef TARQUEL_HOST_XLSX_PACKAGE_H_
#define TARQUEL_HOST_XLSX_PACKAGE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

struct zip;
struct zip_source;

namespace tarquel::host::xlsx {

// Bounds a reader enforces against zip bombs and hostile files. The defaults are far above any
// real workbook.
struct PackageLimits {
  std::size_t max_entries = 10000;
  uint64_t max_entry_size = uint64_t{512} << 20;  // uncompressed bytes of one entry
  uint64_t max_total_size = uint64_t{2} << 30;    // uncompressed bytes of all entries together
  // Uncompressed size over compressed size of one entry; only checked for entries larger than
  // kRatioCheckedAbove uncompressed, since tiny or repetitive parts legitimately reach any ratio.
  double max_ratio = 200;
  static constexpr uint64_t kRatioCheckedAbove = uint64_t{1} << 20;
};

// What the first bytes of a file say it is. Files that are not packages are told apart so that
// the message can say what to do.
enum class FileKind {
  kZip,          // a zip archive: local file header, or the end record of an empty archive
  kOleCompound,  // D0 CF 11 E0 A1 B1 1A E1: a password-protected workbook or a legacy .xls
  kBiff,         // a bare legacy worksheet stream (BOF record 09 00/02/04/08)
  kUnknown,      // anything else, including an empty file
};

// Classifies a file from its first bytes (8 are enough; fewer give kUnknown unless they already
// decide). Never throws.
FileKind SniffFileKind(std::string_view first_bytes);

// What an OLE2 compound file (FileKind::kOleCompound) holds, read from the streams of its root
// storage, so that a refusal can say what the file is.
enum class CompoundContent {
  kLegacyWorkbook,    // a "Workbook" or "Book" stream: a legacy .xls workbook
  kEncryptedPackage,  // an "EncryptedPackage" stream: a password-protected .xlsx
  kOther,             // a compound file of some other program's document
  kUnreadable,        // too short or too damaged to tell
};

// Reads the directory of the compound file `bytes` (the whole file). Follows only sectors inside
// `bytes` and visits each directory entry once, so damaged or hostile bytes give kUnreadable
// rather than a fault or a loop. Never throws.
CompoundContent ClassifyCompoundFile(std::string_view bytes);

// What a writer needs to copy an entry unchanged, as the archive's central directory states it.
struct EntryInfo {
  std::string name;
  uint16_t method = 0;  // 0 stored, 8 deflated; other values are carried but cannot be read
  uint32_t crc = 0;     // CRC-32 of the uncompressed bytes
  uint64_t size = 0;    // uncompressed bytes
  uint64_t compressed_size = 0;
};

class PackageReader {
 public:
  // Opens `bytes`, the whole file, as a zip package; `name` is the file name the messages show.
  // Throws HostError (kApplicationDefined) when the bytes are not a zip archive (saying what a
  // password-protected or legacy workbook is and how to save it as .xlsx), when the archive is
  // truncated or inconsistent, when an entry name is empty, absolute, has a "." or ".." segment or
  // an empty one, contains a backslash or NUL or is not valid UTF-8, when two names are equal
  // ignoring ASCII case, when an entry is encrypted, when the entries announced break `limits`,
  // or when the data of any entry, read by the workbook or only kept, fails as Read would fail
  // it (it cannot be inflated, fails its CRC or is not as long as announced): every entry
  // stored or deflated is inflated once to check it. With kWhenReadOrAsked, the data is checked
  // as Read reads it instead, and CheckEntriesNotRead checks the rest: a reader that reads the
  // big parts anyway then inflates nothing twice.
  enum class DataCheck { kAtOpen, kWhenReadOrAsked };
  static PackageReader Open(std::string bytes, const std::string& name,
                            const PackageLimits& limits = {},
                            DataCheck data_check = DataCheck::kAtOpen);

  // Checks the data of every entry Read has not read whole, as Open does; throws its HostError.
  void CheckEntriesNotRead() const;

  PackageReader(PackageReader&&) noexcept;
  PackageReader& operator=(PackageReader&&) noexcept;
  PackageReader(const PackageReader&) = delete;
  PackageReader& operator=(const PackageReader&) = delete;
  ~PackageReader();

  // The file name given to Open.
  const std::string& name() const;
  // The whole file as given to Open.
  const std::string& bytes() const;

  // Every entry name, folders ("xl/") included, in archive order.
  std::vector<std::string> EntryNames() const;

  // True when an entry is named exactly `entry` (case matters).
  bool Has(const std::string& entry) const;

  // The uncompressed bytes of `entry`. Throws HostError naming the file and the entry when there
  // is no such entry, when its compression method is not stored or deflated, or when its data
  // cannot be inflated, fails its CRC or turns out longer or shorter than announced; at most one
  // byte more than announced is ever inflated. A failed Read leaves the reader usable.
  std::string Read(const std::string& entry) const;

  // The central directory's facts about `entry`. Throws HostError when there is no such entry.
  EntryInfo Info(const std::string& entry) const;

  // The compressed bytes of `entry` exactly as stored, without inflating them; only a stored
  // entry's CRC is checked on the way. Throws HostError when there is no such entry or the bytes
  // cannot be read.
  std::string ReadRaw(const std::string& entry) const;

 private:
  friend class PackageWriter;
  struct State;

  explicit PackageReader(std::shared_ptr<State> state);
  // The index of `entry`; throws HostError when there is none.
  uint64_t IndexOf(const std::string& entry) const;

  // Shared with the writers that copy from this reader, so that the archive stays open until
  // they are finished, however long the reader lives.
  std::shared_ptr<State> state_;
};

class PackageWriter {
 public:
  // Throws HostError if the in-memory archive cannot be set up (out of memory).
  PackageWriter();
  PackageWriter(const PackageWriter&) = delete;
  PackageWriter& operator=(const PackageWriter&) = delete;
  ~PackageWriter();

  // Adds an entry with `bytes` (moved in, for a part of tens of megabytes is not worth a copy),
  // deflated at `level` (1 fastest … 9 smallest; 0
  // stores it uncompressed). The default 5 packs workbook parts as small as 6 does, in about
  // three quarters of the time. Entries are written in the order added, dated 1980-01-01 00:00 so
  // that the same parts always give the same bytes. Throws HostError (kInvalidCall), adding
  // nothing, when the name breaks the reader's rules, equals an added one ignoring ASCII case, the
  // level is out of range, or Finish has been called.
  void Add(const std::string& entry, std::string bytes, int level = 5);

  // Adds `entry` of `source` under the same name with its compressed bytes, method, CRC, sizes
  // and date unchanged, without inflating it (so a damaged entry is carried as it is). `source`
  // may be destroyed before Finish. Throws HostError like Add, or when `source` has no such entry.
  void CopyFrom(const PackageReader& source, const std::string& entry);

  // The finished archive's bytes; an archive without entries is the 22-byte empty archive.
  // Throws HostError if the archive cannot be written (a copied stored entry whose CRC is wrong,
  // out of memory). Afterwards, whether it succeeded or not, the writer accepts no more calls.
  std::string Finish();

 private:
  // Validates `entry` for a new entry and returns its key for the duplicate check.
  std::string Admit(const std::string& entry) const;
  void CheckOpen() const;
  // Adds an entry named `entry` whose data `make_source` gives, then lets `configure` set its
  // method and date; on any failure the entry is not added and HostError is thrown.
  void AddEntry(const std::string& entry, const std::function<zip_source*(zip*)>& make_source,
                const std::function<bool(zip*, uint64_t)>& configure);

  struct ZipCloser {
    void operator()(zip* archive) const;
  };
  struct SourceFreer {
    void operator()(zip_source* source) const;
  };

  std::vector<std::shared_ptr<PackageReader::State>> copied_from_;
  std::vector<std::unique_ptr<std::string>> parts_;  // the bytes libzip reads at Finish
  std::unordered_set<std::string> folded_names_;
  std::size_t entries_ = 0;
  std::unique_ptr<zip_source, SourceFreer> output_;
  std::unique_ptr<zip, ZipCloser> archive_;  // declared last: closed before what it reads
};

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_PACKAGE_H_
