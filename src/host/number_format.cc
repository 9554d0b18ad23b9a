#include "host/number_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <utility>
#include <vector>

#include "host/utf16.h"

namespace tarquel::host {
namespace {

// ---------------------------------------------------------------------------
// Decimal digits of a number

// The host keeps 15 significant digits of a number. Rounding those decimal digits, rather than
// the binary value, is why 1.005 shows as 1.01 under "0.00" and 0.1+0.2 as 0.3 under General.
constexpr int kSignificantDigits = 15;

// A non-negative number as 0.d1d2d3... x 10^point. `digits` has no leading or trailing zeros;
// empty `digits` is zero.
struct Decimal {
  std::string digits;
  int point = 0;
};

bool IsZero(const Decimal& d) { return d.digits.empty(); }

void StripTrailingZeros(Decimal& d) {
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.point = 0;
}

// REQUIRES: abs_value is finite and not negative.
Decimal ToDecimal(double abs_value) {
  Decimal d;
  if (abs_value == 0) return d;
  char buf[40];
  const int n = std::snprintf(buf, sizeof buf, "%.*e", kSignificantDigits - 1, abs_value);
  const std::string_view text(buf, static_cast<size_t>(n));  // "d.ddddddddddddddde[+-]xx"
  const size_t e = text.find('e');
  d.digits.push_back(text[0]);
  d.digits.append(text.substr(2, e - 2));
  size_t exp_begin = e + 1;
  if (text[exp_begin] == '+') ++exp_begin;
  int exponent = 0;
  std::from_chars(text.data() + exp_begin, text.data() + text.size(), exponent);
  d.point = exponent + 1;
  StripTrailingZeros(d);
  return d;
}

// Rounds half away from zero (the number is a magnitude) to `fraction_digits` decimals.
Decimal RoundToFraction(Decimal d, int fraction_digits) {
  const long keep = static_cast<long>(d.point) + fraction_digits;
  if (IsZero(d) || keep >= static_cast<long>(d.digits.size())) return d;
  if (keep < 0) return Decimal{};
  const bool round_up = d.digits[static_cast<size_t>(keep)] >= '5';
  d.digits.resize(static_cast<size_t>(keep));
  if (round_up) {
    long i = keep - 1;
    while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') d.digits[i--] = '0';
    if (i >= 0) {
      ++d.digits[static_cast<size_t>(i)];
    } else {
      d.digits.insert(d.digits.begin(), '1');
      ++d.point;
    }
  }
  StripTrailingZeros(d);
  return d;
}

char DigitAt(const Decimal& d, long index) {
  return index >= 0 && index < static_cast<long>(d.digits.size())
             ? d.digits[static_cast<size_t>(index)]
             : '0';
}

// The digits before the decimal point, without leading zeros: "" for a number below 1.
std::string IntegerDigits(const Decimal& d) {
  std::string out;
  for (long i = 0; i < d.point; ++i) out += DigitAt(d, i);
  return out;
}

// Exactly `count` digits after the decimal point.
std::string FractionDigits(const Decimal& d, int count) {
  std::string out;
  for (long i = d.point; i < static_cast<long>(d.point) + count; ++i) out += DigitAt(d, i);
  return out;
}

// ---------------------------------------------------------------------------
// General

// General fits a number into this many characters, a leading '-' aside.
constexpr int kGeneralWidth = 11;

int DecimalLength(int n) { return static_cast<int>(std::to_string(n).size()); }

// The mantissa General shows in scientific notation, with its exponent.
Decimal GeneralMantissa(const Decimal& d, int* exponent) {
  *exponent = d.point - 1;
  Decimal m = d;
  m.point = 1;
  const int exponent_width = 2 + std::max(2, DecimalLength(std::abs(*exponent)));  // "E+07"
  m = RoundToFraction(m, kGeneralWidth - exponent_width - 2);
  if (m.point > 1) {  // 9.999999 rounded up to 10
    ++*exponent;
    m.point = 1;
  }
  return m;
}

std::string GeneralScientific(const Decimal& d) {
  int exponent = 0;
  const Decimal m = GeneralMantissa(d, &exponent);
  std::string out(1, m.digits[0]);
  if (m.digits.size() > 1) out += "." + m.digits.substr(1);
  out += exponent < 0 ? "E-" : "E+";
  std::string exponent_digits = std::to_string(std::abs(exponent));
  if (exponent_digits.size() < 2) exponent_digits.insert(0, 1, '0');
  return out + exponent_digits;
}

std::string PlainDecimal(const Decimal& d) {
  std::string out = IntegerDigits(d);
  if (out.empty()) out = "0";
  const int fraction = static_cast<int>(d.digits.size()) - d.point;
  if (fraction > 0) out += "." + FractionDigits(d, fraction);
  return out;
}

// REQUIRES: value is finite.
std::string GeneralText(double value) {
  if (value == 0) return "0";
  const Decimal d = ToDecimal(std::fabs(value));
  std::string body;
  if (d.point > kGeneralWidth) {
    body = GeneralScientific(d);
  } else {
    const int integer_width = std::max(d.point, 1);
    const Decimal fixed = RoundToFraction(d, std::max(kGeneralWidth - integer_width - 1, 0));
    bool use_fixed = !IsZero(fixed) && fixed.point <= kGeneralWidth;
    if (use_fixed && d.point <= 0) {
      // Below 1 the leading zeros eat the width; take whichever form keeps more digits.
      int exponent = 0;
      use_fixed = fixed.digits.size() >= GeneralMantissa(d, &exponent).digits.size();
    }
    body = use_fixed ? PlainDecimal(fixed) : GeneralScientific(d);
  }
  return value < 0 ? "-" + body : body;
}

// ---------------------------------------------------------------------------
// The parsed format code

enum class TokenKind {
  kLiteral,       // text shown as it is
  kDigit,         // digit placeholder '0', '#' or '?'
  kDecimalPoint,  // '.'
  kComma,         // ',': thousands grouping or scaling by 1000
  kPercent,       // '%'
  kExponent,      // "E+", "E-", "e+" or "e-"
  kTextValue,     // '@'
  kGeneral,       // "General" inside a section
  kDateField,     // a date or time field
  kAmPm,          // "AM/PM" or "A/P" in any case: switches hours to a 12-hour clock
};

enum class DateField {
  kYear,
  kMonth,
  kDay,
  kHour,
  kMinute,
  kSecond,
  kSubsecond,  // the digits of "ss.00"
  kEraName,
  kEraYear,
  kJapaneseWeekday,
  kElapsedHours,
  kElapsedMinutes,
  kElapsedSeconds,
};

struct Token {
  TokenKind kind = TokenKind::kLiteral;
  std::string text;      // kLiteral: the text; kExponent and kAmPm: as written
  char placeholder = 0;  // kDigit
  DateField field = DateField::kYear;
  int width = 0;  // kDateField: letters in the run ("yyyy" is 4)
};

enum class Comparison { kLess, kLessEqual, kGreater, kGreaterEqual, kEqual, kNotEqual };

struct Condition {
  Comparison op = Comparison::kEqual;
  double operand = 0;

