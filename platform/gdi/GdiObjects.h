// GDI objects: the checked handle calls (type, delete, stock objects, GetObject)
// and the pen, brush and font constructors. Fonts are stored as their LOGFONT;
// the text renderer turns them into glyphs.
#pragma once
#include "platform/gdi/GdiTypes.h"

namespace qv {

DWORD GetObjectType(HGDIOBJ obj);  // 0 for a stale or foreign handle
// A selected object is deleted when it is deselected; stock objects are never deleted.
BOOL DeleteObject(HGDIOBJ obj);
HGDIOBJ GetStockObject(int id);
// Copies the object's description (LOGPEN/EXTLOGPEN, LOGBRUSH, LOGFONTW, BITMAP or
// DIBSECTION); with a null buffer returns the size needed. 0 on error.
int GetObjectW(HGDIOBJ obj, int size, void* buffer);
int GetObjectA(HGDIOBJ obj, int size, void* buffer);  // fonts as LOGFONTA
inline int GetObject(HGDIOBJ obj, int size, void* buffer) {
  return GetObjectW(obj, size, buffer);
}

HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* lp);
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles);

HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP bitmap);  // the top-left 8x8 pixels, copied
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb);

HFONT CreateFontIndirectW(const LOGFONTW* lf);
HFONT CreateFontIndirectA(const LOGFONTA* lf);
inline HFONT CreateFontIndirect(const LOGFONTW* lf) {
  return CreateFontIndirectW(lf);
}
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, const WCHAR* face);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, const char* face);
inline HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                        DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                        DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, const WCHAR* face) {
  return CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                     outPrecision, clipPrecision, quality, pitchAndFamily, face);
}

// System colours for DrawEdge, DrawFrameControl and FillRect's (HBRUSH)(COLOR_x + 1)
// brushes: GetSysColor's classic scheme, unless a source is installed (tests, themes).
using GdiSysColorSource = COLORREF (*)(int index);
void SetGdiSysColorSource(GdiSysColorSource source);  // null restores GetSysColor
COLORREF SysColorForGdi(int index);

}  // namespace qv
