// The tool bar's layout and painting: uniform buttons (wider ones for
// list-style captions), separators, drop-down arrows, wrapping into rows,
// and the flat, hot, pressed, checked and disabled looks.
#include <algorithm>

#include "platform/comctl/ToolBarState.h"

namespace qv::toolbar {

namespace {

constexpr int kArrow = 14;     // the separate drop-down arrow part
constexpr int kSeparator = 8;  // a separator's default width

SIZE ImageSize(HIMAGELIST list, SIZE fallback) {
  int cx = 0, cy = 0;
  if (list && ImageList_GetIconSize(list, &cx, &cy)) return SIZE{cx, cy};
  return fallback;
}

}  // namespace

int ToolBar::ArrowWidth(const Button& b) const {
  if (!(b.style & BTNS_DROPDOWN) && !(b.style & BTNS_WHOLEDROPDOWN)) return 0;
  if ((b.style & BTNS_WHOLEDROPDOWN) || SplitArrows()) return kArrow;
  return 0;
}

int ToolBar::IndexOf(int id) const {
  for (size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i].id == id) return int(i);
  return -1;
}

Button* ToolBar::ById(int id) {
  int i = IndexOf(id);
  return i < 0 ? nullptr : &buttons[size_t(i)];
}

void ToolBar::Layout() {
  HDC dc = GetDC(hwnd);
  HGDIOBJ oldFont = SelectObject(dc, ctl::ControlFont(hwnd));
  SIZE image = ImageSize(images, bitmapSize);
  bool list = Style() & TBSTYLE_LIST;
  bool anyText = false;
  int textWide = 0, textHigh = bars::TextSize(dc, u"").cy;
  for (auto& b : buttons)
    if (!b.Separator() && !b.text.empty()) {
      anyText = true;
      textWide = std::max(textWide, int(bars::TextSize(dc, b.text).cx));
    }
  // Every button is as big as the biggest one needs, at least the set size.
  int w = std::max(int(buttonSize.cx), int(image.cx) + 7);
  int h = std::max(int(buttonSize.cy), int(image.cy) + 6);
  if (anyText && !list) {
    w = std::max(w, textWide + 6);
    h = std::max(h, int(image.cy) + textHigh + 8);
  }
  RECT client;
  GetClientRect(hwnd, &client);
  bool wrap = Style() & TBSTYLE_WRAPABLE;
  int top = (Style() & CCS_NODIVIDER) ? 0 : 2;
  int x = indent, y = top;
  rows = 1;
  bool rowEmpty = true;
  for (auto& b : buttons) {
    if (!b.Visible()) {
      b.rect = RECT{0, 0, 0, 0};
      continue;
    }
    int bw = w;
    if (b.Separator()) {
      bw = b.image > 0 ? b.image : kSeparator;
    } else if (list && !b.text.empty()) {
      bw = int(image.cx) + int(bars::TextSize(dc, b.text).cx) + 10;
    } else if (list || (b.style & BTNS_AUTOSIZE)) {
      bw = int(image.cx) + 7;
    }
    bw += ArrowWidth(b);
    if (wrap && !rowEmpty && x + bw > client.right && !b.Separator()) {
      x = indent;
      y += h;
      ++rows;
    }
    b.rect = RECT{x, y, x + bw, y + h};
    x += bw;
    rowEmpty = false;
    if (b.state & TBSTATE_WRAP) {
      x = indent;
      y += h + (b.Separator() ? kSeparator : 0);
      ++rows;
      rowEmpty = true;
    }
  }
  SelectObject(dc, oldFont);
  ReleaseDC(hwnd, dc);
  InvalidateRect(hwnd, nullptr, TRUE);
}

SIZE ToolBar::MaxSize() const {
  SIZE s{0, 0};
  for (auto& b : buttons) {
    if (!b.Visible()) continue;
    s.cx = std::max(s.cx, LONG(b.rect.right));
    s.cy = std::max(s.cy, LONG(b.rect.bottom));
  }
  return s;
}

int ToolBar::HitTest(POINT p) const {
  for (size_t i = 0; i < buttons.size(); ++i) {
    const Button& b = buttons[i];
    if (b.Visible() && PtInRect(&b.rect, p)) return b.Separator() ? -1 - int(i) : int(i);
  }
  return -1 - int(buttons.size());
}

bool ToolBar::InArrow(const Button& b, POINT p) const {
  if (b.style & BTNS_WHOLEDROPDOWN) return true;
  if (!(b.style & BTNS_DROPDOWN)) return false;
  if (!SplitArrows()) return true;  // without split arrows the whole button drops down
  return p.x >= b.rect.right - kArrow;
}

