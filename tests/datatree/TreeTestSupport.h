// Shared fixture of the data tree tests: a headless screen, a form holding a
// string tree, and an invariant checker that recomputes every running count
// and height from the links.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "classlib/controls/Application.h"
#include "classlib/controls/ControlMessages.h"
#include "classlib/controls/Forms.h"
#include "classlib/controls/Screen.h"
#include "datatree/DataStringTree.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Input.h"
#include "platform/window/Messages.h"

namespace qv::test {

// Asks the tree, as the application does before a hint shows, about the
// point p of its client area; 0 when it wants a hint, the filled info then.
inline LRESULT AskHint(TBaseDataTree* t, POINT p, THintInfo& info) {
  info = THintInfo{};
  info.HintControl = t;
  info.CursorPos = p;
  info.CursorRect = t->ClientRect();
  info.HintPos = t->ClientToScreen(POINT{p.x, p.y + 20});
  return t->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
}

// A mouse message at (x, y) of the header (client x, y from the header's
// top), as the platform routes it: the non-client message with the screen
// point and the border hit code while nothing holds the capture, the
// client's message with the client point while the tree does.
inline LRESULT SendHeaderMouse(TBaseDataTree* t, UINT msg, int x, int y) {
  POINT client{x, y - t->Header()->Height()};
  if (GetCapture() == t->Handle()) return SendMessage(t->Handle(), msg, 0, MAKELPARAM(client.x, client.y));
  POINT s = t->ClientToScreen(client);
  return SendMessage(t->Handle(), msg - WM_MOUSEMOVE + WM_NCMOUSEMOVE, HTBORDER, MAKELPARAM(s.x, s.y));
}

// Checks the node store's invariants over the whole tree; the first broken
// one is reported with the node's position.
inline ::testing::AssertionResult TreeInvariantsHold(TBaseDataTree& tree) {
  struct Walker {
    TBaseDataTree& t;
    std::string error;
    uint32_t visible = 0;
    // Returns the subtree's (count, height); heights saturate at 32 bits.
    std::pair<uint32_t, uint32_t> Visit(PDataNode n, bool shown) {
      uint32_t count = 1;
      uint64_t height = n == t.RootNode() ? t.DefaultNodeHeight() : n->NodeHeight;
      uint32_t len = 0, index = 0;
      PDataNode prev = nullptr;
      bool expanded = n->Has(vsExpanded);
      for (PDataNode c = n->FirstChild; c; c = c->NextSibling) {
        if (c->Parent != n) error = "parent link";
        if (c->PrevSibling != prev) error = "previous link";
        if (c->Index != index) error = "index " + std::to_string(c->Index) + " at " + std::to_string(index);
        bool childShown = shown && expanded && c->Has(vsVisible);
        if (childShown) ++visible;
        auto [cc, ch] = Visit(c, childShown);
        count += cc;
        if (expanded && c->Has(vsVisible)) height += ch;
        prev = c;
        ++len;
        ++index;
      }
      if (n->LastChild != prev) error = "last child link";
      if (len != n->ChildCount) error = "child count";
      if (n->ChildCount > 0 && !n->Has(vsHasChildren)) error = "has-children flag";
      if (n->TotalCount != count)
        error = "total count " + std::to_string(n->TotalCount) + " != " + std::to_string(count);
      height = std::min<uint64_t>(height, UINT32_MAX);
      if (n->TotalHeight != height)
        error = "total height " + std::to_string(n->TotalHeight) + " != " + std::to_string(height);
      return {count, uint32_t(height)};
    }
  } w{tree, {}, 0};
  w.Visit(tree.RootNode(), true);
  if (w.error.empty() && w.visible != tree.VisibleCount())
    w.error = "visible count " + std::to_string(tree.VisibleCount()) + " != " + std::to_string(w.visible);
  if (!w.error.empty()) return ::testing::AssertionFailure() << w.error;
  return ::testing::AssertionSuccess();
}

class TreeTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Application->CancelHint();
    for (int i = Screen->FormCount() - 1; i >= 0; --i) delete Screen->Forms(i);
    Application->ProcessMessages();
  }
  // A shown form with a string tree filling it.
  TDataStringTree* NewTree(RECT r = {0, 0, 400, 300}) {
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBoundsRect(r);
    auto* t = new TDataStringTree(form);
    t->SetBorderStyle(bsNone);
    t->SetAlign(alClient);
    t->SetParent(form);
    form->Show();
    Pump();
    return t;
  }
  // A tree without a window, for pure node-store work.
  std::unique_ptr<TDataStringTree> DetachedTree() { return std::make_unique<TDataStringTree>(nullptr); }
  void Pump() { Application->ProcessMessages(); }
  uint32_t PixelAt(int x, int y) { return backend.Screenshot().At(x, y) & 0xFFFFFF; }

  HeadlessBackend backend{SIZE{800, 600}};
  TForm* form = nullptr;
};

}  // namespace qv::test
