// The tool bar class: the TB_* messages, clicks by mouse (check and group
// buttons toggle before the parent hears BN_CLICKED), drop-down buttons
// (TBN_DROPDOWN while the button shows pressed) and hot tracking with
// TBN_HOTITEMCHANGE.
#include <algorithm>

#include "platform/comctl/ToolBarState.h"
#include "platform/window/Input.h"

namespace qv {
namespace toolbar {

namespace {

Button FromRecord(const TBBUTTON& t) {
  Button b;
  b.image = t.iBitmap;
  b.id = t.idCommand;
  b.state = t.fsState;
  b.style = t.fsStyle;
  b.data = t.dwData;
  if (t.iString) b.text = t.iString;
  return b;
}

void ToRecord(const Button& b, TBBUTTON& t) {
  t.iBitmap = b.image;
  t.idCommand = b.id;
  t.fsState = b.state;
  t.fsStyle = b.style;
  t.dwData = b.data;
  t.iString = b.text.empty() ? nullptr : b.text.c_str();
}

POINT PointOf(LPARAM l) {
  return POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
}

// Sets or clears a state bit of the button with the command id.
LRESULT SetBit(ToolBar& t, int id, BYTE bit, bool on) {
  Button* b = t.ById(id);
  if (!b) return FALSE;
  BYTE old = b->state;
  b->state = on ? BYTE(b->state | bit) : BYTE(b->state & ~bit);
  if (b->state != old) {
    if (bit == TBSTATE_HIDDEN)
      t.Layout();
    else
      InvalidateRect(t.hwnd, &b->rect, TRUE);
  }
  return TRUE;
}

}  // namespace

void ToolBar::SetHot(int index, DWORD how) {
  if (index == hot) return;
  NMTBHOTITEM n;
  n.idOld = hot >= 0 ? buttons[size_t(hot)].id : 0;
  n.idNew = index >= 0 ? buttons[size_t(index)].id : 0;
  n.dwFlags = how | (hot < 0 ? HICF_ENTERING : 0) | (index < 0 ? HICF_LEAVING : 0);
  HWND self = hwnd;
  if (comctl::Notify(self, n.hdr, TBN_HOTITEMCHANGE) != 0 || !IsWindow(self)) return;
  if (hot >= 0 && size_t(hot) < buttons.size()) InvalidateRect(hwnd, &buttons[size_t(hot)].rect, TRUE);
  hot = index;
  if (hot >= 0) InvalidateRect(hwnd, &buttons[size_t(hot)].rect, TRUE);
}

void ToolBar::MouseMove(POINT p) {
  int i = HitTest(p);
  if (i >= 0 && !buttons[size_t(i)].Enabled()) i = -1;
  if (pressed >= 0) {
    bool inside = i == pressed;
    if (inside != pressedInside) {
      pressedInside = inside;
      InvalidateRect(hwnd, &buttons[size_t(pressed)].rect, TRUE);
    }
    return;
  }
  if (!tracking && i >= 0) {
    TRACKMOUSEEVENT tme;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = hwnd;
    tracking = TrackMouseEvent(&tme);
  }
  SetHot(i, HICF_MOUSE);
}

void ToolBar::MouseDown(POINT p) {
  int i = HitTest(p);
  if (i < 0) return;
  Button& b = buttons[size_t(i)];
  if (!b.Enabled()) return;
  if (InArrow(b, p)) return DropDown(i);
  pressed = i;
  pressedInside = true;
  SetCapture(hwnd);
  InvalidateRect(hwnd, &b.rect, TRUE);
}

void ToolBar::MouseUp(POINT p) {
  if (pressed < 0) return;
  int i = pressed;
  bool inside = HitTest(p) == i;
  pressed = -1;
  pressedInside = false;
  if (GetCapture() == hwnd) ReleaseCapture();
  if (size_t(i) < buttons.size()) InvalidateRect(hwnd, &buttons[size_t(i)].rect, TRUE);
  if (inside) Click(i);
}

// A click toggles a check button, checks a group button (and clears the
// rest of its group: the neighbouring group buttons), then tells the parent.
void ToolBar::Click(int index) {
  Button& b = buttons[size_t(index)];
  int id = b.id;
  if ((b.style & BTNS_CHECKGROUP) == BTNS_CHECKGROUP) {
    b.state |= TBSTATE_CHECKED;
    for (int k : {-1, 1})
      for (int j = index + k; j >= 0 && size_t(j) < buttons.size(); j += k) {
        Button& o = buttons[size_t(j)];
        if ((o.style & BTNS_CHECKGROUP) != BTNS_CHECKGROUP) break;
        if (o.state & TBSTATE_CHECKED) {
          o.state &= BYTE(~TBSTATE_CHECKED);
          InvalidateRect(hwnd, &o.rect, TRUE);
        }
      }
  } else if (b.style & BTNS_CHECK) {
    b.state ^= TBSTATE_CHECKED;
  }
  InvalidateRect(hwnd, &b.rect, TRUE);
  SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(hwnd));
}

// The button shows pressed while the parent handles TBN_DROPDOWN (which
// normally runs a menu); a whole-button drop-down does not click.
void ToolBar::DropDown(int index) {
  HWND self = hwnd;
  dropped = index;
  InvalidateRect(hwnd, &buttons[size_t(index)].rect, TRUE);
  UpdateWindow(hwnd);
  NMTOOLBARW n;
  ToRecord(buttons[size_t(index)], n.tbButton);
  n.iItem = buttons[size_t(index)].id;
  n.rcButton = buttons[size_t(index)].rect;
  LRESULT r = comctl::Notify(self, n.hdr, TBN_DROPDOWN);
  if (!IsWindow(self)) return;
  dropped = -1;
  if (size_t(index) < buttons.size()) InvalidateRect(hwnd, &buttons[size_t(index)].rect, TRUE);
  // A parent that does not handle the drop-down gets a plain click.
  if (r == TBDDRET_TREATPRESSED && size_t(index) < buttons.size()) Click(index);
}

LRESULT ToolBar::ButtonMessage(UINT msg, WPARAM w, LPARAM l) {
  int id = int(w);
  switch (msg) {
    case TB_ENABLEBUTTON:
      return SetBit(*this, id, TBSTATE_ENABLED, LOWORD(uintptr_t(l)) != 0);
    case TB_CHECKBUTTON:
      return SetBit(*this, id, TBSTATE_CHECKED, LOWORD(uintptr_t(l)) != 0);
    case TB_PRESSBUTTON:
      return SetBit(*this, id, TBSTATE_PRESSED, LOWORD(uintptr_t(l)) != 0);
    case TB_HIDEBUTTON:
      return SetBit(*this, id, TBSTATE_HIDDEN, LOWORD(uintptr_t(l)) != 0);
    case TB_INDETERMINATE:
      return SetBit(*this, id, TBSTATE_INDETERMINATE, LOWORD(uintptr_t(l)) != 0);
    case TB_MARKBUTTON:
      return SetBit(*this, id, TBSTATE_MARKED, LOWORD(uintptr_t(l)) != 0);
    case TB_ISBUTTONENABLED:
    case TB_ISBUTTONCHECKED:
    case TB_ISBUTTONPRESSED:
    case TB_ISBUTTONHIDDEN: {
      Button* b = ById(id);
      BYTE bit = msg == TB_ISBUTTONENABLED   ? TBSTATE_ENABLED
                 : msg == TB_ISBUTTONCHECKED ? TBSTATE_CHECKED
                 : msg == TB_ISBUTTONPRESSED ? TBSTATE_PRESSED
                                             : TBSTATE_HIDDEN;
      return b ? (b->state & bit) != 0 : 0;
    }
    case TB_SETSTATE: {
      Button* b = ById(id);
      if (!b) return FALSE;
      bool relayout = (b->state ^ BYTE(l)) & (TBSTATE_HIDDEN | TBSTATE_WRAP);
      b->state = BYTE(l);
      if (relayout)
        Layout();
      else
        InvalidateRect(hwnd, &b->rect, TRUE);
      return TRUE;
    }
    case TB_GETSTATE: {
      Button* b = ById(id);
      return b ? b->state : -1;
    }
    case TB_GETRECT: {
      Button* b = ById(id);
      if (!b || !l) return FALSE;
      *reinterpret_cast<RECT*>(l) = b->rect;
      return TRUE;
    }
    case TB_GETBUTTONTEXTW: {
      Button* b = ById(id);
      if (!b) return -1;
      if (auto* out = reinterpret_cast<char16_t*>(l)) {
        std::copy(b->text.begin(), b->text.end(), out);
        out[b->text.size()] = 0;
      }
      return LRESULT(b->text.size());
    }
    case TB_COMMANDTOINDEX:
      return IndexOf(id);
  }
  return 0;
}

LRESULT ToolBar::Message(UINT msg, WPARAM w, LPARAM l) {
  LRESULT common = bars::CommonMessage(*this, msg, w, l);
  if (common != -1) {
    if (msg == WM_SETFONT) Layout();
    return common;
  }
  switch (msg) {
    case TB_ENABLEBUTTON:
    case TB_CHECKBUTTON:
    case TB_PRESSBUTTON:
    case TB_HIDEBUTTON:
    case TB_INDETERMINATE:
    case TB_MARKBUTTON:
    case TB_ISBUTTONENABLED:
    case TB_ISBUTTONCHECKED:
    case TB_ISBUTTONPRESSED:
    case TB_ISBUTTONHIDDEN:
    case TB_SETSTATE:
    case TB_GETSTATE:
    case TB_GETRECT:
    case TB_GETBUTTONTEXTW:
    case TB_COMMANDTOINDEX:
      return ButtonMessage(msg, w, l);
    case TB_BUTTONSTRUCTSIZE:
      return 0;
    case TB_ADDBUTTONSW:
    case TB_INSERTBUTTONW: {
      auto* records = reinterpret_cast<const TBBUTTON*>(l);
      if (!records) return FALSE;
      size_t at = msg == TB_INSERTBUTTONW ? std::min(size_t(w), buttons.size()) : buttons.size();
      size_t count = msg == TB_INSERTBUTTONW ? 1 : size_t(w);
      for (size_t i = 0; i < count; ++i)
        buttons.insert(buttons.begin() + long(at + i), FromRecord(records[i]));
      hot = pressed = dropped = -1;
      Layout();
      return TRUE;
    }
    case TB_DELETEBUTTON:
      if (w >= buttons.size()) return FALSE;
      if (GetCapture() == hwnd) ReleaseCapture();
      buttons.erase(buttons.begin() + long(w));
      hot = pressed = dropped = -1;
      Layout();
      return TRUE;
    case TB_GETBUTTON:
      if (w >= buttons.size() || !l) return FALSE;
      ToRecord(buttons[w], *reinterpret_cast<TBBUTTON*>(l));
      return TRUE;
    case TB_BUTTONCOUNT:
      return LRESULT(buttons.size());
    case TB_GETITEMRECT:
      if (w >= buttons.size() || !l) return FALSE;
      *reinterpret_cast<RECT*>(l) = buttons[w].rect;
      return TRUE;
    case TB_SETBUTTONSIZE:
      buttonSize = SIZE{std::max(1, int(LOWORD(uintptr_t(l)))), std::max(1, int(HIWORD(uintptr_t(l))))};
      Layout();
      return TRUE;
    case TB_SETBITMAPSIZE:
      bitmapSize = SIZE{int(LOWORD(uintptr_t(l))), int(HIWORD(uintptr_t(l)))};
      Layout();
      return TRUE;
    case TB_GETBUTTONSIZE: {
      SIZE s = buttonSize;
      for (auto& b : buttons)
        if (!b.Separator() && b.Visible()) {
          s = SIZE{b.rect.Width() - ArrowWidth(b), b.rect.Height()};
          break;
        }
      return MAKELRESULT(s.cx, s.cy);
    }
    case TB_AUTOSIZE: {
      if (GetWindowLongPtrW(hwnd, GWL_STYLE) & CCS_NORESIZE) return 0;
      Layout();
      RECT r;
      GetWindowRect(hwnd, &r);
      int height = std::max(int(MaxSize().cy), int(buttonSize.cy)) + ((Style() & CCS_NODIVIDER) ? 0 : 2);
      SetWindowPos(hwnd, nullptr, 0, 0, r.Width(), height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case TB_GETMAXSIZE: {
      if (!l) return FALSE;
      *reinterpret_cast<SIZE*>(l) = MaxSize();
      return TRUE;
    }
    case TB_GETROWS:
      return rows;
    case TB_SETINDENT:
      indent = int(w);
      Layout();
      return TRUE;
    case TB_SETIMAGELIST:
    case TB_SETHOTIMAGELIST:
    case TB_SETDISABLEDIMAGELIST: {
      HIMAGELIST& slot = msg == TB_SETIMAGELIST      ? images
                         : msg == TB_SETHOTIMAGELIST ? hotImages
                                                     : disabledImages;
      HIMAGELIST old = slot;
      slot = reinterpret_cast<HIMAGELIST>(l);
      Layout();
      return LRESULT(old);
    }
    case TB_GETIMAGELIST:
      return LRESULT(images);
    case TB_GETHOTIMAGELIST:
      return LRESULT(hotImages);
    case TB_GETDISABLEDIMAGELIST:
      return LRESULT(disabledImages);
    case TB_HITTEST:
      return l ? HitTest(*reinterpret_cast<POINT*>(l)) : -1;
    case TB_GETHOTITEM:
      return hot;
    case TB_SETHOTITEM: {
      int old = hot;
      SetHot(int(w) >= 0 && w < buttons.size() ? int(w) : -1, 0);
      return old;
    }
    case TB_SETEXTENDEDSTYLE: {
      DWORD old = exStyle;
      exStyle = DWORD(l);
      Layout();
      return LRESULT(old);
    }
    case TB_GETEXTENDEDSTYLE:
      return LRESULT(exStyle);
    case WM_SIZE:
      if (Style() & TBSTYLE_WRAPABLE) Layout();
      return 0;
    case WM_STYLECHANGED:
      Layout();
      return 0;
    case WM_MOUSEMOVE:
      MouseMove(PointOf(l));
      return 0;
    case WM_MOUSELEAVE:
      tracking = false;
      if (pressed < 0) SetHot(-1, HICF_MOUSE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      MouseDown(PointOf(l));
      return 0;
    case WM_LBUTTONUP:
      MouseUp(PointOf(l));
      return 0;
    case WM_CAPTURECHANGED:
      if (pressed >= 0 && reinterpret_cast<HWND>(l) != hwnd) {
        if (size_t(pressed) < buttons.size()) InvalidateRect(hwnd, &buttons[size_t(pressed)].rect, TRUE);
        pressed = -1;
      }
      return 0;
  }
  return DefWindowProcW(hwnd, msg, w, l);
}

}  // namespace toolbar

LRESULT ToolBarProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return bars::StateProc<toolbar::ToolBar>(h, m, w, l);
}

}  // namespace qv
