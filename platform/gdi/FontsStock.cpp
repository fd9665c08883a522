// Font objects (the LOGFONT only), the stock objects, GetObject and the system
// colours the GDI's frame drawings use (the platform's scheme unless replaced).
#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Raster.h"
#include "platform/gdi/SystemColors.h"

namespace qv {
using namespace gdi;

namespace {

template <typename Char>
void CopyFace(Char* dst, const Char* src) {
  int i = 0;
  for (; src && src[i] && i < LF_FACESIZE - 1; ++i) dst[i] = src[i];
  for (; i < LF_FACESIZE; ++i) dst[i] = 0;
}

template <typename To, typename From>
void CopyMetrics(To& t, const From& f) {
  t.lfHeight = f.lfHeight;
  t.lfWidth = f.lfWidth;
  t.lfEscapement = f.lfEscapement;
  t.lfOrientation = f.lfOrientation;
  t.lfWeight = f.lfWeight;
  t.lfItalic = f.lfItalic;
  t.lfUnderline = f.lfUnderline;
  t.lfStrikeOut = f.lfStrikeOut;
  t.lfCharSet = f.lfCharSet;
  t.lfOutPrecision = f.lfOutPrecision;
  t.lfClipPrecision = f.lfClipPrecision;
  t.lfQuality = f.lfQuality;
  t.lfPitchAndFamily = f.lfPitchAndFamily;
}

// Face names are ASCII in practice; other bytes are carried through as Latin-1.
LOGFONTW Widen(const LOGFONTA& a) {
  LOGFONTW w;
  CopyMetrics(w, a);
  for (int i = 0; i < LF_FACESIZE; ++i) w.lfFaceName[i] = WCHAR(uint8_t(a.lfFaceName[i]));
  return w;
}

LOGFONTA Narrow(const LOGFONTW& w) {
  LOGFONTA a;
  CopyMetrics(a, w);
  for (int i = 0; i < LF_FACESIZE; ++i)
    a.lfFaceName[i] = w.lfFaceName[i] < 0x80 ? char(w.lfFaceName[i]) : '?';
  return a;
}

LOGFONTW MakeLogFont(int height, int width, int esc, int orient, int weight, DWORD italic, DWORD underline,
                     DWORD strike, DWORD charSet, DWORD outP, DWORD clipP, DWORD quality, DWORD pitch) {
  LOGFONTW lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = esc;
  lf.lfOrientation = orient;
  lf.lfWeight = weight;
  lf.lfItalic = BYTE(italic != 0);
  lf.lfUnderline = BYTE(underline != 0);
  lf.lfStrikeOut = BYTE(strike != 0);
  lf.lfCharSet = BYTE(charSet);
  lf.lfOutPrecision = BYTE(outP);
  lf.lfClipPrecision = BYTE(clipP);
  lf.lfQuality = BYTE(quality);
  lf.lfPitchAndFamily = BYTE(pitch);
  return lf;
}

HFONT StockFont(const char* face, int height, LONG weight) {
  LOGFONTA a;
  a.lfHeight = height;
  a.lfWeight = weight;
  a.lfCharSet = DEFAULT_CHARSET;
  CopyFace(a.lfFaceName, face);
  return CreateFontIndirectA(&a);
}

HGDIOBJ MakeStock(int id) {
  switch (id) {
    case WHITE_BRUSH:
      return CreateSolidBrush(RGB(255, 255, 255));
    case LTGRAY_BRUSH:
      return CreateSolidBrush(RGB(192, 192, 192));
    case GRAY_BRUSH:
      return CreateSolidBrush(RGB(128, 128, 128));
    case DKGRAY_BRUSH:
      return CreateSolidBrush(RGB(64, 64, 64));
    case BLACK_BRUSH:
      return CreateSolidBrush(RGB(0, 0, 0));
    case NULL_BRUSH: {
      auto b = std::make_unique<Brush>();
      b->style = BS_NULL;
      return Insert(std::move(b));
    }
    case WHITE_PEN:
      return CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    case BLACK_PEN:
      return CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    case NULL_PEN:
      return CreatePen(PS_NULL, 1, 0);
    case DC_BRUSH: {
      auto b = std::make_unique<Brush>();
      b->isDcBrush = true;
      return Insert(std::move(b));
    }
    case DC_PEN: {
      auto p = std::make_unique<Pen>();
      p->isDcPen = true;
      return Insert(std::move(p));
    }
    case DEFAULT_GUI_FONT:
    case ANSI_VAR_FONT:
      return StockFont("MS Sans Serif", -11, FW_NORMAL);
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
      return StockFont("System", 16, FW_BOLD);
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT:
      return StockFont("Courier New", -13, FW_NORMAL);
    default:
      return nullptr;
  }
}

GdiSysColorSource gSysColorSource = nullptr;

}  // namespace

HFONT CreateFontIndirectW(const LOGFONTW* lf) {
  if (!lf) return nullptr;
  auto f = std::make_unique<Font>();
  f->lf = *lf;
  f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
  return static_cast<HFONT>(Insert(std::move(f)));
}

HFONT CreateFontIndirectA(const LOGFONTA* lf) {
  if (!lf) return nullptr;
  LOGFONTW w = Widen(*lf);
  return CreateFontIndirectW(&w);
}

HFONT CreateFontW(int height, int width, int esc, int orient, int weight, DWORD italic, DWORD underline,
                  DWORD strike, DWORD charSet, DWORD outP, DWORD clipP, DWORD quality, DWORD pitch,
                  const WCHAR* face) {
  LOGFONTW lf = MakeLogFont(height, width, esc, orient, weight, italic, underline, strike, charSet, outP,
                            clipP, quality, pitch);
  CopyFace(lf.lfFaceName, face);
  return CreateFontIndirectW(&lf);
}

HFONT CreateFontA(int height, int width, int esc, int orient, int weight, DWORD italic, DWORD underline,
                  DWORD strike, DWORD charSet, DWORD outP, DWORD clipP, DWORD quality, DWORD pitch,
                  const char* face) {
  LOGFONTA a = Narrow(MakeLogFont(height, width, esc, orient, weight, italic, underline, strike, charSet,
                                  outP, clipP, quality, pitch));
  CopyFace(a.lfFaceName, face);
  return CreateFontIndirectA(&a);
}

HGDIOBJ GetStockObject(int id) {
  static std::mutex m;
  static HGDIOBJ stock[DC_PEN + 1] = {};
  if (id < 0 || id > DC_PEN) return nullptr;
  std::lock_guard lock(m);
  if (!stock[id]) {
    stock[id] = MakeStock(id);
    if (Object* o = Lookup(stock[id])) o->stock = true;
  }
  return stock[id];
}

namespace {

template <typename T>
int CopyOut(const T& value, int size, void* buffer) {
  if (!buffer) return int(sizeof(T));
  if (size < int(sizeof(T))) return 0;
  std::memcpy(buffer, &value, sizeof(T));
  return int(sizeof(T));
}

int GetBitmapObject(Bitmap& b, int size, void* buffer) {
  BITMAP bm;
  bm.bmWidth = b.width;
  bm.bmHeight = b.height;
  bm.bmWidthBytes = LONG(b.widthBytes);
  bm.bmPlanes = 1;
  bm.bmBitsPixel = WORD(b.bpp);
  bm.bmBits = b.dib ? b.Bytes() : nullptr;
  if (b.dib && buffer && size >= int(sizeof(DIBSECTION))) {
    DIBSECTION ds;
    ds.dsBm = bm;
    ds.dsBmih = b.header;
    return CopyOut(ds, size, buffer);
  }
  return CopyOut(bm, size, buffer);
}

int GetObjectImpl(HGDIOBJ obj, int size, void* buffer, bool wide) {
  Object* o = Lookup(obj);
  if (!o || size < 0) return 0;
  if (auto* p = dynamic_cast<Pen*>(o); p && p->type == OBJ_EXTPEN) {
    EXTLOGPEN ep;
    ep.elpPenStyle = p->fullStyle;
    ep.elpWidth = DWORD(p->width);
    ep.elpBrushStyle = p->style == PS_NULL ? BS_NULL : BS_SOLID;
    ep.elpColor = p->color;
    return CopyOut(ep, size, buffer);
  }
  if (auto* p = dynamic_cast<Pen*>(o)) {
    LOGPEN lp;
    lp.lopnStyle = UINT(p->style);
    lp.lopnWidth = {p->width, 0};
    lp.lopnColor = p->color;
    return CopyOut(lp, size, buffer);
  }
  if (auto* b = dynamic_cast<Brush*>(o)) {
    LOGBRUSH lb;
    lb.lbStyle = b->isDcBrush ? BS_SOLID : b->style;
    lb.lbColor = b->color;
    lb.lbHatch = uintptr_t(b->hatch);
    return CopyOut(lb, size, buffer);
  }
  if (auto* f = dynamic_cast<Font*>(o))
    return wide ? CopyOut(f->lf, size, buffer) : CopyOut(Narrow(f->lf), size, buffer);
  if (auto* bm = dynamic_cast<Bitmap*>(o)) return GetBitmapObject(*bm, size, buffer);
  return 0;
}

}  // namespace

int GetObjectW(HGDIOBJ obj, int size, void* buffer) {
  return GetObjectImpl(obj, size, buffer, true);
}
int GetObjectA(HGDIOBJ obj, int size, void* buffer) {
  return GetObjectImpl(obj, size, buffer, false);
}

void SetGdiSysColorSource(GdiSysColorSource source) {
  gSysColorSource = source;
}

COLORREF SysColorForGdi(int index) {
  if (index < 0 || index >= SYS_COLOR_COUNT) return 0;
  return gSysColorSource ? gSysColorSource(index) : GetSysColor(index);
}

namespace gdi {
COLORREF ResolveSysColor(int index) {
  return SysColorForGdi(index);
}
Brush* StockBrush(int id) {
  return As<Brush>(GetStockObject(id));
}
Pen* StockPen(int id) {
  return As<Pen>(GetStockObject(id));
}
}  // namespace gdi

}  // namespace qv
