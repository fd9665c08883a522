// Item-id list arithmetic: sizes, copies, joins and cuts agree with each
// other, and damaged lists are refused rather than followed.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/shell/IdLists.h"

namespace qv {
namespace {

IdListPtr Path(std::initializer_list<const char*> names) {
  IdListPtr list(ILCombine(nullptr, nullptr));
  for (const char* n : names) {
    IdListPtr item(MakeShellItem(ShellItemType::Folder, 0, n));
    list.Reset(ILCombine(list.Get(), item.Get()));
  }
  return list;
}

std::string NameAt(LPCITEMIDLIST p) {
  ShellItem item;
  return ReadShellItem(p, item) ? std::string(item.Name) : "<bad>";
}

TEST(ShellIdLists, JoinCopyAndCutAgree) {
  IdListPtr a = Path({"one", "two"}), b = Path({"three"});
  EXPECT_EQ(ILGetSize(a.Get()), 2u + (4 + 4) + (4 + 4));
  EXPECT_EQ(ILGetSize(nullptr), 0u);
  IdListPtr joined(ILCombine(a.Get(), b.Get()));
  EXPECT_EQ(ILGetCount(joined.Get()), 3u);
  EXPECT_EQ(ILGetSize(joined.Get()), ILGetSize(a.Get()) + ILGetSize(b.Get()) - 2);
  EXPECT_EQ(NameAt(ILFindLastID(joined.Get())), "three");
  IdListPtr last(ILCloneFirst(ILFindLastID(joined.Get())));
  EXPECT_TRUE(ILIsEqualBytes(last.Get(), b.Get()));
  IdListPtr copy(ILClone(joined.Get()));
  ASSERT_TRUE(ILRemoveLastID(copy.Get()));
  EXPECT_TRUE(ILIsEqualBytes(copy.Get(), a.Get()));
  EXPECT_EQ(NameAt(ILNext(copy.Get())), "two");
  EXPECT_EQ(ILNext(ILNext(copy.Get())), nullptr);
  // The desktop is the empty list: nothing to cut, and it joins as nothing.
  IdListPtr empty(ILCombine(nullptr, nullptr));
  EXPECT_FALSE(ILRemoveLastID(empty.Get()));
  IdListPtr same(ILCombine(empty.Get(), a.Get()));
  EXPECT_TRUE(ILIsEqualBytes(same.Get(), a.Get()));
  EXPECT_TRUE(ILIsEqualBytes(IdListPtr(ILCombine(nullptr, a.Get())).Get(), a.Get()));
}

TEST(ShellIdLists, ItemsCarryTypeKindAndExactNameBytes) {
  IdListPtr drive(MakeShellItem(ShellItemType::Drive, uint8_t(DriveKind::Optical), "/media/cd rom"));
  ShellItem item;
  ASSERT_TRUE(ReadShellItem(drive.Get(), item));
  EXPECT_EQ(item.Type, ShellItemType::Drive);
  EXPECT_EQ(DriveKind(item.Flags), DriveKind::Optical);
  EXPECT_EQ(item.Name, "/media/cd rom");
  IdListPtr odd(MakeShellItem(ShellItemType::File, 0, "caf\xE9"));  // not UTF-8: kept as it is
  ASSERT_TRUE(ReadShellItem(odd.Get(), item));
  EXPECT_EQ(item.Name, "caf\xE9");
  EXPECT_FALSE(MakeShellItem(ShellItemType::File, 0, std::string(70000, 'x')));
}

TEST(ShellIdLists, DamagedItemsAreRefused) {
  IdListPtr list = Path({"one", "two"});
  auto* bytes = reinterpret_cast<uint8_t*>(list.Get());
  EXPECT_TRUE(IsValidShellList(list.Get()));
  bytes[2] = 99;  // an unknown type
  EXPECT_FALSE(IsValidShellList(list.Get()));
  bytes[2] = uint8_t(ShellItemType::Folder);
  bytes[7] = 'x';  // the name loses its closing zero
  EXPECT_FALSE(IsValidShellList(list.Get()));
  bytes[7] = 0;
  uint16_t tiny = 3;  // a count too small to hold an item
  std::memcpy(bytes, &tiny, 2);
  EXPECT_FALSE(IsValidShellList(list.Get()));
  EXPECT_FALSE(IsValidShellList(nullptr));
}

}  // namespace
}  // namespace qv
