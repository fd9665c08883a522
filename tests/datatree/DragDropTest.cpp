// Drag and drop: the drop effect rules, the drop target's feedback and
// events, real drags between two trees through the modal drag loop, and the
// alpha-blended drag image checked in screen pixels.
#include <cmath>

#include "TransferTestSupport.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "datatree/DataTreeClipboard.h"
#include "datatree/DataTreeDragDrop.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Input.h"
#include "platform/window/Messages.h"

namespace qv::test {
namespace {

class Drag : public TransferTest {
 protected:
  // `prepare` runs before the tree gets its window.
  TDataStringTree* Numbered(RECT r, int count, const std::function<void(TDataStringTree*)>& prepare = {}) {
    auto* f = new TForm(nullptr);
    f->SetBorderStyle(bsNone);
    f->SetBoundsRect(r);
    auto* t = new TDataStringTree(f);
    if (prepare) prepare(t);
    t->SetBorderStyle(bsNone);
    t->SetAlign(alClient);
    t->SetParent(f);
    f->Show();
    MakeNumbered(t);
    t->ClipboardFormats()->Add("Data Tree Data");
    for (int i = 1; i <= count; ++i) Id(t, t->AddChild(nullptr)) = i;
    Pump();
    return t;
  }
  POINT LabelOnScreen(TBaseDataTree* t, PDataNode n) {
    RECT r = t->GetDisplayRect(n, NoColumn, true);
    return t->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }
  // Presses on `from`, then moves through the points and releases, all inside the drag loop.
  void DragAlong(POINT from, std::vector<POINT> path, UINT key = 0) {
    backend.MouseMove(from.x, from.y);
    backend.MouseDown();
    Pump();
    // The loop waits for input when idle: the rest of the gesture comes then.
    if (key) backend.WhenIdle([this, key] { backend.KeyDown(key); });
    for (POINT p : path) backend.WhenIdle([this, p] { backend.MouseMove(p.x, p.y); });
    backend.WhenIdle([this] { backend.MouseUp(); });
    backend.MouseMove(from.x + 12, from.y);  // past the threshold: the drag starts
    Pump();
    if (key) backend.KeyUp(key);
    Pump();
  }
};

TEST_F(Drag, DropEffectRules) {
  TDataStringTree* a = Numbered({0, 0, 300, 300}, 1);
  TDataStringTree* b = Numbered({400, 0, 700, 300}, 1);
  const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  struct Row {
    TObject* source;
    TShiftState shift;
    DWORD allowed, expected;
  } rows[] = {
      {a, {}, all, DROPEFFECT_MOVE},
      {b, {}, all, DROPEFFECT_COPY},
      {nullptr, {}, all, DROPEFFECT_COPY},
      {a, {ssCtrl}, all, DROPEFFECT_COPY},
      {b, {ssShift}, all, DROPEFFECT_MOVE},
      {b, {ssCtrl, ssShift}, all, DROPEFFECT_LINK},
      {a, {ssAlt}, all, DROPEFFECT_LINK},
      {a, {ssAlt}, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_MOVE},
      {b, {}, DROPEFFECT_MOVE, DROPEFFECT_MOVE},
      {b, {ssCtrl}, DROPEFFECT_MOVE, DROPEFFECT_MOVE},
  };
  for (const Row& r : rows) EXPECT_EQ(a->DetermineDropEffect(r.source, r.shift, r.allowed), r.expected);
}

TEST_F(Drag, HoverFeedbackWithoutAnOwnerAnswer) {
  TDataStringTree* t = Numbered({0, 0, 300, 200}, 30);
  t->SetChildCount(t->GetFirst(), 3);
  std::vector<TDTDragState> states;
  t->OnDragOver = [&](TBaseDataTree*, TObject*, TShiftState, TDTDragState s, POINT, TDropMode, DWORD&,
                      bool&) {
    states.push_back(s);  // refuses: Accept stays false
  };
  POINT over = LabelOnScreen(t, t->GetFirst());
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(t->DragEnter(0, over, effect), S_OK);
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(t->DragOver(nullptr, 0, dsDragMove, over, effect), S_OK);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  EXPECT_EQ(t->DropTargetNode(), t->GetFirst());
  EXPECT_EQ(t->LastDropMode(), dmOnNode);
  // Right of the label, in the lower half of the row: below.
  RECT row = t->GetDisplayRect(t->GetFirst(), NoColumn, false);
  POINT right = t->ClientToScreen(POINT{row.right - 5, row.bottom - 2});
  t->DragOver(nullptr, 0, dsDragMove, right, effect);
  EXPECT_EQ(t->LastDropMode(), dmBelow);
  // Hovering expands a node with children after the delay.
  backend.AdvanceClock(t->AutoExpandDelay + 10);
  Pump();
  EXPECT_TRUE(t->Expanded(t->GetFirst()));
  // Near the bottom the view scrolls and says so.
  POINT bottom = t->ClientToScreen(POINT{20, t->ClientHeight() - 2});
  effect = DROPEFFECT_COPY;
  t->DragOver(nullptr, 0, dsDragMove, bottom, effect);
  EXPECT_NE(effect & DROPEFFECT_SCROLL, 0u);
  EXPECT_LT(t->OffsetY(), 0);
  t->DragLeave();
  EXPECT_EQ(t->DropTargetNode(), nullptr);
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.front(), dsDragEnter);
  EXPECT_EQ(states.back(), dsDragLeave);
}

TEST_F(Drag, DraggingCopiesBetweenTreesAndMovesOnlyWhenAsked) {
  TDataStringTree* a = Numbered({0, 0, 300, 300}, 4);
  TDataStringTree* b = Numbered({400, 0, 700, 300}, 2);
  a->OnDragAllowed = [](TBaseDataTree*, PDataNode, TColumnIndex, bool& allowed) { allowed = true; };
  a->TreeOptions()->SetAutoOptions(a->TreeOptions()->AutoOptions() + toAutoDeleteMovedNodes);
  TDropMode mode = dmNowhere;
  DWORD dropped = 0;
  b->OnDragOver = [](TBaseDataTree*, TObject*, TShiftState, TDTDragState, POINT, TDropMode, DWORD&,
                     bool& accept) { accept = true; };
  b->OnDragDrop = [&](TBaseDataTree* t, TObject* source, IDataObject* data, const std::vector<WORD>& formats,
                      TShiftState, POINT, DWORD& effect, TDropMode m) {
    mode = m;
    dropped = effect;
    EXPECT_EQ(source, a);
    EXPECT_FALSE(formats.empty());
    t->InsertFromDataObject(a, data, t->DropTargetNode(), amAddChildLast, false);
  };
  int ended = 0;
  a->OnEndDrag = [&](TBaseDataTree*, int, int) { ++ended; };
  DragAlong(LabelOnScreen(a, a->GetFirst()),
            {LabelOnScreen(b, b->GetFirst()), LabelOnScreen(b, b->GetLast())});
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(dropped, DROPEFFECT_COPY);
  EXPECT_EQ(mode, dmOnNode);
  EXPECT_EQ(b->TotalCount(), 3u);
  ASSERT_NE(b->GetFirstChild(b->RootNode()->LastChild), nullptr);
  EXPECT_EQ(Id(b, b->GetFirstChild(b->RootNode()->LastChild)), 1);
  EXPECT_EQ(a->TotalCount(), 4u);
  EXPECT_FALSE(a->TreeStates().Contains(tsOLEDragging));

  // With Shift the drop is a move: the source deletes what it gave away,
  // except a node the owner freed during the drag.
  backend.AdvanceClock(2000);  // not a double click
  a->TreeOptions()->SetSelectionOptions(a->TreeOptions()->SelectionOptions() + toMultiSelect);
  PDataNode second = a->GetFirst()->NextSibling;
  a->SetSelected(a->GetFirst(), true);
  a->SetSelected(second, true);
  a->SetFocusedNode(a->GetFirst());
  b->OnDragDrop = [&](TBaseDataTree* t, TObject*, IDataObject* data, const std::vector<WORD>&, TShiftState,
                      POINT, DWORD& effect, TDropMode) {
    dropped = effect;
    t->InsertFromDataObject(a, data, nullptr, amAddChildLast, false);
    a->DeleteNode(second);
  };
  DragAlong(LabelOnScreen(a, a->GetFirst()), {LabelOnScreen(b, b->GetFirst())}, VK_SHIFT);
  EXPECT_EQ(dropped, DROPEFFECT_MOVE);
  EXPECT_EQ(a->TotalCount(), 2u);
  EXPECT_EQ(b->TotalCount(), 5u);
  EXPECT_TRUE(TreeInvariantsHold(*a));
  EXPECT_TRUE(TreeInvariantsHold(*b));

  // What is moved is what was selected when the drag began, whatever the
  // selection became before the drop ended.
  backend.AdvanceClock(2000);
  a->SelectAll(false);
  a->SetFocusedNode(a->GetFirst());
  b->OnDragDrop = [&](TBaseDataTree* t, TObject*, IDataObject* data, const std::vector<WORD>&, TShiftState,
                      POINT, DWORD& effect, TDropMode) {
    dropped = effect;
    t->InsertFromDataObject(a, data, nullptr, amAddChildLast, false);
    a->ClearSelection();
    a->AddChild(nullptr);
    a->SetSelected(a->GetLast(), true);
  };
  DragAlong(LabelOnScreen(a, a->GetFirst()), {LabelOnScreen(b, b->GetFirst())}, VK_SHIFT);
  EXPECT_EQ(dropped, DROPEFFECT_MOVE);
  EXPECT_EQ(a->TotalCount(), 1u);  // the node added during the drop
  EXPECT_TRUE(a->Selected(a->GetFirst()));
  EXPECT_EQ(b->TotalCount(), 7u);
  EXPECT_TRUE(TreeInvariantsHold(*a));
}

TEST_F(Drag, TheDragImageFadesAtItsEdgesAndRestoresTheScreen) {
  Numbered({0, 0, 400, 300}, 3);
  Surface before = backend.Screenshot();
  // A 40 x 20 image: red with a key-coloured corner pixel.
  BITMAPINFO info{};
  info.bmiHeader.biWidth = 40;
  info.bmiHeader.biHeight = -20;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* px = static_cast<uint32_t*>(bits);
  for (int i = 0; i < 40 * 20; ++i) px[i] = 0x00FF0000;
  px[0] = 0x0000FF00;
  TDTDragImage image;
  image.ImageAlpha = 200;
  image.FadeEdges = true;
  image.TransparentColor = TColor(0x0000FF00);  // green, as a TColor (BGR)
  image.BeginImageDrag(bmp, POINT{100, 100}, POINT{120, 110});
  DeleteObject(bmp);
  EXPECT_EQ(image.AlphaAt(20, 10), 255);
  EXPECT_EQ(image.AlphaAt(0, 0), 0);
  EXPECT_EQ(image.AlphaAt(1, 0),
            uint8_t(std::lround(255 * std::exp(-8 * std::sqrt(std::pow(19.0 / 40, 2) + 0.0625)))));
  image.ShowImage();
  EXPECT_TRUE(image.Visible());
  Surface shown = backend.Screenshot();
  uint32_t under = before.At(120, 110) & 0xFFFFFF, now = shown.At(120, 110) & 0xFFFFFF;
  int a = 255 * 200 / 256;
  for (int shift : {0, 8, 16}) {
    int s = (0xFF0000 >> shift) & 0xFF, u = (under >> shift) & 0xFF;
    EXPECT_NEAR(int((now >> shift) & 0xFF), (s * a + u * (256 - a)) / 256, 1) << shift;
  }
  EXPECT_EQ(shown.At(100, 100) & 0xFFFFFF, before.At(100, 100) & 0xFFFFFF);  // the keyed pixel
  // Moves by less than the size exchange strips, by the whole size everything.
  image.AxisLock = dlHorizontalOnly;
  EXPECT_FALSE(image.ImageWouldMove(POINT{120, 150}));
  image.AxisLock = dlNone;
  EXPECT_TRUE(image.MoveImageTo(POINT{159, 110}, false));  // width - 1
  EXPECT_EQ(image.Origin().x, 139);
  EXPECT_TRUE(image.MoveImageTo(POINT{199, 129}, false));  // width: the full path
  EXPECT_TRUE(image.MoveImageTo(POINT{190, 125}, false));
  EXPECT_EQ(image.ImageScreenRect().left, 170);
  image.EndImageDrag();
  Surface after = backend.Screenshot();
  for (int y = 90; y < 160; ++y)
    for (int x = 90; x < 240; ++x) ASSERT_EQ(after.At(x, y), before.At(x, y)) << x << "," << y;
}

// Over another tree the drop target's highlight follows the pointer under the
// image. At every step of the drag the screen shows what the tree paints now,
// wherever the image lets it through (outside the image and under its
// see-through pixels): no stale pixels, neither beside the image nor where it
// has been; and the image is never taken off the screen for a repaint.
TEST_F(Drag, TheDropTargetHighlightFollowsThePointerUnderTheImage) {
  TDataStringTree* a = Numbered({0, 0, 300, 300}, 4);
  TDataStringTree* b = Numbered({400, 0, 700, 300}, 40);
  b->TreeOptions()->SetSelectionOptions({toFullRowSelect});              // the whole row in the drop colours
  b->Colors()->Set(TDTColors::DropTargetColor, TColor(0x0000FF));        // red
  b->Colors()->Set(TDTColors::DropTargetBorderColor, TColor(0x00FF00));  // green
  a->OnDragAllowed = [](TBaseDataTree*, PDataNode, TColumnIndex, bool& allowed) { allowed = true; };
  // The image is hidden only around a hovered node's expansion.
  int paintsWhileHidden = 0;
  bool seen = false, expanding = false;
  b->OnDragOver = [&](TBaseDataTree*, TObject*, TShiftState, TDTDragState, POINT, TDropMode, DWORD&,
                      bool& accept) {
    accept = true;
    seen = seen || a->DragImage()->Visible();
  };
  b->OnDragDrop = [](TBaseDataTree*, TObject*, IDataObject*, const std::vector<WORD>&, TShiftState, POINT,
                     DWORD& effect, TDropMode) { effect = DROPEFFECT_NONE; };
  b->WindowProc = [a, &paintsWhileHidden, &seen, &expanding, old = b->WindowProc](TMessage& m) {
    TDTDragImage* drag = a->DragImage();
    if (m.Msg == WM_PAINT && seen && !expanding && drag->Active() && !drag->Visible()) ++paintsWhileHidden;
    old(m);
  };
  auto rgb = [](COLORREF c) {
    return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
  };
  int checks = 0;
  // The screen against what the tree paints now: equal outside the image, and
  // under it no further off than the image's alpha there allows (an image
  // pixel mixes into what lies under it at most by that much). Red only in
  // the row under the pointer, when it is on the row's label.
  auto check = [&](POINT pointer, bool onLabel) {
    TDTDragImage* image = a->DragImage();
    if (!image->Visible()) return;
    ++checks;
    Surface shot = backend.Screenshot();
    int w = b->ClientWidth(), h = b->ClientHeight();
    TBitmap now(w, h, pf32bit);
    SendMessageW(b->Handle(), WM_PRINTCLIENT, WPARAM(now.Canvas()->Handle()), PRF_CLIENT);
    RECT ir = image->ImageScreenRect();
    POINT o = b->ClientOrigin();
    POINT p = b->ScreenToClient(pointer);
    PDataNode under = b->GetNodeAt(p.x, p.y);
    int stale = 0, redUnder = 0, redElsewhere = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        int sx = o.x + x, sy = o.y + y;
        bool inImage = sx >= ir.left && sx < ir.right && sy >= ir.top && sy < ir.bottom;
        int alpha = inImage ? image->AlphaAt(sx - ir.left, sy - ir.top) : 0;
        int bound = alpha ? alpha * image->ImageAlpha / 256 + 1 : 0;
        uint32_t shown = shot.At(sx, sy) & 0xFFFFFF, painted = rgb(now.Canvas()->Pixels(x, y));
        for (int shift : {0, 8, 16})
          if (std::abs(int(shown >> shift & 255) - int(painted >> shift & 255)) > bound) {
            ++stale;
            break;
          }
        if (shown == 0xFF0000) ++(b->GetNodeAt(x, y) == under ? redUnder : redElsewhere);
      }
    EXPECT_EQ(stale, 0) << pointer.x << "," << pointer.y;
    EXPECT_EQ(redUnder > 100, onLabel) << pointer.x << "," << pointer.y;
    EXPECT_EQ(redElsewhere, 0) << pointer.x << "," << pointer.y;
  };
  PDataNode second = b->GetFirst()->NextSibling, fourth = second->NextSibling->NextSibling;
  POINT on2 = LabelOnScreen(b, second), on4 = LabelOnScreen(b, fourth);
  backend.MouseMove(LabelOnScreen(a, a->GetFirst()).x, LabelOnScreen(a, a->GetFirst()).y);
  backend.MouseDown();
  Pump();
  // Over two rows, resting on the second until it expands, back, beside a
  // label (the drop mark instead), then at the bottom edge, where the view
  // scrolls under the image. A point (0, 0) waits for the expansion.
  b->SetChildCount(fourth, 3);
  POINT edge{on4.x, 297};
  std::vector<std::pair<POINT, bool>> path{{on2, true},
                                           {POINT{on2.x + 1, on2.y}, true},
                                           {on4, true},
                                           {POINT{on4.x + 1, on4.y}, true},
                                           {POINT{}, true},
                                           {on2, true},
                                           {POINT{on2.x - 30, on2.y + 1}, false},
                                           {edge, true},
                                           {edge, true},
                                           {POINT{edge.x + 1, 297}, true}};
  std::pair<POINT, bool> last{};
  for (auto step : path) {
    backend.WhenIdle([this, b, step, &last, &check, &expanding] {
      if (last.first.x) check(last.first, last.second);
      expanding = !step.first.x;
      if (expanding) return backend.AdvanceClock(b->AutoExpandDelay + 10);
      backend.MouseMove(step.first.x, step.first.y);
      last = step;
    });
  }
  backend.WhenIdle([this, &last, &check] {
    check(last.first, last.second);
    backend.MouseUp();
  });
  backend.MouseMove(LabelOnScreen(a, a->GetFirst()).x + 12, LabelOnScreen(a, a->GetFirst()).y);
  Pump();
  EXPECT_EQ(checks, int(path.size()) - 1);  // the first move only enters the tree
  EXPECT_TRUE(b->Expanded(fourth));
  EXPECT_LT(b->OffsetY(), 0);
  EXPECT_EQ(paintsWhileHidden, 0);
  EXPECT_FALSE(a->DragImage()->Visible());
  // After the drag the screen shows exactly what the tree paints.
  Surface left = backend.Screenshot();
  InvalidateRect(b->Handle(), nullptr, TRUE);
  Pump();
  Surface repainted = backend.Screenshot();
  for (int y = 0; y < 300; ++y)
    for (int x = 400; x < 700; ++x) ASSERT_EQ(left.At(x, y), repainted.At(x, y)) << x << "," << y;
}

