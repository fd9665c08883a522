// The gallery's pages and its common-controls page: a tool bar with a
// drop-down button, a tree and a report list, a progress bar, an up-down,
// an extended combo box, a string grid, a rich edit and a status bar. The
// images are the shell's small icons, shared and never copied.
#include "classlib/menus/Menus.h"
#include "demo/gallery/GalleryForm.h"
#include "demo/gallery/GalleryLayout.h"
#include "demo/gallery/ShellBrowser.h"
#include "platform/shell/ShellApi.h"

namespace qv::gallery {
namespace {

template <typename T>
T* PlaceOn(TComponent* Owner, TWinControl* Parent, const RECT& R) {
  auto* c = new T(Owner);
  c->SetBounds(R.left, R.top, R.Width(), R.Height());
  c->SetParent(Parent);
  return c;
}

// The index of a shell icon by kind: a folder, or a file with the name's type.
int IconOf(const char* name, bool folder) {
  SHFILEINFOW info;
  SHGetFileInfo(name, folder ? FILE_ATTRIBUTE_DIRECTORY_SHELL : 0, &info, sizeof info,
                SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  return info.iIcon;
}

}  // namespace

void TGalleryForm::BuildPages() {
  Pages = new TPageControl(this);
  Pages->SetParent(this);
  Pages->SetAlign(alClient);
  const char* captions[] = {"Standard", "Common controls", "Shell"};
  TTabSheet** sheets[] = {&StandardPage, &CommonPage, &ShellPage};
  for (int i = 0; i < 3; ++i) {
    auto* sheet = new TTabSheet(this);
    sheet->SetCaption(captions[i]);
    sheet->SetPageControl(Pages);
    *sheets[i] = sheet;
  }
  Pages->SetActivePage(StandardPage);
  Pages->OnChange = [this](TObject*) { Log("Page " + Pages->ActivePage()->Caption()); };
  ShellIcons = new TImageList(this);
  ShellIcons->ShareImages = true;
  ShellIcons->SetHandle(ShellImageList(true));
}

void TGalleryForm::BuildCommonPage() {
  BuildCommonBars();
  BuildCommonViews();
  Progress = PlaceOn<TProgressBar>(this, CommonPage, kProgress);
  Progress->SetPosition(kProgressPosition);
  CopiesEdit = PlaceOn<TEdit>(this, CommonPage, RECT{464, 66, 528, 87});
  Copies = PlaceOn<TUpDown>(this, CommonPage, RECT{528, 66, 544, 87});
  Copies->SetMin(1);
  Copies->SetMax(9);
  Copies->SetAssociate(CopiesEdit);
  Copies->SetPosition(2);
  Copies->OnClick = [this](TObject*, TUDBtnType) { Log("Copies " + std::to_string(Copies->Position())); };
  ComboEx = PlaceOn<TComboBoxEx>(this, CommonPage, RECT{464, 96, 624, 117});
  ComboEx->SetImages(ShellIcons);
  int folder = IconOf("folder", true);
  ComboEx->ItemsEx()->AddItem("Catalogue", folder, folder, -1, 0, nullptr);
  ComboEx->ItemsEx()->AddItem("Holidays.iso", IconOf("Holidays.iso", false), -1, -1, 1, nullptr);
  ComboEx->ItemsEx()->AddItem("Notes.txt", IconOf("Notes.txt", false), -1, -1, 1, nullptr);
  ComboEx->SetItemIndex(0);
  ComboEx->OnSelect = [this](TObject*) {
    Log("Extended combo: " + ComboEx->ItemsEx()->Items(ComboEx->ItemIndex())->Caption());
  };
}

void TGalleryForm::BuildCommonBars() {
  StatusBar = new TStatusBar(this);
  StatusBar->SetParent(CommonPage);
  for (const char* text : {"3 discs", "1.2 GB", "Ready"}) StatusBar->Panels()->Add()->SetText(text);
  StatusBar->Panels()->Items(0)->SetWidth(120);
  StatusBar->Panels()->Items(1)->SetWidth(120);

  ToolBar = new TToolBar(this);
  ToolBar->SetParent(CommonPage);
  ToolBar->SetFlat(true);
  ToolBar->SetImages(ShellIcons);
  ToolBar->SetShowCaptions(true);
  ToolBar->SetList(true);
  RecentMenu = new TPopupMenu(this);
  for (const char* caption : {"Disc one", "Disc two"}) {
    auto* item = new TMenuItem(this);
    item->SetCaption(caption);
    item->OnClick = [this, caption](TObject*) { Log(std::string("Recent: ") + caption); };
    RecentMenu->Items()->Add(item);
  }
  struct Spec {
    TToolButton** Button;
    const char* Caption;
    TToolButtonStyle Style;
    int Image;
  } specs[] = {{&NewToolButton, "New", tbsButton, IconOf("new.txt", false)},
               {&OpenToolButton, "Open", tbsDropDown, IconOf("folder", true)},
               {nullptr, "", tbsSeparator, -1},
               {&BoldToolButton, "Bold", tbsCheck, -1}};
  for (const Spec& s : specs) {
    auto* b = new TToolButton(this);
    b->SetStyle(s.Style);
    b->SetCaption(s.Caption);
    b->SetImageIndex(s.Image);
    b->SetParent(ToolBar);
    if (s.Style != tbsSeparator) b->OnClick = [this, b](TObject*) { Log("Tool button " + b->Caption()); };
    if (s.Button) *s.Button = b;
  }
  OpenToolButton->SetDropdownMenu(RecentMenu);
}

void TGalleryForm::BuildCommonViews() {
  Tree = PlaceOn<TTreeView>(this, CommonPage, kTree);
  Tree->SetImages(ShellIcons);
  TTreeNode* root = Tree->Items()->Add(nullptr, "Catalogue");
  for (const char* disc : {"Holidays", "Music", "Photos"}) {
    TTreeNode* n = Tree->Items()->AddChild(root, disc);
    Tree->Items()->AddChild(n, "Documents");
  }
  int folder = IconOf("folder", true);
  for (TTreeNode* n = root; n; n = n->GetNext()) n->SetImageIndex(folder), n->SetSelectedIndex(folder);
  root->SetExpanded(true);
  Tree->OnChange = [this](TObject*, TTreeNode* n) { Log("Tree: " + n->Text()); };

  ListView = PlaceOn<TListView>(this, CommonPage, kListView);
  ListView->SetViewStyle(vsReport);
  ListView->SetRowSelect(true);
  ListView->SetSmallImages(ShellIcons);
  for (auto [caption, width] : {std::pair{"Name", 120}, std::pair{"Size", 60}, std::pair{"Type", 80}}) {
    TListColumn* c = ListView->Columns()->Add();
    c->SetCaption(caption);
    c->SetWidth(width);
  }
  struct Row {
    const char *Name, *Size, *Type;
  } rows[] = {
      {"Holidays.iso", "650 MB", "Disc image"}, {"Notes.txt", "2 KB", "Text"}, {"Songs", "", "Folder"}};
  for (const Row& r : rows) {
    TListItem* item = ListView->Items()->Add();
    item->SetCaption(r.Name);
    item->SubItems()->Add(r.Size);
    item->SubItems()->Add(r.Type);
    item->SetImageIndex(IconOf(r.Name, std::string(r.Type) == "Folder"));
  }
  ListView->OnSelectItem = [this](TObject*, TListItem* item, bool selected) {
    if (selected) Log("List: " + item->Caption());
  };

  Grid = PlaceOn<TStringGrid>(this, CommonPage, RECT{8, 194, 308, 320});
  Grid->SetColCount(4);
  Grid->SetRowCount(5);
  Grid->SetDefaultColWidth(72);
  Grid->SetDefaultRowHeight(22);
  const char* heads[] = {"", "Mon", "Tue", "Wed"};
  for (int c = 0; c < 4; ++c) Grid->SetCells(c, 0, heads[c]);
  for (int r = 1; r < 5; ++r) {
    Grid->SetCells(0, r, "Week " + std::to_string(r));
    for (int c = 1; c < 4; ++c) Grid->SetCells(c, r, std::to_string(r * 7 + c));
  }

  RichEdit = PlaceOn<TRichEdit>(this, CommonPage, RECT{316, 194, 624, 320});
  RichEdit->SetScrollBars(ssBoth);
  RichEdit->Lines()->Add("Report of the catalogue");
  RichEdit->Lines()->Add("3 discs, 1.2 GB in 1,024 files");
}

void TGalleryForm::BuildShellPage() {
  ShellTree = new TTreeView(this);
  ShellTree->SetParent(ShellPage);
  ShellTree->SetWidth(220);
  ShellTree->SetAlign(alLeft);
  ShellTree->SetImages(ShellIcons);
  ShellTree->SetHideSelection(false);
  ShellList = new TListView(this);
  ShellList->SetParent(ShellPage);
  ShellList->SetAlign(alClient);
  ShellList->SetViewStyle(vsReport);
  ShellList->SetSmallImages(ShellIcons);
  for (auto [caption, width] : {std::pair{"Name", 220}, std::pair{"Type", 150}}) {
    TListColumn* c = ShellList->Columns()->Add();
    c->SetCaption(caption);
    c->SetWidth(width);
  }
  Shell = new TShellBrowser(ShellTree, ShellList);
  Shell->OnLog = [this](const std::string& line) { Log(line); };
}

}  // namespace qv::gallery
