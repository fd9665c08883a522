// The graphic and simple controls: a label's size following its text and
// its accelerator, speed-button groups, down states and glyph images, a
// drop-down menus, splitter resizing its neighbour by mouse, and the pixels of panels,
// bevels, shapes and images.
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "classlib/menus/Menus.h"
#include "classlib/stdctrls/Bevel.h"
#include "classlib/stdctrls/Image.h"
#include "classlib/stdctrls/Label.h"
#include "classlib/stdctrls/Panel.h"
#include "classlib/stdctrls/Shape.h"
#include "classlib/stdctrls/SpeedButton.h"
#include "classlib/stdctrls/Splitter.h"
#include "platform/gdi/SystemColors.h"
#include "platform/menus/Menus.h"
#include "tests/classlib/controls/ControlsTestSupport.h"

namespace qv::test {
namespace {

using GraphicControlsTest = ControlsTest;

uint32_t Sys(TColor c) {
  TColor rgb = ColorToRGB(c);
  return uint32_t(rgb & 0xFF) << 16 | uint32_t(rgb & 0xFF00) | uint32_t(rgb >> 16 & 0xFF);
}

// Mouse down at one screen point, moves, and up at another.
void Drag(HeadlessBackend& b, POINT from, POINT to) {
  b.MouseMove(from.x, from.y);
  b.MouseDown();
  b.MouseMove((from.x + to.x) / 2, (from.y + to.y) / 2);
  b.MouseMove(to.x, to.y);
  b.MouseUp();
  b.Pump();
}

TEST_F(GraphicControlsTest, LabelSizeFollowsTextFontAndWrapping) {
  TForm* form = NewForm();
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetCaption("Hi");
  int shortWidth = label->Width(), lineHeight = label->Height();
  EXPECT_GT(shortWidth, 5);
  label->SetCaption("Hi there, a longer caption");
  EXPECT_GT(label->Width(), 3 * shortWidth);
  label->Font()->SetHeight(-24);
  EXPECT_GT(label->Height(), lineHeight + 8);
  label->Font()->SetHeight(-11);
  // Right-aligned labels keep their right edge.
  label->SetAlignment(taRightJustify);
  label->SetLeft(100);
  int right = label->Left() + label->Width();
  label->SetCaption("Hi");
  EXPECT_EQ(label->Left() + label->Width(), right);
  // Word wrap keeps the width and grows downwards.
  label->SetAutoSize(false);
  label->SetAlignment(taLeftJustify);
  label->SetBounds(10, 10, 60, 10);
  label->SetWordWrap(true);
  label->SetCaption("several words that cannot fit on one line");
  label->SetAutoSize(true);
  EXPECT_LE(label->Width(), 60);
  EXPECT_GE(label->Height(), 3 * lineHeight);
  label->SetCaption("");
  EXPECT_GT(label->Height(), 0) << "an empty caption keeps a line's height";
}

TEST_F(GraphicControlsTest, LabelAcceleratorFocusesItsControl) {
  TForm* form = NewForm();
  auto* first = new Probe(form);
  first->SetBounds(10, 10, 50, 20);
  first->SetParent(form);
  auto* target = new Probe(form);
  target->SetBounds(10, 60, 50, 20);
  target->SetParent(form);
  auto* label = new TLabel(form);
  label->SetCaption("&Name");
  label->SetFocusControl(target);
  label->SetBounds(10, 40, 50, 15);
  label->SetParent(form);
  auto* plain = new TLabel(form);
  plain->SetCaption("Fish && &chips");
  plain->SetParent(form);
  form->Show();
  first->SetFocus();
  Pump();
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'x', 0), 0);
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'f', 0), 0) << "no focus control, and && is no accelerator";
  EXPECT_TRUE(first->Focused());
  backend.TypeText(u"n");  // a key the focused control does not take
  Pump();
  EXPECT_TRUE(target->Focused());
  EXPECT_TRUE(IsAccel('C', "Fish && &chips"));
  EXPECT_FALSE(IsAccel('&', "Fish && &chips"));
  // A freed focus control is forgotten.
  delete target;
  EXPECT_EQ(label->FocusControl(), nullptr);
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'n', 0), 0);
}

