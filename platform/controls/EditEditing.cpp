// Edit control editing: replacing the selection with limits, case and line
// filters, the one-step undo (typing extends a step; undoing an undo redoes),
// the clipboard commands and the EN_UPDATE / EN_CHANGE notifications.
#include <algorithm>
#include <optional>
#include <utility>

#include "platform/controls/EditControl.h"
#include "platform/ole/Clipboard.h"
#include "platform/ole/PasteText.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::edit {
namespace {

std::u16string Filter(EditState& s, std::u16string_view in) {
  std::u16string out(in);
  if (!s.Multi()) {
    // A single line takes the first line of what it is given.
    auto br = out.find_first_of(u"\r\n");
    if (br != std::u16string::npos) out.resize(br);
  }
  DWORD style = s.Style();
  for (auto& c : out) {
    if ((style & ES_UPPERCASE) && c >= u'a' && c <= u'z') c = char16_t(c - 32);
    if ((style & ES_LOWERCASE) && c >= u'A' && c <= u'Z') c = char16_t(c + 32);
  }
  return out;
}

// A middle click's paste under way keeps its place in the text as `removed`
// characters at `pos` become `inserted` ones: text put at that place goes
// after it.
void Track(EditState& s, int pos, int removed, int inserted) {
  int& at = s.pasteAt;
  if (at <= pos) return;
  at = at >= pos + removed ? at + inserted - removed : pos;
}

void Changed(EditState& s) {
  s.modified = true;
  UpdateScrollBars(s);
  ScrollCaretIntoView(s);
  InvalidateRect(s.hwnd, nullptr, TRUE);
  PlaceCaret(s);
  HWND h = s.hwnd;  // a handler may destroy the window
  Notify(s, EN_UPDATE);
  if (IsWindow(h)) Notify(s, EN_CHANGE);
}

}  // namespace

void Notify(EditState& s, WORD code) {
  HWND parent = (s.Style() & WS_CHILD) ? GetParent(s.hwnd) : nullptr;
  if (!parent) return;
  auto id = GetWindowLongPtrW(s.hwnd, GWLP_ID);
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(int(id), code), LPARAM(s.hwnd));
}

void SetText(EditState& s, std::u16string_view text) {
  Track(s, 0, s.text.Length(), int(text.size()));
  s.text.Assign(std::u16string(text));
  s.anchor = s.caret = 0;
  s.topLine = s.xOffset = 0;
  s.undo = Undo{};
  s.modified = false;
  UpdateScrollBars(s);
  InvalidateRect(s.hwnd, nullptr, TRUE);
  PlaceCaret(s);
  HWND h = s.hwnd;  // a handler may destroy the window
  Notify(s, EN_UPDATE);
  if (IsWindow(h)) Notify(s, EN_CHANGE);
}

bool ReplaceSelection(EditState& s, std::u16string_view with, bool canUndo, bool typing) {
  std::u16string insert = Filter(s, with);
  int pos = s.SelStart(), length = s.SelEnd() - pos;
  int room = std::max(0, s.limit - (s.text.Length() - length));
  if (int(insert.size()) > room) {
    insert.resize(size_t(room));
    HWND h = s.hwnd;
    Notify(s, EN_MAXTEXT);
    if (!IsWindow(h)) return false;
  }
  if (insert.empty() && !length) return false;
  if (canUndo) {
    Undo& u = s.undo;
    if (typing && u.valid && u.typing && !length && pos == u.pos + u.inserted) {
      u.inserted += int(insert.size());
    } else {
      u = Undo{true, pos, s.text.Str().substr(size_t(pos), size_t(length)), int(insert.size()), typing};
    }
  } else {
    s.undo = Undo{};
  }
  s.text.Replace(pos, length, insert);
  Track(s, pos, length, int(insert.size()));
  s.anchor = s.caret = pos + int(insert.size());
  Changed(s);
  return true;
}

void SetSelection(EditState& s, int anchor, int caret, bool scroll) {
  int n = s.text.Length();
  anchor = std::clamp(anchor, 0, n);
  caret = std::clamp(caret, 0, n);
  if (anchor == s.anchor && caret == s.caret) {
    if (scroll) ScrollCaretIntoView(s);
    return;
  }
  s.anchor = anchor, s.caret = caret;
  InvalidateRect(s.hwnd, nullptr, FALSE);
  if (scroll) ScrollCaretIntoView(s);
  PlaceCaret(s);
}

bool DoUndo(EditState& s) {
  if (!s.undo.valid) return false;
  Undo u = s.undo;
  int at = std::min(u.pos, s.text.Length());
  int count = std::min(u.inserted, s.text.Length() - at);
  std::u16string now = s.text.Str().substr(size_t(at), size_t(count));
  s.text.Replace(at, count, u.removed);
  Track(s, at, count, int(u.removed.size()));
  s.undo = Undo{true, at, now, int(u.removed.size()), false};
  s.anchor = at;
  s.caret = at + int(u.removed.size());
  Changed(s);
  return true;
}

void CutCopy(EditState& s, bool cut) {
  if (s.SelEnd() == s.SelStart()) return;
  if (s.password && !s.Multi()) return;  // a hidden text never leaves the control
  SetClipboardTextW(s.text.Str().substr(size_t(s.SelStart()), size_t(s.SelEnd() - s.SelStart())));
  if (cut && !s.ReadOnly()) ReplaceSelection(s, u"", true);
}

void Paste(EditState& s) {
  if (s.ReadOnly()) return;
  HWND hwnd = s.hwnd;
  std::u16string text;
  unsigned read = BeginPasteText(PasteSource::Clipboard, hwnd, text);
  // Reading our own clipboard may render a copy, which runs our timers: the edit may be gone.
  if (!IsWindow(hwnd)) return;
  s.pasteRead = read;
  s.pasteAt = -1;
  if (!read && !text.empty()) ReplaceSelection(s, text, true);
}

void PasteArrived(EditState& s, WPARAM id) {
  if (!s.pasteRead || id != s.pasteRead) return;  // given up for a newer paste
  s.pasteRead = 0;
  const int at = std::exchange(s.pasteAt, -1);
  std::optional<std::u16string> text = EndPasteText(s.hwnd, id);
  if (!text || text->empty() || s.ReadOnly()) return;
  if (at < 0) {
    ReplaceSelection(s, *text, true);
    return;
  }
  // In at the click's place, the selection kept on the text it was on.
  const int anchor = s.anchor, caret = s.caret;
  const int before = s.text.Length();
  s.anchor = s.caret = std::min(at, before);
  HWND h = s.hwnd;
  if (!ReplaceSelection(s, *text, true)) {
    if (IsWindow(h)) s.anchor = anchor, s.caret = caret;  // else its state is gone with it
    return;
  }
  if (!IsWindow(h)) return;
  const int added = s.text.Length() - before;
  auto moved = [&](int pos) { return pos >= at ? pos + added : pos; };
  SetSelection(s, moved(anchor), moved(caret));
}

void Clear(EditState& s) {
  if (s.ReadOnly() || s.SelEnd() == s.SelStart()) return;
  ReplaceSelection(s, u"", true);
}

}  // namespace qv::edit
