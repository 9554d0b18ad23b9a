#include "print/font_catalog.h"

#include <fontconfig/fontconfig.h>
#include <hb.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "print/print_error.h"

namespace tarquel::print {

namespace {

// Workbook font names and the installed families drawn for them, best first.
//
// - The ＭＳ fonts (and their Latin spellings) have metric twins in the IPA fonts: the
// P(roportional)
//   faces for the P names, the fixed-pitch faces for the others. Their 11-point digit is 8 pixels
//   on screen, which makes the host's default column width of 8.38 digits 72 pixels.
// - The newer Japanese UI fonts (游ゴシック, 游明朝, メイリオ) have no metric twin; IPAex is
//   closest in design, Noto CJK covers what IPAex lacks.
// - The HG fonts are gothic or mincho by their names; the HGP/HGS faces are proportional.
// - Latin fonts go to their metric twins: Carlito for Calibri (7-pixel digit at 11 points),
//   Caladea for Cambria, Liberation for Arial, Times New Roman and Courier New.
// The first entry is also the fallback of a name that is neither here nor installed.
// digit_pixels_at_11 0 means: measured from the installed face.
constexpr FontMapping kFontMappings[] = {
    {"ＭＳ Ｐゴシック", "IPAPGothic,Noto Sans CJK JP", 8},
    {"ＭＳ ゴシック", "IPAGothic,Noto Sans CJK JP", 8},
    {"ＭＳ Ｐ明朝", "IPAPMincho,Noto Serif CJK JP", 8},
    {"ＭＳ 明朝", "IPAMincho,Noto Serif CJK JP", 8},
    {"MS PGothic", "IPAPGothic,Noto Sans CJK JP", 8},
    {"MS Gothic", "IPAGothic,Noto Sans CJK JP", 8},
    {"MS PMincho", "IPAPMincho,Noto Serif CJK JP", 8},
    {"MS Mincho", "IPAMincho,Noto Serif CJK JP", 8},
    {"ＭＳ ＵＩ ゴシック", "IPAPGothic,Noto Sans CJK JP", 0},
    {"MS UI Gothic", "IPAPGothic,Noto Sans CJK JP", 0},
    {"游ゴシック", "IPAexGothic,Noto Sans CJK JP", 0},
    {"游ゴシック Medium", "IPAexGothic,Noto Sans CJK JP", 0},
    {"游ゴシック Light", "IPAexGothic,Noto Sans CJK JP", 0},
    {"Yu Gothic", "IPAexGothic,Noto Sans CJK JP", 0},
    {"Yu Gothic Medium", "IPAexGothic,Noto Sans CJK JP", 0},
    {"Yu Gothic Light", "IPAexGothic,Noto Sans CJK JP", 0},
    {"Yu Gothic UI", "IPAexGothic,Noto Sans CJK JP", 0},
    {"メイリオ", "IPAexGothic,Noto Sans CJK JP", 0},
    {"Meiryo", "IPAexGothic,Noto Sans CJK JP", 0},
    {"Meiryo UI", "IPAexGothic,Noto Sans CJK JP", 0},
    {"游明朝", "IPAexMincho,Noto Serif CJK JP", 0},
    {"游明朝 Demibold", "IPAexMincho,Noto Serif CJK JP", 0},
    {"Yu Mincho", "IPAexMincho,Noto Serif CJK JP", 0},
    {"Yu Mincho Demibold", "IPAexMincho,Noto Serif CJK JP", 0},
    {"HGｺﾞｼｯｸE", "IPAGothic,Noto Sans CJK JP", 0},
    {"HGPｺﾞｼｯｸE", "IPAPGothic,Noto Sans CJK JP", 0},
    {"HGSｺﾞｼｯｸE", "IPAPGothic,Noto Sans CJK JP", 0},
    {"HGｺﾞｼｯｸM", "IPAGothic,Noto Sans CJK JP", 0},
    {"HGPｺﾞｼｯｸM", "IPAPGothic,Noto Sans CJK JP", 0},
    {"HGSｺﾞｼｯｸM", "IPAPGothic,Noto Sans CJK JP", 0},
    {"HG丸ｺﾞｼｯｸM-PRO", "IPAPGothic,Noto Sans CJK JP", 0},
    {"HG創英角ｺﾞｼｯｸUB", "IPAGothic,Noto Sans CJK JP", 0},
    {"HGP創英角ｺﾞｼｯｸUB", "IPAPGothic,Noto Sans CJK JP", 0},
    {"HGS創英角ｺﾞｼｯｸUB", "IPAPGothic,Noto Sans CJK JP", 0},
    {"HG明朝B", "IPAMincho,Noto Serif CJK JP", 0},
    {"HGP明朝B", "IPAPMincho,Noto Serif CJK JP", 0},
    {"HGS明朝B", "IPAPMincho,Noto Serif CJK JP", 0},
    {"HG明朝E", "IPAMincho,Noto Serif CJK JP", 0},
    {"HGP明朝E", "IPAPMincho,Noto Serif CJK JP", 0},
    {"HGS明朝E", "IPAPMincho,Noto Serif CJK JP", 0},
    {"HG教科書体", "IPAMincho,Noto Serif CJK JP", 0},
    {"HGP教科書体", "IPAPMincho,Noto Serif CJK JP", 0},
    {"HGS教科書体", "IPAPMincho,Noto Serif CJK JP", 0},
    {"HG正楷書体-PRO", "IPAMincho,Noto Serif CJK JP", 0},
    {"HG行書体", "IPAMincho,Noto Serif CJK JP", 0},
    {"HGP行書体", "IPAPMincho,Noto Serif CJK JP", 0},
    {"HGS行書体", "IPAPMincho,Noto Serif CJK JP", 0},
    {"HG創英ﾌﾟﾚｾﾞﾝｽEB", "IPAMincho,Noto Serif CJK JP", 0},
    {"HGP創英ﾌﾟﾚｾﾞﾝｽEB", "IPAPMincho,Noto Serif CJK JP", 0},
    {"HGS創英ﾌﾟﾚｾﾞﾝｽEB", "IPAPMincho,Noto Serif CJK JP", 0},
    {"Calibri", "Carlito", 7},
    {"Calibri Light", "Carlito", 7},
    {"Cambria", "Caladea", 0},
    {"Arial", "Liberation Sans", 0},
    {"Times New Roman", "Liberation Serif", 0},
    {"Courier New", "Liberation Mono", 0},
};

// The last resort when neither a name nor the first entry's families are installed.
constexpr std::string_view kLastResortFamily = "Noto Sans CJK JP";

// Workbooks spell the same name with full-width or half-width Latin letters and spaces, in any
// case: compare names with full-width ASCII and the ideographic space made half-width, ASCII
// letters lower-cased.
std::string NormalisedName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (size_t i = 0; i < name.size();) {
    auto byte = static_cast<unsigned char>(name[i]);
    // U+FF01..U+FF5E is EF BC 81..EF BD 9E; U+3000 is E3 80 80.
    if (byte == 0xEF && i + 2 < name.size()) {
      auto second = static_cast<unsigned char>(name[i + 1]);
      auto third = static_cast<unsigned char>(name[i + 2]);
      char32_t code = 0xF000 | ((second & 0x3F) << 6) | (third & 0x3F);
      if (code >= 0xFF01 && code <= 0xFF5E) {
        out += static_cast<char>(std::tolower(static_cast<int>(code - 0xFF01 + 0x21)));
        i += 3;
        continue;
      }
    }
    if (byte == 0xE3 && i + 2 < name.size() && static_cast<unsigned char>(name[i + 1]) == 0x80 &&
        static_cast<unsigned char>(name[i + 2]) == 0x80) {
      out += ' ';
      i += 3;
      continue;
    }
    out += byte < 0x80 ? static_cast<char>(std::tolower(byte)) : name[i];
    ++i;
  }
  return out;
}

const FontMapping* FindMapping(const std::string& name) {
  const std::string wanted = NormalisedName(name);
  for (const FontMapping& mapping : kFontMappings) {
    if (NormalisedName(mapping.workbook_name) == wanted) return &mapping;
  }
  return nullptr;
}

std::vector<std::string> SplitFamilies(std::string_view families) {
  std::vector<std::string> out;
  while (!families.empty()) {
    size_t comma = families.find(',');
    std::string_view family = families.substr(0, comma);
    if (!family.empty()) out.emplace_back(family);
    if (comma == std::string_view::npos) break;
    families.remove_prefix(comma + 1);
  }
  return out;
}

// Family names compare as fontconfig compares them: ignoring ASCII case and blanks.
bool SameFamily(std::string_view a, std::string_view b) {
  auto folded = [](std::string_view name) {
    std::string out;
    for (char c : name) {
      if (c != ' ') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
  };
  return folded(a) == folded(b);
}

// The weight and slant of the face itself. What FcFontMatch answers is prepared for drawing:
// the configuration's synthetic rules may have called a regular face bold or italic already.
std::pair<int, int> FaceStyle(FcConfig* config, const FcChar8* file, int index) {
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  FcPattern* query = FcPatternCreate();
  FcPatternAddString(query, FC_FILE, file);
  FcPatternAddInteger(query, FC_INDEX, index);
  FcObjectSet* objects = FcObjectSetBuild(FC_WEIGHT, FC_SLANT, nullptr);
  FcFontSet* set = FcFontList(config, query, objects);
  if (set != nullptr && set->nfont > 0) {
    FcPatternGetInteger(set->fonts[0], FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(set->fonts[0], FC_SLANT, 0, &slant);
  }
  if (set != nullptr) FcFontSetDestroy(set);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(query);
  return {weight, slant};
}

// The installed face of `family` closest to the style asked, or nullopt when fontconfig knows
// no such family (it always answers with some font: the answer's family is checked).
std::optional<FontChoice> MatchFamily(FcConfig* config, const std::string& family, bool bold,
                                      bool italic) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return std::nullopt;

  std::optional<FontChoice> choice;
  bool same_family = false;
  FcChar8* value = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
    if (SameFamily(reinterpret_cast<const char*>(value), family)) {
      same_family = true;
      break;
    }
  }
  FcChar8* file = nullptr;
  if (same_family && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    int index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    auto [weight, slant] = FaceStyle(config, file, index);
    // The same file reached by a link (Debian's alternatives) is one face, loaded once.
    std::error_code error;
    std::filesystem::path path =
        std::filesystem::canonical(reinterpret_cast<const char*>(file), error);
    if (error) path = reinterpret_cast<const char*>(file);
    choice = FontChoice{FontFile{path.string(), index}, family, bold && weight < FC_WEIGHT_DEMIBOLD,
                        italic && slant == FC_SLANT_ROMAN};
  }
  FcPatternDestroy(match);
  return choice;
}

}  // namespace

