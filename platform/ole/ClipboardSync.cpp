// The clipboard's link to the desktop clipboard (text only) and the
// helpers that turn blocks and data objects into text and back.
#include <cstring>

#include "platform/Utf.h"
#include "platform/backend/Backend.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/ole/ClipboardStore.h"
#include "platform/ole/DragOffer.h"

namespace qv::clip {
namespace {

// The backend clock interval in which a query reuses the last desktop read:
// idle-time action updates ask often, and a foreign read is a round trip.
constexpr DWORD kSyncReuseMs = 200;

}  // namespace

std::optional<std::u16string> StoredText() {
  auto& s = S();
  for (auto& [format, mem] : s.data)
    if (format == CF_UNICODETEXT) return ReadWide(mem);
  for (auto& [format, mem] : s.data)
    if (format == CF_TEXT) return Utf8ToUtf16(ReadNarrow(mem));
  return std::nullopt;
}

Store& S() {
  static Store* s = new Store;  // never destroyed: data objects may be released late at exit
  return *s;
}

ComPtr<IDataObject> ClearLocked() {
  auto& s = S();
  for (auto& [format, mem] : s.data) {
    if (format == CF_BITMAP)
      DeleteObject(mem);
    else
      GlobalFree(mem);
  }
  s.data.clear();
  return std::move(s.object);
}

void DropIfTaken() {
  Backend* backend = CurrentBackend();
  if (!backend) return;
  ComPtr<IDataObject> dropped;  // released after the lock
  std::lock_guard<std::recursive_mutex> l(S().lock);
  auto& s = S();
  if (!s.givenAt || *s.givenAt == backend->ClipboardLosses()) return;
  s.givenAt.reset();
  s.owner = nullptr;
  s.desktopText.clear();  // a read that fails leaves the store as empty as this
  dropped = ClearLocked();
}

void SyncFromDesktop(bool always) {
  Backend* backend = CurrentBackend();
  if (!backend) return;
  DropIfTaken();
  // The windows' timers run while another program's clipboard is read; one
  // that asks again meanwhile sees the clipboard as it was until that read is in.
  static thread_local bool reading = false;
  if (reading) return;
  ComPtr<IDataObject> dropped;
  {
    std::lock_guard<std::recursive_mutex> l(S().lock);
    DWORD now = backend->Now();
    if (!always && S().lastSync && now - *S().lastSync < kSyncReuseMs) return;
    S().lastSync = now;
  }
  // Nobody copied since we did: our store holds it (reading back a large
  // copy would cost as much as making it).
  if (backend->OwnsClipboard()) return;
  std::u16string text;
  {
    reading = true;
    struct Done {
      ~Done() { reading = false; }
    } done;
    text = backend->GetClipboardText();
  }
  {
    std::lock_guard<std::recursive_mutex> l(S().lock);
    auto& s = S();
    if (text == s.desktopText) return;
    // Another program copied something: it owns the clipboard now.
    s.desktopText = text;
    dropped = ClearLocked();
    s.owner = nullptr;
    s.givenAt.reset();
    if (!text.empty())
      if (HGLOBAL mem = WideBlock(text)) s.data.emplace_back(CF_UNICODETEXT, mem);
  }
}

ClipboardOffer DesktopOffer(HWND notify) {
  Backend* backend = CurrentBackend();
  if (!backend) return ClipboardOffer::Read;
  DropIfTaken();
  return backend->OfferedOnClipboard(notify);
}

void PushToDesktop() {
  Backend* backend = CurrentBackend();
  if (!backend) return;
  std::optional<std::u16string> text;
  ComPtr<IDataObject> object;
  {
    std::lock_guard<std::recursive_mutex> l(S().lock);
    text = StoredText();
    object = S().object;
  }
  if (!text && object) {
    // Rows the object renders a piece at a time are made as other programs
    // read them, not here: a million rows would keep the windows waiting.
    if (auto pieces = object.As<IPieceText>())
      if (std::unique_ptr<TextReader> reader = pieces->ReadText();
          reader && backend->OfferClipboardText(reader)) {
        std::lock_guard<std::recursive_mutex> l(S().lock);
        S().desktopText.clear();
        S().givenAt = backend->ClipboardLosses();
        S().givenInPieces = true;
        return;
      }
    text = TextOf(object.Get());
  }
  std::lock_guard<std::recursive_mutex> l(S().lock);
  // Without any text the desktop's clipboard is emptied too, as ours was.
  S().desktopText = text.value_or(std::u16string());
  backend->SetClipboardText(S().desktopText);
  S().givenAt = backend->ClipboardLosses();
  S().givenInPieces = false;
}

std::optional<std::u16string> FinishDesktopText() {
  Backend* backend = CurrentBackend();
  if (!backend) return std::nullopt;
  {
    std::lock_guard<std::recursive_mutex> l(S().lock);
    auto& s = S();
    if (!s.givenInPieces || !s.givenAt || *s.givenAt != backend->ClipboardLosses()) return std::nullopt;
  }
  // Read from our own memory, the rest made from the object: another
  // program's copy would be waited for.
  if (!backend->OwnsClipboard()) return std::nullopt;
  return backend->GetClipboardText();
}

std::optional<std::u16string> TextOf(IDataObject* object) {
  if (HGLOBAL mem = RenderGlobal(object, CF_UNICODETEXT)) {
    std::u16string text = ReadWide(mem);
    GlobalFree(mem);
    return text;
  }
  if (HGLOBAL mem = RenderGlobal(object, CF_TEXT)) {
    std::u16string text = Utf8ToUtf16(ReadNarrow(mem));
    GlobalFree(mem);
    return text;
  }
  return std::nullopt;
}

std::vector<UINT> GlobalFormatsOf(IDataObject* object) {
  std::vector<UINT> out;
  ComPtr<IEnumFORMATETC> formats;
  if (!object || FAILED(object->EnumFormatEtc(DATADIR_GET, formats.Put())) || !formats) return out;
  FORMATETC f;
  ULONG got = 0;
  while (formats->Next(1, &f, &got) == S_OK && got == 1)
    if ((f.tymed & TYMED_HGLOBAL) && f.dwAspect == DVASPECT_CONTENT) out.push_back(f.cfFormat);
  return out;
}

HGLOBAL RenderGlobal(IDataObject* object, UINT format) {
  if (!object) return nullptr;
  FORMATETC f{CLIPFORMAT(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM m;
  if (FAILED(object->GetData(&f, &m))) return nullptr;
  HGLOBAL out = nullptr;
  if (m.tymed == TYMED_HGLOBAL) {
    if (m.pUnkForRelease) {
      STGMEDIUM copy;
      if (SUCCEEDED(CopyStgMedium(&m, &copy))) out = copy.hGlobal;
    } else {
      out = std::exchange(m.hGlobal, nullptr);  // ours now
    }
  }
  ReleaseStgMedium(&m);
  return out;
}

std::u16string ReadWide(HANDLE mem) {
  std::u16string out;
  auto* p = static_cast<const uint8_t*>(GlobalLock(mem));
  if (!p) return out;
  size_t n = GlobalSize(mem) / 2;
  for (size_t i = 0; i < n; ++i) {
    char16_t ch;
    std::memcpy(&ch, p + 2 * i, 2);
    if (!ch) break;
    out += ch;
  }
  GlobalUnlock(mem);
  return out;
}

std::string ReadNarrow(HANDLE mem) {
  auto* p = static_cast<const char*>(GlobalLock(mem));
  if (!p) return {};
  std::string out(p, strnlen(p, GlobalSize(mem)));
  GlobalUnlock(mem);
  return out;
}

HGLOBAL WideBlock(const std::u16string& text) {
  HGLOBAL mem = GlobalAlloc(GHND, (text.size() + 1) * 2);
  if (void* p = mem ? GlobalLock(mem) : nullptr) {
    std::memcpy(p, text.c_str(), (text.size() + 1) * 2);
    GlobalUnlock(mem);
  }
  return mem;
}

HGLOBAL NarrowBlock(const std::string& text) {
  HGLOBAL mem = GlobalAlloc(GHND, text.size() + 1);
  if (void* p = mem ? GlobalLock(mem) : nullptr) {
    std::memcpy(p, text.c_str(), text.size() + 1);
    GlobalUnlock(mem);
  }
  return mem;
}

}  // namespace qv::clip
