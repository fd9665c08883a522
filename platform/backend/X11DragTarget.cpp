// Other programs' drags over our windows, by the X drag-and-drop protocol:
// our managed windows say they take drops (version 5); a source's messages
// are noted while the X queue drains and acted on by a hidden drop window in
// the message loop, where the drop target under the point (the same one a
// drag of ours would find) is entered, moved over, left or dropped on. The
// data object offers the source's text, and a list of files (CF_HDROP) when
// the source offers text/uri-list; each is read from the drag selection only
// when a target asks for it.
#include <X11/Xatom.h>

#include <algorithm>
#include <climits>

#include "platform/Utf.h"
#include "platform/backend/X11Connection.h"
#include "platform/ole/Clipboard.h"
#include "platform/ole/DragDrop.h"
#include "platform/ole/DragOffer.h"
#include "platform/ole/ForeignDataObject.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Window.h"

namespace qv::x11 {
namespace {

constexpr UINT kPosition = WM_USER + 1, kLeave = WM_USER + 2, kDrop = WM_USER + 3;
const char16_t* const kDropClass = u"QvForeignDrop";

bool Offers(const Connection& c, Atom type) {
  return std::find(c.dragIn.types.begin(), c.dragIn.types.end(), type) != c.dragIn.types.end();
}

bool OffersText(const Connection& c) {
  return std::any_of(c.dragIn.types.begin(), c.dragIn.types.end(),
                     [&](Atom t) { return IsReadableText(c, t); }) ||
         Offers(c, c.dnd.textPlain) || Offers(c, c.dnd.uriList);
}

int HexValue(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

// "file://host/p%20q" lines as paths; other URIs as they are.
std::vector<std::string> PathListOfUris(const std::string& list) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find('\n', start);
    if (end == std::string::npos) end = list.size();
    std::string uri = list.substr(start, end - start);
    start = end + 1;
    if (!uri.empty() && uri.back() == '\r') uri.pop_back();
    if (uri.empty() || uri[0] == '#') continue;
    if (uri.rfind("file://", 0) == 0) {
      size_t slash = uri.find('/', 7);
      std::string path, raw = slash == std::string::npos ? "/" : uri.substr(slash);
      for (size_t i = 0; i < raw.size(); ++i) {
        int hi = raw[i] == '%' && i + 2 < raw.size() ? HexValue(raw[i + 1]) : -1,
            lo = hi >= 0 ? HexValue(raw[i + 2]) : -1;
        if (lo >= 0) {
          path += char(hi * 16 + lo);
          i += 2;
        } else {
          path += raw[i];
        }
      }
      uri = path;
    }
    out.push_back(uri);
  }
  return out;
}

// The same, one a line.
std::string PathsOfUris(const std::string& list) {
  std::string out;
  for (const std::string& path : PathListOfUris(list)) {
    if (!out.empty()) out += '\n';
    out += path;
  }
  return out;
}

// The source's file list as local paths; none when it offers none.
std::vector<std::string> FetchFiles(Connection& c) {
  Atom type = None;
  std::string bytes;
  if (!Offers(c, c.dnd.uriList) ||
      ReadSelection(c, c.dnd.selection, c.dnd.uriList, c.dragIn.time, type, bytes) != ReadEnd::Data)
    return {};
  std::vector<std::string> paths;
  for (std::string& path : PathListOfUris(bytes))
    if (!path.empty() && path[0] == '/') paths.push_back(std::move(path));
  return paths;
}

// The source's text: the text types we read, UTF-8 first, with text/plain
// after the UTF-8 ones (drags offer it), then a list of files as their
// paths. A source that is gone or silent is not asked again.
std::u16string FetchText(Connection& c) {
  std::vector<Atom> types = ReadableTextTypes(c);
  types.insert(types.begin() + 2, c.dnd.textPlain);
  std::erase_if(types, [&](Atom t) { return !Offers(c, t); });
  std::u16string text;
  ReadEnd end = ReadText(c, c.dnd.selection, types, c.dragIn.time, text);
  if (end != ReadEnd::Refused) return text;
  Atom type = None;
  std::string bytes;
  if (Offers(c, c.dnd.uriList) &&
      ReadSelection(c, c.dnd.selection, c.dnd.uriList, c.dragIn.time, type, bytes) == ReadEnd::Data)
    return Utf8ToUtf16(PathsOfUris(bytes));
  return {};
}

// Text formats and a list of files answered from the type list; each is
// read once, when first asked for, and kept.
class DropData final : public ForeignDataObject {
 public:
  static ComPtr<IDataObject> Create(Connection& c) { return ComPtr<IDataObject>::Adopt(new DropData(c)); }

