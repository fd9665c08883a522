// The spin edit, its button bar and its repeating buttons.
#include "skin/controls/skSpinEdit.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Font.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Window.h"
#include "skin/controls/skCtrlHelpers.h"
#include "skin/skControlTree.h"
#include "skin/skUtils.h"
#include "skin/skinManager.h"

namespace qv {

namespace skSpinEdit {

TSkTimerSpeedButton::TSkTimerSpeedButton(TComponent* AOwner) : TSkSpeedButton(AOwner) {}

TSkTimerSpeedButton::~TSkTimerSpeedButton() {
  delete timer_;
  timer_ = nullptr;
}

void TSkTimerSpeedButton::Click() {
  if (pressClicked_) return;
  TSkSpeedButton::Click();
}

void TSkTimerSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = AliveToken();
  TSkSpeedButton::MouseDown(Button, Shift, X, Y);
  if (alive.expired() || Button != mbLeft || !Enabled()) return;
  SetDown(true);
  // The step happens at the press, so holding and clicking count the same.
  pressClicked_ = false;
  Click();
  if (alive.expired()) return;
  pressClicked_ = true;
  if (!AllowTimer) return;
  if (!timer_) timer_ = new TTimer(nullptr);
  timer_->OnTimer = [this](TObject*) { TimerExpired(); };
  timer_->SetInterval(400);
  timer_->SetEnabled(true);
}

void TSkTimerSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = AliveToken();
  SetDown(false);
  TSkSpeedButton::MouseUp(Button, Shift, X, Y);
  if (alive.expired()) return;
  pressClicked_ = false;
  if (timer_) timer_->SetEnabled(false);
}

void TSkTimerSpeedButton::TimerExpired() {
  timer_->SetInterval(100);
  if (!MouseCapture()) return;
  pressClicked_ = false;
  try {
    Click();
  } catch (...) {
    timer_->SetEnabled(false);
    pressClicked_ = true;
    throw;
  }
  pressClicked_ = true;
}

void TSkTimerSpeedButton::Paint() {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  MaskFillColor = SharedBgColor = ColorToRGB(clWindow);
  TSkSpeedButton::Paint();
  MaskFillColor = SharedBgColor = clSkinTransparent;
  if (!ShowFocusRect) return;
  RECT r{3, 3, Width() - 3, Height() - 3};
  if (State() == bsDown) OffsetRect(&r, 1, 1);
  DrawFocusRect(Canvas()->Handle(), &r);
}

}  // namespace skSpinEdit

using SpinBtn = skSpinEdit::TSkTimerSpeedButton;

// ---- the button bar ----

TSkSpinButton::TSkSpinButton(TComponent* AOwner)
    : TWinControl(AOwner), edit_(dynamic_cast<TControl*>(AOwner)) {
  ControlStyle().Exclude(csAcceptsControls);
  ControlStyle().Exclude(csSetCaption);
  up_ = MakeButton();
  down_ = MakeButton();
  DrawDefaultGlyphs();
  SetWidth(kDesignWidth);
  focused_ = up_;
}

SpinBtn* TSkSpinButton::MakeButton() {
  auto* b = new SpinBtn(this);
  b->SkinData()->SetSkinSection("SPEEDBUTTON_SMALL");
  b->SetParent(this);
  b->OnClick = [this](TObject* s) { BtnClick(s); };
  b->OnMouseDown = [this](TObject* s, TMouseButton bt, TShiftState sh, int x, int y) {
    BtnMouseDown(s, bt, sh, x, y);
  };
  b->SetVisible(true);
  b->SetEnabled(true);
  b->SetFlat(false);
  b->SetTransparent(true);
  b->AllowTimer = true;
  return b;
}

namespace {
// A 9 x 5 triangle in the font's colour on white, which the button's
// bottom-left transparent key then removes (a black start would hide the
// arrow); each pixel a Scale x Scale block on a denser screen, so the arrow
// keeps its shape in the larger button.
void DrawArrow(TBitmap* Bmp, TColor Color, bool Up, int Scale) {
  TBitmap one(0, 0, pf24bit);
  one.SetSize(9, 5);
  TCanvas* c = one.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(RECT{0, 0, 9, 5});
  c->Brush()->SetColor(Color);
  c->Pen()->SetColor(Color);
  if (Up)
    c->Polygon({{1, 4}, {7, 4}, {4, 1}});
  else
    c->Polygon({{1, 1}, {7, 1}, {4, 4}});
  Bmp->SetPixelFormat(pf24bit);
  Bmp->SetSize(9 * Scale, 5 * Scale);
  StretchBlt(Bmp->Canvas()->Handle(), 0, 0, 9 * Scale, 5 * Scale, c->Handle(), 0, 0, 9, 5, SRCCOPY);
}
}  // namespace

