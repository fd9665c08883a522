// One font file opened at one pixel size and style, with its cache of rendered
// glyphs. Glyphs are grey-level coverage bitmaps positioned on whole pixels, and
// their advances are whole pixels, so measuring and drawing always agree.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/text/FontMatch.h"

typedef struct FT_LibraryRec_* FT_Library;
typedef struct FT_FaceRec_* FT_Face;

namespace qv {

struct Glyph {
  int Left = 0;                   // bitmap's left edge relative to the pen
  int Top = 0;                    // bitmap's top row above the baseline (positive = up)
  int Width = 0;                  // coverage bytes per row
  int Height = 0;                 // rows
  int Advance = 0;                // pen movement along the baseline, whole pixels
  std::vector<uint8_t> Coverage;  // Width * Height, 0..255
};

// What a face is opened with; faces are shared between fonts by this key.
struct FaceKey {
  FontFile File;
  int PixelSize = 11;        // em size in pixels
  bool SynthBold = false;    // the file is regular but bold was asked for
  bool SynthItalic = false;  // the file is upright but italic was asked for
  int Escapement = 0;        // tenths of a degree, counter-clockwise
  bool operator==(const FaceKey&) const = default;
};

// The font-unit values the metrics are derived from.
struct DesignMetrics {
  int UnitsPerEm = 2048;
  int WinAscent = 0, WinDescent = 0;  // the cell the platform's metrics use
  int HheaAscent = 0, HheaDescent = 0, HheaLineGap = 0;
  int AvgCharWidth = 0;  // 0 when the font does not say
  int MaxAdvance = 0;
  int UnderlinePosition = 0, UnderlineThickness = 0;  // underline position negative = below
  int StrikeoutPosition = 0, StrikeoutSize = 0;
  bool FixedPitch = false;
};

class FontFace {
 public:
  // Null when the file cannot be opened as a scalable font.
  static std::unique_ptr<FontFace> Open(FT_Library library, const FaceKey& key);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  const FaceKey& Key() const { return key_; }
  const DesignMetrics& Design() const { return design_; }
  std::string FamilyName() const;

  // 0 when the face has no glyph for the code point.
  uint32_t GlyphIndex(char32_t cp) const;
  // The rendered glyph, from the cache after the first use. Glyphs that fail
  // to load come back empty with a zero advance.
  const Glyph& GetGlyph(uint32_t index);

 private:
  FontFace(FT_Face face, const FaceKey& key);
  void ReadDesignMetrics();
  Glyph Render(uint32_t index) const;

  FT_Face face_;
  FaceKey key_;
  DesignMetrics design_;
  long transform_[4];  // 16.16 matrix: oblique shear then rotation; identity = none
  bool transformed_ = false;
  std::unordered_map<uint32_t, Glyph> glyphs_;
};

}  // namespace qv
