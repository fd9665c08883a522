// TCustomEdit: properties kept by the control and handed to the EDIT window
// whenever it is (re)made, EN_CHANGE turned into Change/OnChange, and the
// control's colours given to the window through the reflected
// WM_CTLCOLOREDIT / WM_CTLCOLORSTATIC.
#include "classlib/stdctrls/CustomEdit.h"

#include "classlib/controls/ControlMessages.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "classlib/stdctrls/ReflectedMessages.h"
#include "classlib/stdctrls/SubClass.h"
#include "classlib/stdctrls/TextMeasure.h"
#include "platform/Utf.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/MessageQueue.h"

namespace qv {

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  ControlStyle() = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
  SetBounds(Left(), Top(), 121, 21);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  AdjustHeight();
}

void TCustomEdit::SetAutoSize(bool Value) {
  if (autoSize_ == Value) return;
  autoSize_ = Value;
  AdjustHeight();
}

// A line of the font, a quarter of it again as room around the text, and
// the border's edges (with the rest of the room, as much more on a denser
// screen as the text is).
void TCustomEdit::AdjustHeight() {
  if (!autoSize_) return;
  int line = MeasureText(Font(), "0").cy;
  int border = borderStyle_ == bsSingle ? 2 * GetSystemMetrics(SM_CYEDGE) : 0;
  SetHeight(line + line / 4 + ScaleToScreen(border + 1));
}

void TCustomEdit::FrameStyle(DWORD& Style, DWORD& ExStyle) const {
  if (borderStyle_ == bsSingle) ExStyle |= WS_EX_CLIENTEDGE;
  (void)Style;
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, u"EDIT");
  // Children (a spin bar, an edit button) are painted over the text, never under it.
  Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_CLIPCHILDREN;
  FrameStyle(Params.Style, Params.ExStyle);
  if (readOnly_) Params.Style |= ES_READONLY;
  if (!hideSelection_) Params.Style |= ES_NOHIDESEL;
  if (charCase_ == ecUpperCase) Params.Style |= ES_UPPERCASE;
  if (charCase_ == ecLowerCase) Params.Style |= ES_LOWERCASE;
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  HWND h = WindowHandle();
  SendMessageW(h, EM_LIMITTEXT, WPARAM(maxLength_), 0);
  SendMessageW(h, EM_SETPASSWORDCHAR, passwordChar_, 0);
  SendMessageW(h, EM_SETMODIFY, modifiedNoHandle_, 0);
}

void TCustomEdit::SetMaxLength(int Value) {
  maxLength_ = std::max(0, Value);
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_LIMITTEXT, WPARAM(maxLength_), 0);
}

void TCustomEdit::SetPasswordChar(char16_t Value) {
  if (passwordChar_ == Value) return;
  passwordChar_ = Value;
  if (HandleAllocated()) {
    SendMessageW(WindowHandle(), EM_SETPASSWORDCHAR, Value, 0);
    Invalidate();
  }
}

void TCustomEdit::SetReadOnly(bool Value) {
  readOnly_ = Value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_SETREADONLY, Value, 0);
}

void TCustomEdit::SetHideSelection(bool Value) {
  if (hideSelection_ == Value) return;
  hideSelection_ = Value;
  RecreateWnd();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  RecreateWnd();
  AdjustHeight();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (charCase_ == Value) return;
  charCase_ = Value;
  RecreateWnd();
  if (Value != ecNormal) {
    std::string t = Text();
    for (auto& c : t) c = Value == ecUpperCase ? char(toupper(uint8_t(c))) : char(tolower(uint8_t(c)));
    SetText(t);
  }
}

bool TCustomEdit::Modified() {
  if (!HandleAllocated()) return modifiedNoHandle_;
  return SendMessageW(WindowHandle(), EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool Value) {
  modifiedNoHandle_ = Value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_SETMODIFY, Value, 0);
}

int TCustomEdit::SelStart() {
  DWORD a = 0, b = 0;
  SendMessageW(Handle(), EM_GETSEL, WPARAM(&a), LPARAM(&b));
  return int(a);
}

void TCustomEdit::SetSelStart(int Value) {
  SendMessageW(Handle(), EM_SETSEL, WPARAM(Value), LPARAM(Value));
}

int TCustomEdit::SelLength() {
  DWORD a = 0, b = 0;
  SendMessageW(Handle(), EM_GETSEL, WPARAM(&a), LPARAM(&b));
  return int(b - a);
}

void TCustomEdit::SetSelLength(int Value) {
  int start = SelStart();
  SendMessageW(Handle(), EM_SETSEL, WPARAM(start), LPARAM(start + Value));
}

std::string TCustomEdit::SelText() {
  DWORD a = 0, b = 0;
  SendMessageW(Handle(), EM_GETSEL, WPARAM(&a), LPARAM(&b));
  std::u16string all = Utf8ToUtf16(Text());
  if (a > all.size()) return {};
  return Utf16ToUtf8(std::u16string_view(all).substr(a, b - a));
}

void TCustomEdit::SetSelText(const std::string& Value) {
  std::u16string wide = Utf8ToUtf16(Value);
  SendMessageW(Handle(), EM_REPLACESEL, TRUE, LPARAM(wide.c_str()));
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_SETSEL, 0, -1);
}

void TCustomEdit::SelectAllForUser() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_USERSELECTALL, 0, 0);
}

void TCustomEdit::ClearSelection() {
  SendMessageW(Handle(), WM_CLEAR, 0, 0);
}

void TCustomEdit::CopyToClipboard() {
  SendMessageW(Handle(), WM_COPY, 0, 0);
}

void TCustomEdit::CutToClipboard() {
  SendMessageW(Handle(), WM_CUT, 0, 0);
}

void TCustomEdit::PasteFromClipboard() {
  SendMessageW(Handle(), WM_PASTE, 0, 0);
}

void TCustomEdit::Undo() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), WM_UNDO, 0, 0);
}

void TCustomEdit::ClearUndo() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_EMPTYUNDOBUFFER, 0, 0);
}

bool TCustomEdit::CanUndo() {
  return HandleAllocated() && SendMessageW(WindowHandle(), EM_CANUNDO, 0, 0) != 0;
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_COMMAND:
      if (M.WParamHi() == EN_CHANGE && !ControlState().Contains(csCreating)) Change();
      return;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
      return AnswerControlColours(this, M);
    case CM_ENTER:
      if (AutoSelect && !ControlState().Contains(csLButtonDown)) SelectAll();
      TWinControl::Dispatch(M);
      return;
    case WM_DESTROY:
      modifiedNoHandle_ = Modified();
      break;
    case CM_FONTCHANGED:
      TWinControl::Dispatch(M);
      AdjustHeight();
      return;
  }
  TWinControl::Dispatch(M);
}

}  // namespace qv
