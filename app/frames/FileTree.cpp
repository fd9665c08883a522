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
#include "platform/Names.h"
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
  SMinEdit->OnChange = SMaxEdit->OnChange = nullptr;
  if (Storage) {
    Storage->Open(texts::fileform::Section, true);
    WriteColumnWidths(*Storage, Tree->Header());
    Storage->Close();
  }
  // Its views go while it is whole: a copy of their rows still on the
  // clipboard is rendered through its events as they go.
  Destroying();
  DestroyComponents();
  if (FileTree == this) FileTree = nullptr;
}

void TFileTree::BuildTree() {
  Tree = new TDataStringTree(this);
  Tree->SetName("Tree");
  ScaleWithWindow(Tree);
  Tree->SetAlign(alClient);
  Tree->SetParent(this);
  Tree->SetTabStop(false);
  OwnRows<TResultRow>(Tree);
  SetUpListColumns(Tree, texts::fileform::Columns, kWidths, 6, 1u << 1, 3, sdAscending);
  FitDateColumns(Tree, 2, 3);
  FitColumn(Tree, 1, {kWideSize});
  Tree->TreeOptions()->SetPaintOptions(TDTPaintOptions{toHideFocusRect, toShowButtons, toShowRoot,
                                                       toShowDropmark, toThemeAware, toUseBlendedImages});
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
  Tree->OnRenderOLEData = [this](TBaseDataTree* s, const FORMATETC& f, STGMEDIUM& m, bool c, HRESULT& r) {
    TreeRenderOLEData(s, f, m, c, r);
  };
  batch_ = std::make_unique<TRowBatch>(Tree);
}

PDataNode TFileTree::AddNode(const TNodeData& Data, PDataNode Parent) {
  QV_ASSERT(Parent || IsGroup(Data.Kind));
  batch_->Adding();
  if (sortEarly_ && Parent && Parent != openGroup_) {
    // Entries for another group while one waits for its sort, or for a
    // group already sorted: the final sort looks at every group.
    if (openGroup_ || Parent->Has(vsExpanded)) sortAll_ = true;
    openGroup_ = Parent;
  }
  PDataNode node = Tree->AddChild(Parent);
  if (!node) return nullptr;
  TResultRow row{Data.ID, Data.Size, Data.Date, {}, 0, Data.Kind};
  // The stored texts, byte for byte: shown through UTF-16 when painted.
  const bool group = IsGroup(Data.Kind);
  const std::string& stored = group ? Data.StoredName : Data.StoredPath;
  const std::string text = stored.empty() ? Utf16ToUtf8(group ? Data.Name : Data.Path) : std::string();
  const std::string_view shown = stored.empty() ? std::string_view(text) : std::string_view(stored);
  row.Text = group ? arena_.Add(shown) : PathText(shown);
  if (!group) row.Disc = DiscSlot(Data);
  MakeRow<TResultRow>(Tree, node, row);
  return node;
}

// The entries of one folder share its path text, kept once: a compare lists
// millions of entries in a few thousand folders.
TTextArena::Ref TFileTree::PathText(std::string_view path) {
  auto it = paths_.find(path);
  if (it != paths_.end()) return it->second;
  const TTextArena::Ref ref = arena_.Add(path);
  paths_.emplace(arena_.Get(ref), ref);
  return ref;
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
  std::string text(TextOf(*r));
  if (IsGroup(r->Kind)) {
    Data.Name = Utf8ToUtf16(text);
    Data.StoredName = std::move(text);
    return true;
  }
  Data.Path = Utf8ToUtf16(text);
  Data.StoredPath = std::move(text);
  Data.Disc = discs_[r->Disc].Label;
  Data.Location = discs_[r->Disc].Location;
  Data.Size = r->Size;
  Data.Date = r->Date;
  return true;
}

void TFileTree::ForgetRows() {
  paths_.clear();
  arena_.Clear();
  discs_.clear();
  lastDisc_ = 0;
}

void TFileTree::Expand(PDataNode Node) {
  if (!Node) return;
  // Inside the batch: expanding one group of many must not scroll the view
  // to it nor re-validate the whole tree.
  batch_->Adding();
  Tree->SetExpanded(Node, true);
  // The engine expands a group once its entries are all there: sorted now,
  // while the search goes on, the final sort need not look at it again.
  if (!sortEarly_ || Node != openGroup_) return;
  openGroup_ = nullptr;
  const TColumnIndex column = Tree->Header()->SortColumn();
  const TSortDirection direction = Tree->Header()->SortDirection();
  if (column != sortedColumn_ || direction != sortedDirection_) sortAll_ = true;
  if (column >= 0 && Node->ChildCount > 1 && !EntriesInOrder(Node, column, direction))
    Tree->Sort(Node, column, direction, false);
}

void TFileTree::Clear() {
  // Emptied for new results: the empty view is painted only when no rows
  // follow within the batch.
  batch_->Adding();
  Tree->Clear();
  ForgetRows();
  sortEarly_ = false;
  openGroup_ = nullptr;
  sortAll_ = false;
  sortedColumn_ = Tree->Header()->SortColumn();
  sortedDirection_ = Tree->Header()->SortDirection();
}

void TFileTree::Sort() {
  batch_->Flush();
  TColumnIndex column = Tree->Header()->SortColumn();
  TSortDirection direction = Tree->Header()->SortDirection();
  // Every group was sorted as it was completed (or by the last sort), for this column.
  const bool done =
      sortEarly_ && !sortAll_ && !openGroup_ && column == sortedColumn_ && direction == sortedDirection_;
  sortAll_ = false;
  openGroup_ = nullptr;
  sortedColumn_ = column;
  sortedDirection_ = direction;
  if (column <= 0) {
    Tree->SortTree(column, direction, false);
    return;
  }
  if (done) return;
  // Groups compare equal on every column but the first, so they keep their
  // order: only the entries of each group are sorted.
  Tree->BeginUpdate();
  for (PDataNode g = Tree->RootNode()->FirstChild; g; g = g->NextSibling)
    if (g->ChildCount > 1 && !EntriesInOrder(g, column, direction)) Tree->Sort(g, column, direction, false);
  Tree->InvalidateCache();
  Tree->EndUpdate();
}

// Many groups come in order already (one entry, or entries found in date
// order): telling costs a pass of direct comparisons, a sort far more.
bool TFileTree::EntriesInOrder(PDataNode Group, TColumnIndex Column, TSortDirection Direction) {
  for (PDataNode c = Group->FirstChild; c && c->NextSibling; c = c->NextSibling) {
    int r = 0;
    TreeCompareNodes(Tree, c, c->NextSibling, Column, r);
    if (Direction == sdAscending ? r > 0 : r < 0) return false;
  }
  return true;
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
  Name = std::string(TextOf(*group));
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
    if (Column < 1) CellText = Utf8ToUtf16(TextOf(*d));
    return;
  }
  switch (Column) {
    case -1:
    case 0:
      CellText = Utf8ToUtf16(TextOf(*d));
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
  // A selected row keeps the tree's own erase, which paints the selection
  // its text colour is chosen for.
  if (!d || Node->Has(vsSelected)) return;
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
  // Node2 against Node1: the natural order reversed.
  auto text = [this](const TResultRow* x, const TResultRow* y) {
    return SignOf(CompareNames(TextOf(*x), TextOf(*y)));
  };
  if (IsGroup(a->Kind)) {
    if (Column == 0) Result = text(b, a);
    return;
  }
  switch (Column) {
    case 0:
      Result = text(b, a);
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