std::span<const FontMapping> FontMappings() { return kFontMappings; }

struct FontCatalog::Impl {
  struct Face {
    hb_font_t* font = nullptr;
    int units_per_em = 1000;
  };

  // Whether Choose answered a name with the table's first entry because nothing else was there.
  struct Chosen {
    FontChoice choice;
    bool fell_back = false;
  };

  std::map<std::tuple<std::string, bool, bool>, Chosen> choices;
  std::map<FontFile, Face> faces;
  std::map<std::pair<std::string, double>, int> digit_widths;
  // The catalog's own fontconfig configuration, loaded on first use and destroyed with it (the
  // library's global one is never freed).
  FcConfig* config = nullptr;

  ~Impl() {
    for (auto& [file, face] : faces) hb_font_destroy(face.font);
    if (config != nullptr) FcConfigDestroy(config);
  }

  std::optional<FontChoice> Match(const std::string& family, bool bold, bool italic) {
    if (config == nullptr) config = FcInitLoadConfigAndFonts();
    if (config == nullptr) return std::nullopt;
    return MatchFamily(config, family, bold, italic);
  }

  const Chosen& Choose(const std::string& name, bool bold, bool italic) {
    auto key = std::make_tuple(name, bold, italic);
    if (auto found = choices.find(key); found != choices.end()) return found->second;

    std::vector<std::string> families;
    if (const FontMapping* mapping = FindMapping(name)) {
      families = SplitFamilies(mapping->families);
    } else {
      families.push_back(name);
    }
    std::optional<FontChoice> choice;
    for (const std::string& family : families) {
      if ((choice = Match(family, bold, italic))) break;
    }
    bool fell_back = false;
    if (!choice) {
      fell_back = true;
      std::vector<std::string> fallbacks = SplitFamilies(kFontMappings[0].families);
      fallbacks.emplace_back(kLastResortFamily);
      for (const std::string& family : fallbacks) {
        if ((choice = Match(family, bold, italic))) break;
      }
    }
    if (!choice) {
      throw PrintError("フォント「" + name +
                       "」の代わりに使えるフォントがこのコンピューターにありません。IPA "
                       "フォントか Noto CJK フォントをインストールしてください。");
    }
    return choices.emplace(std::move(key), Chosen{std::move(*choice), fell_back}).first->second;
  }