 private:
  explicit DropData(Connection& c)
      : ForeignDataObject({CF_HDROP, CF_UNICODETEXT, CF_TEXT}),
        c_(&c),
        text_(OffersText(c)),
        files_(x11::Offers(c, c.dnd.uriList)) {}

  bool Offers(CLIPFORMAT format) override { return format == CF_HDROP ? files_ : text_; }
  // The data asked for, fetched once: a list of files or the text.
  MemoryDataObject* Fetched(CLIPFORMAT format) override {
    if (!fetched_) fetched_ = MemoryDataObject::Create();
    if (format == CF_HDROP && !fetched_->Has(CF_HDROP)) {
      std::vector<std::string> paths = FetchFiles(*c_);
      if (!paths.empty()) fetched_->SetBytes(CF_HDROP, MakeDropFiles(paths));
    } else if (format != CF_HDROP && !fetched_->Has(CF_UNICODETEXT)) {
      fetched_->SetText(FetchText(*c_));
    }
    return fetched_.Get();
  }

  Connection* c_;
  bool text_, files_;
  ComPtr<MemoryDataObject> fetched_;
};

// What the drop window holds between a source's messages.
struct DropSession {
  Connection* c = nullptr;
  ComPtr<IDataObject> data;
  ComPtr<IDropTarget> target;
  HWND window = nullptr;
  DWORD effect = DROPEFFECT_NONE;
};

DropSession* NewSession(Connection& c) {
  auto* s = new DropSession;
  s->c = &c;
  return s;
}

DropSession* SessionOf(HWND hwnd) {
  return reinterpret_cast<DropSession*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Reply(Connection& c, Atom type, long l1, long l4) {
  if (!c.dragIn.source) return;
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.display = c.dpy;
  ev.xclient.window = c.dragIn.source;
  ev.xclient.message_type = type;
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = long(c.dragIn.window);
  ev.xclient.data.l[1] = l1;
  ev.xclient.data.l[2] = type == c.dnd.finished ? l4 : 0;  // a finish names its action third
  ev.xclient.data.l[4] = type == c.dnd.finished ? 0 : l4;
  XSendEvent(c.dpy, c.dragIn.source, False, NoEventMask, &ev);
  XFlush(c.dpy);
}

// The effects a source's proposed action allows; a copy is always acceptable.
DWORD AllowedBy(const Connection& c, Atom action) {
  return EffectOfAction(c, action) | DROPEFFECT_COPY;
}

// The effect a target chose, narrowed to the one action the protocol reports.
DWORD OneEffect(DWORD effect, DWORD proposed) {
  if (effect & proposed & (DROPEFFECT_MOVE | DROPEFFECT_LINK)) return proposed;
  if (effect & DROPEFFECT_COPY) return DROPEFFECT_COPY;
  if (effect & DROPEFFECT_MOVE) return DROPEFFECT_MOVE;
  return effect & DROPEFFECT_LINK;
}

void LeaveTarget(DropSession& s) {
  if (auto t = std::move(s.target)) t->DragLeave();
  s.window = nullptr;
  s.effect = DROPEFFECT_NONE;
}

void OnPosition(DropSession& s) {
  Connection& c = *s.c;
  c.dragIn.positionPosted = false;
  if (!c.dragIn.source) return;
  if (!s.data) s.data = DropData::Create(c);
  POINT p = c.dragIn.point;
  POINTL pt{p.x, p.y};
  DWORD allowed = AllowedBy(c, c.dragIn.action), keys = MK_LBUTTON;
  HWND window = nullptr;
  ComPtr<IDropTarget> now = DropTargetAt(p, window);
  DWORD effect = allowed;
  if (now.Get() != s.target.Get() || window != s.window) {
    LeaveTarget(s);
    if (now && SUCCEEDED(now->DragEnter(s.data.Get(), keys, pt, &effect))) s.target = now, s.window = window;
  } else if (s.target && FAILED(s.target->DragOver(keys, pt, &effect))) {
    effect = DROPEFFECT_NONE;
  }
  s.effect = s.target ? OneEffect(effect & allowed, EffectOfAction(c, c.dragIn.action)) : DROPEFFECT_NONE;
  Reply(c, c.dnd.status, s.effect ? 1 : 0, long(ActionOfEffect(c, s.effect)));
}

void OnDrop(DropSession& s) {
  Connection& c = *s.c;
  DWORD effect = DROPEFFECT_NONE;
  if (auto t = std::move(s.target); t && s.effect) {
    POINTL pt{c.dragIn.point.x, c.dragIn.point.y};
    effect = AllowedBy(c, c.dragIn.action);
    if (FAILED(t->Drop(s.data.Get(), MK_LBUTTON, pt, &effect))) effect = DROPEFFECT_NONE;
    effect = OneEffect(effect, EffectOfAction(c, c.dragIn.action));
  } else if (t) {
    t->DragLeave();
  }
  Reply(c, c.dnd.finished, effect ? 1 : 0, long(ActionOfEffect(c, effect)));
  c.dragIn = DndTarget{};
  s = DropSession{};
  s.c = &c;
}

LRESULT DropWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DropSession* s = SessionOf(hwnd);
  switch (msg) {
    case kPosition:
      if (s) OnPosition(*s);
      return 0;
    case kLeave:
      if (s) LeaveTarget(*s), s->data.Reset();
      return 0;
    case kDrop:
      if (s) OnDrop(*s);
      return 0;
    case WM_NCDESTROY:
      if (s) LeaveTarget(*s);
      delete s;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

POINT PointOf(long packed) {
  return POINT{int16_t((packed >> 16) & 0xFFFF), int16_t(packed & 0xFFFF)};
}

void NoteEnter(Connection& c, const XClientMessageEvent& m) {
  if (c.dragIn.source && c.dropWindow) PostMessageW(c.dropWindow, kLeave, 0, 0);  // a source that vanished
  DndTarget in;
  in.source = Window(m.data.l[0]);
  in.window = m.window;
  in.version = int((unsigned long)m.data.l[1] >> 24);
  if (m.data.l[1] & 1) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(c.dpy, in.source, c.dnd.typeList, 0, 256, False, XA_ATOM, &type, &format, &count,
                           &after, &data) == Success &&
        data && format == 32)
      for (unsigned long i = 0; i < count; ++i) in.types.push_back(Atom(reinterpret_cast<long*>(data)[i]));
    if (data) XFree(data);
  } else {
    for (int i = 2; i < 5; ++i)
      if (m.data.l[i]) in.types.push_back(Atom(m.data.l[i]));
  }
  c.dragIn = std::move(in);
  MakeDropWindow(c);
}

}  // namespace