void TSkSpinButton::DrawDefaultGlyphs() {
  const TColor color = edit_ ? edit_->Font()->Color() : clBlack;
  TBitmap bmp(0, 0, pf24bit);
  DrawArrow(&bmp, ColorToRGB(color) == 0xFFFFFF ? clBlack : color, true, glyphScale_);
  up_->SetGlyph(&bmp);
  DrawArrow(&bmp, ColorToRGB(color) == 0xFFFFFF ? clBlack : color, false, glyphScale_);
  down_->SetGlyph(&bmp);
  defaultGlyphs_ = true;
}

TBitmap* TSkSpinButton::UpGlyph() const {
  return up_->Glyph();
}
TBitmap* TSkSpinButton::DownGlyph() const {
  return down_->Glyph();
}
void TSkSpinButton::SetUpGlyph(TBitmap* Value) {
  if (Value)
    up_->SetGlyph(Value), defaultGlyphs_ = false;
  else
    DrawDefaultGlyphs();
}
void TSkSpinButton::SetDownGlyph(TBitmap* Value) {
  if (Value)
    down_->SetGlyph(Value), defaultGlyphs_ = false;
  else
    DrawDefaultGlyphs();
}

void TSkSpinButton::SetFocusControl(TWinControl* Value) {
  focusControl_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TSkSpinButton::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TSkSpinButton::LayoutButtons(int& W, int H) {
  if (!up_ || !down_ || ComponentState().Contains(csLoading) || H == 0) return;
  W = std::max(W, 15);
  up_->SetBounds(0, 0, W, H / 2);
  down_->SetBounds(0, up_->Height(), W, H - up_->Height());
  // The default arrows grow with the bar (18 pixels wide by design), whole
  // pixels at a time, never past the room they have.
  const int scale = std::max(1, W / kDesignWidth);
  if (scale == glyphScale_) return;
  glyphScale_ = scale;
  if (defaultGlyphs_) DrawDefaultGlyphs();
}

void TSkSpinButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  LayoutButtons(AWidth, AHeight);
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TSkSpinButton::Loaded() {
  TWinControl::Loaded();
  int w = Width();
  LayoutButtons(w, Height());
  if (auto* e = dynamic_cast<TSkEdit*>(edit_)) {
    up_->SkinData()->SetSkinManager(e->SkinData()->OwnSkinManager());
    down_->SkinData()->SetSkinManager(e->SkinData()->OwnSkinManager());
  }
}

void TSkSpinButton::SetFocusBtn(SpinBtn* Btn) {
  if (!TabStop() || !CanFocus() || Btn == focused_) return;
  focused_->ShowFocusRect = false;
  focused_ = Btn;
  if (Focused()) focused_->ShowFocusRect = true;
  Invalidate();
}

void TSkSpinButton::BtnMouseDown(TObject* Sender, TMouseButton Button, TShiftState, int, int) {
  if (Button != mbLeft) return;
  SetFocusBtn(static_cast<SpinBtn*>(Sender));
  if (focusControl_ && focusControl_->TabStop() && focusControl_->CanFocus() && !focusControl_->Focused())
    focusControl_->SetFocus();
  else if (TabStop() && CanFocus() && !Focused())
    SetFocus();
}

void TSkSpinButton::BtnClick(TObject* Sender) {
  if (Sender == up_ && OnUpClick) OnUpClick(this);
  if (Sender == down_ && OnDownClick) OnDownClick(this);
}

// The buttons lie on the edit's skin: they draw from its cache and are
// never behind with their background.
void TSkSpinButton::AfterPlainCacheQuery(TMessage&) {
  if (auto* e = dynamic_cast<TSkEdit*>(edit_))
    SharedCacheInfo = MakeCacheInfo(e->SkinData()->CacheBmp.get(), Left() + 2, Top() + 2);
}

void TSkSpinButton::AfterPlainPreparingQuery(TMessage& M) {
  M.LParam = 0;
}

void TSkSpinButton::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS;
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TWinControl::WndProc(M);
      focused_->ShowFocusRect = M.Msg == WM_SETFOCUS;
      focused_->Invalidate();
      return;
    case WM_SIZE: {
      TWinControl::WndProc(M);
      int w = Width();
      LayoutButtons(w, Height());
      M.Result = 0;
      return;
    }
    default:
      break;
  }
  auto alive = AliveToken();
  TWinControl::WndProc(M);
  if (alive.expired()) return;
  DispatchSkinCommandAfterPlain(M, *this);
  if (M.Msg == CM_ENABLEDCHANGED) {
    up_->SetEnabled(Enabled());
    down_->SetEnabled(Enabled());
  }
}

