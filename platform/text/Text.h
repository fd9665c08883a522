// The text calls of the platform: font metrics, text extents, TextOut and
// ExtTextOut, DrawText and DrawTextEx. Narrow ("A") strings are UTF-8, wide
// ("W") ones UTF-16; a count of -1 means "up to the terminating zero".
#pragma once
#include "platform/gdi/GdiTypes.h"
#include "platform/text/TextLayout.h"

namespace qv {

// ExtTextOut options.
inline constexpr UINT ETO_OPAQUE = 0x0002;
inline constexpr UINT ETO_CLIPPED = 0x0004;
inline constexpr UINT ETO_RTLREADING = 0x0080;

// tmPitchAndFamily bits (TMPF_FIXED_PITCH set means a variable-pitch font).
inline constexpr BYTE TMPF_FIXED_PITCH = 0x01;
inline constexpr BYTE TMPF_VECTOR = 0x02;
inline constexpr BYTE TMPF_TRUETYPE = 0x04;

template <typename Char>
struct TEXTMETRICT {
  LONG tmHeight = 0;
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;
  LONG tmExternalLeading = 0;
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
  LONG tmOverhang = 0;
  LONG tmDigitizedAspectX = 96;
  LONG tmDigitizedAspectY = 96;
  Char tmFirstChar = 0;
  Char tmLastChar = 0;
  Char tmDefaultChar = 0;
  Char tmBreakChar = 0;
  BYTE tmItalic = 0;
  BYTE tmUnderlined = 0;
  BYTE tmStruckOut = 0;
  BYTE tmPitchAndFamily = 0;
  BYTE tmCharSet = 0;
};
using TEXTMETRICW = TEXTMETRICT<WCHAR>;
using TEXTMETRICA = TEXTMETRICT<BYTE>;

struct ABC {
  int abcA = 0;
  UINT abcB = 0;
  int abcC = 0;
};

struct DRAWTEXTPARAMS {
  UINT cbSize = sizeof(DRAWTEXTPARAMS);
  int iTabLength = 0;  // in average character widths
  int iLeftMargin = 0;
  int iRightMargin = 0;
  UINT uiLengthDrawn = 0;  // set: the characters processed
};

BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* tm);
BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* tm);
inline BOOL GetTextMetrics(HDC hdc, TEXTMETRICW* tm) {
  return GetTextMetricsW(hdc, tm);
}
// The face name of the selected font, as requested; the length copied (without
// the zero), or the size needed when name is null.
int GetTextFaceW(HDC hdc, int count, WCHAR* name);
int GetTextFaceA(HDC hdc, int count, char* name);

BOOL GetTextExtentPoint32W(HDC hdc, const WCHAR* text, int count, SIZE* size);
BOOL GetTextExtentPoint32A(HDC hdc, const char* text, int count, SIZE* size);
inline BOOL GetTextExtentPoint32(HDC hdc, const WCHAR* text, int count, SIZE* size) {
  return GetTextExtentPoint32W(hdc, text, count, size);
}
// fit (optional) gets how many characters fit in maxExtent; partial (optional)
// gets the extent of the first 1, 2, ... characters, for all `count` of them.
BOOL GetTextExtentExPointW(HDC hdc, const WCHAR* text, int count, int maxExtent, int* fit, int* partial,
                           SIZE* size);
BOOL GetCharWidth32W(HDC hdc, UINT first, UINT last, int* widths);
BOOL GetCharABCWidthsW(HDC hdc, UINT first, UINT last, ABC* abc);

BOOL TextOutW(HDC hdc, int x, int y, const WCHAR* text, int count);
BOOL TextOutA(HDC hdc, int x, int y, const char* text, int count);
inline BOOL TextOut(HDC hdc, int x, int y, const WCHAR* text, int count) {
  return TextOutW(hdc, x, y, text, count);
}
// dx: the advance of each character (a UTF-16 unit for W, a byte for A).
BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, const WCHAR* text, UINT count,
                 const int* dx);
BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count,
                 const int* dx);
inline BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, const WCHAR* text, UINT count,
                       const int* dx) {
  return ExtTextOutW(hdc, x, y, options, rect, text, count, dx);
}

// The height of the text; 0 on failure. DrawTextEx with DT_MODIFYSTRING writes
// the shortened text back (the buffer must hold count + 4 units and a zero).
int DrawTextW(HDC hdc, const WCHAR* text, int count, RECT* rect, UINT format);
int DrawTextA(HDC hdc, const char* text, int count, RECT* rect, UINT format);
inline int DrawText(HDC hdc, const WCHAR* text, int count, RECT* rect, UINT format) {
  return DrawTextW(hdc, text, count, rect, format);
}
int DrawTextExW(HDC hdc, WCHAR* text, int count, RECT* rect, UINT format, DRAWTEXTPARAMS* params);
int DrawTextExA(HDC hdc, char* text, int count, RECT* rect, UINT format, DRAWTEXTPARAMS* params);

}  // namespace qv
