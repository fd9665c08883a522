// TCustomForm: a top-level window made from the border style and icons,
// placed by Position when shown, activated with its active control focused,
// closed through OnCloseQuery/OnClose, and shown modally in a nested loop.
#include "classlib/controls/Forms.h"

#include <algorithm>

#include "classlib/controls/Application.h"
#include "classlib/controls/Screen.h"
#include "platform/backend/Backend.h"
#include "platform/window/Input.h"
#include "platform/window/Mdi.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/OwnerDraw.h"

namespace qv {

namespace {

bool IsMenuDrawMessage(const TMessage& M) {
  return M.LParam && *reinterpret_cast<const UINT*>(M.LParam) == ODT_MENU;
}

}  // namespace

TCustomForm* GetParentForm(TControl* Control) {
  TControl* c = Control;
  while (c && c->Parent()) c = c->Parent();
  return dynamic_cast<TCustomForm*>(c);
}

TCustomForm::TCustomForm(TComponent* AOwner)
    : TScrollingWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
  ControlStyle() =
      TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  SetVisible(false);
  SetParentFont(false);
  SetColor(clBtnFace);
  SetBounds(0, 0, 320, 240);
  formState_.Include(fsCreating);
  Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  if (created_ && OnDestroy) OnDestroy(this);
  canvas_->FreeHandle();
  Screen->RemoveForm(this);
}

void TCustomForm::AfterConstruction() {
  formState_.Exclude(fsCreating);
  created_ = true;
  int screenPpi = Screen ? Screen->PixelsPerInch() : 96;
  if (Scaled && PixelsPerInch > 0 && screenPpi != PixelsPerInch) {
    ChangeScale(screenPpi, PixelsPerInch);
    PixelsPerInch = screenPpi;
  }
  if (OnCreate) OnCreate(this);
}

void TCustomForm::ChangeScale(int M, int D) {
  if (M == D || D <= 0) return;
  int cw = MulDiv(ClientWidth(), M, D), ch = MulDiv(ClientHeight(), M, D);
  TSizeConstraints& c = Constraints();
  for (int* v : {&c.MinWidth, &c.MinHeight, &c.MaxWidth, &c.MaxHeight}) *v = MulDiv(*v, M, D);
  // Laid out once, in the scaled client area; the children before the font
  // they may follow (see TWinControl).
  DisableAlign();
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->ChangeScale(M, D);
  if (!ParentFont()) Font()->SetHeight(MulDiv(Font()->Height(), M, D));
  SetClientWidth(cw);
  SetClientHeight(ch);
  EnableAlign();
}

// ---- window styles ----

void TCustomForm::FrameStyle(DWORD& Style, DWORD& ExStyle) const {
  Style = 0, ExStyle = 0;
  switch (borderStyle_) {
    case bsNone:
      Style = WS_POPUP;
      break;
    case bsSingle:
      Style = WS_CAPTION | WS_BORDER;
      break;
    case bsSizeable:
      Style = WS_CAPTION | WS_THICKFRAME;
      break;
    case bsDialog:
      Style = WS_POPUP | WS_CAPTION;
      ExStyle = WS_EX_DLGMODALFRAME;
      break;
    case bsToolWindow:
      Style = WS_CAPTION;
      ExStyle = WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      Style = WS_CAPTION | WS_THICKFRAME;
      ExStyle = WS_EX_TOOLWINDOW;
      break;
  }
  if (borderStyle_ != bsNone && borderIcons_.Contains(biSystemMenu)) {
    Style |= WS_SYSMENU;
    bool sizeIcons = borderStyle_ == bsSingle || borderStyle_ == bsSizeable;
    if (sizeIcons && borderIcons_.Contains(biMinimize)) Style |= WS_MINIMIZEBOX;
    if (sizeIcons && borderIcons_.Contains(biMaximize)) Style |= WS_MAXIMIZEBOX;
    if (borderIcons_.Contains(biHelp)) ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (formStyle_ == fsStayOnTop) ExStyle |= WS_EX_TOPMOST;
}

void TCustomForm::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  if (Parent()) return;  // a form placed on another control is an ordinary child
  DWORD style = 0, ex = 0;
  FrameStyle(style, ex);
  Params.Style = (Params.Style & ~(WS_CHILD | WS_TABSTOP)) | style | WS_CLIPCHILDREN;
  Params.ExStyle = (Params.ExStyle & ~WS_EX_CONTROLPARENT) | ex;
  if (!(style & WS_CAPTION)) Params.Style |= WS_POPUP;
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  Params.WndParent = main && main != this && main->HandleAllocated() ? main->WindowHandle() : nullptr;
  MdiCreateParams(Params);
}

