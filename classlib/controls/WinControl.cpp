// TWinControl: the window handle's life (creation through CreateParams,
// the window procedure into the object, destruction), the child lists and
// showing, bounds kept in step with the window, and message routing to
// graphic children and reflected notifications.
#include "classlib/controls/WinControl.h"

#include <algorithm>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "platform/Utf.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv {

namespace {

constexpr const char16_t* kControlProp = u"QvControl";
// The control whose window is being made: its first messages arrive before
// CreateWindowEx returns the handle.
thread_local TWinControl* gCreating = nullptr;

}  // namespace

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), brush_(std::make_unique<TBrush>()) {
  brush_->SetColor(Color());
}

TWinControl::~TWinControl() {
  // Owned components first, while this object is whole; then the children
  // other owners have placed here, as the parent frees what it holds.
  Destroying();
  DestroyComponents();
  while (ControlCount() > 0) {
    TControl* c = Controls(ControlCount() - 1);
    RemoveControl(c);
    delete c;
  }
  // A replaced WindowProc may belong to an object that is already gone;
  // the window's last messages take the plain path.
  WindowProc = [this](TMessage& M) { WndProc(M); };
  if (handle_) DestroyWindowHandle();
  if (Parent()) Parent()->RemoveControl(this);
}

TWinControl* TWinControl::FindControl(HWND Handle) {
  if (!Handle) return nullptr;
  return static_cast<TWinControl*>(GetPropW(Handle, kControlProp));  // none for a stale handle
}

TWinControl* GetParentWindowControl(TControl* Control) {
  TControl* c = Control;
  while (c && c->Parent()) c = c->Parent();
  return dynamic_cast<TWinControl*>(c);
}

// ---- the window procedure ----

LRESULT TWinControl::ControlWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<TWinControl*>(GetPropW(hwnd, kControlProp));
  if (!self && gCreating) {
    self = gCreating;
    gCreating = nullptr;
    self->handle_ = hwnd;
    SetPropW(hwnd, kControlProp, self);
  }
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  TMessage m{msg, wParam, lParam, 0};
  if (msg == WM_NCDESTROY) {
    WNDPROC def = self->defWndProc_;
    RemovePropW(hwnd, kControlProp);
    if (self->handle_ == hwnd) self->handle_ = nullptr, self->SetShowingDirect(false);
    return CallWindowProcW(def ? def : DefWindowProcW, hwnd, msg, wParam, lParam);
  }
  self->MainWndProc(m);
  return m.Result;
}

void TWinControl::MainWndProc(TMessage& Message) {
  try {
    WindowProc(Message);
  } catch (std::exception& e) {
    ApplicationHandleException(this, e);
  }
}

// ---- handle life ----

