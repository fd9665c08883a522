// Lines, filled shapes, pixels and the 3-D frame and control drawings, drawn with
// the DC's pen, brush and binary raster operation.
#pragma once
#include "platform/gdi/GdiTypes.h"

namespace qv {

BOOL LineTo(HDC hdc, int x, int y);  // the end point itself is not drawn
BOOL Polyline(HDC hdc, const POINT* pts, int count);
BOOL PolylineTo(HDC hdc, const POINT* pts, int count);
// A point stands for a pixel's centre, as for lines: a polygon covers the
// pixels whose centres lie inside it (by the DC's fill mode) or on its
// outline, so a shape and its mirror image cover mirrored pixels. The brush
// fills them; the pen then draws the outline.
BOOL Polygon(HDC hdc, const POINT* pts, int count);
BOOL PolyPolygon(HDC hdc, const POINT* pts, const int* counts, int polyCount);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);

// Elliptic arcs of the ellipse the box bounds, from the radial through
// (xStart, yStart) to the radial through (xEnd, yEnd), in the DC's arc
// direction (counterclockwise by default); equal radials make a whole ellipse.
int SetArcDirection(HDC hdc, int direction);  // the previous direction, 0 on error
int GetArcDirection(HDC hdc);
BOOL Arc(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
// Like Arc, with a line from the current position to the arc's start; the
// current position moves to the arc's end.
BOOL ArcTo(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
// The arc closed by the two radii (Pie) or by the chord (Chord), filled with the brush.
BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
BOOL Chord(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF c);  // the colour set, or (COLORREF)-1
BOOL SetPixelV(HDC hdc, int x, int y, COLORREF c);
COLORREF GetPixel(HDC hdc, int x, int y);  // CLR_INVALID outside the clip or the surface

// brush may be (HBRUSH)(COLOR_x + 1) for a system colour.
int FillRect(HDC hdc, const RECT* r, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* r, HBRUSH brush);
BOOL InvertRect(HDC hdc, const RECT* r);
BOOL DrawFocusRect(HDC hdc, const RECT* r);
BOOL DrawEdge(HDC hdc, RECT* r, UINT edge, UINT flags);
BOOL DrawFrameControl(HDC hdc, RECT* r, UINT type, UINT state);

}  // namespace qv
