// Device contexts: memory and surface DCs, object selection with reference
// counts (so deleted-while-selected objects live until deselected), saved
// states, origins, drawing attributes, and the window-manager and text-renderer
// access to a DC.
#include "platform/gdi/DeviceContext.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Raster.h"
#include "platform/gdi/Region.h"

namespace qv {
using namespace gdi;

namespace gdi {
namespace {

HBITMAP DefaultBitmap() {
  static HBITMAP h = [] {
    HBITMAP b = CreateBitmap(1, 1, 1, 1, nullptr);
    if (Object* o = Lookup(b)) o->stock = true;
    return b;
  }();
  return h;
}

void RetainState(const DcState& s) {
  for (HGDIOBJ h : {HGDIOBJ(s.pen), HGDIOBJ(s.brush), HGDIOBJ(s.font), HGDIOBJ(s.bitmap)}) Retain(h);
}

void ReleaseState(const DcState& s) {
  for (HGDIOBJ h : {HGDIOBJ(s.pen), HGDIOBJ(s.brush), HGDIOBJ(s.font), HGDIOBJ(s.bitmap)}) Release(h);
}

DcState DefaultState(bool memory) {
  DcState s;
  s.pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  s.brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  s.font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  s.bitmap = memory ? DefaultBitmap() : nullptr;
  return s;
}

HDC NewDc(bool memory) {
  auto dc = std::make_unique<Dc>(memory ? OBJ_MEMDC : OBJ_DC);
  dc->s = DefaultState(memory);
  RetainState(dc->s);
  return static_cast<HDC>(Insert(std::move(dc)));
}

// Clears the owner mark of a bitmap no state of this DC holds any more.
void DropBitmapOwner(Dc& dc, HBITMAP bmp, HDC self) {
  if (!bmp || bmp == dc.s.bitmap) return;
  for (const DcState& st : dc.saved)
    if (st.bitmap == bmp) return;
  if (Bitmap* b = As<Bitmap>(bmp); b && b->selectedIn == self) b->selectedIn = nullptr;
}

}  // namespace

PixelRows Dc::Rows() {
  if (type == OBJ_MEMDC) {
    Bitmap* b = As<Bitmap>(s.bitmap);
    return b ? b->Rows() : PixelRows{};
  }
  PixelRows r;
  ++pixelUses;
  if (surface && surface->Width > 0 && surface->Height > 0) {
    r.base = reinterpret_cast<uint8_t*>(surface->Pixels.data());
    r.stride = ptrdiff_t(surface->Width) * 4;
    r.width = surface->Width;
    r.height = surface->Height;
  }
  return r;
}

const PixRegion& Dc::Clip() {
  PixelRows r = Rows();
  if (clipValid && clipW == r.width && clipH == r.height && clipBase == r.base) return effClip;
  effClip.SetRect({0, 0, r.Valid() ? r.width : 0, r.Valid() ? r.height : 0});
  if (hasVis) {
    PixRegion v = vis;
    v.Offset(deviceOrigin.x, deviceOrigin.y);
    effClip.Intersect(v);
  }
  if (s.hasClip) {
    PixRegion c = s.clip;
    c.Offset(deviceOrigin.x, deviceOrigin.y);
    effClip.Intersect(c);
  }
  clipValid = true;
  clipW = r.width;
  clipH = r.height;
  clipBase = r.base;
  return effClip;
}

}  // namespace gdi

HDC CreateCompatibleDC(HDC hdc) {
  if (hdc && !DcOf(hdc)) return nullptr;
  return NewDc(true);
}

BOOL DeleteDC(HDC hdc) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  DcState current = dc->s;
  std::vector<DcState> saved = std::move(dc->saved);
  dc->saved.clear();
  dc->s = DcState{};
  for (const DcState& st : saved) {
    if (Bitmap* b = As<Bitmap>(st.bitmap); b && b->selectedIn == hdc) b->selectedIn = nullptr;
    ReleaseState(st);
  }
  if (Bitmap* b = As<Bitmap>(current.bitmap); b && b->selectedIn == hdc) b->selectedIn = nullptr;
  ReleaseState(current);
  Erase(hdc);
  return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  Dc* dc = DcOf(hdc);
  Object* o = Lookup(obj);
  if (!dc || !o) return nullptr;
  HGDIOBJ old = nullptr;
  switch (o->type) {
    case OBJ_PEN:
    case OBJ_EXTPEN:
      old = dc->s.pen;
      dc->s.pen = static_cast<HPEN>(obj);
      break;
    case OBJ_BRUSH:
      old = dc->s.brush;
      dc->s.brush = static_cast<HBRUSH>(obj);
      break;
    case OBJ_FONT:
      old = dc->s.font;
      dc->s.font = static_cast<HFONT>(obj);
      break;
    case OBJ_BITMAP: {
      auto* b = static_cast<Bitmap*>(o);
      if (dc->type != OBJ_MEMDC) return nullptr;
      if (!b->stock && b->selectedIn && b->selectedIn != hdc) return nullptr;  // one DC at a time
      old = dc->s.bitmap;
      dc->s.bitmap = static_cast<HBITMAP>(obj);
      if (!b->stock) b->selectedIn = hdc;
      dc->InvalidateClip();
      Retain(obj);
      DropBitmapOwner(*dc, static_cast<HBITMAP>(old), hdc);
      Release(old);
      return old;
    }
    case OBJ_REGION:
      return reinterpret_cast<HGDIOBJ>(intptr_t(SelectClipRgn(hdc, static_cast<HRGN>(obj))));
    default:
      return nullptr;
  }
  if (old != obj) {
    Retain(obj);
    Release(old);
  }
  return old;
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  Dc* dc = DcOf(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN:
    case OBJ_EXTPEN:
      return dc->s.pen;
    case OBJ_BRUSH:
      return dc->s.brush;
    case OBJ_FONT:
      return dc->s.font;
    case OBJ_BITMAP:
      return dc->s.bitmap;
    default:
      return nullptr;
  }
}

