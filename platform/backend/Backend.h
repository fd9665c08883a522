// The display driver interface under the window manager. A backend owns the
// screen, the clock and native input; the window manager owns windows,
// queues and painting. One backend is installed per process; the thread that
// installs it is the "UI thread": native input is queued there.
//
// Contract for implementers:
//  - Every call except Wake() comes from the UI thread, with no window-manager
//    lock held, so a backend may call back into the window manager (the
//    Inject* functions of platform/window/BackendInput.h).
//  - WaitForEvents returns after native input was injected, after Wake() (a
//    wake that arrives before the wait must not be lost), or after the timeout.
//  - Top-level windows are identified by HWND; their pixels live in a Surface
//    the window manager owns; Present() says which part of it changed.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Surface.h"
#include "platform/WinTypes.h"

namespace qv {

// Whether another program's desktop clipboard holds text, as a backend
// tells it without waiting for that program.
enum class ClipboardOffer {
  Read,     // the clipboard's store answers: it is ours, or only a read of the text tells
  Nothing,  // no text to paste
  Text,
  Asked,  // that program was asked and has not answered yet
};

// The desktop selections a paste reads: the clipboard (Ctrl+V, the menus'
// Paste) and the primary selection (a middle click).
enum class DesktopSelection { Clipboard, Primary };

// Text rendered as it is read, a piece at a time (UTF-8), so that a large
// drag costs nothing until another program asks for its data.
class TextReader {
 public:
  virtual ~TextReader() = default;
  // Appends the next piece, about `bytes` long, to `out`; false when all was
  // read. A source that prepares in short steps may append nothing in one.
  virtual bool Next(std::string& out, size_t bytes) = 0;
};

// What a drag of ours offers another program: the rows as UTF-8 text, and
// the files they name as URIs when every row is an existing file's path.
// The text is rendered only as a reader that was opened is read.
struct ForeignDragOffer {
  // A reader of the text from its start (with `uris`, of the URI list);
  // nullptr when there is nothing to offer.
  std::function<std::unique_ptr<TextReader>(bool uris)> open;
  // Whether the rows are files, read from `text`, a reader of the text from
  // its start: a backend that makes the text anyway hands over one that
  // reads what it made, so that the rows are not made twice.
  std::function<bool(std::unique_ptr<TextReader> text)> files;
};

class Backend {
 public:
  virtual ~Backend() = default;

  virtual SIZE ScreenSize() = 0;
  // Pixels per inch of the screen, as the desktop sets it (96 by default).
  virtual int ScreenDpi() { return 96; }
  // A millisecond clock (wraps at 2^32). The window manager's message time,
  // GetTickCount and every timer use it.
  virtual DWORD Now() = 0;
  // Blocks until input, Wake() or timeoutMs (0xFFFFFFFF = no timeout).
  virtual void WaitForEvents(DWORD timeoutMs) = 0;
  // Any thread: ends the current or the next WaitForEvents early.
  virtual void Wake() = 0;
  // Reads the native events that have arrived, without waiting, so that a
  // loop that only peeks at its queue still sees input.
  virtual void PollEvents() {}

  // Top-level window life: shown/hidden, moved or resized (screen rectangle),
  // z-order changed (the window is now right above `below`, nullptr = bottom),
  // shape (window region rectangles in window coordinates, none = rectangular).
  virtual void WindowCreated(HWND top, const RECT& screenRect, bool popup) = 0;
  virtual void WindowDestroyed(HWND top) = 0;
  virtual void WindowShown(HWND top, bool visible) = 0;
  virtual void WindowMoved(HWND top, const RECT& screenRect) = 0;
  virtual void WindowRaised(HWND top) = 0;
  // The backing surface's `dirty` rectangle (window coordinates) has new pixels.
  virtual void Present(HWND top, const Surface& backing, const RECT& dirty) = 0;

  // Cursor shape for the pointer: a standard cursor id (IDC_ARROW = 32512 ...)
  // or 0 for a custom cursor handle, which is passed along.
  virtual void SetCursorShape(int standardId, HCURSOR custom) = 0;
  virtual bool SetCursorPos(POINT screen) = 0;

