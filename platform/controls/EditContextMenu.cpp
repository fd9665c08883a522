// The edit's standard context menu: Undo, Cut, Copy, Paste, Delete and
// Select All, each enabled only when it would do something, shown with the
// platform's popup menu and carried out by the edit's own messages. The menu
// shows at once: while another program has not said whether its clipboard
// holds text, Paste stays grey, and is enabled when it says so.
#include "platform/controls/EditControl.h"
#include "platform/menus/Menus.h"
#include "platform/ole/Clipboard.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"

namespace qv::edit {
namespace {

// The commands are the messages they send, as the platform's edit numbers
// them; Select All is the user's, so it becomes the primary selection.
constexpr UINT kSelectAll = EM_USERSELECTALL;

void AddItem(HMENU menu, UINT id, const char16_t* text, bool enabled) {
  AppendMenuW(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id, text);
}

// Where a menu asked for from the keyboard appears: at the caret, or the
// middle of the edit when the caret is out of sight.
POINT KeyboardPoint(EditState& s) {
  RECT r;
  GetClientRect(s.hwnd, &r);
  POINT p = PointOfPos(s, s.caret);
  if (!PtInRect(&r, p)) p = POINT{r.right / 2, r.bottom / 2};
  p.y += s.lineHeight;
  ClientToScreen(s.hwnd, &p);
  return p;
}

}  // namespace

void ContextMenu(EditState& s, LPARAM screen) {
  HWND self = s.hwnd;
  if (GetFocus() != self) SetFocus(self);
  if (!IsWindow(self)) return;
  POINT at{GET_X_LPARAM(screen), GET_Y_LPARAM(screen)};
  if (screen == LPARAM(-1)) at = KeyboardPoint(s);
  bool selection = s.SelStart() != s.SelEnd();
  bool writable = !s.ReadOnly();
  bool secret = s.password != 0;  // a password is never handed to the clipboard
  HMENU menu = CreatePopupMenu();
  AddItem(menu, WM_UNDO, u"&Undo", writable && s.undo.valid);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AddItem(menu, WM_CUT, u"Cu&t", writable && selection && !secret);
  AddItem(menu, WM_COPY, u"&Copy", selection && !secret);
  AddItem(menu, WM_PASTE, u"&Paste", writable && ClipboardHasText(self) == ClipboardText::Yes);
  AddItem(menu, WM_CLEAR, u"&Delete", writable && selection);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AddItem(menu, kSelectAll, u"Select &All",
          s.text.Length() > 0 && (s.SelStart() > 0 || s.SelEnd() < s.text.Length()));
  s.menu = menu;
  UINT command = UINT(
      TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, self, nullptr));
  DestroyMenu(menu);
  if (!IsWindow(self)) return;
  s.menu = nullptr;
  if (command) SendMessageW(self, command, 0, 0);
}

void ClipboardUpdated(EditState& s) {
  if (!s.menu || s.ReadOnly()) return;
  bool text = ClipboardHasText(s.hwnd) == ClipboardText::Yes;
  EnableMenuItem(s.menu, WM_PASTE, MF_BYCOMMAND | (text ? MF_ENABLED : MF_GRAYED));
}

}  // namespace qv::edit
