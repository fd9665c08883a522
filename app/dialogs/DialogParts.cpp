// The dialogs' shared pieces: folder-tree settings, folder selection through
// hidden folders, and compiled-in pictures.
#include "app/dialogs/DialogParts.h"

#include "classlib/controls/Screen.h"
#include "classlib/graphics/Bitmap.h"
#include "platform/image/Resources.h"
#include "platform/image/SurfaceScale.h"

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

// A folder path as the tree gives it back: no closing "/" but for the root.
std::string PathText(const std::string& Path) {
  std::string text = Path;
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

}  // namespace

void SetUpFolderTree(TSkShellTreeView* Tree) {
  Tree->SkinData()->SetSkinSection("EDIT");
  Tree->SetObjectTypes(TSkShellObjectTypes{otFolders});
  Tree->SetUseShellImages(true);
  Tree->SetShowExt(seSystem);
  Tree->RightClickSelect = true;
  Tree->SetHideSelection(false);
  Tree->SetIndent(MulDiv(19, Screen ? Screen->PixelsPerInch() : 96, 96));  // the design's, on this screen
  Tree->SetRoot("rfMyComputer");
}

void SelectFolder(TSkShellTreeView* Tree, const std::string& Path) {
  if (PassesHiddenFolder(Path) && !Tree->ObjectTypes().Contains(otHidden))
    Tree->SetObjectTypes(Tree->ObjectTypes() + TSkShellObjectTypes{otHidden});
  // The tree lists folders once its window exists.
  Tree->HandleNeeded();
  Tree->SetPath(Path);
  const std::string target = PathText(Path);
  if (Tree->GetPath() == target) return;
  // A folder made since its parent was read in is not in the tree yet: walk
  // down from the root, re-reading the parent of the first folder missing.
  std::string reached = "/";
  for (std::size_t at = 1; at <= target.size(); ++at) {
    if (at < target.size() && target[at] != '/') continue;
    const std::string step = target.substr(0, at);
    Tree->SetPath(step);
    if (Tree->GetPath() != step) {
      Tree->SetPath(reached);
      if (TTreeNode* parent = Tree->Selected()) Tree->RefreshNode(parent);
      Tree->SetPath(step);
    }
    reached = step;
  }
}

bool LoadPictureInto(TImage* Image, const char* Name) {
  Surface pixels;
  bool alpha = false;
  if (!LoadResourceSurface(Name, pixels, &alpha)) return false;
  // Drawn for 96 dpi: as much larger on a denser screen as the dialog is.
  const int ppi = Screen ? Screen->PixelsPerInch() : 96;
  if (ppi != 96) pixels = ScaleSurface(pixels, MulDiv(pixels.Width, ppi, 96), MulDiv(pixels.Height, ppi, 96));
  TBitmap bitmap;
  bitmap.FromSurface(pixels, alpha);
  Image->Picture()->SetGraphic(&bitmap);
  return true;
}

}  // namespace qv
