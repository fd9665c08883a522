// TApplication: the message loop and idle processing, released forms,
// mouse enter/leave tracking, hints and the default exception report.
#include "classlib/controls/Application.h"

#include <unistd.h>

#include <algorithm>

#include "classlib/Thread.h"
#include "classlib/controls/Forms.h"
#include "classlib/controls/HintWindow.h"
#include "classlib/controls/MessageBox.h"
#include "classlib/controls/Screen.h"
#include "classlib/controls/UtilWindow.h"
#include "platform/window/Input.h"
#include "platform/window/Mdi.h"
#include "platform/window/MessageQueue.h"

namespace qv {

TApplication* Application = new TApplication(nullptr);

namespace {

constexpr uintptr_t kHintShowTimer = 1, kHintHideTimer = 2;

std::string ShortHint(const std::string& hint) {
  return hint.substr(0, hint.find('|'));
}

std::string LongHint(const std::string& hint) {
  auto bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

// Counts a message dispatch for as long as it runs.
struct LevelGuard {
  int& level;
  explicit LevelGuard(int& l) : level(l) { ++level; }
  ~LevelGuard() { --level; }
};

}  // namespace

void ApplicationHintMouseMessage(TControl* Control, TMessage& Message) {
  if (Application) Application->HintMouseMessage(Control, Message);
}

void ControlDestroyed(TControl* Control) {
  if (Application) Application->ControlDestroyed(Control);
  if (Screen) Screen->ControlDestroyed(Control);
}

void ApplicationHandleException(TObject* Sender, std::exception& E) {
  if (Application) Application->HandleException(Sender, E);
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() {
  hintWindow_.reset();
  DeallocateHWnd(handle_);
}

HWND TApplication::Handle() {
  if (!handle_ || !IsWindow(handle_)) handle_ = AllocateHWnd([this](TMessage& M) { WndProc(M); });
  return handle_;
}

void TApplication::WndProc(TMessage& M) {
  auto hooks = hooks_;  // a hook may unhook itself
  for (auto& [id, hook] : hooks)
    if (hook(M)) return;
  if (M.Msg == WM_TIMER && (M.WParam == kHintShowTimer || M.WParam == kHintHideTimer)) {
    StopHintTimer(UINT(M.WParam));
    if (M.WParam == kHintShowTimer) {
      POINT p;
      GetCursorPos(&p);
      // The pointer may have left the control, or the program's windows,
      // during the pause without a mouse message reaching us: a hint shown
      // now would stand where the pointer went, far from its control.
      if (PointerOnHintControl(p))
        ActivateHint(p);
      else
        CancelHint();
    } else {
      HideHint();
    }
    return;
  }
  M.Result = DefWindowProcW(handle_, M.Msg, M.WParam, M.LParam);
}

int TApplication::HookMainWindow(TWindowHook Hook) {
  hooks_.emplace_back(nextHookId_, std::move(Hook));
  return nextHookId_++;
}

void TApplication::UnhookMainWindow(int HookId) {
  std::erase_if(hooks_, [&](auto& h) { return h.first == HookId; });
}

// ---- the loop ----

void TApplication::Run() {
  terminated_ = false;
  if (mainForm_ && !mainForm_->Visible()) mainForm_->Show();
  while (!terminated_) {
    try {
      HandleMessage();
    } catch (std::exception& e) {
      HandleException(this, e);
    }
  }
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  LevelGuard level(dispatchLevel_);
  try {
    bool handled = false;
    if (OnMessage) OnMessage(Msg, handled);
    if (handled) return true;
    IsHintMsg(Msg);
    if (!IsKeyMsg(Msg) && !IsMDIMsg(Msg)) {
      TranslateMessage(&Msg);
      DispatchMessageW(&Msg);
    }
  } catch (std::exception& e) {
    HandleException(this, e);
  }
  return true;
}

// Ctrl+F4, Ctrl+F6 and Ctrl+Tab act on the main MDI form's children.
bool TApplication::IsMDIMsg(const MSG& Msg) {
  if (!mainForm_ || mainForm_->FormStyle() != fsMDIForm || !mainForm_->ClientHandle()) return false;
  if (Msg.message != WM_KEYDOWN && Msg.message != WM_SYSKEYDOWN) return false;
  return TranslateMDISysAccel(mainForm_->ClientHandle(), &Msg);
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
  FreeReleasedForms();
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle(msg);
  FreeReleasedForms();
}

void TApplication::Idle(const MSG&) {
  DoMouseIdle();
  // The pointer went off our windows, where no mouse message follows it:
  // the hint that shows goes too.
  if (hintShown_ && !mouseControl_ && !TControl::CaptureControl()) CancelHint();
  bool done = true;
  if (OnIdle) OnIdle(this, done);
  DoActionIdle();
  if (OnActionUpdate) OnActionUpdate();
  if (CheckSynchronize()) done = false;
  FreeReleasedForms();
  if (done && !terminated_) WaitMessage();
}

// Every visible form's actions follow their update rules while the program idles.
void TApplication::DoActionIdle() {
  std::vector<std::weak_ptr<void>> alive;
  std::vector<TCustomForm*> forms;
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* f = Screen->Forms(i);
    forms.push_back(f);
    alive.push_back(f->AliveToken());
  }
  for (std::size_t i = 0; i < forms.size(); ++i) {
    if (alive[i].expired()) continue;
    TCustomForm* f = forms[i];
    if (f->HandleAllocated() && IsWindowVisible(f->WindowHandle())) f->UpdateActions();
  }
}

void TApplication::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

// Keys go to their control as CN_ notifications first, which may consume them.
bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  TWinControl* c = TWinControl::FindControl(Msg.hwnd);
  if (!c && Msg.hwnd) c = TWinControl::FindControl(GetParent(Msg.hwnd));
  if (!c) return false;
  return c->Perform(CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::IsShortCut(WORD Key, TShiftState Shift) {
  bool handled = false;
  if (OnShortCut) OnShortCut(Key, Shift, handled);
  if (handled) return true;
  // The active form was asked already.
  TCustomForm* main = MainForm();
  // A modal dialog disables the main form's window: its shortcuts wait.
  return main && main != Screen->ActiveForm() && main->Enabled() &&
         (!main->HandleAllocated() || IsWindowEnabled(main->WindowHandle())) && main->IsShortCut(Key, Shift);
}

void TApplication::ReleaseForm(TCustomForm* Form) {
  if (std::find(released_.begin(), released_.end(), Form) == released_.end()) released_.push_back(Form);
  PostMessageW(Handle(), WM_NULL, 0, 0);  // wakes an idle loop
}

void TApplication::FreeReleasedForms() {
  if (dispatchLevel_ > 0 || modalLevel_ > 0) return;
  while (!released_.empty()) {
    TCustomForm* f = released_.back();
    released_.pop_back();
    delete f;
  }
}

void TApplication::ControlDestroyed(TControl* Control) {
  if (mouseControl_ == Control) {
    // Its hint goes with it: a closed dialog's hint must not stay in the
    // status bar of the window the pointer is over now.
    mouseControl_ = nullptr;
    if (!Hint.empty()) {
      Hint.clear();
      if (OnHint) OnHint(this);
    }
  }
  if (hintControl_ == Control) CancelHint();
  std::erase(released_, static_cast<TCustomForm*>(nullptr));
  std::erase_if(released_, [&](TCustomForm* f) { return static_cast<TControl*>(f) == Control; });
  if (static_cast<TControl*>(mainForm_) == Control) mainForm_ = nullptr;
}

// ---- application state ----

std::string TApplication::ExeName() const {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, size_t(n)) : std::string();
}

bool TApplication::Active() const {
  HWND active = GetActiveWindow();
  return active && TWinControl::FindControl(active);
}

void TApplication::BringToFront() {
  TCustomForm* f = Screen->ActiveForm() ? Screen->ActiveForm() : mainForm_;
  if (f && f->HandleAllocated()) SetForegroundWindow(f->WindowHandle());
}

void TApplication::Minimize() {
  if (mainForm_ && mainForm_->HandleAllocated()) ShowWindow(mainForm_->WindowHandle(), SW_MINIMIZE);
}

void TApplication::Restore() {
  if (mainForm_ && mainForm_->HandleAllocated()) ShowWindow(mainForm_->WindowHandle(), SW_RESTORE);
}

// ---- exceptions ----

void TApplication::HandleException(TObject* Sender, std::exception& E) {
  if (OnException)
    OnException(Sender, E);
  else
    ShowException(E);
}

void TApplication::ShowException(std::exception& E) {
  auto* ex = dynamic_cast<Exception*>(&E);
  std::string text = ex ? ex->Message : E.what();
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  MessageBox(text, Title, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
  TCustomForm* f = Screen->ActiveForm();
  return ::qv::MessageBox(f && f->HandleAllocated() ? f->WindowHandle() : nullptr, Text, Caption, Flags);
}

// ---- mouse tracking and hints ----

TControl* TApplication::FindTargetControl(POINT ScreenPos) {
  HWND h = WindowFromPoint(ScreenPos);
  TWinControl* w = nullptr;
  for (; h && !w; h = GetParent(h)) w = TWinControl::FindControl(h);
  if (!w) return nullptr;
  POINT p = w->ScreenToClient(ScreenPos);
  TControl* g = w->ControlAtPos(p, false);
  return g ? g : w;
}

void TApplication::SetMouseControl(TControl* Control) {
  if (Control == mouseControl_) return;
  TControl* old = mouseControl_;
  mouseControl_ = Control;
  auto alive = Control ? Control->AliveToken() : std::weak_ptr<void>();
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  if (Control && !alive.expired() && mouseControl_ == Control) Control->Perform(CM_MOUSEENTER, 0, 0);
  std::string hint = mouseControl_ ? LongHint(mouseControl_->Hint()) : std::string();
  if (hint != Hint) {
    Hint = hint;
    if (OnHint) OnHint(this);
  }
}

void TApplication::DoMouseIdle() {
  POINT p;
  GetCursorPos(&p);
  if (TControl::CaptureControl()) return;  // a drag keeps its control
  SetMouseControl(FindTargetControl(p));
}

void TApplication::HintMouseMessage(TControl* Control, TMessage&) {
  SetMouseControl(Control);
  TControl* target = Control;
  while (target && !target->ShowHint()) target = target->Parent();
  if (target == hintControl_) return;
  bool wasShown = hintShown_;
  HideHint();
  StopHintTimer(kHintShowTimer);
  StopHintTimer(kHintHideTimer);
  hintControl_ = target;
  if (target && ShowHint && !target->Hint().empty()) {
    // The control may shorten or lengthen the wait (WParam: a hint was showing).
    int pause = wasShown ? HintShortPause : HintPause;
    target->Perform(CM_HINTSHOWPAUSE, WPARAM(wasShown), reinterpret_cast<LPARAM>(&pause));
    StartHintTimer(kHintShowTimer, pause);
  } else {
    hintShown_ = false;
  }
}

bool TApplication::PointerOnHintControl(POINT ScreenPos) {
  TControl* c = hintControl_;
  if (!c || !c->IsShowing()) return false;
  RECT r = c->BoundsRect();
  if (TWinControl* p = c->Parent()) {
    const POINT o = p->ClientToScreen(POINT{0, 0});
    OffsetRect(&r, o.x, o.y);
  } else if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated()) {
    GetWindowRect(w->WindowHandle(), &r);
  }
  return PtInRect(&r, ScreenPos) && WindowFromPoint(ScreenPos);
}

// A dropped-down list, a popup calendar, a menu or a dialog of ours stands
// over the hint control's window where the hint would go: the hint would
// cover what the user opened, so it is not shown.
bool TApplication::WindowAboveHintControl(const RECT& HintRect) {
  TControl* c = hintControl_;
  TWinControl* w = dynamic_cast<TWinControl*>(c);
  if (!w || !w->HandleAllocated()) w = c ? c->Parent() : nullptr;
  if (!w || !w->HandleAllocated()) return false;
  HWND root = GetAncestor(w->WindowHandle(), GA_ROOT);
  HWND hint = hintWindow_ && hintWindow_->HandleAllocated() ? hintWindow_->WindowHandle() : nullptr;
  POINT p;
  GetCursorPos(&p);
  for (HWND top = GetTopWindow(nullptr); top && top != root; top = GetWindow(top, GW_HWNDNEXT)) {
    if (top == hint || !IsWindowVisible(top)) continue;
    RECT wr, overlap;
    GetWindowRect(top, &wr);
    if (IntersectRect(&overlap, &wr, &HintRect) || PtInRect(&wr, p)) return true;
  }
  return false;
}

void TApplication::StartHintTimer(UINT Id, int Ms) {
  SetTimer(Handle(), Id, UINT(std::max(Ms, 1)), nullptr);
}

void TApplication::StopHintTimer(UINT Id) {
  if (handle_ && IsWindow(handle_)) KillTimer(handle_, Id);
}

void TApplication::ActivateHint(POINT CursorPos) {
  TControl* c = hintControl_;
  if (!c || !ShowHint) return;
  THintInfo info;
  info.HintControl = c;
  info.HintPos = POINT{CursorPos.x, CursorPos.y + 20};
  info.HintMaxWidth = Screen->Width();
  info.HintColor = HintColor;
  info.CursorRect = c->ClientRect();
  info.CursorPos = c->ScreenToClient(CursorPos);
  info.HideTimeout = HintHidePause;
  info.HintStr = ShortHint(c->Hint());
  auto alive = c->AliveToken();
  bool canShow = c->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (alive.expired()) return;
  if (canShow && OnShowHint) OnShowHint(info.HintStr, canShow, info);
  if (!canShow || info.HintStr.empty() || alive.expired()) return;
  bool ofControl = bool(info.HintWindowClass);
  if (hintWindow_ && ofControl != hintWindowOfControl_) {
    HideHint();
    hintWindow_.reset();
  }
  if (!hintWindow_) {
    THintWindowFactory& make = ofControl ? info.HintWindowClass : HintWindowClass;
    hintWindow_.reset(make ? make(nullptr) : new THintWindow(nullptr));
    hintWindowOfControl_ = ofControl;
  }
  hintWindow_->SetColor(info.HintColor);
  RECT r = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  OffsetRect(&r, info.HintPos.x, info.HintPos.y);
  if (WindowAboveHintControl(r)) return;
  hintWindow_->ActivateHint(r, info.HintStr);
  hintShown_ = true;
  if (info.HideTimeout > 0) StartHintTimer(kHintHideTimer, info.HideTimeout);
}

void TApplication::ResetHintWindow() {
  CancelHint();
  hintWindow_.reset();
}

void TApplication::HideHint() {
  if (hintWindow_ && hintWindow_->IsHintShowing()) ShowWindow(hintWindow_->WindowHandle(), SW_HIDE);
}

void TApplication::CancelHint() {
  HideHint();
  StopHintTimer(kHintShowTimer);
  StopHintTimer(kHintHideTimer);
  hintControl_ = nullptr;
  hintShown_ = false;
}

void TApplication::CancelHintIn(TCustomForm* Form) {
  if (hintControl_ && Form && GetParentForm(hintControl_) == Form) CancelHint();
}

// The hint window decides which messages end the hint that shows.
void TApplication::IsHintMsg(const MSG& Msg) {
  if (!hintShown_ || !hintWindow_ || !hintWindow_->IsHintMsg(Msg)) return;
  TControl* keep = hintControl_;
  CancelHint();
  hintControl_ = keep;  // the same control shows no hint again until the mouse leaves it
}

}  // namespace qv
