// The file-type table, its defaults and its place in the settings. An
// extension belongs to a type when it is one of the words of the type's list:
// "c" is a program source, not a part of "com".
#include "catalogue/FileKinds.h"

#include <utility>

#include "catalogue/Names.h"
#include "catalogue/Settings.h"
#include "classlib/SysUtils.h"
#include "platform/Exception.h"

namespace qv {

namespace {

constexpr char kSection[] = "FILETYPES";

struct DefaultKind {
  const char* name;
  const char* exts;
  bool selected;
};

constexpr DefaultKind kDefaults[] = {
    {"Application", "exe com bat dll", true},
    {"Archive", "rar arj zip lzh cab ain uue lha tgz arc tar sqz jar gz pak", true},
    {"Picture", "gif jpg jpe psd jpeg bmp pcx png tga tif iff wmf pic djvu xpm", true},
    {"Program", "dpr dfm pas c cpp hpp asm prg java bas cls h pl", true},
    {"Video", "avi mpg mpeg asf rm mov wmv swf mpe vob 3gp", true},
    {"Audio", "mp3 mp2 ra m1v m2v mpv2 mp2v mid xm mpa asx wav wma", true},
    {"CD Image", "iso mds ccd cue bwt cdi nrg pdi", true},
    {"Document", "doc rtf ppt pps pdf wri xls mdb txt mcd tex ps m dvi", true},
    {"Web file", "css mht htm html shtml php cgi", true},
    {"Temporary", "bak tmp old chk $$$ temp ~pas ~dfm ~ddp", false},
};

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Calls f(word) for each blank-separated word of list until f returns true.
template <class F>
bool AnyWord(std::string_view list, F f) {
  std::size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && IsBlank(list[i])) ++i;
    std::size_t start = i;
    while (i < list.size() && !IsBlank(list[i])) ++i;
    if (i > start && f(list.substr(start, i - start))) return true;
  }
  return false;
}

// "F00", "F0A", "F1F": the key stem of the type at position i.
std::string KeyOf(int32_t i) {
  return "F" + IntToHex(uint64_t(i), 2);
}

std::string Quoted(const std::string& s) {
  return "\"" + s + "\"";
}

}  // namespace

std::string_view NameExt(std::string_view name) {
  std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

TFileKind::TFileKind(std::string name, const std::string& exts, bool selected)
    : Name(std::move(name)), Exts(LowerCaseName(exts)), Selected(selected) {}

void TFileKind::SetExts(const std::string& value) {
  Exts = LowerCaseName(value);
}

int32_t TFileKinds::Add(const std::string& name, const std::string& exts, bool selected) {
  items_.push_back(std::make_unique<TFileKind>(name, exts, selected));
  return Count() - 1;
}

void TFileKinds::Assign(const TFileKinds& source) {
  if (&source == this) return;
  Clear();
  for (auto& k : source.items_) Add(k->Name, k->Exts, k->Selected);
}

TFileKind& TFileKinds::GetItem(int32_t index) const {
  QV_ASSERT(index >= 0 && index < Count());
  return *items_[std::size_t(index)];
}

void TFileKinds::Delete(int32_t index) {
  QV_ASSERT(index >= 0 && index < Count());
  items_.erase(items_.begin() + index);
}

int32_t TFileKinds::IndexOf(std::string_view ext) const {
  if (ext.empty()) return -1;
  for (int32_t i = 0; i < Count(); ++i)
    if (AnyWord(items_[std::size_t(i)]->Exts, [&](std::string_view w) { return SameName(w, ext); })) return i;
  return -1;
}

bool TFileKinds::IsSelected(std::string_view ext) const {
  int32_t i = IndexOf(ext);
  return i >= 0 && items_[std::size_t(i)]->Selected;
}

std::string TFileKinds::KindName(std::string_view ext) const {
  int32_t i = IndexOf(ext);
  return i < 0 ? "File" : items_[std::size_t(i)]->Name;
}

void TFileKinds::LoadDefaults() {
  Clear();
  for (auto& d : kDefaults) Add(d.name, d.exts, d.selected);
}

bool TFileKinds::Load() {
  QV_ASSERT(Storage != nullptr);
  return Load(*Storage);
}

bool TFileKinds::Load(TStorage& storage) {
  Clear();
  storage.Open(kSection, false);
  bool result = true;
  int32_t n = storage.ReadInteger("Count", 0);
  if (n < 1) {
    if (storage.FirstRun) LoadDefaults();
  } else {
    for (int32_t i = 0; i < n; ++i) {
      std::string key = KeyOf(i);
      std::string name = storage.ReadString(key + "N", "");
      std::string exts = storage.ReadString(key + "E", "");
      if (name.empty() || exts.empty()) {
        result = false;
        break;
      }
      Add(name, exts, storage.ReadBool(key + "S", false));
    }
  }
  storage.Close();
  return result;
}

bool TFileKinds::Save() const {
  QV_ASSERT(Storage != nullptr);
  return Save(*Storage);
}

bool TFileKinds::Save(TStorage& storage) const {
  storage.Open(kSection, true);
  storage.WriteInteger("Count", Count());
  for (int32_t i = 0; i < Count(); ++i) {
    const TFileKind& k = *items_[std::size_t(i)];
    std::string key = KeyOf(i);
    // The quotes keep leading and trailing blanks; the reader strips them.
    storage.WriteString(key + "N", Quoted(k.Name));
    storage.WriteString(key + "E", Quoted(k.Exts));
    storage.WriteBool(key + "S", k.Selected);
  }
  storage.Close();
  return true;
}

TFileKindIndex::TFileKindIndex(const TFileKinds& kinds) {
  for (int32_t i = 0; i < kinds.Count(); ++i) {
    const TFileKind& k = kinds.GetItem(i);
    selected_.push_back(k.Selected);
    // The first type that lists an extension wins, as in TFileKinds::IndexOf.
    AnyWord(k.Exts, [&](std::string_view w) {
      byExt_.emplace(FoldName(w), i);
      return false;
    });
  }
}

int32_t TFileKindIndex::IndexOf(std::string_view ext) const {
  if (ext.empty() || byExt_.empty()) return -1;
  auto it = byExt_.find(FoldName(ext));
  return it == byExt_.end() ? -1 : it->second;
}

bool TFileKindIndex::IsSelected(std::string_view ext) const {
  int32_t i = IndexOf(ext);
  return i >= 0 && selected_[std::size_t(i)];
}

}  // namespace qv
