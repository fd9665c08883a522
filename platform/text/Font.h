// A font as a device context uses it: the request made by a logical font,
// resolved to a face of the right pixel size, its metrics in whole pixels and a
// code-point map to cached glyphs (falling back to DejaVu Sans, then a box).
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/text/FontFace.h"

namespace qv {

// What a logical font asks for (the fields of LOGFONT the renderer uses).
struct FontRequest {
  std::u16string FaceName;
  int Height = 0;      // < 0 em height, > 0 cell height, 0 default
  int Escapement = 0;  // tenths of a degree
  int Weight = 400;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  bool operator==(const FontRequest&) const = default;
};

// Metrics in device pixels.
struct FontMetrics {
  int Height = 0, Ascent = 0, Descent = 0;  // Ascent + Descent == Height
  int InternalLeading = 0, ExternalLeading = 0;
  int AveCharWidth = 0, MaxCharWidth = 0;
  int Weight = 400;
  bool Italic = false, Underline = false, StrikeOut = false, FixedPitch = false;
  int UnderlineOffset = 0, UnderlineThickness = 1;  // offset below the baseline
  int StrikeoutOffset = 0, StrikeoutThickness = 1;  // offset above the baseline
};

// The em size in pixels the default logical height (0) stands for: 8 points at 96 dpi.
inline constexpr int kDefaultFontHeight = -11;

class Font {
 public:
  // A face with a glyph for a code point neither primary nor fallback has, or null.
  using CoveringFace = std::function<FontFace*(char32_t)>;

  // primary must not be null; fallback and covering may be.
  Font(const FontRequest& request, FontFace* primary, FontFace* fallback, CoveringFace covering = {});

  const FontRequest& Request() const { return request_; }
  const FontMetrics& Metrics() const { return metrics_; }
  int Escapement() const { return request_.Escapement; }
  std::u16string FaceName() const;

  // The glyph drawn for a code point: never null. The warm path is two array
  // look-ups for the Basic Multilingual Plane.
  const Glyph& GlyphFor(char32_t cp) {
    if (cp < 0x10000) {
      const Page* page = pages_[cp >> 8].get();
      if (page && page->Glyphs[cp & 0xFF]) return *page->Glyphs[cp & 0xFF];
    }
    return Resolve(cp);
  }
  int Advance(char32_t cp) { return GlyphFor(cp).Advance; }

 private:
  struct Page {
    std::array<const Glyph*, 256> Glyphs{};
  };
  const Glyph& Resolve(char32_t cp);
  const Glyph& Lookup(char32_t cp);
  void ComputeMetrics();
  void MakeBoxGlyph();

  FontRequest request_;
  FontFace* primary_;
  FontFace* fallback_;
  CoveringFace covering_;
  FontMetrics metrics_;
  Glyph box_;    // for code points no face has
  Glyph blank_;  // control characters: a space's width, nothing drawn
  std::array<std::unique_ptr<Page>, 256> pages_;
  std::unordered_map<char32_t, const Glyph*> astral_;
};

// The pixel em size and whether the height is a cell height, for a logical height.
int EmPixelsFor(int logicalHeight, const DesignMetrics& design);

}  // namespace qv