  bool Holds(double v) const {
    switch (op) {
      case Comparison::kLess:
        return v < operand;
      case Comparison::kLessEqual:
        return v <= operand;
      case Comparison::kGreater:
        return v > operand;
      case Comparison::kGreaterEqual:
        return v >= operand;
      case Comparison::kEqual:
        return v == operand;
      case Comparison::kNotEqual:
        return v != operand;
    }
    return false;
  }
};

struct Section {
  std::vector<Token> tokens;
  std::optional<Condition> condition;

  bool Has(TokenKind kind) const {
    return std::any_of(tokens.begin(), tokens.end(),
                       [kind](const Token& t) { return t.kind == kind; });
  }
  bool IsDate() const { return Has(TokenKind::kDateField) || Has(TokenKind::kAmPm); }
};

struct Format {
  std::vector<Section> sections;
};

constexpr size_t kMaxSections = 4;

char ToLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  }
  return true;
}

// Characters the host shows as themselves without quotes.
constexpr std::string_view kPlainLiterals = "$-+/():!^&'~{}<>= ";

constexpr std::array<std::string_view, 8> kColourNames = {"black",   "blue", "cyan",  "green",
                                                          "magenta", "red",  "white", "yellow"};
constexpr int kPaletteSize = 56;

Token Literal(std::string_view text) {
  Token t;
  t.kind = TokenKind::kLiteral;
  t.text = std::string(text);
  return t;
}

Token Simple(TokenKind kind, std::string_view text = {}) {
  Token t;
  t.kind = kind;
  t.text = std::string(text);
  return t;
}

Token Field(DateField field, int width) {
  Token t;
  t.kind = TokenKind::kDateField;
  t.field = field;
  t.width = width;
  return t;
}

bool ParseCondition(std::string_view content, Section& section) {
  static constexpr std::array<std::pair<std::string_view, Comparison>, 6> kOperators = {{
      {"<=", Comparison::kLessEqual},
      {"<>", Comparison::kNotEqual},
      {">=", Comparison::kGreaterEqual},
      {"<", Comparison::kLess},
      {">", Comparison::kGreater},
      {"=", Comparison::kEqual},
  }};
  for (const auto& [symbol, op] : kOperators) {
    if (content.substr(0, symbol.size()) != symbol) continue;
    std::string_view number = content.substr(symbol.size());
    while (!number.empty() && number.front() == ' ') number.remove_prefix(1);
    while (!number.empty() && number.back() == ' ') number.remove_suffix(1);
    if (!number.empty() && number.front() == '+') number.remove_prefix(1);
    double operand = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), operand);
    if (number.empty() || ec != std::errc() || end != number.data() + number.size() ||
        !std::isfinite(operand)) {
      return false;
    }
    section.condition = Condition{op, operand};
    return true;
  }
  return false;
}

// The contents of one [...]: a condition, a colour, a locale or currency tag, or an elapsed
// time field. False for anything else.
bool ParseBracket(std::string_view content, Section& section) {
  if (content.empty()) return false;
  if (content[0] == '$') {
    // [$¥-411]: the symbol before '-' is shown; the locale after it changes nothing here.
    const std::string_view symbol = content.substr(1, content.find('-', 1) - 1);
    if (!symbol.empty()) section.tokens.push_back(Literal(symbol));
    return true;
  }
  if (content[0] == '<' || content[0] == '>' || content[0] == '=') {
    return ParseCondition(content, section);
  }
  for (std::string_view name : kColourNames) {
    if (EqualsNoCase(content, name)) return true;
  }
  const auto numbered = [&content](std::string_view prefix, int low, int high) {
    if (content.size() <= prefix.size() || !EqualsNoCase(content.substr(0, prefix.size()), prefix))
      return false;
    const std::string_view digits = content.substr(prefix.size());
    int n = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    return ec == std::errc() && end == digits.data() + digits.size() && n >= low && n <= high;
  };
  if (numbered("color", 1, kPaletteSize)) return true;
  // Kanji numerals are not drawn; the digits stay Arabic rather than losing the whole layout.
  if (numbered("dbnum", 1, 4)) return true;
  const char letter = ToLowerAscii(content[0]);
  const bool one_letter = std::all_of(content.begin(), content.end(),
                                      [letter](char c) { return ToLowerAscii(c) == letter; });
  if (one_letter) {
    const int width = static_cast<int>(content.size());
    if (letter == 'h') section.tokens.push_back(Field(DateField::kElapsedHours, width));
    if (letter == 'm') section.tokens.push_back(Field(DateField::kElapsedMinutes, width));
    if (letter == 's') section.tokens.push_back(Field(DateField::kElapsedSeconds, width));
    return letter == 'h' || letter == 'm' || letter == 's';
  }
  return false;
}

