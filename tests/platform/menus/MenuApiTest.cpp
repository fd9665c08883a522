// The menu-handle calls: items found by command (also in sub-menus) and by
// position, item information in and out (text truncated to the buffer),
// radio and default items, removal that keeps or frees a sub-menu, and
// stale handles failing cleanly.
#include <gtest/gtest.h>

#include "platform/menus/Menus.h"

namespace qv {
namespace {

std::u16string Text(HMENU m, UINT item, UINT flags) {
  char16_t buf[64] = {};
  GetMenuStringW(m, item, buf, 64, flags);
  return buf;
}

TEST(MenuApi, ItemsByCommandAndPositionAcrossSubMenus) {
  HMENU top = CreatePopupMenu(), sub = CreatePopupMenu();
  AppendMenuW(sub, MF_STRING, 20, u"Deep");
  AppendMenuW(top, MF_STRING, 10, u"&First");
  AppendMenuW(top, MF_POPUP, uintptr_t(sub), u"&Sub");
  InsertMenuW(top, 0, MF_BYPOSITION | MF_STRING, 5, u"Zero");
  InsertMenuW(top, 10, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);  // before "First"
  ASSERT_EQ(GetMenuItemCount(top), 4);
  EXPECT_EQ(GetMenuItemID(top, 0), 5u);
  EXPECT_TRUE(GetMenuState(top, 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(GetMenuItemID(top, 3), 0xFFFFFFFFu);  // a sub-menu has no id
  EXPECT_EQ(GetSubMenu(top, 3), sub);
  EXPECT_EQ(GetMenuState(top, 3, MF_BYPOSITION) >> 8, 1u);  // its item count
  EXPECT_EQ(Text(top, 20, MF_BYCOMMAND), u"Deep");          // found in the sub-menu
  EXPECT_EQ(CheckMenuItem(top, 20, MF_CHECKED), DWORD(MF_UNCHECKED));
  EXPECT_TRUE(GetMenuState(sub, 0, MF_BYPOSITION) & MF_CHECKED);
  ModifyMenuW(top, 10, MF_BYCOMMAND | MF_STRING | MF_GRAYED, 11, u"Changed");
  EXPECT_EQ(Text(top, 11, MF_BYCOMMAND), u"Changed");
  EXPECT_TRUE(GetMenuState(top, 11, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_EQ(GetMenuState(top, 99, MF_BYCOMMAND), 0xFFFFFFFFu);
  DestroyMenu(top);
  EXPECT_FALSE(IsMenu(top));
  EXPECT_FALSE(IsMenu(sub));  // sub-menus go with their menu
}

TEST(MenuApi, ItemInfoRoundTrips) {
  HMENU m = CreatePopupMenu();
  MENUITEMINFOW in;
  in.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_DATA | MIIM_FTYPE;
  in.fType = MFT_RADIOCHECK;
  in.fState = MFS_CHECKED | MFS_DEFAULT;
  in.wID = 42;
  in.dwItemData = 0xBEEF;
  std::u16string text = u"&Options\tF2";
  in.dwTypeData = text.data();
  ASSERT_TRUE(InsertMenuItemW(m, 0, TRUE, &in));
  MENUITEMINFOW out;
  char16_t buf[5];
  out.fMask = in.fMask;
  out.dwTypeData = buf;
  out.cch = 5;
  ASSERT_TRUE(GetMenuItemInfoW(m, 42, FALSE, &out));
  EXPECT_EQ(std::u16string(buf), u"&Opt");  // truncated to the buffer
  EXPECT_EQ(out.cch, 4u);
  EXPECT_EQ(out.wID, 42u);
  EXPECT_EQ(out.dwItemData, 0xBEEFu);
  EXPECT_EQ(out.fState, MFS_CHECKED | MFS_DEFAULT);
  EXPECT_EQ(out.fType, MFT_RADIOCHECK);
  EXPECT_EQ(GetMenuDefaultItem(m, FALSE, 0), 42u);
  MENUITEMINFOW change;
  change.fMask = MIIM_STATE;
  change.fState = MFS_GRAYED;
  ASSERT_TRUE(SetMenuItemInfoW(m, 0, TRUE, &change));
  EXPECT_EQ(GetMenuState(m, 42, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED), UINT(MF_GRAYED));
  EXPECT_FALSE(GetMenuItemInfoW(m, 7, FALSE, &out));
  DestroyMenu(m);
}

TEST(MenuApi, RadioDefaultAndRemoval) {
  HMENU m = CreatePopupMenu(), sub = CreatePopupMenu();
  for (UINT id = 1; id <= 4; ++id) AppendMenuW(m, MF_STRING, id, u"item");
  AppendMenuW(m, MF_POPUP, uintptr_t(sub), u"sub");
  ASSERT_TRUE(CheckMenuRadioItem(m, 1, 3, 2, MF_BYCOMMAND));
  EXPECT_TRUE(GetMenuState(m, 2, MF_BYCOMMAND) & MF_CHECKED);
  ASSERT_TRUE(CheckMenuRadioItem(m, 0, 2, 0, MF_BYPOSITION));
  EXPECT_FALSE(GetMenuState(m, 2, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(GetMenuState(m, 1, MF_BYCOMMAND) & MF_CHECKED);
  ASSERT_TRUE(SetMenuDefaultItem(m, 3, TRUE));
  EXPECT_EQ(GetMenuDefaultItem(m, TRUE, 0), 3u);
  ASSERT_TRUE(SetMenuDefaultItem(m, 0xFFFFFFFF, FALSE));
  EXPECT_EQ(GetMenuDefaultItem(m, TRUE, 0), 0xFFFFFFFFu);
  ASSERT_TRUE(RemoveMenu(m, 4, MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(sub));  // kept for its owner
  AppendMenuW(m, MF_POPUP, uintptr_t(sub), u"sub again");
  ASSERT_TRUE(DeleteMenu(m, 4, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(sub));
  EXPECT_FALSE(DeleteMenu(m, 9, MF_BYPOSITION));
  DestroyMenu(m);
}

TEST(MenuApi, StaleAndForeignHandlesFailCleanly) {
  HMENU m = CreateMenu();
  DestroyMenu(m);
  HMENU fake = reinterpret_cast<HMENU>(uintptr_t(12345));
  for (HMENU h : {m, fake, static_cast<HMENU>(nullptr)}) {
    EXPECT_FALSE(IsMenu(h));
    EXPECT_EQ(GetMenuItemCount(h), -1);
    EXPECT_FALSE(AppendMenuW(h, MF_STRING, 1, u"x"));
    EXPECT_FALSE(DestroyMenu(h));
    EXPECT_EQ(GetSubMenu(h, 0), nullptr);
    EXPECT_EQ(CheckMenuItem(h, 1, MF_CHECKED), 0xFFFFFFFFu);
    EXPECT_FALSE(TrackPopupMenu(h, TPM_RETURNCMD, 0, 0, 0, nullptr, nullptr));
    RECT r;
    EXPECT_FALSE(GetMenuItemRect(nullptr, h, 0, &r));
  }
}

}  // namespace
}  // namespace qv
