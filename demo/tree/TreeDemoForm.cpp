// The demo's rows come from their index: names, sizes and dates are made up
// on demand, so a million rows cost one node each until they are shown.
#include "demo/tree/TreeDemoForm.h"

#include "classlib/controls/Application.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"

namespace qv::treedemo {

namespace {

const char16_t* const kTitles[] = {u"Name", u"Size", u"Type", u"Modified", u"Disc", u"Folder"};
const char16_t* const kKinds[] = {u"Document", u"Picture", u"Archive", u"Music", u"Video", u"Program"};
constexpr int kWidths[] = {230, 90, 90, 140, 90, 230};

std::u16string Number(uint64_t n) {
  std::u16string s;
  do s.insert(s.begin(), char16_t(u'0' + n % 10));
  while (n /= 10);
  return s;
}

std::u16string TwoDigits(int n) {
  return std::u16string{char16_t(u'0' + n / 10), char16_t(u'0' + n % 10)};
}

// Pseudo-random but fixed per row.
uint32_t Mix(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352d;
  x ^= x >> 15;
  x *= 0x846ca68b;
  return x ^ (x >> 16);
}

// Two 16 x 16 pictures drawn in code: a folder and a page.
TCustomImageList* MakeImages(TComponent* owner) {
  TBitmap strip(32, 16, pf24bit);
  TCanvas* c = strip.Canvas();
  c->Brush()->SetColor(0xFF00FF);
  c->FillRect(RECT{0, 0, 32, 16});
  c->Pen()->SetColor(0x1A6FB0);
  c->Brush()->SetColor(0x4CC2F5);
  c->Rectangle(1, 4, 15, 14);
  c->Rectangle(1, 2, 7, 5);
  c->Pen()->SetColor(0x707070);
  c->Brush()->SetColor(0xFFFFFF);
  c->Rectangle(19, 1, 30, 15);
  c->Pen()->SetColor(0xB07040);
  for (int y = 4; y < 13; y += 3) {
    c->MoveTo(21, y);
    c->LineTo(28, y);
  }
  auto* list = new TCustomImageList(owner, 16, 16);
  list->AddMasked(&strip, 0xFF00FF);
  return list;
}

}  // namespace

TTreeDemoForm::TTreeDemoForm(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Quirvane data tree demo");
  SetBounds(40, 40, kClient.cx, kClient.cy);
  SetClientWidth(kClient.cx);
  SetClientHeight(kClient.cy);
  Images = MakeImages(this);

  Tree = new TDataStringTree(this);
  Tree->SetAlign(alClient);
  Tree->SetParent(this);
  Tree->SetNodeDataSize(sizeof(TRowData));
  Tree->SetImages(Images);
  auto* opts = Tree->TreeOptions();
  opts->SetMiscOptions(opts->MiscOptions() + toCheckSupport);
  opts->SetPaintOptions(opts->PaintOptions() + toShowHorzGridLines + toShowVertGridLines + toHotTrack);
  opts->SetSelectionOptions({toMultiSelect, toFullRowSelect});
  opts->SetAutoOptions(opts->AutoOptions() + toAutoTristateTracking);
  TDTHeader* header = Tree->Header();
  for (int i = 0; i < 6; ++i) {
    TDataTreeColumn* c = header->Columns()->Add();
    c->SetText(kTitles[i]);
    c->SetWidth(kWidths[i]);
    if (i == 1) c->SetAlignment(taRightJustify);
  }
  header->SetOptions(
      TDTHeaderOptions{hoVisible, hoColumnResize, hoDrag, hoShowSortGlyphs, hoHotTrack, hoDblClickResize});
  Tree->SetIncrementalSearch(isVisibleOnly);

  Tree->OnInitNode = [](TBaseDataTree* t, PDataNode parent, PDataNode node, TDataNodeInitStates& states) {
    auto* r = t->GetNodeData<TRowData>(node);
    r->Id = parent ? t->GetNodeData<TRowData>(parent)->Id * 10 + node->Index + 1 : node->Index;
    r->Size = Mix(r->Id + 1) % 50000000;
    r->Modified = 44000 + Mix(r->Id + 7) % 3000 + (Mix(r->Id) % 86400) / 86400.0;
    node->CheckType = parent ? ctCheckBox : ctTriStateCheckBox;
    // Every tenth top-level row is a folder with five files inside.
    if (!parent && node->Index % 10 == 0) states.Include(ivsHasChildren);
  };
  Tree->OnInitChildren = [](TBaseDataTree*, PDataNode, uint32_t& count) { count = 5; };
  Tree->OnGetText = [](TBaseDataTree* t, PDataNode node, TColumnIndex column, TVSTTextType,
                       std::u16string& text) {
    const auto* r = t->GetNodeData<TRowData>(node);
    bool folder = node->Has(vsHasChildren);
    switch (column) {
      case 0:
        text = (folder ? u"Folder " : u"File ") + Number(r->Id) + (folder ? u"" : u".dat");
        break;
      case 1:
        text = folder ? u"" : Number(r->Size) + u" bytes";
        break;
      case 2:
        text = folder ? u"Folder" : kKinds[r->Id % 6];
        break;
      case 3: {
        // Days since 1899-12-30 shown as dd/mm/yyyy hh:nn.
        int days = int(r->Modified) - 36526;  // from 2000-01-01
        int year = 2000 + days / 365, yday = days % 365, month = yday / 31 + 1, day = yday % 28 + 1;
        int minutes = int((r->Modified - int(r->Modified)) * 1440);
        text = TwoDigits(day) + u"/" + TwoDigits(month) + u"/" + Number(uint64_t(year)) + u" " +
               TwoDigits(minutes / 60) + u":" + TwoDigits(minutes % 60);
        break;
      }
      case 4:
        text = u"Disc " + Number(r->Id % 97 + 1);
        break;
      default:
        text = u"/catalogue/disc " + Number(r->Id % 97 + 1) + u"/folder " + Number(r->Id % 1000);
        break;
    }
  };
  Tree->OnGetImageIndex = [](TBaseDataTree*, PDataNode node, TDTImageKind kind, TColumnIndex column, bool&,
                             int& index) {
    if (column == 0 && (kind == ikNormal || kind == ikSelected)) index = node->Has(vsHasChildren) ? 0 : 1;
  };
  Tree->OnCompareNodes = [](TBaseDataTree* t, PDataNode a, PDataNode b, TColumnIndex column, int& result) {
    const auto* x = t->GetNodeData<TRowData>(a);
    const auto* y = t->GetNodeData<TRowData>(b);
    auto cmp = [](auto p, auto q) { return p < q ? -1 : p > q ? 1 : 0; };
    switch (column) {
      case 1:
        result = cmp(x->Size, y->Size);
        break;
      case 2:
        result = cmp(x->Id % 6, y->Id % 6);
        break;
      case 3:
        result = cmp(x->Modified, y->Modified);
        break;
      case 4:
        result = cmp(x->Id % 97, y->Id % 97);
        break;
      case 5:
        result = cmp(x->Id % 1000, y->Id % 1000);
        break;
      default:
        result = cmp(x->Id, y->Id);
        break;
    }
  };
  Tree->OnHeaderClick = [this](TDTHeader*, TColumnIndex column, TMouseButton button, TShiftState, int, int) {
    if (button == mbLeft) HeaderClick(column);
  };
  Tree->SetRootNodeCount(kRows);
  CreateBasket();
  SetActiveControl(Tree);
}

void TTreeDemoForm::HeaderClick(TColumnIndex Column) {
  // A new column sorts ascending first; the sort column toggles.
  TDTHeader* header = Tree->Header();
  if (header->SortColumn() == Column)
    header->SetSortDirection(header->SortDirection() == sdAscending ? sdDescending : sdAscending);
  else {
    header->SetSortColumn(Column);
    header->SetSortDirection(sdAscending);
  }
  Tree->SortTree(Column, header->SortDirection(), true);
}

TTreeDemoForm* CreateTreeDemo() {
  TTreeDemoForm* form = nullptr;
  Application->CreateForm(form);
  form->Show();
  return form;
}

}  // namespace qv::treedemo
