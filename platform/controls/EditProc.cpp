// The EDIT window class: its window procedure (text, selection, formatting
// rectangle, margins, undo, limits, scrolling, the clipboard messages and the
// middle click that pastes the primary selection) and its registration.
#include <algorithm>
#include <cstring>

#include "platform/controls/ControlClass.h"
#include "platform/controls/ControlPaint.h"
#include "platform/controls/EditControl.h"
#include "platform/ole/PasteText.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv {
namespace edit {
namespace {

constexpr const char16_t* kStateProp = u"QvEditState";

void Create(HWND hwnd, const CREATESTRUCTW* cs) {
  auto* s = new EditState;
  s->hwnd = hwnd;
  SetPropW(hwnd, kStateProp, s);
  SetFont(*s, nullptr);
  if ((cs->style & ES_PASSWORD) && !(cs->style & ES_MULTILINE)) s->password = u'*';
  UpdateFormatRect(*s);
  Relayout(*s);
  if (cs->lpszName) s->text.Assign(cs->lpszName);
  UpdateScrollBars(*s);
}

void Destroy(HWND hwnd) {
  auto* s = Get(hwnd);
  if (!s) return;
  RemovePropW(hwnd, kStateProp);
  // What another program gives later goes nowhere, whoever asked for it
  // (the edit, or a masked edit over it).
  CancelPasteText(hwnd);
  if (s->measureDC) DeleteDC(s->measureDC);
  delete s;
}

void Resized(EditState& s) {
  int oldWidth = s.fmt.right - s.fmt.left;
  UpdateFormatRect(s);
  if (s.Wraps() && oldWidth != s.fmt.right - s.fmt.left) Relayout(s);
  s.caret = std::min(s.caret, s.text.Length());
  ScrollTo(s, s.topLine, s.xOffset);
  UpdateScrollBars(s);
  PlaceCaret(s);
  InvalidateRect(s.hwnd, nullptr, TRUE);
}

void Focus(EditState& s, bool gained) {
  s.focused = gained;
  if (gained) {
    CreateCaret(s.hwnd, nullptr, 1, s.lineHeight);
    PlaceCaret(s);
    ShowCaret(s.hwnd);
  } else {
    DestroyCaret();
    MouseUp(s);
  }
  if (s.anchor != s.caret && !(s.Style() & ES_NOHIDESEL)) InvalidateRect(s.hwnd, nullptr, FALSE);
  Notify(s, gained ? EN_SETFOCUS : EN_KILLFOCUS);
}

LRESULT GetSel(EditState& s, WPARAM w, LPARAM l) {
  if (w) *reinterpret_cast<DWORD*>(w) = DWORD(s.SelStart());
  if (l) *reinterpret_cast<DWORD*>(l) = DWORD(s.SelEnd());
  return MAKELRESULT(std::min(s.SelStart(), 0xFFFF), std::min(s.SelEnd(), 0xFFFF));
}

void SetSel(EditState& s, WPARAM w, LPARAM l) {
  int start = int(intptr_t(w)), end = int(intptr_t(l));
  if (start < 0) {  // -1 removes the selection, keeping the caret
    SetSelection(s, s.caret, s.caret, false);
    return;
  }
  if (end < 0) end = s.text.Length();
  SetSelection(s, start, end, false);
}

void SetFormatRect(EditState& s, const RECT* r, bool redraw) {
  if (r) {
    // The margins lie inside the given rectangle too, as in the automatic one.
    s.fmt = *r;
    s.fmt.left += s.leftMargin;
    s.fmt.right = std::max(s.fmt.left, r->right - s.rightMargin);
    s.fmtExplicit = true;
  } else {
    s.fmtExplicit = false;
    UpdateFormatRect(s);
  }
  if (s.Wraps()) Relayout(s);
  UpdateScrollBars(s);
  PlaceCaret(s);
  if (redraw) InvalidateRect(s.hwnd, nullptr, TRUE);
}

void SetMargins(EditState& s, WPARAM which, LPARAM value) {
  auto pick = [&](int v) { return LOWORD(which) == EC_USEFONTINFO ? std::max(1, s.aveChar / 2) : v; };
  if (which & EC_LEFTMARGIN) s.leftMargin = pick(LOWORD(uintptr_t(value)));
  if (which & EC_RIGHTMARGIN) s.rightMargin = pick(HIWORD(uintptr_t(value)));
  s.fmtExplicit = false;
  UpdateFormatRect(s);
  if (s.Wraps()) Relayout(s);
  InvalidateRect(s.hwnd, nullptr, TRUE);
  PlaceCaret(s);
}

int LineArg(EditState& s, WPARAM w) {
  return int(intptr_t(w)) < 0 ? s.text.LineOf(s.caret) : int(intptr_t(w));
}

LRESULT GetLine(EditState& s, int line, char16_t* buffer) {
  if (!buffer || line < 0 || line >= s.text.LineCount()) return 0;
  WORD room;
  std::memcpy(&room, buffer, sizeof room);
  int n = std::min<int>(room, s.text.LineLength(line));
  std::memcpy(buffer, s.text.Str().data() + s.text.LineStart(line), size_t(n) * sizeof(char16_t));
  return n;
}

LRESULT EditMessage(EditState& s, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case EM_GETSEL:
      return GetSel(s, w, l);
    case EM_SETSEL:
      SetSel(s, w, l);
      return 0;
    case EM_GETRECT:
      if (l) *reinterpret_cast<RECT*>(l) = s.fmt;
      return 0;
    case EM_SETRECT:
    case EM_SETRECTNP:
      SetFormatRect(s, reinterpret_cast<const RECT*>(l), msg == EM_SETRECT);
      return 0;
    case EM_SETMARGINS:
      SetMargins(s, w, l);
      return 0;
    case EM_GETMARGINS:
      return MAKELRESULT(s.leftMargin, s.rightMargin);
    case EM_SCROLL: {
      if (!s.Multi()) return FALSE;
      int before = s.topLine;
      VScroll(s, int(w), 0);
      return MAKELRESULT(s.topLine - before, TRUE);
    }
    case EM_LINESCROLL:
      if (!s.Multi()) return FALSE;
      ScrollTo(s, s.topLine + int(intptr_t(l)), s.xOffset + int(intptr_t(w)) * s.aveChar);
      return TRUE;
    case EM_SCROLLCARET:
      ScrollCaretIntoView(s);
      return TRUE;
    case EM_GETMODIFY:
      return s.modified;
    case EM_SETMODIFY:
      s.modified = w != 0;
      return 0;
    case EM_GETLINECOUNT:
      return s.text.LineCount();
    case EM_LINEINDEX: {
      int line = LineArg(s, w);
      return line < s.text.LineCount() ? s.text.LineStart(line) : -1;
    }
    case EM_LINELENGTH: {
      if (int(intptr_t(w)) < 0) {
        // The unselected parts of the lines the selection touches.
        int a = s.SelStart(), b = s.SelEnd();
        return (a - s.text.LineStart(s.text.LineOf(a))) + (s.text.LineEnd(s.text.LineOf(b)) - b);
      }
      return s.text.LineLength(s.text.LineOf(std::min(int(w), s.text.Length())));
    }
    case EM_LINEFROMCHAR:
      return s.text.LineOf(int(intptr_t(w)) < 0 ? s.SelStart() : std::min(int(w), s.text.Length()));
    case EM_GETLINE:
      return GetLine(s, int(w), reinterpret_cast<char16_t*>(l));
    case EM_REPLACESEL:
      ReplaceSelection(s, l ? reinterpret_cast<const char16_t*>(l) : u"", w != 0);
      return 0;
    case EM_SETLIMITTEXT:
      s.limit = w ? int(std::min<WPARAM>(w, 0x7FFFFFFE)) : 0x7FFFFFFE;
      return 0;
    case EM_GETLIMITTEXT:
      return s.limit;
    case EM_CANUNDO:
      return s.undo.valid;
    case EM_UNDO:
      return DoUndo(s);
    case EM_EMPTYUNDOBUFFER:
      s.undo = Undo{};
      return 0;
    case EM_FMTLINES:
    case EM_SETTABSTOPS:
      return TRUE;
    case EM_GETFIRSTVISIBLELINE:
      return s.topLine;
    case EM_SETREADONLY: {
      LONG_PTR style = GetWindowLongPtrW(s.hwnd, GWL_STYLE);
      SetWindowLongPtrW(s.hwnd, GWL_STYLE, w ? (style | ES_READONLY) : (style & ~LONG_PTR(ES_READONLY)));
      InvalidateRect(s.hwnd, nullptr, TRUE);
      return TRUE;
    }
    case EM_SETPASSWORDCHAR:
      s.password = char16_t(w);
      InvalidateRect(s.hwnd, nullptr, TRUE);
      PlaceCaret(s);
      return 0;
    case EM_GETPASSWORDCHAR:
      return s.password;
    case EM_POSFROMCHAR: {
      POINT p = PointOfPos(s, std::clamp(int(w), 0, s.text.Length()));
      return MAKELRESULT(p.x, p.y);
    }
    case EM_CHARFROMPOS: {
      int pos = PosFromPoint(s, POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
      return MAKELRESULT(pos, s.text.LineOf(pos));
    }
  }
  return 0;
}

LRESULT WindowMessage(EditState& s, HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (auto r = ctl::PaintMessage(hwnd, msg, w, [&s](HDC dc) { Paint(s, dc); })) return *r;
  switch (msg) {
    case WM_SETTEXT:
      SetText(s, l ? reinterpret_cast<const char16_t*>(l) : u"");
      return TRUE;
    case WM_GETTEXT: {
      if (!w || !l) return 0;
      auto* buffer = reinterpret_cast<char16_t*>(l);
      size_t n = std::min<size_t>(s.text.Str().size(), w - 1);
      std::memcpy(buffer, s.text.Str().data(), n * sizeof(char16_t));
      buffer[n] = 0;
      return LRESULT(n);
    }
    case WM_GETTEXTLENGTH:
      return s.text.Length();
    case WM_SETFONT:
      SetFont(s, reinterpret_cast<HFONT>(w));
      if (!s.fmtExplicit) UpdateFormatRect(s);
      Relayout(s);
      UpdateScrollBars(s);
      if (s.focused) Focus(s, true);
      if (LOWORD(l)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return LRESULT(s.font);
    case WM_SETREDRAW: {
      bool was = s.redraw;
      s.redraw = w != 0;
      LRESULT r = DefWindowProcW(hwnd, msg, w, l);
      if (s.redraw && !was) {
        UpdateScrollBars(s);
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return r;
    }
    case WM_SIZE:
      Resized(s);
      return 0;
    case WM_STYLECHANGED:
      Relayout(s);
      UpdateScrollBars(s);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFOCUS:
      Focus(s, true);
      return 0;
    case WM_KILLFOCUS:
      Focus(s, false);
      return 0;
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      if (s.Multi()) code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_KEYDOWN:
      KeyDown(s, UINT(w));
      return 0;
    case WM_CHAR:
      Char(s, char16_t(w));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      MouseDown(s, POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}, w & MK_SHIFT, msg == WM_LBUTTONDBLCLK);
      return 0;
    case WM_MOUSEMOVE:
      MouseMove(s, POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
      return 0;
    case WM_MBUTTONDOWN:
      PastePrimary(s, POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      MouseUp(s);
      return 0;
    case WM_MOUSEWHEEL:
      if (!s.Multi()) break;
      ScrollTo(s, s.topLine - 3 * short(HIWORD(w)) / WHEEL_DELTA, s.xOffset);
      return 0;
    case WM_VSCROLL:
      VScroll(s, LOWORD(w), HIWORD(w));
      return 0;
    case WM_HSCROLL:
      HScroll(s, LOWORD(w), HIWORD(w));
      return 0;
    case WM_CUT:
      CutCopy(s, true);
      return 0;
    case WM_COPY:
      CutCopy(s, false);
      return 0;
    case WM_PASTE:
      Paste(s);
      return 0;
    case WM_PASTETEXT:
      PasteArrived(s, w);
      return 0;
    case WM_CLEAR:
      Clear(s);
      return 0;
    case WM_UNDO:
      return DoUndo(s);
    case WM_CONTEXTMENU:
      ContextMenu(s, l);
      return 0;
    case EM_USERSELECTALL:
      SelectAllForUser(s);
      return 0;
    case WM_CLIPBOARDUPDATE:
      ClipboardUpdated(s);
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(l) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
        return TRUE;
      }
      break;
  }
  if (msg >= EM_GETSEL && msg <= EM_CHARFROMPOS) return EditMessage(s, msg, w, l);
  return DefWindowProcW(hwnd, msg, w, l);
}

LRESULT EditWindowProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_CREATE) {
    Create(hwnd, reinterpret_cast<const CREATESTRUCTW*>(l));
    return 0;
  }
  if (msg == WM_NCDESTROY) {
    Destroy(hwnd);
    return DefWindowProcW(hwnd, msg, w, l);
  }
  EditState* s = Get(hwnd);
  if (!s) return DefWindowProcW(hwnd, msg, w, l);
  return WindowMessage(*s, hwnd, msg, w, l);
}

}  // namespace

EditState* Get(HWND hwnd) {
  return static_cast<EditState*>(GetPropW(hwnd, kStateProp));
}

}  // namespace edit

void RegisterEditClass() {
  ctl::RegisterControlClass({.name = u"EDIT", .proc = edit::EditWindowProc, .cursor = IDC_IBEAM});
}

}  // namespace qv
