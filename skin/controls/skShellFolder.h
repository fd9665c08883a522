// The shell controls' folder objects: one per tree node, holding the item's
// relative and absolute item-id lists and its folder interface; the display
// names, icons and attributes the controls show; and the item-id list helpers.
#pragma once
#include <string>
#include <vector>

#include "classlib/Object.h"
#include "platform/Set.h"
#include "platform/shell/ShellApi.h"

namespace qv {

enum TSkShowExtension { seSystem, seShow, seHide };
enum TSkShellObjectType { otFolders, otNonFolders, otHidden };
using TSkShellObjectTypes = Set<TSkShellObjectType>;
DWORD EnumFlagsOf(TSkShellObjectTypes Types);

enum TSkCapability { caCopy, caDelete, caLink, caMove, caRename, caDropTarget, caPropSheet };
using TSkCapabilities = Set<TSkCapability>;
enum TSkProperty { prHidden, prLink, prReadOnly, prShared, prFileSys, prFileSysAnc, prRemovable, prValidate };
using TSkProperties = Set<TSkProperty>;

// Item-id lists beyond the platform's own: the ancestors of an absolute list
// (desktop first, the list itself not included) and list equality as the
// desktop sees it.
std::vector<IdListPtr> AncestorIdLists(LPCITEMIDLIST Id);
bool SameIdList(LPCITEMIDLIST A, LPCITEMIDLIST B);

class TSkShellFolder : public TObject {
 public:
  // Takes its own copy of Id (relative to Parent, or to the desktop when
  // Parent is null).
  TSkShellFolder(TSkShellFolder* AParent, LPCITEMIDLIST Id, IShellFolder* Folder);
  ~TSkShellFolder() override;

  LPCITEMIDLIST RelativeId() const { return relativeId_.Get(); }
  LPCITEMIDLIST AbsoluteId() const { return absoluteId_.Get(); }
  TSkShellFolder* Parent() const { return parent_; }
  IShellFolder* ShellFolder() const { return shellFolder_.Get(); }
  int Level() const { return level_; }

  IShellFolder* ParentShellFolder() const;
  std::string DisplayName(TSkShowExtension ShowExt) const;
  std::string ParsingPath() const;
  bool IsFolder(const std::string& Name = "", bool OpenZip = true) const;
  bool HasSubFolders() const;
  TSkCapabilities Capabilities() const;
  TSkProperties Properties() const;
  int ImageIndex(bool Large) const;
  // Renames the item without replacing an existing one; false when renaming
  // is not allowed; throws "Rename to %s failed" when the shell refuses.
  bool Rename(const std::string& NewName);
  // The detail texts of the list view's report columns 1 .. ColumnCount, read
  // when fewer are loaded; throws "Unable to retrieve folder details for ..."
  // when the item cannot be read.
  void LoadColumnDetails(TSkShellFolder* RootFolder, HWND Window, int ColumnCount);
  // Detail text of column Index (1 = the first after the name); "" past the
  // loaded ones; throws "%s: Missing call to LoadColumnDetails" before loading.
  std::string Details(int Index) const;
  bool DetailsLoaded() const { return detailsLoaded_; }

 private:
  uint32_t Attributes(uint32_t Mask) const;
  IdListPtr relativeId_, absoluteId_;
  TSkShellFolder* parent_;
  ComPtr<IShellFolder> shellFolder_;
  int level_ = 0;
  std::vector<std::string> details_;
  bool detailsLoaded_ = false;
  HWND viewWindow_ = nullptr;
};

// The process-wide desktop folder object (made at first use).
TSkShellFolder* DesktopFolder();
IShellFolder* DesktopShellFolder();

// The display name of Id under ParentFolder (see TSkShowExtension).
std::string ShellDisplayName(IShellFolder* ParentFolder, LPCITEMIDLIST Id, DWORD Flags,
                             TSkShowExtension ShowExt);
// The system image list's index of an absolute list.
int ShellIconIndexOf(LPCITEMIDLIST AbsoluteId, bool Large, bool Open);
// Both indexes at once (closed and open), the list read once.
void ShellIconIndexes(LPCITEMIDLIST AbsoluteId, int& Closed, int& Open);
// The item's folder interface under Parent, else the desktop's binding; may be null.
ComPtr<IShellFolder> BindShellFolder(IShellFolder* Parent, LPCITEMIDLIST Id, HWND Window);

}  // namespace qv
