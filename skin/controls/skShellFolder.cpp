// Folder objects, display names, icons and the item-id list helpers of the
// shell controls.
#include "skin/controls/skShellFolder.h"

#include <sys/stat.h>

#include "classlib/SysUtils.h"
#include "platform/Exception.h"
#include "platform/Utf.h"
#include "platform/shell/ShellItems.h"
#include "platform/shell/SystemIcons.h"

namespace qv {

DWORD EnumFlagsOf(TSkShellObjectTypes Types) {
  DWORD flags = 0;
  if (Types.Contains(otFolders)) flags |= SHCONTF_FOLDERS;
  if (Types.Contains(otNonFolders)) flags |= SHCONTF_NONFOLDERS;
  if (Types.Contains(otHidden)) flags |= SHCONTF_INCLUDEHIDDEN;
  return flags;
}

IShellFolder* DesktopShellFolder() {
  static ComPtr<IShellFolder> desktop = [] {
    ComPtr<IShellFolder> f;
    SHGetDesktopFolder(f.Put());
    return f;
  }();
  return desktop.Get();
}

TSkShellFolder* DesktopFolder() {
  static TSkShellFolder desktop(nullptr, nullptr, DesktopShellFolder());
  return &desktop;
}

std::vector<IdListPtr> AncestorIdLists(LPCITEMIDLIST Id) {
  std::vector<IdListPtr> out;
  const unsigned n = ILGetCount(Id);
  IdListPtr work(ILClone(Id));
  std::vector<IdListPtr> reversed;
  for (unsigned i = 0; i < n && work; ++i) {
    ILRemoveLastID(work.Get());
    reversed.emplace_back(ILClone(work.Get()));
  }
  for (auto it = reversed.rbegin(); it != reversed.rend(); ++it) out.push_back(std::move(*it));
  return out;
}

bool SameIdList(LPCITEMIDLIST A, LPCITEMIDLIST B) {
  return DesktopShellFolder()->CompareIDs(0, A, B) == S_OK;
}

namespace {

// A list to hand to the shell: the empty list for null.
LPCITEMIDLIST OrEmpty(LPCITEMIDLIST Id) {
  static const uint16_t empty = 0;
  return Id ? Id : reinterpret_cast<LPCITEMIDLIST>(&empty);
}

std::string RawDisplayName(IShellFolder* Folder, LPCITEMIDLIST Id, DWORD Flags) {
  STRRET sr;
  if (FAILED(Folder->GetDisplayNameOf(OrEmpty(Id), Flags, &sr))) return {};
  return StrRetToString(sr, Id);
}

// "?1?2" style names (a question mark then a digit) lose every question mark.
void DropQuestionMarks(std::string& S) {
  if (S.size() > 1 && S[0] == '?' && S[1] >= '0' && S[1] <= '9') std::erase(S, '?');
}

// The extension of a name: from its last dot, but a leading dot starts no extension.
std::string ExtensionOf(const std::string& S) {
  const size_t slash = S.find_last_of('/');
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = S.find_last_of('.');
  if (dot == std::string::npos || dot <= base) return {};
  return S.substr(dot);
}

bool IsExistingFile(const std::string& Path) {
  struct stat st {};
  return !Path.empty() && ::stat(Path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string ShellDisplayName(IShellFolder* ParentFolder, LPCITEMIDLIST Id, DWORD Flags,
                             TSkShowExtension ShowExt) {
  if (!ParentFolder) return "parentfolder = nil";
  std::string name = RawDisplayName(ParentFolder, Id, Flags);
  DropQuestionMarks(name);
  if (ShowExt != seSystem) {
    const std::string ext = ExtensionOf(name);
    const std::string parsing = RawDisplayName(ParentFolder, Id, SHGDN_FORPARSING);
    if (IsExistingFile(parsing)) {
      const std::string fileExt = ExtensionOf(parsing);
      if (ShowExt == seShow && ext != fileExt)
        name += fileExt;
      else if (ShowExt == seHide && !ext.empty())
        name.resize(name.size() - ext.size());
    }
  }
  // A virtual item's parsing name says nothing to a user: its plain name, once.
  if (name.starts_with("::{") && Flags != SHGDN_NORMAL)
    return ShellDisplayName(ParentFolder, Id, SHGDN_NORMAL, ShowExt);
  return name;
}

int ShellIconIndexOf(LPCITEMIDLIST AbsoluteId, bool Large, bool Open) {
  SHFILEINFOW info;
  UINT flags = SHGFI_SYSICONINDEX | (Open ? SHGFI_OPENICON : 0) | (Large ? 0 : SHGFI_SMALLICON);
  SHGetFileInfo(OrEmpty(AbsoluteId), 0, &info, sizeof(info), flags);
  return info.iIcon;
}

void ShellIconIndexes(LPCITEMIDLIST AbsoluteId, int& Closed, int& Open) {
  ShellFacts facts;
  LPCITEMIDLIST id = OrEmpty(AbsoluteId);
  // The icons need only the type and name: the path of every level is not joined.
  // ResolveShellList decodes and checks every item of the list.
  if (ResolveShellList(ShellPlace::Desktop, "", id, facts, false)) {
    Closed = ShellIconOf(facts, false);
    Open = ShellIconOf(facts, true);
  } else {
    Closed = Open = ShellIconIndexOf(AbsoluteId, false, false);
  }
}

ComPtr<IShellFolder> BindShellFolder(IShellFolder* Parent, LPCITEMIDLIST Id, HWND Window) {
  ComPtr<IShellFolder> f;
  if (Parent) {
    LPCITEMIDLIST items[] = {OrEmpty(Id)};
    if (FAILED(Parent->BindToObject(OrEmpty(Id), nullptr, IID_IShellFolder,
                                    reinterpret_cast<void**>(f.Put()))) &&
        FAILED(Parent->GetUIObjectOf(Window, 1, items, IID_IShellFolder, nullptr,
                                     reinterpret_cast<void**>(f.Put()))) &&
        FAILED(Parent->CreateViewObject(Window, IID_IShellFolder, reinterpret_cast<void**>(f.Put()))))
      f.Reset();
  }
  if (!f)
    DesktopShellFolder()->BindToObject(OrEmpty(Id), nullptr, IID_IShellFolder,
                                       reinterpret_cast<void**>(f.Put()));
  return f;
}

TSkShellFolder::TSkShellFolder(TSkShellFolder* AParent, LPCITEMIDLIST Id, IShellFolder* Folder)
    : relativeId_(ILClone(OrEmpty(Id))), parent_(AParent), shellFolder_(Folder) {
  if (AParent) {
    absoluteId_.Reset(ILCombine(AParent->AbsoluteId(), relativeId_.Get()));
    for (TSkShellFolder* p = AParent; p->parent_; p = p->parent_) ++level_;
  } else {
    absoluteId_.Reset(ILClone(relativeId_.Get()));
  }
}

TSkShellFolder::~TSkShellFolder() = default;

IShellFolder* TSkShellFolder::ParentShellFolder() const {
  return parent_ ? parent_->ShellFolder() : DesktopShellFolder();
}

std::string TSkShellFolder::DisplayName(TSkShowExtension ShowExt) const {
  return ShellDisplayName(ParentShellFolder(), RelativeId(), SHGDN_INFOLDER, ShowExt);
}

std::string TSkShellFolder::ParsingPath() const {
  return ShellDisplayName(DesktopShellFolder(), AbsoluteId(), SHGDN_FORPARSING, seSystem);
}

uint32_t TSkShellFolder::Attributes(uint32_t Mask) const {
  IShellFolder* pf = ParentShellFolder();
  if (!pf) return 0;
  LPCITEMIDLIST items[] = {RelativeId()};
  uint32_t attrs = Mask;
  if (FAILED(pf->GetAttributesOf(1, items, &attrs))) return 0;
  return attrs;
}

bool TSkShellFolder::IsFolder(const std::string& Name, bool OpenZip) const {
  if (!OpenZip && !Name.empty() && LowerCase(ExtensionOf(Name)) == ".zip") return false;
  return Attributes(SFGAO_FOLDER) & SFGAO_FOLDER;
}

bool TSkShellFolder::HasSubFolders() const {
  return Attributes(SFGAO_HASSUBFOLDER) & SFGAO_HASSUBFOLDER;
}

TSkCapabilities TSkShellFolder::Capabilities() const {
  const uint32_t a = Attributes(0x177);
  static constexpr uint32_t kBits[] = {SFGAO_CANCOPY,   SFGAO_CANDELETE,  SFGAO_CANLINK,     SFGAO_CANMOVE,
                                       SFGAO_CANRENAME, SFGAO_DROPTARGET, SFGAO_HASPROPSHEET};
  TSkCapabilities out;
  for (int i = 0; i < 7; ++i)
    if (a & kBits[i]) out.Include(TSkCapability(i));
  return out;
}

TSkProperties TSkShellFolder::Properties() const {
  if (!ParentShellFolder()) return {};
  const uint32_t a = Attributes(0xF0000), b = Attributes(0);
  static constexpr uint32_t kFirst[] = {SFGAO_HIDDEN, SFGAO_LINK, SFGAO_READONLY, SFGAO_SHARE};
  static constexpr uint32_t kSecond[] = {SFGAO_FILESYSTEM, SFGAO_FILESYSANCESTOR, SFGAO_REMOVABLE,
                                         SFGAO_VALIDATE};
  TSkProperties out;
  for (int i = 0; i < 4; ++i) {
    if (a & kFirst[i]) out.Include(TSkProperty(i));
    if (b & kSecond[i]) out.Include(TSkProperty(i + 4));
  }
  return out;
}

int TSkShellFolder::ImageIndex(bool Large) const {
  return ShellIconIndexOf(AbsoluteId(), Large, false);
}

bool TSkShellFolder::Rename(const std::string& NewName) {
  if (!Capabilities().Contains(caRename)) return false;
  IShellFolder* pf = ParentShellFolder();
  IdListPtr fresh;
  const auto wide = Utf8ToUtf16(NewName);
  if (!pf || FAILED(pf->SetNameOf(nullptr, RelativeId(), wide.c_str(), SHGDN_NORMAL, fresh.Put())) || !fresh)
    throw Exception("Rename to " + NewName + " failed");
  relativeId_ = std::move(fresh);
  absoluteId_.Reset(parent_ ? ILCombine(parent_->AbsoluteId(), relativeId_.Get())
                            : ILClone(relativeId_.Get()));
  return true;
}

}  // namespace qv