TEST_F(GraphicControlsTest, LabelPaintsItsColourAndText) {
  TForm* form = NewForm({100, 100, 300, 200});
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 100, 30);
  label->SetColor(clYellow);
  label->SetCaption("WWWW");
  form->Show();
  Pump();
  EXPECT_EQ(PixelAt(100 + 105, 100 + 35), Rgb(255, 255, 0));
  bool ink = false;
  for (int x = 110; x < 140 && !ink; ++x)
    for (int y = 110; y < 125; ++y) ink = ink || PixelAt(x, y) == Rgb(0, 0, 0);
  EXPECT_TRUE(ink);
  label->SetTransparent(true);
  Pump();
  EXPECT_EQ(PixelAt(100 + 105, 100 + 35), Rgb(212, 208, 200));
}

TEST_F(GraphicControlsTest, SpeedButtonsOfAGroupStayDownOneAtATime) {
  TForm* form = NewForm({100, 100, 300, 200});
  std::vector<TSpeedButton*> buttons;
  int clicks = 0;
  for (int i = 0; i < 3; ++i) {
    auto* b = new TSpeedButton(form);
    b->SetBounds(10 + 30 * i, 10, 25, 25);
    b->SetGroupIndex(1);
    b->OnClick = [&](TObject*) { ++clicks; };
    b->SetParent(form);
    buttons.push_back(b);
  }
  form->Show();
  Pump();
  auto click = [&](int i) {
    backend.Click(100 + 10 + 30 * i + 12, 100 + 22);
    Pump();
  };
  click(1);
  EXPECT_TRUE(buttons[1]->Down());
  EXPECT_EQ(buttons[1]->State(), bsExclusive);
  click(2);
  EXPECT_FALSE(buttons[1]->Down());
  EXPECT_TRUE(buttons[2]->Down());
  click(2);
  EXPECT_TRUE(buttons[2]->Down()) << "the group's last button stays down";
  EXPECT_EQ(clicks, 3);
  // AllowAllUp is shared by the group.
  buttons[0]->SetAllowAllUp(true);
  EXPECT_TRUE(buttons[2]->AllowAllUp());
  click(2);
  EXPECT_FALSE(buttons[2]->Down());
  // Released outside: no click, no change.
  Drag(backend, POINT{100 + 10 + 12, 100 + 22}, POINT{100 + 200, 100 + 90});
  EXPECT_FALSE(buttons[0]->Down());
  EXPECT_EQ(buttons[0]->State(), bsUp);
  EXPECT_EQ(clicks, 4);
  // Without a group a button never stays down.
  buttons[1]->SetGroupIndex(0);
  buttons[1]->SetDown(true);
  EXPECT_FALSE(buttons[1]->Down());
  buttons[0]->SetDown(true);
  EXPECT_TRUE(buttons[0]->Down());
  EXPECT_FALSE(buttons[2]->Down());
}

TEST_F(GraphicControlsTest, SpeedButtonGlyphShowsTheImageOfItsState) {
  TForm* form = NewForm({100, 100, 300, 200});
  TBitmap glyph;
  glyph.SetSize(64, 16);
  TColor cells[] = {clRed, clLime, clBlue, clYellow};
  for (int i = 0; i < 4; ++i) {
    glyph.Canvas()->Brush()->SetColor(cells[i]);
    glyph.Canvas()->FillRect(RECT{16 * i, 0, 16 * i + 16, 16});
  }
  glyph.Canvas()->SetPixels(0, 15, clFuchsia);  // the transparent colour
  auto* b = new TSpeedButton(form);
  b->SetBounds(10, 10, 30, 30);
  b->SetGlyph(&glyph);
  b->SetNumGlyphs(4);
  b->SetGroupIndex(2);
  b->SetAllowAllUp(true);
  b->SetParent(form);
  form->Show();
  Pump();
  POINT centre{100 + 10 + 15, 100 + 10 + 15};
  EXPECT_EQ(PixelAt(centre.x, centre.y), Rgb(255, 0, 0));
  backend.MouseMove(centre.x, centre.y);
  backend.MouseDown();
  Pump();
  EXPECT_EQ(PixelAt(centre.x, centre.y), Rgb(0, 0, 255)) << "pressed";
  backend.MouseUp();
  Pump();
  EXPECT_EQ(PixelAt(centre.x, centre.y), Rgb(255, 255, 0)) << "stuck down";
  // Around the glyph, stuck down is a dither of face and highlight.
  uint32_t a = PixelAt(100 + 13, 100 + 14), c = PixelAt(100 + 14, 100 + 14);
  EXPECT_NE(a, c);
  EXPECT_TRUE(a == Rgb(255, 255, 255) || c == Rgb(255, 255, 255));
  b->SetEnabled(false);
  Pump();
  EXPECT_EQ(PixelAt(centre.x, centre.y), Rgb(0, 255, 0)) << "disabled";
  // One image only: a disabled button embosses it instead.
  b->SetNumGlyphs(1);
  TBitmap dark;
  dark.SetSize(16, 16);
  dark.Canvas()->Brush()->SetColor(clBlack);
  dark.Canvas()->FillRect(RECT{4, 4, 12, 12});
  b->SetGlyph(&dark);
  Pump();
  bool shadow = false;
  for (int x = -8; x < 8; ++x) shadow = shadow || PixelAt(centre.x + x, centre.y) == Sys(clBtnShadow);
  EXPECT_TRUE(shadow);
}

