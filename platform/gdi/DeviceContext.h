// Device contexts: creation, selection of objects, saved states, coordinate
// origins, clipping and the drawing attributes. The second half is the
// interface the window manager and the text renderer use to reach a DC's
// surface, visible region and text attributes.
#pragma once
#include <pixman.h>

#include "platform/Surface.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/PixelRows.h"

namespace qv {

HDC CreateCompatibleDC(HDC hdc);  // a memory DC holding the default 1x1 monochrome bitmap
BOOL DeleteDC(HDC hdc);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);  // previous object; for a region the SelectClipRgn result
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
int SaveDC(HDC hdc);                 // the new save level, 0 on error
BOOL RestoreDC(HDC hdc, int level);  // negative = relative to the current level
int GetDeviceCaps(HDC hdc, int index);

BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* old);
BOOL GetViewportOrgEx(HDC hdc, POINT* p);
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, POINT* old);
BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* old);
BOOL GetWindowOrgEx(HDC hdc, POINT* p);
BOOL OffsetWindowOrgEx(HDC hdc, int dx, int dy, POINT* old);
BOOL SetBrushOrgEx(HDC hdc, int x, int y, POINT* old);
BOOL GetBrushOrgEx(HDC hdc, POINT* p);
int SetMapMode(HDC hdc, int mode);  // only MM_TEXT
int GetMapMode(HDC hdc);
BOOL LPtoDP(HDC hdc, POINT* pts, int count);
BOOL DPtoLP(HDC hdc, POINT* pts, int count);

COLORREF SetTextColor(HDC hdc, COLORREF c);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF c);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
int SetROP2(HDC hdc, int rop2);
int GetROP2(HDC hdc);
UINT SetTextAlign(HDC hdc, UINT align);  // GDI_ERROR on failure
UINT GetTextAlign(HDC hdc);
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);
int SetPolyFillMode(HDC hdc, int mode);
int GetPolyFillMode(HDC hdc);
COLORREF SetDCBrushColor(HDC hdc, COLORREF c);
COLORREF GetDCBrushColor(HDC hdc);
COLORREF SetDCPenColor(HDC hdc, COLORREF c);
COLORREF GetDCPenColor(HDC hdc);
BOOL MoveToEx(HDC hdc, int x, int y, POINT* old);
BOOL GetCurrentPositionEx(HDC hdc, POINT* p);
BOOL GdiFlush();

constexpr UINT GDI_ERROR = 0xFFFFFFFF;

// Clipping. Clip regions are kept in device coordinates, as on the platform.
int SelectClipRgn(HDC hdc, HRGN rgn);  // copies; null removes the clip
int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode);
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
int OffsetClipRgn(HDC hdc, int dx, int dy);
int GetClipBox(HDC hdc, RECT* r);   // logical coordinates
int GetClipRgn(HDC hdc, HRGN rgn);  // 1 with a clip, 0 without, -1 on error
// SYSRGN: the visible region in screen coordinates; CLIPRGN/APIRGN: the application clip
// (device coordinates). 1 when a region was copied, 0 when there is none, -1 on error.
constexpr int CLIPRGN = 1, METARGN = 2, APIRGN = 3, SYSRGN = 4;
int GetRandomRgn(HDC hdc, HRGN rgn, int which);
BOOL PtVisible(HDC hdc, int x, int y);
BOOL RectVisible(HDC hdc, const RECT* r);

// ---- For the window manager ------------------------------------------------
// A DC drawing into `target` (not owned; it must outlive the DC or be replaced).
// Device (0,0) is at `deviceOrigin` on the surface; `visibleRegion` is in device
// coordinates and copied, null meaning the whole surface. Delete with DeleteDC.
HDC CreateSurfaceDC(Surface* target, POINT deviceOrigin, HRGN visibleRegion);
BOOL SetDCSurface(HDC hdc, Surface* target, POINT deviceOrigin);
// The system clip, intersected with the application's clip on every drawing call.
BOOL SetDCVisibleRegion(HDC hdc, HRGN visibleRegion);
Surface* DCSurface(HDC hdc);  // the window surface, or null for a memory DC
// Grows each time drawing (or reading) code is handed a window DC's pixels:
// while it stands still, nothing was drawn through the DC.
uint64_t DCPixelUses(HDC hdc);
POINT DCDeviceOrigin(HDC hdc);
// Where device (0,0) is on the screen, for GetRandomRgn(SYSRGN); by default the device origin.
BOOL SetDCScreenOrigin(HDC hdc, POINT screen);
// Copies the visible region (device coordinates; the whole surface when none was set) into rgn.
int GetDCVisibleRegion(HDC hdc, HRGN rgn);
// Back to the attributes of a new DC (objects, colours, origins, clip, saved states).
BOOL ResetDCState(HDC hdc);

// ---- For the text renderer -------------------------------------------------
struct DCView {
  PixelRows pixels;                         // where the DC draws; pixels.Valid() false = draws nowhere
  POINT offset;                             // logical point + offset = pixel position in `pixels`
  const pixman_region32_t* clip = nullptr;  // effective clip in pixel positions; valid until the DC changes
  COLORREF textColor = 0;
  COLORREF bkColor = 0;
  int bkMode = OPAQUE;
  UINT textAlign = 0;
  HFONT fontHandle = nullptr;
  LOGFONTW font;
  POINT currentPos;  // logical
  int rop2 = R2_COPYPEN;
};
bool GetDCView(HDC hdc, DCView& view);
BOOL SetDCCurrentPos(HDC hdc, POINT logical);
// Fills a logical rectangle through the DC's clip with a plain colour (no raster operation).
BOOL FillDCRect(HDC hdc, const RECT& logical, COLORREF color);

}  // namespace qv
