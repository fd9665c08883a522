// TWinControl's message handling: mouse messages handed to graphic
// children, the window messages a windowed control answers, notifications
// reflected to the child that sent them, and cursor selection.
#include <algorithm>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/controls/Screen.h"
#include "classlib/controls/WinControl.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv {

namespace {

struct NotifyHead {
  HWND hwndFrom;
};
struct DrawItemHead {
  UINT CtlType, CtlID, itemID, itemAction, itemState;
  HWND hwndItem;
};
struct MeasureItemHead {
  UINT CtlType, CtlID;
};

bool IsMouseMessage(UINT m) {
  return m >= WM_MOUSEFIRST && m <= WM_MOUSELAST && m != WM_MOUSEWHEEL && m != WM_MOUSEHWHEEL;
}

}  // namespace

// A mouse message over (or captured by) a graphic child goes to the child
// with the position made relative to it.
bool TWinControl::IsControlMouseMsg(TMessage& Message) {
  TControl* target = nullptr;
  TControl* capture = TControl::CaptureControl();
  if (handle_ && GetCapture() == handle_) {
    if (capture && capture != this && capture->Parent() == this) target = capture;
  } else {
    target = ControlAtPos(Message.Pos(), false);
  }
  if (!target) return false;
  POINT p = Message.Pos();
  LPARAM l = MAKELPARAM(p.x - target->Left(), p.y - target->Top());
  Message.Result = target->Perform(Message.Msg, Message.WParam, l);
  return true;
}

void TWinControl::WndProc(TMessage& Message) {
  if (IsMouseMessage(Message.Msg)) {
    if (IsControlMouseMsg(Message)) {
      // The window still hears the mouse: it keeps the hint and cursor logic in
      // step. A right-button release still asks for the context menu.
      if (Message.Msg == WM_RBUTTONUP && Message.Result == 0 && handle_ && IsWindow(handle_))
        DefWindowProcW(handle_, Message.Msg, Message.WParam, Message.LParam);
      return;
    }
  }
  TControl::WndProc(Message);
}

