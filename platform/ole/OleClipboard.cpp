// The data-object side of the clipboard.
#include "platform/ole/OleClipboard.h"

#include <optional>
#include <string>
#include <vector>

#include "platform/ole/ClipboardStore.h"
#include "platform/ole/MemoryDataObject.h"

namespace qv {
namespace {

using clip::S;
using Guard = std::lock_guard<std::recursive_mutex>;

bool OpenElsewhere() {
  return S().open && S().openThread != std::this_thread::get_id();
}

}  // namespace

HRESULT OleSetClipboard(IDataObject* object) {
  ComPtr<IDataObject> dropped;
  {
    Guard l(S().lock);
    if (OpenElsewhere()) return CLIPBRD_E_CANT_OPEN;
    dropped = clip::ClearLocked();
    S().object = ComPtr<IDataObject>(object);
    S().owner = nullptr;
    S().givenAt.reset();
  }
  dropped.Reset();  // may end the old object, whose owner may react
  clip::PushToDesktop();
  return S_OK;
}

HRESULT OleGetClipboard(IDataObject** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  // Another program's copy is read only for a format taken from it.
  bool desktop = clip::DesktopOffer(nullptr) != ClipboardOffer::Read;
  if (!desktop) clip::SyncFromDesktop(true);
  {
    Guard l(S().lock);
    if (OpenElsewhere()) return CLIPBRD_E_CANT_OPEN;
    if (desktop) {
      *out = clip::DesktopDataObject().Detach();
      return S_OK;
    }
    if (S().object) {
      *out = ComPtr<IDataObject>(S().object).Detach();
      return S_OK;
    }
  }
  try {
    auto snapshot = MemoryDataObject::Create();
    if (!OpenClipboard(nullptr)) return CLIPBRD_E_CANT_OPEN;
    {
      // The desktop's copy was read at the top: a program that never gives
      // its text is waited for once, not again at the first read below.
      Guard l(S().lock);
      S().read = true;
    }
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) {
      HANDLE mem = f == CF_BITMAP ? nullptr : GetClipboardData(f);
      auto* p = static_cast<const uint8_t*>(GlobalLock(mem));
      if (!p) continue;
      snapshot->SetBytes(CLIPFORMAT(f), std::vector<uint8_t>(p, p + GlobalSize(mem)));
      GlobalUnlock(mem);
    }
    CloseClipboard();
    *out = snapshot.Detach();
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT OleFlushClipboard() {
  clip::DropIfTaken();  // a copy another program replaced is not kept
  ComPtr<IDataObject> object;
  {
    Guard l(S().lock);
    if (OpenElsewhere()) return CLIPBRD_E_CANT_OPEN;
    object = S().object;
  }
  if (!object) return S_OK;
  std::vector<std::pair<UINT, HGLOBAL>> rendered;
  for (UINT f : clip::GlobalFormatsOf(object.Get())) {
    // Text the desktop makes as it is read is finished there, not made
    // twice: it stays served whole once the object is gone, and is often
    // made already (ahead while the windows were idle, or for a reader).
    std::optional<std::u16string> text;
    if (f == CF_UNICODETEXT) text = clip::FinishDesktopText();
    if (HGLOBAL mem = text ? clip::WideBlock(*text) : clip::RenderGlobal(object.Get(), f))
      rendered.emplace_back(f, mem);
  }
  Guard l(S().lock);
  if (S().object.Get() != object.Get()) {
    for (auto& [f, mem] : rendered) GlobalFree(mem);
    return S_OK;  // the clipboard changed meanwhile
  }
  // Formats the object rendered on request before are replaced by this rendering.
  ComPtr<IDataObject> dropped = clip::ClearLocked();
  S().data = std::move(rendered);
  return S_OK;
}

HRESULT OleIsCurrentClipboard(IDataObject* object) {
  // Not after another program copied: its owner would otherwise take the
  // clipboard back to empty it.
  clip::DropIfTaken();
  Guard l(S().lock);
  return object && S().object.Get() == object ? S_OK : S_FALSE;
}

}  // namespace qv
