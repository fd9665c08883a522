// TCustomMemo and its lines: the lines are the window's own, read with
// EM_GETLINE and changed by selecting a range and replacing it, so a large
// text is never copied line by line.
#include "classlib/stdctrls/Memo.h"

#include "classlib/controls/ControlMessages.h"
#include "platform/Utf.h"
#include "platform/controls/SystemControls.h"
#include "platform/window/MessageQueue.h"

namespace qv {

namespace {

LRESULT Send(TCustomMemo* m, UINT msg, WPARAM w = 0, LPARAM l = 0) {
  return SendMessageW(m->Handle(), msg, w, l);
}

void Replace(TCustomMemo* m, int from, int to, const std::u16string& with) {
  Send(m, EM_SETSEL, WPARAM(from), LPARAM(to));
  Send(m, EM_REPLACESEL, 0, LPARAM(with.c_str()));
}

}  // namespace

// The window's last line counts only when it holds text: "a\r\n" is one line.
int TMemoStrings::Count() const {
  int n = int(Send(memo_, EM_GETLINECOUNT));
  if (n > 0 && Send(memo_, EM_LINELENGTH, WPARAM(Send(memo_, EM_LINEINDEX, WPARAM(n - 1)))) == 0) --n;
  return n;
}

std::string TMemoStrings::Strings(int Index) const {
  int start = int(Send(memo_, EM_LINEINDEX, WPARAM(Index)));
  if (Index < 0 || start < 0) return {};
  int length = int(Send(memo_, EM_LINELENGTH, WPARAM(start)));
  std::u16string buffer(size_t(std::max(length, 1)), u'\0');
  buffer[0] = char16_t(std::min(length, 0xFFFF));
  if (length > 0xFFFF) {  // longer than the line request can say: read the window's text
    std::u16string all = Utf8ToUtf16(memo_->Text());
    return Utf16ToUtf8(std::u16string_view(all).substr(size_t(start), size_t(length)));
  }
  int got = int(Send(memo_, EM_GETLINE, WPARAM(Index), LPARAM(buffer.data())));
  buffer.resize(size_t(std::max(0, got)));
  return Utf16ToUtf8(buffer);
}

void TMemoStrings::SetStrings(int Index, const std::string& S) {
  int start = int(Send(memo_, EM_LINEINDEX, WPARAM(Index)));
  if (start < 0) return;
  int length = int(Send(memo_, EM_LINELENGTH, WPARAM(start)));
  Replace(memo_, start, start + length, Utf8ToUtf16(S));
}

void TMemoStrings::Insert(int Index, const std::string& S) {
  if (Index < 0) return;
  std::u16string line = Utf8ToUtf16(S);
  int start = int(Send(memo_, EM_LINEINDEX, WPARAM(Index)));
  if (start >= 0) {
    Replace(memo_, start, start, line + u"\r\n");
    return;
  }
  // After the last line: a line break first unless the text already ends with one.
  int end = int(Send(memo_, WM_GETTEXTLENGTH));
  int last = int(Send(memo_, EM_LINEINDEX, WPARAM(Send(memo_, EM_GETLINECOUNT) - 1)));
  bool open = end > 0 && Send(memo_, EM_LINELENGTH, WPARAM(last)) > 0;
  Replace(memo_, end, end, (open ? u"\r\n" : u"") + line + u"\r\n");
}

void TMemoStrings::Delete(int Index) {
  int start = int(Send(memo_, EM_LINEINDEX, WPARAM(Index)));
  if (start < 0) return;
  int next = int(Send(memo_, EM_LINEINDEX, WPARAM(Index + 1)));
  if (next < 0) next = int(Send(memo_, WM_GETTEXTLENGTH));
  Replace(memo_, start, next, u"");
}

void TMemoStrings::Clear() {
  memo_->SetText("");
}

void TMemoStrings::SetText(const std::string& Value) {
  memo_->SetText(Value);
}

void TMemoStrings::SetUpdateState(bool Updating) {
  if (!memo_->HandleAllocated()) return;
  SendMessageW(memo_->WindowHandle(), WM_SETREDRAW, !Updating, 0);
  if (!Updating) memo_->Invalidate();
}

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner), lines_(new TMemoStrings(this)) {
  SetAutoSize(false);
  SetBounds(Left(), Top(), 185, 89);
  AutoSelect = false;
  ControlStyle().Exclude(csFixedHeight);
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style &= ~DWORD(ES_AUTOHSCROLL);
  Params.Style |= ES_MULTILINE;
  if (WantReturns) Params.Style |= ES_WANTRETURN;
  if (!wordWrap_ || scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) Params.Style |= ES_AUTOHSCROLL;
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) Params.Style |= WS_VSCROLL;
  if ((scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) && !wordWrap_) Params.Style |= WS_HSCROLL;
  if (alignment_ == taRightJustify) Params.Style |= ES_RIGHT;
  if (alignment_ == taCenter) Params.Style |= ES_CENTER;
}

void TCustomMemo::SetWordWrap(bool Value) {
  if (wordWrap_ == Value) return;
  wordWrap_ = Value;
  RecreateWnd();
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (scrollBars_ == Value) return;
  scrollBars_ = Value;
  RecreateWnd();
}

void TCustomMemo::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  RecreateWnd();
}

POINT TCustomMemo::CaretPos() {
  DWORD a = 0, b = 0;
  Send(this, EM_GETSEL, WPARAM(&a), LPARAM(&b));
  int line = int(Send(this, EM_LINEFROMCHAR, b));
  return POINT{int(b) - int(Send(this, EM_LINEINDEX, WPARAM(line))), line};
}

void TCustomMemo::SetCaretPos(POINT Value) {
  int pos = int(Send(this, EM_LINEINDEX, WPARAM(Value.y))) + Value.x;
  Send(this, EM_SETSEL, WPARAM(pos), LPARAM(pos));
}

void TCustomMemo::Dispatch(TMessage& M) {
  if (M.Msg == WM_GETDLGCODE) {
    TCustomEdit::Dispatch(M);
    if (WantTabs)
      M.Result |= DLGC_WANTTAB;
    else
      M.Result &= ~DLGC_WANTTAB;
    if (!WantReturns) M.Result &= ~DLGC_WANTALLKEYS;
    return;
  }
  if (M.Msg == WM_CHAR && M.WParam == u'\t' && !WantTabs) return;
  TCustomEdit::Dispatch(M);
}

}  // namespace qv