void TWinControl::ReflectToChild(TMessage& Message, HWND Child) {
  TWinControl* c = FindControl(Child);
  if (c && c != this) {
    Message.Result = c->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  DefaultHandler(Message);
}

void TWinControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_PAINT:
      return PaintHandler(M);
    case WM_ERASEBKGND:
      return HandleEraseBackground(M);
    case WM_SETFOCUS:
      if (auto* form = GetParentForm(this)) {
        auto alive = AliveToken();
        if (!form->SetFocusedControl(this) || alive.expired()) return;
      }
      return DefaultHandler(M);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (!DoKeyDown(M)) DefaultHandler(M);
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (!DoKeyUp(M)) DefaultHandler(M);
      return;
    case WM_CHAR:
      if (!DoKeyPress(M)) DefaultHandler(M);
      return;
    case CN_KEYDOWN:
    case CN_BASE + WM_SYSKEYDOWN:
      return HandleKeyNotify(M);
    case CN_CHAR:
      if (!(Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS)) {
        auto* form = GetParentForm(this);
        if (form && form->Perform(CM_DIALOGCHAR, M.WParam, M.LParam) != 0) return void(M.Result = 1);
      }
      M.Result = 0;
      return;
    case CN_BASE + WM_SYSCHAR: {
      // Alt+letter: the control whose caption has that accelerator takes it.
      auto* form = GetParentForm(this);
      M.Result = form && form->Perform(CM_DIALOGCHAR, M.WParam, M.LParam) != 0;
      return;
    }
    case CM_CHILDKEY:
      if (Parent()) Parent()->WindowProc(M);
      return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
    case CM_FOCUSCHANGED:
      return Broadcast(M);
    case CM_ENTER:
      return DoEnter();
    case CM_EXIT:
      return DoExit();
    case WM_SETCURSOR:
      return HandleSetCursor(M);
    case WM_NCCALCSIZE:
      return HandleNcCalcSize(M);
    case WM_NCPAINT:
      return HandleNcPaint(M);
    case WM_COMMAND:
      return ReflectToChild(M, reinterpret_cast<HWND>(M.LParam));
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return ReflectToChild(M, reinterpret_cast<HWND>(M.LParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (M.LParam) return ReflectToChild(M, reinterpret_cast<HWND>(M.LParam));
      return DefaultHandler(M);
    case WM_NOTIFY:
      if (M.LParam) return ReflectToChild(M, reinterpret_cast<NotifyHead*>(M.LParam)->hwndFrom);
      return DefaultHandler(M);
    case WM_DRAWITEM:
      if (M.LParam) return ReflectToChild(M, reinterpret_cast<DrawItemHead*>(M.LParam)->hwndItem);
      return DefaultHandler(M);
    case WM_MEASUREITEM:
      if (M.LParam) {
        UINT id = reinterpret_cast<MeasureItemHead*>(M.LParam)->CtlID;
        for (auto* c : windowed_)
          if (c->handle_ && UINT(GetWindowLongPtrW(c->handle_, GWLP_ID)) == id)
            return ReflectToChild(M, c->handle_);
      }
      return DefaultHandler(M);
    case WM_CONTEXTMENU: {
      // A graphic child under the point has the first say.
      POINT at{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
      if (at.x != -1 || at.y != -1)
        if (TControl* c = ControlAtPos(ScreenToClient(at), false))
          if (c->Perform(WM_CONTEXTMENU, M.WParam, M.LParam)) return void(M.Result = 1);
      return TControl::Dispatch(M);
    }
    case WM_MOVE:
    case WM_SIZE: {
      auto alive = AliveToken();
      DefaultHandler(M);
      if (!alive.expired()) UpdateBoundsFromWindow();
      return;
    }
    case WM_MOUSEWHEEL: {
      bool handled = false;
      POINT p{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
      if (OnMouseWheel)
        OnMouseWheel(this, KeysToShiftState(LOWORD(M.WParam)), short(HIWORD(M.WParam)), p, handled);
      if (handled) return void(M.Result = 1);
      return DefaultHandler(M);
    }
    case CM_RECREATEWND:
      if (handle_) {
        bool wasFocused = Focused();
        DestroyHandle();
        UpdateShowing();  // a showing control gets its new window at once
        if (wasFocused && handle_) ::qv::SetFocus(handle_);
      }
      return;
    case CM_SHOWINGCHANGED:
      if (handle_)
        SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                         (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
      return;
    case CM_VISIBLECHANGED:
      if (!Visible() && Parent())
        if (auto* form = GetParentForm(this)) form->ControlRemoved(this);
      UpdateShowing();
      return;
    case CM_ENABLEDCHANGED:
      if (!Enabled() && Parent())
        if (auto* form = GetParentForm(this)) form->ControlRemoved(this);
      if (handle_) EnableWindow(handle_, Enabled());
      Invalidate();
      return;
    case CM_COLORCHANGED:
      brush_->SetColor(Color());
      NotifyControls(CM_PARENTCOLORCHANGED);
      Invalidate();
      return;
    case CM_FONTCHANGED:
      if (handle_) Perform(WM_SETFONT, WPARAM(Font()->Handle()), 0);
      NotifyControls(CM_PARENTFONTCHANGED);
      Invalidate();
      return;
    case CM_SHOWHINTCHANGED:
      NotifyControls(CM_PARENTSHOWHINTCHANGED);
      return;
    case CM_TEXTCHANGED:
      return;  // the window shows its own text
  }
  TControl::Dispatch(M);
}

void TWinControl::DefaultHandler(TMessage& M) {
  if (handle_ && IsWindow(handle_)) {
    M.Result =
        CallWindowProcW(defWndProc_ ? defWndProc_ : DefWindowProcW, handle_, M.Msg, M.WParam, M.LParam);
    return;
  }
  TControl::DefaultHandler(M);
}

// The screen cursor wins everywhere; then the graphic child under the
// mouse, then the control's own cursor.
void TWinControl::HandleSetCursor(TMessage& M) {
  if (reinterpret_cast<HWND>(M.WParam) == handle_ && LOWORD(uintptr_t(M.LParam)) == HTCLIENT) {
    TCursor c = Screen->Cursor();
    if (c == crDefault) {
      POINT p;
      GetCursorPos(&p);
      ::qv::ScreenToClient(handle_, &p);
      TControl* under = ControlAtPos(p, false);
      c = under && under->Cursor() != crDefault ? under->Cursor() : Cursor();
    }
    if (c != crDefault) {
      ::qv::SetCursor(Screen->Cursors(c));
      M.Result = 1;
      return;
    }
  } else if (Screen->Cursor() != crDefault) {
    ::qv::SetCursor(Screen->Cursors(Screen->Cursor()));
    M.Result = 1;
    return;
  }
  DefaultHandler(M);
}

}  // namespace qv