TEST_F(GraphicControlsTest, FlatSpeedButtonShowsAFrameOnlyUnderTheMouse) {
  TForm* form = NewForm({100, 100, 300, 200});
  auto* b = new TSpeedButton(form);
  b->SetBounds(10, 10, 30, 30);
  b->SetFlat(true);
  b->SetParent(form);
  form->Show();
  backend.MouseMove(100 + 150, 100 + 80);
  Pump();
  EXPECT_EQ(PixelAt(100 + 10, 100 + 10), Rgb(212, 208, 200));
  backend.MouseMove(100 + 25, 100 + 25);
  Pump();
  EXPECT_TRUE(b->MouseInControl());
  EXPECT_EQ(PixelAt(100 + 10, 100 + 10), Rgb(255, 255, 255));
  EXPECT_EQ(PixelAt(100 + 39, 100 + 39), Sys(clBtnShadow));
  backend.MouseMove(100 + 150, 100 + 80);
  Pump();
  EXPECT_EQ(PixelAt(100 + 10, 100 + 10), Rgb(212, 208, 200));
}

// A speed button whose menu the test opens as a press would.
class OpeningButton : public TSpeedButton {
 public:
  using TSpeedButton::DropDown;
  using TSpeedButton::TSpeedButton;
};

// Two drop-down buttons on a form sharing one menu: "Go" has an OnClick,
// "Menu" has none. The form's client starts at (100, 100).
class DropDownButtons : public GraphicControlsTest {
 protected:
  void SetUp() override {
    GraphicControlsTest::SetUp();
    form = NewForm({100, 100, 300, 200});
    menu = new TPopupMenu(form);
    for (const char* caption : {"&First", "&Second"}) {
      auto* item = new TMenuItem(form);
      item->SetCaption(caption);
      item->OnClick = [this, caption](TObject*) { chosen.push_back(caption); };
      menu->Items()->Add(item);
    }
    go = Button("Go", 10);
    go->OnClick = [this](TObject*) { ++clicks; };
    plain = Button("Menu", 80);
    form->Show();
    Pump();
  }
  OpeningButton* Button(const char* caption, int left) {
    auto* b = new OpeningButton(form);
    b->SetBounds(left, 10, 60, 24);
    b->SetCaption(caption);
    b->SetDropdownMenu(menu);
    b->SetParent(form);
    return b;
  }
  // The arrow's ink: pixels of the button's text colour in its arrow part.
  int ArrowInk(TSpeedButton* b) {
    int ink = 0;
    for (int y = 10; y < 34; ++y)
      for (int x = b->Left() + 60 - TSpeedButton::DropDownArrowWidth; x < b->Left() + 60; ++x)
        ink += PixelAt(100 + x, 100 + y) == Sys(clBtnText);
    return ink;
  }

  TForm* form = nullptr;
  TPopupMenu* menu = nullptr;
  OpeningButton *go = nullptr, *plain = nullptr;
  std::vector<std::string> chosen;
  int clicks = 0;
};