int SaveDC(HDC hdc) {
  Dc* dc = DcOf(hdc);
  if (!dc) return 0;
  dc->saved.push_back(dc->s);
  RetainState(dc->s);
  return int(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int level) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  int depth = int(dc->saved.size());
  if (level < 0) level = depth + 1 + level;
  if (level <= 0 || level > depth) return FALSE;
  while (int(dc->saved.size()) >= level) {
    DcState restored = std::move(dc->saved.back());
    dc->saved.pop_back();
    DcState old = std::move(dc->s);
    dc->s = std::move(restored);  // the saved state's references move with it
    if (Bitmap* b = As<Bitmap>(dc->s.bitmap); b && !b->stock) b->selectedIn = hdc;
    DropBitmapOwner(*dc, old.bitmap, hdc);
    ReleaseState(old);
  }
  dc->InvalidateClip();
  return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
  Dc* dc = DcOf(hdc);
  if (!dc) return 0;
  PixelRows r = dc->Rows();
  bool mono = dc->type == OBJ_MEMDC && r.bpp == 1;
  switch (index) {
    case DRIVERVERSION:
      return 0x4000;
    case TECHNOLOGY:
      return DT_RASDISPLAY;
    case HORZRES:
      return dc->surface ? dc->surface->Width : r.width;
    case VERTRES:
      return dc->surface ? dc->surface->Height : r.height;
    case HORZSIZE:
      return (dc->surface ? dc->surface->Width : r.width) * 254 / 960;
    case VERTSIZE:
      return (dc->surface ? dc->surface->Height : r.height) * 254 / 960;
    case BITSPIXEL:
      return mono ? 1 : 32;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return -1;
    case NUMBRUSHES:
    case NUMPENS:
      return -1;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return 96;
    case RASTERCAPS:
      return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case SIZEPALETTE:
      return 0;
    case COLORRES:
      return 24;
    case SHADEBLENDCAPS:
      return 0x3F;
    default:
      return 0;
  }
}

// ---- Origins ----------------------------------------------------------------

namespace {

BOOL SetPoint(HDC hdc, POINT DcState::*field, int x, int y, POINT* old, bool relative) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  POINT& p = dc->s.*field;
  if (old) *old = p;
  p = relative ? POINT{p.x + x, p.y + y} : POINT{x, y};
  return TRUE;
}

BOOL GetPoint(HDC hdc, POINT DcState::*field, POINT* out) {
  Dc* dc = DcOf(hdc);
  if (!dc || !out) return FALSE;
  *out = dc->s.*field;
  return TRUE;
}

}  // namespace

