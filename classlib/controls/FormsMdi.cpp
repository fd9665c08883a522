// The MDI side of TCustomForm: an fsMDIForm form makes its MDI client window
// and keeps it in the room its aligned controls leave; an fsMDIChild form is
// a child of the main form's client with the MDI default procedure, hears
// of its activation through WM_MDIACTIVATE, and the parent arranges and
// lists its children.
#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "platform/window/Mdi.h"
#include "platform/window/MessageQueue.h"

namespace qv {
namespace {

constexpr UINT kFirstMdiChildId = 0xFF00;

// The frame's default procedure, except that the class library places the
// MDI client itself (aligned controls take their share first).
LRESULT MdiFormDefProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SIZE) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return DefMDIFrameProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void TCustomForm::MdiCreateParams(TCreateParams& Params) {
  if (formStyle_ == fsMDIForm) {
    Params.WindowClass.lpfnWndProc = MdiFormDefProc;
    return;
  }
  if (formStyle_ != fsMDIChild) return;
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  if (!main || main == this || main->FormStyle() != fsMDIForm || !main->ClientHandle())
    throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
  Params.Style = (Params.Style & ~WS_POPUP) | WS_CHILD | WS_CLIPSIBLINGS;
  Params.ExStyle |= WS_EX_MDICHILD;
  Params.WndParent = main->ClientHandle();
  Params.WindowClass.lpfnWndProc = DefMDIChildProcW;
}

void TCustomForm::CreateMdiClient() {
  if (formStyle_ != fsMDIForm) return;
  CLIENTCREATESTRUCT ccs{nullptr, kFirstMdiChildId};
  RECT r;
  ::qv::GetClientRect(WindowHandle(), &r);
  clientHandle_ =
      CreateWindowExW(WS_EX_CLIENTEDGE, MDICLIENT_CLASS, nullptr,
                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL, 0,
                      0, r.Width(), r.Height(), WindowHandle(), nullptr, nullptr, &ccs);
  SetWindowPos(clientHandle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Realign();
}

void TCustomForm::AlignControls(TControl* AControl, RECT& Rect) {
  TScrollingWinControl::AlignControls(AControl, Rect);
  if (HWND client = ClientHandle())
    SetWindowPos(client, HWND_BOTTOM, Rect.left, Rect.top, Rect.Width(), Rect.Height(), SWP_NOACTIVATE);
}

HWND TCustomForm::ClientHandle() const {
  return formStyle_ == fsMDIForm && IsWindow(clientHandle_) ? clientHandle_ : nullptr;
}

void TCustomForm::MdiActivated(TMessage& M) {
  DefaultHandler(M);
  if (formStyle_ != fsMDIChild || !HandleAllocated()) return;
  auto alive = AliveToken();
  if (HWND(M.LParam) == WindowHandle()) {
    active_ = true;
    if (!activeControl_) activeControl_ = FindNextControl(nullptr, true, true, false);
    Activate();
  } else if (HWND(M.WParam) == WindowHandle()) {
    active_ = false;
    Deactivate();
  }
}

std::vector<TCustomForm*> TCustomForm::MdiChildList() const {
  std::vector<TCustomForm*> out;
  HWND client = ClientHandle();
  if (!client) return out;
  for (HWND h = GetWindow(client, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (auto* f = dynamic_cast<TCustomForm*>(FindControl(h)); f && f->formStyle_ == fsMDIChild)
      out.push_back(f);
  return out;
}

TCustomForm* TCustomForm::ActiveMDIChild() const {
  HWND client = ClientHandle();
  if (!client) return nullptr;
  auto h = reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0));
  return dynamic_cast<TCustomForm*>(FindControl(h));
}

int TCustomForm::MDIChildCount() const {
  return int(MdiChildList().size());
}

TCustomForm* TCustomForm::MDIChildren(int I) const {
  auto list = MdiChildList();
  if (I < 0 || I >= int(list.size()))
    throw EListError("List index out of bounds (" + std::to_string(I) + ")");
  return list[std::size_t(I)];
}

void TCustomForm::Cascade() {
  if (HWND client = ClientHandle()) SendMessageW(client, WM_MDICASCADE, 0, 0);
}

void TCustomForm::Tile() {
  if (HWND client = ClientHandle())
    SendMessageW(client, WM_MDITILE, TileMode == tbHorizontal ? MDITILE_HORIZONTAL : MDITILE_VERTICAL, 0);
}

void TCustomForm::ArrangeIcons() {
  if (HWND client = ClientHandle()) SendMessageW(client, WM_MDIICONARRANGE, 0, 0);
}

void TCustomForm::Next() {
  if (HWND client = ClientHandle()) SendMessageW(client, WM_MDINEXT, 0, 0);
}

void TCustomForm::Previous() {
  if (HWND client = ClientHandle()) SendMessageW(client, WM_MDINEXT, 0, 1);
}

}  // namespace qv