void TCustomForm::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  RecreateWnd();
}

// The caption buttons change on the live window: making it anew would take
// an MDI frame's client and children with it.
void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (Value == borderIcons_) return;
  borderIcons_ = Value;
  if (!HandleAllocated() || Parent()) return;
  DWORD style = 0, ex = 0;
  FrameStyle(style, ex);
  constexpr DWORD kIcons = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  HWND h = WindowHandle();
  const DWORD now = DWORD(GetWindowLongPtrW(h, GWL_STYLE)), nowEx = DWORD(GetWindowLongPtrW(h, GWL_EXSTYLE));
  SetWindowLongPtrW(h, GWL_STYLE, LONG_PTR((now & ~kIcons) | (style & kIcons)));
  SetWindowLongPtrW(h, GWL_EXSTYLE, LONG_PTR((nowEx & ~WS_EX_CONTEXTHELP) | (ex & WS_EX_CONTEXTHELP)));
  SetWindowPos(h, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (formStyle_ == Value) return;
  bool mdi = Value == fsMDIChild || Value == fsMDIForm || formStyle_ == fsMDIChild || formStyle_ == fsMDIForm;
  formStyle_ = Value;
  if (mdi) return RecreateWnd();
  if (HandleAllocated())
    SetWindowPos(WindowHandle(), Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetWindowState(TWindowState Value) {
  windowState_ = Value;
  if (!HandleAllocated() || !Showing()) return;
  // An MDI child goes through its client, which hands the maximised state around.
  if (formStyle_ == fsMDIChild && Value != wsMinimized && GetParent(WindowHandle())) {
    SendMessageW(GetParent(WindowHandle()), Value == wsMaximized ? WM_MDIMAXIMIZE : WM_MDIRESTORE,
                 WPARAM(WindowHandle()), 0);
    return;
  }
  ShowWindow(WindowHandle(), Value == wsMinimized   ? SW_MINIMIZE
                             : Value == wsMaximized ? SW_MAXIMIZE
                                                    : SW_RESTORE);
}

// ---- showing ----

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
  if (HandleAllocated()) SetForegroundWindow(WindowHandle());
}

// A top-level form comes up inside the work area: bounds stored or designed
// for a larger screen are shrunk and moved onto it; centred forms are centred
// first. A least size the area cannot hold (one scaled for a dense screen on
// a small one) gives way to the area: a window larger than the screen would
// hide its title bar or its buttons.
void TCustomForm::ApplyPosition() {
  if (Parent() || windowState_ != wsNormal) return;
  RECT area = Screen->WorkAreaRect();
  if (area.Width() <= 0 || area.Height() <= 0) return;
  TSizeConstraints& least = Constraints();
  least.MinWidth = std::min<int>(least.MinWidth, area.Width());
  least.MinHeight = std::min<int>(least.MinHeight, area.Height());
  if (Width() > area.Width() || Height() > area.Height())
    SetBounds(Left(), Top(), std::min<int>(Width(), area.Width()), std::min<int>(Height(), area.Height()));
  RECT around = area;
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  if (Position == poOwnerFormCenter)
    if (auto* owner = dynamic_cast<TCustomForm*>(Owner())) main = owner;
  int x = Left(), y = Top();
  switch (Position) {
    case poScreenCenter:
    case poDesktopCenter:
      x = around.left + (around.Width() - Width()) / 2, y = around.top + (around.Height() - Height()) / 2;
      break;
    case poMainFormCenter:
    case poOwnerFormCenter:
      if (main && main != this && main->Visible()) around = main->BoundsRect();
      x = around.left + (around.Width() - Width()) / 2, y = around.top + (around.Height() - Height()) / 2;
      break;
    default:
      break;
  }
  // The top left corner wins when the form's least size is still larger.
  x = std::max<int>(area.left, std::min<int>(x, area.right - Width()));
  y = std::max<int>(area.top, std::min<int>(y, area.bottom - Height()));
  if (x != Left() || y != Top()) SetBounds(x, y, Width(), Height());
}

void TCustomForm::ShowingChanged() {
  if (!HandleAllocated()) return;
  HWND h = WindowHandle();
  if (Showing()) {
    if (!formState_.Contains(fsVisible)) ApplyPosition();
    formState_.Include(fsVisible);
    auto alive = AliveToken();
    DoShow();
    if (alive.expired() || !IsWindow(h)) return;
    int cmd = windowState_ == wsMinimized   ? SW_SHOWMINIMIZED
              : windowState_ == wsMaximized ? SW_SHOWMAXIMIZED
                                            : SW_SHOWNORMAL;
    ShowWindow(h, cmd);
    if (GetActiveWindow() != h && IsWindowEnabled(h)) SetActiveWindow(h);
  } else {
    auto alive = AliveToken();
    DoHide();
    if (alive.expired() || !IsWindow(h)) return;
    formState_.Exclude(fsVisible);
    ShowWindow(h, SW_HIDE);
  }
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

// ---- activation and focus ----

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::HandleActivate(TMessage& M) {
  auto alive = AliveToken();
  DefaultHandler(M);
  if (alive.expired()) return;
  if (LOWORD(M.WParam) != WA_INACTIVE) {
    active_ = true;
    Screen->SetActiveForm(this);
    if (!activeControl_) activeControl_ = FindNextControl(nullptr, true, true, false);
    SetWindowFocus();
    if (!alive.expired()) Activate();
  } else {
    active_ = false;
    // A dialog opening over the form: the hint of its control goes at once,
    // not when its time is up.
    if (Application) Application->CancelHintIn(this);
    Deactivate();
  }
}

void TCustomForm::SetWindowFocus() {
  if (!HandleAllocated()) return;
  TWinControl* target = activeControl_ && activeControl_->CanFocus() ? activeControl_ : this;
  ::qv::SetFocus(target->Handle());
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (activeControl_ == Control) return;
  if (Control && (Control == this || GetParentForm(Control) != this || !Control->CanFocus()))
    if (Control == this || GetParentForm(Control) != this) throw EInvalidOperation("Invalid active control");
  activeControl_ = Control;
  if (active_ && Control && Control->CanFocus()) ::qv::SetFocus(Control->Handle());
}

void TCustomForm::FocusControl(TWinControl* Control) {
  activeControl_ = Control;
  if (active_ || (HandleAllocated() && GetActiveWindow() == WindowHandle())) {
    if (Control->CanFocus()) ::qv::SetFocus(Control->Handle());
  }
}

// The exit events run from the control that lost the focus up to the common
// parent, then the enter events down to the new one.
bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  if (focusedControl_ == Control) return true;
  auto alive = AliveToken();
  TWinControl* old = focusedControl_;
  focusedControl_ = Control;
  if (Control != this) activeControl_ = Control;
  for (TWinControl* c = old; c && c != this && !c->ContainsControl(Control); c = c->Parent()) {
    auto keep = c->AliveToken();
    c->Perform(CM_EXIT, 0, 0);
    if (alive.expired() || keep.expired()) break;
  }
  if (alive.expired() || focusedControl_ != Control) return false;
  std::vector<TWinControl*> chain;
  for (TWinControl* c = Control; c && c != this && !(old && c->ContainsControl(old)); c = c->Parent())
    chain.push_back(c);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    (*it)->Perform(CM_ENTER, 0, 0);
    if (alive.expired()) return false;
  }
  Screen->SetActiveControl(Control);
  if (!alive.expired()) Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
  return !alive.expired();
}

