// Regions: sets of pixels kept as sorted rectangle lists (pixman_region32).
#pragma once
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/PixRegion.h"

namespace qv {

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* r);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* r);
// The pixels a polygon covers, as Polygon fills them (see Shapes.h).
HRGN CreatePolygonRgn(const POINT* pts, int count, int fillMode);
HRGN CreatePolyPolygonRgn(const POINT* pts, const int* counts, int polyCount, int fillMode);
HRGN ExtCreateRegion(const XFORM* xform, DWORD size, const RGNDATA* data);  // translation only

// dest may be one of the sources. Returns NULLREGION/SIMPLEREGION/COMPLEXREGION or ERROR.
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
BOOL PtInRegion(HRGN rgn, int x, int y);
BOOL RectInRegion(HRGN rgn, const RECT* r);
BOOL EqualRgn(HRGN a, HRGN b);
int GetRgnBox(HRGN rgn, RECT* r);
// Copies RGNDATA with the region's rectangles; returns the bytes needed when data is null or too small.
DWORD GetRegionData(HRGN rgn, DWORD size, RGNDATA* data);

BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush);
BOOL FrameRgn(HDC hdc, HRGN rgn, HBRUSH brush, int width, int height);
BOOL PaintRgn(HDC hdc, HRGN rgn);  // with the selected brush
BOOL InvertRgn(HDC hdc, HRGN rgn);

// Region handles to and from region values (the window manager keeps its
// regions as values). FALSE for a stale handle.
HRGN CreateRgnFromPixRegion(const PixRegion& r);
BOOL SetRgnFromPixRegion(HRGN rgn, const PixRegion& r);
BOOL GetPixRegion(HRGN rgn, PixRegion& out);

}  // namespace qv