// ---- the base spin edit ----

TSkBaseSpinEdit::TSkBaseSpinEdit(TComponent* AOwner) : TSkEdit(AOwner) {
  ControlStyle().Exclude(csSetCaption);
  ControlStyle().Include(csAcceptsControls);
  button_ = new TSkSpinButton(this);
  button_->SetVisible(false);
  button_->SetParent(this);
  button_->SetFocusControl(this);
  button_->OnUpClick = [this](TObject* s) { UpClick(s); };
  button_->OnDownClick = [this](TObject* s) { DownClick(s); };
  button_->SetVisible(true);
  EditorEnabled = true;
}

TSkBaseSpinEdit::~TSkBaseSpinEdit() {
  button_ = nullptr;  // owned and freed as a component
}

bool TSkBaseSpinEdit::IsValidChar(char16_t Key) {
  const bool control = Key < 32;
  bool ok =
      Key == u'.' || Key == u'+' || Key == u'-' || (Key >= u'0' && Key <= u'9') || (control && Key != 13);
  if (!EditorEnabled) ok = control && Key != 8 && Key != 13;
  return ok;
}

void TSkBaseSpinEdit::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_UP) UpClick(this);
  if (Key == VK_DOWN) DownClick(this);
  TSkEdit::KeyDown(Key, Shift);
}

