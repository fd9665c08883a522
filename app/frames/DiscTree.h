// TDiscTree: the disc page. On the left the categories with their disc
// counts, on the right one row per disc of the chosen category in eight
// sortable columns. The engine fills it; the main window reads its selection.
#pragma once
#include <memory>
#include <string>

#include "catalogue/DiscList.h"
#include "classlib/comctrls/TreeView.h"
#include "classlib/controls/BasicAction.h"
#include "classlib/controls/Forms.h"
#include "classlib/graphics/ImageList.h"
#include "datatree/DataStringTree.h"
#include "skin/controls/skSplitter.h"

namespace qv {

class TRowBatch;

class TDiscTree : public TFrame {
 public:
  explicit TDiscTree(TComponent* AOwner);
  ~TDiscTree() override;

  // Engine operations.
  void Clear();
  void AddDisc(const TDiscData& Data);
  void Sort();
  void FillCategories();

  // Text with line feeds dropped and carriage returns and tabs made blanks.
  static std::u16string OneLine(const std::u16string& Text);

  // The first selected disc row's data (null when none is selected); the
  // main window edits it in place and calls DiscChanged.
  TDiscData* FirstSelectedDisc();
  // Repaints the first selected row and sorts again.
  void DiscChanged();
  // Selects the row of the disc with this record ID (nothing when none).
  bool SelectDiscById(int64_t id);
  // The selected category node's index: -1 for " All Categories ", -2
  // when no node is selected.
  int SelectedCategory();

  // The main window's actions run by double clicks (when enabled).
  TBasicAction* CatEditAction = nullptr;
  TBasicAction* BrowseAction = nullptr;

  TTreeView* CatTree;
  TSkSplitter* skSplitter;
  TDataStringTree* Tree;
  TImageList* CatImages;

  // Event handlers.
  void CatTreeChange(TObject* Sender, TTreeNode* Node);
  void CatTreeCollapsing(TObject* Sender, TTreeNode* Node, bool& AllowCollapse);
  void CatTreeDblClick(TObject* Sender);
  void TreeGetText(TBaseDataTree* Sender, PDataNode Node, TColumnIndex Column, TVSTTextType TextType,
                   std::u16string& CellText);
  void TreeBeforeItemErase(TBaseDataTree* Sender, TCanvas* Canvas, PDataNode Node, RECT ItemRect,
                           TColor& ItemColor, TItemEraseAction& EraseAction);
  void TreePaintText(TBaseDataTree* Sender, TCanvas* TargetCanvas, PDataNode Node, TColumnIndex Column,
                     TVSTTextType TextType);
  void TreeCompareNodes(TBaseDataTree* Sender, PDataNode Node1, PDataNode Node2, TColumnIndex Column,
                        int& Result);
  void TreeHeaderClick(TDTHeader* Sender, TColumnIndex Column, TMouseButton Button, TShiftState Shift, int X,
                       int Y);
  void TreeDblClick(TObject* Sender);

 private:
  std::unique_ptr<TRowBatch> batch_;
  bool filling_ = false;  // the category tree is being rebuilt
};

extern TDiscTree* DiscTree;

}  // namespace qv
