// The tree's data object and its format enumerator. The object names its
// tree only while the tree lives; media set into it are kept and handed out
// as copies.
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "datatree/DataTreeTransfer.h"
#include "platform/ole/Clipboard.h"
#include "platform/ole/Stream.h"

namespace qv {

ComPtr<TDTDataObject> TDTDataObject::Create(TBaseDataTree* AOwner, bool ForClipboard) {
  return ComPtr<TDTDataObject>::Adopt(new TDTDataObject(AOwner, ForClipboard));
}

TDTDataObject::TDTDataObject(TBaseDataTree* AOwner, bool ForClipboard)
    : owner_(AOwner), forClipboard_(ForClipboard) {
  if (owner_) {
    owner_->GetOfferedFormats(formats_);
    TreeXfer::RegisterDataObject(*owner_, this);
  }
}

TDTDataObject::~TDTDataObject() {
  if (owner_) {
    bool current = owner_->xfer_ && owner_->xfer_->clipboardObject == this;
    TreeXfer::UnregisterDataObject(*owner_, this);
    if (forClipboard_ && current) owner_->CancelCutOrCopy();
  }
  for (auto& m : media_) ReleaseStgMedium(&m.Medium);
}

HRESULT TDTDataObject::GetData(const FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_INVALIDARG;
  *medium = STGMEDIUM{};
  if (!owner_) return E_FAIL;
  try {
    if (format->cfFormat == CF_DATATREEREFERENCE()) {
      HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, 8);
      if (!mem) return E_OUTOFMEMORY;
      auto* p = static_cast<uint32_t*>(GlobalLock(mem));
      p[0] = uint32_t(getpid());
      p[1] = owner_->TreeSerial();
      GlobalUnlock(mem);
      medium->tymed = TYMED_HGLOBAL;
      medium->hGlobal = mem;
      return S_OK;
    }
    HRESULT hr = QueryGetData(format);
    if (FAILED(hr)) return hr;
    size_t i = 0;
    while (i < formats_.size() && !SameFormatEtc(formats_[i], *format)) ++i;
    if (i == formats_.size()) return DV_E_FORMATETC;
    for (auto& m : media_)
      if (m.Format == format->cfFormat && m.Medium.tymed != TYMED_NULL)
        return CopyStgMedium(&m.Medium, medium);
    return owner_->RenderOLEData(*format, *medium, forClipboard_);
  } catch (...) {
    *medium = STGMEDIUM{};
    return E_FAIL;
  }
}

std::unique_ptr<TextReader> TDTDataObject::ReadText() {
  if (!owner_) return nullptr;
  for (auto& m : media_)
    if (m.Format == CF_UNICODETEXT) return nullptr;
  FORMATETC text;
  text.cfFormat = CF_UNICODETEXT;
  if (FAILED(QueryGetData(&text))) return nullptr;
  return owner_->ReadTextInPieces(this);
}

void TDTDataObject::OfferTextOnly() {
  for (CLIPFORMAT text : {CLIPFORMAT(CF_UNICODETEXT), CLIPFORMAT(CF_TEXT)}) {
    auto it = std::find_if(formats_.begin(), formats_.end(), [&](const FORMATETC& f) {
      return f.cfFormat == text && (f.tymed & TYMED_HGLOBAL);
    });
    if (it != formats_.end()) {
      formats_ = {*it};
      return;
    }
  }
  formats_.clear();
}

HRESULT TDTDataObject::GetDataHere(const FORMATETC*, STGMEDIUM*) {
  return E_NOTIMPL;
}

HRESULT TDTDataObject::QueryGetData(const FORMATETC* format) {
  if (!format) return E_INVALIDARG;
  if (!owner_) return E_FAIL;
  HRESULT result = DV_E_FORMATETC;
  for (const FORMATETC& f : formats_) {
    if (f.cfFormat != format->cfFormat) continue;
    if ((f.tymed & format->tymed) == 0)
      result = DV_E_TYMED;
    else if (f.dwAspect != format->dwAspect)
      result = DV_E_DVASPECT;
    else if (f.lindex != format->lindex)
      result = DV_E_LINDEX;
    else
      return S_OK;
  }
  return result;
}

