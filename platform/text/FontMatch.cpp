// Family mapping and the fontconfig look-up. fontconfig is initialised once
// and only consulted when a font is first used; the caller caches the answer.
#include "platform/text/FontMatch.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <mutex>
#include <unordered_map>

namespace qv {
namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

struct FamilyAlias {
  std::string_view From, To;
};
constexpr std::array kAliases{
    FamilyAlias{"ms sans serif", "Liberation Sans"},  FamilyAlias{"tahoma", "Liberation Sans"},
    FamilyAlias{"arial", "Liberation Sans"},          FamilyAlias{"microsoft sans serif", "Liberation Sans"},
    FamilyAlias{"segoe ui", "Liberation Sans"},       FamilyAlias{"ms shell dlg", "Liberation Sans"},
    FamilyAlias{"ms shell dlg 2", "Liberation Sans"}, FamilyAlias{"courier new", "Liberation Mono"},
    FamilyAlias{"courier", "Liberation Mono"},        FamilyAlias{"times new roman", "Liberation Serif"},
};

// Generic names are fontconfig's own aliases: whatever it answers is right.
bool IsGenericFamily(const std::string& lower) {
  return lower == "sans-serif" || lower == "sans" || lower == "serif" || lower == "monospace" ||
         lower == "mono";
}

FcConfig* Config() {
  static FcConfig* config = FcInitLoadConfigAndFonts();
  return config;
}

// The file of a fontconfig match; empty Path when there is none.
FontFile FileOf(FcPattern* match) {
  FontFile result;
  FcChar8* file = nullptr;
  FcChar8* fam = nullptr;
  int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch || !file) return result;
  result.Path = reinterpret_cast<const char*>(file);
  FcPatternGetInteger(match, FC_INDEX, 0, &index);
  FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(match, FC_SLANT, 0, &slant);
  if (FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch && fam)
    result.Family = reinterpret_cast<const char*>(fam);
  result.Index = index;
  // A face without a bold style matches a bold request with the weight asked
  // for and a note to embolden it: the file itself is regular, and the text
  // is emboldened here (as the desktop's own programs do).
  FcBool embolden = FcFalse;
  FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
  result.Bold = weight >= FC_WEIGHT_DEMIBOLD && !embolden;
  result.Italic = slant != FC_SLANT_ROMAN;
  return result;
}

// One fontconfig query for a style and either a family or a code point the
// face must have; empty Path when nothing matched.
FontFile Query(const std::string* family, const char32_t* covering, bool bold, bool italic) {
  FontFile result;
  FcConfig* config = Config();
  if (!config) return result;
  FcPattern* pattern = FcPatternCreate();
  if (family) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family->c_str()));
  FcCharSet* chars = nullptr;
  if (covering) {
    chars = FcCharSetCreate();
    FcCharSetAddChar(chars, FcChar32(*covering));
    FcPatternAddCharSet(pattern, FC_CHARSET, chars);
  }
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult res = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &res);
  if (match) {
    // fontconfig answers its best match even when no font has the code point.
    FcCharSet* has = nullptr;
    if (!covering || (FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch && has &&
                      FcCharSetHasChar(has, FcChar32(*covering))))
      result = FileOf(match);
    FcPatternDestroy(match);
  }
  if (chars) FcCharSetDestroy(chars);
  FcPatternDestroy(pattern);
  return result;
}

// fontconfig is not safe for concurrent queries on one configuration.
std::mutex& QueryMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

std::string MapFontFamily(std::string_view requested) {
  std::string lower = Lower(requested);
  if (lower.empty()) return "Liberation Sans";
  for (const auto& alias : kAliases)
    if (alias.From == lower) return std::string(alias.To);
  return std::string(requested);
}

FontFile MatchFontFile(std::string_view requested, bool bold, bool italic) {
  std::lock_guard lock(QueryMutex());
  std::string family = MapFontFamily(requested);
  FontFile file = Query(&family, nullptr, bold, italic);
  if (!file.Path.empty() && (IsGenericFamily(Lower(family)) || Lower(file.Family) == Lower(family)))
    return file;
  const std::string fallbackFamily(kFallbackFamily);
  FontFile fallback = Query(&fallbackFamily, nullptr, bold, italic);
  return fallback.Path.empty() ? file : fallback;
}

FontFile MatchFontCovering(char32_t cp, bool bold, bool italic) {
  std::lock_guard lock(QueryMutex());
  // Every font size and face asks again for the same code points: one query each.
  static std::unordered_map<uint64_t, FontFile> answers;
  const uint64_t key = uint64_t(cp) << 2 | uint64_t(bold) << 1 | uint64_t(italic);
  auto it = answers.find(key);
  if (it == answers.end()) it = answers.emplace(key, Query(nullptr, &cp, bold, italic)).first;
  return it->second;
}

}  // namespace qv

#if defined(__SANITIZE_ADDRESS__)
// fontconfig loses a few bytes while parsing its configuration files; that is
// not ours to fix, and it must not fail every sanitised program that draws text.
extern "C" const char* __lsan_default_suppressions();
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
#endif
