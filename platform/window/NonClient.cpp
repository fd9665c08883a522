// The default non-client area: borders and edges, a caption for windows with
// WS_CAPTION, a menu-bar row, the standard scroll bars and the size box;
// their layout (WM_NCCALCSIZE), hit testing (WM_NCHITTEST) and drawing.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Shapes.h"
#include "platform/gdi/SystemColors.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/text/Text.h"
#include "platform/window/MenuHooks.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {
namespace {

int FrameWidth(DWORD style) {
  if (style & WS_THICKFRAME) return kFrame;
  if (style & WS_DLGFRAME) return kDlgFrame;
  if (style & WS_BORDER) return kBorder;
  return 0;
}

int EdgeWidth(DWORD exStyle) {
  return (exStyle & WS_EX_CLIENTEDGE ? kEdge : 0) + (exStyle & WS_EX_STATICEDGE ? kBorder : 0);
}

HBRUSH SysBrush(int index) {
  return reinterpret_cast<HBRUSH>(uintptr_t(index + 1));
}

// Room left of the title for the small window icon, so titles line up
// whether or not a window shows one.
constexpr int kCaptionIconGap = 2 + 16 + 2;

// The icon at the left and the buttons at the right: close, then a gap,
// then maximise and minimise side by side.
void LayoutCaptionButtons(const Window& w, NcLayout& l) {
  if (!(w.style & WS_SYSMENU)) return;
  const RECT& c = l.caption;
  int bh = CaptionHeight() - 4, bw = bh + 2, top = c.top + 2, right = c.right - 2;
  if (right - bw < c.left) return;
  l.closeBox = RECT{right - bw, top, right, top + bh};
  right = l.closeBox.left - 2;
  bool pair = (w.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) && !(w.exStyle & WS_EX_TOOLWINDOW);
  if (pair && right - 2 * bw >= c.left + kCaptionIconGap) {
    l.maxBox = RECT{right - bw, top, right, top + bh};
    l.minBox = RECT{right - 2 * bw, top, right - bw, top + bh};
  }
  if (!(w.exStyle & WS_EX_TOOLWINDOW)) l.sysIcon = RECT{c.left + 2, c.top + 1, c.left + 18, c.top + 17};
}

void DrawCaption(const Window& w, HDC dc, const NcLayout& l, bool active) {
  RECT caption = l.caption;
  FillRect(dc, &caption, SysBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
  DrawCaptionButtons(w, dc, l);
  std::u16string title;
  {
    Lock lock(S().lock);
    title = w.text;
  }
  // A frame whose MDI child is maximised shows that child's title too.
  if (!(w.style & WS_CHILD))
    if (auto child = Get(MdiMaximizedChildOfFrame(w.handle))) title += u" - [" + child->text + u"]";
  if (title.empty()) return;
  NONCLIENTMETRICSW m;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0);
  HFONT font = CreateFontIndirectW(&m.lfCaptionFont);
  HGDIOBJ oldFont = SelectObject(dc, font);
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColor = SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
  RECT text = caption;
  text.left += (w.style & WS_SYSMENU) ? kCaptionIconGap : 2;
  text.right -= 2;
  for (const RECT* b : {&l.closeBox, &l.maxBox, &l.minBox})
    if (!IsRectEmpty(b)) text.right = std::min(text.right, b->left - 2);
  DrawTextW(dc, title.c_str(), int(title.size()), &text,
            DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
  DeleteObject(font);
}

}  // namespace

NcLayout ComputeNcLayout(const Window& w, int width, int height) {
  NcLayout l;
  RECT r{0, 0, width, height};
  l.frame = FrameWidth(w.style);
  InflateRect(&r, -l.frame, -l.frame);
  if ((w.style & WS_CAPTION) == WS_CAPTION) {
    l.caption = RECT{r.left, r.top, r.right, r.top + CaptionHeight()};
    LayoutCaptionButtons(w, l);
    r.top += CaptionHeight();
  }
  if (!(w.style & WS_CHILD) && w.menu) {
    l.menu = RECT{r.left, r.top, r.right, r.top + MenuBarHeight()};
    r.top += MenuBarHeight();
  }
  int e = EdgeWidth(w.exStyle);
  InflateRect(&r, -e, -e);
  bool left = (w.exStyle & WS_EX_LEFTSCROLLBAR) != 0;
  if ((w.style & WS_VSCROLL) && r.right - r.left >= ScrollBarSize()) {
    if (left) {
      l.vscroll = RECT{r.left, r.top, r.left + ScrollBarSize(), r.bottom};
      r.left += ScrollBarSize();
    } else {
      l.vscroll = RECT{r.right - ScrollBarSize(), r.top, r.right, r.bottom};
      r.right -= ScrollBarSize();
    }
  }
  if ((w.style & WS_HSCROLL) && r.bottom - r.top >= ScrollBarSize()) {
    l.hscroll = RECT{r.left, r.bottom - ScrollBarSize(), r.right, r.bottom};
    r.bottom -= ScrollBarSize();
    if (!IsRectEmpty(&l.vscroll)) {
      l.vscroll.bottom = r.bottom;
      l.sizeBox = RECT{l.vscroll.left, r.bottom, l.vscroll.right, r.bottom + ScrollBarSize()};
    }
  }
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  l.client = r;
  return l;
}

// The scroll bars and the size box lie beside the client area the window's
// WM_NCCALCSIZE left: a window that takes more of its frame (a bevel, a row
// above the client) keeps its bars against its client, as tall or as wide.
NcLayout WindowNcLayout(const Window& w) {
  NcLayout l = ComputeNcLayout(w, w.rect.Width(), w.rect.Height());
  const RECT& c = w.client;
  if (EqualRect(&c, &l.client)) return l;
  if (!IsRectEmpty(&l.vscroll)) {
    bool left = (w.exStyle & WS_EX_LEFTSCROLLBAR) != 0;
    l.vscroll = left ? RECT{c.left - ScrollBarSize(), c.top, c.left, c.bottom}
                     : RECT{c.right, c.top, c.right + ScrollBarSize(), c.bottom};
  }
  if (!IsRectEmpty(&l.hscroll)) l.hscroll = RECT{c.left, c.bottom, c.right, c.bottom + ScrollBarSize()};
  if (!IsRectEmpty(&l.sizeBox))
    l.sizeBox = RECT{l.vscroll.left, l.hscroll.top, l.vscroll.right, l.hscroll.bottom};
  l.client = c;
  return l;
}

}  // namespace wm