void TCustomForm::ControlRemoved(TWinControl* Control) {
  if (activeControl_ && Control->ContainsControl(activeControl_)) activeControl_ = nullptr;
  if (focusedControl_ && Control->ContainsControl(focusedControl_)) {
    focusedControl_ = nullptr;
    if (HandleAllocated() && Control->HandleAllocated() && IsChild(Control->WindowHandle(), GetFocus()))
      ::qv::SetFocus(WindowHandle());
    else if (HandleAllocated() && Control->HandleAllocated() && GetFocus() == Control->WindowHandle())
      ::qv::SetFocus(WindowHandle());
  }
  if (Screen->ActiveControl() && Control->ContainsControl(Screen->ActiveControl()))
    Screen->SetActiveControl(nullptr);
}

// ---- closing ----

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Close() {
  if (formState_.Contains(fsModal)) {
    modalResult_ = mrCancel;
    return;
  }
  auto alive = AliveToken();
  if (!CloseQuery() || alive.expired()) return;
  // An MDI child is minimised rather than hidden, unless it cannot be.
  TCloseAction action = caHide;
  if (formStyle_ == fsMDIChild) action = borderIcons_.Contains(biMinimize) ? caMinimize : caNone;
  DoClose(action);
  if (alive.expired() || action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide:
      Hide();
      break;
    case caMinimize:
      SetWindowState(wsMinimized);
      break;
    case caFree:
      Release();
      break;
    default:
      break;
  }
}

