// The clipboard: one process-wide store of formats → data handles, opened by
// one thread at a time. The text formats are also exchanged with the
// desktop's clipboard through the backend: text placed here reaches other
// programs when the clipboard is closed, and text another program copied
// replaces the store's contents the first time the opened clipboard is read.
// A copy (open, empty, set, close) never waits for another program, and
// neither does asking whether a format is there: while another program holds
// the desktop's clipboard, that asks what it offers and answers from its
// last answer. CF_TEXT holds UTF-8 here; CF_TEXT and CF_UNICODETEXT are made
// from each other on request.
//
// Data handles are global memory blocks (GlobalAlloc) and belong to the
// clipboard once set; CF_BITMAP holds an HBITMAP. Delayed rendering (a null
// handle) is not supported.
#pragma once
#include <string>

#include "platform/WinTypes.h"
#include "platform/ole/GlobalMemory.h"

namespace qv {

constexpr UINT CF_TEXT = 1, CF_BITMAP = 2, CF_METAFILEPICT = 3, CF_SYLK = 4, CF_DIF = 5, CF_TIFF = 6,
               CF_DIB = 8, CF_PALETTE = 9, CF_PENDATA = 10, CF_RIFF = 11, CF_WAVE = 12, CF_UNICODETEXT = 13,
               CF_ENHMETAFILE = 14, CF_HDROP = 15, CF_LOCALE = 16;
// Registered formats are numbered from here up.
constexpr UINT kFirstRegisteredFormat = 0xC000;

BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
// Frees every format; the opener's window becomes the owner.
BOOL EmptyClipboard();
// The clipboard takes `data` over (it frees any earlier data of that format).
// Returns `data`, or nullptr when the clipboard is not open on this thread.
HANDLE SetClipboardData(UINT format, HANDLE data);
// Owned by the clipboard: valid until it is emptied or closed by another change.
HANDLE GetClipboardData(UINT format);
// Without waiting for another program: FALSE while it has not said what it offers.
BOOL IsClipboardFormatAvailable(UINT format);
// The format after `format` (0 = the first); 0 at the end.
UINT EnumClipboardFormats(UINT format);
int CountClipboardFormats();
HWND GetClipboardOwner();
HWND GetOpenClipboardWindow();

// Names → ids from kFirstRegisteredFormat up; the same name (ignoring ASCII
// case) gives the same id. 0 for an empty name.
UINT RegisterClipboardFormatW(const char16_t* name);
inline UINT RegisterClipboardFormat(const char16_t* name) {
  return RegisterClipboardFormatW(name);
}
// Copies the registered name (truncated to maxCount - 1 characters plus NUL);
// the length copied, 0 for predefined or unknown ids.
int GetClipboardFormatNameW(UINT format, char16_t* buffer, int maxCount);
inline int GetClipboardFormatName(UINT format, char16_t* buffer, int maxCount) {
  return GetClipboardFormatNameW(format, buffer, maxCount);
}

// Convenience for the plain-text clipboard of the consoles and reports:
// replaces the contents with the text in both text formats.
bool SetClipboardTextW(const std::u16string& text);
// The clipboard's text (from either text format), empty when there is none.
std::u16string GetClipboardTextW();
// Whether the clipboard holds text to paste, told without waiting for another
// program that holds the desktop's clipboard: `Asked` while that program has
// not said what it offers; `notify` (when given) gets WM_CLIPBOARDUPDATE
// once it has.
enum class ClipboardText { No, Yes, Asked };
ClipboardText ClipboardHasText(HWND notify);

}  // namespace qv
