// The tree stream: round trips of random trees, the format's own rules, old
// versions, and damaged or hostile streams (truncated, flipped, deeply
// nested, huge sizes) that must leave a consistent tree behind.
#include <cstring>

#include "TransferTestSupport.h"

namespace qv::test {
namespace {

using Stream = TreeTest;

void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> Header(uint16_t version) {
  std::vector<uint8_t> b;
  for (uint16_t u :
       {uint16_t(0x2045), uint16_t('V'), uint16_t('T'), version, uint16_t(' '), uint16_t(0x2046)}) {
    b.push_back(uint8_t(u));
    b.push_back(uint8_t(u >> 8));
  }
  return b;
}

int LoadError(TBaseDataTree* t, const std::vector<uint8_t>& bytes) {
  try {
    Load(t, bytes);
  } catch (const EDataTreeError& e) {
    return e.HelpContext;
  } catch (const EStreamError&) {
    return -1;
  }
  return 0;
}

TEST_F(Stream, RandomTreesRoundTripWithTheirOwnerDataAndStayByteIdentical) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20; ++round) {
    auto a = DetachedTree(), b = DetachedTree();
    MakeNumbered(a.get());
    MakeNumbered(b.get());
    BuildRandom(a.get(), 1 + int(rng() % 200), rng);
    auto bytes = Saved(a.get());
    int copiedNil = 0;
    b->OnNodeCopied = [&](TBaseDataTree*, PDataNode n) { copiedNil += n == nullptr; };
    Load(b.get(), bytes);
    EXPECT_EQ(copiedNil, 1);
    ASSERT_TRUE(TreeInvariantsHold(*b));
    EXPECT_EQ(Dump(a.get()), Dump(b.get()));
    EXPECT_EQ(Saved(b.get()), bytes);
  }
}

TEST_F(Stream, LayoutOfEmptyTreesNodesUserDataAndCaptions) {
  auto t = DetachedTree();
  EXPECT_EQ(Saved(t.get()).size(), 16u);  // header and a count of 0
  MakeNumbered(t.get());
  PDataNode n = t->AddChild(nullptr);
  Id(t.get(), n) = 12;
  auto bytes = Saved(t.get());
  // Anchor, base chunk, user data of 4 bytes, caption "n12".
  ASSERT_EQ(bytes.size(), 16u + 8 + 25 + 12 + 8 + 6);
  int32_t type, size;
  std::memcpy(&type, &bytes[16 + 8 + 25], 4);
  std::memcpy(&size, &bytes[16 + 8 + 25 + 4], 4);
  EXPECT_EQ(type, 4);
  EXPECT_EQ(size, 4);
  // An owner that writes nothing leaves no user-data chunk; transient states are not stored.
  t->OnSaveNode = [](TBaseDataTree*, PDataNode, TStream&) {};
  n->Include(vsCutOrCopy | vsHeightMeasured);
  bytes = Saved(t.get());
  ASSERT_EQ(bytes.size(), 16u + 8 + 25 + 8 + 6);
  uint16_t states;
  std::memcpy(&states, &bytes[16 + 8 + 8 + 8], 2);
  EXPECT_EQ(states & (vsCutOrCopy | vsHeightMeasured), 0);
}

TEST_F(Stream, HeaderErrorsAndOlderVersions) {
  auto t = DetachedTree();
  MakeNumbered(t.get());
  t->SetRootNodeCount(3);
  EXPECT_EQ(LoadError(t.get(), {1, 2, 3}), 2004);
  EXPECT_EQ(t->RootNodeCount(), 0u);  // cleared before the check
  auto bad = Header(2);
  bad[0] = 0;
  EXPECT_EQ(LoadError(t.get(), bad), 2002);
  EXPECT_EQ(LoadError(t.get(), Header(3)), 2003);

  // Version 1: no count, 12-byte base records, 8-bit states (bit 7 = selected).
  std::vector<uint8_t> v1 = Header(1);
  for (int i = 0; i < 3; ++i) {
    Put32(v1, 1);
    Put32(v1, 8 + 12);
    Put32(v1, 2);
    Put32(v1, 12);
    Put32(v1, 0);   // no children
    Put32(v1, 20);  // height
    v1.push_back(uint8_t(vsInitialized | (i == 1 ? 0x80 : 0)));
    v1.push_back(50);
    v1.push_back(0);
    v1.push_back(0);
  }
  t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() + toMultiSelect);
  EXPECT_EQ(LoadError(t.get(), v1), 0);
  EXPECT_EQ(t->RootNodeCount(), 3u);
  EXPECT_EQ(t->SelectionCount(), 1);
  EXPECT_TRUE(t->Selected(t->GetFirst()->NextSibling));
  EXPECT_EQ(t->NodeHeight(t->GetFirst()), 20u);
  EXPECT_TRUE(TreeInvariantsHold(*t));

  // Without multi-selection nothing stays selected; a read-only tree ignores loading.
  t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() - toMultiSelect);
  EXPECT_EQ(LoadError(t.get(), v1), 0);
  EXPECT_EQ(t->SelectionCount(), 0);
  EXPECT_TRUE(SelectionAgrees(*t));
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toReadOnly);
  EXPECT_EQ(LoadError(t.get(), Header(3)), 0);
  EXPECT_EQ(t->RootNodeCount(), 3u);
}