void TCustomForm::Release() {
  if (Application) Application->ReleaseForm(this);
}

void TCustomForm::CloseModal() {
  auto alive = AliveToken();
  TCloseAction action = CloseQuery() ? caHide : caNone;
  if (alive.expired()) return;
  if (action != caNone) DoClose(action);
  if (alive.expired()) return;
  switch (action) {
    case caNone:
      modalResult_ = mrNone;
      break;
    case caFree:
      Release();
      break;
    default:
      break;
  }
}

TModalResult TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || formState_.Contains(fsModal))
    throw EInvalidOperation("Cannot make a visible window modal");
  auto alive = AliveToken();
  // The other forms take no input while this one is up.
  std::vector<HWND> disabled;
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* f = Screen->Forms(i);
    if (f != this && f->HandleAllocated() && IsWindowVisible(f->WindowHandle()) &&
        IsWindowEnabled(f->WindowHandle())) {
      EnableWindow(f->WindowHandle(), FALSE);
      disabled.push_back(f->WindowHandle());
    }
  }
  HWND previous = GetActiveWindow();
  formState_.Include(fsModal);
  modalResult_ = mrNone;
  Application->EnterModal();
  TModalResult result = mrCancel;
  try {
    Show();
    // A test backend may answer the form here.
    if (Backend* b = CurrentBackend(); b && !alive.expired() && HandleAllocated())
      b->ModalStarted(WindowHandle());
    while (!alive.expired()) {
      if (modalResult_ == mrNone) Application->HandleMessage();
      if (alive.expired()) break;
      if (Application->Terminated())
        modalResult_ = mrCancel;
      else if (modalResult_ != mrNone)
        CloseModal();
      if (alive.expired() || modalResult_ != mrNone) break;
    }
    if (!alive.expired()) {
      result = modalResult_;
      Hide();
      formState_.Exclude(fsModal);
    }
  } catch (...) {
    Application->LeaveModal();
    for (HWND h : disabled) EnableWindow(h, TRUE);
    throw;
  }
  Application->LeaveModal();
  for (HWND h : disabled) EnableWindow(h, TRUE);
  if (previous && IsWindow(previous) && IsWindowVisible(previous)) SetActiveWindow(previous);
  return result;
}

// ---- painting and messages ----

