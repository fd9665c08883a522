// The search page's result tree: a group row per matching name with the
// entries under it, their colours, the reversed-natural sort, and opening an
// entry's folder in the file manager.
#include "app/frames/FileTree.h"

#include "app/frames/Console.h"
#include "app/frames/FrameSupport.h"
#include "app/frames/FrameTexts.h"
#include "catalogue/Settings.h"
#include "catalogue/TextUtils.h"
#include "classlib/graphics/Canvas.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "platform/Utf.h"

namespace qv {

TFileTree* FileTree = nullptr;

namespace {

constexpr int kWidths[6] = {330, 64, 96, 64, 128, 128};

bool IsGroup(const TNodeData& d) {
  return d.Kind == nkFileGroup || d.Kind == nkFolderGroup;
}

std::string StoredName(const TNodeData& d) {
  return d.StoredName.empty() ? Utf16ToUtf8(d.Name) : d.StoredName;
}
std::string StoredPath(const TNodeData& d) {
  return d.StoredPath.empty() ? Utf16ToUtf8(d.Path) : d.StoredPath;
}

}  // namespace

TFileTree::TFileTree(TComponent* AOwner) : TFrame(AOwner) {
  SetName("FileTree");
  BuildPanel();
  BuildTree();
  if (Storage) {
    Storage->Open(texts::fileform::Section, false);
    ReadColumnWidths(*Storage, Tree->Header());
    Storage->Close();
  }
}

TFileTree::~TFileTree() {
  batch_.reset();
  CatsCombo->OnChange = nullptr;
  if (Storage) {
    Storage->Open(texts::fileform::Section, true);
    WriteColumnWidths(*Storage, Tree->Header());
    Storage->Close();
  }
  if (FileTree == this) FileTree = nullptr;
}

void TFileTree::BuildTree() {
  Tree = new TDataStringTree(this);
  Tree->SetName("Tree");
  Tree->SetAlign(alClient);
  Tree->SetParent(this);
  Tree->SetTabStop(false);
  OwnRows<TNodeData>(Tree);
  TDTHeader* header = Tree->Header();
  header->SetHeight(19);
  header->SetStyle(hsFlatButtons);
  for (int i = 0; i < 6; ++i) {
    TDataTreeColumn* c = header->Columns()->Add();
    c->SetText(texts::fileform::Columns[i]);
    c->SetWidth(kWidths[i]);
    if (i == 1) c->SetAlignment(taRightJustify);
  }
  header->SetOptions(TDTHeaderOptions{hoColumnResize, hoDrag, hoHotTrack, hoShowSortGlyphs, hoVisible});
  header->SetSortColumn(3);
  header->SetSortDirection(sdAscending);
  auto* options = Tree->TreeOptions();
  options->SetPaintOptions(TDTPaintOptions{toHideFocusRect, toShowButtons, toShowRoot, toShowDropmark,
                                           toThemeAware, toUseBlendedImages});
  options->SetSelectionOptions(TDTSelectionOptions{toFullRowSelect});
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
}

PDataNode TFileTree::AddNode(const TNodeData& Data, PDataNode Parent) {
  QV_ASSERT(Parent || IsGroup(Data));
  batch_->Adding();
  PDataNode node = Tree->AddChild(Parent);
  if (node) MakeRow<TNodeData>(Tree, node, Data);
  return node;
}

void TFileTree::Expand(PDataNode Node) {
  if (Node) Tree->SetExpanded(Node, true);
}

void TFileTree::Clear() {
  batch_->Flush();
  Tree->Clear();
}

void TFileTree::Sort() {
  batch_->Flush();
  Tree->SortTree(Tree->Header()->SortColumn(), Tree->Header()->SortDirection(), false);
}

bool TFileTree::EntrySelected() {
  PDataNode node = Tree->GetFirstSelected();
  return node && node->Parent && node->Parent != Tree->RootNode();
}

bool TFileTree::SelectedEntry(TNodeData& Entry, std::string& Name) {
  if (!EntrySelected()) return false;
  PDataNode node = Tree->GetFirstSelected();
  const TNodeData* entry = RowOf<TNodeData>(Tree, node);
  const TNodeData* group = RowOf<TNodeData>(Tree, node->Parent);
  if (!entry || !group) return false;
  Entry = *entry;
  Name = StoredName(*group);
  return true;
}

void TFileTree::OpenInExplorer() {
  TNodeData entry;
  std::string name;
  if (!SelectedEntry(entry, name)) return;
  std::string prompt = ExplorePrompt(Utf16ToUtf8(entry.Disc), Utf16ToUtf8(entry.Location), false);
  std::string chosen;
  if (!OnChooseFolder || !OnChooseFolder(prompt, chosen)) return;
  std::string folder = JoinStoredPath(chosen, StoredPath(entry));
  std::string target = folder + name;
  if (entry.Kind == nkFolder) {
    // A folder entry is a folder on the disc: it opens itself.
    if (!DirectoryExists(target)) {
      if (Console) Console->AddError(NotFoundText(true, target));
      return;
    }
    ExploreFolder(target);
    return;
  }
  if (!FileExists(target)) {
    if (Console) Console->AddError(NotFoundText(false, target));
    return;
  }
  ExploreFolder(folder);
}

void TFileTree::TreeGetText(TBaseDataTree* Sender, PDataNode Node, TColumnIndex Column, TVSTTextType,
                            std::u16string& CellText) {
  CellText.clear();
  const TNodeData* d = RowOf<TNodeData>(Sender, Node);
  if (!d) return;
  if (IsGroup(*d)) {
    if (Column < 1) CellText = d->Name;
    return;
  }
  switch (Column) {
    case -1:
    case 0:
      CellText = d->Path;
      break;
    case 1:
      if (d->Kind == nkFile) CellText = Utf8ToUtf16(IntToStrSep(' ', d->Size));
      break;
    case 2:
      CellText = Utf8ToUtf16(FormatDate(d->Date));
      break;
    case 3:
      CellText = Utf8ToUtf16(FormatTime(d->Date));
      break;
    case 4:
      CellText = d->Disc;
      break;
    case 5:
      CellText = d->Location;
      break;
    default:
      break;
  }
}

void TFileTree::TreeBeforeItemErase(TBaseDataTree* Sender, TCanvas*, PDataNode Node, RECT, TColor& ItemColor,
                                    TItemEraseAction& EraseAction) {
  const TNodeData* d = RowOf<TNodeData>(Sender, Node);
  if (!d) return;
  if (d->Kind == nkFileGroup)
    ItemColor = TColor(RGB(210, 230, 255));
  else if (d->Kind == nkFolderGroup)
    ItemColor = TColor(RGB(255, 230, 210));
  else
    ItemColor = TColor(RGB(230, 255, 210));
  EraseAction = eaColor;
}

void TFileTree::TreePaintText(TBaseDataTree* Sender, TCanvas* TargetCanvas, PDataNode Node, TColumnIndex,
                              TVSTTextType) {
  const TNodeData* d = RowOf<TNodeData>(Sender, Node);
  TargetCanvas->Font()->SetStyle(d && IsGroup(*d) ? TFontStyles{fsBold} : TFontStyles{});
}

void TFileTree::TreeCompareNodes(TBaseDataTree* Sender, PDataNode Node1, PDataNode Node2, TColumnIndex Column,
                                 int& Result) {
  const TNodeData* a = RowOf<TNodeData>(Sender, Node1);
  const TNodeData* b = RowOf<TNodeData>(Sender, Node2);
  Result = 0;
  if (!a || !b) return;
  // Node2 against Node1: the natural order reversed.
  if (IsGroup(*a)) {
    if (Column == 0) Result = CompareTextNoCase(b->Name, a->Name);
    return;
  }
  switch (Column) {
    case 0:
      Result = CompareTextNoCase(b->Path, a->Path);
      break;
    case 1:
      Result = SignOf(b->Size - a->Size);
      break;
    case 2:
    case 3:
      Result = SignOf(b->Date - a->Date);
      break;
    case 4:
      Result = CompareTextNoCase(b->Disc, a->Disc);
      break;
    case 5:
      Result = CompareTextNoCase(b->Location, a->Location);
      break;
    default:
      break;
  }
}

void TFileTree::TreeHeaderClick(TDTHeader* Sender, TColumnIndex Column, TMouseButton Button, TShiftState, int,
                                int) {
  if (Button != mbLeft || Column < 0) return;
  ToggleSortColumn(Sender, Column);
  Sort();
}

void TFileTree::TreeDblClick(TObject*) {
  RunAction(FileBOpenAction);
}

}  // namespace qv
