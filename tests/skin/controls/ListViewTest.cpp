// The skinned list view: without a skin the plain list view with its header
// passing every message through; with a skin the header's sections painted
// from the skin (hot under the mouse, pressed while held, never on a divider),
// skinned scroll bars moving the list and following it, and the header taken
// over again when the window is made anew.
#include <filesystem>
#include <fstream>
#include <string>

#include "classlib/comctrls/ListView.h"
#include "platform/comctl/Header.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/ScrollBar.h"
#include "platform/window/Window.h"
#include "skin/controls/skListView.h"
#include "skin/skControlTree.h"
#include "skin/skMessages.h"
#include "tests/skin/controls/ListsSkin.h"

namespace qv::test {
namespace {

class SkLists : public SkinnedControlsTest {
 protected:
  template <class T>
  T* AddList(int x, int y, int rows) {
    auto* l = new T(form);
    l->SetParent(form);
    l->SetBounds(x, y, 170, 150);
    l->SetViewStyle(vsReport);
    for (const char* c : {"Name", "Size"}) {
      TListColumn* col = l->Columns()->Add();
      col->SetCaption(c);
      col->SetWidth(70);
    }
    for (int i = 0; i < rows; ++i) {
      TListItem* item = l->Items()->Add();
      item->SetCaption("File " + std::to_string(i));
      item->SubItems()->Add(std::to_string(i * 100));
    }
    backend.Pump();
    return l;
  }
  POINT HeaderPoint(TSkCustomListView* l, int x) {
    RECT r;
    GetWindowRect(l->HeaderWnd(), &r);
    return POINT{r.left + x, r.top + 5};
  }
  uint32_t HeaderPixel(TSkCustomListView* l, int x) {
    const POINT p = HeaderPoint(l, x);
    return At(p.x, p.y);
  }
};

TEST_F(SkLists, UnskinnedTheHeaderPassesThroughAndThePixelsAreThePlainOnes) {
  auto* plain = AddList<TListView>(10, 10, 30);
  auto* skinned = AddList<TSkListView>(200, 10, 30);
  ASSERT_NE(skinned->HeaderWnd(), nullptr);
  char16_t name[32] = {};
  GetClassNameW(skinned->HeaderWnd(), name, 32);
  EXPECT_EQ(std::u16string(name), u"SysHeader32");
  const Surface shot = backend.Screenshot();
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 170; ++x)
      ASSERT_EQ(shot.At(plain->Left() + x, plain->Top() + y) & 0xFFFFFF,
                shot.At(skinned->Left() + x, skinned->Top() + y) & 0xFFFFFF)
          << x << "," << y;
  EXPECT_EQ(skinned->VertBar(), nullptr);
  EXPECT_EQ(skinned->AllColumnsWidth(), 140);
  EXPECT_TRUE(QuerySkinCommand(skinned, AC_CTRLHANDLED));
  EXPECT_EQ(skinned->SkinData()->SkinSection(), "EDIT");
  // Clicks on the header still sort and track as the platform does.
  int clicked = -1;
  skinned->OnColumnClick = [&](TObject*, TListColumn* c) { clicked = c->Index(); };
  const POINT p = HeaderPoint(skinned, 100);
  backend.Click(p.x, p.y);
  backend.Pump();
  EXPECT_EQ(clicked, 1);
}

TEST_F(SkLists, SkinnedHeaderSectionsAreHotPressedAndNeverOnADivider) {
  auto* l = AddList<TSkListView>(10, 10, 5);
  LoadSkin(MakeListsSkin(root));
  ASSERT_TRUE(l->SkinData()->Skinned(true));
  backend.MouseMove(300, 250);
  backend.Pump();
  EXPECT_EQ(HeaderPixel(l, 35), Rgb(kHeader));
  EXPECT_EQ(HeaderPixel(l, 150), Rgb(kHeader));  // the empty part right of the last column
  const POINT second = HeaderPoint(l, 105);
  backend.MouseMove(second.x, second.y);
  backend.Pump();
  EXPECT_EQ(l->HotSection(), 1);
  EXPECT_EQ(HeaderPixel(l, 105), Rgb(kHeaderHot));
  EXPECT_EQ(HeaderPixel(l, 35), Rgb(kHeader));
  backend.MouseDown();
  backend.Pump();
  EXPECT_EQ(l->PressedSection(), 1);
  backend.MouseUp();
  backend.Pump();
  EXPECT_EQ(l->PressedSection(), -1);
  // On the divider between the columns nothing is pressed.
  const POINT divider = HeaderPoint(l, 70);
  backend.MouseMove(divider.x, divider.y);
  backend.MouseDown();
  backend.Pump();
  EXPECT_EQ(l->PressedSection(), -1);
  backend.MouseUp();
  // Leaving the list clears the hot section.
  backend.MouseMove(390, 290);
  backend.Pump();
  EXPECT_EQ(l->HotSection(), -2);
}

TEST_F(SkLists, SkinnedBarsMoveTheListAndFollowIt) {
  auto* l = AddList<TSkListView>(10, 10, 200);
  LoadSkin(MakeListsSkin(root));
  l->UpdateScrollBars();
  backend.Pump();
  TSkScrollBar* bar = l->VertBar();
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(bar->Visible());
  EXPECT_EQ(bar->Left() + bar->Width(), l->Left() + l->Width() - 2);
  EXPECT_EQ(bar->Position(), 0);
  // The list asked for its background while painting and left no colour
  // behind that a later painter would take for its own parent's.
  EXPECT_EQ(SharedBgColor, clSkinTransparent);
  // The bar takes the list's range less one page, and its page.
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(l->Handle(), SB_VERT, &si));
  ASSERT_GT(si.nPage, 1u);
  EXPECT_EQ(bar->Min(), si.nMin);
  EXPECT_EQ(bar->Max(), si.nMax - int(si.nPage) + 1);
  EXPECT_EQ(bar->PageSize(), int(si.nPage));
  // At its end the bar shows the list's last page.
  bar->SetPosition(bar->Max());
  backend.Pump();
  EXPECT_EQ(l->TopItem()->Index(), 200 - int(si.nPage));
  // The bar moves the list by whole rows.
  bar->SetPosition(40);
  backend.Pump();
  EXPECT_EQ(l->TopItem()->Index(), 40);
  // Moving through the list with the keys moves the bar.
  l->SetFocus();
  backend.KeyPress(VK_END);
  backend.Pump();
  ASSERT_NE(l->TopItem(), nullptr);
  EXPECT_GT(l->TopItem()->Index(), 150);
  EXPECT_EQ(bar->Position(), l->TopItem()->Index());
  // The skin's frame, and the plain list back without the skin.
  EXPECT_EQ(At(l->Left() + 40, l->Top()), Rgb(kEdit));
  manager->SetActive(false);
  backend.Pump();
  EXPECT_EQ(l->VertBar(), nullptr);
  EXPECT_EQ(l->Color(), clWindow);
}