// An owner may supply the drag manager; the tree then drags and accepts drops
// through it.
class CountingManager final : public ComObject<IDTDragManager, IDropSource, IDropTarget> {
 public:
  explicit CountingManager(TBaseDataTree* tree) : inner_(TDTDragManager::Create(tree)) {}
  int enters = 0, drops = 0, feedback = 0;
  void LeaveHelperDrag() override { inner_->LeaveHelperDrag(); }
  ComPtr<IDataObject> GetDataObject() override { return inner_->GetDataObject(); }
  TBaseDataTree* GetDragSource() override { return inner_->GetDragSource(); }
  bool GetHelperAvailable() override { return inner_->GetHelperAvailable(); }
  bool GetIsDropTarget() override { return inner_->GetIsDropTarget(); }
  HRESULT QueryContinueDrag(BOOL esc, DWORD keys) override { return inner_->QueryContinueDrag(esc, keys); }
  HRESULT GiveFeedback(DWORD effect) override { return ++feedback, inner_->GiveFeedback(effect); }
  HRESULT DragEnter(IDataObject* d, DWORD k, POINTL p, DWORD* e) override {
    return ++enters, inner_->DragEnter(d, k, p, e);
  }
  HRESULT DragOver(DWORD k, POINTL p, DWORD* e) override { return inner_->DragOver(k, p, e); }
  HRESULT DragLeave() override { return inner_->DragLeave(); }
  HRESULT Drop(IDataObject* d, DWORD k, POINTL p, DWORD* e) override {
    return ++drops, inner_->Drop(d, k, p, e);
  }