  virtual std::u16string GetClipboardText() = 0;
  virtual void SetClipboardText(const std::u16string& text) = 0;
  // Text for the desktop clipboard rendered as other programs read it (a
  // large copy costs nothing at the copy): true when the backend took the
  // reader; false leaves it, and the caller sets the whole text instead.
  virtual bool OfferClipboardText(std::unique_ptr<TextReader>& text) {
    (void)text;
    return false;
  }
  // The desktop clipboard still holds what we set last (no other program
  // copied since): it need not be read back.
  virtual bool OwnsClipboard() { return false; }
  // How often another program has taken the desktop clipboard from us. What
  // we set before such a time is not the last copy any more, even once that
  // program is gone (killed before we held its text).
  virtual unsigned ClipboardLosses() { return 0; }
  // What another program's clipboard offers, without waiting for it: while
  // it is `Asked`, `notify` (when given) gets WM_CLIPBOARDUPDATE once that
  // program has answered.
  virtual ClipboardOffer OfferedOnClipboard(HWND notify) {
    (void)notify;
    return ClipboardOffer::Read;
  }
  // The same, waiting for that program's answer as a read of its text waits
  // (the windows served meanwhile, never longer than such a read): `Asked`
  // only when it did not answer, or another program copied meanwhile.
  virtual ClipboardOffer AwaitClipboardOffer() { return ClipboardOffer::Read; }
  // The desktop's primary selection: the text the user selected last, here
  // or in another program, which a middle click pastes. Setting it never
  // waits for another program; reading it waits for the program that holds
  // it as a clipboard read does, and not at all when that program is us.
  virtual std::u16string GetPrimaryText() { return {}; }
  virtual void SetPrimaryText(const std::u16string& text) { (void)text; }
  // A paste's read of another program's text that holds nothing up: it
  // starts now, the windows go on, and `notify` gets `message` (wParam =
  // the read's id) once it ends, with the text or without (the program
  // refused, went away, or stayed silent as long as a read waits). 0 when
  // there is nobody to wait for (the selection is ours, or has no owner) or
  // this backend reads only at once: GetClipboardText or GetPrimaryText then
  // gives the text without waiting.
  virtual unsigned BeginTextRead(DesktopSelection from, HWND notify, UINT message) {
    (void)from, (void)notify, (void)message;
    return 0;
  }
  // The text of a read that ended, once; nullopt when it brought none, goes
  // on still, or is unknown.
  virtual std::optional<std::u16string> TakeTextRead(unsigned id) {
    (void)id;
    return std::nullopt;
  }
  // Gives a read up: its end is told nobody, and what it brings is dropped.
  virtual void CancelTextRead(unsigned id) { (void)id; }
  virtual void Beep(UINT type) = 0;
  // A modal dialog (message box, input query, file dialog, modal form) is
  // shown and its loop is about to run. A backend for tests may answer it
  // here: fill its fields, press its buttons, queue keys.
  virtual void ModalStarted(HWND dialog) { (void)dialog; }
  // Opening a document, folder or address with the desktop's own application
  // (ShellExecute). True when the backend took the request; false lets the
  // caller start the desktop's opener itself.
  virtual bool OpenWithDesktop(const std::string& target) {
    (void)target;
    return false;
  }
  // The desktop's own pixels (other programs' windows, the wallpaper) under
  // `area`, whose top-left pixel is `origin` on the screen: what a copy of
  // the screen shows where none of our windows is. Pixels off the screen, and
  // all of them on false, stay as they are (the desktop colour); the headless
  // screen has nothing else.
  virtual bool ReadDesktop(Surface& area, POINT origin) {
    (void)area;
    (void)origin;
    return false;
  }
  // The border of a top-level window that the desktop draws in place of
  // ours (the window manager's frame), as distances from each edge of its
  // window rectangle. Our own pixels there are never seen: a copy of the
  // screen takes the desktop's from ReadDesktop instead.
  virtual RECT DesktopFrame(HWND top) {
    (void)top;
    return RECT{};
  }

  // A drag of ours with other programs (DROPEFFECT_ values). ForeignDragBegin
  // and ForeignDragEnd bracket every drag, whether it leaves our windows or
  // not; the drag's offer comes with its beginning, so that a backend can
  // make its text in idle steps from then on (a drop released promptly finds
  // it made) and drop it at the end. ForeignWindowAt says whether the window
  // under a point, in the desktop's stacking order, is another program's:
  // then none of ours there takes the drag, even where it lies below. ForeignDragOver says whether
  // another program's drop target is at the point, and the effect it takes
  // as far as it has answered; the drag loop asks again as the pointer moves
  // or rests. ForeignDragLeave ends the exchange without a drop. ForeignDrop
  // drops on the target last reported (false when it takes none); the loop
  // then keeps its windows going and asks ForeignDropResult until it has the
  // effect the target took: a move only when the target had the data.
  virtual void ForeignDragBegin(DWORD okEffects, const ForeignDragOffer& offer) {
    (void)okEffects, (void)offer;
  }
  virtual void ForeignDragEnd() {}
  virtual bool ForeignWindowAt(POINT screen) {
    (void)screen;
    return false;
  }
  virtual bool ForeignDragOver(POINT screen, DWORD okEffects, DWORD keys, DWORD& effect) {
    (void)screen, (void)okEffects, (void)keys;
    effect = 0;
    return false;
  }
  virtual void ForeignDragLeave() {}
  virtual bool ForeignDrop() { return false; }
  virtual bool ForeignDropResult(DWORD& effect) {
    effect = 0;
    return true;
  }
};

// Installs the process backend (not owned; nullptr uninstalls) and makes the
// calling thread the UI thread.
void InstallBackend(Backend* backend);
Backend* CurrentBackend();

}  // namespace qv
