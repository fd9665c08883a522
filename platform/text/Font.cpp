// Metrics from the face's design values and glyph resolution with fallback.
// The cell (ascent and descent) comes from the OS/2 "win" values, which is how
// the platform we follow sizes its text lines.
#include "platform/text/Font.h"

#include <algorithm>
#include <cmath>

#include "platform/Utf.h"

namespace qv {
namespace {

int Scale(int units, int pixels, int upem) {
  return int(std::lround(double(units) * pixels / upem));
}
// Rounds up, but not for values that are whole up to rounding noise.
int ScaleUp(int units, int pixels, int upem) {
  return int(std::ceil(double(units) * pixels / upem - 0.02));
}

}  // namespace

int EmPixelsFor(int logicalHeight, const DesignMetrics& d) {
  long h = logicalHeight == 0 ? kDefaultFontHeight : logicalHeight;
  long em = h < 0 ? -h : std::lround(double(h) * d.UnitsPerEm / (d.WinAscent + d.WinDescent));
  return int(std::clamp(em, 1L, 1000L));  // hostile heights must not allocate wildly
}

Font::Font(const FontRequest& request, FontFace* primary, FontFace* fallback, CoveringFace covering)
    : request_(request), primary_(primary), fallback_(fallback), covering_(std::move(covering)) {
  ComputeMetrics();
  MakeBoxGlyph();
}

std::u16string Font::FaceName() const {
  if (!request_.FaceName.empty()) return request_.FaceName;
  return Utf8ToUtf16(primary_->FamilyName());
}

void Font::ComputeMetrics() {
  const DesignMetrics& d = primary_->Design();
  const int em = primary_->Key().PixelSize, upem = d.UnitsPerEm;
  FontMetrics& m = metrics_;
  const int cell = d.WinAscent + d.WinDescent;
  if (request_.Height > 0) {  // a cell height: keep it exactly
    m.Height = std::max(1, std::min(request_.Height, 2000));
    m.Ascent = int(std::lround(double(m.Height) * d.WinAscent / cell));
    m.Descent = m.Height - m.Ascent;
  } else {
    m.Ascent = ScaleUp(d.WinAscent, em, upem);
    m.Descent = std::max(0, ScaleUp(d.WinDescent, em, upem));
    m.Height = m.Ascent + m.Descent;
  }
  m.InternalLeading = std::max(0, m.Height - em);
  int extra = d.HheaLineGap - (cell - (d.HheaAscent + d.HheaDescent));
  m.ExternalLeading = std::max(0, Scale(extra, em, upem));
  m.AveCharWidth = d.AvgCharWidth > 0 ? Scale(d.AvgCharWidth, em, upem) : Advance(U'x');
  m.MaxCharWidth = std::max(1, Scale(d.MaxAdvance, em, upem));
  m.Weight = request_.Weight > 0 ? request_.Weight : 400;
  if (primary_->Key().SynthBold) ++m.AveCharWidth, ++m.MaxCharWidth;
  m.Italic = request_.Italic;
  m.Underline = request_.Underline;
  m.StrikeOut = request_.StrikeOut;
  m.FixedPitch = d.FixedPitch;
  m.UnderlineThickness = std::max(1, Scale(d.UnderlineThickness, em, upem));
  m.UnderlineOffset = std::clamp(Scale(-d.UnderlinePosition, em, upem), 1, std::max(1, m.Descent - 1));
  m.StrikeoutThickness = std::max(1, Scale(d.StrikeoutSize, em, upem));
  m.StrikeoutOffset = std::max(1, Scale(d.StrikeoutPosition, em, upem));
}

// A hollow rectangle about the size of a capital letter.
void Font::MakeBoxGlyph() {
  const int em = primary_->Key().PixelSize;
  box_.Width = std::max(3, em * 5 / 10);
  box_.Height = std::max(3, metrics_.Ascent * 7 / 10);
  box_.Left = std::max(1, em / 12);
  box_.Top = box_.Height;
  box_.Advance = box_.Width + 2 * box_.Left;
  box_.Coverage.assign(std::size_t(box_.Width) * std::size_t(box_.Height), 0);
  for (int y = 0; y < box_.Height; ++y)
    for (int x = 0; x < box_.Width; ++x)
      if (y == 0 || x == 0 || y == box_.Height - 1 || x == box_.Width - 1)
        box_.Coverage[std::size_t(y) * std::size_t(box_.Width) + std::size_t(x)] = 255;
  blank_.Advance = Advance(U' ');
  if (request_.Escapement % 3600 != 0)
    box_.Width = box_.Height = 0, box_.Coverage.clear();  // no rotated box: keep the room
}

const Glyph& Font::Lookup(char32_t cp) {
  if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) return blank_;
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (uint32_t index = primary_->GlyphIndex(cp)) return primary_->GetGlyph(index);
  if (fallback_)
    if (uint32_t index = fallback_->GlyphIndex(cp)) return fallback_->GetGlyph(index);
  if (covering_)
    if (FontFace* face = covering_(cp))
      if (uint32_t index = face->GlyphIndex(cp)) return face->GetGlyph(index);
  return box_;
}

const Glyph& Font::Resolve(char32_t cp) {
  if (cp >= 0x10000)
    if (auto it = astral_.find(cp); it != astral_.end()) return *it->second;
  const Glyph& g = Lookup(cp);
  if (cp < 0x10000) {
    auto& page = pages_[cp >> 8];
    if (!page) page = std::make_unique<Page>();
    page->Glyphs[cp & 0xFF] = &g;
  } else {
    astral_[cp] = &g;
  }
  return g;
}

}  // namespace qv
