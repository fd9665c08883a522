// The plain clipboard API over the process-wide store.
#include "platform/ole/Clipboard.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/Utf.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/ole/ClipboardStore.h"

namespace qv {
namespace {

using clip::S;
using Guard = std::lock_guard<std::recursive_mutex>;

bool OpenHere() {
  return S().open && S().openThread == std::this_thread::get_id();
}

HANDLE Stored(UINT format) {
  for (auto& [f, mem] : S().data)
    if (f == format) return mem;
  return nullptr;
}

void Store(UINT format, HANDLE mem) {
  for (auto& [f, old] : S().data)
    if (f == format) {
      if (old != mem) format == CF_BITMAP ? void(DeleteObject(old)) : void(GlobalFree(old));
      old = mem;
      return;
    }
  S().data.emplace_back(format, mem);
}

// CF_TEXT from CF_UNICODETEXT or the reverse, kept in the store once made.
HANDLE SynthesizeText(UINT format) {
  if (format == CF_TEXT) {
    HANDLE wide = Stored(CF_UNICODETEXT);
    if (!wide) return nullptr;
    HGLOBAL mem = clip::NarrowBlock(Utf16ToUtf8(clip::ReadWide(wide)));
    if (mem) S().data.emplace_back(CF_TEXT, mem);
    return mem;
  }
  if (format == CF_UNICODETEXT) {
    HANDLE narrow = Stored(CF_TEXT);
    if (!narrow) return nullptr;
    HGLOBAL mem = clip::WideBlock(Utf8ToUtf16(clip::ReadNarrow(narrow)));
    if (mem) S().data.emplace_back(CF_UNICODETEXT, mem);
    return mem;
  }
  return nullptr;
}

// Every format the clipboard can give: stored ones in order, then the
// other text form, then what the data object on the clipboard offers.
std::vector<UINT> AvailableFormats() {
  std::vector<UINT> out;
  ComPtr<IDataObject> object;
  {
    Guard l(S().lock);
    for (auto& [f, mem] : S().data) out.push_back(f);
    object = S().object;
  }
  for (UINT f : clip::GlobalFormatsOf(object.Get())) out.push_back(f);
  auto has = [&](UINT f) { return std::find(out.begin(), out.end(), f) != out.end(); };
  if (has(CF_UNICODETEXT) && !has(CF_TEXT)) out.push_back(CF_TEXT);
  if (has(CF_TEXT) && !has(CF_UNICODETEXT)) out.push_back(CF_UNICODETEXT);
  std::vector<UINT> unique;
  for (UINT f : out)
    if (std::find(unique.begin(), unique.end(), f) == unique.end()) unique.push_back(f);
  return unique;
}

// Another program's copy comes into the store at the first read of the
// opened clipboard, not at the open: a copy empties the store without
// waiting for that program, which may be slow, stopped or hung.
void ReadDesktopOnce() {
  {
    Guard l(S().lock);
    if (!OpenHere() || S().emptied || S().read) return;
    S().read = true;
  }
  clip::SyncFromDesktop(true);
}

// The formats another program's clipboard offers, as far as it has said
// without our waiting; nullopt when the store answers.
std::optional<std::vector<UINT>> OfferedByDesktop() {
  switch (clip::DesktopOffer(nullptr)) {
    case ClipboardOffer::Read:
      return std::nullopt;
    case ClipboardOffer::Text:
      return std::vector<UINT>{CF_UNICODETEXT, CF_TEXT};
    default:
      return std::vector<UINT>{};
  }
}

}  // namespace

BOOL OpenClipboard(HWND owner) {
  {
    Guard l(S().lock);
    if (S().open && !OpenHere()) return FALSE;
    if (!S().open) S().changed = S().emptied = S().read = false;
    S().open = true;
    S().openThread = std::this_thread::get_id();
    S().openWindow = owner;
  }
  return TRUE;
}

BOOL CloseClipboard() {
  bool push;
  {
    Guard l(S().lock);
    if (!OpenHere()) return FALSE;
    S().open = false;
    S().openWindow = nullptr;
    push = S().changed;
    S().changed = false;
  }
  if (push) clip::PushToDesktop();
  return TRUE;
}

BOOL EmptyClipboard() {
  ComPtr<IDataObject> dropped;
  Guard l(S().lock);
  if (!OpenHere()) return FALSE;
  dropped = clip::ClearLocked();
  S().owner = S().openWindow;
  S().changed = S().emptied = true;
  S().givenAt.reset();  // a new copy, the desktop's at the close
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  ReadDesktopOnce();  // a format added to another program's copy, without emptying
  Guard l(S().lock);
  if (!OpenHere() || !data || !format) return nullptr;
  Store(format, data);
  S().changed = true;
  return data;
}

HANDLE GetClipboardData(UINT format) {
  ReadDesktopOnce();
  ComPtr<IDataObject> object;
  {
    Guard l(S().lock);
    if (!OpenHere()) return nullptr;
    if (HANDLE mem = Stored(format)) return mem;
    if (HANDLE mem = SynthesizeText(format)) return mem;
    object = S().object;
  }
  if (!object) return nullptr;
  // Rendered once and kept, as a delayed rendering would be.
  HGLOBAL mem = clip::RenderGlobal(object.Get(), format);
  if (!mem && format == CF_TEXT)
    if (auto text = clip::TextOf(object.Get())) mem = clip::NarrowBlock(Utf16ToUtf8(*text));
  if (!mem && format == CF_UNICODETEXT)
    if (auto text = clip::TextOf(object.Get())) mem = clip::WideBlock(*text);
  if (!mem) return nullptr;
  Guard l(S().lock);
  if (S().object.Get() != object.Get()) {
    GlobalFree(mem);  // the clipboard changed meanwhile
    return nullptr;
  }
  S().data.emplace_back(format, mem);
  return mem;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  auto offered = OfferedByDesktop();
  if (!offered) clip::SyncFromDesktop(false);
  auto formats = offered ? *offered : AvailableFormats();
  return std::find(formats.begin(), formats.end(), format) != formats.end() ? TRUE : FALSE;
}

UINT EnumClipboardFormats(UINT format) {
  ReadDesktopOnce();
  {
    Guard l(S().lock);
    if (!OpenHere()) return 0;
  }
  auto formats = AvailableFormats();
  if (format == 0) return formats.empty() ? 0 : formats.front();
  auto it = std::find(formats.begin(), formats.end(), format);
  return it == formats.end() || ++it == formats.end() ? 0 : *it;
}

int CountClipboardFormats() {
  if (auto offered = OfferedByDesktop()) return int(offered->size());
  clip::SyncFromDesktop(false);
  return int(AvailableFormats().size());
}

HWND GetClipboardOwner() {
  clip::DropIfTaken();
  Guard l(S().lock);
  return S().owner;
}

HWND GetOpenClipboardWindow() {
  Guard l(S().lock);
  return S().open ? S().openWindow : nullptr;
}

bool SetClipboardTextW(const std::u16string& text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  HGLOBAL wide = clip::WideBlock(text), narrow = clip::NarrowBlock(Utf16ToUtf8(text));
  bool ok = wide && narrow;
  if (wide) SetClipboardData(CF_UNICODETEXT, wide);
  if (narrow) SetClipboardData(CF_TEXT, narrow);
  CloseClipboard();
  return ok;
}

std::u16string GetClipboardTextW() {
  if (!OpenClipboard(nullptr)) return {};
  HANDLE mem = GetClipboardData(CF_UNICODETEXT);
  std::u16string text = mem ? clip::ReadWide(mem) : std::u16string();
  CloseClipboard();
  return text;
}

ClipboardText ClipboardHasText(HWND notify) {
  switch (clip::DesktopOffer(notify)) {
    case ClipboardOffer::Read:
      return IsClipboardFormatAvailable(CF_UNICODETEXT) ? ClipboardText::Yes : ClipboardText::No;
    case ClipboardOffer::Text:
      return ClipboardText::Yes;
    case ClipboardOffer::Asked:
      return ClipboardText::Asked;
    default:
      return ClipboardText::No;
  }
}

}  // namespace qv
