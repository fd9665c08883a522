// The gallery's controls: a text group (edits, mask edit, labelled edit,
// memo), the choices (check boxes, radio buttons, radio group, combo and
// list box), buttons of every kind, a scroll bar, panel, bevel, image and
// shape, and below them a splitter over the event log and the status panel.
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Pen.h"
#include "demo/gallery/GalleryForm.h"
#include "demo/gallery/GalleryLayout.h"

namespace qv::gallery {
namespace {

template <class T>
T* Place(TComponent* Owner, TWinControl* Parent, const RECT& R) {
  auto* c = new T(Owner);
  c->SetBounds(R.left, R.top, R.Width(), R.Height());
  c->SetParent(Parent);
  return c;
}

TLabel* AddLabel(TComponent* Owner, TWinControl* Parent, int X, int Y, const std::string& Text,
                 TWinControl* Focus) {
  auto* l = Place<TLabel>(Owner, Parent, RECT{X, Y, X + 120, Y + 13});
  l->SetCaption(Text);
  if (Focus) l->SetFocusControl(Focus);
  return l;
}

// A 16x16 glyph of three lines aligned left, centred or right, on the
// colour its lower left pixel gives (drawn transparent).
void DrawAlignGlyph(TBitmap* Glyph, int Which) {
  Glyph->SetSize(16, 16);
  TCanvas* c = Glyph->Canvas();
  c->Brush()->SetColor(TColor(0xFF00FF));
  c->FillRect(RECT{0, 0, 16, 16});
  c->Brush()->SetColor(clBlack);
  const int widths[] = {12, 8, 10, 6};
  for (int i = 0; i < 4; ++i) {
    int w = widths[i], x = Which == 0 ? 2 : Which == 1 ? (16 - w) / 2 : 14 - w;
    c->FillRect(RECT{x, 3 + 3 * i, x + w, 5 + 3 * i});
  }
}

}  // namespace

void TGalleryForm::BuildTextGroup() {
  TextGroup = Place<TGroupBox>(this, this, kTextGroup);
  TextGroup->SetCaption("Text");
  NameEdit = Place<TEdit>(this, TextGroup, kNameEdit);
  NameEdit->SetText("Quirvane");
  NameLabel = AddLabel(this, TextGroup, 12, 20, "&Name:", NameEdit);
  NameEdit->OnChange = [this](TObject*) { Log("Name: " + NameEdit->Text()); };

  DateEdit = Place<TMaskEdit>(this, TextGroup, RECT{12, 80, 102, 101});
  DateEdit->SetEditMask("!99/99/9999;1; ");
  DateEdit->SetText("07/12/2026");
  AddLabel(this, TextGroup, 12, 64, "&Date:", DateEdit);

  DiscEdit = Place<TLabeledEdit>(this, TextGroup, RECT{12, 124, 188, 145});
  DiscEdit->EditLabel()->SetCaption("&Labelled edit:");
  DiscEdit->SetText("Disc 1");

  NotesMemo = Place<TMemo>(this, TextGroup, RECT{12, 170, 188, 330});
  AddLabel(this, TextGroup, 12, 154, "Mem&o:", NotesMemo);
  NotesMemo->SetScrollBars(ssVertical);
  for (const char* line :
       {"A memo holds several lines.",
        "It wraps long lines at its edge and scrolls when the text is taller than the memo.", "", "Line 4",
        "Line 5", "Line 6", "Line 7", "Line 8", "Line 9", "Line 10", "Line 11", "Line 12"})
    NotesMemo->Lines()->Add(line);
}

void TGalleryForm::BuildChoices() {
  ChoiceGroup = Place<TGroupBox>(this, this, kChoiceGroup);
  ChoiceGroup->SetCaption("Choices");
  CheckBox = Place<TCheckBox>(this, ChoiceGroup, kCheckBox);
  CheckBox->SetCaption("Chec&k box");
  CheckBox->SetChecked(true);
  CheckBox->OnClick = [this](TObject*) { Log(CheckBox->Checked() ? "Check box on" : "Check box off"); };
  ThreeStateBox = Place<TCheckBox>(this, ChoiceGroup, RECT{12, 40, 182, 57});
  ThreeStateBox->SetCaption("&Three states");
  ThreeStateBox->AllowGrayed = true;
  ThreeStateBox->SetState(cbGrayed);
  RadioOne = Place<TRadioButton>(this, ChoiceGroup, RECT{12, 62, 182, 79});
  RadioOne->SetCaption("&Radio one");
  RadioOne->SetChecked(true);
  RadioTwo = Place<TRadioButton>(this, ChoiceGroup, RECT{12, 82, 182, 99});
  RadioTwo->SetCaption("Radio t&wo");
  RadioTwo->OnClick = [this](TObject*) { Log("Radio two"); };

  MediaGroup = Place<TRadioGroup>(this, this, kMediaGroup);
  MediaGroup->SetCaption("&Media");
  MediaGroup->SetColumns(3);
  for (const char* item : {"CD", "DVD", "Folder"}) MediaGroup->Items()->Add(item);
  MediaGroup->SetItemIndex(0);
  MediaGroup->OnClick = [this](TObject*) {
    if (MediaGroup->ItemIndex() >= 0) Log("Media: " + MediaGroup->Items()->Strings(MediaGroup->ItemIndex()));
  };

  Combo = Place<TComboBox>(this, this, kCombo);
  Combo->SetStyle(csDropDownList);
  for (const char* item :
       {"Compact disc", "Digital versatile disc", "Folder", "Floppy disc", "Network share"})
    Combo->Items()->Add(item);
  Combo->SetItemIndex(0);
  AddLabel(this, this, kCombo.left, kCombo.top - 16, "Com&bo box:", Combo);
  Combo->OnChange = [this](TObject*) {
    if (Combo->ItemIndex() >= 0) Log("Combo: " + Combo->Items()->Strings(Combo->ItemIndex()));
  };

  List = Place<TListBox>(this, this, kList);
  for (const char* item : {"Alpha", "Bravo", "Charlie", "Delta", "Echo", "Foxtrot", "Golf", "Hotel", "India"})
    List->Items()->Add(item);
  List->SetItemIndex(1);
  AddLabel(this, this, kList.left, kList.top - 16, "L&ist box:", List);
  List->OnClick = [this](TObject*) {
    if (List->ItemIndex() >= 0) Log("List: " + List->Items()->Strings(List->ItemIndex()));
  };
}

void TGalleryForm::BuildButtons() {
  ClearButton = Place<TButton>(this, this, kButton);
  ClearButton->SetAction(ClearLogAction);
  OkButton = Place<TBitBtn>(this, this, kOkButton);
  OkButton->SetKind(bkOK);
  OkButton->ModalResult = mrNone;  // the form is not modal: OK only reports
  OkButton->OnClick = [this](TObject*) { Log("OK clicked"); };

  // Three speed buttons of one group (one stays down) and a flat one on its own.
  for (int i = 0; i < 3; ++i) {
    auto* b = Place<TSpeedButton>(this, this, RECT{424 + 26 * i, 44, 424 + 26 * i + 25, 69});
    TBitmap glyph;
    DrawAlignGlyph(&glyph, i);
    b->SetGlyph(&glyph);
    b->SetGroupIndex(1);
    b->SetDown(i == 0);
    static const char* names[] = {"left", "centre", "right"};
    std::string name = names[i];
    b->OnClick = [this, name](TObject*) { Log("Align " + name); };
    AlignButtons[i] = b;
  }
  FlatButton = Place<TSpeedButton>(this, this, RECT{510, 44, 560, 69});
  FlatButton->SetCaption("Fl&at");
  FlatButton->SetFlat(true);
  FlatButton->SetGroupIndex(2);
  FlatButton->SetAllowAllUp(true);
  FlatButton->OnClick = [this](TObject*) { Log(FlatButton->Down() ? "Flat down" : "Flat up"); };
  ShapeButton = Place<TSpeedButton>(this, this, RECT{566, 44, 628, 69});
  ShapeButton->SetCaption("Circle");
  ShapeButton->SetDropdownMenu(ShapeMenu);

  ScrollBar = Place<TScrollBar>(this, this, kScrollBar);
  ScrollBar->SetParams(30, 0, 100);
  ScrollBar->SetPageSize(10);
  ScrollBar->OnChange = [this](TObject*) { Log("Scroll bar at " + std::to_string(ScrollBar->Position())); };

  PasswordEdit = Place<TEdit>(this, this, kPassword);
  PasswordEdit->SetPasswordChar(u'*');
  PasswordEdit->SetText("secret");
  AddLabel(this, this, kPassword.left, kPassword.top - 16, "&Password:", PasswordEdit);
  DisabledButton = Place<TButton>(this, this, RECT{424, 318, 524, 342});
  DisabledButton->SetCaption("Disabled");
  DisabledButton->SetEnabled(false);
}

void TGalleryForm::BuildPictures() {
  Panel = Place<TPanel>(this, this, kPanel);
  Panel->SetCaption("Panel");
  Panel->SetPopupMenu(ShapeMenu);
  Bevel = Place<TBevel>(this, this, kBevel);
  Bevel->SetShape(bsBox);
  Bevel->SetStyle(bsLowered);
  Image = Place<TImage>(this, this, kImage);
  TCanvas* c = Image->Canvas();
  c->Brush()->SetColor(TColor(kImageBack));
  c->FillRect(RECT{0, 0, kImage.Width(), kImage.Height()});
  c->Brush()->SetColor(TColor(kImageDisc));
  c->Pen()->SetColor(TColor(kImageDisc));
  c->Ellipse(8, 9, kImage.Width() - 8, kImage.Height() - 9);
  Shape = Place<TShape>(this, this, kShape);
  Shape->SetShape(stCircle);
  Shape->Brush()->SetColor(clBlue);
  Shape->SetPopupMenu(ShapeMenu);

  HintLabel = Place<TLabel>(this, this, RECT{424, 170, 628, 200});
  HintLabel->SetAutoSize(false);
  HintLabel->SetBounds(424, 170, 204, 30);  // the empty label had shrunk to nothing
  HintLabel->SetWordWrap(true);
  HintLabel->SetCaption("Right-click the panel or the circle for the popup menu.");
}

void TGalleryForm::BuildBottom() {
  // Aligned to the bottom in this order: the status panel lowest, the log
  // above it and the splitter that sizes the log on top.
  int bottom = ClientHeight();
  StatusPanel = Place<TPanel>(this, this, RECT{0, bottom - kStatusHeight, kFormClient.cx, bottom});
  StatusPanel->SetAlign(alBottom);
  StatusPanel->SetBevelOuter(bvLowered);
  StatusPanel->SetAlignment(taLeftJustify);
  StatusPanel->SetCaption(" Ready");
  bottom -= kStatusHeight;
  LogMemo = Place<TMemo>(this, this, RECT{0, bottom - kLogHeight, kFormClient.cx, bottom});
  LogMemo->SetAlign(alBottom);
  LogMemo->SetReadOnly(true);
  LogMemo->SetScrollBars(ssVertical);
  LogMemo->SetTabStop(false);
  bottom -= kLogHeight;
  Splitter = Place<TSplitter>(this, this, RECT{0, bottom - kSplitterHeight, kFormClient.cx, bottom});
  // A splitter starts aligned to the left, where it took the full height.
  Splitter->SetAlign(alBottom);
  Splitter->SetBounds(0, bottom - kSplitterHeight, kFormClient.cx, kSplitterHeight);
  Splitter->OnMoved = [this](TObject*) { Log("Log height " + std::to_string(LogMemo->Height())); };
}

void TGalleryForm::SetShapeColour(TColor Colour, const std::string& Name) {
  Shape->Brush()->SetColor(Colour);
  Log("Circle " + Name);
}

}  // namespace qv::gallery