HWND TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (handle_) return;
  if (Parent()) Parent()->HandleNeeded();
  CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams{};
  Params.Caption = Text();
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (ControlStyle().Contains(csAcceptsControls)) {
    Params.Style |= WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (tabStop_) Params.Style |= WS_TABSTOP;
  if (!Enabled()) Params.Style |= WS_DISABLED;
  Params.X = Left(), Params.Y = Top(), Params.Width = Width(), Params.Height = Height();
  if (Parent()) Params.WndParent = Parent()->Handle();
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = DefWindowProcW;
  Params.WindowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  Params.WinClassName = Utf8ToUtf16(ClassName());
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  std::u16string caption = Utf8ToUtf16(Params.Caption);
  // Every child window gets an id of its own: owner-draw measuring finds
  // the control that asks by it.
  static UINT nextChildId = 0;
  HMENU id = nullptr;
  if (Params.Style & WS_CHILD) id = reinterpret_cast<HMENU>(uintptr_t(nextChildId++ % 0x7FFF0000u + 0x100));
  gCreating = this;
  HWND h =
      CreateWindowExW(Params.ExStyle, Params.WinClassName.c_str(), caption.c_str(), Params.Style, Params.X,
                      Params.Y, Params.Width, Params.Height, Params.WndParent, id, nullptr, Params.Param);
  gCreating = nullptr;
  if (h && !handle_) {
    handle_ = h;
    SetPropW(h, kControlProp, this);
  }
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (!params.WndParent && (params.Style & WS_CHILD))
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  defWndProc_ = params.WindowClass.lpfnWndProc ? params.WindowClass.lpfnWndProc : DefWindowProcW;
  WNDCLASSEXW existing;
  if (!GetClassInfoExW(nullptr, params.WinClassName.c_str(), &existing) ||
      existing.lpfnWndProc != &TWinControl::ControlWindowProc) {
    UnregisterClassW(params.WinClassName.c_str(), nullptr);
    WNDCLASSEXW wc = params.WindowClass;
    wc.lpfnWndProc = &TWinControl::ControlWindowProc;
    wc.lpszClassName = params.WinClassName.c_str();
    RegisterClassExW(&wc);
  }
  CreateWindowHandle(params);
  if (!handle_) throw EInvalidOperation("Error creating window for '" + ClassName() + "'");
  SetTextDirect(params.Caption);
  UpdateBoundsFromWindow();
  Perform(WM_SETFONT, WPARAM(Font()->Handle()), 0);
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  CreateWnd();
  if (Parent() && handle_)
    SetWindowPos(handle_, Parent()->PrecedingWindow(this), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->UpdateAnchorRules();
}

HWND TWinControl::PrecedingWindow(TWinControl* Control) const {
  auto it = std::find(windowed_.begin(), windowed_.end(), Control);
  // The list runs bottom to top: the window above is the next one with a handle.
  for (++it; it < windowed_.end(); ++it)
    if ((*it)->handle_) return (*it)->handle_;
  return HWND_TOP;
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (auto* c : windowed_) c->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  // The text lives in the window; keep it for the next one.
  std::string text = Text();
  DestroyWindowHandle();
  SetTextDirect(text);
}

void TWinControl::DestroyWindowHandle() {
  ControlState().Include(csDestroyingHandle);
  HWND h = handle_;
  ::qv::DestroyWindow(h);
  if (handle_ == h) {
    RemovePropW(h, kControlProp);
    handle_ = nullptr;
  }
  showing_ = false;
  ControlState().Exclude(csDestroyingHandle);
}

void TWinControl::RecreateWnd() {
  if (handle_) Perform(CM_RECREATEWND, 0, 0);
}

// ---- children ----

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  if (size_t(Index) < graphic_.size()) return graphic_[size_t(Index)];
  return windowed_[size_t(Index) - graphic_.size()];
}

void TWinControl::InsertControl(TControl* AControl) {
  AControl->parent_ = this;
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    windowed_.push_back(w);
    tabList_.push_back(w);
  } else {
    graphic_.push_back(AControl);
  }
  AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
  AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
  AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
  AControl->UpdateAnchorRules();
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (w->handle_) {
      if (handle_)
        ::qv::SetParent(w->handle_, handle_);
      else
        w->DestroyHandle();
    }
    w->UpdateShowing();
  }
  AControl->Invalidate();
  if (AControl->Align() != alNone || AControl->Visible()) AlignControl(AControl);
  Perform(CM_CONTROLCHANGE, WPARAM(AControl), TRUE);
}

void TWinControl::RemoveControl(TControl* AControl) {
  if (AControl->parent_ != this) return;
  Perform(CM_CONTROLCHANGE, WPARAM(AControl), FALSE);
  AControl->Invalidate();
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (auto* form = GetParentForm(this)) form->ControlRemoved(w);
    w->DestroyHandle();
    std::erase(windowed_, w);
    std::erase(tabList_, w);
  } else {
    std::erase(graphic_, AControl);
  }
  AControl->parent_ = nullptr;
  if (!ComponentState().Contains(csDestroying)) Realign();
}

