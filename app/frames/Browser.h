// TBrowser: the browser page. The categories with their discs on the left,
// the folder tree of the browsed disc in the middle and the rows of the
// selected folder on the right, with a ".." row to go up.
#pragma once
#include <memory>
#include <string>

#include "app/frames/FileTree.h"
#include "catalogue/FileData.h"
#include "classlib/comctrls/TreeView.h"
#include "classlib/controls/BasicAction.h"
#include "classlib/controls/Forms.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/stdctrls/Panel.h"
#include "datatree/DataStringTree.h"
#include "skin/controls/skSplitter.h"

namespace qv {

class TRowBatch;

class TBrowser : public TFrame {
 public:
  // A row of the file list. The ".." row shows the folder it goes up from.
  struct TRow {
    TFileData* FileData = nullptr;
    std::u16string TypeText;
    bool IsUp = false;
  };

  explicit TBrowser(TComponent* AOwner);
  ~TBrowser() override;

  // Engine operations.
  void FillDiscTree();
  // The Type column again from the engine's file-type table (after Settings).
  void FileKindsChanged();
  void Clear();
  void SelectDisc(int Index);
  // A folder tree node for a folder of the browsed disc (parent null: the root).
  TTreeNode* AddFolderNode(TTreeNode* Parent, const std::u16string& Text, TFileData* Data, int Image,
                           int SelectedImage);
  void ExpandFolderNode(TTreeNode* Node);
  void ShowFiles(TFileData* Folder);
  void ShowFolder(TFileData* Node);
  bool SelectFile(const std::string& Name);
  void BrowseDisc(int Index);
  // With null: the first selected row's node.
  void OpenInExplorer(TFileData* Node);
  bool EntrySelected();
  // The folder whose rows are shown (null when none).
  TFileData* ShownFolder() const { return shown_; }

  // The main window's action run by a double click on a file row.
  TBasicAction* FileBEOpenAction = nullptr;
  TChooseFolderEvent OnChooseFolder;

  TTreeView* DiscTree;
  TSkSplitter* skSplitter1;
  TPanel* MainPanel;
  TTreeView* FolderTree;
  TSkSplitter* skSplitter2;
  TDataStringTree* FileView;
  TImageList* Images;

  // Event handlers.
  void DiscTreeDblClick(TObject* Sender);
  void DiscTreeExpanded(TObject* Sender, TTreeNode* Node);
  void DiscTreeCollapsed(TObject* Sender, TTreeNode* Node);
  void FolderTreeCollapsing(TObject* Sender, TTreeNode* Node, bool& AllowCollapse);
  void FolderTreeExpanded(TObject* Sender, TTreeNode* Node);
  void FolderTreeChange(TObject* Sender, TTreeNode* Node);
  void FileViewInitNode(TBaseDataTree* Sender, PDataNode ParentNode, PDataNode Node,
                        TDataNodeInitStates& InitialStates);
  void FileViewGetText(TBaseDataTree* Sender, PDataNode Node, TColumnIndex Column, TVSTTextType TextType,
                       std::u16string& CellText);
  void FileViewGetImageIndex(TBaseDataTree* Sender, PDataNode Node, TDTImageKind Kind, TColumnIndex Column,
                             bool& Ghosted, int& ImageIndex);
  void FileViewCompareNodes(TBaseDataTree* Sender, PDataNode Node1, PDataNode Node2, TColumnIndex Column,
                            int& Result);
  void FileViewHeaderClick(TDTHeader* Sender, TColumnIndex Column, TMouseButton Button, TShiftState Shift,
                           int X, int Y);
  void FileViewDblClick(TObject* Sender);
  void FileViewKeyPress(TObject* Sender, char16_t& Key);

 private:
  TRow* RowOfNode(PDataNode Node);
  void Activate(PDataNode Node, bool ByEnter);

  const std::u16string& TypeOf(TRow* row);

  TFileData* shown_ = nullptr;  // the folder whose rows FileView holds
  std::unique_ptr<TRowBatch> folderBatch_;
};

extern TBrowser* Browser;

}  // namespace qv
