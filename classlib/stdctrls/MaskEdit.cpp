// TCustomMaskEdit: keys and clipboard commands applied to the mask before
// the EDIT window sees them, Text and EditText, and validation on exit.
#include "classlib/stdctrls/MaskEdit.h"

#include <optional>

#include "classlib/controls/ControlMessages.h"
#include "platform/Utf.h"
#include "platform/controls/SystemControls.h"
#include "platform/ole/PasteText.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"

namespace qv {

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

std::u16string TCustomMaskEdit::Shown() {
  TMessage m{WM_GETTEXTLENGTH, 0, 0, 0};
  TCustomEdit::Dispatch(m);
  std::u16string s(size_t(m.Result) + 1, u'\0');
  TMessage get{WM_GETTEXT, s.size(), LPARAM(s.data()), 0};
  TCustomEdit::Dispatch(get);
  s.resize(size_t(get.Result));
  return s;
}

void TCustomMaskEdit::Show(const std::u16string& text) {
  TMessage m{WM_SETTEXT, 0, LPARAM(text.c_str()), 0};
  TCustomEdit::Dispatch(m);
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TCustomMaskEdit::SetEditMask(const std::string& Value) {
  std::u16string value = IsMasked() ? mask_.Value(Shown()) : Shown();
  editMask_ = Value;
  mask_ = TEditMask(Utf8ToUtf16(Value));
  if (IsMasked()) {
    SetMaxLength(mask_.Length());
    Show(mask_.Format(value));
  } else {
    SetMaxLength(0);
    Show(value);
  }
}

std::string TCustomMaskEdit::EditText() {
  return Utf16ToUtf8(Shown());
}

void TCustomMaskEdit::SetEditText(const std::string& Value) {
  std::u16string v = Utf8ToUtf16(Value);
  Show(IsMasked() ? mask_.Format(mask_.SaveLiterals() ? v : mask_.Value(v)) : v);
}

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked()) return;
  int gap = mask_.FirstMissing(Shown());
  if (gap < 0) return;
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_SETSEL, WPARAM(gap), LPARAM(gap));
  throw EDBEditError("Invalid input value. Use escape key to abandon changes");
}

void TCustomMaskEdit::Selection(int& from, int& to) {
  DWORD a = 0, b = 0;
  SendMessageW(Handle(), EM_GETSEL, WPARAM(&a), LPARAM(&b));
  from = int(a), to = int(b);
}

void TCustomMaskEdit::BlankRange(int from, int to) {
  std::u16string shown = Shown();
  to = std::min(to, int(shown.size()));
  if (from >= to) return;
  std::u16string part = shown.substr(size_t(from), size_t(to - from));
  for (int i = from; i < to; ++i)
    if (mask_.IsEditable(i)) part[size_t(i - from)] = mask_.Blank();
  HWND h = Handle();
  SendMessageW(h, EM_SETSEL, WPARAM(from), LPARAM(to));
  SendMessageW(h, EM_REPLACESEL, TRUE, LPARAM(part.c_str()));
  SendMessageW(h, EM_SETSEL, WPARAM(from), LPARAM(from));
}

void TCustomMaskEdit::TypeChar(char16_t c) {
  int from, to;
  Selection(from, to);
  if (to > from) BlankRange(from, to);
  int pos = from;
  // Typing the literal that stands at the caret steps over it.
  if (pos < mask_.Length() && !mask_.IsEditable(pos) && mask_.At(pos).literal == c) {
    SendMessageW(Handle(), EM_SETSEL, WPARAM(pos + 1), LPARAM(pos + 1));
    return;
  }
  int at = mask_.NextEditable(pos, 1);
  char16_t stored = at >= 0 ? mask_.Accept(at, c) : 0;
  if (!stored) {
    MessageBeep(0);
    return;
  }
  HWND h = Handle();
  std::u16string one(1, stored);
  SendMessageW(h, EM_SETSEL, WPARAM(at), LPARAM(at + 1));
  SendMessageW(h, EM_REPLACESEL, TRUE, LPARAM(one.c_str()));
  int next = mask_.NextEditable(at + 1, 1);
  if (next < 0) next = at + 1;
  SendMessageW(h, EM_SETSEL, WPARAM(next), LPARAM(next));
}

void TCustomMaskEdit::PasteText(const std::u16string& text) {
  if (ReadOnly()) return;
  for (char16_t c : text)
    if (c >= 0x20) TypeChar(c);
}

void TCustomMaskEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (!IsMasked()) return;
  if ((Key == VK_LEFT || Key == VK_RIGHT) && Shift.Empty()) {
    // The caret steps from one editable position to the next, over literals.
    int from, to;
    Selection(from, to);
    int pos = Key == VK_LEFT ? mask_.NextEditable(from - 1, -1) : mask_.NextEditable(to + 1, 1);
    if (pos < 0) pos = Key == VK_LEFT ? from : mask_.Length();
    SendMessageW(Handle(), EM_SETSEL, WPARAM(pos), LPARAM(pos));
    Key = 0;
    return;
  }
  if (Key != VK_DELETE || ReadOnly()) return;
  int from, to;
  Selection(from, to);
  if (Shift.Contains(ssShift) && to > from) CopyToClipboard();
  if (to == from) to = from + 1;
  BlankRange(from, to);
  Key = 0;
}

void TCustomMaskEdit::KeyPress(char16_t& Key) {
  TCustomEdit::KeyPress(Key);
  if (!IsMasked() || Key == 0) return;
  if (Key == 0x1B) {  // Esc abandons the changes made since entering
    if (!entered_.empty() && Shown() != entered_) {
      Show(entered_);
      SelectAll();
      Key = 0;
    }
    return;
  }
  if (Key == 0x03 || Key == 0x16 || Key == 0x18) return;  // the clipboard messages below handle these
  if (Key == 0x1A) {                                      // undo would not know the mask
    Key = 0;
    return;
  }
  if (ReadOnly()) return;
  if (Key == 0x08) {
    int from, to;
    Selection(from, to);
    if (to == from) {
      from = mask_.NextEditable(from - 1, -1);
      to = from + 1;
    }
    if (from >= 0) BlankRange(from, to);
    Key = 0;
    return;
  }
  if (Key >= 0x20) TypeChar(Key);
  Key = 0;
}

void TCustomMaskEdit::Dispatch(TMessage& M) {
  // The text of a paste of ours came; the edit's own (a middle click's) goes on to it.
  if (M.Msg == WM_PASTETEXT && pasteRead_ && M.WParam == pasteRead_) {
    pasteRead_ = 0;
    std::optional<std::u16string> text = EndPasteText(WindowHandle(), M.WParam);
    if (!text) return;
    if (IsMasked())
      PasteText(*text);
    else
      SendMessageW(WindowHandle(), EM_REPLACESEL, TRUE, LPARAM(text->c_str()));
    return;
  }
  if (IsMasked()) {
    switch (M.Msg) {
      case WM_GETTEXT: {
        std::u16string v = mask_.Value(Shown());
        auto* out = reinterpret_cast<char16_t*>(M.LParam);
        if (!out || M.WParam == 0) return void(M.Result = 0);
        size_t n = std::min(v.size(), size_t(M.WParam) - 1);
        std::copy_n(v.data(), n, out);
        out[n] = 0;
        M.Result = LRESULT(n);
        return;
      }
      case WM_GETTEXTLENGTH:
        M.Result = LRESULT(mask_.Value(Shown()).size());
        return;
      case WM_SETTEXT: {
        std::u16string v = M.LParam ? reinterpret_cast<const char16_t*>(M.LParam) : u"";
        std::u16string shown = mask_.Format(v);
        TMessage set{WM_SETTEXT, 0, LPARAM(shown.c_str()), 0};
        TCustomEdit::Dispatch(set);
        M.Result = set.Result;
        return;
      }
      case WM_PASTE: {
        // The text is typed through the mask when it comes: at once, unless
        // another program gives it. Reading our own may run our timers: the
        // control may be gone after it.
        HWND window = WindowHandle();
        std::u16string text;
        unsigned read = BeginPasteText(PasteSource::Clipboard, window, text);
        if (!IsWindow(window)) return;
        pasteRead_ = read;
        if (!read) PasteText(text);
        return;
      }
      case WM_CUT:
      case WM_CLEAR: {
        if (M.Msg == WM_CUT) CopyToClipboard();
        int from, to;
        Selection(from, to);
        if (!ReadOnly()) BlankRange(from, to);
        return;
      }
      case WM_UNDO:
      case EM_UNDO:
        return;
      case CM_ENTER:
        entered_ = Shown();
        break;
      case CM_EXIT:
        TCustomEdit::Dispatch(M);
        if (!ComponentState().Contains(csDestroying)) {
          try {
            ValidateEdit();
          } catch (...) {
            if (CanFocus()) SetFocus();
            throw;
          }
        }
        return;
    }
  }
  TCustomEdit::Dispatch(M);
}

}  // namespace qv
