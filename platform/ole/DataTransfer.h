// Data transfer between components: format descriptions (FORMATETC),
// storage media (STGMEDIUM), the data object and format enumerator
// interfaces, and helpers to copy and release media.
#pragma once
#include <vector>

#include "platform/ole/Com.h"
#include "platform/ole/GlobalMemory.h"

namespace qv {

struct IStream;
struct IStorage;
struct IAdviseSink;
struct IEnumSTATDATA;
struct DVTARGETDEVICE;  // device-specific renderings are never made here

using CLIPFORMAT = WORD;

constexpr DWORD TYMED_NULL = 0, TYMED_HGLOBAL = 1, TYMED_FILE = 2, TYMED_ISTREAM = 4, TYMED_ISTORAGE = 8,
                TYMED_GDI = 16, TYMED_MFPICT = 32, TYMED_ENHMF = 64;
constexpr DWORD DVASPECT_CONTENT = 1, DVASPECT_THUMBNAIL = 2, DVASPECT_ICON = 4, DVASPECT_DOCPRINT = 8;
constexpr DWORD DATADIR_GET = 1, DATADIR_SET = 2;
constexpr DWORD ADVF_PRIMEFIRST = 2, ADVF_ONLYONCE = 4;

struct FORMATETC {
  CLIPFORMAT cfFormat = 0;
  DVTARGETDEVICE* ptd = nullptr;
  DWORD dwAspect = DVASPECT_CONTENT;
  LONG lindex = -1;
  DWORD tymed = TYMED_HGLOBAL;
};

// Who frees a medium: with pUnkForRelease, releasing the medium releases
// that object (which owns the data); without it the receiver frees the data.
struct STGMEDIUM {
  DWORD tymed = TYMED_NULL;
  union {
    HGLOBAL hGlobal = nullptr;
    HBITMAP hBitmap;
    char16_t* lpszFileName;  // CoTaskMemAlloc'd
    IStream* pstm;
    IStorage* pstg;
  };
  IUnknown* pUnkForRelease = nullptr;
};

inline constexpr IID IID_IDataObject{0x0000010E, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IEnumFORMATETC{0x00000103, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IStorage{0x0000000B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Compound storage is not implemented; the type exists for media that name it.
struct IStorage : IUnknown {
  static const IID& Iid() { return IID_IStorage; }
};

struct IEnumFORMATETC : IUnknown {
  static const IID& Iid() { return IID_IEnumFORMATETC; }
  // S_OK when `count` records were copied, S_FALSE when fewer.
  virtual HRESULT Next(ULONG count, FORMATETC* out, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumFORMATETC** copy) = 0;
};

struct IDataObject : IUnknown {
  static const IID& Iid() { return IID_IDataObject; }
  // The caller owns the medium and frees it with ReleaseStgMedium.
  virtual HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT GetDataHere(const FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT QueryGetData(const FORMATETC* format) = 0;
  virtual HRESULT GetCanonicalFormatEtc(const FORMATETC* in, FORMATETC* out) = 0;
  // With release the object takes the medium over, else it copies it.
  virtual HRESULT SetData(const FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
  virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) = 0;
  virtual HRESULT DAdvise(const FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) = 0;
  virtual HRESULT DUnadvise(DWORD connection) = 0;
  virtual HRESULT EnumDAdvise(IEnumSTATDATA** advises) = 0;
};

// Frees what the medium holds (or releases its pUnkForRelease) and empties
// it. A file medium's name is freed; the file itself is left alone.
void ReleaseStgMedium(STGMEDIUM* medium);
// A medium the receiver owns on its own: global blocks and file names are
// duplicated, streams and storages AddRef'd. GDI and metafile media cannot be
// copied (DV_E_TYMED).
HRESULT CopyStgMedium(const STGMEDIUM* in, STGMEDIUM* out);

// An enumerator over its own copy of `formats`, positioned at the start.
HRESULT CreateFormatEnumerator(std::vector<FORMATETC> formats, IEnumFORMATETC** out);

}  // namespace qv
