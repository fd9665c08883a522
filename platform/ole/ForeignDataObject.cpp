// Another program's data as a data object: the formats and the answers every
// such object shares (see ForeignDataObject.h).
#include "platform/ole/ForeignDataObject.h"

#include <algorithm>

namespace qv {

HRESULT ForeignDataObject::GetData(const FORMATETC* f, STGMEDIUM* medium) {
  HRESULT hr = QueryGetData(f);
  return hr == S_OK ? Fetched(f->cfFormat)->GetData(f, medium) : hr;
}

HRESULT ForeignDataObject::GetDataHere(const FORMATETC* f, STGMEDIUM* medium) {
  HRESULT hr = QueryGetData(f);
  return hr == S_OK ? Fetched(f->cfFormat)->GetDataHere(f, medium) : hr;
}

HRESULT ForeignDataObject::QueryGetData(const FORMATETC* f) {
  if (!f) return E_INVALIDARG;
  bool listed = std::find(formats_.begin(), formats_.end(), f->cfFormat) != formats_.end();
  if (!listed || !Offers(f->cfFormat)) return DV_E_FORMATETC;
  if (!(f->tymed & (TYMED_HGLOBAL | TYMED_ISTREAM))) return DV_E_TYMED;
  return S_OK;
}

HRESULT ForeignDataObject::GetCanonicalFormatEtc(const FORMATETC* in, FORMATETC* out) {
  if (!in || !out) return E_INVALIDARG;
  *out = *in;
  out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

HRESULT ForeignDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
  if (!formats) return E_INVALIDARG;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  std::vector<FORMATETC> list;
  for (CLIPFORMAT format : formats_) {
    if (!Offers(format)) continue;
    FORMATETC f;
    f.cfFormat = format;
    list.push_back(f);
  }
  return CreateFormatEnumerator(std::move(list), formats);
}

}  // namespace qv
