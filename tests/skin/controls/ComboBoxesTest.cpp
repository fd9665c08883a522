// The skinned combo boxes: items through the window, the owner-drawn styles as
// drop-down lists, auto-complete while typing, Enter closing the list, the
// extended items (defaults, images, indentation, heights) and the skinned look.
#include <string>
#include <vector>

#include "classlib/graphics/ImageList.h"
#include "platform/Utf.h"
#include "platform/controls/ComboBox.h"
#include "platform/controls/SystemControls.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "skin/controls/skComboBoxes.h"
#include "skin/skControlTree.h"
#include "tests/skin/controls/ListsSkin.h"

namespace qv::test {
namespace {

class SkCombos : public SkinnedControlsTest {
 protected:
  template <class T>
  T* AddCombo(int x, int y) {
    auto* c = new T(form);
    c->SetParent(form);
    c->SetBounds(x, y, 150, 22);
    backend.Pump();
    return c;
  }
  std::string EditText(TSkCommonCombo* c) {
    char16_t buf[128] = {};
    GetWindowTextW(c->EditHandle(), buf, 128);
    return Utf16ToUtf8(buf);
  }
};

TEST_F(SkCombos, ItemsLiveInTheWindowAndABadIndexIsAListError) {
  auto* c = AddCombo<TSkComboBox>(10, 10);
  c->Items()->Add("pear");
  c->Items()->Add("apple");
  c->Items()->Insert(0, "fig");
  EXPECT_EQ(c->Items()->Count(), 3);
  EXPECT_EQ(SendMessageW(c->Handle(), CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(c->Items()->Strings(0), "fig");
  EXPECT_EQ(c->Items()->IndexOf("apple"), 2);
  TObject marker;
  c->Items()->SetObjects(1, &marker);
  EXPECT_EQ(c->Items()->Objects(1), &marker);
  try {
    c->Items()->Objects(3);
    ADD_FAILURE() << "no error";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message, "List index out of bounds (3)");
  }
  // A window made anew (sorting is a window style) keeps the items, now in order.
  c->SetSorted(true);
  EXPECT_EQ(c->Items()->Count(), 3);
  EXPECT_EQ(c->Items()->Strings(0), "apple");
  EXPECT_EQ(c->Items()->Objects(c->Items()->IndexOf("pear")), &marker);
  c->SetText("typed");
  c->Items()->Clear();
  EXPECT_EQ(c->Items()->Count(), 0);
  EXPECT_EQ(c->Text(), "typed");
  // Without a skin: the control answers the skinned query and keeps its section.
  EXPECT_TRUE(QuerySkinCommand(c, AC_CTRLHANDLED));
  EXPECT_EQ(c->SkinData()->SkinSection(), "COMBOBOX");
  EXPECT_FALSE(c->SkinData()->Skinned());
}

TEST_F(SkCombos, OwnerDrawnStylesAreAlwaysDropDownLists) {
  auto* fixed = AddCombo<TSkComboBox>(10, 10);
  fixed->SetStyle(csOwnerDrawFixed);
  auto* variable = AddCombo<TSkComboBox>(10, 40);
  variable->SetStyle(csOwnerDrawVariable);
  for (TSkComboBox* c : {fixed, variable}) {
    EXPECT_EQ(GetWindowLong(c->Handle(), GWL_STYLE) & 0x3, LONG(CBS_DROPDOWNLIST));
    EXPECT_TRUE(GetWindowLong(c->Handle(), GWL_STYLE) & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE));
    EXPECT_EQ(c->EditHandle(), nullptr);
  }
  auto* editable = AddCombo<TSkComboBox>(10, 70);
  EXPECT_NE(editable->EditHandle(), nullptr);
  EXPECT_NE(editable->ListHandle(), nullptr);
}

TEST_F(SkCombos, TypingCompletesFromTheItemsAndEnterClosesTheList) {
  auto* c = AddCombo<TSkComboBox>(10, 10);
  for (const char* s : {"banana", "apple", "apricot"}) c->Items()->Add(s);
  int changes = 0, keys = 0;
  c->OnChange = [&](TObject*) { ++changes; };
  c->OnKeyPress = [&](TObject*, char16_t&) { ++keys; };
  c->SetFocus();
  backend.Pump();
  backend.TypeText(u"ap");
  backend.Pump();
  EXPECT_EQ(EditText(c), "apple");
  EXPECT_EQ(c->ItemIndex(), 1);
  DWORD from = 0, to = 0;
  SendMessageW(c->EditHandle(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 2u);
  EXPECT_EQ(to, 5u);
  EXPECT_EQ(keys, 2);  // the edit child's keys reach the control's events
  backend.TypeText(u"r");
  backend.Pump();
  EXPECT_EQ(EditText(c), "apricot");
  EXPECT_EQ(c->ItemIndex(), 2);
  backend.TypeText(u"x");
  backend.Pump();
  EXPECT_EQ(EditText(c), "aprx");
  EXPECT_EQ(c->ItemIndex(), -1);  // nothing begins so; the text stays as typed
  EXPECT_GT(changes, 0);
  c->AutoComplete = false;
  SetWindowTextW(c->EditHandle(), u"");
  backend.TypeText(u"ba");
  backend.Pump();
  EXPECT_EQ(EditText(c), "ba");
  c->SetDroppedDown(true);
  backend.Pump();
  ASSERT_TRUE(c->DroppedDown());
  backend.KeyPress(VK_RETURN);
  backend.Pump();
  EXPECT_FALSE(c->DroppedDown());
}

TEST_F(SkCombos, AFormPreviewingKeysSeesTheEditKeysFirst) {
  auto* c = AddCombo<TSkComboBox>(10, 10);
  std::vector<std::string> order;
  c->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    if (key == VK_F2) order.push_back("combo");
  };
  form->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    if (key == VK_F2) order.push_back("form");
  };
  form->OnKeyPress = [&](TObject*, char16_t& ch) {
    if (ch == u'q') ch = 0;  // the form takes it
  };
  c->SetFocus();
  backend.Pump();
  backend.KeyPress(VK_F2);
  backend.TypeText(u"aqb");
  backend.Pump();
  EXPECT_EQ(order, (std::vector<std::string>{"combo"}));  // no preview asked for
  EXPECT_EQ(EditText(c), "aqb");
  SetWindowTextW(c->EditHandle(), u"");
  order.clear();
  form->KeyPreview = true;
  backend.KeyPress(VK_F2);
  backend.TypeText(u"aqb");
  backend.Pump();
  EXPECT_EQ(order, (std::vector<std::string>{"form", "combo"}));
  EXPECT_EQ(EditText(c), "ab");
  // A taken character completes nothing.
  c->Items()->Add("abacus");
  SetWindowTextW(c->EditHandle(), u"");
  c->AutoComplete = false;
  backend.TypeText(u"a");
  backend.Pump();
  c->AutoComplete = true;
  backend.TypeText(u"q");
  backend.Pump();
  EXPECT_EQ(EditText(c), "a");
  EXPECT_EQ(c->ItemIndex(), -1);
  // A new font leaves the field without margins.
  SendMessageW(c->EditHandle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(7, 7));
  c->Font()->SetSize(14);
  backend.Pump();
  EXPECT_EQ(SendMessageW(c->EditHandle(), EM_GETMARGINS, 0, 0), 0);
}

TEST_F(SkCombos, ExtendedItemsImagesAndIndentation) {
  auto* c = AddCombo<TSkComboBoxEx>(10, 10);
  EXPECT_EQ(c->Style(), csOwnerDrawFixed);
  TSkComboItem* fresh = c->ItemsEx()->Add();
  EXPECT_EQ(fresh->ImageIndex, -1);
  EXPECT_EQ(fresh->SelectedImageIndex, -1);
  EXPECT_EQ(fresh->OverlayImageIndex, -1);
  EXPECT_EQ(fresh->Indend, -1);
  c->ItemsEx()->Clear();
  c->ItemsEx()->AddItem("Desktop", 0, 1, -1, 0, nullptr);
  c->ItemsEx()->AddItem("Home", 2, -1, -1, 2, nullptr);
  EXPECT_EQ(c->Items()->Count(), 2);
  EXPECT_EQ(c->Items()->Strings(1), "Home");
  EXPECT_EQ(c->ItemImage(0, false, true), -1);  // no images, no image
  auto* images = new TImageList(form);
  images->SetSize(20, 20);
  c->SetImages(images);
  EXPECT_EQ(c->ItemHeight(), 20);              // raised to the image height
  EXPECT_EQ(c->ItemImage(0, true, true), 1);   // selected in the list: the selected image
  EXPECT_EQ(c->ItemImage(0, true, false), 0);  // in the closed field: the normal one
  EXPECT_EQ(c->ItemImage(1, true, true), 2);   // no selected image: the normal one
  const RECT row{0, 40, 150, 60};
  EXPECT_EQ(c->ImageRect(1, row, true).left - c->ImageRect(0, row, true).left, 2 * 16);
  EXPECT_EQ(c->ImageRect(1, row, false).left, c->ImageRect(0, row, false).left);
  c->SetImages(nullptr);
  EXPECT_EQ(c->ItemHeight(), 20);  // the height stays
  // The window made anew gets the items again.
  c->SetItemIndex(1);
  c->SetSorted(true);
  backend.Pump();
  EXPECT_EQ(c->Items()->Count(), 2);
}

TEST_F(SkCombos, SkinnedTheClosedControlPaintsFromTheSkin) {
  auto* c = AddCombo<TSkComboBox>(10, 10);
  c->SetStyle(csDropDownList);
  c->Items()->Add("one");
  c->SetItemIndex(0);
  auto* ex = AddCombo<TSkComboBoxEx>(10, 50);
  ex->ItemsEx()->AddItem("two", -1, -1, -1, 0, nullptr);
  ex->SetItemIndex(0);
  LoadSkin(MakeListsSkin(root));
  ASSERT_TRUE(c->SkinData()->Skinned(true));
  c->Invalidate();
  ex->Invalidate();
  backend.Pump();
  EXPECT_EQ(At(10 + 1, 10 + 1), Rgb(kCombo));
  EXPECT_EQ(At(10 + 1, 50 + 1), Rgb(kCombo));
  // The selected item's text is in the field.
  int ink = 0;
  const Surface shot = backend.Screenshot();
  for (int x = 13; x < 60; ++x)
    for (int y = 13; y < 29; ++y) ink += PixelR(shot.At(x, y)) < 60 && PixelG(shot.At(x, y)) < 60;
  EXPECT_GT(ink, 5);
  // Disabled: blended with the form by default, or as the control asks.
  c->SetEnabled(false);
  c->Invalidate();
  EXPECT_NE(At(10 + 1, 10 + 1), Rgb(kCombo));
  c->DisabledKind = TSkDisabledKind{};
  c->Invalidate();
  EXPECT_EQ(At(10 + 1, 10 + 1), Rgb(kCombo));
  c->SetEnabled(true);
  manager->SetActive(false);
  backend.Pump();
  EXPECT_NE(At(10 + 1, 10 + 1), Rgb(kCombo));
  EXPECT_EQ(c->Color(), clWindow);
}

// Bevels of the frame take the control's colour, so the skinned face runs
// up to the window's border.
TEST_F(SkCombos, SkinnedBevelsTakeTheControlsColour) {
  auto* c = AddCombo<TSkComboBox>(10, 10);
  c->SetStyle(csDropDownList);
  LoadSkin(MakeListsSkin(root));
  ASSERT_TRUE(c->SkinData()->Skinned(true));
  c->SetBevelKind(bkFlat);
  c->Invalidate();
  backend.Pump();
  RECT w;
  GetWindowRect(c->Handle(), &w);
  const POINT client = c->ClientToScreen(POINT{0, 0});
  EXPECT_EQ(c->ClientWidth(), w.right - w.left - 2 * (client.x - w.left));
  const int mid = (w.top + w.bottom) / 2;
  for (int x = client.x - 2; x < client.x; ++x) EXPECT_EQ(At(x, mid), Rgb(c->Color())) << x;
  EXPECT_EQ(At(w.right - (client.x - w.left) + 1, mid), Rgb(c->Color()));
}

}  // namespace
}  // namespace qv::test