void TCustomForm::PaintWindow(HDC DC) {
  TCanvasPaintScope scope(*canvas_, DC);
  Paint();
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomForm::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_COMMAND:
      if (M.LParam == 0 && HIWORD(M.WParam) == 0 &&
          ((menu_ && menu_->DispatchMenuMessage(M)) || DispatchPopupMenuMessage(M)))
        return;
      break;
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_MENUCHAR:
      if ((menu_ && menu_->DispatchMenuMessage(M)) || DispatchPopupMenuMessage(M)) return;
      break;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      if (IsMenuDrawMessage(M) && ((menu_ && menu_->DispatchMenuMessage(M)) || DispatchPopupMenuMessage(M)))
        return;
      break;
    case WM_ACTIVATE:
      return HandleActivate(M);
    case WM_CLOSE:
      Close();
      return;
    case WM_SIZE: {
      // The state follows what the window manager did (caption buttons, MDI).
      if (M.WParam == SIZE_MAXIMIZED) windowState_ = wsMaximized;
      if (M.WParam == SIZE_MINIMIZED) windowState_ = wsMinimized;
      if (M.WParam == SIZE_RESTORED && Showing()) windowState_ = wsNormal;
      RECT r{};
      const bool sameSize =
          !Parent() && GetWindowRect(WindowHandle(), &r) && r.Width() == Width() && r.Height() == Height();
      auto alive = AliveToken();
      TScrollingWinControl::Dispatch(M);
      // Only the client area changed (the menu bar came or went): the
      // controls lay out in it again.
      if (sameSize && !alive.expired()) Realign();
      return;
    }
    case WM_MDIACTIVATE:
      return MdiActivated(M);
    case WM_GETMINMAXINFO: {
      DefaultHandler(M);
      auto* mmi = reinterpret_cast<MINMAXINFO*>(M.LParam);
      auto& c = Constraints();
      if (c.MinWidth > 0) mmi->ptMinTrackSize.x = c.MinWidth;
      if (c.MinHeight > 0) mmi->ptMinTrackSize.y = c.MinHeight;
      if (c.MaxWidth > 0) mmi->ptMaxTrackSize.x = c.MaxWidth;
      if (c.MaxHeight > 0) mmi->ptMaxTrackSize.y = c.MaxHeight;
      // OnCanResize may raise small sizes too: the least size it lets
      // through is a limit the user's dragging (and the desktop's window
      // manager, which reads these limits) must keep as well.
      int least = 0, lowest = 0;
      if (CanResize(least, lowest)) {
        mmi->ptMinTrackSize.x = std::max<LONG>(mmi->ptMinTrackSize.x, least);
        mmi->ptMinTrackSize.y = std::max<LONG>(mmi->ptMinTrackSize.y, lowest);
      }
      return;
    }
    case CM_SHOWINGCHANGED:
      if (Parent()) break;
      return ShowingChanged();
    case CM_DIALOGKEY:
      if (GetKeyState(VK_MENU) >= 0 && M.WParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
        SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
        M.Result = 1;
        return;
      }
      // Arrows move among the siblings of the active control, tab stop or not.
      if (M.WParam == VK_LEFT || M.WParam == VK_RIGHT || M.WParam == VK_UP || M.WParam == VK_DOWN) {
        if (activeControl_ && activeControl_->Parent()) {
          activeControl_->Parent()->SelectNext(activeControl_, M.WParam == VK_RIGHT || M.WParam == VK_DOWN,
                                               false);
          M.Result = 1;
          return;
        }
      }
      break;
    case CM_RELEASE:
      delete this;
      return;
  }
  TScrollingWinControl::Dispatch(M);
}

bool TCustomForm::IsShortCut(WORD Key, TShiftState Shift) {
  bool handled = false;
  auto alive = AliveToken();
  if (OnShortCut) OnShortCut(Key, Shift, handled);
  if (handled || alive.expired()) return true;
  if (menu_ && menu_->IsShortCut(Key, Shift)) return true;
  if (alive.expired()) return true;
  for (TActionListBase* list : ActionLists()) {
    if (list->IsShortCut(Key, Shift)) return true;
    if (alive.expired()) return true;
  }
  return false;
}

// ---- menus and actions ----

