// The class-library views against plain models through random edits: tree
// nodes (their order, parents, levels and counts) and list items (captions,
// sub-items and indexes through inserts, deletes and sorts). Node and item
// objects must be freed with their window items, which the leak checker sees.
#include <algorithm>
#include <random>

#include "../controls/ControlsTestSupport.h"
#include "classlib/comctrls/ListView.h"
#include "classlib/comctrls/TreeView.h"

namespace qv::test {
namespace {

using ComCtrlsModel = ControlsTest;

TEST_F(ComCtrlsModel, TreeNodesAgreeWithAModel) {
  TForm* form = NewForm();
  auto* tree = new TTreeView(form);
  tree->SetParent(form);
  tree->SetBounds(0, 0, 300, 280);
  struct M {
    std::string text;
    int parent;  // index into the model, -1 = top level
    bool alive = true;
    TTreeNode* node = nullptr;
  };
  std::vector<M> model;
  std::mt19937 rng(21);
  auto aliveIndexes = [&] {
    std::vector<int> out;
    for (int i = 0; i < int(model.size()); ++i)
      if (model[size_t(i)].alive) out.push_back(i);
    return out;
  };
  // The expected pre-order walk: children in insertion order (all added last).
  std::function<void(int, std::vector<std::string>&)> walk = [&](int parent, std::vector<std::string>& out) {
    for (int i = 0; i < int(model.size()); ++i)
      if (model[size_t(i)].alive && model[size_t(i)].parent == parent) {
        out.push_back(model[size_t(i)].text);
        walk(i, out);
      }
  };
  int deletions = 0;
  tree->OnDeletion = [&](TObject*, TTreeNode*) { ++deletions; };
  for (int step = 0; step < 300; ++step) {
    std::vector<int> alive = aliveIndexes();
    if (rng() % 4 != 0 || alive.empty()) {
      int parent = alive.empty() || rng() % 3 == 0 ? -1 : alive[rng() % alive.size()];
      M m{"node" + std::to_string(step), parent};
      m.node = tree->Items()->AddChild(parent < 0 ? nullptr : model[size_t(parent)].node, m.text);
      model.push_back(m);
    } else {
      int victim = alive[rng() % alive.size()];
      int before = deletions;
      model[size_t(victim)].node->Delete();
      // The victim and everything below it die; each one is reported once.
      int died = 0;
      std::function<void(int)> kill = [&](int i) {
        model[size_t(i)].alive = false;
        ++died;
        for (int j = 0; j < int(model.size()); ++j)
          if (model[size_t(j)].alive && model[size_t(j)].parent == i) kill(j);
      };
      kill(victim);
      ASSERT_EQ(deletions - before, died);
    }
    std::vector<std::string> want, got;
    walk(-1, want);
    for (TTreeNode* n = tree->Items()->GetFirstNode(); n; n = n->GetNext()) got.push_back(n->Text());
    ASSERT_EQ(got, want) << "step " << step;
    ASSERT_EQ(tree->Items()->Count(), int(want.size()));
    if (!want.empty()) {
      int k = int(rng() % want.size());
      TTreeNode* n = tree->Items()->Item(k);
      ASSERT_EQ(n->Text(), want[size_t(k)]);
      ASSERT_EQ(n->AbsoluteIndex(), k);
      auto m = std::find_if(model.begin(), model.end(), [&](const M& x) { return x.alive && x.node == n; });
      ASSERT_NE(m, model.end());
      ASSERT_EQ(n->Parent(), m->parent < 0 ? nullptr : model[size_t(m->parent)].node);
    }
  }
  tree->OnDeletion = nullptr;  // the form frees the rest after this test's locals are gone
}

TEST_F(ComCtrlsModel, ListItemsAgreeWithAModel) {
  TForm* form = NewForm();
  auto* list = new TListView(form);
  list->SetParent(form);
  list->SetViewStyle(vsReport);
  list->Columns()->Add()->SetCaption("Name");
  list->Columns()->Add()->SetCaption("Value");
  std::vector<std::pair<std::string, std::string>> model;
  std::mt19937 rng(8);
  for (int step = 0; step < 400; ++step) {
    int n = int(model.size());
    int op = int(rng() % 10);
    if (op < 5 || n == 0) {
      int at = int(rng() % (n + 1));
      TListItem* item = list->Items()->Insert(at);
      std::string caption = "c" + std::to_string(rng() % 1000), value = "v" + std::to_string(step);
      item->SetCaption(caption);
      item->SubItems()->Add(value);
      model.insert(model.begin() + at, {caption, value});
    } else if (op < 8) {
      int at = int(rng() % n);
      if (rng() % 2)
        list->Items()->Delete(at);
      else
        list->Items()->Item(at)->Delete();
      model.erase(model.begin() + at);
    } else if (op < 9) {
      list->CustomSort([](TListItem* a, TListItem* b,
                          LPARAM) { return a->Caption() < b->Caption() ? -1 : a->Caption() > b->Caption(); },
                       0);
      std::stable_sort(model.begin(), model.end(), [](auto& a, auto& b) { return a.first < b.first; });
    } else {
      int at = int(rng() % n);
      std::string value = "w" + std::to_string(step);
      list->Items()->Item(at)->SubItems()->SetStrings(0, value);
      model[size_t(at)].second = value;
    }
    ASSERT_EQ(list->Items()->Count(), int(model.size()));
    for (int i = 0; i < int(model.size()); ++i) {
      TListItem* item = list->Items()->Item(i);
      ASSERT_EQ(item->Index(), i);
      ASSERT_EQ(item->Caption(), model[size_t(i)].first);
      ASSERT_EQ(item->SubItems()->Strings(0), model[size_t(i)].second);
    }
    if (!model.empty()) {
      // The window shows the same texts.
      int i = int(rng() % model.size());
      char16_t buffer[32] = {};
      LVITEMW it;
      it.iSubItem = 1;
      it.pszText = buffer;
      it.cchTextMax = 32;
      SendMessageW(list->Handle(), LVM_GETITEMTEXTW, WPARAM(i), LPARAM(&it));
      ASSERT_EQ(std::u16string(buffer),
                std::u16string(model[size_t(i)].second.begin(), model[size_t(i)].second.end()));
    }
  }
}

}  // namespace
}  // namespace qv::test