TEST_F(DropDownButtons, TheArrowOpensTheMenuBelowWithTheButtonHeldDown) {
  EXPECT_GE(ArrowInk(go), 16) << "the arrow is drawn";
  // The face of a button with OnClick is an ordinary button.
  backend.Click(100 + 20, 100 + 20);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(chosen.empty());
  uint32_t upCorner = PixelAt(100 + 10, 100 + 10);
  bool seen = false;
  backend.WhenIdle([&] {
    seen = true;
    EXPECT_TRUE(go->MenuOpen());
    EXPECT_EQ(go->State(), bsDown);
    EXPECT_EQ(menu->PopupComponent(), go);
    EXPECT_NE(PixelAt(100 + 10, 100 + 10), upCorner) << "drawn pressed";
    RECT wr{};
    GetWindowRect(MenuWindowOf(menu->Handle()), &wr);
    EXPECT_EQ(wr.left, 100 + 10);
    EXPECT_EQ(wr.top, 100 + 10 + 24 + 1);
    // Another drop-down button does not open a second menu meanwhile.
    plain->DropDown();
    EXPECT_FALSE(plain->MenuOpen());
    EXPECT_EQ(plain->State(), bsUp);
    backend.KeyPress(VK_DOWN);
    backend.KeyPress(VK_DOWN);
    backend.KeyPress(VK_RETURN);
  });
  backend.Click(100 + 10 + 60 - 8, 100 + 20);
  Pump();
  EXPECT_TRUE(seen);
  EXPECT_EQ(chosen, std::vector<std::string>{"&Second"});
  EXPECT_EQ(clicks, 1) << "choosing from the menu is no click";
  EXPECT_FALSE(go->MenuOpen());
  EXPECT_EQ(go->State(), bsUp);
  EXPECT_EQ(PixelAt(100 + 10, 100 + 10), upCorner) << "drawn up again";
}

TEST_F(DropDownButtons, WithoutOnClickAnyPressOpensTheMenuAndAFreedMenuIsLetGo) {
  backend.WhenIdle([&] {
    EXPECT_TRUE(plain->MenuOpen());
    backend.KeyPress(VK_ESCAPE);
  });
  backend.Click(100 + 80 + 10, 100 + 20);
  Pump();
  EXPECT_FALSE(plain->MenuOpen());
  EXPECT_EQ(plain->State(), bsUp);
  EXPECT_TRUE(chosen.empty());
  // The menu's end leaves the buttons without it and without the arrow.
  delete menu;
  EXPECT_EQ(go->DropdownMenu(), nullptr);
  EXPECT_EQ(plain->DropdownMenu(), nullptr);
  Pump();
  EXPECT_EQ(ArrowInk(plain), 0);
  backend.Click(100 + 80 + 10, 100 + 20);
  Pump();
  EXPECT_EQ(plain->State(), bsUp);
}

struct SplitLayout {
  TPanel* side;
  TSplitter* splitter;
  TPanel* rest;
};

SplitLayout MakeSplit(TForm* form, TAlign align, int size) {
  SplitLayout l;
  l.side = new TPanel(form);
  l.side->SetAlign(align);
  (align == alLeft || align == alRight) ? l.side->SetWidth(size) : l.side->SetHeight(size);
  l.side->SetParent(form);
  l.splitter = new TSplitter(form);
  l.splitter->SetAlign(align);
  if (align == alTop || align == alBottom)
    l.splitter->SetHeight(5);
  else
    l.splitter->SetWidth(5);
  // Placed past the side panel so that alignment puts it beside it.
  if (align == alLeft) l.splitter->SetLeft(size + 1);
  if (align == alTop) l.splitter->SetTop(size + 1);
  if (align == alRight) l.splitter->SetLeft(400 - size - 10);
  if (align == alBottom) l.splitter->SetTop(300 - size - 10);
  l.splitter->SetParent(form);
  l.rest = new TPanel(form);
  l.rest->SetAlign(alClient);
  l.rest->SetParent(form);
  return l;
}

