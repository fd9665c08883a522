// The painting protocol: update regions, invalidation and validation,
// WM_PAINT through BeginPaint/EndPaint, device contexts on windows (drawing
// into the top-level window's backing surface, clipped to the visible
// region), printing a window into a DC, scrolling, and the screen.
#pragma once
#include "platform/gdi/GdiTypes.h"
#include "platform/window/Window.h"

namespace qv {

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = FALSE;  // the background still needs erasing (WM_ERASEBKGND answered 0)
  RECT rcPaint;
  BOOL fRestore = FALSE;
  BOOL fIncUpdate = FALSE;
  BYTE rgbReserved[32] = {};
};

constexpr UINT RDW_INVALIDATE = 0x1, RDW_INTERNALPAINT = 0x2, RDW_ERASE = 0x4, RDW_VALIDATE = 0x8,
               RDW_NOINTERNALPAINT = 0x10, RDW_NOERASE = 0x20, RDW_NOCHILDREN = 0x40, RDW_ALLCHILDREN = 0x80,
               RDW_UPDATENOW = 0x100, RDW_ERASENOW = 0x200, RDW_FRAME = 0x400, RDW_NOFRAME = 0x800;
constexpr DWORD DCX_WINDOW = 0x1, DCX_CACHE = 0x2, DCX_NORESETATTRS = 0x4, DCX_CLIPCHILDREN = 0x8,
                DCX_CLIPSIBLINGS = 0x10, DCX_PARENTCLIP = 0x20, DCX_EXCLUDERGN = 0x40,
                DCX_INTERSECTRGN = 0x80, DCX_EXCLUDEUPDATE = 0x100, DCX_INTERSECTUPDATE = 0x200,
                DCX_LOCKWINDOWUPDATE = 0x400, DCX_VALIDATE = 0x200000;
// A screen DC (GetDCEx(nullptr, ...)) with DCX_LOCKWINDOWUPDATE is one to draw
// feedback on while tracking (a drag image): our windows are composed under
// it, the desktop's own pixels are not read back (the whole screen's would
// be), and where none of our windows lies it holds the desktop colour.
constexpr UINT SW_SCROLLCHILDREN = 0x1, SW_INVALIDATE = 0x2, SW_ERASE = 0x4, SW_SMOOTHSCROLL = 0x10;

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);  // client coordinates; null = all
BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL ValidateRgn(HWND hwnd, HRGN rgn);
// The INVALIDATE and VALIDATE flags together act as INVALIDATE.
BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN rgn, UINT flags);
BOOL UpdateWindow(HWND hwnd);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
int GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase);

// hwnd nullptr = the screen. DCX_INTERSECTRGN / DCX_EXCLUDERGN regions are in
// screen coordinates and stay owned by the caller.
HDC GetDC(HWND hwnd);
HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags);
HDC GetWindowDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
HWND WindowFromDC(HDC hdc);

// A window region in window coordinates; the window takes ownership of rgn.
int SetWindowRgn(HWND hwnd, HRGN rgn, BOOL redraw);
int GetWindowRgn(HWND hwnd, HRGN rgn);  // copies into rgn; ERROR without a window region

BOOL PrintWindow(HWND hwnd, HDC hdc, UINT flags);
BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scrollRect, const RECT* clipRect);
int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scrollRect, const RECT* clipRect, HRGN updateRgn,
                   RECT* updateRect, UINT flags);
BOOL LockWindowUpdate(HWND hwnd);

// The desktop colour under all windows on the composed screen.
void SetDesktopColor(COLORREF color);
// The composition of the visible top-level windows in z-order (a copy).
struct Surface;
Surface ComposeScreen();
// The same into an existing surface, whose memory is reused when it fits.
void ComposeScreenInto(Surface& Screen);
// Only the part of the composed screen within `Area` (screen coordinates),
// as a copy through a screen DC reads it there: Out takes the size of that
// part on the screen, which is returned (empty when none is on it).
// Without `Desktop`, the desktop colour stands for the desktop's own pixels.
RECT ComposeScreenPart(Surface& Out, const RECT& Area, bool Desktop = true);

}  // namespace qv
