// The registry of the tree's clipboard formats and the per-tree list of the
// formats it offers.
#include "datatree/DataTreeClipboard.h"

#include <algorithm>
#include <mutex>

#include "datatree/DataStringTree.h"
#include "platform/Utf.h"
#include "platform/ole/Clipboard.h"

namespace qv {

namespace {

struct Registry {
  std::mutex lock;
  std::vector<TClipboardFormatListEntry> entries;
  CLIPFORMAT data = 0, reference = 0, html = 0, rtf = 0, rtfNoObjs = 0, csv = 0;
};

Registry& TheRegistry();

void AddEntry(Registry& r, TClipboardFormatListEntry e) {
  r.entries.push_back(std::move(e));
  std::stable_sort(r.entries.begin(), r.entries.end(),
                   [](const auto& a, const auto& b) { return a.Priority < b.Priority; });
}

CLIPFORMAT RegisterName(const std::string& name) {
  std::u16string w = Utf8ToUtf16(name);
  return CLIPFORMAT(RegisterClipboardFormatW(w.c_str()));
}

Registry& TheRegistry() {
  static Registry* r = [] {
    auto* reg = new Registry;
    auto add = [&](const std::string& name, CLIPFORMAT id, const TDTTreeClass& cls, uint32_t prio) {
      TClipboardFormatListEntry e;
      e.FormatName = name;
      e.RendererClass = &cls;
      e.Priority = prio;
      e.FormatDescriptor.cfFormat = id;
      AddEntry(*reg, e);
      return id;
    };
    reg->data = add("Data Tree Data", RegisterName("Data Tree Data"), BaseDataTreeClass(), 50);
    reg->html = add("HTML Format", RegisterName("HTML Format"), StringTreeClass(), 80);
    reg->rtfNoObjs = add("Rich Text Format Without Objects", RegisterName("Rich Text Format Without Objects"),
                         StringTreeClass(), 84);
    reg->rtf = add("Rich Text Format", RegisterName("Rich Text Format"), StringTreeClass(), 85);
    reg->csv = add("CSV", RegisterName("CSV"), StringTreeClass(), 90);
    add("Unicode text", CF_UNICODETEXT, StringTreeClass(), 95);
    add("Plain text", CF_TEXT, StringTreeClass(), 100);
    reg->reference = RegisterName("Data Tree Reference");
    return reg;
  }();
  return *r;
}

}  // namespace

const TDTTreeClass& BaseDataTreeClass() {
  static const TDTTreeClass c{"TBaseDataTree", [](const TBaseDataTree* t) { return t != nullptr; }, 0};
  return c;
}

const TDTTreeClass& StringTreeClass() {
  static const TDTTreeClass c{
      "TCustomDataStringTree",
      [](const TBaseDataTree* t) { return dynamic_cast<const TCustomDataStringTree*>(t) != nullptr; }, 1};
  return c;
}

std::string StandardFormatName(CLIPFORMAT Id) {
  static const char* const names[] = {"",
                                      "Plain text",
                                      "Windows bitmap",
                                      "Windows metafile",
                                      "Symbolic link",
                                      "Data interchange format",
                                      "Tiff image",
                                      "OEM text",
                                      "DIB image",
                                      "Palette data",
                                      "Pen data",
                                      "Riff audio data",
                                      "Wav audio data",
                                      "Unicode text",
                                      "Enhanced metafile image",
                                      "File name(s)",
                                      "Locale descriptor"};
  return Id < 17 ? names[Id] : "";
}

CLIPFORMAT CF_DATATREEDATA() {
  return TheRegistry().data;
}
CLIPFORMAT CF_DATATREEREFERENCE() {
  return TheRegistry().reference;
}
CLIPFORMAT CF_HTML() {
  return TheRegistry().html;
}
CLIPFORMAT CF_RTF() {
  return TheRegistry().rtf;
}
CLIPFORMAT CF_RTFNOOBJS() {
  return TheRegistry().rtfNoObjs;
}
CLIPFORMAT CF_CSV() {
  return TheRegistry().csv;
}

CLIPFORMAT RegisterDTClipboardFormat(const std::string& Name, const TDTTreeClass& TreeClass,
                                     uint32_t Priority, DWORD tymed, DVTARGETDEVICE* ptd, DWORD dwAspect,
                                     LONG lindex) {
  Registry& r = TheRegistry();
  TClipboardFormatListEntry e;
  e.FormatName = Name;
  e.RendererClass = &TreeClass;
  e.Priority = Priority;
  e.FormatDescriptor = FORMATETC{RegisterName(Name), ptd, dwAspect, lindex, tymed};
  std::lock_guard<std::mutex> g(r.lock);
  CLIPFORMAT id = e.FormatDescriptor.cfFormat;
  AddEntry(r, std::move(e));
  return id;
}

CLIPFORMAT RegisterDTClipboardFormatId(CLIPFORMAT Id, const TDTTreeClass& TreeClass, uint32_t Priority) {
  std::string name;
  if (Id < 17) {
    name = StandardFormatName(Id);
  } else {
    char16_t buffer[2049] = {};
    int n = GetClipboardFormatNameW(Id, buffer, 2049);
    name = Utf16ToUtf8(std::u16string(buffer, size_t(std::max(n, 0))));
  }
  if (name.empty()) return 0;
  Registry& r = TheRegistry();
  TClipboardFormatListEntry e;
  e.FormatName = name;
  e.RendererClass = &TreeClass;
  e.Priority = Priority;
  e.FormatDescriptor.cfFormat = Id;
  std::lock_guard<std::mutex> g(r.lock);
  AddEntry(r, std::move(e));
  return Id;
}

void ListFormatsForTree(const TBaseDataTree* Tree, std::vector<FORMATETC>& Formats,
                        const TStrings* AllowedFormats) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> g(r.lock);
  Formats.clear();
  for (const auto& e : r.entries) {
    if (!e.RendererClass->IsA(Tree)) continue;
    if (AllowedFormats && AllowedFormats->IndexOf(e.FormatName) < 0) continue;
    Formats.push_back(e.FormatDescriptor);
  }
}

const TDTTreeClass* LookupFormat(const std::string& Name, CLIPFORMAT& Id) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> g(r.lock);
  auto lower = [](std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  std::string wanted = lower(Name);
  for (auto it = r.entries.rbegin(); it != r.entries.rend(); ++it)
    if (lower(it->FormatName) == wanted) {
      Id = it->FormatDescriptor.cfFormat;
      return it->RendererClass;
    }
  return nullptr;
}

bool SameFormatEtc(const FORMATETC& a, const FORMATETC& b) {
  return a.cfFormat == b.cfFormat && a.ptd == b.ptd && a.dwAspect == b.dwAspect && a.lindex == b.lindex &&
         (a.tymed & b.tymed) != 0;
}

TClipboardFormats::TClipboardFormats(TBaseDataTree* AOwner) : owner_(AOwner) {
  SetSorted(true);
  Duplicates = dupIgnore;
}

bool TClipboardFormats::Accepts(const std::string& S) const {
  CLIPFORMAT id = 0;
  const TDTTreeClass* cls = LookupFormat(S, id);
  return cls && cls->IsA(owner_);
}

int TClipboardFormats::Add(const std::string& S) {
  if (!Accepts(S)) return -1;
  return TStringList::Add(S);
}

void TClipboardFormats::Insert(int Index, const std::string& S) {
  // The list is sorted: the entry goes to its place.
  (void)Index;
  if (Accepts(S)) TStringList::Add(S);
}

}  // namespace qv
