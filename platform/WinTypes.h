// The basic types of our Windows-like platform API: integer aliases, message
// parameters, colours, points and rectangles, and the opaque handle types.
// Handles are pointer-sized values that the owning table checks on every use:
// a stale or foreign handle is an error result, never a crash.
#pragma once
#include <cstdint>

namespace qv {

using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using ATOM = uint16_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// 0x00BBGGRR, as the platform's colour values are.
using COLORREF = uint32_t;
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return COLORREF(r) | COLORREF(g) << 8 | COLORREF(b) << 16;
}
constexpr BYTE GetRValue(COLORREF c) {
  return BYTE(c);
}
constexpr BYTE GetGValue(COLORREF c) {
  return BYTE(c >> 8);
}
constexpr BYTE GetBValue(COLORREF c) {
  return BYTE(c >> 16);
}
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

constexpr WORD LOWORD(uintptr_t v) {
  return WORD(v & 0xFFFF);
}
constexpr WORD HIWORD(uintptr_t v) {
  return WORD((v >> 16) & 0xFFFF);
}
constexpr short GET_X_LPARAM(LPARAM l) {
  return short(LOWORD(uintptr_t(l)));
}
constexpr short GET_Y_LPARAM(LPARAM l) {
  return short(HIWORD(uintptr_t(l)));
}
constexpr LPARAM MAKELPARAM(int lo, int hi) {
  return LPARAM(DWORD(WORD(lo)) | DWORD(WORD(hi)) << 16);
}
constexpr WPARAM MAKEWPARAM(int lo, int hi) {
  return WPARAM(DWORD(WORD(lo)) | DWORD(WORD(hi)) << 16);
}
constexpr LRESULT MAKELRESULT(int lo, int hi) {
  return LRESULT(MAKELPARAM(lo, hi));
}

struct POINT {
  LONG x = 0, y = 0;
  bool operator==(const POINT&) const = default;
};
struct SIZE {
  LONG cx = 0, cy = 0;
  bool operator==(const SIZE&) const = default;
};
struct RECT {
  LONG left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const RECT&) const = default;
  LONG Width() const { return right - left; }
  LONG Height() const { return bottom - top; }
};

BOOL SetRect(RECT* r, int left, int top, int right, int bottom);
BOOL SetRectEmpty(RECT* r);
BOOL CopyRect(RECT* dst, const RECT* src);
BOOL IsRectEmpty(const RECT* r);
BOOL EqualRect(const RECT* a, const RECT* b);
BOOL PtInRect(const RECT* r, POINT p);
BOOL OffsetRect(RECT* r, int dx, int dy);
BOOL InflateRect(RECT* r, int dx, int dy);
// Both false (and the result emptied) when the intersection is empty.
BOOL IntersectRect(RECT* dst, const RECT* a, const RECT* b);
BOOL UnionRect(RECT* dst, const RECT* a, const RECT* b);
BOOL SubtractRect(RECT* dst, const RECT* a, const RECT* b);

// Opaque handle types. HANDLE and HGDIOBJ accept any of them.
using HANDLE = void*;
using HGDIOBJ = void*;
#define QV_DECLARE_HANDLE(name) \
  struct name##__ {             \
    int unused;                 \
  };                            \
  using name = name##__*
QV_DECLARE_HANDLE(HWND);
QV_DECLARE_HANDLE(HDC);
QV_DECLARE_HANDLE(HPEN);
QV_DECLARE_HANDLE(HBRUSH);
QV_DECLARE_HANDLE(HFONT);
QV_DECLARE_HANDLE(HBITMAP);
QV_DECLARE_HANDLE(HRGN);
QV_DECLARE_HANDLE(HPALETTE);
QV_DECLARE_HANDLE(HICON);
QV_DECLARE_HANDLE(HMENU);
QV_DECLARE_HANDLE(HINSTANCE);
QV_DECLARE_HANDLE(HIMAGELIST);
QV_DECLARE_HANDLE(HMONITOR);
using HCURSOR = HICON;
using HMODULE = HINSTANCE;
#undef QV_DECLARE_HANDLE

}  // namespace qv
