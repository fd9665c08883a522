// The state of one EDIT window and the operations its window procedure is
// built from: layout (formatting rectangle, measuring, scrolling), painting,
// editing with undo and notifications, and input. Internal to the library.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <string>
#include <vector>

#include "platform/controls/EditText.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"

namespace qv::edit {

struct Undo {
  bool valid = false;
  int pos = 0;             // where the change happened
  std::u16string removed;  // what it removed
  int inserted = 0;        // how many characters it put there
  bool typing = false;     // typed characters extend the same step
};

struct EditState {
  HWND hwnd = nullptr;
  EditText text;
  int anchor = 0, caret = 0;
  int limit = 0x7FFFFFFE;
  char16_t password = 0;
  bool modified = false;
  bool focused = false;
  bool selecting = false;
  bool redraw = true;  // WM_SETREDRAW: off while a caller batches changes
  HFONT font = nullptr;
  HDC measureDC = nullptr;
  int lineHeight = 13, aveChar = 6;
  int leftMargin = 1, rightMargin = 1;
  bool fmtExplicit = false;
  RECT fmt{};
  int topLine = 0, xOffset = 0;
  Undo undo;
  HMENU menu = nullptr;         // the context menu while it is open
  std::vector<int16_t> widths;  // advance per character, -1 = not measured yet
  // A paste whose text another program is still giving (its read's id, 0
  // for none), and where it goes: the selection as it is when the text
  // comes (-1), or a middle click's place, kept on the same spot of the
  // text as the text changes meanwhile.
  unsigned pasteRead = 0;
  int pasteAt = -1;

  DWORD Style() const { return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
  bool Multi() const { return Style() & ES_MULTILINE; }
  bool ReadOnly() const { return Style() & ES_READONLY; }
  int SelStart() const { return std::min(anchor, caret); }
  int SelEnd() const { return std::max(anchor, caret); }
  bool Wraps() const { return Multi() && !(Style() & (ES_AUTOHSCROLL | WS_HSCROLL)); }
};

EditState* Get(HWND hwnd);

// Layout (EditLayout.cpp)
void SetFont(EditState& s, HFONT font);
void UpdateFormatRect(EditState& s);
void Relayout(EditState& s);  // wrap width changed: lay out the lines again
int CharWidth(EditState& s, char16_t c);
// Display form of a line (password characters), and widths within it.
std::u16string LineText(EditState& s, int line);
int XOfPos(EditState& s, int pos);             // formatting-rectangle x, unscrolled
int LineOffset(EditState& s, int line);        // alignment shift of a line
int PosInLine(EditState& s, int line, int x);  // the caret position nearest x in a line
int PosFromPoint(EditState& s, POINT client);
POINT PointOfPos(EditState& s, int pos);  // client coordinates
int VisibleLines(EditState& s);
void ScrollTo(EditState& s, int topLine, int xOffset);
void ScrollCaretIntoView(EditState& s);
void UpdateScrollBars(EditState& s);
void PlaceCaret(EditState& s);

// Painting (EditPaint.cpp)
void Paint(EditState& s, HDC dc);

// Editing (EditEditing.cpp)
void SetText(EditState& s, std::u16string_view text);
// Replaces the selection; false when nothing could be inserted.
bool ReplaceSelection(EditState& s, std::u16string_view with, bool canUndo, bool typing = false);
void SetSelection(EditState& s, int anchor, int caret, bool scroll = true);
bool DoUndo(EditState& s);
void Notify(EditState& s, WORD code);
void CutCopy(EditState& s, bool cut);
// Ctrl+V and the menus' Paste: the clipboard's text replaces the selection,
// as it is when the text comes (at once, unless another program gives it).
void Paste(EditState& s);
// The text of a paste under way came (WM_PASTETEXT): in it goes, as one
// step to undo.
void PasteArrived(EditState& s, WPARAM id);
void Clear(EditState& s);

// Input (EditInput.cpp)
void KeyDown(EditState& s, UINT vk);
void Char(EditState& s, char16_t ch);
void MouseDown(EditState& s, POINT p, bool shift, bool dbl);
void MouseMove(EditState& s, POINT p);
void MouseUp(EditState& s);
void VScroll(EditState& s, int code, int thumb);
void HScroll(EditState& s, int code, int thumb);

// The primary selection (EditPrimary.cpp). A selection the user made, by
// mouse or keys, becomes the desktop's primary selection (never a password's);
// a middle click inserts that selection's text where it clicks.
// While another program gives the text, the caret waits at the click, and
// the text goes in there when it comes: before text typed at that place
// meanwhile (as if it had come at once), after text typed before it.
void OfferPrimary(EditState& s);
// The user's Select All (Ctrl+A, a menu's command): offered as the user's selection.
void SelectAllForUser(EditState& s);
void PastePrimary(EditState& s, POINT client);

// The standard context menu at a screen point (-1: from the keyboard) (EditContextMenu.cpp)
void ContextMenu(EditState& s, LPARAM screen);
// Another program said what its clipboard offers: an open menu's Paste follows.
void ClipboardUpdated(EditState& s);

}  // namespace qv::edit
