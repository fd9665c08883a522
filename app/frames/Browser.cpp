// The browser page: categories and discs, the browsed disc's folder tree
// (filled by the engine), and the rows of the shown folder, read from the
// folder's children as the view first touches them.
#include "app/frames/Browser.h"

#include "app/frames/Console.h"
#include "app/frames/FrameSupport.h"
#include "app/frames/FrameTexts.h"
#include "catalogue/Engine.h"
#include "catalogue/Settings.h"
#include "catalogue/TextUtils.h"
#include "classlib/SysUtils.h"
#include "platform/DateTime.h"
#include "platform/Files.h"
#include "platform/Utf.h"

namespace qv {

TBrowser* Browser = nullptr;

namespace {

namespace tx = texts::browser;
constexpr int kWidths[5] = {128, 64, 80, 64, 64};

template <class T>
T* DataOf(TTreeNode* node) {
  return static_cast<T*>(node->Data());
}
int32_t IndexOf(TTreeNode* node) {
  return int32_t(reinterpret_cast<intptr_t>(node->Data()));
}
void* IndexData(int32_t index) {
  return reinterpret_cast<void*>(intptr_t(index));
}
void SetImages(TTreeNode* node, int image) {
  node->SetImageIndex(image);
  node->SetSelectedIndex(image);
}

TTreeView* NewTreeView(TComponent* owner, TWinControl* parent, const char* name, int width,
                       TImageList* images) {
  auto* tv = new TTreeView(owner);
  tv->SetName(name);
  tv->SetAlign(alLeft);
  tv->SetWidth(width);
  tv->SetParent(parent);
  tv->SetReadOnly(true);
  tv->SetRowSelect(true);
  tv->SetHideSelection(false);
  tv->SetIndent(ForScreen(19));
  tv->SetImages(images);
  tv->DoubleBuffered = true;
  return tv;
}

TSkSplitter* NewSplitter(TComponent* owner, TWinControl* parent, const char* name, int left) {
  auto* s = new TSkSplitter(owner);
  s->SetName(name);
  s->SetAlign(alLeft);
  s->SetLeft(left);
  s->SetWidth(4);
  s->SetParent(parent);
  s->SkinData()->SetSkinSection("SPLITTER");
  return s;
}

}  // namespace

TBrowser::TBrowser(TComponent* AOwner) : TFrame(AOwner) {
  SetName("Browser");
  Images = LoadImageStrip(this, "Images", "browser", 8);

  DiscTree = NewTreeView(this, this, "DiscTree", 201, Images);
  DiscTree->OnDblClick = [this](TObject* s) { DiscTreeDblClick(s); };
  DiscTree->OnExpanded = [this](TObject* s, TTreeNode* n) { DiscTreeExpanded(s, n); };
  DiscTree->OnCollapsed = [this](TObject* s, TTreeNode* n) { DiscTreeCollapsed(s, n); };
  skSplitter1 = NewSplitter(this, this, "skSplitter1", DiscTree->Width());

  MainPanel = new TPanel(this);
  MainPanel->SetName("MainPanel");
  MainPanel->SetCaption("");
  MainPanel->SetAlign(alClient);
  MainPanel->SetBevelOuter(bvNone);
  MainPanel->SetParent(this);

  FolderTree = NewTreeView(this, MainPanel, "FolderTree", 217, Images);
  FolderTree->SetShowRoot(false);
  FolderTree->OnCollapsing = [this](TObject* s, TTreeNode* n, bool& allow) {
    FolderTreeCollapsing(s, n, allow);
  };
  FolderTree->OnExpanded = [this](TObject* s, TTreeNode* n) { FolderTreeExpanded(s, n); };
  FolderTree->OnChange = [this](TObject* s, TTreeNode* n) { FolderTreeChange(s, n); };
  skSplitter2 = NewSplitter(this, MainPanel, "skSplitter2", FolderTree->Width());
  folderBatch_ = std::make_unique<TRowBatch>([this] { FolderTree->Items()->BeginUpdate(); },
                                             [this] { FolderTree->Items()->EndUpdate(); });

  FileView = new TDataStringTree(this);
  FileView->SetName("FileView");
  ScaleWithWindow(FileView);
  FileView->SetAlign(alClient);
  FileView->SetParent(MainPanel);
  FileView->SetImages(Images);
  OwnRows<TRow>(FileView);
  SetUpListColumns(FileView, tx::Columns, kWidths, 5, 1u << 2, 0, sdDescending);
  FitDateColumns(FileView, 3, 4);
  FitColumn(FileView, 2, {kWideSize});
  // The type names of the default table, and the folders' own.
  TFileKinds types;
  types.LoadDefaults();
  std::vector<std::string> typeNames{tx::FileFolder};
  for (int32_t i = 0; i < types.Count(); ++i) typeNames.push_back(types.GetItem(i).Name);
  FitColumn(FileView, 1, typeNames);
  FileView->TreeOptions()->SetPaintOptions(
      TDTPaintOptions{toHideFocusRect, toShowDropmark, toThemeAware, toUseBlendedImages});
  FileView->OnInitNode = [this](TBaseDataTree* s, PDataNode p, PDataNode n, TDataNodeInitStates& st) {
    FileViewInitNode(s, p, n, st);
  };
  FileView->OnGetText = [this](TBaseDataTree* s, PDataNode n, TColumnIndex c, TVSTTextType t,
                               std::u16string& text) { FileViewGetText(s, n, c, t, text); };
  FileView->OnGetImageIndex = [this](TBaseDataTree* s, PDataNode n, TDTImageKind k, TColumnIndex c, bool& g,
                                     int& index) { FileViewGetImageIndex(s, n, k, c, g, index); };
  FileView->OnCompareNodes = [this](TBaseDataTree* s, PDataNode a, PDataNode b, TColumnIndex c, int& result) {
    FileViewCompareNodes(s, a, b, c, result);
  };
  FileView->OnHeaderClick = [this](TDTHeader* h, TColumnIndex c, TMouseButton b, TShiftState sh, int x,
                                   int y) { FileViewHeaderClick(h, c, b, sh, x, y); };
  FileView->OnDblClick = [this](TObject* s) { FileViewDblClick(s); };
  FileView->OnKeyPress = [this](TObject* s, char16_t& k) { FileViewKeyPress(s, k); };

  if (Storage) {
    Storage->Open(tx::Section, false);
    // The window scales these widths as it is made: read at the design's density.
    DiscTree->SetWidth(ReadKeptLength(*Storage, tx::DiscWidthKey, DiscTree->Width(), kDesignPpi));
    FolderTree->SetWidth(ReadKeptLength(*Storage, tx::FoldWidthKey, FolderTree->Width(), kDesignPpi));
    ReadColumnWidths(*Storage, FileView->Header());
    Storage->Close();
  }
}

TBrowser::~TBrowser() {
  folderBatch_.reset();
  // The views outlive this body: nothing of theirs may call back into it.
  FolderTree->OnChange = nullptr;
  FolderTree->OnCollapsing = nullptr;
  DiscTree->OnCollapsed = nullptr;
  FileView->OnInitNode = nullptr;
  shown_ = nullptr;
  if (Storage) {
    Storage->Open(tx::Section, true);
    Storage->WriteInteger(tx::DiscWidthKey, DiscTree->Width());
    Storage->WriteInteger(tx::FoldWidthKey, FolderTree->Width());
    WriteColumnWidths(*Storage, FileView->Header());
    Storage->Close();
  }
  // Its views go while it is whole: a copy of their rows still on the
  // clipboard is rendered through its events as they go.
  Destroying();
  DestroyComponents();
  if (Browser == this) Browser = nullptr;
}

void TBrowser::FillDiscTree() {
  if (!Engine) return;
  const TDiscList& discs = *Engine->Discs;
  TTreeNodes* items = DiscTree->Items();
  items->BeginUpdate();
  items->Clear();
  DiscTree->SetSortType(stNone);
  std::vector<TTreeNode*> categories;
  for (int32_t c = 0; c < discs.Categories.Count(); ++c) {
    TTreeNode* node = items->AddObject(nullptr, discs.Categories.GetName(c), IndexData(c));
    SetImages(node, 0);
    categories.push_back(node);
  }
  for (int32_t d = 0; d < discs.Count(); ++d) {
    const TDiscData& disc = discs.DiscAt(d);
    if (disc.Category < 0 || disc.Category >= int32_t(categories.size())) continue;
    TTreeNode* node = items->AddChildObject(categories[std::size_t(disc.Category)],
                                            Blanked(Utf16ToUtf8(disc.Label)), IndexData(d));
    SetImages(node, disc.Files + disc.Folders > 0 ? 2 : 6);
  }
  DiscTree->SetSortType(stText);
  items->EndUpdate();
}

void TBrowser::Clear() {
  folderBatch_->Flush();
  FileView->Clear();
  shown_ = nullptr;
  FolderTree->Items()->Clear();
  // Emptying the folder tree may move its selection and so show rows again.
  FileView->Clear();
  shown_ = nullptr;
}

void TBrowser::SelectDisc(int Index) {
  for (TTreeNode* n = DiscTree->Items()->GetFirstNode(); n; n = n->GetNext())
    if (n->Parent() && IndexOf(n) == Index) {
      DiscTree->SetSelected(n);
      return;
    }
}

TTreeNode* TBrowser::AddFolderNode(TTreeNode* Parent, const std::u16string& Text, TFileData* Data, int Image,
                                   int SelectedImage) {
  folderBatch_->Adding();
  TTreeNodes* items = FolderTree->Items();
  std::string text = Utf16ToUtf8(Text);
  TTreeNode* node =
      Parent ? items->AddChildObject(Parent, text, Data) : items->AddObject(nullptr, text, Data);
  node->SetImageIndex(Image);
  node->SetSelectedIndex(SelectedImage);
  return node;
}

void TBrowser::ExpandFolderNode(TTreeNode* Node) {
  folderBatch_->Flush();
  if (!Node) return;
  // The disc gives its folders in its own order: the tree shows them by
  // name, sorted once the disc's folders are all in.
  if (!Node->Parent()) Node->AlphaSort(true);
  Node->Expand(false);
}

void TBrowser::BrowseDisc(int Index) {
  if (Index < 0 || !Engine || Index >= Engine->Discs->Count()) return;
  TDiscData disc = Engine->Discs->GetDisc(Index);
  if (disc.Files + disc.Folders > 0) Engine->Browse(Index);
}

void TBrowser::ShowFiles(TFileData* Folder) {
  if (!Engine || !Engine->IsOpen() || !Folder) return;
  FileView->Clear();
  shown_ = Folder;
  const bool up = Folder->Kind != TFileData::kRoot;
  // The rows take their data from the folder's children when first touched.
  FileView->SetRootNodeCount(uint32_t(Folder->Count() + (up ? 1 : 0)));
  if (PDataNode first = FileView->GetFirst()) {
    FileView->SetSelected(first, true);
    FileView->SetFocusedNode(first);
  }
  FileView->SortTree(FileView->Header()->SortColumn(), FileView->Header()->SortDirection(), true);
}

void TBrowser::ShowFolder(TFileData* Node) {
  if (!Node) return;
  folderBatch_->Flush();
  for (TTreeNode* n = FolderTree->Items()->GetFirstNode(); n; n = n->GetNext()) {
    if (DataOf<TFileData>(n) != Node) continue;
    if (FolderTree->Selected() == n && shown_ != Node) ShowFiles(Node);
    FolderTree->SetSelected(n);
    n->Expand(false);
    return;
  }
}

bool TBrowser::SelectFile(const std::string& Name) {
  // The exact spelling first: on this file system names differing only in
  // letter case are different files. The ".." row is never a match.
  for (int pass = 0; pass < 2; ++pass) {
    for (PDataNode n = FileView->GetFirst(); n; n = FileView->GetNext(n)) {
      TRow* row = RowOf<TRow>(FileView, n);
      if (!row) break;
      if (row->IsUp || !row->FileData) continue;
      if (pass == 0 ? row->FileData->Name != Name : !SameText(row->FileData->Name, Name)) continue;
      FileView->ClearSelection();
      FileView->SetSelected(n, true);
      FileView->SetFocusedNode(n);
      if (TCustomForm* form = GetParentForm(this)) form->SetActiveControl(FileView);
      return true;
    }
  }
  return false;
}

bool TBrowser::EntrySelected() {
  TRow* row = RowOfNode(FileView->GetFirstSelected());
  return row && !row->IsUp;
}

void TBrowser::OpenInExplorer(TFileData* Node) {
  if (!Node) {
    TRow* row = RowOfNode(FileView->GetFirstSelected());
    if (!row) return;
    Node = row->FileData;
  }
  if (!Engine || !Node || Engine->Discs->BrowsedID < 0) return;
  int32_t index = Engine->Discs->IndexOfId(Engine->Discs->BrowsedID);
  if (index < 0) {
    if (Console) Console->AddError(tx::DiscNotFound);
    return;
  }
  TDiscData disc = Engine->Discs->GetDisc(index);
  std::string prompt = ExplorePrompt(Utf16ToUtf8(disc.Label), Utf16ToUtf8(disc.Location), true);
  std::string chosen;
  if (!OnChooseFolder || !OnChooseFolder(prompt, chosen)) return;
  std::string folder, target;
  if (Node->Kind == TFileData::kRoot) {
    folder = target = JoinStoredPath(chosen, "/");
  } else {
    folder = JoinStoredPath(chosen, Node->GetPath());
    target = folder + Node->Name;
  }
  if (Node->Kind != TFileData::kFile) {
    if (!DirectoryExists(target)) {
      if (Console) Console->AddError(NotFoundText(true, target));
      return;
    }
    folder = target;
  } else if (!FileExists(target)) {
    if (Console) Console->AddError(NotFoundText(false, target));
    return;
  }
  ExploreFolder(folder);
}

// --- Events

void TBrowser::DiscTreeDblClick(TObject*) {
  TTreeNode* node = DiscTree->Selected();
  if (node && node->Parent()) BrowseDisc(IndexOf(node));
}

void TBrowser::DiscTreeExpanded(TObject*, TTreeNode* Node) {
  if (Node) SetImages(Node, 1);
}

void TBrowser::DiscTreeCollapsed(TObject*, TTreeNode* Node) {
  if (Node) SetImages(Node, 0);
}

void TBrowser::FolderTreeCollapsing(TObject*, TTreeNode* Node, bool& AllowCollapse) {
  if (!Node) return;
  if (!Node->Parent()) {
    AllowCollapse = false;
    return;
  }
  SetImages(Node, 3);
}

void TBrowser::FolderTreeExpanded(TObject*, TTreeNode* Node) {
  if (Node && Node->Parent()) SetImages(Node, 4);
}

void TBrowser::FolderTreeChange(TObject*, TTreeNode* Node) {
  FileView->Clear();
  shown_ = nullptr;
  TFileData* data = Node ? DataOf<TFileData>(Node) : nullptr;
  if (data && data->Kind != TFileData::kFile) ShowFiles(data);
}

TBrowser::TRow* TBrowser::RowOfNode(PDataNode Node) {
  // The rows point into the browsed disc's tree, which lives only while
  // the database is open.
  if (!Engine || !Engine->IsOpen() || !shown_) return nullptr;
  return RowOf<TRow>(FileView, Node);
}

void TBrowser::FileKindsChanged() {
  // Each row names its type once, when first shown: forget those names.
  for (PDataNode n = FileView->GetFirstNoInit(); n; n = FileView->GetNextNoInit(n))
    if (TRow* row = RowOf<TRow>(FileView, n)) row->TypeText.clear();
  FileView->Invalidate();
}

const std::u16string& TBrowser::TypeOf(TRow* row) {
  if (row->TypeText.empty() && !row->IsUp && row->FileData) {
    if (row->FileData->Kind == TFileData::kFile)
      row->TypeText =
          Utf8ToUtf16(Engine ? Engine->FileKinds->KindName(NameExt(row->FileData->Name)) : "File");
    else
      row->TypeText = Utf8ToUtf16(tx::FileFolder);
  }
  return row->TypeText;
}

void TBrowser::FileViewInitNode(TBaseDataTree* Sender, PDataNode, PDataNode Node, TDataNodeInitStates&) {
  if (!shown_ || Node->Has(vsInitialUserData)) return;
  const bool up = shown_->Kind != TFileData::kRoot;
  int32_t index = int32_t(Node->Index) - (up ? 1 : 0);
  if (index < 0) {
    MakeRow<TRow>(Sender, Node, TRow{shown_, {}, true});
  } else if (index < shown_->Count()) {
    MakeRow<TRow>(Sender, Node, TRow{shown_->GetChild(index), {}, false});
  }
}

void TBrowser::FileViewGetText(TBaseDataTree*, PDataNode Node, TColumnIndex Column, TVSTTextType,
                               std::u16string& CellText) {
  CellText.clear();
  TRow* row = RowOfNode(Node);
  if (!row || !row->FileData) return;
  if (row->IsUp) {
    if (Column < 1) CellText = tx::Up;
    return;
  }
  const TFileData& f = *row->FileData;
  switch (Column) {
    case -1:
    case 0:
      CellText = Utf8ToUtf16(f.Name);
      break;
    case 1:
      CellText = TypeOf(row);
      break;
    case 2:
      CellText = Utf8ToUtf16(IntToStrSep(' ', f.Size));
      break;
    case 3:
      CellText = Utf8ToUtf16(FormatDate(f.Date));
      break;
    case 4:
      CellText = Utf8ToUtf16(FormatTime(f.Date));
      break;
    default:
      break;
  }
}

void TBrowser::FileViewGetImageIndex(TBaseDataTree*, PDataNode Node, TDTImageKind Kind, TColumnIndex Column,
                                     bool&, int& ImageIndex) {
  if (Column > 0 || (Kind != ikNormal && Kind != ikSelected)) return;
  TRow* row = RowOfNode(Node);
  if (!row || !row->FileData) return;
  ImageIndex = row->IsUp ? 7 : row->FileData->Kind == TFileData::kFolder ? 3 : 5;
}

void TBrowser::FileViewCompareNodes(TBaseDataTree*, PDataNode Node1, PDataNode Node2, TColumnIndex Column,
                                    int& Result) {
  Result = 0;
  TRow* a = RowOfNode(Node1);
  TRow* b = RowOfNode(Node2);
  if (!a || !b || !a->FileData || !b->FileData) return;
  const bool ascending = FileView->Header()->SortDirection() == sdAscending;
  // ".." stays first and folders stay above files, whichever the direction.
  if (a->IsUp != b->IsUp) {
    Result = a->IsUp ? 1 : -1;
    if (ascending) Result = -Result;
    return;
  }
  const bool aFile = a->FileData->Kind == TFileData::kFile, bFile = b->FileData->Kind == TFileData::kFile;
  if (aFile != bFile) {
    Result = aFile ? -1 : 1;
    if (ascending) Result = -Result;
    return;
  }
  // Node2 against Node1: the natural order reversed.
  switch (Column) {
    case 0:
      Result = CompareTextNoCase(Utf8ToUtf16(b->FileData->Name), Utf8ToUtf16(a->FileData->Name));
      break;
    case 1:
      Result = CompareTextNoCase(TypeOf(b), TypeOf(a));
      break;
    case 2:
      Result = SignOf(b->FileData->Size - a->FileData->Size);
      break;
    case 3:
    case 4:
      Result = SignOf(b->FileData->Date - a->FileData->Date);
      break;
    default:
      break;
  }
}

void TBrowser::FileViewHeaderClick(TDTHeader* Sender, TColumnIndex Column, TMouseButton Button, TShiftState,
                                   int, int) {
  if (Button != mbLeft || Column < 0) return;
  ToggleSortColumn(Sender, Column);
  FileView->SortTree(Sender->SortColumn(), Sender->SortDirection(), true);
}

void TBrowser::Activate(PDataNode Node, bool ByEnter) {
  TRow* row = RowOfNode(Node);
  if (!row || !row->FileData) return;
  TFileData* data = row->FileData;
  if (row->IsUp) {
    ShowFolder(data->Parent);
  } else if (data->Kind != TFileData::kFile) {
    ShowFolder(data);
  } else if (ByEnter) {
    OpenInExplorer(data);
  } else {
    RunAction(FileBEOpenAction);
  }
}

void TBrowser::FileViewDblClick(TObject*) {
  Activate(FileView->GetFirstSelected(), false);
}

void TBrowser::FileViewKeyPress(TObject*, char16_t& Key) {
  if (Key != u'\r') return;
  PDataNode node = FileView->GetFirstSelected();
  if (!node) return;
  Key = 0;
  Activate(node, true);
}

}  // namespace qv
