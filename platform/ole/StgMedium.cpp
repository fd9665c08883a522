// Releasing and copying storage media.
#include <cstring>

#include "platform/gdi/GdiObjects.h"
#include "platform/ole/DataTransfer.h"
#include "platform/ole/Stream.h"

namespace qv {
namespace {

HGLOBAL DuplicateBlock(HGLOBAL src) {
  SIZE_T size = GlobalSize(src);
  const void* from = GlobalLock(src);
  if (!from) return nullptr;
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  if (void* to = copy ? GlobalLock(copy) : nullptr) {
    std::memcpy(to, from, size);
    GlobalUnlock(copy);
  }
  GlobalUnlock(src);
  return copy;
}

char16_t* DuplicateName(const char16_t* name) {
  if (!name) return nullptr;
  size_t n = 0;
  while (name[n]) ++n;
  auto* copy = static_cast<char16_t*>(CoTaskMemAlloc((n + 1) * sizeof(char16_t)));
  if (copy) std::memcpy(copy, name, (n + 1) * sizeof(char16_t));
  return copy;
}

}  // namespace

void ReleaseStgMedium(STGMEDIUM* m) {
  if (!m) return;
  if (m->pUnkForRelease) {
    m->pUnkForRelease->Release();  // the data belong to that object
  } else {
    switch (m->tymed) {
      case TYMED_HGLOBAL:
        GlobalFree(m->hGlobal);
        break;
      case TYMED_FILE:
        CoTaskMemFree(m->lpszFileName);
        break;
      case TYMED_ISTREAM:
        if (m->pstm) m->pstm->Release();
        break;
      case TYMED_ISTORAGE:
        if (m->pstg) m->pstg->Release();
        break;
      case TYMED_GDI:
        if (m->hBitmap) DeleteObject(m->hBitmap);
        break;
      default:
        break;
    }
  }
  *m = STGMEDIUM{};
}

HRESULT CopyStgMedium(const STGMEDIUM* in, STGMEDIUM* out) {
  if (!in || !out) return E_INVALIDARG;
  *out = STGMEDIUM{};
  STGMEDIUM copy;
  copy.tymed = in->tymed;
  switch (in->tymed) {
    case TYMED_NULL:
      break;
    case TYMED_HGLOBAL:
      if (in->hGlobal && !(copy.hGlobal = DuplicateBlock(in->hGlobal))) return E_OUTOFMEMORY;
      break;
    case TYMED_FILE:
      if (in->lpszFileName && !(copy.lpszFileName = DuplicateName(in->lpszFileName))) return E_OUTOFMEMORY;
      break;
    case TYMED_ISTREAM:
      if ((copy.pstm = in->pstm)) copy.pstm->AddRef();
      break;
    case TYMED_ISTORAGE:
      if ((copy.pstg = in->pstg)) copy.pstg->AddRef();
      break;
    default:
      return DV_E_TYMED;
  }
  *out = copy;
  return S_OK;
}

}  // namespace qv