void MakeDropWindow(Connection& c) {
  if (c.dropWindow && IsWindow(c.dropWindow)) return;
  static const ATOM registered = [] {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = DropWindowProc;
    wc.lpszClassName = kDropClass;
    return RegisterClassExW(&wc);
  }();
  if (!registered) return;
  c.dropWindow = CreateWindowExW(WS_EX_TOOLWINDOW, kDropClass, u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 nullptr, nullptr);
  if (c.dropWindow) SetWindowLongPtrW(c.dropWindow, GWLP_USERDATA, LONG_PTR(NewSession(c)));
}

void DestroyDropWindow(Connection& c) {
  if (c.dropWindow && IsWindow(c.dropWindow)) DestroyWindow(c.dropWindow);
  c.dropWindow = nullptr;
}

void SetDropAware(Connection& c, Window w) {
  Atom version = 5;
  XChangeProperty(c.dpy, w, c.dnd.aware, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&version), 1);
}

bool HandleTargetMessage(Connection& c, const XClientMessageEvent& m) {
  Atom type = m.message_type;
  if (type == c.dnd.enter) {
    NoteEnter(c, m);
    return true;
  }
  if (type != c.dnd.position && type != c.dnd.leave && type != c.dnd.drop) return false;
  // Messages of a source we are not talking to are stale.
  if (!c.dragIn.source || Window(m.data.l[0]) != c.dragIn.source || !c.dropWindow) return true;
  if (type == c.dnd.position) {
    c.dragIn.point = PointOf(m.data.l[2]);
    c.dragIn.time = Time(m.data.l[3]);
    c.dragIn.action = c.dragIn.version >= 2 ? Atom(m.data.l[4]) : c.dnd.actionCopy;
    if (!c.dragIn.positionPosted) PostMessageW(c.dropWindow, kPosition, 0, 0);
    c.dragIn.positionPosted = true;
  } else if (type == c.dnd.leave) {
    PostMessageW(c.dropWindow, kLeave, 0, 0);
    c.dragIn = DndTarget{};
  } else {
    if (c.dragIn.version >= 1) c.dragIn.time = Time(m.data.l[2]);
    PostMessageW(c.dropWindow, kDrop, 0, 0);
  }
  c.injected = true;
  return true;
}

}  // namespace qv::x11
