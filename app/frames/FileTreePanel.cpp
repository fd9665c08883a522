// The search page's criteria panel: the mask edits, the category, disc and
// file-type combos (each entry carrying its index + 1, 0 for "every"), the
// size and date limits, and the rules that enable Search.
#include <algorithm>
#include <limits>
#include <numeric>

#include "app/frames/FileTree.h"
#include "app/frames/FrameSupport.h"
#include "app/frames/FrameTexts.h"
#include "catalogue/Engine.h"
#include "classlib/SysUtils.h"
#include "classlib/controls/Application.h"
#include "platform/DateTime.h"
#include "platform/Utf.h"

namespace qv {

namespace {

namespace tx = texts::fileform;

TObject* EntryObject(int32_t value) {
  return reinterpret_cast<TObject*>(intptr_t(value));
}

// The selected entry's object minus 1: -1 for the "every" entry (and for no selection).
int SelectedIndexOf(TComboBox* combo) {
  int i = combo->ItemIndex();
  if (i < 0) return -1;
  return int(reinterpret_cast<intptr_t>(combo->Items()->Objects(i))) - 1;
}

// Selects the entry by its object, never by its sorted position: a name
// may sort before the "every" entry.
void SelectIndexOf(TComboBox* combo, int index) {
  TStrings* items = combo->Items();
  for (int i = 0; i < items->Count(); ++i)
    if (reinterpret_cast<intptr_t>(items->Objects(i)) == intptr_t(index) + 1) {
      combo->SetItemIndex(i);
      return;
    }
  combo->SetItemIndex(-1);
}

template <class C>
C* Place(TFileTree* frame, TWinControl* parent, const char* name, int x, int y, int w) {
  auto* c = new C(frame);
  c->SetName(name);
  c->SetBounds(x, y, w, c->Height());
  c->SetParent(parent);
  return c;
}

}  // namespace

void TFileTree::BuildPanel() {
  SearchPanel = new TPanel(this);
  SearchPanel->SetName("SearchPanel");
  SearchPanel->SetCaption("");
  SearchPanel->SetAlign(alTop);
  SearchPanel->SetHeight(108);
  SearchPanel->SetBevelOuter(bvNone);
  SearchPanel->SetParent(this);
  SearchPanel->SetShowHint(true);

  FileEdit = Place<TLabeledEdit>(this, SearchPanel, "FileEdit", 8, 32, 180);
  FileEdit->EditLabel()->SetCaption(tx::FileMask);
  FileEdit->SetText(tx::FileMaskInitial);
  FileEdit->SetHint(tx::FileMaskHint);
  FolderEdit = Place<TLabeledEdit>(this, SearchPanel, "FolderEdit", 8, 78, 180);
  FolderEdit->EditLabel()->SetCaption(tx::FolderMask);
  FolderEdit->SetText(tx::FolderMaskInitial);
  FolderEdit->SetHint(tx::FolderMaskHint);
  for (TLabeledEdit* e : {FileEdit, FolderEdit})
    e->OnKeyPress = [this](TObject* s, char16_t& k) { MaskKeyPress(s, k); };

  SearchInLabel = Place<TLabel>(this, SearchPanel, "SearchInLabel", 204, 2, 60);
  SearchInLabel->SetCaption(tx::SearchIn);
  struct ComboPlace {
    TComboBox** combo;
    TLabel** label;
    const char* name;
    const char* labelName;
    const char* caption;
    const char* hint;
    int x;
  };
  const ComboPlace combos[] = {
      {&CatsCombo, &CatsLabel, "CatsCombo", "CatsLabel", tx::Category, tx::CategoryHint, 204},
      {&DiscCombo, &DiscLabel, "DiscCombo", "DiscLabel", tx::Disc, tx::DiscHint, 368},
      {&FileCombo, &FileLabel, "FileCombo", "FileLabel", tx::FileType, tx::FileTypeHint, 532},
  };
  for (const ComboPlace& p : combos) {
    *p.label = Place<TLabel>(this, SearchPanel, p.labelName, p.x, 18, 150);
    (*p.label)->SetCaption(p.caption);
    *p.combo = Place<TComboBox>(this, SearchPanel, p.name, p.x, 32, 156);
    (*p.combo)->SetStyle(csDropDownList);
    (*p.combo)->SetSorted(true);
    (*p.combo)->SetHint(p.hint);
  }
  CatsCombo->OnChange = [this](TObject* s) { CatsComboChange(s); };

  struct LimitPlace {
    TCheckBox** box;
    const char* name;
    const char* caption;
    int tag;
    int x;
  };
  const LimitPlace limits[] = {{&chkSMin, "chkSMin", tx::MinSize, 1, 204},
                               {&chkSMax, "chkSMax", tx::MaxSize, 2, 314},
                               {&chkDMin, "chkDMin", tx::MinDate, 3, 424},
                               {&chkDMax, "chkDMax", tx::MaxDate, 4, 534}};
  for (const LimitPlace& p : limits) {
    *p.box = Place<TCheckBox>(this, SearchPanel, p.name, p.x, 60, 100);
    (*p.box)->SetCaption(p.caption);
    (*p.box)->SetTag(p.tag);
    (*p.box)->OnClick = [this](TObject* s) { LimitClick(s); };
  }
  SMinEdit = Place<TSkSpinEdit>(this, SearchPanel, "SMinEdit", 204, 78, 102);
  SMaxEdit = Place<TSkSpinEdit>(this, SearchPanel, "SMaxEdit", 314, 78, 102);
  for (TSkSpinEdit* e : {SMinEdit, SMaxEdit}) {
    // Any size a file can have: disc images lie far past 32 bits.
    e->SetRange64(0, std::numeric_limits<int64_t>::max());
    e->Increment = 1024;
    e->SetEnabled(false);
  }
  SMinEdit->SetValue64(0);
  SMaxEdit->SetValue64(1024);
  SMinEdit->SetHint(tx::MinSizeHint);
  SMaxEdit->SetHint(tx::MaxSizeHint);
  for (TSkSpinEdit* e : {SMinEdit, SMaxEdit}) e->OnChange = [this](TObject*) { ShowLimitHints(); };
  MinDate = Place<TSkDateEdit>(this, SearchPanel, "MinDate", 424, 78, 102);
  MaxDate = Place<TSkDateEdit>(this, SearchPanel, "MaxDate", 534, 78, 102);
  for (TSkDateEdit* e : {MinDate, MaxDate}) {
    e->SetAutoSize(false);
    e->SetEditMask(tx::DateMask);
    e->SetMaxLength(10);
    e->SkinData()->SetSkinSection("EDIT");
    e->SetDate(Now());
    e->SetEnabled(false);
  }
  MinDate->SetHint(tx::MinDateHint);
  MaxDate->SetHint(tx::MaxDateHint);
  for (TSkDateEdit* e : {MinDate, MaxDate}) e->OnChange = [this](TObject*) { ShowLimitHints(); };
  SearchPanel->OnResize = [this](TObject*) { ArrangePanel(); };
}

namespace {

// The design of the criteria: the masks in a column at the left, then the
// "Search in" block of three combos over four limits.
constexpr int kMargin = 8, kMaskWidth = 180, kBlockLeft = 204, kGap = 8;
constexpr int kComboPitch = 164, kLimitPitch = 110, kLimitBox = 100, kLimitEdit = 102;
constexpr int kComboMin = 100, kLimitMin = 88;  // narrower columns cut their text
constexpr int kPanelHeight = 108, kBlockBelow = 102;

void PlaceX(TControl* c, int x, int y, int w) {
  c->SetBounds(x, y, w, c->Height());
}

}  // namespace

void TFileTree::ArrangePanel() {
  if (arranging_ || !MaxDate) return;
  arranging_ = true;
  const int width = SearchPanel->ClientWidth();
  // The block beside the masks when its columns keep their least widths;
  // else below them, across the whole panel.
  int left = Scaled(kBlockLeft), top = 0;
  int room = width - left - Scaled(kMargin);
  const int least = std::max(3 * Scaled(kComboMin + kGap), 4 * Scaled(kLimitMin + kGap)) - Scaled(kGap);
  if (room < least) {
    left = Scaled(kMargin);
    top = Scaled(kBlockBelow);
    room = width - 2 * Scaled(kMargin);
  }
  // Design pitches when they fit, else the room shared evenly.
  const int comboPitch = std::min(Scaled(kComboPitch), (room + Scaled(kGap)) / 3);
  const int limitPitch = std::min(Scaled(kLimitPitch), (room + Scaled(kGap)) / 4);
  PlaceX(SearchInLabel, left, top + Scaled(2), SearchInLabel->Width());
  TComboBox* combos[] = {CatsCombo, DiscCombo, FileCombo};
  TLabel* labels[] = {CatsLabel, DiscLabel, FileLabel};
  for (int i = 0; i < 3; ++i) {
    const int x = left + i * comboPitch, w = comboPitch - Scaled(kGap);
    PlaceX(labels[i], x, top + Scaled(18), std::min(w, Scaled(150)));
    PlaceX(combos[i], x, top + Scaled(32), w);
  }
  TCheckBox* boxes[] = {chkSMin, chkSMax, chkDMin, chkDMax};
  TWinControl* editors[] = {SMinEdit, SMaxEdit, MinDate, MaxDate};
  const int limitExtra = Scaled(kLimitPitch - kLimitEdit);  // the design's gap between editors
  for (int i = 0; i < 4; ++i) {
    const int x = left + i * limitPitch;
    PlaceX(boxes[i], x, top + Scaled(60), std::min(Scaled(kLimitBox), limitPitch - Scaled(kGap)));
    PlaceX(editors[i], x, top + Scaled(78), limitPitch - limitExtra);
  }
  PlaceX(FileEdit, Scaled(kMargin), FileEdit->Top(), Scaled(kMaskWidth));
  PlaceX(FolderEdit, Scaled(kMargin), FolderEdit->Top(), Scaled(kMaskWidth));
  const int height = top + Scaled(kPanelHeight);
  if (SearchPanel->Height() != height) SearchPanel->SetHeight(height);
  arranging_ = false;
}

void TFileTree::ChangeScale(int M, int D) {
  TFrame::ChangeScale(M, D);
  if (M == D || D <= 0) return;
  scaleM_ *= M;
  scaleD_ *= D;
  const int g = std::gcd(scaleM_, scaleD_);
  scaleM_ /= g, scaleD_ /= g;
  ArrangePanel();
}

void TFileTree::LimitClick(TObject* Sender) {
  auto* box = dynamic_cast<TCheckBox*>(Sender);
  if (!box) return;
  TWinControl* editors[] = {SMinEdit, SMaxEdit, MinDate, MaxDate};
  intptr_t tag = box->Tag();
  if (tag >= 1 && tag <= 4) editors[tag - 1]->SetEnabled(box->Checked());
  ShowLimitHints();
}

void TFileTree::CatsComboChange(TObject*) {
  FillDiscCombo();
}

void TFileTree::MaskKeyPress(TObject*, char16_t& Key) {
  if (Key != u'\r' || !ActionEnabled(SearchAction)) return;
  Key = 0;
  SearchAction->Execute();
}

void TFileTree::FillCombos(bool Full) {
  if (!Engine) return;
  const TDiscKinds& kinds = Engine->Discs->Categories;
  if (Full) {
    TStrings* items = CatsCombo->Items();
    items->BeginUpdate();
    items->Clear();
    items->AddObject(tx::EveryCategory, EntryObject(0));
    // No catalogue open: its placeholder category "Other" is not offered.
    const int32_t count = Engine->IsOpen() ? kinds.Count() : 0;
    for (int32_t i = 0; i < count; ++i) items->AddObject(Blanked(kinds.GetName(i)), EntryObject(i + 1));
    items->EndUpdate();
  }
  SelectCategory(kinds.Selected);
  FillDiscCombo();
  FillFileCombo();
  SelectFileType(-1);
}

void TFileTree::FillFileCombo() {
  if (!Engine) return;
  // Entries carry the type's position: after the table changed, the entry
  // chosen before is found again by its name, or " < Any Type > " is.
  const std::string chosen =
      SelectedFileType() >= 0 ? FileCombo->Items()->Strings(FileCombo->ItemIndex()) : "";
  int again = -1;
  TStrings* items = FileCombo->Items();
  items->BeginUpdate();
  items->Clear();
  items->AddObject(tx::AnyType, EntryObject(0));
  const TFileKinds& types = *Engine->FileKinds;
  for (int32_t i = 0; i < types.Count(); ++i) {
    std::string entry = Blanked(types.GetItem(i).Name);
    if (again < 0 && entry == chosen) again = i;
    items->AddObject(entry, EntryObject(i + 1));
  }
  items->EndUpdate();
  SelectFileType(again);
}

void TFileTree::FillDiscCombo() {
  if (!Engine) return;
  int category = SelectedCategory();
  const TDiscList& discs = *Engine->Discs;
  TStrings* items = DiscCombo->Items();
  items->BeginUpdate();
  items->Clear();
  items->AddObject(tx::EveryDisc, EntryObject(0));
  for (int32_t i = 0; i < discs.Count(); ++i) {
    const TDiscData& d = discs.DiscAt(i);
    if (category == -1 || d.Category == category)
      items->AddObject(Blanked(Utf16ToUtf8(d.Label)), EntryObject(i + 1));
  }
  items->EndUpdate();
  SelectDisc(-1);
}

int TFileTree::SelectedCategory() {
  return SelectedIndexOf(CatsCombo);
}
int TFileTree::SelectedDisc() {
  return SelectedIndexOf(DiscCombo);
}
int TFileTree::SelectedFileType() {
  return SelectedIndexOf(FileCombo);
}
void TFileTree::SelectCategory(int Index) {
  SelectIndexOf(CatsCombo, Index);
}
void TFileTree::SelectDisc(int Index) {
  SelectIndexOf(DiscCombo, Index);
}
void TFileTree::SelectFileType(int Index) {
  SelectIndexOf(FileCombo, Index);
}

namespace {

// Why a checked limit box is refused: its text, quoted, is no byte count
// (empty, not a number, a number outside the box's range such as a negative
// one) or no day (blank, or an impossible date), and is never read as another
// number. Empty when the box reads or is not checked.
std::string RefusalOf(TCheckBox* box, TWinControl* edit) {
  if (!box->Checked()) return "";
  if (auto* spin = dynamic_cast<TSkSpinEdit*>(edit)) {
    int64_t size;
    if (spin->TryValue64(size) && spin->ClampValue64(size) == size) return "";
    return "\"" + spin->Text() + "\"" + tx::NoSize;
  }
  auto* date = static_cast<TSkDateEdit*>(edit);
  if (date->HoldsDate()) return "";
  return "\"" + date->Text() + "\"" + tx::NoDate;
}

// The status bar shows the hint of the control under the mouse: a box whose
// hint changes there shows the new one at once, as a menu's hint does.
void ChangeHint(TControl* control, const std::string& hint) {
  const std::string old = control->Hint();
  if (hint == old) return;
  control->SetHint(hint);
  if (!Application || old.empty() || Application->Hint != old) return;
  Application->Hint = hint;
  if (Application->OnHint) Application->OnHint(Application);
}

}  // namespace

std::vector<TFileTree::TLimit> TFileTree::Limits() const {
  return {{chkSMin, SMinEdit, tx::MinSizeHint},
          {chkSMax, SMaxEdit, tx::MaxSizeHint},
          {chkDMin, MinDate, tx::MinDateHint},
          {chkDMax, MaxDate, tx::MaxDateHint}};
}

std::string TFileTree::LimitRefusal() {
  for (const TLimit& limit : Limits()) {
    const std::string refusal = RefusalOf(limit.box, limit.edit);
    if (!refusal.empty()) return Trim(limit.box->Caption()) + " " + refusal;
  }
  return "";
}

void TFileTree::ShowLimitHints() {
  for (const TLimit& limit : Limits()) {
    const std::string refusal = RefusalOf(limit.box, limit.edit);
    ChangeHint(limit.edit, refusal.empty() ? std::string(limit.hint) : limit.hint + ("- " + refusal + " "));
  }
}

void TFileTree::GetSearchOpts(TSearchOpts& Opts) {
  Opts.FileMask = FileEdit->Text();
  Opts.FolderMask = FolderEdit->Text();
  Opts.Category = SelectedCategory();
  Opts.Disc = SelectedDisc();
  Opts.FileType = SelectedFileType();
  Opts.MinSizeOn = chkSMin->Checked();
  Opts.MinSize = SMinEdit->Value64();
  Opts.MaxSizeOn = chkSMax->Checked();
  Opts.MaxSize = SMaxEdit->Value64();
  Opts.MinDateOn = chkDMin->Checked();
  Opts.MinDate = MinDate->GetDate();
  Opts.MaxDateOn = chkDMax->Checked();
  Opts.MaxDate = MaxDate->GetDate();
}

bool TFileTree::CanSearch() {
  if (!Engine || !Engine->IsOpen()) return false;
  if (FileEdit->Text().empty() && FolderEdit->Text().empty()) return false;
  if (!LimitRefusal().empty()) return false;
  if (chkSMin->Checked() && chkSMax->Checked() && SMinEdit->Value64() > SMaxEdit->Value64()) return false;
  if (chkDMin->Checked() && chkDMax->Checked() && MinDate->GetDate() > MaxDate->GetDate()) return false;
  int category = SelectedCategory();
  return category < 0 || Engine->Discs->Categories.GetDiscCount(category) >= 1;
}

}  // namespace qv