// Splits a format code into sections of tokens. nullopt for a code the host would refuse.
class FormatParser {
 public:
  explicit FormatParser(std::string_view code) : code_(code) {}

  std::optional<Format> Parse();

 private:
  // Reads up to the next ';' (consumed, *more set) or the end.
  bool ParseSection(Section& section, bool* more);
  bool ParseToken(Section& section);
  bool ParseLetters(Section& section);
  int RunLength(char lower_letter) const;

  std::string_view code_;
  size_t pos_ = 0;
};

bool FinishSection(Section& section);

std::optional<Format> FormatParser::Parse() {
  Format format;
  bool more = true;
  while (more) {
    if (format.sections.size() == kMaxSections) return std::nullopt;
    Section section;
    if (!ParseSection(section, &more) || !FinishSection(section)) return std::nullopt;
    format.sections.push_back(std::move(section));
  }
  return format;
}

bool FormatParser::ParseSection(Section& section, bool* more) {
  while (pos_ < code_.size()) {
    if (code_[pos_] == ';') {
      ++pos_;
      *more = true;
      return true;
    }
    if (!ParseToken(section)) return false;
  }
  *more = false;
  return true;
}

bool FormatParser::ParseToken(Section& section) {
  const char c = code_[pos_];
  switch (c) {
    case '"': {
      const size_t close = code_.find('"', pos_ + 1);
      if (close == std::string_view::npos) return false;
      section.tokens.push_back(Literal(code_.substr(pos_ + 1, close - pos_ - 1)));
      pos_ = close + 1;
      return true;
    }
    case '\\':
    case '_':
    case '*': {
      if (pos_ + 1 >= code_.size()) return false;
      const size_t n = Utf8SequenceAt(code_, pos_ + 1);
      // '_x' leaves room as wide as x, which is one space in text; '*x' fills the cell width,
      // which a text has none of.
      if (c == '\\') section.tokens.push_back(Literal(code_.substr(pos_ + 1, n)));
      if (c == '_') section.tokens.push_back(Literal(" "));
      pos_ += 1 + n;
      return true;
    }
    case '[': {
      const size_t close = code_.find(']', pos_ + 1);
      if (close == std::string_view::npos) return false;
      if (!ParseBracket(code_.substr(pos_ + 1, close - pos_ - 1), section)) return false;
      pos_ = close + 1;
      return true;
    }
    case '0':
    case '#':
    case '?': {
      Token t = Simple(TokenKind::kDigit);
      t.placeholder = c;
      section.tokens.push_back(t);
      ++pos_;
      return true;
    }
    case '.':
    case ',':
    case '%':
    case '@': {
      const TokenKind kind = c == '.'   ? TokenKind::kDecimalPoint
                             : c == ',' ? TokenKind::kComma
                             : c == '%' ? TokenKind::kPercent
                                        : TokenKind::kTextValue;
      section.tokens.push_back(Simple(kind));
      ++pos_;
      return true;
    }
    default:
      break;
  }
  if (static_cast<unsigned char>(c) >= 0x80) {
    const size_t n = Utf8SequenceAt(code_, pos_);
    section.tokens.push_back(Literal(code_.substr(pos_, n)));
    pos_ += n;
    return true;
  }
  if (kPlainLiterals.find(c) != std::string_view::npos) {
    section.tokens.push_back(Literal(code_.substr(pos_, 1)));
    ++pos_;
    return true;
  }
  return ParseLetters(section);
}

int FormatParser::RunLength(char lower_letter) const {
  size_t end = pos_;
  while (end < code_.size() && ToLowerAscii(code_[end]) == lower_letter) ++end;
  return static_cast<int>(end - pos_);
}

bool FormatParser::ParseLetters(Section& section) {
  const std::string_view rest = code_.substr(pos_);
  for (std::string_view word :
       {std::string_view("general"), std::string_view("am/pm"), std::string_view("a/p")}) {
    if (rest.size() < word.size() || !EqualsNoCase(rest.substr(0, word.size()), word)) continue;
    section.tokens.push_back(Simple(word == "general" ? TokenKind::kGeneral : TokenKind::kAmPm,
                                    rest.substr(0, word.size())));
    pos_ += word.size();
    return true;
  }
  const char letter = ToLowerAscii(rest[0]);
  if (letter == 'e' && rest.size() > 1 && (rest[1] == '+' || rest[1] == '-')) {
    section.tokens.push_back(Simple(TokenKind::kExponent, rest.substr(0, 2)));
    pos_ += 2;
    return true;
  }
  DateField field;
  switch (letter) {
    case 'y':
      field = DateField::kYear;
      break;
    case 'm':
      field = DateField::kMonth;  // or minutes: settled once the whole section is read
      break;
    case 'd':
      field = DateField::kDay;
      break;
    case 'h':
      field = DateField::kHour;
      break;
    case 's':
      field = DateField::kSecond;
      break;
    case 'e':
      field = DateField::kEraYear;
      break;
    case 'g':
      field = DateField::kEraName;
      break;
    case 'a':
      field = DateField::kJapaneseWeekday;
      break;
    default:
      return false;
  }
  const int width = RunLength(letter);
  if (field == DateField::kJapaneseWeekday && width < 3) return false;
  section.tokens.push_back(Field(field, width));
  pos_ += static_cast<size_t>(width);
  return true;
}

