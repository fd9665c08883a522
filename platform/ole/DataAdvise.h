// Notification of data changes: the sink a data object's user hands in
// (IAdviseSink), the records of the connections (STATDATA) with their
// enumerator, and a ready-made holder of connections (IDataAdviseHolder)
// that a data object delegates its advise methods to.
#pragma once
#include "platform/ole/DataTransfer.h"

namespace qv {

constexpr DWORD ADVF_NODATA = 1;
constexpr HRESULT OLE_E_NOCONNECTION = MakeHResult(0x80040004);

inline constexpr IID IID_IAdviseSink{0x0000010F, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IEnumSTATDATA{0x00000105, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDataAdviseHolder{0x00000110, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Told when the data it asked for changes; with ADVF_NODATA the medium is empty.
struct IAdviseSink : IUnknown {
  static const IID& Iid() { return IID_IAdviseSink; }
  virtual void OnDataChange(const FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual void OnViewChange(DWORD aspect, LONG index) = 0;
  virtual void OnSave() = 0;
  virtual void OnClose() = 0;
};

// One connection: its format, flags, sink and number.
struct STATDATA {
  FORMATETC formatetc;
  DWORD advf = 0;
  IAdviseSink* pAdvSink = nullptr;  // AddRef'd for the receiver of an enumeration
  DWORD dwConnection = 0;
};

struct IEnumSTATDATA : IUnknown {
  static const IID& Iid() { return IID_IEnumSTATDATA; }
  virtual HRESULT Next(ULONG count, STATDATA* out, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumSTATDATA** copy) = 0;
};

struct IDataAdviseHolder : IUnknown {
  static const IID& Iid() { return IID_IDataAdviseHolder; }
  // Connections are numbered from 1. ADVF_PRIMEFIRST tells the sink at once
  // (with Data's current data unless ADVF_NODATA).
  virtual HRESULT Advise(IDataObject* data, const FORMATETC* format, DWORD advf, IAdviseSink* sink,
                         DWORD* connection) = 0;
  virtual HRESULT Unadvise(DWORD connection) = 0;
  virtual HRESULT EnumAdvise(IEnumSTATDATA** advises) = 0;
  // Tells every sink, with the data taken from Data in its format (unless it
  // asked for none); connections made ADVF_ONLYONCE end after it.
  virtual HRESULT SendOnDataChange(IDataObject* data, DWORD reserved, DWORD advf) = 0;
};

HRESULT CreateDataAdviseHolder(IDataAdviseHolder** holder);

}  // namespace qv
