// Opening faces and rendering glyphs with FreeType. Light hinting keeps the
// small user-interface sizes crisp vertically without distorting the shapes;
// rotation and synthetic italic are applied to the hinted outline, so rotated
// text has the same shapes as upright text.
#include "platform/text/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qv {

std::unique_ptr<FontFace> FontFace::Open(FT_Library library, const FaceKey& key) {
  if (!library || key.File.Path.empty()) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(library, key.File.Path.c_str(), key.File.Index, &face) != 0) return nullptr;
  if (!FT_IS_SCALABLE(face) || FT_Set_Pixel_Sizes(face, 0, FT_UInt(key.PixelSize)) != 0) {
    FT_Done_Face(face);
    return nullptr;
  }
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);
  return std::unique_ptr<FontFace>(new FontFace(face, key));
}

FontFace::FontFace(FT_Face face, const FaceKey& key) : face_(face), key_(key) {
  ReadDesignMetrics();
  // The slant of synthetic italic (about 12 degrees), then the rotation.
  double shear = key.SynthItalic ? 0.2 : 0.0;
  int tenths = ((key.Escapement % 3600) + 3600) % 3600;
  double c = 1, s = 0;
  switch (tenths) {  // exact values for the right angles
    case 0:
      break;
    case 900:
      c = 0, s = 1;
      break;
    case 1800:
      c = -1, s = 0;
      break;
    case 2700:
      c = 0, s = -1;
      break;
    default:
      c = std::cos(tenths * M_PI / 1800.0), s = std::sin(tenths * M_PI / 1800.0);
  }
  // [c -s; s c] * [1 shear; 0 1] in FreeType's y-up space.
  double m[4] = {c, c * shear - s, s, s * shear + c};
  for (int i = 0; i < 4; ++i) transform_[i] = std::lround(m[i] * 65536.0);
  transformed_ = tenths != 0 || key.SynthItalic;
}

FontFace::~FontFace() {
  FT_Done_Face(face_);
}

void FontFace::ReadDesignMetrics() {
  DesignMetrics& d = design_;
  d.UnitsPerEm = face_->units_per_EM > 0 ? face_->units_per_EM : 2048;
  d.HheaAscent = face_->ascender;
  d.HheaDescent = -face_->descender;
  d.HheaLineGap = std::max(0, face_->height - (face_->ascender - face_->descender));
  d.MaxAdvance = face_->max_advance_width;
  d.FixedPitch = FT_IS_FIXED_WIDTH(face_);
  d.UnderlinePosition = face_->underline_position;
  d.UnderlineThickness = face_->underline_thickness;
  d.WinAscent = d.HheaAscent;
  d.WinDescent = d.HheaDescent;
  d.StrikeoutPosition = d.UnitsPerEm * 26 / 100;
  d.StrikeoutSize = d.UnderlineThickness;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
      os2 && os2->version != 0xFFFF) {
    if (os2->usWinAscent + os2->usWinDescent > 0) {
      d.WinAscent = os2->usWinAscent;
      d.WinDescent = os2->usWinDescent;
    }
    d.AvgCharWidth = os2->xAvgCharWidth;
    if (os2->yStrikeoutSize > 0) {
      d.StrikeoutPosition = os2->yStrikeoutPosition;
      d.StrikeoutSize = os2->yStrikeoutSize;
    }
  }
  if (d.WinAscent + d.WinDescent <= 0) d.WinAscent = d.UnitsPerEm, d.WinDescent = 0;
}

std::string FontFace::FamilyName() const {
  return face_->family_name ? face_->family_name : "";
}

uint32_t FontFace::GlyphIndex(char32_t cp) const {
  return FT_Get_Char_Index(face_, FT_ULong(cp));
}

const Glyph& FontFace::GetGlyph(uint32_t index) {
  auto it = glyphs_.find(index);
  if (it != glyphs_.end()) return it->second;
  return glyphs_.emplace(index, Render(index)).first->second;
}

Glyph FontFace::Render(uint32_t index) const {
  Glyph g;
  if (FT_Load_Glyph(face_, index, FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP) != 0) return g;
  FT_GlyphSlot slot = face_->glyph;
  // The upright advance, rounded: rotation moves the pen along the rotated
  // baseline by the same whole number of pixels.
  g.Advance = int((slot->metrics.horiAdvance + 32) >> 6);
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    if (key_.SynthBold) {
      FT_Outline_EmboldenXY(&slot->outline, 64, 0);  // one pixel wider, as overstriking does
      ++g.Advance;
    }
    if (transformed_) {
      FT_Matrix m{transform_[0], transform_[1], transform_[2], transform_[3]};
      FT_Outline_Transform(&slot->outline, &m);
    }
  }
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return g;
  const FT_Bitmap& bm = slot->bitmap;
  if (bm.pixel_mode != FT_PIXEL_MODE_GRAY || !bm.buffer) return g;
  g.Left = slot->bitmap_left;
  g.Top = slot->bitmap_top;
  g.Width = int(bm.width);
  g.Height = int(bm.rows);
  g.Coverage.resize(std::size_t(g.Width) * std::size_t(g.Height));
  for (int y = 0; y < g.Height; ++y) {
    const unsigned char* src = bm.pitch >= 0 ? bm.buffer + std::ptrdiff_t(y) * bm.pitch
                                             : bm.buffer + std::ptrdiff_t(g.Height - 1 - y) * -bm.pitch;
    std::memcpy(g.Coverage.data() + std::size_t(y) * std::size_t(g.Width), src, std::size_t(g.Width));
  }
  return g;
}

}  // namespace qv