bool IsSecondField(const Token& t) {
  return t.kind == TokenKind::kDateField &&
         (t.field == DateField::kSecond || t.field == DateField::kElapsedSeconds);
}

bool IsHourField(const Token& t) {
  return t.kind == TokenKind::kDateField &&
         (t.field == DateField::kHour || t.field == DateField::kElapsedHours);
}

// "m" and "mm" are minutes right after an hour field or right before a seconds field, other
// tokens between them aside; otherwise they are months.
void ResolveMinutes(std::vector<Token>& tokens) {
  const auto neighbour = [&tokens](size_t i, int step) -> const Token* {
    for (long j = static_cast<long>(i) + step; j >= 0 && j < static_cast<long>(tokens.size());
         j += step) {
      if (tokens[static_cast<size_t>(j)].kind == TokenKind::kDateField)
        return &tokens[static_cast<size_t>(j)];
    }
    return nullptr;
  };
  for (size_t i = 0; i < tokens.size(); ++i) {
    Token& t = tokens[i];
    if (t.kind != TokenKind::kDateField || t.field != DateField::kMonth || t.width > 2) continue;
    const Token* before = neighbour(i, -1);
    const Token* after = neighbour(i, 1);
    if ((before != nullptr && IsHourField(*before)) || (after != nullptr && IsSecondField(*after)))
      t.field = DateField::kMinute;
  }
}

// The host draws at most milliseconds.
constexpr int kMaxSubsecondDigits = 3;

// In a date section '.', ',' and '%' are plain characters, except "ss.00" (fractions of a
// second); any other number token makes the code one the host refuses.
bool FinishDateSection(Section& section) {
  std::vector<Token> out;
  const std::vector<Token>& in = section.tokens;
  for (size_t i = 0; i < in.size(); ++i) {
    const Token& t = in[i];
    switch (t.kind) {
      case TokenKind::kLiteral:
      case TokenKind::kDateField:
      case TokenKind::kAmPm:
        out.push_back(t);
        break;
      case TokenKind::kDecimalPoint: {
        size_t end = i + 1;
        while (end < in.size() && in[end].kind == TokenKind::kDigit && in[end].placeholder == '0')
          ++end;
        const int zeros = static_cast<int>(end - i - 1);
        if (zeros > 0 && !out.empty() && IsSecondField(out.back())) {
          out.push_back(Field(DateField::kSubsecond, std::min(zeros, kMaxSubsecondDigits)));
          i = end - 1;
        } else {
          out.push_back(Literal("."));
        }
        break;
      }
      case TokenKind::kComma:
        out.push_back(Literal(","));
        break;
      case TokenKind::kPercent:
        out.push_back(Literal("%"));
        break;
      default:
        return false;
    }
  }
  ResolveMinutes(out);
  section.tokens = std::move(out);
  return true;
}

// A number section has at most one exponent, with placeholders on both sides, and does not mix
// digit placeholders with "General" or '@'.
bool ValidNumberSection(const Section& section) {
  int exponents = 0;
  bool digits_before = false;
  bool digits_after = false;
  for (const Token& t : section.tokens) {
    if (t.kind == TokenKind::kExponent) ++exponents;
    if (t.kind == TokenKind::kDigit) (exponents == 0 ? digits_before : digits_after) = true;
  }
  if (exponents > 1 || (exponents == 1 && !(digits_before && digits_after))) return false;
  const bool has_digits = digits_before || digits_after;
  const bool general = section.Has(TokenKind::kGeneral);
  if (general && has_digits) return false;
  return !(section.Has(TokenKind::kTextValue) && (has_digits || general));
}

bool FinishSection(Section& section) {
  return section.IsDate() ? FinishDateSection(section) : ValidNumberSection(section);
}

std::optional<Format> ParseFormat(std::string_view code) { return FormatParser(code).Parse(); }

// ---------------------------------------------------------------------------
// Choosing the section for a number

struct SectionChoice {
  const Section* section = nullptr;  // nullptr: no section takes the value
  bool show_minus = false;           // a negative value gets a leading '-'
};

// Without conditions: one section takes everything and shows a '-'; two split at zero; three
// split into positive, negative and zero. The negative section shows the magnitude, its literals
// give the sign. A section picked by its own condition shows the value's sign, as does the third
// section when it takes what the conditions leave.
SectionChoice ChooseNumberSection(const Format& format, double v) {
  // A fourth section is for text only.
  const size_t n = std::min<size_t>(format.sections.size(), 3);
  const Section& first = format.sections[0];
  const bool negative = v < 0;
  const bool conditional =
      first.condition.has_value() || (n > 1 && format.sections[1].condition.has_value());
  if (!conditional) {
    if (n == 1) return {&first, true};
    if (n == 2) return {&format.sections[negative ? 1 : 0], false};
    return {&format.sections[v > 0 ? 0 : (negative ? 1 : 2)], false};
  }
  const bool first_takes = first.condition ? first.condition->Holds(v) : (n >= 3 ? v > 0 : v >= 0);
  if (first_takes) return {&first, true};
  if (n >= 2) {
    const Section& second = format.sections[1];
    if (second.condition) {
      if (second.condition->Holds(v)) return {&second, true};
    } else if (n == 2) {
      return {&second, true};
    } else if (negative) {
      return {&second, false};
    }
  }
  if (n >= 3) return {&format.sections[2], true};
  return {};
}

