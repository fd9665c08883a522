// The main window (and the wizard it opens) on a screen of 192 dpi against
// the same at 96 dpi: every part, text, controls and pictures alike, is
// twice as large, give or take the pixel that rounding takes or gives.
#include <cmath>
#include <filesystem>
#include <map>

#include "MainTestSupport.h"
#include "app/dialogs/DiscWiz.h"
#include "app/frames/Console.h"
#include "app/frames/DiscTree.h"
#include "app/frames/FileTree.h"
#include "classlib/comctrls/ToolBar.h"
#include "classlib/comctrls/TreeView.h"
#include "classlib/graphics/Bitmap.h"
#include "platform/comctl/BarControls.h"
#include "platform/comctl/TreeView.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Paint.h"
#include "skin/controls/skSpinEdit.h"
#include "skin/skHintManager.h"

namespace qv::test {
namespace {

using Sizes = std::map<std::string, int>;

int ClientTop(TWinControl* c) {
  RECT w{};
  GetWindowRect(c->Handle(), &w);
  return c->ClientToScreen(POINT{0, 0}).y - w.top;
}

// The painted part of a tool button: the box of the pixels that differ from
// the bar's face, in the bar's first button.
int GlyphBox(HeadlessBackend& backend, TToolBar* bar) {
  TToolButton* b = bar->Buttons(0);
  POINT o = b->ClientToScreen(POINT{0, 0});
  Surface shot = backend.Screenshot();
  const uint32_t face = shot.At(o.x + 1, o.y + 1) & 0xFFFFFF;
  int left = b->Width(), right = -1;
  for (int y = 0; y < b->Height(); ++y)
    for (int x = 0; x < b->Width(); ++x)
      if ((shot.At(o.x + x, o.y + y) & 0xFFFFFF) != face)
        left = std::min(left, x), right = std::max(right, x);
  return right - left + 1;
}

// Text and arrows on the grey face (which is lighter in every channel).
bool Dark(uint32_t pixel) {
  return (pixel & 0xFF) < 100 && ((pixel >> 8) & 0xFF) < 100 && ((pixel >> 16) & 0xFF) < 100;
}

// The width of the first thing a control paints from its left (printed
// into a bitmap: the control may lie outside the small screen): the run of
// columns that hold a pixel other than the background at its corner.
int FirstPaintedRun(TWinControl* c) {
  TBitmap bmp;
  bmp.SetSize(c->Width(), c->Height());
  PrintWindow(c->Handle(), bmp.Canvas()->Handle(), 0);
  Surface shot = bmp.ToSurface();
  const uint32_t back = shot.At(0, 0) & 0xFFFFFF;
  int run = 0;
  for (int x = 0; x < shot.Width; ++x) {
    bool painted = false;
    for (int y = 0; y < shot.Height && !painted; ++y) painted = (shot.At(x, y) & 0xFFFFFF) != back;
    if (painted)
      ++run;
    else if (run)
      break;
  }
  return run;
}

// The box of the black pixels a control shows on the screen (a spin
// button's arrow, in the text's colour; its frame is lighter): {width, height}.
SIZE BlackBox(HeadlessBackend& backend, TControl* c) {
  const POINT o = c->ClientToScreen(POINT{0, 0});
  const Surface shot = backend.Screenshot();
  int left = c->Width(), right = -1, top = c->Height(), bottom = -1;
  for (int y = 0; y < c->Height(); ++y)
    for (int x = 0; x < c->Width(); ++x)
      if ((shot.At(o.x + x, o.y + y) & 0xFFFFFF) == 0)
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y),
        bottom = std::max(bottom, y);
  return right < 0 ? SIZE{0, 0} : SIZE{right - left + 1, bottom - top + 1};
}

// The blank columns between the first two titles of a window's menu bar
// (the run that parts "Database" from "Categories"), read from the screen.
int TitleGap(HeadlessBackend& backend, TForm* f) {
  RECT w{};
  GetWindowRect(f->Handle(), &w);
  const int bottom = f->ClientToScreen(POINT{0, 0}).y, top = bottom - GetSystemMetrics(SM_CYMENU);
  const Surface shot = backend.Screenshot();
  auto ink = [&](int x) {
    for (int y = top; y < bottom; ++y)
      if (Dark(shot.At(x, y))) return true;
    return false;
  };
  // Letters part by a few columns; titles by more than this.
  const int letterGap = 6 * f->PixelsPerInch / 96;
  int x = w.left;
  while (x < w.right && !ink(x)) ++x;
  while (x < w.right) {
    int blank = 0;
    while (x < w.right && !ink(x)) ++x, ++blank;
    if (blank > letterGap) return blank;
    while (x < w.right && ink(x)) ++x;
  }
  return 0;
}

// A screen that holds the whole window at 192 dpi too.
class DenseScreen : public MainTest {
 protected:
  DenseScreen() : MainTest(SIZE{2560, 1600}) {}
  Sizes Measure(int dpi) {
    backend.Dpi = dpi;
    // A first start at each density: nothing kept from the one before.
    std::filesystem::remove_all(config.Path() + "Quirvane");
    AnswerNew("Test", "", "Test" + std::to_string(dpi));
    Start();
    TMainForm* f = MainForm;
    Pump();
    Sizes s;
    s["caption and menu bar"] = ClientTop(f) - GetSystemMetrics(SM_CYFRAME);
    s["menu font"] = -Screen->MenuFont()->Height();
    RECT tab{};
    SendMessageW(f->PageControl->Handle(), TCM_GETITEMRECT, 0, LPARAM(&tab));
    s["tab"] = tab.bottom - tab.top;
    s["page images"] = Images->PageImages->Width();
    s["tool images"] = Images->SNorm->Width();
    s["tool button width"] = f->DiscTools->ButtonWidth();
    s["tool button height"] = f->DiscTools->ButtonHeight();
    s["tool bar"] = f->DiscTools->Height();
    s["tool glyph"] = GlyphBox(backend, f->DiscTools);
    s["status bar"] = f->StatusBar->Height();
    s["status panel"] = f->StatusBar->Panels()->Items(0)->Width();
    s["gauge"] = f->Gauge->Height();
    s["console"] = f->ConsPanel->Height();
    s["scroll bar"] = GetSystemMetrics(SM_CXVSCROLL);
    TDataStringTree* discs = DiscTree->Tree;
    s["list header"] = discs->Header()->Height();
    s["list header font"] = -discs->Header()->Font()->Height();
    s["list column"] = discs->Header()->Columns()->Items(0)->Width();
    s["list row"] = int(discs->DefaultNodeHeight());
    s["list font"] = -discs->Font()->Height();
    s["console row"] = int(Console->View->DefaultNodeHeight());
    s["category row"] = int(SendMessageW(DiscTree->CatTree->Handle(), TVM_GETITEMHEIGHT, 0, 0));
    s["category images"] = DiscTree->CatImages->Width();
    s["result row"] = int(FileTree->Tree->DefaultNodeHeight());
    s["result indent"] = int(FileTree->Tree->Indent());
    s["category indent"] = int(SendMessageW(DiscTree->CatTree->Handle(), TVM_GETINDENT, 0, 0));
    s["result header"] = FileTree->Tree->Header()->Height();
    s["search mask"] = FileTree->FileEdit->Height();
    s["search panel"] = FileTree->SearchPanel->Height();
    s["check box"] = FileTree->chkSMin->Height();
    s["wizard picture"] = DiscWiz->Picture->Picture()->Width();
    s["hint font"] = -f->skHintManager->HintKind()->Font()->Height();
    s["hint width"] = f->skHintManager->HintKind()->MaxWidth;
    f->PageControl->SetActivePageIndex(1);  // the search criteria are laid out when shown
    Pump();
    s["check box glyph"] = FirstPaintedRun(FileTree->chkSMin);
    // An enabled spin edit: its arrows are drawn in the text's colour.
    FileTree->chkSMin->SetChecked(true);
    Pump();
    TSkSpinButton* spin = FileTree->SMinEdit->Button();
    const SIZE arrow = BlackBox(backend, spin->UpButton());
    s["spin button"] = spin->UpButton()->Height();
    s["spin arrow width"] = arrow.cx;
    s["spin arrow height"] = arrow.cy;
    s["menu title gap"] = TitleGap(backend, f);
    Stop();
    return s;
  }
};

TEST_F(DenseScreen, At192DpiEveryPartOfTheMainWindowIsTwiceAsLarge) {
  const Sizes normal = Measure(96), dense = Measure(192);
  for (const auto& [part, size] : normal) {
    const int twice = dense.at(part);
    EXPECT_GT(size, 0) << part;
    EXPECT_LE(std::abs(twice - 2 * size), 2) << part << ": " << size << " at 96 dpi, " << twice << " at 192";
  }
}

}  // namespace
}  // namespace qv::test
