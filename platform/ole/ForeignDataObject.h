// Another program's data as a data object, read only when asked for: the
// desktop clipboard while another program holds it (DesktopDataObject.cpp)
// and another program's drop (the X11 backend's drop target). It offers
// those of its formats that the other program's types allow, each as
// global memory or a stream, and reads a format's data from that program
// only when it is asked for, so a reader that takes none of them waits for
// nothing. No SetData, no change notifications.
#pragma once
#include <vector>

#include "platform/ole/MemoryDataObject.h"

namespace qv {

class ForeignDataObject : public ComObject<IDataObject> {
 public:
  HRESULT GetData(const FORMATETC* f, STGMEDIUM* medium) override;
  HRESULT GetDataHere(const FORMATETC* f, STGMEDIUM* medium) override;
  HRESULT QueryGetData(const FORMATETC* f) override;
  HRESULT GetCanonicalFormatEtc(const FORMATETC* in, FORMATETC* out) override;
  HRESULT SetData(const FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
  HRESULT DAdvise(const FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 protected:
  // The formats it can offer at all, in the order it lists them.
  explicit ForeignDataObject(std::vector<CLIPFORMAT> formats) : formats_(std::move(formats)) {}
  // Whether the other program's types allow one of those formats. Asked only
  // for a format asked for or listed, as the answer may wait for that program.
  virtual bool Offers(CLIPFORMAT format) = 0;
  // The data of an offered format, read from the other program when first
  // asked for and kept.
  virtual MemoryDataObject* Fetched(CLIPFORMAT format) = 0;

 private:
  std::vector<CLIPFORMAT> formats_;
};

}  // namespace qv
