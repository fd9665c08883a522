// Another program's desktop clipboard as a data object (what OleGetClipboard
// gives while another program holds it): its formats are what that program
// said it offers, and its text is read only when a text format is asked
// for. A paste that takes none of those formats reads nothing, and never
// waits for a program that is slow to give its text.
#include "platform/ole/ClipboardStore.h"
#include "platform/ole/MemoryDataObject.h"

namespace qv::clip {
namespace {

class DesktopData final : public ComObject<IDataObject> {
 public:
  HRESULT GetData(const FORMATETC* f, STGMEDIUM* medium) override {
    HRESULT hr = QueryGetData(f);
    return hr == S_OK ? Fetched()->GetData(f, medium) : hr;
  }
  HRESULT GetDataHere(const FORMATETC* f, STGMEDIUM* medium) override {
    HRESULT hr = QueryGetData(f);
    return hr == S_OK ? Fetched()->GetDataHere(f, medium) : hr;
  }
  HRESULT QueryGetData(const FORMATETC* f) override {
    if (!f) return E_INVALIDARG;
    if ((f->cfFormat != CF_UNICODETEXT && f->cfFormat != CF_TEXT) || !OffersText()) return DV_E_FORMATETC;
    if (!(f->tymed & (TYMED_HGLOBAL | TYMED_ISTREAM))) return DV_E_TYMED;
    return S_OK;
  }
  HRESULT GetCanonicalFormatEtc(const FORMATETC* in, FORMATETC* out) override {
    if (!in || !out) return E_INVALIDARG;
    *out = *in;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  HRESULT SetData(const FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
    if (!formats) return E_INVALIDARG;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> list;
    for (CLIPFORMAT format : {CF_UNICODETEXT, CF_TEXT}) {
      FORMATETC f;
      f.cfFormat = format;
      if (OffersText()) list.push_back(f);
    }
    return CreateFormatEnumerator(std::move(list), formats);
  }
  HRESULT DAdvise(const FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  // Asked of that program once, waiting for its answer at most as long as
  // a read of its text would. Our own copy, taken meanwhile, is read from the store.
  bool OffersText() {
    if (!text_) {
      Backend* backend = CurrentBackend();
      ClipboardOffer offer = backend ? backend->AwaitClipboardOffer() : ClipboardOffer::Read;
      text_ = offer == ClipboardOffer::Text || offer == ClipboardOffer::Read;
    }
    return *text_;
  }
  // The text, read once (it comes into the store, as every read of the desktop's does).
  MemoryDataObject* Fetched() {
    if (fetched_) return fetched_.Get();
    SyncFromDesktop(true);
    fetched_ = MemoryDataObject::Create();
    std::optional<std::u16string> text;
    {
      std::lock_guard<std::recursive_mutex> l(S().lock);
      text = StoredText();
    }
    if (text) fetched_->SetText(*text);
    return fetched_.Get();
  }

  std::optional<bool> text_;
  ComPtr<MemoryDataObject> fetched_;
};

}  // namespace

ComPtr<IDataObject> DesktopDataObject() {
  return ComPtr<IDataObject>::Adopt(new DesktopData);
}

}  // namespace qv::clip