BOOL SetViewportOrgEx(HDC h, int x, int y, POINT* o) {
  return SetPoint(h, &DcState::viewportOrg, x, y, o, false);
}
BOOL GetViewportOrgEx(HDC h, POINT* p) {
  return GetPoint(h, &DcState::viewportOrg, p);
}
BOOL OffsetViewportOrgEx(HDC h, int dx, int dy, POINT* o) {
  return SetPoint(h, &DcState::viewportOrg, dx, dy, o, true);
}
BOOL SetWindowOrgEx(HDC h, int x, int y, POINT* o) {
  return SetPoint(h, &DcState::windowOrg, x, y, o, false);
}
BOOL GetWindowOrgEx(HDC h, POINT* p) {
  return GetPoint(h, &DcState::windowOrg, p);
}
BOOL OffsetWindowOrgEx(HDC h, int dx, int dy, POINT* o) {
  return SetPoint(h, &DcState::windowOrg, dx, dy, o, true);
}
BOOL SetBrushOrgEx(HDC h, int x, int y, POINT* o) {
  return SetPoint(h, &DcState::brushOrg, x, y, o, false);
}
BOOL GetBrushOrgEx(HDC h, POINT* p) {
  return GetPoint(h, &DcState::brushOrg, p);
}
BOOL MoveToEx(HDC h, int x, int y, POINT* o) {
  return SetPoint(h, &DcState::curPos, x, y, o, false);
}
BOOL GetCurrentPositionEx(HDC h, POINT* p) {
  return GetPoint(h, &DcState::curPos, p);
}

int SetMapMode(HDC hdc, int mode) {
  return DcOf(hdc) && mode == MM_TEXT ? MM_TEXT : 0;
}
int GetMapMode(HDC hdc) {
  return DcOf(hdc) ? MM_TEXT : 0;
}

BOOL LPtoDP(HDC hdc, POINT* pts, int count) {
  Dc* dc = DcOf(hdc);
  if (!dc || (!pts && count > 0)) return FALSE;
  for (int i = 0; i < count; ++i) {
    pts[i].x += dc->s.viewportOrg.x - dc->s.windowOrg.x;
    pts[i].y += dc->s.viewportOrg.y - dc->s.windowOrg.y;
  }
  return TRUE;
}

BOOL DPtoLP(HDC hdc, POINT* pts, int count) {
  Dc* dc = DcOf(hdc);
  if (!dc || (!pts && count > 0)) return FALSE;
  for (int i = 0; i < count; ++i) {
    pts[i].x -= dc->s.viewportOrg.x - dc->s.windowOrg.x;
    pts[i].y -= dc->s.viewportOrg.y - dc->s.windowOrg.y;
  }
  return TRUE;
}

// ---- Attributes -------------------------------------------------------------

namespace {

template <typename T>
T Swap(HDC hdc, T DcState::*field, T value, T error) {
  Dc* dc = DcOf(hdc);
  if (!dc) return error;
  T old = dc->s.*field;
  dc->s.*field = value;
  return old;
}

template <typename T>
T Read(HDC hdc, T DcState::*field, T error) {
  Dc* dc = DcOf(hdc);
  return dc ? dc->s.*field : error;
}

}  // namespace

COLORREF SetTextColor(HDC h, COLORREF c) {
  return Swap(h, &DcState::textColor, c & 0xFFFFFF, CLR_INVALID);
}
COLORREF GetTextColor(HDC h) {
  return Read(h, &DcState::textColor, CLR_INVALID);
}
COLORREF SetBkColor(HDC h, COLORREF c) {
  return Swap(h, &DcState::bkColor, c & 0xFFFFFF, CLR_INVALID);
}
COLORREF GetBkColor(HDC h) {
  return Read(h, &DcState::bkColor, CLR_INVALID);
}
int SetBkMode(HDC h, int mode) {
  return mode == TRANSPARENT || mode == OPAQUE ? Swap(h, &DcState::bkMode, mode, 0) : 0;
}
int GetBkMode(HDC h) {
  return Read(h, &DcState::bkMode, 0);
}
int SetROP2(HDC h, int rop2) {
  return rop2 >= R2_BLACK && rop2 <= R2_WHITE ? Swap(h, &DcState::rop2, rop2, 0) : 0;
}
int GetROP2(HDC h) {
  return Read(h, &DcState::rop2, 0);
}
UINT SetTextAlign(HDC h, UINT a) {
  return Swap(h, &DcState::textAlign, a, GDI_ERROR);
}
UINT GetTextAlign(HDC h) {
  return Read(h, &DcState::textAlign, GDI_ERROR);
}
int SetStretchBltMode(HDC h, int m) {
  return m >= BLACKONWHITE && m <= HALFTONE ? Swap(h, &DcState::stretchMode, m, 0) : 0;
}
int GetStretchBltMode(HDC h) {
  return Read(h, &DcState::stretchMode, 0);
}
int SetPolyFillMode(HDC h, int m) {
  return m == ALTERNATE || m == WINDING ? Swap(h, &DcState::polyFillMode, m, 0) : 0;
}
int GetPolyFillMode(HDC h) {
  return Read(h, &DcState::polyFillMode, 0);
}
COLORREF SetDCBrushColor(HDC h, COLORREF c) {
  return Swap(h, &DcState::dcBrushColor, c & 0xFFFFFF, CLR_INVALID);
}
COLORREF GetDCBrushColor(HDC h) {
  return Read(h, &DcState::dcBrushColor, CLR_INVALID);
}
COLORREF SetDCPenColor(HDC h, COLORREF c) {
  return Swap(h, &DcState::dcPenColor, c & 0xFFFFFF, CLR_INVALID);
}
COLORREF GetDCPenColor(HDC h) {
  return Read(h, &DcState::dcPenColor, CLR_INVALID);
}
BOOL GdiFlush() {
  return TRUE;
}  // drawing is synchronous

