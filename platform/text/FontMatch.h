// Finding the font file for a requested family and style: the family names the
// program asks for are mapped to the installed families, then fontconfig picks
// the file.
#pragma once
#include <string>
#include <string_view>

namespace qv {

struct FontFile {
  std::string Path;
  int Index = 0;       // face index inside a collection file
  std::string Family;  // the family fontconfig answered with
  bool Bold = false;   // the file's own style; a mismatch is synthesised
  bool Italic = false;
  bool operator==(const FontFile&) const = default;
};

// The installed family that stands in for a requested one ("Tahoma" ->
// "Liberation Sans"). Unknown names are returned unchanged; an empty name
// means the default user interface font.
std::string MapFontFamily(std::string_view requested);

// The file for the family (after mapping) in the given style. When fontconfig
// has no family of that name, the fallback family (DejaVu Sans) is used, so
// the answer is the same on every machine with our declared fonts. Path is
// empty only when not even the fallback is installed.
FontFile MatchFontFile(std::string_view requested, bool bold, bool italic);

// A file in the given style that has a glyph for the code point, for text in
// scripts neither the requested face nor the fallback family covers (Japanese
// names in a Latin face). Path is empty when no installed font has it.
FontFile MatchFontCovering(char32_t cp, bool bold, bool italic);

// The family used for code points the requested face lacks.
inline constexpr std::string_view kFallbackFamily = "DejaVu Sans";

}  // namespace qv