RECT GetMenuBarRect(HWND hwnd) {
  auto w = wm::Get(hwnd);
  if (!w || (w->style & WS_CHILD) || !w->menu) return RECT{};
  return wm::ComputeNcLayout(*w, w->rect.Width(), w->rect.Height()).menu;
}

namespace wm {

LRESULT DefNcCalcSize(const WindowPtr& w, bool calcValid, LPARAM lParam) {
  if (!lParam) return 0;
  RECT* r =
      calcValid ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
  NcLayout l = ComputeNcLayout(*w, r->Width(), r->Height());
  RECT c = l.client;
  OffsetRect(&c, r->left, r->top);
  *r = c;
  return 0;
}

void RecomputeNonClient(const WindowPtr& w, bool sendMessage) {
  NCCALCSIZE_PARAMS p;
  p.rgrc[0] = w->rect;
  if (sendMessage)
    CallProc(w, WM_NCCALCSIZE, TRUE, LPARAM(&p));
  else
    DefNcCalcSize(w, true, LPARAM(&p));
  RECT c = p.rgrc[0];
  OffsetRect(&c, -w->rect.left, -w->rect.top);
  RECT whole{0, 0, w->rect.Width(), w->rect.Height()};
  if (!IntersectRect(&c, &c, &whole)) c = RECT{c.left, c.top, c.left, c.top};
  Lock l(S().lock);
  w->client = c;
}

LRESULT DefNcHitTest(const WindowPtr& w, POINT screen) {
  RECT wr = WindowRectOnScreen(*w);
  if (!PtInRect(&wr, screen)) return HTNOWHERE;
  POINT p{screen.x - wr.left, screen.y - wr.top};
  if (PtInRect(&w->client, p)) return HTCLIENT;
  NcLayout l = WindowNcLayout(*w);
  if (PtInRect(&l.vscroll, p)) return HTVSCROLL;
  if (PtInRect(&l.hscroll, p)) return HTHSCROLL;
  if (PtInRect(&l.sizeBox, p)) return (w->style & WS_THICKFRAME) ? HTSIZE : HTBORDER;
  if (PtInRect(&l.closeBox, p)) return HTCLOSE;
  if (PtInRect(&l.maxBox, p)) return HTMAXBUTTON;
  if (PtInRect(&l.minBox, p)) return HTMINBUTTON;
  if (PtInRect(&l.sysIcon, p)) return HTSYSMENU;
  if (PtInRect(&l.caption, p)) return HTCAPTION;
  if (PtInRect(&l.menu, p)) return HTMENU;
  if (w->style & WS_THICKFRAME) {
    int f = l.frame, W = wr.Width(), H = wr.Height();
    bool left = p.x < f, right = p.x >= W - f, top = p.y < f, bottom = p.y >= H - f;
    if (top) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
    if (bottom) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
  }
  return HTBORDER;
}

void DrawNonClient(const WindowPtr& w, HDC dc) {
  RECT r{0, 0, w->rect.Width(), w->rect.Height()};
  NcLayout l = WindowNcLayout(*w);
  if (w->style & (WS_THICKFRAME | WS_DLGFRAME)) {
    RECT f = r;
    DrawEdge(dc, &f, EDGE_RAISED, BF_RECT | BF_ADJUST);
    for (int i = 2; i < l.frame; ++i) {
      FrameRect(dc, &f, SysBrush(COLOR_BTNFACE));
      InflateRect(&f, -1, -1);
    }
  } else if (w->style & WS_BORDER) {
    FrameRect(dc, &r, SysBrush(COLOR_WINDOWFRAME));
  }
  if (!IsRectEmpty(&l.caption)) DrawCaption(*w, dc, l, w->ncActive);
  if (!IsRectEmpty(&l.menu)) {
    if (GetMenuHooks().PaintBar)
      GetMenuHooks().PaintBar(w->handle, w->menu, dc, l.menu);
    else
      FillRect(dc, &l.menu, SysBrush(COLOR_MENU));
  }
  RECT e = r;
  InflateRect(&e, -l.frame, -l.frame);
  e.top = std::max(e.top, std::max(l.caption.bottom, l.menu.bottom));
  if (w->exStyle & WS_EX_CLIENTEDGE) {
    DrawEdge(dc, &e, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  }
  if (w->exStyle & WS_EX_STATICEDGE) DrawEdge(dc, &e, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  if (!IsRectEmpty(&l.vscroll)) DrawScrollBar(w, dc, SB_VERT, l.vscroll);
  if (!IsRectEmpty(&l.hscroll)) DrawScrollBar(w, dc, SB_HORZ, l.hscroll);
  if (!IsRectEmpty(&l.sizeBox)) FillRect(dc, &l.sizeBox, SysBrush(COLOR_BTNFACE));
}

void RedrawCaption(const WindowPtr& w) {
  NcLayout l = ComputeNcLayout(*w, w->rect.Width(), w->rect.Height());
  if (IsRectEmpty(&l.caption)) return;
  HDC dc = GetWindowDC(w->handle);
  if (!dc) return;
  IntersectClipRect(dc, l.caption.left, l.caption.top, l.caption.right, l.caption.bottom);
  DrawCaption(*w, dc, l, w->ncActive);
  ReleaseDC(w->handle, dc);
}

}  // namespace wm

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return FALSE;
  wm::Window probe;
  probe.style = style & ~(WS_VSCROLL | WS_HSCROLL);
  probe.exStyle = exStyle;
  probe.menu = menu ? reinterpret_cast<HMENU>(1) : nullptr;
  wm::NcLayout l = wm::ComputeNcLayout(probe, 1000, 1000);
  rect->left -= l.client.left;
  rect->top -= l.client.top;
  rect->right += 1000 - l.client.right;
  rect->bottom += 1000 - l.client.bottom;
  return TRUE;
}

}  // namespace qv