void TSkBaseSpinEdit::KeyPress(char16_t& Key) {
  if (!IsValidChar(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  if (Key != 0) TSkEdit::KeyPress(Key);
}

void TSkBaseSpinEdit::CreateParams(TCreateParams& Params) {
  TSkEdit::CreateParams(Params);
  Params.Style = (Params.Style & ~WS_BORDER) | WS_CLIPCHILDREN;
}

void TSkBaseSpinEdit::CreateWnd() {
  TSkEdit::CreateWnd();
  SetEditRect();
}

void TSkBaseSpinEdit::SetEditRect() {
  if (!HandleAllocated() || !button_) return;
  RECT r{};
  SendMessageW(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  r = RECT{0, 0, ClientWidth() - button_->Width() - 2, ClientHeight() + 1};
  SendMessageW(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
  SendMessageW(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
}

namespace {
int FontHeight(TFont* Font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return tm.tmHeight;
}
}  // namespace

int TSkBaseSpinEdit::MinHeight() {
  TFont system;
  const int sys = FontHeight(&system), own = FontHeight(Font());
  return own + std::min(sys, own) / 4 + 4 * GetSystemMetrics(SM_CYBORDER) + 2;
}

// The small buttons follow the edit's skin.
void TSkBaseSpinEdit::SkinChanged(TMessage& M) {
  button_->UpButton()->Perform(M.Msg, M.WParam, M.LParam);
  button_->DownButton()->Perform(M.Msg, M.WParam, M.LParam);
  button_->DrawDefaultGlyphs();
}

void TSkBaseSpinEdit::AfterPreparingQuery(TMessage& M) {
  M.LParam = 0;
}

void TSkBaseSpinEdit::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_PASTE:
    case WM_CUT:
      if (!EditorEnabled || ReadOnly()) return;
      break;
    default:
      break;
  }
  auto alive = AliveToken();
  TSkEdit::WndProc(M);
  if (alive.expired() || !button_) return;
  switch (M.Msg) {
    case SM_SKINCMD:
      DispatchSkinCommandAfter(M, SkinData(), *this);
      break;
    case WM_PAINT:
      if (SkinData()->Skinned()) {
        for (TSkSpeedButton* b : {static_cast<TSkSpeedButton*>(button_->UpButton()),
                                  static_cast<TSkSpeedButton*>(button_->DownButton())}) {
          SendSkinCommand(b, AC_REPAINTNOW);
          b->SkinData()->BGChanged = true;
        }
      }
      break;
    case CM_ENABLEDCHANGED:
      button_->SetEnabled(Enabled());
      break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      for (TSkSpeedButton* b : {static_cast<TSkSpeedButton*>(button_->UpButton()),
                                static_cast<TSkSpeedButton*>(button_->DownButton())}) {
        b->SkinData()->MouseAbove = false;
        SendSkinCommand(b, AC_REPAINTNOW);
        b->SkinData()->Invalidate();
      }
      break;
    case WM_SIZE:
      if (Height() < MinHeight()) {
        SetHeight(MinHeight());
      } else {
        button_->SetBounds(Width() - button_->Width() - 4, 0, button_->Width(), Height() - 4);
        SetEditRect();
      }
      break;
    default:
      break;
  }
}

// ---- the integer spin edit ----

TSkSpinEdit::TSkSpinEdit(TComponent* AOwner) : TSkBaseSpinEdit(AOwner) {
  Increment = 1;
}

int32_t TSkSpinEdit::Value() {
  std::string t = Text();
  if (t.empty()) return MinValue;
  // The library's strict conversion: leading blanks, a sign, decimal or
  // "$"/"0x" hexadecimal; anything else reads as MinValue.
  t.erase(0, t.find_first_not_of(" \t"));
  try {
    return StrToInt(t);
  } catch (const EConvertError&) {
    return MinValue;
  }
}

int32_t TSkSpinEdit::ClampValue(int64_t V) const {
  if (MinValue != MaxValue) {
    if (V < MinValue) return MinValue;
    if (V > MaxValue) return MaxValue;
    return int32_t(V);
  }
  return int32_t(
      std::clamp<int64_t>(V, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

void TSkSpinEdit::SetValue(int64_t V) {
  if (range64_) return SetValue64(V);
  SetText(std::to_string(ClampValue(V)));
}

void TSkSpinEdit::SetRange64(int64_t Min, int64_t Max) {
  range64_ = true;
  min64_ = std::min(Min, Max);
  max64_ = std::max(Min, Max);
}

bool TSkSpinEdit::TryValue64(int64_t& V) {
  const std::string t = Text();
  const std::size_t first = t.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  const std::size_t last = t.find_last_not_of(" \t");
  const char* end = t.data() + last + 1;
  int64_t v = 0;
  const auto [stop, error] = std::from_chars(t.data() + first, end, v);
  if (error != std::errc() || stop != end) return false;
  V = v;
  return true;
}

int64_t TSkSpinEdit::Value64() {
  int64_t v = 0;
  return TryValue64(v) ? v : min64_;
}

int64_t TSkSpinEdit::ClampValue64(int64_t V) const {
  return std::clamp(V, min64_, max64_);
}

void TSkSpinEdit::SetValue64(int64_t V) {
  SetText(std::to_string(ClampValue64(V)));
}

void TSkSpinEdit::Step(int64_t Delta) {
  if (range64_) {
    // Saturating: a step past the 64-bit range clamps, never wraps.
    int64_t v = Value64(), sum = 0;
    if (__builtin_add_overflow(v, Delta, &sum)) sum = Delta > 0 ? max64_ : min64_;
    return SetValue64(sum);
  }
  // In 64 bits: a step past the 32-bit range must clamp, never wrap.
  SetValue(int64_t(Value()) + Delta);
}

void TSkSpinEdit::UpClick(TObject*) {
  if (ReadOnly()) return void(MessageBeep(0));
  Step(Increment);
}

void TSkSpinEdit::DownClick(TObject*) {
  if (ReadOnly()) return void(MessageBeep(0));
  Step(-int64_t(Increment));
}

bool TSkSpinEdit::IsValidChar(char16_t Key) {
  if ((Key >= 32 && !(Key >= u'0' && Key <= u'9')) || Key == 13) return false;
  if (EditorEnabled) return true;
  return Key < 32 && Key != 8;
}

void TSkSpinEdit::WndProc(TMessage& M) {
  auto alive = AliveToken();
  if (M.Msg == WM_MOUSEWHEEL) {
    // The wheel steps the value and goes no further (no parent scrolls too).
    bool handled = false;
    const int delta = short(HIWORD(M.WParam));
    if (OnMouseWheel) OnMouseWheel(this, KeysToShiftState(LOWORD(M.WParam)), delta, M.Pos(), handled);
    if (alive.expired()) return;
    if (!handled) Step(int64_t(delta / 120) * Increment);
    M.Result = 1;
    return;
  }
  if (M.Msg == CM_MOUSEWHEEL) {
    TSkBaseSpinEdit::WndProc(M);
    if (alive.expired()) return;
    Step(int64_t(short(HIWORD(M.WParam)) / 120) * Increment);
    M.Result = 1;
    return;
  }
  TSkBaseSpinEdit::WndProc(M);
  if (alive.expired()) return;
  if (M.Msg != CM_EXIT) return;
  // A 64-bit range rewrites nothing: a number outside it is as much no value
  // of the box as any other text, and stays as typed for its reader to
  // refuse, never turned into another number the user did not give.
  if (!range64_ && ClampValue(Value()) != Value()) SetValue(Value());
}

}  // namespace qv
