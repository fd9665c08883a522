// The plain hint window: info colours, a one-pixel border, the text inset.
#include "classlib/controls/HintWindow.h"

#include "classlib/controls/Screen.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "platform/window/Paint.h"

namespace qv {

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clInfoBk);
  Canvas()->SetFont(Screen->HintFont());
  SetFont(Screen->HintFont());
  SetVisible(false);
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WndParent = nullptr;
  Params.WindowClass.style |= CS_SAVEBITS;
}

RECT THintWindow::CalcHintRect(int MaxWidth, const std::string& Hint) {
  RECT r{0, 0, MaxWidth > 0 ? MaxWidth : 300, 0};
  std::string text = Hint;
  Canvas()->SetFont(Screen->HintFont());
  HDC dc = CreateCompatibleDC(nullptr);
  Canvas()->SetHandle(dc);
  Canvas()->TextRect(r, text, TTextFormat{tfCalcRect, tfLeft, tfWordBreak, tfNoPrefix});
  Canvas()->SetHandle(nullptr);
  DeleteDC(dc);
  r.right += 6;
  r.bottom += 2;
  return r;
}

void THintWindow::ActivateHint(RECT Rect, const std::string& Hint) {
  SetCaption(Hint);
  SetBoundsRect(Rect);
  HWND h = Handle();
  SetWindowPos(h, HWND_TOPMOST, Rect.left, Rect.top, Rect.Width(), Rect.Height(),
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
  Update();
}

bool THintWindow::IsHintShowing() {
  return HandleAllocated() && IsWindowVisible(WindowHandle());
}

bool THintWindow::IsHintMsg(const MSG& Msg) {
  if (Msg.message >= WM_KEYFIRST && Msg.message <= WM_KEYLAST) return true;
  switch (Msg.message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMOUSEMOVE:
    case WM_ACTIVATE:
      return true;
  }
  return false;
}

void THintWindow::Paint() {
  RECT r = ClientRect();
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(r);
  Canvas()->SetFont(Screen->HintFont());
  Canvas()->Brush()->SetStyle(bsClear);
  InflateRect(&r, -2, -1);
  r.left += 1;
  std::string text = Caption();
  Canvas()->TextRect(r, text, TTextFormat{tfLeft, tfWordBreak, tfNoPrefix});
}

void THintWindow::Dispatch(TMessage& Message) {
  // A hint never takes the mouse from the window under it.
  if (Message.Msg == WM_NCHITTEST) {
    Message.Result = HTTRANSPARENT;
    return;
  }
  TCustomControl::Dispatch(Message);
}

}  // namespace qv
