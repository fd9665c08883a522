// Internal state of the clipboard, shared by the plain clipboard API and the
// data-object clipboard. One recursive lock guards it; calls into a data
// object are made with the lock released.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/backend/Backend.h"
#include "platform/ole/Clipboard.h"
#include "platform/ole/DataTransfer.h"

namespace qv::clip {

struct Store {
  std::recursive_mutex lock;
  bool open = false;
  std::thread::id openThread;
  HWND openWindow = nullptr;
  HWND owner = nullptr;
  std::vector<std::pair<UINT, HANDLE>> data;  // in the order set
  bool changed = false;                       // since the clipboard was opened
  bool emptied = false;
  bool read = false;           // the desktop's clipboard was read since the clipboard was opened
  std::u16string desktopText;  // the desktop's text as we last gave or saw it
  // The backend's count of clipboard losses when the desktop was given this
  // store's copy; none while the store holds another program's text or a
  // copy not given yet.
  std::optional<unsigned> givenAt;
  bool givenInPieces = false;  // the desktop reads that copy from its data object as it goes
  std::optional<DWORD> lastSync;
  ComPtr<IDataObject> object;  // set by OleSetClipboard
};

Store& S();

// Frees every stored handle and hands back the data object (to be released
// by the caller once the lock is gone). Call with the lock held.
ComPtr<IDataObject> ClearLocked();
// Empties the store when it holds our copy and another program has taken
// the desktop clipboard since: that copy is never pasted or given out again,
// also when the other program is gone before its text could be read. Call
// without the lock (a data object let go may call back).
void DropIfTaken();
// Takes text another program put on the desktop clipboard, replacing the
// store (with nothing when its text could not be read whole). `always` =
// false skips the backend when it was asked very recently.
void SyncFromDesktop(bool always);
// What another program's desktop clipboard offers, asked without waiting
// (Backend::OfferedOnClipboard); `Read` when the store answers. Call without the lock.
ClipboardOffer DesktopOffer(HWND notify);
// Gives the text of the store (or of its data object) to the desktop.
void PushToDesktop();
// The store's text (CF_UNICODETEXT, else CF_TEXT); none without either. Call with the lock held.
std::optional<std::u16string> StoredText();
// Another program's desktop clipboard as a data object (DesktopDataObject.cpp).
ComPtr<IDataObject> DesktopDataObject();
// The text of the store's data object as the desktop serves it, made there
// to its end now: nullopt unless the desktop reads that object's text in
// pieces and the copy is still ours. Never waits for another program.
std::optional<std::u16string> FinishDesktopText();
// The text a data object renders, if it offers a text format.
std::optional<std::u16string> TextOf(IDataObject* object);
// The formats a data object can give as global memory, in its order.
std::vector<UINT> GlobalFormatsOf(IDataObject* object);
// A global-memory copy of one format rendered by a data object, or nullptr.
HGLOBAL RenderGlobal(IDataObject* object, UINT format);

// Text in global blocks: a wide or UTF-8 string up to its NUL (or the block's end).
std::u16string ReadWide(HANDLE mem);
std::string ReadNarrow(HANDLE mem);
HGLOBAL WideBlock(const std::u16string& text);
HGLOBAL NarrowBlock(const std::string& text);

}  // namespace qv::clip
