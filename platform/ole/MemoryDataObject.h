// A data object that holds its formats as byte blocks in memory: what the
// program puts on the clipboard or drags when it has the data at hand, and
// what OleGetClipboard returns over the plain clipboard. Each format is
// offered for DVASPECT_CONTENT, lindex -1, as global memory or as a stream.
// Change notifications (DAdvise) are not supported.
#pragma once
#include <string>
#include <vector>

#include "platform/ole/DataTransfer.h"

namespace qv {

class MemoryDataObject final : public ComObject<IDataObject> {
 public:
  // A new object with one reference owned by the returned pointer.
  static ComPtr<MemoryDataObject> Create();

  // Adds or replaces a format; formats keep the order they were first set in.
  void SetBytes(CLIPFORMAT format, std::vector<uint8_t> bytes);
  // CF_UNICODETEXT (UTF-16 + NUL) and CF_TEXT (UTF-8 + NUL).
  void SetText(const std::u16string& text);
  // False when the format is not held.
  bool GetBytes(CLIPFORMAT format, std::vector<uint8_t>& bytes) const;
  bool Has(CLIPFORMAT format) const { return Find(format) != nullptr; }

  // IDataObject
  HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT GetDataHere(const FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT QueryGetData(const FORMATETC* format) override;
  HRESULT GetCanonicalFormatEtc(const FORMATETC* in, FORMATETC* out) override;
  HRESULT SetData(const FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
  HRESULT DAdvise(const FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) override;
  HRESULT DUnadvise(DWORD connection) override;
  HRESULT EnumDAdvise(IEnumSTATDATA** advises) override;

 private:
  MemoryDataObject() = default;
  ~MemoryDataObject() override = default;

  struct Entry {
    CLIPFORMAT format;
    std::vector<uint8_t> bytes;
  };
  const Entry* Find(CLIPFORMAT format) const;
  std::vector<Entry> entries_;
};

}  // namespace qv