TEST_F(Stream, UninitialisedNodesKeepTheirSiblingsAndAskForChildrenLater) {
  auto a = DetachedTree();
  MakeNumbered(a.get());
  a->TreeOptions()->SetMiscOptions(a->TreeOptions()->MiscOptions() - toInitOnSave);
  a->SetRootNodeCount(3);  // blank nodes, never touched
  PDataNode first = a->GetFirstNoInit();
  a->SetChildCount(first, 4);
  first->Exclude(vsInitialized);  // a count without children in the stream
  auto bytes = Saved(a.get());
  auto b = DetachedTree();
  MakeNumbered(b.get());
  uint32_t asked = 0;
  b->OnInitChildren = [&](TBaseDataTree*, PDataNode, uint32_t& count) {
    ++asked;
    count = 2;
  };
  Load(b.get(), bytes);
  EXPECT_EQ(b->RootNodeCount(), 3u);
  EXPECT_TRUE(TreeInvariantsHold(*b));
  PDataNode f = b->GetFirstNoInit();
  EXPECT_TRUE(b->HasChildren(f));
  EXPECT_NE(b->GetFirstChild(f), nullptr);  // asked for when first touched
  EXPECT_EQ(b->ChildCount(f), 2u);
  EXPECT_EQ(asked, 1u);
  EXPECT_TRUE(TreeInvariantsHold(*b));
}

TEST_F(Stream, NodesAddedBelowADeepTargetUpdateTheWholeParentChain) {
  auto a = DetachedTree(), b = DetachedTree();
  MakeNumbered(a.get());
  MakeNumbered(b.get());
  std::mt19937 rng(3);
  BuildRandom(a.get(), 30, rng);
  a->FullExpand();
  PDataNode deep = b->AddChild(b->AddChild(b->AddChild(nullptr)));
  b->FullExpand();
  a->MoveTo(a->GetFirst(), deep, amAddChildLast, false);
  EXPECT_TRUE(TreeInvariantsHold(*a));
  EXPECT_TRUE(TreeInvariantsHold(*b));
}

// Every truncation and many mutations of a real stream: only the tree's or
// the stream's own errors, and the tree consistent afterwards.
TEST_F(Stream, DamagedStreamsNeverCrashAndLeaveAConsistentTree) {
  auto a = DetachedTree();
  MakeNumbered(a.get());
  std::mt19937 rng(11);
  BuildRandom(a.get(), 40, rng);
  for (PDataNode n = a->GetFirst(); n; n = a->GetNext(n))
    if (rng() % 5 == 0) n->Include(vsSelected);
  auto bytes = Saved(a.get());
  auto b = DetachedTree();
  MakeNumbered(b.get());
  b->TreeOptions()->SetSelectionOptions(b->TreeOptions()->SelectionOptions() + toMultiSelect);
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    LoadError(b.get(), std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(cut)));
    ASSERT_TRUE(TreeInvariantsHold(*b)) << "cut at " << cut;
    ASSERT_TRUE(SelectionAgrees(*b)) << "cut at " << cut;
  }
  for (int round = 0; round < 3000; ++round) {
    auto m = bytes;
    int flips = 1 + int(rng() % 4);
    for (int i = 0; i < flips; ++i) {
      size_t at = 12 + rng() % (m.size() - 12);
      m[at] = rng() % 3 == 0 ? uint8_t(0xFF) : uint8_t(m[at] ^ (1u << (rng() % 8)));
    }
    LoadError(b.get(), m);
    ASSERT_TRUE(TreeInvariantsHold(*b)) << "round " << round;
    ASSERT_TRUE(SelectionAgrees(*b)) << "round " << round;
    for (PDataNode n = b->GetFirstNoInit(); n; n = b->GetNextNoInit(n))
      ASSERT_FALSE(n->Has(vsDeleting | vsToggling | vsClearing | vsCutOrCopy));
  }
}

