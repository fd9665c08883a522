// The edit's part in the desktop's primary selection. The text offered is
// the selection as it was when the user made it, kept apart from the edit:
// it stays what the user saw selected, and stays to be pasted, after the
// edit's text changes, its selection is typed over or the edit is gone, as
// other programs keep theirs. Making it costs one copy per selection made
// (a drag ends with the button's release), not one per request. Another
// program's selection is read without holding the windows (PasteText.h).
#include "platform/controls/EditControl.h"
#include "platform/ole/PasteText.h"
#include "platform/ole/PrimarySelection.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"

namespace qv::edit {

void OfferPrimary(EditState& s) {
  if (s.password || s.SelStart() == s.SelEnd()) return;  // a hidden text never leaves the control
  SetPrimarySelectionText(s.text.Str().substr(size_t(s.SelStart()), size_t(s.SelEnd() - s.SelStart())));
}

void SelectAllForUser(EditState& s) {
  SetSelection(s, 0, s.text.Length());
  OfferPrimary(s);
}

void PastePrimary(EditState& s, POINT client) {
  HWND h = s.hwnd;
  if (s.ReadOnly() || !IsWindowEnabled(h)) return;
  if (GetFocus() != h) SetFocus(h);
  if (!IsWindow(h) || GetFocus() != h) return;
  std::u16string text;
  const unsigned read = BeginPasteText(PasteSource::Primary, h, text);
  // A read of our own selection may run our timers: the edit may be gone,
  // or its text changed, so the click's place is found only now.
  if (!IsWindow(h)) return;
  const int at = PosFromPoint(s, client);
  s.pasteRead = read;
  if (read) {
    // Another program gives it: the caret waits at the click meanwhile.
    s.pasteAt = at;
    SetSelection(s, at, at);
    return;
  }
  s.pasteAt = -1;
  if (text.empty()) return;
  SetSelection(s, at, at);
  ReplaceSelection(s, text, true);  // one step to undo, as a paste
}

}  // namespace qv::edit
