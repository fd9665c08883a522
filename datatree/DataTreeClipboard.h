// The tree's clipboard formats: the registry of formats and the tree classes
// that render them, each tree's list of formats it offers, the data object a
// tree hands to the clipboard or a drag, and its format enumerator.
#pragma once
#include <string>
#include <typeindex>
#include <vector>

#include "classlib/Strings.h"
#include "datatree/DataTreeTransferTypes.h"
#include "platform/ole/DataAdvise.h"
#include "platform/ole/DragOffer.h"

namespace qv {

class TBaseDataTree;

// A tree class as the registry knows it: a test whether a tree is of it.
struct TDTTreeClass {
  const char* Name = "";
  bool (*IsA)(const TBaseDataTree*) = nullptr;
  int Depth = 0;  // 0 for the base tree, more for descendants
};
const TDTTreeClass& BaseDataTreeClass();
const TDTTreeClass& StringTreeClass();

struct TClipboardFormatListEntry {
  std::string FormatName;
  const TDTTreeClass* RendererClass = nullptr;
  uint32_t Priority = 0;
  FORMATETC FormatDescriptor;
};

// Registers a format for a tree class; the entries stay sorted by priority.
CLIPFORMAT RegisterDTClipboardFormat(const std::string& Name, const TDTTreeClass& TreeClass,
                                     uint32_t Priority, DWORD tymed = TYMED_HGLOBAL,
                                     DVTARGETDEVICE* ptd = nullptr, DWORD dwAspect = DVASPECT_CONTENT,
                                     LONG lindex = -1);
CLIPFORMAT RegisterDTClipboardFormatId(CLIPFORMAT Id, const TDTTreeClass& TreeClass, uint32_t Priority);
// The descriptors a tree may offer, in priority order, limited to the
// allowed names when given.
void ListFormatsForTree(const TBaseDataTree* Tree, std::vector<FORMATETC>& Formats,
                        const TStrings* AllowedFormats);
// The class that renders the named format (case ignored), or nullptr.
const TDTTreeClass* LookupFormat(const std::string& Name, CLIPFORMAT& Id);
// Standard names of the predefined formats 1..16 ("" for others).
std::string StandardFormatName(CLIPFORMAT Id);

// The tree's own formats, registered at start-up.
CLIPFORMAT CF_DATATREEDATA();
CLIPFORMAT CF_DATATREEREFERENCE();
CLIPFORMAT CF_HTML();
CLIPFORMAT CF_RTF();
CLIPFORMAT CF_RTFNOOBJS();
CLIPFORMAT CF_CSV();

bool SameFormatEtc(const FORMATETC& a, const FORMATETC& b);

// The formats a tree offers, by name; only formats its class can render are taken.
class TClipboardFormats : public TStringList {
 public:
  explicit TClipboardFormats(TBaseDataTree* AOwner);
  int Add(const std::string& S) override;
  void Insert(int Index, const std::string& S) override;
  TBaseDataTree* Owner() const { return owner_; }

 private:
  bool Accepts(const std::string& S) const;
  TBaseDataTree* owner_;
};

// The tree's data object. The tree detaches it when it goes; a detached
// object answers every request with failure.
class TDTDataObject final : public ComObject<IDataObject, IPieceText> {
 public:
  static ComPtr<TDTDataObject> Create(TBaseDataTree* AOwner, bool ForClipboard);
  TBaseDataTree* Owner() const { return owner_; }
  bool ForClipboard() const { return forClipboard_; }
  void Detach() { owner_ = nullptr; }
  const std::vector<FORMATETC>& OfferedFormats() const { return formats_; }
  // Offers its text alone from now on (Unicode, else plain; nothing without
  // either): what is rendered of a copy whose tree goes.
  void OfferTextOnly();

  HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT GetDataHere(const FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT QueryGetData(const FORMATETC* format) override;
  HRESULT GetCanonicalFormatEtc(const FORMATETC* in, FORMATETC* out) override;
  HRESULT SetData(const FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
  HRESULT DAdvise(const FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) override;
  HRESULT DUnadvise(DWORD connection) override;
  HRESULT EnumDAdvise(IEnumSTATDATA** advises) override;
  // The text rendered as it is read, unless a medium set into the object holds it.
  std::unique_ptr<TextReader> ReadText() override;

 private:
  TDTDataObject(TBaseDataTree* AOwner, bool ForClipboard);
  ~TDTDataObject() override;
  struct InternalMedium {
    CLIPFORMAT Format;
    STGMEDIUM Medium;
  };
  TBaseDataTree* owner_;
  bool forClipboard_;
  std::vector<FORMATETC> formats_;
  std::vector<InternalMedium> media_;
  ComPtr<IDataAdviseHolder> adviseHolder_;  // made on the first DAdvise
};

// An enumerator over its own copy of a format list.
class TEnumFormatEtc final : public ComObject<IEnumFORMATETC> {
 public:
  static ComPtr<TEnumFormatEtc> Create(std::vector<FORMATETC> Formats, size_t Index = 0);
  HRESULT Next(ULONG count, FORMATETC* out, ULONG* fetched) override;
  HRESULT Skip(ULONG count) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumFORMATETC** copy) override;

 private:
  TEnumFormatEtc(std::vector<FORMATETC> f, size_t i) : formats_(std::move(f)), index_(i) {}
  std::vector<FORMATETC> formats_;
  size_t index_;
};

// Node data of "Data Tree Data" read from a medium: an HGLOBAL holds a u32
// byte count and the bytes (bounded by the block), a stream its bytes.
bool ReadTreeDataMedium(const STGMEDIUM& Medium, std::vector<uint8_t>& Bytes);

}  // namespace qv