TEST_F(Stream, HostileSizesAndNestingAreRefused) {
  auto t = DetachedTree();
  MakeNumbered(t.get());
  // A node claiming four billion children with room for none, and one whose
  // anchor claims two gigabytes.
  std::vector<uint8_t> many = Header(2);
  Put32(many, 2);
  Put32(many, 1);
  Put32(many, 8 + 17);
  Put32(many, 2);
  Put32(many, 17);
  Put32(many, 0xFFFFFFFF);
  Put32(many, 18);
  many.push_back(uint8_t(vsInitialized | vsVisible));
  many.push_back(0);
  for (int i = 0; i < 7; ++i) many.push_back(0);
  std::vector<uint8_t> huge = many;
  Put32(huge, 1);
  Put32(huge, 0x7FFFFFFF);
  EXPECT_EQ(LoadError(t.get(), huge), 2006);
  EXPECT_EQ(t->RootNodeCount(), 2u);  // the node read before stays; the second is empty
  EXPECT_TRUE(TreeInvariantsHold(*t));
  EXPECT_LT(t->NodeBytesReserved(), 1u << 24);

  // Nesting deeper than any tree: each level an anchor holding a base chunk
  // with one child, built from the inside out.
  const int depth = 100000;
  std::vector<uint8_t> deep = Header(2);
  Put32(deep, 1);
  std::vector<uint32_t> sizes(depth + 1, 0);
  sizes[depth] = 0;
  for (int level = depth - 1; level >= 0; --level)
    sizes[level] = 8 + 17 + (level + 1 < depth ? 8 + sizes[level + 1] : 0);
  for (int level = 0; level < depth; ++level) {
    Put32(deep, 1);
    Put32(deep, sizes[level]);
    Put32(deep, 2);
    Put32(deep, sizes[level] - 8);
    Put32(deep, level + 1 < depth ? 1 : 0);
    Put32(deep, 18);
    deep.push_back(uint8_t(vsInitialized | vsVisible));
    deep.push_back(0);
    for (int i = 0; i < 7; ++i) deep.push_back(0);
  }
  EXPECT_EQ(LoadError(t.get(), deep), 2006);
  EXPECT_TRUE(TreeInvariantsHold(*t));
  EXPECT_LE(t->TotalCount(), 4096u);
}

TEST_F(Stream, TheOwnersReaderSeesOnlyItsChunk) {
  auto a = DetachedTree(), b = DetachedTree();
  MakeNumbered(a.get());
  MakeNumbered(b.get());
  a->SetRootNodeCount(2);
  Id(a.get(), a->GetFirst()) = 5;
  Id(a.get(), a->GetLast()) = 6;
  // A greedy reader reads far past its 4 bytes; the stream goes on after the chunk.
  int64_t seen = 0;
  b->OnLoadNode = [&](TBaseDataTree* tree, PDataNode n, TStream& s) {
    std::vector<uint8_t> buffer(1000);
    seen = s.Read(buffer.data(), 1000);
    std::memcpy(tree->GetNodeData(n), buffer.data(), 4);
  };
  Load(b.get(), Saved(a.get()));
  EXPECT_EQ(seen, 4);
  EXPECT_EQ(Dump(a.get()), Dump(b.get()));
}

TEST_F(Stream, TallContentSaturatesTheTotalsInsteadOfWrapping) {
  // 70,000 rows of 65,535 pixels: 4.6e9 pixels, more than 32 bits hold.
  constexpr uint32_t kRows = 70000, kTall = 65535;
  auto source = DetachedTree();
  source->SetNodeDataSize(4);
  source->SetRootNodeCount(kRows);
  source->BeginUpdate();
  for (PDataNode n = source->GetFirstNoInit(); n; n = n->NextSibling) source->SetNodeHeight(n, kTall);
  source->EndUpdate();
  EXPECT_EQ(source->RootNode()->TotalHeight, UINT32_MAX);
  TMemoryStream stream;
  source->SaveToStream(stream);

  TDataStringTree* t = NewTree();
  stream.SetPosition(0);
  t->LoadFromStream(stream);
  ASSERT_EQ(t->RootNodeCount(), kRows);
  EXPECT_TRUE(TreeInvariantsHold(*t));
  EXPECT_EQ(t->RootNode()->TotalHeight, UINT32_MAX);
  // The scroll range reaches as far as an int does, not a wrapped remainder.
  EXPECT_EQ(t->RangeY(), INT32_MAX);
  int top;
  PDataNode hit = t->GetNodeAt(0, 30000 * int(kTall) + 7, false, top);
  ASSERT_NE(hit, nullptr);
  EXPECT_EQ(hit->Index, 30000u);
  EXPECT_EQ(top, 30000 * int(kTall));
  EXPECT_EQ(t->GetNodeAt(0, 1000, false, top), t->GetFirstNoInit());
  // Shrinking below the limit gives exact totals back, summed anew.
  t->BeginUpdate();
  for (int i = 0; i < 10000; ++i) t->DeleteNode(t->RootNode()->LastChild);
  t->EndUpdate();
  EXPECT_EQ(t->RootNode()->TotalHeight, uint32_t(uint64_t(kRows - 10000) * kTall + t->DefaultNodeHeight()));
  EXPECT_TRUE(TreeInvariantsHold(*t));
  // Collapsing a tall subtree under a saturated parent lands on the exact sum too.
  PDataNode first = t->GetFirstNoInit();
  t->SetChildCount(first, 20000);
  for (PDataNode c = first->FirstChild; c; c = c->NextSibling) t->SetNodeHeight(c, kTall);
  t->SetExpanded(first, true);
  EXPECT_EQ(t->RootNode()->TotalHeight, UINT32_MAX);
  t->SetExpanded(first, false);
  EXPECT_TRUE(TreeInvariantsHold(*t));
  EXPECT_EQ(t->RootNode()->TotalHeight, uint32_t(uint64_t(kRows - 10000) * kTall + t->DefaultNodeHeight()));
}

}  // namespace
}  // namespace qv::test