 private:
  ComPtr<TDTDragManager> inner_;
};

TEST_F(Drag, AnOwnerSuppliedDragManagerCarriesTheDrag) {
  ComPtr<CountingManager> sourceManager, targetManager;
  int asked = 0;
  TDataStringTree* a = Numbered({0, 0, 300, 300}, 3, [&](TDataStringTree* t) {
    t->OnCreateDragManager = [&](TBaseDataTree* tree, ComPtr<IDTDragManager>& m) {
      ++asked;
      sourceManager = ComPtr<CountingManager>::Adopt(new CountingManager(tree));
      m = ComPtr<IDTDragManager>(sourceManager.Get());
    };
  });
  TDataStringTree* b = Numbered({400, 0, 700, 300}, 1, [&](TDataStringTree* t) {
    t->OnCreateDragManager = [&](TBaseDataTree* tree, ComPtr<IDTDragManager>& m) {
      targetManager = ComPtr<CountingManager>::Adopt(new CountingManager(tree));
      m = ComPtr<IDTDragManager>(targetManager.Get());
    };
  });
  ASSERT_TRUE(targetManager);  // asked for when the window registered as a drop target
  EXPECT_EQ(b->GetDragManager(), static_cast<IDTDragManager*>(targetManager.Get()));
  a->OnDragAllowed = [](TBaseDataTree*, PDataNode, TColumnIndex, bool& allowed) { allowed = true; };
  b->OnDragOver = [](TBaseDataTree*, TObject*, TShiftState, TDTDragState, POINT, TDropMode, DWORD&,
                     bool& accept) { accept = true; };
  TObject* source = nullptr;
  b->OnDragDrop = [&](TBaseDataTree* t, TObject* s, IDataObject* data, const std::vector<WORD>&, TShiftState,
                      POINT, DWORD&, TDropMode) {
    source = s;
    t->InsertFromDataObject(a, data, nullptr, amAddChildLast, false);
  };
  DragAlong(LabelOnScreen(a, a->GetFirst()), {LabelOnScreen(b, b->GetFirst())});
  ASSERT_TRUE(sourceManager);
  EXPECT_EQ(asked, 1);
  EXPECT_GT(sourceManager->feedback, 0);
  EXPECT_EQ(targetManager->enters, 1);
  EXPECT_EQ(targetManager->drops, 1);
  EXPECT_EQ(source, a);
  EXPECT_EQ(b->TotalCount(), 2u);
}

}  // namespace
}  // namespace qv::test
