#include "platform/ole/Com.h"

namespace qv {

HRESULT CoCreateInstance(REFCLSID, IUnknown*, DWORD, REFIID, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  return REGDB_E_CLASSNOTREG;
}

}  // namespace qv
