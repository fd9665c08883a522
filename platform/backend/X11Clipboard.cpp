// The CLIPBOARD selection for text. As owner we answer TARGETS, UTF8_STRING,
// text/plain;charset=utf-8 (as our drags do), TEXT and STRING (text beyond
// one property goes in pieces, INCR; X11SelectionOwner.cpp picks the answer).
// As reader we ask for the same types, UTF-8 first, of those the owner offers
// (X11TextRead.cpp), of the CLIPBOARD or of another selection.
#include <X11/Xatom.h>

#include "platform/Utf.h"
#include "platform/backend/X11Connection.h"

namespace qv::x11 {

size_t MaxPropertyBytes(Display* dpy) {
  long words = XExtendedMaxRequestSize(dpy);
  if (!words) words = XMaxRequestSize(dpy);
  return size_t(words) * 4 - 256;
}

void OwnClipboard(Connection& c, const std::u16string& text) {
  OwnClipboard(c, std::make_unique<SharedText>(Utf16ToUtf8(text)));
}

void OwnClipboard(Connection& c, std::unique_ptr<TextReader> text) {
  OwnClipboard(c, std::make_unique<SharedText>(std::move(text)));
}

void OwnClipboard(Connection& c, std::unique_ptr<SharedText> text) {
  // Transfers of the copy before keep its text until they are through.
  c.clipboardText = std::move(text);
  XSetSelectionOwner(c.dpy, c.atoms.clipboard, c.utility, CurrentTime);
  c.ownsClipboard = XGetSelectionOwner(c.dpy, c.atoms.clipboard) == c.utility;
}

void ClipboardTaken(Connection& c) {
  // The notice of a loss may be read after a newer copy of ours claimed the
  // clipboard again (the two claims came in the same instant): it is about
  // the copy before, and the newer one must still be served. The server
  // knows who owns it now; a later loss brings a notice of its own.
  if (XGetSelectionOwner(c.dpy, c.atoms.clipboard) == c.utility) return;
  c.ownsClipboard = false;
  c.clipboardText.reset();
  ++c.clipboardLosses;
}

std::u16string ReadClipboard(Connection& c) {
  if (c.ownsClipboard && c.clipboardText) {
    size_t size = c.clipboardText->Reach(SIZE_MAX);
    std::string all;
    all.reserve(size);  // a large copy is not moved as it grows
    c.clipboardText->CopyOut(0, size, all);
    return Utf8ToUtf16(all);
  }
  return ReadSelectionText(c, c.atoms.clipboard);
}

std::u16string ReadSelectionText(Connection& c, Atom selection) {
  if (XGetSelectionOwner(c.dpy, selection) == None) return {};
  std::u16string text;
  // Asked as of the user's act that reads it (the owner may refuse a
  // request from before it took the selection). The CLIPBOARD's owner is asked only for the types it said it
  // offers; another selection's for each type we read.
  const std::vector<Atom> types =
      selection == c.atoms.clipboard ? ClipboardTextTypes(c) : ReadableTextTypes(c);
  return ReadText(c, selection, types, c.lastTime, text) == ReadEnd::Data ? text : std::u16string();
}

SelectionAnswer::SelectionAnswer(Connection& c, const XSelectionRequestEvent& req)
    : c_(c), property_(req.property != None ? req.property : req.target) {  // old clients name no property
  reply_.type = SelectionNotify;
  reply_.display = c.dpy;
  reply_.requestor = req.requestor;
  reply_.selection = req.selection;
  reply_.target = req.target;
  reply_.time = req.time;
  reply_.property = None;
}

void SelectionAnswer::Put(Atom type, int format, const void* data, size_t count) {
  if (format == 8 && count > MaxPropertyBytes(c_.dpy)) {
    const char* bytes = static_cast<const char*>(data);
    Put(type, std::make_shared<SharedText>(std::string(bytes, bytes + count)), false, {});
    return;
  }
  XChangeProperty(c_.dpy, reply_.requestor, property_, type, format, PropModeReplace,
                  static_cast<const unsigned char*>(data), int(count));
  reply_.property = property_;
}

void SelectionAnswer::Put(Atom type, const std::shared_ptr<SharedText>& text, bool ofDrag,
                          std::function<void()> done, bool latin1) {
  if (!text) return;
  // Up to a megabyte (some milliseconds to make) goes in one property, as
  // quick for the requestor as it can be; more goes in pieces, and so does
  // text not made in the time an answer may take (its pieces follow as the
  // idle steps make them).
  size_t whole = std::min<size_t>(MaxPropertyBytes(c_.dpy), size_t(1) << 20);
  size_t size = text->Reach(whole + 1, std::chrono::steady_clock::now() + kAnswerStep);
  if (size <= whole && text->Complete()) {
    std::string bytes;
    text->CopyOut(0, size, bytes);
    if (latin1) bytes = Utf8ToLatin1(bytes);
    Put(type, 8, bytes.data(), bytes.size());
    if (done) done();
    return;
  }
  StartIncrTransfer(c_, reply_.requestor, property_, type, text, latin1, ofDrag, std::move(done));
  reply_.property = property_;
}

void SelectionAnswer::Send() {
  XSendEvent(c_.dpy, reply_.requestor, False, 0, reinterpret_cast<XEvent*>(&reply_));
  XFlush(c_.dpy);
}

}  // namespace qv::x11