bool TWinControl::ContainsControl(TControl* Control) const {
  for (TControl* c = Control; c; c = c->Parent())
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(POINT Pos, bool AllowDisabled, bool AllowWinControls) {
  auto hit = [&](TControl* c) {
    RECT r = c->BoundsRect();
    return c->Visible() && (AllowDisabled || c->Enabled()) && PtInRect(&r, Pos) &&
           c->Perform(CM_HITTEST, 0, MAKELPARAM(Pos.x - r.left, Pos.y - r.top)) != 0;
  };
  if (AllowWinControls)
    for (auto it = windowed_.rbegin(); it != windowed_.rend(); ++it)
      if (hit(*it)) return *it;
  for (auto it = graphic_.rbegin(); it != graphic_.rend(); ++it)
    if (hit(*it)) return *it;
  return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
  // A copy: a handler may add or remove children.
  std::vector<TControl*> kids;
  for (int i = 0; i < ControlCount(); ++i) kids.push_back(Controls(i));
  for (TControl* c : kids) {
    if (!ContainsControl(c)) continue;
    c->WindowProc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  TMessage m{Msg, 0, 0, 0};
  std::vector<TControl*> kids;
  for (int i = 0; i < ControlCount(); ++i) kids.push_back(Controls(i));
  for (TControl* c : kids)
    if (ContainsControl(c)) c->WindowProc(m);
}

// ---- showing, z-order, geometry ----

void TWinControl::UpdateShowing() {
  bool show = Visible() && (Parent() ? Parent()->showing_ : IsTopLevelControl());
  if (show && !handle_) CreateHandle();
  if (show == showing_) return;
  showing_ = show;
  if (show) {
    for (auto* c : std::vector<TWinControl*>(windowed_)) c->UpdateShowing();
    Perform(CM_SHOWINGCHANGED, 0, 0);
  } else {
    Perform(CM_SHOWINGCHANGED, 0, 0);
    for (auto* c : std::vector<TWinControl*>(windowed_)) c->UpdateShowing();
  }
}

void TWinControl::SetZOrder(bool TopMost) {
  if (!Parent()) return;
  auto& list = Parent()->windowed_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (TopMost)
    list.push_back(this);
  else
    list.insert(list.begin(), this);
  if (handle_)
    SetWindowPos(handle_, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  CheckNewSize(AWidth, AHeight);
  if (ALeft == Left() && ATop == Top() && AWidth == Width() && AHeight == Height()) return;
  if (handle_ && !IsIconic(handle_)) {
    // The window reports the new place back (WM_MOVE / WM_SIZE).
    SetWindowPos(handle_, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!anchoring_) UpdateAnchorRules();
    return;
  }
  bool sized = AWidth != Width() || AHeight != Height();
  left_ = ALeft, top_ = ATop, width_ = AWidth, height_ = AHeight;
  if (!anchoring_) UpdateAnchorRules();
  auto alive = AliveToken();
  BoundsChanged();
  if (sized && !alive.expired()) {
    Realign();
    Resize();
  }
}

void TWinControl::UpdateBoundsFromWindow() {
  if (!handle_) return;
  RECT r;
  GetWindowRect(handle_, &r);
  if (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD)
    MapWindowPoints(nullptr, GetParent(handle_), reinterpret_cast<POINT*>(&r), 2);
  bool sized = r.Width() != Width() || r.Height() != Height();
  bool moved = r.left != Left() || r.top != Top();
  if (!sized && !moved) return;
  left_ = r.left, top_ = r.top, width_ = r.Width(), height_ = r.Height();
  auto alive = AliveToken();
  BoundsChanged();
  if (sized && !alive.expired()) {
    Realign();
    if (!alive.expired()) Resize();
  }
}

RECT TWinControl::GetClientRect() {
  RECT r{};
  if (handle_ && ::qv::GetClientRect(handle_, &r)) return r;
  DWORD style = 0, ex = 0;
  FrameStyle(style, ex);
  RECT frame{};
  AdjustWindowRectEx(&frame, style, HasMenuBar(), ex);
  RECT bevels{0, 0, 0, 0};
  ExcludeBevels(bevels);
  int w = Width() - frame.Width() - (bevels.left - bevels.right);
  int h = Height() - frame.Height() - (bevels.top - bevels.bottom);
  return RECT{0, 0, std::max(0, w), std::max(0, h)};
}

void TWinControl::FrameStyle(DWORD&, DWORD&) const {}

POINT TWinControl::ClientOrigin() {
  if (handle_) {
    POINT p{0, 0};
    ::qv::ClientToScreen(handle_, &p);
    return p;
  }
  return TControl::ClientOrigin();
}

void TWinControl::SetParent(TWinControl* AParent) {
  TControl::SetParent(AParent);
}

void TWinControl::SetBorderWidth(int Value) {
  if (borderWidth_ == Value) return;
  borderWidth_ = Value;
  FrameChanged();
  Invalidate();
}

void TWinControl::SetParentBackground(bool Value) {
  if (Value)
    ControlStyle().Include(csParentBackground);
  else
    ControlStyle().Exclude(csParentBackground);
  Invalidate();
}

void TWinControl::ScrollBy(int DeltaX, int DeltaY) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->anchoring_ = true;
    c->SetBounds(c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
    c->anchoring_ = false;
  }
  Invalidate();
}

// ---- painting ----

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, !ControlStyle().Contains(csOpaque));
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::PaintHandler(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  PAINTSTRUCT ps;
  HWND own = handle_;
  if (!dc) dc = BeginPaint(own, &ps);
  auto alive = AliveToken();
  if (graphic_.empty()) {
    PaintWindow(dc);
  } else {
    int saved = SaveDC(dc);
    // Opaque graphic children cover their part: the window leaves it to them.
    for (TControl* c : graphic_)
      if (c->Visible() && c->ControlStyle().Contains(csOpaque))
        ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
    PaintWindow(dc);
    RestoreDC(dc, saved);
    if (!alive.expired()) PaintControls(dc, nullptr);
  }
  if (!Message.WParam && IsWindow(own)) EndPaint(own, &ps);
}

void TWinControl::PaintWindow(HDC DC) {
  TMessage m{WM_PAINT, WPARAM(DC), 0, 0};
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto it = First ? std::find(graphic_.begin(), graphic_.end(), First) : graphic_.begin();
  std::vector<TControl*> kids(it, graphic_.end());
  for (TControl* c : kids) {
    if (!ContainsControl(c) || !c->Visible()) continue;
    RECT r = c->BoundsRect();
    if (!RectVisible(DC, &r)) continue;
    int saved = SaveDC(DC);
    IntersectClipRect(DC, r.left, r.top, r.right, r.bottom);
    OffsetViewportOrgEx(DC, r.left, r.top, nullptr);
    c->Perform(WM_PAINT, WPARAM(DC), 0);
    RestoreDC(DC, saved);
  }
}

void TWinControl::HandleEraseBackground(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  RECT r = GetClientRect();
  brush_->SetColor(Color());
  ::qv::FillRect(dc, &r, brush_->Handle());
  Message.Result = 1;
}

void TWinControl::ChangeScale(int M, int D) {
  if (M == D || D <= 0) return;
  // The children are laid out again once, after all of them have scaled:
  // laid out in between, an aligned child already scaled would be placed
  // among siblings not yet scaled, and the order of a row of them (a gauge
  // above a status bar) could turn round.
  // Children first, as the font comes last (see TControl): a child that
  // follows this control's font sizes itself to it once it is scaled.
  DisableAlign();
  std::vector<TControl*> children;
  for (int i = 0; i < ControlCount(); ++i) children.push_back(Controls(i));
  for (TControl* c : children) c->ChangeScale(M, D);
  TControl::ChangeScale(M, D);
  EnableAlign();
}

}  // namespace qv