// ---------------------------------------------------------------------------
// Number sections

enum class Part { kInteger, kFraction, kExponent };

// Where each token of a number section belongs and what the section does to the value.
struct NumberLayout {
  std::vector<Part> parts;  // one per token
  std::vector<char> integer, fraction, exponent;
  long point_index = -1;  // the decimal point token; later points are plain characters
  bool has_exponent = false;
  bool grouping = false;
  int shift = 0;  // decimal places the value moves: +2 per '%', -3 per scaling ','
};

// Scaling is unbounded in the code but nothing past this changes a double's digits.
constexpr int kMaxShift = 1000;

NumberLayout LayOut(const Section& section) {
  NumberLayout layout;
  Part part = Part::kInteger;
  for (size_t i = 0; i < section.tokens.size(); ++i) {
    const Token& t = section.tokens[i];
    if (t.kind == TokenKind::kDecimalPoint && part == Part::kInteger) {
      layout.point_index = static_cast<long>(i);
      part = Part::kFraction;
    } else if (t.kind == TokenKind::kExponent) {
      layout.has_exponent = true;
      part = Part::kExponent;
    }
    layout.parts.push_back(part);
    if (t.kind == TokenKind::kDigit) {
      (part == Part::kInteger    ? layout.integer
       : part == Part::kFraction ? layout.fraction
                                 : layout.exponent)
          .push_back(t.placeholder);
    }
    if (t.kind == TokenKind::kPercent) layout.shift = std::min(layout.shift + 2, kMaxShift);
  }
  // A ',' between integer placeholders groups thousands; one after the last placeholder of the
  // integer or fraction part divides by 1000. A ',' before any placeholder does nothing.
  size_t seen_integer = 0;
  size_t seen_fraction = 0;
  for (size_t i = 0; i < section.tokens.size(); ++i) {
    const Token& t = section.tokens[i];
    const Part p = layout.parts[i];
    if (t.kind == TokenKind::kDigit) ++(p == Part::kInteger ? seen_integer : seen_fraction);
    if (t.kind != TokenKind::kComma || p == Part::kExponent || seen_integer + seen_fraction == 0)
      continue;
    const bool more_follow = p == Part::kInteger ? seen_integer < layout.integer.size()
                                                 : seen_fraction < layout.fraction.size();
    if (!more_follow) {
      layout.shift = std::max(layout.shift - 3, -kMaxShift);
    } else if (p == Part::kInteger) {
      layout.grouping = true;
    }
  }
  return layout;
}

// The text each integer placeholder shows, filled from the right; the leftmost one also takes
// the digits that do not fit. Unfilled '0' shows 0, '?' a space, '#' nothing.
std::vector<std::string> IntegerSlots(const std::vector<char>& placeholders,
                                      const std::string& digits, bool grouping) {
  const long n = static_cast<long>(placeholders.size());
  const long m = static_cast<long>(digits.size());
  std::vector<std::string> slots(static_cast<size_t>(n));
  const auto separator = [grouping](long position) {
    return grouping && position > 0 && position % 3 == 0;
  };
  for (long j = 0; j < n; ++j) {
    std::string& out = slots[static_cast<size_t>(j)];
    if (j == 0) {
      for (long k = 0; k < m - n; ++k) {
        out += digits[static_cast<size_t>(k)];
        if (separator(m - 1 - k)) out += ',';
      }
    }
    const long position = n - 1 - j;
    const char placeholder = placeholders[static_cast<size_t>(j)];
    if (position < m) {
      out += digits[static_cast<size_t>(m - 1 - position)];
      if (separator(position)) out += ',';
    } else if (placeholder == '0') {
      out += separator(position) ? "0," : "0";
    } else if (placeholder == '?') {
      out += separator(position) ? "  " : " ";
    }
  }
  return slots;
}

// The text each fraction placeholder shows: trailing zeros under '#' vanish, under '?' become
// spaces.
std::vector<std::string> FractionSlots(const std::vector<char>& placeholders,
                                       const std::string& digits) {
  std::vector<std::string> slots(placeholders.size());
  long k = static_cast<long>(placeholders.size()) - 1;
  for (; k >= 0 && placeholders[static_cast<size_t>(k)] != '0' &&
         digits[static_cast<size_t>(k)] == '0';
       --k) {
    slots[static_cast<size_t>(k)] = placeholders[static_cast<size_t>(k)] == '?' ? " " : "";
  }
  for (; k >= 0; --k)
    slots[static_cast<size_t>(k)] = std::string(1, digits[static_cast<size_t>(k)]);
  return slots;
}

