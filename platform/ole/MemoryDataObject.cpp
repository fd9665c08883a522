#include "platform/ole/MemoryDataObject.h"

#include <cstring>
#include <new>

#include "platform/Utf.h"
#include "platform/ole/Clipboard.h"
#include "platform/ole/Stream.h"

namespace qv {
namespace {

constexpr DWORD kOfferedTymeds = TYMED_HGLOBAL | TYMED_ISTREAM;

HGLOBAL BlockOf(const std::vector<uint8_t>& bytes) {
  return GlobalFromBytes(bytes.data(), bytes.size());
}

bool ReadBlock(HGLOBAL mem, std::vector<uint8_t>& out) {
  auto* p = static_cast<const uint8_t*>(GlobalLock(mem));
  if (!p) return false;
  out.assign(p, p + GlobalSize(mem));
  GlobalUnlock(mem);
  return true;
}

// The whole stream from its start.
bool ReadStream(IStream* stream, std::vector<uint8_t>& out) {
  if (!stream || FAILED(stream->Seek(0, STREAM_SEEK_SET, nullptr))) return false;
  out.clear();
  uint8_t chunk[4096];
  for (;;) {
    ULONG got = 0;
    if (FAILED(stream->Read(chunk, sizeof chunk, &got))) return false;
    out.insert(out.end(), chunk, chunk + got);
    if (got < sizeof chunk) return true;
  }
}

}  // namespace

ComPtr<MemoryDataObject> MemoryDataObject::Create() {
  return ComPtr<MemoryDataObject>::Adopt(new MemoryDataObject);
}

const MemoryDataObject::Entry* MemoryDataObject::Find(CLIPFORMAT format) const {
  for (auto& e : entries_)
    if (e.format == format) return &e;
  return nullptr;
}

void MemoryDataObject::SetBytes(CLIPFORMAT format, std::vector<uint8_t> bytes) {
  for (auto& e : entries_)
    if (e.format == format) {
      e.bytes = std::move(bytes);
      return;
    }
  entries_.push_back(Entry{format, std::move(bytes)});
}

void MemoryDataObject::SetText(const std::u16string& text) {
  std::vector<uint8_t> wide((text.size() + 1) * 2);
  std::memcpy(wide.data(), text.c_str(), wide.size());
  SetBytes(CF_UNICODETEXT, std::move(wide));
  std::string utf8 = Utf16ToUtf8(text);
  SetBytes(CF_TEXT, std::vector<uint8_t>(utf8.c_str(), utf8.c_str() + utf8.size() + 1));
}

bool MemoryDataObject::GetBytes(CLIPFORMAT format, std::vector<uint8_t>& bytes) const {
  const Entry* e = Find(format);
  if (e) bytes = e->bytes;
  return e != nullptr;
}

HRESULT MemoryDataObject::QueryGetData(const FORMATETC* f) {
  if (!f) return E_INVALIDARG;
  if (!Find(f->cfFormat)) return DV_E_FORMATETC;
  if (f->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (f->lindex != -1) return DV_E_LINDEX;
  if (!(f->tymed & kOfferedTymeds)) return DV_E_TYMED;
  return S_OK;
}

HRESULT MemoryDataObject::GetData(const FORMATETC* f, STGMEDIUM* medium) {
  if (!medium) return E_INVALIDARG;
  *medium = STGMEDIUM{};
  HRESULT hr = QueryGetData(f);
  if (FAILED(hr)) return hr;
  try {
    const Entry* e = Find(f->cfFormat);
    HGLOBAL mem = BlockOf(e->bytes);
    if (!mem) return E_OUTOFMEMORY;
    if (f->tymed & TYMED_HGLOBAL) {
      medium->tymed = TYMED_HGLOBAL;
      medium->hGlobal = mem;
      return S_OK;
    }
    IStream* stream = nullptr;
    hr = CreateStreamOnHGlobal(mem, TRUE, &stream);
    if (FAILED(hr)) {
      GlobalFree(mem);
      return hr;
    }
    medium->tymed = TYMED_ISTREAM;
    medium->pstm = stream;
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT MemoryDataObject::GetDataHere(const FORMATETC* f, STGMEDIUM* medium) {
  if (!medium) return E_INVALIDARG;
  HRESULT hr = QueryGetData(f);
  if (FAILED(hr)) return hr;
  const Entry* e = Find(f->cfFormat);
  if (medium->tymed == TYMED_ISTREAM && medium->pstm)
    return medium->pstm->Write(e->bytes.data(), ULONG(e->bytes.size()), nullptr);
  if (medium->tymed != TYMED_HGLOBAL || !medium->hGlobal) return DV_E_TYMED;
  if (GlobalSize(medium->hGlobal) < e->bytes.size()) return STG_E_MEDIUMFULL;
  void* p = GlobalLock(medium->hGlobal);
  if (!p) return E_INVALIDARG;
  if (!e->bytes.empty()) std::memcpy(p, e->bytes.data(), e->bytes.size());
  GlobalUnlock(medium->hGlobal);
  return S_OK;
}

HRESULT MemoryDataObject::GetCanonicalFormatEtc(const FORMATETC* in, FORMATETC* out) {
  if (!in || !out) return E_INVALIDARG;
  *out = *in;
  out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

HRESULT MemoryDataObject::SetData(const FORMATETC* f, STGMEDIUM* medium, BOOL release) {
  if (!f || !medium) return E_INVALIDARG;
  if (f->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  try {
    std::vector<uint8_t> bytes;
    bool ok = medium->tymed == TYMED_HGLOBAL   ? ReadBlock(medium->hGlobal, bytes)
              : medium->tymed == TYMED_ISTREAM ? ReadStream(medium->pstm, bytes)
                                               : false;
    if (!ok)
      return medium->tymed == TYMED_HGLOBAL || medium->tymed == TYMED_ISTREAM ? E_INVALIDARG : DV_E_TYMED;
    SetBytes(f->cfFormat, std::move(bytes));
    if (release) ReleaseStgMedium(medium);  // taken over: the copy is ours, the medium goes
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT MemoryDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
  if (!formats) return E_INVALIDARG;
  *formats = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  try {
    std::vector<FORMATETC> list;
    for (auto& e : entries_)
      list.push_back(FORMATETC{e.format, nullptr, DVASPECT_CONTENT, -1, kOfferedTymeds});
    return CreateFormatEnumerator(std::move(list), formats);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT MemoryDataObject::DAdvise(const FORMATETC*, DWORD, IAdviseSink*, DWORD* connection) {
  if (connection) *connection = 0;
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT MemoryDataObject::DUnadvise(DWORD) {
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT MemoryDataObject::EnumDAdvise(IEnumSTATDATA** advises) {
  if (advises) *advises = nullptr;
  return OLE_E_ADVISENOTSUPPORTED;
}

}  // namespace qv
