// Pen and brush objects, and the resolution of a brush into a Fill for a DC
// (system-colour brushes, DC brush colour, hatch and 1-bit pattern colours).
#include <algorithm>

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Raster.h"

namespace qv {
using namespace gdi;

namespace {

constexpr std::array<uint8_t, 8> HatchBits(int hatch) {
  std::array<uint8_t, 8> b{};
  for (int i = 0; i < 8; ++i) {
    uint8_t h = i == 3 ? 0xFF : 0, v = 0x08, f = uint8_t(0x80 >> i), bd = uint8_t(0x01 << i);
    switch (hatch) {
      case HS_HORIZONTAL:
        b[std::size_t(i)] = h;
        break;
      case HS_VERTICAL:
        b[std::size_t(i)] = v;
        break;
      case HS_FDIAGONAL:
        b[std::size_t(i)] = f;
        break;
      case HS_BDIAGONAL:
        b[std::size_t(i)] = bd;
        break;
      case HS_CROSS:
        b[std::size_t(i)] = uint8_t(h | v);
        break;
      default:
        b[std::size_t(i)] = uint8_t(f | bd);
        break;
    }
  }
  return b;
}

std::unique_ptr<Pen> NewPen(int style, int width, COLORREF color, DWORD fullStyle) {
  if (style < PS_SOLID || style > PS_ALTERNATE || style == PS_USERSTYLE) style = PS_SOLID;
  auto pen = std::make_unique<Pen>();
  pen->style = style;
  pen->width = std::max(width, 1);
  pen->color = color & 0xFFFFFF;
  pen->fullStyle = fullStyle;
  return pen;
}

}  // namespace

HPEN CreatePen(int style, int width, COLORREF color) {
  auto pen = NewPen(style, width, color, DWORD(style));
  // Wide pens made by CreatePen are solid, as on the platform.
  if (pen->width > 1 && pen->style != PS_NULL && pen->style != PS_INSIDEFRAME) pen->style = PS_SOLID;
  return static_cast<HPEN>(Insert(std::move(pen)));
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  return lp ? CreatePen(int(lp->lopnStyle), lp->lopnWidth.x, lp->lopnColor) : nullptr;
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD, const DWORD*) {
  if (!brush) return nullptr;
  int s = int(style & PS_STYLE_MASK);
  bool cosmetic = (style & PS_TYPE_MASK) == PS_COSMETIC;
  if (s == PS_ALTERNATE && !cosmetic) return nullptr;  // alternate dots exist only for cosmetic pens
  if (cosmetic && width != 1) return nullptr;
  COLORREF color = brush->lbStyle == BS_NULL ? 0 : brush->lbColor;
  if (brush->lbStyle == BS_NULL) s = PS_NULL;
  // Geometric pens keep their style at any width; extended pens are their own object type.
  auto pen = NewPen(s, int(std::min<DWORD>(width, 1 << 16)), color, style);
  pen->type = OBJ_EXTPEN;
  return static_cast<HPEN>(Insert(std::move(pen)));
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto b = std::make_unique<Brush>();
  b->style = BS_SOLID;
  b->color = color & 0xFFFFFF;
  return static_cast<HBRUSH>(Insert(std::move(b)));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
  auto b = std::make_unique<Brush>();
  b->style = BS_HATCHED;
  b->color = color & 0xFFFFFF;
  b->hatch = hatch;
  b->bits = HatchBits(hatch);
  return static_cast<HBRUSH>(Insert(std::move(b)));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  Bitmap* bm = As<Bitmap>(bitmap);
  if (!bm || bm->width <= 0 || bm->height <= 0) return nullptr;
  auto b = std::make_unique<Brush>();
  b->style = BS_PATTERN;
  PixelRows rows = bm->Rows();
  b->monoPattern = bm->bpp == 1;
  for (int y = 0; y < 8; ++y) {
    uint8_t bits = 0;
    for (int x = 0; x < 8; ++x) {
      uint32_t p = rows.Get(x % bm->width, y % bm->height);
      b->pattern[std::size_t(y * 8 + x)] = p | 0xFF000000u;
      if (p & 0xFFFFFF) bits |= uint8_t(0x80 >> x);
    }
    b->bits[std::size_t(y)] = bits;
  }
  return static_cast<HBRUSH>(Insert(std::move(b)));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  switch (lb->lbStyle) {
    case BS_SOLID:
      return CreateSolidBrush(lb->lbColor);
    case BS_HATCHED:
      return CreateHatchBrush(int(lb->lbHatch), lb->lbColor);
    case BS_PATTERN:
    case BS_PATTERN8X8:
      return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
    case BS_NULL:
      return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    default:
      return nullptr;
  }
}

namespace gdi {

// A 1-bit pattern draws 0 bits in the text colour and 1 bits in the background
// colour; a hatch draws its lines in the brush colour over the background
// colour, or over nothing in TRANSPARENT mode.
bool MakeBrushFill(Dc& dc, HBRUSH brush, Fill& fill) {
  fill = Fill{};
  uintptr_t v = reinterpret_cast<uintptr_t>(brush);
  if (v >= 1 && v <= SYS_COLOR_COUNT) {
    fill = SolidFill(ToPixel(ResolveSysColor(int(v) - 1)));
    return true;
  }
  Brush* b = As<Brush>(brush);
  if (!b) return false;
  POINT off = dc.deviceOrigin;
  fill.orgX = dc.s.brushOrg.x + off.x;
  fill.orgY = dc.s.brushOrg.y + off.y;
  if (b->isDcBrush) {
    fill.kind = Fill::Solid;
    fill.color = ToPixel(dc.s.dcBrushColor);
  } else if (b->style == BS_NULL) {
    fill.kind = Fill::None;
  } else if (b->style == BS_SOLID) {
    fill.kind = Fill::Solid;
    fill.color = ToPixel(b->color);
  } else if (b->style == BS_HATCHED || b->monoPattern) {
    fill.kind = Fill::Pattern;
    uint32_t on = b->style == BS_HATCHED ? ToPixel(b->color) : ToPixel(dc.s.bkColor);
    uint32_t off0 = b->style == BS_HATCHED ? ToPixel(dc.s.bkColor) : ToPixel(dc.s.textColor);
    for (int i = 0; i < 64; ++i)
      fill.pattern[std::size_t(i)] = (b->bits[std::size_t(i / 8)] >> (7 - i % 8) & 1) ? on : off0;
    if (b->style == BS_HATCHED && dc.s.bkMode == TRANSPARENT) {
      fill.masked = true;
      fill.mask = b->bits;
    }
  } else {
    fill.kind = Fill::Pattern;
    fill.pattern = b->pattern;
  }
  return true;
}

}  // namespace gdi
}  // namespace qv
