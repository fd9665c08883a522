// The list box's state and the operations its message handler, painter and
// input handling share. Internal to the system controls.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/controls/ItemList.h"
#include "platform/controls/ListBox.h"

namespace qv::lb {

// An item's text. Items are plain data, so that the items a sorted
// insertion shifts along their chunk move as one block of memory rather than
// one string at a time; the list box frees a text when its item goes
// (ListBox::FreeText). Kept null-terminated for drawing.
struct ItemText {
  char16_t* chars = nullptr;
  std::size_t length = 0;

  static ItemText Copy(std::u16string_view s) {
    ItemText t;
    if (s.empty()) return t;
    t.chars = new char16_t[s.size() + 1];
    s.copy(t.chars, s.size());
    t.chars[s.size()] = 0;
    t.length = s.size();
    return t;
  }
  const char16_t* c_str() const { return chars ? chars : u""; }
  std::size_t size() const { return length; }
  const char16_t* begin() const { return c_str(); }
  const char16_t* end() const { return c_str() + length; }
  operator std::u16string_view() const { return {c_str(), length}; }
};

struct Item {
  ItemText text;
  ULONG_PTR data = 0;
  int height = 0;  // owner-drawn items of variable height
  bool selected = false;
};
static_assert(std::is_trivially_copyable_v<Item>);

struct ListBox {
  HWND hwnd = nullptr;
  HWND notify = nullptr;  // the parent, or the combo box the list belongs to
  DWORD style = 0;
  UINT id = 0;
  ItemList<Item> items;
  int top = 0;       // first visible item
  int caret = 0;     // the focus item
  int anchor = -1;   // where an extended range starts
  int current = -1;  // the selected item of a single-selection list
  int itemHeight = 13;
  int horzExtent = 0, horzPos = 0;
  HFONT font = nullptr;
  bool focused = false;
  bool redraw = true;
  bool tracking = false;    // the mouse is selecting with the button down
  bool trackSelect = true;  // extended drag: the state being spread
  std::u16string search;    // typed prefix of the keyboard search
  DWORD searchTime = 0;
  struct BarState {
    bool set = false;
    int max = 0, page = 0, pos = 0;
  } bars[2];  // the values last given to the scroll bars
  // Set while a run of adds finds the whole client area, or a scroll bar's
  // frame, already invalid: invalidating it again for every added item
  // would change nothing. Any other message (a paint among them) clears them.
  bool clientInvalid = false;
  bool barFrameInvalid[2] = {false, false};
  // The drop-down list of a combo box.
  bool inCombo = false;
  bool comboPressed = false;  // the button went down inside the list
  bool comboIgnoreUp = true;  // the first release after dropping is the opening click's
  bool scrolling = false;     // its scroll bar is being dragged (the capture moves there)

  ListBox() = default;
  ListBox(const ListBox&) = delete;
  ListBox& operator=(const ListBox&) = delete;
  ~ListBox() { FreeTexts(); }
  static void FreeText(Item& item) {
    delete[] item.text.chars;
    item.text = ItemText();
  }
  void FreeTexts() {
    for (std::size_t i = 0; i < items.size(); ++i) FreeText(items[i]);
  }

  int Count() const { return int(items.size()); }
  bool Multi() const { return style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL); }
  bool Extended() const { return style & LBS_EXTENDEDSEL; }
  bool Variable() const { return style & LBS_OWNERDRAWVARIABLE; }
  bool OwnerDraw() const { return style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE); }
  bool HasStrings() const { return !OwnerDraw() || (style & LBS_HASSTRINGS); }
  bool Valid(int i) const { return i >= 0 && i < Count(); }
};

ListBox* Data(HWND hwnd);

// CompareText from the first difference at i that is not plain ASCII on both sides.
int CompareTextFrom(std::u16string_view a, std::u16string_view b, std::size_t i);

// The first index from i on where a and b differ, n when none does before
// it. Sorted lists compare a new text with many that share a long start
// with it: equal characters are skipped four at a time.
inline std::size_t Mismatch(std::u16string_view a, std::u16string_view b, std::size_t i, std::size_t n) {
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 4 <= n; i += 4) {
      std::uint64_t x, y;
      std::memcpy(&x, a.data() + i, sizeof x);
      std::memcpy(&y, b.data() + i, sizeof y);
      if (x != y) return i + std::size_t(std::countr_zero(x ^ y)) / 16;
    }
  }
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// Text order of sorted lists and searches: simple case folding, then code
// points. Inline: a sorted insertion compares some twenty times. Plain ASCII
// differences are folded here; any other hands over to CompareTextFrom.
inline int CompareText(std::u16string_view a, std::u16string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = Mismatch(a, b, 0, n); i < n; i = Mismatch(a, b, i + 1, n)) {
    char16_t x = a[i], y = b[i];
    if (x >= 0x80 || y >= 0x80) return CompareTextFrom(a, b, i);
    if (x >= 'A' && x <= 'Z') x = char16_t(x + 32);
    if (y >= 'A' && y <= 'Z') y = char16_t(y + 32);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}
bool StartsWithText(std::u16string_view text, std::u16string_view prefix);

// Notifications to the owner (selection and double-click only with LBS_NOTIFY).
void Notify(ListBox& lb, WORD code);

// Geometry
int ItemHeightOf(ListBox& lb, int index);
RECT ClientRectOf(const ListBox& lb);
// The item rectangle in client coordinates (may lie outside the client area).
RECT ItemRect(ListBox& lb, int index);
// The item at a client y, clamped to the items; -1 without items.
int ItemAtY(ListBox& lb, int y, bool* outside = nullptr);
// How many whole items fit from `from` downwards (at least 1).
int PageCount(ListBox& lb, int from);
void SetTop(ListBox& lb, int top);
void EnsureVisible(ListBox& lb, int index);
void UpdateScrollBars(ListBox& lb);
void InvalidateItem(ListBox& lb, int index);
void InvalidateFrom(ListBox& lb, int index);

// Selection. These repaint what changes and never notify.
void SetCurrent(ListBox& lb, int index);            // single selection
void SetSelected(ListBox& lb, int index, bool on);  // multiple selection; -1 = every item
void SelectRange(ListBox& lb, int first, int last, bool on);
void SetCaret(ListBox& lb, int index);
// Moves the caret as a key or click does in the list's selection mode;
// true when the selection changed.
bool MoveSelection(ListBox& lb, int index, bool shift, bool control);

// Items
int FindString(ListBox& lb, int start, const std::u16string& text, bool exact);
// The next item after start that what the user typed begins; blanks padding
// an item's start are passed over unless the typed text starts with one.
int FindTyped(ListBox& lb, int start, const std::u16string& typed);
int FindData(ListBox& lb, int start, ULONG_PTR data);

// Painting (ListBoxPaint.cpp) and input (ListBoxInput.cpp).
// Paints into dc when given (WM_PAINT with a DC, WM_PRINTCLIENT), else through BeginPaint.
void Paint(ListBox& lb, HDC dc);
LRESULT KeyDown(ListBox& lb, UINT vk);
LRESULT Char(ListBox& lb, char16_t ch);
LRESULT Mouse(ListBox& lb, UINT msg, WPARAM keys, POINT p);
void Scroll(ListBox& lb, int code, bool vertical);

// Messages the list of a combo box sends its combo.
constexpr UINT kComboListClose = WM_USER + 0x300;  // wParam: TRUE to take the selection
constexpr UINT kComboListHit = WM_USER + 0x301;    // lParam: screen point; TRUE when it is on the combo

}  // namespace qv::lb