long FloorDiv(long a, long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// The exponent that leaves as many integer digits as there are '0' placeholders before the
// point; with '#' or '?' among several placeholders, a multiple of their count ("##0.0E+0" is
// engineering notation).
long ExponentFor(const Decimal& d, const std::vector<char>& integer) {
  if (IsZero(d)) return 0;
  const long magnitude = d.point - 1;
  const long n = static_cast<long>(integer.size());
  const bool engineering =
      n > 1 && std::any_of(integer.begin(), integer.end(), [](char p) { return p != '0'; });
  if (engineering) return FloorDiv(magnitude, n) * n;
  return magnitude - (n - 1);
}

// The mantissa rounded to the fraction placeholders, with its exponent.
Decimal ScientificMantissa(const Decimal& d, const NumberLayout& layout, long* exponent) {
  const int fraction = static_cast<int>(layout.fraction.size());
  *exponent = ExponentFor(d, layout.integer);
  Decimal m = d;
  m.point = static_cast<int>(d.point - *exponent);
  m = RoundToFraction(m, fraction);
  if (!IsZero(m) && m.point + *exponent != d.point) {
    // Rounding carried into a new digit (9.99 -> 10.0): place the point again.
    Decimal rounded = m;
    rounded.point = static_cast<int>(m.point + *exponent);
    *exponent = ExponentFor(rounded, layout.integer);
    m = rounded;
    m.point = static_cast<int>(rounded.point - *exponent);
  }
  return m;
}

std::string RenderNumber(const Section& section, double abs_value) {
  const NumberLayout layout = LayOut(section);
  Decimal d = ToDecimal(abs_value);
  if (!IsZero(d)) d.point += layout.shift;
  long exponent = 0;
  const Decimal shown = layout.has_exponent
                            ? ScientificMantissa(d, layout, &exponent)
                            : RoundToFraction(d, static_cast<int>(layout.fraction.size()));
  const std::string integer_digits = IntegerDigits(shown);
  const std::vector<std::string> integer_slots =
      IntegerSlots(layout.integer, integer_digits, layout.grouping);
  const std::vector<std::string> fraction_slots = FractionSlots(
      layout.fraction, FractionDigits(shown, static_cast<int>(layout.fraction.size())));
  const std::vector<std::string> exponent_slots = IntegerSlots(
      layout.exponent, exponent == 0 ? "" : std::to_string(std::labs(exponent)), false);

  std::string out;
  size_t next[3] = {0, 0, 0};  // next slot of each part
  for (size_t i = 0; i < section.tokens.size(); ++i) {
    const Token& t = section.tokens[i];
    switch (t.kind) {
      case TokenKind::kLiteral:
        out += t.text;
        break;
      case TokenKind::kPercent:
        out += '%';
        break;
      case TokenKind::kDecimalPoint:
        // ".00" has no integer placeholder, yet 1.5 still shows its integer digits: "1.50".
        if (static_cast<long>(i) == layout.point_index && layout.integer.empty())
          out += integer_digits;
        out += '.';
        break;
      case TokenKind::kExponent:
        out += t.text[0];
        if (exponent < 0) {
          out += '-';
        } else if (t.text[1] == '+') {
          out += '+';
        }
        break;
      case TokenKind::kDigit: {
        const Part p = layout.parts[i];
        const std::vector<std::string>& slots = p == Part::kInteger    ? integer_slots
                                                : p == Part::kFraction ? fraction_slots
                                                                       : exponent_slots;
        out += slots[next[static_cast<int>(p)]++];
        break;
      }
      default:  // ',' was handled by the layout
        break;
    }
  }
  return out;
}

// A section holding "General" among literals ("[Red]General", "\"x\"General").
std::string RenderGeneralSection(const Section& section, double abs_value) {
  std::string out;
  for (const Token& t : section.tokens) {
    switch (t.kind) {
      case TokenKind::kLiteral:
        out += t.text;
        break;
      case TokenKind::kGeneral:
        out += GeneralText(abs_value);
        break;
      case TokenKind::kDecimalPoint:
        out += '.';
        break;
      case TokenKind::kComma:
        out += ',';
        break;
      case TokenKind::kPercent:
        out += '%';
        break;
      default:
        break;
    }
  }
  return out;
}

// ---------------------------------------------------------------------------
// Date sections

// 9999-12-31, the last day the host shows as a date.
constexpr long kMaxSerial = 2958465;
constexpr long kSecondsPerDay = 86400;

struct CivilDate {
  int year = 1900;
  int month = 1;
  int day = 0;
};

// Days since 1970-01-01 to a proleptic Gregorian date.
CivilDate CivilFromDays(long z) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {static_cast<int>(yoe + era * 400 + (month <= 2)), month, day};
}

// The host's 1900 date system counts 1900 as a leap year: serial 60 is 1900-02-29, a day that
// never was, and serial 0 shows as 1900-01-00.
CivilDate DateFromSerial(long serial) {
  constexpr long kDaysTo18991231 = -25568;  // 1899-12-31 counted from 1970-01-01
  if (serial == 0) return {1900, 1, 0};
  if (serial == 60) return {1900, 2, 29};
  return CivilFromDays(kDaysTo18991231 + serial - (serial > 60 ? 1 : 0));
}

// 0 is Sunday. Serial 1 is a Sunday in the host's count.
int WeekdayFromSerial(long serial) { return static_cast<int>((serial + 6) % 7); }

struct Era {
  CivilDate start;
  std::string_view name;
  std::string_view initial;
  std::string_view letter;
};

// Newest first. Serial dates start in 1900, well inside Meiji.
constexpr std::array<Era, 5> kEras = {{
    {{2019, 5, 1}, "令和", "令", "R"},
    {{1989, 1, 8}, "平成", "平", "H"},
    {{1926, 12, 25}, "昭和", "昭", "S"},
    {{1912, 7, 30}, "大正", "大", "T"},
    {{1868, 1, 1}, "明治", "明", "M"},
}};

