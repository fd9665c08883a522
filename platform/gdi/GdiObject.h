// Internal: the objects behind GDI handles, and the checked handle table that
// maps encoded handles (type, slot index, generation) to them. Other units of
// the GDI reach objects only through Lookup/As, so a stale handle never reaches
// freed memory.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <pixman.h>

#include <array>
#include <memory>
#include <vector>

#include "platform/Surface.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/PixRegion.h"
#include "platform/gdi/PixelRows.h"

namespace qv::gdi {

struct Object {
  explicit Object(DWORD t) : type(t) {}
  virtual ~Object() = default;
  DWORD type;
  int refs = 0;  // DC states (current and saved) that hold the object
  bool deletePending = false;
  bool stock = false;
};

struct Pen : Object {
  Pen() : Object(OBJ_PEN) {}
  int style = PS_SOLID;  // PS_SOLID ... PS_ALTERNATE
  int width = 1;
  COLORREF color = 0;
  DWORD fullStyle = 0;  // as given, end caps and joins included
  bool isDcPen = false;
};

struct Brush : Object {
  Brush() : Object(OBJ_BRUSH) {}
  UINT style = BS_SOLID;
  COLORREF color = 0;
  int hatch = 0;
  bool monoPattern = false;            // 1-bit pattern: colours come from the DC at use time
  std::array<uint8_t, 8> bits{};       // hatch or mono pattern rows, bit 7 = leftmost pixel
  std::array<uint32_t, 64> pattern{};  // colour pattern pixels
  bool isDcBrush = false;
};

struct Font : Object {
  Font() : Object(OBJ_FONT) {}
  LOGFONTW lf;
};

struct Bitmap : Object {
  Bitmap() : Object(OBJ_BITMAP) {}
  int width = 0, height = 0, bpp = 32;
  ptrdiff_t widthBytes = 0;  // bytes per row in memory
  bool dib = false, bottomUp = false;
  std::vector<uint32_t> store;  // the pixel memory, 4-byte aligned
  HDC selectedIn = nullptr;
  BITMAPINFOHEADER header;  // DIB sections only

  uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(store.data()); }
  PixelRows Rows();
  void Allocate(int w, int h, int bitsPerPixel, ptrdiff_t rowBytes);
};

// Icons and cursors share the handle table under a type code of their own,
// which GetObjectType and DeleteObject do not accept.
constexpr DWORD OBJ_ICON_INTERNAL = 0x40;

struct Region : Object {
  Region() : Object(OBJ_REGION) {}
  PixRegion rgn;
};

// The DC attributes SaveDC copies.
struct DcState {
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;
  HBITMAP bitmap = nullptr;
  COLORREF textColor = RGB(0, 0, 0), bkColor = RGB(255, 255, 255);
  COLORREF dcBrushColor = RGB(255, 255, 255), dcPenColor = RGB(0, 0, 0);
  int bkMode = OPAQUE, rop2 = R2_COPYPEN, stretchMode = BLACKONWHITE, polyFillMode = ALTERNATE;
  int arcDirection = AD_COUNTERCLOCKWISE;
  UINT textAlign = 0;
  POINT viewportOrg, windowOrg, brushOrg, curPos;
  bool hasClip = false;
  PixRegion clip;  // device coordinates
};

struct Dc : Object {
  explicit Dc(DWORD t) : Object(t) {}
  DcState s;
  std::vector<DcState> saved;
  Surface* surface = nullptr;  // window DCs
  POINT deviceOrigin;
  bool hasScreenOrigin = false;
  POINT screenOrigin;  // where device (0,0) is on the screen
  bool hasVis = false;
  PixRegion vis;  // device coordinates
  // Cached effective clip in pixel positions of Rows().
  PixRegion effClip;
  bool clipValid = false;
  int clipW = -1, clipH = -1;
  const uint8_t* clipBase = nullptr;
  uint64_t pixelUses = 0;  // times a surface's pixels were handed out (see DCPixelUses)

  PixelRows Rows();
  POINT Offset() const {  // logical + Offset() = pixel position
    return {s.viewportOrg.x - s.windowOrg.x + deviceOrigin.x,
            s.viewportOrg.y - s.windowOrg.y + deviceOrigin.y};
  }
  const PixRegion& Clip();  // effective clip, recomputed when stale
  void InvalidateClip() { clipValid = false; }
};

// Handle table.
HGDIOBJ Insert(std::unique_ptr<Object> obj);
Object* Lookup(HGDIOBJ h);
void Erase(HGDIOBJ h);
template <typename T>
T* As(HGDIOBJ h) {
  return dynamic_cast<T*>(Lookup(h));
}
inline Dc* DcOf(HDC h) {
  return As<Dc>(h);
}
void Retain(HGDIOBJ h);
void Release(HGDIOBJ h);  // deletes the object when it was marked for deletion

// Colours.
constexpr uint32_t ToPixel(COLORREF c) {
  return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}
constexpr COLORREF ToColorRef(uint32_t p) {
  return RGB(PixelR(p), PixelG(p), PixelB(p));
}
COLORREF ResolveSysColor(int index);

Brush* StockBrush(int id);
Pen* StockPen(int id);

}  // namespace qv::gdi