// ---- Window manager ---------------------------------------------------------

HDC CreateSurfaceDC(Surface* target, POINT deviceOrigin, HRGN visibleRegion) {
  HDC h = NewDc(false);
  Dc* dc = DcOf(h);
  if (!dc) return nullptr;
  dc->surface = target;
  dc->deviceOrigin = deviceOrigin;
  SetDCVisibleRegion(h, visibleRegion);
  return h;
}

BOOL SetDCSurface(HDC hdc, Surface* target, POINT deviceOrigin) {
  Dc* dc = DcOf(hdc);
  if (!dc || dc->type != OBJ_DC) return FALSE;
  dc->surface = target;
  dc->deviceOrigin = deviceOrigin;
  dc->InvalidateClip();
  return TRUE;
}

BOOL SetDCVisibleRegion(HDC hdc, HRGN visibleRegion) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  Region* r = As<Region>(visibleRegion);
  dc->hasVis = r != nullptr;
  if (r) dc->vis = r->rgn;
  dc->InvalidateClip();
  return TRUE;
}

Surface* DCSurface(HDC hdc) {
  Dc* dc = DcOf(hdc);
  return dc ? dc->surface : nullptr;
}

uint64_t DCPixelUses(HDC hdc) {
  Dc* dc = DcOf(hdc);
  return dc ? dc->pixelUses : 0;
}

POINT DCDeviceOrigin(HDC hdc) {
  Dc* dc = DcOf(hdc);
  return dc ? dc->deviceOrigin : POINT{};
}

BOOL SetDCScreenOrigin(HDC hdc, POINT screen) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  dc->hasScreenOrigin = true;
  dc->screenOrigin = screen;
  return TRUE;
}

BOOL ResetDCState(HDC hdc) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  while (!dc->saved.empty()) RestoreDC(hdc, -1);
  DcState fresh = DefaultState(dc->type == OBJ_MEMDC);
  if (dc->type == OBJ_MEMDC) fresh.bitmap = dc->s.bitmap;  // the selected bitmap stays
  RetainState(fresh);
  ReleaseState(dc->s);
  dc->s = std::move(fresh);
  dc->InvalidateClip();
  return TRUE;
}

// ---- Text renderer ----------------------------------------------------------

bool GetDCView(HDC hdc, DCView& view) {
  Dc* dc = DcOf(hdc);
  if (!dc) return false;
  view.pixels = dc->Rows();
  view.offset = dc->Offset();
  view.clip = dc->Clip().get();
  view.textColor = dc->s.textColor;
  view.bkColor = dc->s.bkColor;
  view.bkMode = dc->s.bkMode;
  view.textAlign = dc->s.textAlign;
  view.fontHandle = dc->s.font;
  Font* f = As<Font>(dc->s.font);
  view.font = f ? f->lf : LOGFONTW{};
  view.currentPos = dc->s.curPos;
  view.rop2 = dc->s.rop2;
  return true;
}

BOOL SetDCCurrentPos(HDC hdc, POINT logical) {
  return MoveToEx(hdc, logical.x, logical.y, nullptr);
}

BOOL FillDCRect(HDC hdc, const RECT& logical, COLORREF color) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  POINT o = dc->Offset();
  RECT r = logical;
  OffsetRect(&r, o.x, o.y);
  PixelRows rows = dc->Rows();
  if (rows.Valid()) FillClipped(rows, dc->Clip(), r, SolidFill(ToPixel(color)), 0xF0);
  return TRUE;
}

}  // namespace qv