const Era& EraOf(const CivilDate& date) {
  for (const Era& era : kEras) {
    if (std::tie(date.year, date.month, date.day) >=
        std::tie(era.start.year, era.start.month, era.start.day))
      return era;
  }
  return kEras.back();
}

constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};
constexpr std::array<std::string_view, 7> kJapaneseDays = {"日", "月", "火", "水",
                                                           "木", "金", "土"};

std::string Padded(long n, int width) {
  std::string s = std::to_string(n);
  if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
  return s;
}

// A serial date and time broken into the fields a date section shows.
struct DateTime {
  long serial = 0;
  CivilDate date;
  long total_units = 0;  // since serial 0, in units of 1 / units_per_second second
  long units_per_second = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  long subsecond = 0;
};

// nullopt when the value is no date the host can show.
std::optional<DateTime> BreakDown(double value, int subsecond_digits) {
  if (!(value >= 0) || value >= static_cast<double>(kMaxSerial + 1)) return std::nullopt;
  DateTime t;
  for (int i = 0; i < subsecond_digits; ++i) t.units_per_second *= 10;
  // Rounded to what is shown, then truncated per field: 0.99999999 is the next day, 00:00.
  t.total_units = std::lround(value * static_cast<double>(kSecondsPerDay * t.units_per_second));
  const long units_per_day = kSecondsPerDay * t.units_per_second;
  t.serial = t.total_units / units_per_day;
  if (t.serial > kMaxSerial) return std::nullopt;
  const long seconds = (t.total_units % units_per_day) / t.units_per_second;
  t.subsecond = t.total_units % t.units_per_second;
  t.hour = static_cast<int>(seconds / 3600);
  t.minute = static_cast<int>(seconds / 60 % 60);
  t.second = static_cast<int>(seconds % 60);
  t.date = DateFromSerial(t.serial);
  return t;
}

std::string RenderAmPm(const Token& token, int hour) {
  const bool pm = hour >= 12;
  if (token.text.size() == 5) return token.text.substr(pm ? 3 : 0, 2);  // AM/PM as written
  return token.text.substr(pm ? 2 : 0, 1);                              // A/P as written
}

std::string RenderDateField(const Token& token, const DateTime& t, bool twelve_hour) {
  const int w = token.width;
  switch (token.field) {
    case DateField::kYear:
      return w <= 2 ? Padded(t.date.year % 100, 2) : Padded(t.date.year, 4);
    case DateField::kMonth:
      if (w <= 2) return Padded(t.date.month, w);
      if (w == 3) return std::string(kMonthNames[t.date.month - 1].substr(0, 3));
      if (w == 5) return std::string(kMonthNames[t.date.month - 1].substr(0, 1));
      return std::string(kMonthNames[t.date.month - 1]);
    case DateField::kDay: {
      if (w <= 2) return Padded(t.date.day, w);
      const std::string_view name = kDayNames[WeekdayFromSerial(t.serial)];
      return std::string(w == 3 ? name.substr(0, 3) : name);
    }
    case DateField::kJapaneseWeekday: {
      const std::string day(kJapaneseDays[WeekdayFromSerial(t.serial)]);
      return w == 3 ? day : day + "曜日";
    }
    case DateField::kHour: {
      const int hour = twelve_hour ? (t.hour % 12 == 0 ? 12 : t.hour % 12) : t.hour;
      return Padded(hour, std::min(w, 2));
    }
    case DateField::kMinute:
      return Padded(t.minute, std::min(w, 2));
    case DateField::kSecond:
      return Padded(t.second, std::min(w, 2));
    case DateField::kSubsecond: {
      const int digits = DecimalLength(static_cast<int>(t.units_per_second)) - 1;
      return "." + Padded(t.subsecond, digits).substr(0, static_cast<size_t>(w));
    }
    case DateField::kEraName: {
      const Era& era = EraOf(t.date);
      return std::string(w == 1 ? era.letter : w == 2 ? era.initial : era.name);
    }
    case DateField::kEraYear:
      return Padded(t.date.year - EraOf(t.date).start.year + 1, std::min(w, 2));
    case DateField::kElapsedHours:
      return Padded(t.total_units / t.units_per_second / 3600, w);
    case DateField::kElapsedMinutes:
      return Padded(t.total_units / t.units_per_second / 60, w);
    case DateField::kElapsedSeconds:
      return Padded(t.total_units / t.units_per_second, w);
  }
  return {};
}

std::optional<std::string> RenderDate(const Section& section, double value) {
  int subsecond_digits = 0;
  for (const Token& t : section.tokens) {
    if (t.kind == TokenKind::kDateField && t.field == DateField::kSubsecond)
      subsecond_digits = std::max(subsecond_digits, t.width);
  }
  const std::optional<DateTime> time = BreakDown(value, subsecond_digits);
  if (!time) return std::nullopt;
  const bool twelve_hour = section.Has(TokenKind::kAmPm);
  std::string out;
  for (const Token& t : section.tokens) {
    if (t.kind == TokenKind::kLiteral) out += t.text;
    if (t.kind == TokenKind::kAmPm) out += RenderAmPm(t, time->hour);
    if (t.kind == TokenKind::kDateField) out += RenderDateField(t, *time, twelve_hour);
  }
  return out;
}

// ---------------------------------------------------------------------------
// Text sections

const Section* TextSection(const Format& format) {
  if (format.sections.size() == kMaxSections) return &format.sections[3];
  if (format.sections.size() == 1 && format.sections[0].Has(TokenKind::kTextValue))
    return &format.sections[0];
  return nullptr;
}