void ToolBar::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  bars::FillSolid(dc, client, GetSysColor(COLOR_BTNFACE));
  if (!(Style() & CCS_NODIVIDER)) {
    RECT line{client.left, 0, client.right, 2};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
  }
  HGDIOBJ oldFont = SelectObject(dc, ctl::ControlFont(hwnd));
  for (size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i].Visible()) PaintButton(dc, int(i));
  SelectObject(dc, oldFont);
}

void ToolBar::PaintButton(HDC dc, int index) {
  const Button& b = buttons[size_t(index)];
  RECT r = b.rect;
  if (b.Separator()) {
    if (Flat()) {
      RECT line{(r.left + r.right) / 2 - 1, r.top + 1, (r.left + r.right) / 2 + 1, r.bottom - 1};
      DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
    }
    return;
  }
  bool enabled = b.Enabled() && IsWindowEnabled(hwnd);
  bool checked = b.state & TBSTATE_CHECKED;
  bool down = (b.state & TBSTATE_PRESSED) || (index == pressed && pressedInside) || index == dropped;
  bool isHot = index == hot && enabled;
  int arrow = ArrowWidth(b);
  bool splitArrow = arrow && !(b.style & BTNS_WHOLEDROPDOWN);
  RECT face = r;
  if (splitArrow) face.right -= arrow;
  RECT arrowRect{face.right, r.top, r.right, r.bottom};
  // The frame: flat bars show one only when hot, pressed or checked.
  UINT edge = 0;
  if (down || checked)
    edge = Flat() ? BDR_SUNKENOUTER : EDGE_SUNKEN;
  else if (!Flat())
    edge = EDGE_RAISED;
  else if (isHot)
    edge = BDR_RAISEDINNER;
  if (checked && !down) {
    // A checked button's face is a light dither of highlight and face.
    HBRUSH dither = CreateSolidBrush(GetSysColor(COLOR_3DLIGHT));
    RECT inside = face;
    InflateRect(&inside, -1, -1);
    FillRect(dc, &inside, dither);
    DeleteObject(dither);
  }
  if (edge) {
    RECT f = face;
    DrawEdge(dc, &f, edge, BF_RECT);
    if (splitArrow) {
      RECT a = arrowRect;
      DrawEdge(dc, &a,
               index == dropped ? (Flat() ? BDR_SUNKENOUTER : EDGE_SUNKEN)
                                : (Flat() ? BDR_RAISEDINNER : EDGE_RAISED),
               BF_RECT);
    }
  }
  int shift = down || checked ? 1 : 0;
  SIZE image = ImageSize(images, bitmapSize);
  bool list = Style() & TBSTYLE_LIST;
  RECT content = face;
  if (b.style & BTNS_WHOLEDROPDOWN) content.right -= arrow;
  int ix = list ? content.left + 4 : content.left + (content.Width() - image.cx) / 2;
  int iy = list || b.text.empty() ? content.top + (content.Height() - image.cy) / 2 : content.top + 3;
  if (b.image >= 0) {
    HIMAGELIST source = images;
    UINT style = ILD_TRANSPARENT;
    if (!enabled) {
      if (disabledImages)
        source = disabledImages;
      else
        style |= ILD_DISABLED;
    } else if (isHot && hotImages) {
      source = hotImages;
    }
    if (source && b.image < ImageList_GetImageCount(source))
      ImageList_Draw(source, b.image, dc, ix + shift, iy + shift, style);
  }
  if (!b.text.empty()) {
    RECT t = content;
    UINT format = DT_SINGLELINE | DT_END_ELLIPSIS | ((b.style & BTNS_NOPREFIX) ? DT_NOPREFIX : 0);
    if (list) {
      t.left = ix + image.cx + 3;
      format |= DT_LEFT | DT_VCENTER;
    } else {
      t.top = iy + image.cy + 1;
      format |= DT_CENTER | DT_TOP;
    }
    OffsetRect(&t, shift, shift);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    ctl::DrawControlText(dc, b.text, t, format, enabled);
  }
  if (arrow) {
    RECT a = (b.style & BTNS_WHOLEDROPDOWN) ? RECT{content.right, r.top, r.right, r.bottom} : arrowRect;
    if (index == dropped && !(b.style & BTNS_WHOLEDROPDOWN)) OffsetRect(&a, 1, 1);
    bars::DrawDownArrow(dc, a, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  }
}

}  // namespace qv::toolbar