namespace {

void CollectActionLists(const TComponent* owner, std::vector<TActionListBase*>& out, int depth) {
  if (depth > 8) return;
  for (int i = 0; i < owner->ComponentCount(); ++i) {
    TComponent* c = owner->Components(i);
    if (auto* list = dynamic_cast<TActionListBase*>(c))
      out.push_back(list);
    else if (!dynamic_cast<TCustomForm*>(c))
      CollectActionLists(c, out, depth + 1);
  }
}

}  // namespace

std::vector<TActionListBase*> TCustomForm::ActionLists() const {
  std::vector<TActionListBase*> out;
  CollectActionLists(this, out, 0);
  return out;
}

void TCustomForm::UpdateActions() {
  if (ComponentState().Contains(csDestroying)) return;
  auto alive = AliveToken();
  for (TActionListBase* list : ActionLists()) {
    list->UpdateActions();
    if (alive.expired()) return;
  }
}

void TCustomForm::SetMenu(TMenuBase* Value) {
  if (Value == menu_) return;
  if (menu_) menu_->RemoveFreeNotification(this);
  TMenuBase* old = menu_;
  menu_ = Value;
  if (menu_) menu_->FreeNotification(this);
  if (old && HandleAllocated()) old->AttachedTo(nullptr);
  MenuChanged();
}

void TCustomForm::MenuChanged() {
  if (!HandleAllocated() || Parent()) return;
  HMENU h = menu_ ? menu_->GetHandle() : nullptr;
  if (::qv::GetMenu(WindowHandle()) != h) ::qv::SetMenu(WindowHandle(), h);
  if (menu_) menu_->AttachedTo(WindowHandle());
}

void TCustomForm::CreateWnd() {
  TScrollingWinControl::CreateWnd();
  if (menu_) MenuChanged();
  CreateMdiClient();
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TScrollingWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove || AComponent != menu_) return;
  menu_ = nullptr;
  if (HandleAllocated() && !ComponentState().Contains(csDestroying)) ::qv::SetMenu(WindowHandle(), nullptr);
}

// ---- frames, modules, buttons ----

TFrame::TFrame(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  ControlStyle() =
      TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 320, 240);
  SetParentColor(true);
  SetAutoScroll(true);
}

TDataModule::TDataModule(TComponent* AOwner) : TComponent(AOwner) {
  Screen->AddDataModule(this);
}

TDataModule::~TDataModule() {
  if (OnDestroy) OnDestroy(this);
  Screen->RemoveDataModule(this);
}

void TDataModule::AfterConstruction() {
  if (OnCreate) OnCreate(this);
}

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
  SetTabStop(true);
  SetBounds(Left(), Top(), 75, 25);
}

void TButtonControl::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(ModalResult);
  TWinControl::Click();
}

// Enter presses the default button unless another button has the focus;
// Esc presses the cancel button.
void TButtonControl::Dispatch(TMessage& M) {
  if ((M.Msg == WM_KEYDOWN || M.Msg == WM_KEYUP) && M.WParam == VK_SPACE) {
    bool release = M.Msg == WM_KEYUP && spaceDown_;
    spaceDown_ = M.Msg == WM_KEYDOWN;
    auto alive = AliveToken();
    TWinControl::Dispatch(M);
    if (release && !alive.expired()) Click();
    return;
  }
  if (M.Msg == WM_KILLFOCUS) spaceDown_ = false;
  if (M.Msg == CM_DIALOGKEY) {
    TCustomForm* form = GetParentForm(this);
    TWinControl* focused = form ? form->ActiveControl() : nullptr;
    bool active = focused == this || (default_ && !dynamic_cast<TButtonControl*>(focused));
    if (((M.WParam == VK_RETURN && active) || (M.WParam == VK_ESCAPE && cancel_)) &&
        (KeyboardStateToShiftState() * TShiftState{ssShift, ssCtrl, ssAlt}).Empty() && CanFocus()) {
      Click();
      M.Result = 1;
      return;
    }
  }
  TWinControl::Dispatch(M);
}

}  // namespace qv
