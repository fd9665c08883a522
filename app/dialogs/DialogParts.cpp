// The dialogs' shared pieces: folder-tree settings, folder selection through
// hidden folders, and compiled-in pictures.
#include "app/dialogs/DialogParts.h"

#include "classlib/graphics/Bitmap.h"
#include "platform/image/Resources.h"

namespace qv {

namespace {

// True when some folder name of Path begins with ".".
bool PassesHiddenFolder(const std::string& Path) {
  for (std::size_t i = Path.find("/."); i != std::string::npos; i = Path.find("/.", i + 1)) {
    const std::size_t end = Path.find('/', i + 1);
    const std::string name = Path.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
    if (name != "." && name != "..") return true;
  }
  return false;
}

}  // namespace

void SetUpFolderTree(TSkShellTreeView* Tree) {
  Tree->SkinData()->SetSkinSection("EDIT");
  Tree->SetObjectTypes(TSkShellObjectTypes{otFolders});
  Tree->SetUseShellImages(true);
  Tree->SetShowExt(seSystem);
  Tree->RightClickSelect = true;
  Tree->SetHideSelection(false);
  Tree->SetIndent(19);
  Tree->SetRoot("rfMyComputer");
}

void SelectFolder(TSkShellTreeView* Tree, const std::string& Path) {
  if (PassesHiddenFolder(Path) && !Tree->ObjectTypes().Contains(otHidden))
    Tree->SetObjectTypes(Tree->ObjectTypes() + TSkShellObjectTypes{otHidden});
  Tree->SetPath(Path);
}

bool LoadPictureInto(TImage* Image, const char* Name) {
  Surface pixels;
  bool alpha = false;
  if (!LoadResourceSurface(Name, pixels, &alpha)) return false;
  TBitmap bitmap;
  bitmap.FromSurface(pixels, alpha);
  Image->Picture()->SetGraphic(&bitmap);
  return true;
}

}  // namespace qv
