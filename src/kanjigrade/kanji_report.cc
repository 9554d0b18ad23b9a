#include "kanjigrade/kanji_report.h"

#include <optional>
#include <unordered_set>
#include <utility>

#include "host/platform/cp932.h"
#include "host/utf16.h"

namespace tarquel::kanjigrade {

namespace {

constexpr uint16_t kFirstKanjiCode = 0x889F;
constexpr uint16_t kLastKanjiCode = 0xFC4B;
constexpr std::string_view kSeparator = "、";
constexpr std::string_view kLineEnd = "\r\n";
constexpr char kNoKanji[] = "漢字が含まれていません。";
constexpr char kAllCovered[] = "すべて網羅されています。";

bool IsKanji(char32_t ch) {
  if (ch < 0x80) return false;  // ASCII lies below the range; spare the converter
  const std::optional<uint16_t> code = host::Cp932Code(ch);
  return code && *code >= kFirstKanjiCode && *code <= kLastKanjiCode;
}

// "【小学 1 年生で習う漢字】（漢検10級）5字 /80字 [6.3％]" and its line end.
std::string Heading(int group, int32_t count, int32_t total) {
  const std::string level = std::to_string(KankenLevel(group));
  std::string heading =
      group <= kLastElementaryGroup
          ? "【小学 " + std::to_string(group) + " 年生で習う漢字】（漢検" + level + "級）"
          : "【中学で習う漢字】（漢検" + level + "級）";
  heading += std::to_string(count) + "字 /" + std::to_string(total) + "字 [" +
             Percentage(count, total) + "％]";
  heading += kLineEnd;
  return heading;
}

// A group's list shown as kanji joined by "、": the list without its last separator.
std::string_view Joined(std::string_view list) {
  if (list.ends_with(kSeparator)) list.remove_suffix(kSeparator.size());
  return list;
}

// Appends one block; every block after the first is preceded by an empty line.
void AppendBlock(std::string& text, std::string_view block) {
  if (!text.empty()) text += kLineEnd;
  text += block;
}

// The group's heading and `body` on the next line, ending in a line end.
std::string GroupBlock(const GroupArrays& arrays, int group, std::string_view body) {
  std::string block = Heading(group, arrays.count[group], arrays.total[group]);
  block += body;
  block += kLineEnd;
  return block;
}

// The first group, 1 to 9, whose table holds `kanji`, else group 0. Marks every table
// consulted with its size.
int Classify(const std::string& kanji, GroupArrays& arrays) {
  for (int group = kFirstTableGroup; group <= kLastTableGroup; ++group) {
    arrays.total[group] = GroupSize(group);
    if (Kanji_Table(group, kanji, false).found) return group;
  }
  return kHighSchoolGroup;
}

}  // namespace

void GroupArrays::Clear() { *this = GroupArrays(); }

std::vector<std::string> DistinctKanji(std::string_view text) {
  std::vector<std::string> kanji;
  std::unordered_set<char32_t> seen;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    const char32_t ch = host::DecodeUtf8(text, &pos);
    if (IsKanji(ch) && seen.insert(ch).second) kanji.emplace_back(text.substr(start, pos - start));
  }
  return kanji;
}

std::string Kanji_Report(std::string_view text, GroupArrays& arrays) {
  arrays.count.fill(0);
  arrays.total.fill(0);
  const std::vector<std::string> kanji = DistinctKanji(text);
  if (kanji.empty()) return kNoKanji;

  for (const std::string& one : kanji) {
    const int group = Classify(one, arrays);
    arrays.list[group] += one;
    arrays.list[group] += kSeparator;
    ++arrays.count[group];
  }

  std::string report;
  for (int group = kFirstTableGroup; group <= kLastTableGroup; ++group) {
    if (arrays.list[group].empty()) continue;
    AppendBlock(report, GroupBlock(arrays, group, Joined(arrays.list[group])));
  }
  // Kanji in no table: neither size nor percentage, and the report ends with them.
  const std::string& others = arrays.list[kHighSchoolGroup];
  if (!others.empty()) {
    AppendBlock(report, "【高校で習う漢字】" + std::to_string(arrays.count[kHighSchoolGroup]) +
                            "字" + std::string(kLineEnd) + std::string(Joined(others)));
  }
  return report;
}

std::string MissingKanjiListing(GroupArrays& arrays) {
  std::string listing;
  for (int group = kFirstTableGroup; group <= kLastTableGroup; ++group) {
    // The separators of the list match no kanji of a table, so the list serves as the text.
    KanjiTableResult missing = Kanji_Table(group, arrays.list[group], true);
    arrays.list[group] = std::move(missing.missing);
    arrays.count[group] = missing.missing_count;
    arrays.total[group] = GroupSize(group);
    const std::string& list = arrays.list[group];
    AppendBlock(listing, GroupBlock(arrays, group, list.empty() ? kAllCovered : Joined(list)));
  }
  return listing;
}

std::string Percentage(int32_t count, int32_t total) {
  // Tenths of a per cent, rounded half up: (1000 * count / total) + 1/2, in integers.
  const int64_t tenths = (int64_t{2000} * count + total) / (int64_t{2} * total);
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

}  // namespace tarquel::kanjigrade
