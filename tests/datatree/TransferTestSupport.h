// Shared helpers of the stream, clipboard, move and drag tests: trees whose
// nodes carry a number (their text and their saved owner data), a structure
// dump to compare trees, and the selection's agreement with the node flags.
#pragma once
#include <random>
#include <string>

#include "TreeTestSupport.h"
#include "classlib/Streams.h"
#include "platform/Utf.h"
#include "platform/ole/OleClipboard.h"

namespace qv::test {

inline int32_t& Id(TBaseDataTree* t, PDataNode n) {
  return *t->GetNodeData<int32_t>(n);
}

// Texts "n<id>", the id saved as owner data and read back.
inline void MakeNumbered(TDataStringTree* t) {
  t->SetNodeDataSize(4);
  t->OnGetText = [](TBaseDataTree* tree, PDataNode n, TColumnIndex c, TVSTTextType, std::u16string& s) {
    s = Utf8ToUtf16("n" + std::to_string(Id(tree, n)) + (c > 0 ? "." + std::to_string(c) : ""));
  };
  t->OnSaveNode = [](TBaseDataTree* tree, PDataNode n, TStream& s) {
    if (n) s.WriteBuffer(tree->GetNodeData(n), 4);
  };
  t->OnLoadNode = [](TBaseDataTree* tree, PDataNode n, TStream& s) {
    if (n) s.Read(tree->GetNodeData(n), 4);
  };
}

// A random shape of `count` nodes numbered in creation order.
inline void BuildRandom(TDataStringTree* t, int count, std::mt19937& rng) {
  std::vector<PDataNode> nodes;
  for (int i = 0; i < count; ++i) {
    PDataNode parent = nodes.empty() || rng() % 4 == 0 ? nullptr : nodes[rng() % nodes.size()];
    PDataNode n = t->AddChild(parent);
    Id(t, n) = i + 1;
    nodes.push_back(n);
  }
  for (PDataNode n : nodes) {
    if (rng() % 3 == 0) t->SetExpanded(n, true);
    if (rng() % 7 == 0) t->SetCheckType(n, ctCheckBox);
  }
}

// One line per node (pre-order, without initialising): level, id, the
// stored state bits, height and check data.
inline std::string Dump(TBaseDataTree* t) {
  std::string out;
  for (PDataNode n = t->GetFirstNoInit(); n; n = t->GetNextNoInit(n)) {
    out += std::to_string(t->GetNodeLevel(n)) + ":" + std::to_string(Id(t, n)) + ":" +
           std::to_string(n->LoadStates() & 0xDDE9 & ~vsSelected) + ":" + std::to_string(n->NodeHeight) +
           ":" + std::to_string(n->CheckType) + "\n";
  }
  return out;
}

inline ::testing::AssertionResult SelectionAgrees(TBaseDataTree& t) {
  int flagged = 0;
  for (PDataNode n = t.GetFirstNoInit(); n; n = t.GetNextNoInit(n))
    if (n->Has(vsSelected)) ++flagged;
  if (flagged != t.SelectionCount())
    return ::testing::AssertionFailure()
           << flagged << " nodes flagged, " << t.SelectionCount() << " selected";
  return ::testing::AssertionSuccess();
}

inline std::vector<uint8_t> Saved(TBaseDataTree* t, PDataNode node = nullptr) {
  TMemoryStream s;
  t->SaveToStream(s, node);
  return std::vector<uint8_t>(s.Memory(), s.Memory() + s.Size());
}

inline void Load(TBaseDataTree* t, const std::vector<uint8_t>& bytes) {
  TMemoryStream s;
  if (!bytes.empty()) s.WriteBuffer(bytes.data(), int64_t(bytes.size()));
  s.SetPosition(0);
  t->LoadFromStream(s);
}

// A tree test with the component library started (clipboard and drag and drop).
class TransferTest : public TreeTest {
 protected:
  void SetUp() override { OleInitialize(nullptr); }
  void TearDown() override {
    OleSetClipboard(nullptr);
    TreeTest::TearDown();
    OleUninitialize();
  }
};

}  // namespace qv::test