// ---------------------------------------------------------------------------
// Typed numbers

// Full-width forms a Japanese host reads as their ASCII twins when a number is typed.
std::optional<char> AsciiTwin(uint32_t code_point) {
  if (code_point >= 0xFF10 && code_point <= 0xFF19)
    return static_cast<char>('0' + code_point - 0xFF10);
  switch (code_point) {
    case 0x3000:
      return ' ';
    case 0xFF05:
      return '%';
    case 0xFF0B:
      return '+';
    case 0xFF0C:
      return ',';
    case 0xFF0D:
      return '-';
    case 0xFF0E:
      return '.';
    case 0xFF25:
      return 'E';
    case 0xFF45:
      return 'e';
    default:
      return std::nullopt;
  }
}

// `text` with full-width numerals replaced; nullopt when another non-ASCII character occurs.
std::optional<std::string> ToAsciiNumerals(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += text[i++];
      continue;
    }
    const std::optional<char32_t> code_point = DecodeUtf8Strict(text, &i);
    if (!code_point) return std::nullopt;
    const std::optional<char> twin = AsciiTwin(*code_point);
    if (!twin) return std::nullopt;
    out += *twin;
  }
  return out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Past this an exponent only decides between overflow and zero.
constexpr long kMaxTypedExponent = 100000;

std::optional<double> ParseAsciiNumber(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  size_t i = 0;
  const auto at = [&s, &i](char c) { return i < s.size() && s[i] == c; };
  bool negative = false;
  if (at('+') || at('-')) negative = s[i++] == '-';

  std::string integer;
  int group = 0;  // digits since the last ','
  bool grouped = false;
  for (; i < s.size() && (IsDigit(s[i]) || s[i] == ','); ++i) {
    if (s[i] != ',') {
      integer += s[i];
      ++group;
      continue;
    }
    if (grouped ? group != 3 : (group == 0 || group > 3)) return std::nullopt;
    grouped = true;
    group = 0;
  }
  if (grouped && group != 3) return std::nullopt;

  std::string fraction;
  if (at('.')) {
    for (++i; i < s.size() && IsDigit(s[i]); ++i) fraction += s[i];
  }
  if (integer.empty() && fraction.empty()) return std::nullopt;

  long exponent = 0;
  if (at('e') || at('E')) {
    ++i;
    bool exponent_negative = false;
    if (at('+') || at('-')) exponent_negative = s[i++] == '-';
    if (i >= s.size() || !IsDigit(s[i])) return std::nullopt;
    for (; i < s.size() && IsDigit(s[i]); ++i)
      exponent = std::min(exponent * 10 + (s[i] - '0'), kMaxTypedExponent);
    if (exponent_negative) exponent = -exponent;
  }
  if (at('%')) {
    ++i;
    exponent -= 2;  // in the exponent, so that "1.1%" reads exactly as 0.011
  }
  if (i != s.size()) return std::nullopt;

  std::string number = integer.empty() ? "0" : integer;
  if (!fraction.empty()) number += "." + fraction;
  number += "e" + std::to_string(exponent);
  double value = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec != std::errc() || end != number.data() + number.size() || !std::isfinite(value))
    return std::nullopt;
  if (value == 0) return 0.0;
  return negative ? -value : value;
}

constexpr std::string_view kLocalGeneral = "G/標準";

}  // namespace

std::string FormatNumber(double value, std::string_view format_code) {
  if (!std::isfinite(value)) return "#NUM!";
  if (IsGeneralFormat(format_code)) return GeneralText(value);
  const std::optional<Format> format = ParseFormat(format_code);
  if (!format) return GeneralText(value);
  const SectionChoice choice = ChooseNumberSection(*format, value);
  if (choice.section == nullptr) return GeneralText(value);
  const Section& section = *choice.section;
  if (section.Has(TokenKind::kTextValue)) return GeneralText(value);
  if (section.IsDate()) return RenderDate(section, value).value_or(GeneralText(value));
  const std::string body = section.Has(TokenKind::kGeneral)
                               ? RenderGeneralSection(section, std::fabs(value))
                               : RenderNumber(section, std::fabs(value));
  return choice.show_minus && value < 0 ? "-" + body : body;
}

std::string FormatText(std::string_view text, std::string_view format_code) {
  const std::optional<Format> format = ParseFormat(format_code);
  const Section* section = format ? TextSection(*format) : nullptr;
  if (section == nullptr) return std::string(text);
  std::string out;
  for (const Token& t : section->tokens) {
    if (t.kind == TokenKind::kLiteral) {
      out += t.text;
    } else if (t.kind == TokenKind::kTextValue) {
      out += text;
    } else {
      return std::string(text);
    }
  }
  return out;
}

std::string FormatBoolean(bool value) { return value ? "TRUE" : "FALSE"; }

bool IsGeneralFormat(std::string_view format_code) {
  return format_code.empty() || EqualsNoCase(format_code, "General") ||
         format_code == kLocalGeneral;
}

std::string ToLocalFormat(std::string_view format_code) {
  if (EqualsNoCase(format_code, "General")) return std::string(kLocalGeneral);
  return std::string(format_code);
}

std::string FromLocalFormat(std::string_view local_code) {
  if (local_code == kLocalGeneral) return "General";
  return std::string(local_code);
}

std::optional<double> ParseNumericText(std::string_view text) {
  const std::optional<std::string> ascii = ToAsciiNumerals(text);
  if (!ascii) return std::nullopt;
  return ParseAsciiNumber(*ascii);
}

}  // namespace tarquel::host