TEST_F(GraphicControlsTest, SplitterResizesItsNeighbourByMouse) {
  TForm* form = NewForm({100, 100, 500, 400});  // client 400 x 300
  SplitLayout l = MakeSplit(form, alLeft, 100);
  form->Show();
  Pump();
  ASSERT_EQ(l.splitter->Left(), 100);
  EXPECT_EQ(l.splitter->Cursor(), crHSplit);
  l.splitter->ResizeStyle = rsUpdate;
  int moved = 0;
  l.splitter->OnMoved = [&](TObject*) { ++moved; };
  Drag(backend, POINT{100 + 102, 200}, POINT{100 + 152, 210});
  EXPECT_EQ(l.side->Width(), 150);
  EXPECT_EQ(l.splitter->Left(), 150);
  EXPECT_EQ(l.rest->Left(), 155);
  EXPECT_EQ(moved, 1);
  // The inverted-line style resizes on release.
  l.splitter->ResizeStyle = rsPattern;
  Drag(backend, POINT{100 + 152, 200}, POINT{100 + 122, 200});
  EXPECT_EQ(l.side->Width(), 120);
  // The limits: MinSize without AutoSnap, the room left, and the veto.
  l.splitter->AutoSnap = false;
  Drag(backend, POINT{100 + 122, 200}, POINT{100 + 20, 200});
  EXPECT_EQ(l.side->Width(), 30);
  Drag(backend, POINT{100 + 32, 200}, POINT{100 + 399, 200});
  EXPECT_EQ(l.side->Width(), 400 - 30 - 5);
  l.splitter->OnCanResize = [](TObject*, int& size, bool& accept) { accept = size <= 200; };
  Drag(backend, POINT{100 + 367, 200}, POINT{100 + 150, 200});
  EXPECT_EQ(l.side->Width(), 148);
  Drag(backend, POINT{100 + 150, 200}, POINT{100 + 300, 200});
  EXPECT_EQ(l.side->Width(), 148) << "vetoed";
  // AutoSnap collapses a neighbour dragged below MinSize.
  l.splitter->OnCanResize = nullptr;
  l.splitter->AutoSnap = true;
  Drag(backend, POINT{100 + 150, 200}, POINT{100 + 10, 200});
  EXPECT_EQ(l.side->Width(), 0);
}

TEST_F(GraphicControlsTest, SplitterDragsAnInvertedLineUntilRelease) {
  TForm* form = NewForm({100, 100, 500, 400});
  SplitLayout l = MakeSplit(form, alLeft, 100);
  form->Show();
  Pump();
  uint32_t face = Rgb(212, 208, 200), inverted = Rgb(255 - 212, 255 - 208, 255 - 200);
  backend.MouseMove(100 + 102, 200);
  backend.MouseDown();
  backend.MouseMove(100 + 142, 200);
  Pump();
  EXPECT_EQ(PixelAt(100 + 142, 150), inverted) << "the line at the new place";
  EXPECT_EQ(PixelAt(100 + 101, 150), face) << "the old place keeps its look";
  EXPECT_EQ(l.side->Width(), 100) << "nothing moves before the release";
  EXPECT_EQ(l.splitter->ResizeControl(), l.side);
  backend.MouseMove(100 + 162, 200);
  Pump();
  EXPECT_EQ(PixelAt(100 + 142, 150), face) << "the line moved on";
  EXPECT_EQ(PixelAt(100 + 162, 150), inverted);
  backend.MouseUp();
  Pump();
  EXPECT_EQ(l.side->Width(), 160);
  EXPECT_EQ(l.splitter->ResizeControl(), nullptr);
  for (int x : {100 + 142, 100 + 162, 100 + 170}) EXPECT_EQ(PixelAt(x, 150), face) << x;
}

TEST_F(GraphicControlsTest, ANeighbourFreedDuringTheDragIsLetGo) {
  TForm* form = NewForm({100, 100, 500, 400});
  SplitLayout l = MakeSplit(form, alLeft, 100);
  form->Show();
  Pump();
  backend.MouseMove(100 + 102, 200);
  backend.MouseDown();
  backend.MouseMove(100 + 142, 200);
  Pump();
  ASSERT_EQ(l.splitter->ResizeControl(), l.side);
  delete l.side;
  EXPECT_EQ(l.splitter->ResizeControl(), nullptr);
  backend.MouseMove(100 + 150, 200);
  backend.MouseUp();
  Pump();
  EXPECT_EQ(l.rest->Left(), l.splitter->Left() + l.splitter->Width());
}