  const Face& FaceOf(const FontFile& file) {
    if (auto found = faces.find(file); found != faces.end()) return found->second;
    hb_blob_t* blob = hb_blob_create_from_file(file.path.c_str());
    hb_face_t* face = hb_face_create(blob, static_cast<unsigned>(file.index));
    hb_blob_destroy(blob);
    Face loaded;
    loaded.font = hb_font_create(face);
    loaded.units_per_em = static_cast<int>(std::max(1u, hb_face_get_upem(face)));
    hb_face_destroy(face);
    return faces.emplace(file, loaded).first->second;
  }
};

FontCatalog::FontCatalog() : impl_(std::make_unique<Impl>()) {}

FontCatalog::~FontCatalog() = default;

const FontChoice& FontCatalog::Choose(const std::string& name, bool bold, bool italic) {
  return impl_->Choose(name, bold, italic).choice;
}

hb_font_t* FontCatalog::HarfBuzzFont(const FontFile& file) { return impl_->FaceOf(file).font; }

int FontCatalog::UnitsPerEm(const FontFile& file) { return impl_->FaceOf(file).units_per_em; }

int FontCatalog::MaxDigitWidthPixels(const std::string& name, double size) {
  auto key = std::make_pair(name, size);
  if (auto found = impl_->digit_widths.find(key); found != impl_->digit_widths.end()) {
    return found->second;
  }
  const Impl::Chosen& chosen = impl_->Choose(name, false, false);
  const FontMapping* mapping = chosen.fell_back ? &kFontMappings[0] : FindMapping(name);
  double pixels = 0;
  if (mapping != nullptr && mapping->digit_pixels_at_11 > 0) {
    pixels = mapping->digit_pixels_at_11 * size / 11;
  } else {
    const Impl::Face& face = impl_->FaceOf(chosen.choice.file);
    hb_position_t widest = 0;
    for (hb_codepoint_t digit = '0'; digit <= '9'; ++digit) {
      hb_codepoint_t glyph = 0;
      if (hb_font_get_nominal_glyph(face.font, digit, &glyph)) {
        widest = std::max(widest, hb_font_get_glyph_h_advance(face.font, glyph));
      }
    }
    // Points to pixels at 96 dpi.
    pixels = widest * size / face.units_per_em * 96 / 72;
  }
  int rounded = std::max(1, static_cast<int>(std::lround(pixels)));
  impl_->digit_widths.emplace(std::move(key), rounded);
  return rounded;
}

}  // namespace tarquel::print
