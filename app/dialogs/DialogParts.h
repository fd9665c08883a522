// Pieces the program's dialogs share: the settings of their folder trees,
// choosing a folder in such a tree, and loading a compiled-in picture.
#pragma once
#include <string>

#include "classlib/stdctrls/Image.h"
#include "skin/controls/skShellTreeView.h"

namespace qv {

// The settings every folder tree of the dialogs shares: folders only, rooted
// at the computer, shell images, right-click selects, selection kept visible.
void SetUpFolderTree(TSkShellTreeView* Tree);
// Selects Path in Tree. A folder below a hidden one (the catalogue folder
// lies under ~/.local/share by default) makes the tree show hidden folders,
// since it could not be reached otherwise.
void SelectFolder(TSkShellTreeView* Tree, const std::string& Path);
// Puts the compiled-in drawing Name into Image, at the screen's density;
// false when there is none.
bool LoadPictureInto(TImage* Image, const char* Name);

}  // namespace qv