// A skin whose list background is a gradient (red at the top, blue below):
// the rows are painted over the skin's background, not over a plain colour.
std::string MakeGradientListSkin(const std::string& root) {
  std::filesystem::create_directories(root + "Shaded");
  std::ofstream(root + "Shaded/Options.dat", std::ios::binary)
      << kBarsOptions
      << "[EDIT]\nCOLOR=0x808080\nFONTCOLOR=0\nGRADIENTPERCENT=100\n"
         "GRADIENTDATA=192;12582912;100;0;0\n";
  return "Shaded";
}

TEST_F(SkLists, SkinnedRowsLieOnTheSkinsBackgroundAndTheUsersDrawingStillRuns) {
  auto* l = AddList<TSkListView>(10, 10, 3);
  int userCalls = 0;
  l->OnCustomDraw = [&](TCustomListView*, const RECT&, bool&) { ++userCalls; };
  LoadSkin(MakeGradientListSkin(root));
  ASSERT_TRUE(l->SkinData()->Skinned(true));
  l->Invalidate();
  backend.Pump();
  EXPECT_GT(userCalls, 0);
  RECT row;
  row.left = LVIR_BOUNDS;
  SendMessageW(l->Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  POINT origin = l->ClientToScreen(POINT{0, 0});
  // Beside the first row's text and far below the last row: the gradient.
  const uint32_t top = At(origin.x + 66, origin.y + (row.top + row.bottom) / 2);
  const uint32_t bottom = At(origin.x + 66, origin.y + l->ClientHeight() - 6);
  EXPECT_GT(PixelR(top), PixelB(top));
  EXPECT_GT(PixelB(bottom), PixelR(bottom));
  EXPECT_NE(top, Rgb(clWindow));
  // The row's text is still written, on a see-through background.
  int ink = 0;
  const Surface shot = backend.Screenshot();
  for (int y = row.top; y < row.bottom; ++y)
    for (int x = 2; x < 50; ++x) {
      const uint32_t p = shot.At(origin.x + x, origin.y + y);
      ink += PixelR(p) < 40 && PixelG(p) < 40 && PixelB(p) < 40;
    }
  EXPECT_GT(ink, 5);
  // Without the skin the user's drawing runs alone on the plain window colour.
  userCalls = 0;
  manager->SetActive(false);
  backend.Pump();
  EXPECT_GT(userCalls, 0);
  EXPECT_EQ(At(origin.x + 66, origin.y + l->ClientHeight() - 6), Rgb(clWindow));
}

TEST_F(SkLists, ANewWindowHasItsNewHeaderTakenOver) {
  auto* l = AddList<TSkListView>(10, 10, 5);
  LoadSkin(MakeListsSkin(root));
  const HWND first = l->HeaderWnd();
  ASSERT_NE(first, nullptr);
  l->SetBorderStyle(bsNone);  // the window is made anew
  l->HandleNeeded();
  backend.Pump();
  ASSERT_NE(l->HeaderWnd(), nullptr);
  EXPECT_TRUE(IsWindow(l->HeaderWnd()));
  backend.MouseMove(300, 250);
  backend.Pump();
  EXPECT_EQ(HeaderPixel(l, 35), Rgb(kHeader));
  delete l;  // the header gets its own procedure back before it goes
  backend.Pump();
}

}  // namespace
}  // namespace qv::test