TEST_F(GraphicControlsTest, SplittersOnTheOtherEdges) {
  TForm* form = NewForm({100, 100, 500, 400});
  SplitLayout top = MakeSplit(form, alTop, 80);
  form->Show();
  Pump();
  EXPECT_EQ(top.splitter->Cursor(), crVSplit);
  top.splitter->ResizeStyle = rsUpdate;
  Drag(backend, POINT{300, 100 + 82}, POINT{300, 100 + 102});
  EXPECT_EQ(top.side->Height(), 100);
  EXPECT_EQ(top.splitter->Top(), 100);

  TForm* second = NewForm({100, 100, 500, 400});
  SplitLayout right = MakeSplit(second, alRight, 100);
  second->Show();
  Pump();
  ASSERT_EQ(right.splitter->Left(), 295);
  Drag(backend, POINT{100 + 297, 200}, POINT{100 + 267, 200});
  EXPECT_EQ(right.side->Width(), 130);
  EXPECT_EQ(right.side->Left(), 270);
  EXPECT_EQ(right.splitter->Left(), 265);
}

TEST_F(GraphicControlsTest, PanelBevelsAndTheClientLeftToChildren) {
  TForm* form = NewForm({100, 100, 300, 200});
  auto* panel = new TPanel(form);
  panel->SetBounds(10, 10, 100, 50);
  panel->SetParent(form);
  form->Show();
  Pump();
  EXPECT_EQ(PixelAt(110, 110), Rgb(255, 255, 255));
  EXPECT_EQ(PixelAt(209, 159), Sys(clBtnShadow));
  panel->SetBevelOuter(bvLowered);
  Pump();
  EXPECT_EQ(PixelAt(110, 110), Sys(clBtnShadow));
  EXPECT_EQ(PixelAt(209, 159), Rgb(255, 255, 255));
  panel->SetBevelWidth(2);
  panel->SetBorderWidth(3);
  auto* child = new Probe(panel);
  child->SetAlign(alClient);
  child->SetParent(panel);
  Pump();
  EXPECT_EQ(child->BoundsRect(), (RECT{5, 5, 95, 45}));
  panel->SetBevelOuter(bvNone);
  Pump();
  EXPECT_EQ(child->BoundsRect(), (RECT{3, 3, 97, 47}));
}

TEST_F(GraphicControlsTest, BevelShapeAndImagePaint) {
  TForm* form = NewForm({100, 100, 400, 300});
  auto* bevel = new TBevel(form);
  bevel->SetBounds(10, 10, 40, 30);
  bevel->SetParent(form);
  auto* shape = new TShape(form);
  shape->SetShape(stCircle);
  shape->Brush()->SetColor(clRed);
  shape->SetBounds(60, 10, 40, 60);
  shape->SetParent(form);
  auto* image = new TImage(form);
  image->SetBounds(120, 10, 40, 40);
  TBitmap pic;
  pic.SetSize(20, 10);
  pic.Canvas()->Brush()->SetColor(clBlue);
  pic.Canvas()->FillRect(RECT{0, 0, 20, 10});
  image->Picture()->SetGraphic(&pic);
  image->SetParent(form);
  form->Show();
  Pump();
  uint32_t face = Rgb(212, 208, 200);
  EXPECT_EQ(PixelAt(110, 110), Sys(clBtnShadow));
  EXPECT_EQ(PixelAt(149, 139), Rgb(255, 255, 255));
  EXPECT_EQ(PixelAt(130, 125), face);
  EXPECT_EQ(PixelAt(180, 140), Rgb(255, 0, 0)) << "the circle's centre";
  EXPECT_EQ(PixelAt(180, 112), face) << "a circle, not the control's height";
  EXPECT_EQ(PixelAt(161, 111), face);
  EXPECT_EQ(PixelAt(225, 115), Rgb(0, 0, 255));
  EXPECT_EQ(PixelAt(245, 135), face);
  image->SetStretch(true);
  Pump();
  EXPECT_EQ(PixelAt(259, 149), Rgb(0, 0, 255));
  image->SetProportional(true);
  image->SetCenter(true);
  Pump();
  EXPECT_EQ(PixelAt(240, 130), Rgb(0, 0, 255));
  EXPECT_EQ(PixelAt(240, 114), face) << "keeps the picture's shape";
  image->SetAutoSize(true);
  image->SetStretch(false);
  EXPECT_EQ(image->Width(), 20);
  EXPECT_EQ(image->Height(), 10);
}

}  // namespace
}  // namespace qv::test
