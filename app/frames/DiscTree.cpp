// The disc page: the category tree on the left (it chooses which discs the
// engine lists), the disc rows on the right with their sort and colours.
#include "app/frames/DiscTree.h"

#include "app/frames/FrameSupport.h"
#include "app/frames/FrameTexts.h"
#include "catalogue/Engine.h"
#include "catalogue/Settings.h"
#include "catalogue/TextUtils.h"
#include "classlib/graphics/Canvas.h"
#include "platform/DateTime.h"
#include "platform/Utf.h"

namespace qv {

TDiscTree* DiscTree = nullptr;

namespace {

constexpr int kWidths[8] = {128, 64, 128, 64, 64, 96, 64, 220};

void* CategoryData(int32_t index) {
  return reinterpret_cast<void*>(intptr_t(index));
}
int32_t CategoryOf(TTreeNode* node) {
  return int32_t(reinterpret_cast<intptr_t>(node->Data()));
}

}  // namespace

TDiscTree::TDiscTree(TComponent* AOwner) : TFrame(AOwner) {
  SetName("DiscTree");
  CatImages = LoadImageStrip(this, "CatImages", "categories", 4);

  CatTree = new TTreeView(this);
  CatTree->SetName("CatTree");
  CatTree->SetAlign(alLeft);
  CatTree->SetWidth(145);
  CatTree->SetParent(this);
  CatTree->SetReadOnly(true);
  CatTree->SetRowSelect(true);
  CatTree->SetHideSelection(false);
  CatTree->SetShowButtons(false);
  CatTree->SetShowRoot(false);
  CatTree->SetIndent(ForScreen(19));
  CatTree->SetImages(CatImages);
  CatTree->DoubleBuffered = true;
  CatTree->OnChange = [this](TObject* s, TTreeNode* n) { CatTreeChange(s, n); };
  CatTree->OnCollapsing = [this](TObject* s, TTreeNode* n, bool& allow) { CatTreeCollapsing(s, n, allow); };
  CatTree->OnDblClick = [this](TObject* s) { CatTreeDblClick(s); };

  skSplitter = new TSkSplitter(this);
  skSplitter->SetName("skSplitter");
  skSplitter->SetAlign(alLeft);
  skSplitter->SetLeft(CatTree->Width());
  skSplitter->SetWidth(4);
  skSplitter->SetParent(this);
  skSplitter->SkinData()->SetSkinSection("SPLITTER");

  Tree = new TDataStringTree(this);
  Tree->SetName("Tree");
  ScaleWithWindow(Tree);
  Tree->SetAlign(alClient);
  Tree->SetParent(this);
  OwnRows<TDiscData>(Tree);
  SetUpListColumns(Tree, texts::discform::Columns, kWidths, 8, (1u << 3) | (1u << 4), 0, sdDescending);
  FitDateColumns(Tree, 5, 6);
  Tree->TreeOptions()->SetPaintOptions(TDTPaintOptions{toHideFocusRect, toShowButtons, toShowDropmark,
                                                       toShowTreeLines, toThemeAware, toUseBlendedImages});
  Tree->OnGetText = [this](TBaseDataTree* s, PDataNode n, TColumnIndex c, TVSTTextType t,
                           std::u16string& text) { TreeGetText(s, n, c, t, text); };
  Tree->OnBeforeItemErase = [this](TBaseDataTree* s, TCanvas* cv, PDataNode n, RECT r, TColor& color,
                                   TItemEraseAction& action) {
    TreeBeforeItemErase(s, cv, n, r, color, action);
  };
  Tree->OnPaintText = [this](TBaseDataTree* s, TCanvas* cv, PDataNode n, TColumnIndex c, TVSTTextType t) {
    TreePaintText(s, cv, n, c, t);
  };
  Tree->OnCompareNodes = [this](TBaseDataTree* s, PDataNode a, PDataNode b, TColumnIndex c, int& result) {
    TreeCompareNodes(s, a, b, c, result);
  };
  Tree->OnHeaderClick = [this](TDTHeader* h, TColumnIndex c, TMouseButton b, TShiftState sh, int x, int y) {
    TreeHeaderClick(h, c, b, sh, x, y);
  };
  Tree->OnDblClick = [this](TObject* s) { TreeDblClick(s); };
  batch_ = std::make_unique<TRowBatch>(Tree);

  if (Storage) {
    Storage->Open(texts::discform::Section, false);
    // The window scales the list's width as it is made: read at the design's density.
    CatTree->SetWidth(ReadKeptLength(*Storage, texts::discform::CatWidthKey, CatTree->Width(), kDesignPpi));
    ReadColumnWidths(*Storage, Tree->Header());
    Storage->Close();
  }
}

TDiscTree::~TDiscTree() {
  batch_.reset();
  // The trees outlive this body: nothing of theirs may call back into it.
  CatTree->OnChange = nullptr;
  CatTree->OnCollapsing = nullptr;
  if (Storage) {
    Storage->Open(texts::discform::Section, true);
    Storage->WriteInteger(texts::discform::CatWidthKey, CatTree->Width());
    WriteColumnWidths(*Storage, Tree->Header());
    Storage->Close();
  }
  // Its views go while it is whole: a copy of their rows still on the
  // clipboard is rendered through its events as they go.
  Destroying();
  DestroyComponents();
  if (DiscTree == this) DiscTree = nullptr;
}

void TDiscTree::Clear() {
  batch_->Adding();
  Tree->Clear();
}

void TDiscTree::AddDisc(const TDiscData& Data) {
  batch_->Adding();
  PDataNode node = Tree->AddChild(nullptr);
  if (node) MakeRow<TDiscData>(Tree, node, Data);
}

void TDiscTree::Sort() {
  batch_->Flush();
  Tree->SortTree(Tree->Header()->SortColumn(), Tree->Header()->SortDirection(), false);
}

void TDiscTree::FillCategories() {
  if (!Engine) return;
  TDiscKinds& kinds = Engine->Discs->Categories;
  filling_ = true;
  TTreeNodes* items = CatTree->Items();
  items->BeginUpdate();
  items->Clear();
  TTreeNode* root = items->AddObject(nullptr, texts::discform::AllCategories, CategoryData(-1));
  root->SetImageIndex(0);
  root->SetSelectedIndex(1);
  // With no catalogue open the list holds only its placeholder "Other": a
  // category of nothing is not shown.
  const int32_t count = Engine->IsOpen() ? kinds.Count() : 0;
  for (int32_t i = 0; i < count; ++i) {
    std::string text = Blanked(kinds.GetName(i));
    text.append(" (").append(std::to_string(kinds.GetDiscCount(i))).append(") ");
    TTreeNode* node = items->AddChildObject(root, text, CategoryData(i));
    node->SetImageIndex(2);
    node->SetSelectedIndex(3);
    if (i == kinds.Selected) CatTree->SetSelected(node);
  }
  root->Expand(false);
  if (kinds.Selected < 0) CatTree->SetSelected(root);
  CatTree->SetSortType(stNone);
  CatTree->SetSortType(stText);
  items->EndUpdate();
  filling_ = false;
}

std::u16string TDiscTree::OneLine(const std::u16string& Text) {
  std::u16string s;
  s.reserve(Text.size());
  for (char16_t c : Text) {
    if (c == u'\n') continue;
    s += (c == u'\r' || c == u'\t') ? u' ' : c;
  }
  return s;
}

TDiscData* TDiscTree::FirstSelectedDisc() {
  return RowOf<TDiscData>(Tree, Tree->GetFirstSelected());
}

void TDiscTree::DiscChanged() {
  if (PDataNode node = Tree->GetFirstSelected()) Tree->RepaintNode(node);
  Sort();
}

bool TDiscTree::SelectDiscById(int64_t id) {
  batch_->Flush();
  for (PDataNode n = Tree->GetFirstNoInit(); n; n = Tree->GetNextNoInit(n)) {
    TDiscData* d = RowOf<TDiscData>(Tree, n);
    if (d && d->ID == id) {
      Tree->ClearSelection();
      Tree->SetSelected(n, true);
      Tree->SetFocusedNode(n);
      return true;
    }
  }
  return false;
}

int TDiscTree::SelectedCategory() {
  TTreeNode* node = CatTree->Selected();
  return node ? CategoryOf(node) : -2;
}

void TDiscTree::CatTreeChange(TObject*, TTreeNode* Node) {
  // Without a database the tree may still show the categories of the one
  // just closed: their indexes mean nothing now.
  if (filling_ || !Node || !Engine || !Engine->IsOpen()) return;
  TDiscKinds& kinds = Engine->Discs->Categories;
  int32_t index = CategoryOf(Node);
  if (index == kinds.Selected) return;
  if (Engine->Busy || Engine->Discs->Browsing) {
    // A refill now would pull the views from under the running operation:
    // the choice goes back to the category still in force.
    for (TTreeNode* n = CatTree->Items()->GetFirstNode(); n; n = n->GetNext())
      if (CategoryOf(n) == kinds.Selected) {
        CatTree->SetSelected(n);
        break;
      }
    return;
  }
  kinds.Selected = index;
  Engine->RefreshViews(false);
}

void TDiscTree::CatTreeCollapsing(TObject*, TTreeNode*, bool& AllowCollapse) {
  AllowCollapse = false;
}

void TDiscTree::CatTreeDblClick(TObject*) {
  RunAction(CatEditAction);
}

void TDiscTree::TreeGetText(TBaseDataTree* Sender, PDataNode Node, TColumnIndex Column, TVSTTextType,
                            std::u16string& CellText) {
  CellText.clear();
  const TDiscData* d = RowOf<TDiscData>(Sender, Node);
  if (!d) return;
  switch (Column) {
    case -1:
    case 0:
      CellText = d->Label;
      break;
    case 1:
      CellText = Utf8ToUtf16(Engine ? Engine->Discs->Categories.GetName(d->Category) : "<ERROR>");
      break;
    case 2:
      CellText = d->Location;
      break;
    case 3:
      CellText = Utf8ToUtf16(IntToStrSep(' ', d->Files));
      break;
    case 4:
      CellText = Utf8ToUtf16(IntToStrSep(' ', d->Folders));
      break;
    case 5:
      CellText = Utf8ToUtf16(FormatDate(d->Added));
      break;
    case 6:
      CellText = Utf8ToUtf16(FormatTime(d->Added));
      break;
    case 7:
      CellText = OneLine(d->Description);
      break;
    default:
      break;
  }
}

void TDiscTree::TreeBeforeItemErase(TBaseDataTree* Sender, TCanvas*, PDataNode Node, RECT, TColor& ItemColor,
                                    TItemEraseAction& EraseAction) {
  // A selected row keeps the tree's own erase, which paints the selection
  // its text colour is chosen for.
  if (!RowOf<TDiscData>(Sender, Node) || Node->Has(vsSelected)) return;
  ItemColor = Node->Index % 2 == 0 ? TColor(RGB(255, 245, 230)) : TColor(RGB(255, 255, 255));
  EraseAction = eaColor;
}

void TDiscTree::TreePaintText(TBaseDataTree*, TCanvas* TargetCanvas, PDataNode, TColumnIndex Column,
                              TVSTTextType) {
  TargetCanvas->Font()->SetStyle(Column < 1 ? TFontStyles{fsBold} : TFontStyles{});
}

void TDiscTree::TreeCompareNodes(TBaseDataTree* Sender, PDataNode Node1, PDataNode Node2, TColumnIndex Column,
                                 int& Result) {
  const TDiscData* a = RowOf<TDiscData>(Sender, Node1);
  const TDiscData* b = RowOf<TDiscData>(Sender, Node2);
  Result = 0;
  if (!a || !b) return;
  // Node2 against Node1: the natural order reversed.
  switch (Column) {
    case 0:
      Result = CompareTextNoCase(b->Label, a->Label);
      break;
    case 1:
      if (Engine)
        Result = CompareTextNoCase(Utf8ToUtf16(Engine->Discs->Categories.GetName(b->Category)),
                                   Utf8ToUtf16(Engine->Discs->Categories.GetName(a->Category)));
      break;
    case 2:
      Result = CompareTextNoCase(b->Location, a->Location);
      break;
    case 3:
      Result = SignOf(b->Files - a->Files);
      break;
    case 4:
      Result = SignOf(b->Folders - a->Folders);
      break;
    case 5:
    case 6:
      Result = SignOf(b->Added - a->Added);
      break;
    case 7:
      Result = CompareTextNoCase(b->Description, a->Description);
      break;
    default:
      break;
  }
}

void TDiscTree::TreeHeaderClick(TDTHeader* Sender, TColumnIndex Column, TMouseButton Button, TShiftState, int,
                                int) {
  if (Button != mbLeft || Column < 0) return;
  ToggleSortColumn(Sender, Column);
  Sort();
}

void TDiscTree::TreeDblClick(TObject*) {
  RunAction(BrowseAction);
}

}  // namespace qv
