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

bool IsGroup(uint8_t kind) {
  return kind == nkFileGroup || kind == nkFolderGroup;
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
  OwnRows<TResultRow>(Tree);
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
  QV_ASSERT(Parent || IsGroup(Data.Kind));
  batch_->Adding();
  PDataNode node = Tree->AddChild(Parent);
  if (!node) return nullptr;
  TResultRow row{Data.ID, Data.Size, Data.Date, 0, 0, Data.Kind};
  if (IsGroup(Data.Kind)) {
    row.Text = uint32_t(texts_.size());
    texts_.push_back(TText{Data.Name, Data.StoredName.empty() ? Utf16ToUtf8(Data.Name) : Data.StoredName});
  } else {
    row.Text = PathSlot(Data);
    row.Disc = DiscSlot(Data);
  }
  MakeRow<TResultRow>(Tree, node, row);
  return node;
}

uint32_t TFileTree::PathSlot(const TNodeData& Data) {
  // Most entries lie in a folder met before: a lookup, no copy.
  if (!Data.StoredPath.empty()) {
    auto it = paths_.find(Data.StoredPath);
    if (it != paths_.end()) return it->second;
  }
  std::string stored = Data.StoredPath.empty() ? Utf16ToUtf8(Data.Path) : Data.StoredPath;
  auto [it, added] = paths_.try_emplace(std::move(stored), uint32_t(texts_.size()));
  if (added) texts_.push_back(TText{Data.Path, it->first});
  return it->second;
}

uint32_t TFileTree::DiscSlot(const TNodeData& Data) {
  auto same = [&Data](const TDiscText& d) { return d.Label == Data.Disc && d.Location == Data.Location; };
  if (lastDisc_ < discs_.size() && same(discs_[lastDisc_])) return lastDisc_;
  for (uint32_t i = 0; i < discs_.size(); ++i)
    if (same(discs_[i])) return lastDisc_ = i;
  discs_.push_back(TDiscText{Data.Disc, Data.Location});
  return lastDisc_ = uint32_t(discs_.size() - 1);
}

const TFileTree::TResultRow* TFileTree::Row(PDataNode Node) {
  return RowOf<TResultRow>(Tree, Node);
}

bool TFileTree::RowData(PDataNode Node, TNodeData& Data) {
  const TResultRow* r = Row(Node);
  if (!r) return false;
  Data = TNodeData();
  Data.ID = r->ID;
  Data.Kind = r->Kind;
  const TText& text = texts_[r->Text];
  if (IsGroup(r->Kind)) {
    Data.Name = text.Shown;
    Data.StoredName = text.Stored;
    return true;
  }
  Data.Path = text.Shown;
  Data.StoredPath = text.Stored;
  Data.Disc = discs_[r->Disc].Label;
  Data.Location = discs_[r->Disc].Location;
  Data.Size = r->Size;
  Data.Date = r->Date;
  return true;
}

void TFileTree::ForgetRows() {
  texts_.clear();
  paths_.clear();
  discs_.clear();
  lastDisc_ = 0;
}

void TFileTree::Expand(PDataNode Node) {
  if (!Node) return;
  // Inside the batch: expanding one group of many must not scroll the view
  // to it nor re-validate the whole tree.
  batch_->Adding();
  Tree->SetExpanded(Node, true);
}

void TFileTree::Clear() {
  // Emptied for new results: the empty view is painted only when no rows
  // follow within the batch.
  batch_->Adding();
  Tree->Clear();
  ForgetRows();
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
  const TResultRow* group = Row(node->Parent);
  if (!group || !RowData(node, Entry)) return false;
  Name = texts_[group->Text].Stored;
  return true;
}

void TFileTree::OpenInExplorer() {
  TNodeData entry;
  std::string name;
  if (!SelectedEntry(entry, name)) return;
  std::string prompt = ExplorePrompt(Utf16ToUtf8(entry.Disc), Utf16ToUtf8(entry.Location), false);
  std::string chosen;
  if (!OnChooseFolder || !OnChooseFolder(prompt, chosen)) return;
  std::string folder = JoinStoredPath(chosen, entry.StoredPath);
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
  const TResultRow* d = RowOf<TResultRow>(Sender, Node);
  if (!d) return;
  if (IsGroup(d->Kind)) {
    if (Column < 1) CellText = texts_[d->Text].Shown;
    return;
  }
  switch (Column) {
    case -1:
    case 0:
      CellText = texts_[d->Text].Shown;
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
      CellText = discs_[d->Disc].Label;
      break;
    case 5:
      CellText = discs_[d->Disc].Location;
      break;
    default:
      break;
  }
}

void TFileTree::TreeBeforeItemErase(TBaseDataTree* Sender, TCanvas*, PDataNode Node, RECT, TColor& ItemColor,
                                    TItemEraseAction& EraseAction) {
  const TResultRow* d = RowOf<TResultRow>(Sender, Node);
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
  const TResultRow* d = RowOf<TResultRow>(Sender, Node);
  TargetCanvas->Font()->SetStyle(d && IsGroup(d->Kind) ? TFontStyles{fsBold} : TFontStyles{});
}

void TFileTree::TreeCompareNodes(TBaseDataTree* Sender, PDataNode Node1, PDataNode Node2, TColumnIndex Column,
                                 int& Result) {
  const TResultRow* a = RowOf<TResultRow>(Sender, Node1);
  const TResultRow* b = RowOf<TResultRow>(Sender, Node2);
  Result = 0;
  if (!a || !b) return;
  // Node2 against Node1: the natural order reversed. Shared slots are equal.
  auto text = [this](uint32_t x, uint32_t y) {
    return x == y ? 0 : CompareTextNoCase(texts_[x].Shown, texts_[y].Shown);
  };
  if (IsGroup(a->Kind)) {
    if (Column == 0) Result = text(b->Text, a->Text);
    return;
  }
  switch (Column) {
    case 0:
      Result = text(b->Text, a->Text);
      break;
    case 1:
      Result = SignOf(b->Size - a->Size);
      break;
    case 2:
    case 3:
      Result = SignOf(b->Date - a->Date);
      break;
    case 4:
      if (a->Disc != b->Disc) Result = CompareTextNoCase(discs_[b->Disc].Label, discs_[a->Disc].Label);
      break;
    case 5:
      if (a->Disc != b->Disc) Result = CompareTextNoCase(discs_[b->Disc].Location, discs_[a->Disc].Location);
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