HRESULT TDTDataObject::GetCanonicalFormatEtc(const FORMATETC*, FORMATETC* out) {
  if (out) out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

HRESULT TDTDataObject::SetData(const FORMATETC* format, STGMEDIUM* medium, BOOL release) {
  if (!format || !medium) return E_INVALIDARG;
  size_t i = 0;
  while (i < formats_.size() && !SameFormatEtc(formats_[i], *format)) ++i;
  if (i == formats_.size()) formats_.push_back(*format);
  InternalMedium* slot = nullptr;
  for (auto& m : media_)
    if (m.Format == format->cfFormat) slot = &m;
  if (!slot) {
    media_.push_back(InternalMedium{format->cfFormat, STGMEDIUM{}});
    slot = &media_.back();
  } else {
    ReleaseStgMedium(&slot->Medium);
  }
  HRESULT hr = S_OK;
  if (release) {
    slot->Medium = *medium;
  } else {
    hr = CopyStgMedium(medium, &slot->Medium);
    // A copy that would keep this object alive through itself drops that reference.
    if (SUCCEEDED(hr) &&
        slot->Medium.pUnkForRelease == static_cast<IUnknown*>(static_cast<IDataObject*>(this))) {
      slot->Medium.pUnkForRelease = nullptr;
      Release();
    }
  }
  if (adviseHolder_) adviseHolder_->SendOnDataChange(this, 0, 0);
  return hr;
}

HRESULT TDTDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
  if (!formats) return E_INVALIDARG;
  *formats = nullptr;
  if (direction != DATADIR_GET) return OLE_S_USEREG;
  *formats = TEnumFormatEtc::Create(formats_).Detach();
  return S_OK;
}

// Advice is kept by a holder made on first use.
HRESULT TDTDataObject::DAdvise(const FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) {
  if (!adviseHolder_) {
    HRESULT hr = CreateDataAdviseHolder(adviseHolder_.Put());
    if (FAILED(hr)) return hr;
  }
  return adviseHolder_->Advise(this, format, advf, sink, connection);
}

HRESULT TDTDataObject::DUnadvise(DWORD connection) {
  return adviseHolder_ ? adviseHolder_->Unadvise(connection) : E_NOTIMPL;
}

HRESULT TDTDataObject::EnumDAdvise(IEnumSTATDATA** advises) {
  if (!adviseHolder_) {
    if (advises) *advises = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
  }
  return adviseHolder_->EnumAdvise(advises);
}

ComPtr<TEnumFormatEtc> TEnumFormatEtc::Create(std::vector<FORMATETC> Formats, size_t Index) {
  return ComPtr<TEnumFormatEtc>::Adopt(new TEnumFormatEtc(std::move(Formats), Index));
}

HRESULT TEnumFormatEtc::Next(ULONG count, FORMATETC* out, ULONG* fetched) {
  if (!out && count > 0) return E_INVALIDARG;
  ULONG n = 0;
  while (n < count && index_ < formats_.size()) out[n++] = formats_[index_++];
  if (fetched) *fetched = n;
  return n == count ? S_OK : S_FALSE;
}

HRESULT TEnumFormatEtc::Skip(ULONG count) {
  size_t left = formats_.size() - index_;
  if (count <= left) {
    index_ += count;
    return S_OK;
  }
  index_ = formats_.size();
  return S_FALSE;
}

HRESULT TEnumFormatEtc::Reset() {
  index_ = 0;
  return S_OK;
}

HRESULT TEnumFormatEtc::Clone(IEnumFORMATETC** copy) {
  if (!copy) return E_INVALIDARG;
  *copy = Create(formats_, index_).Detach();
  return S_OK;
}

bool ReadTreeDataMedium(const STGMEDIUM& Medium, std::vector<uint8_t>& Bytes) {
  Bytes.clear();
  if (Medium.tymed == TYMED_HGLOBAL) {
    SIZE_T size = GlobalSize(Medium.hGlobal);
    if (size < 4) return false;
    auto* p = static_cast<const uint8_t*>(GlobalLock(Medium.hGlobal));
    if (!p) return false;
    uint32_t declared;
    std::memcpy(&declared, p, 4);
    size_t n = std::min<size_t>(declared, size - 4);
    Bytes.assign(p + 4, p + 4 + n);
    GlobalUnlock(Medium.hGlobal);
    return true;
  }
  if (Medium.tymed == TYMED_ISTREAM && Medium.pstm) {
    uint8_t buffer[65536];
    for (;;) {
      ULONG got = 0;
      if (FAILED(Medium.pstm->Read(buffer, sizeof buffer, &got)) || got == 0) break;
      Bytes.insert(Bytes.end(), buffer, buffer + got);
    }
    return true;
  }
  return false;
}

}  // namespace qv
