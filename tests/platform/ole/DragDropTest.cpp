// Drag and drop between windows with scripted mouse and keys: targets found
// through parents, enter/over/leave/drop with screen points and key state,
// cancelling, targets whose window dies mid-drag, and registration rules.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "OleTestSupport.h"
#include "platform/Utf.h"
#include "platform/ole/DragDrop.h"
#include "platform/ole/DragOffer.h"
#include "platform/ole/MemoryDataObject.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"

namespace qv::test {
namespace {

// The drop source rules of the program's tree control.
class Source final : public ComObject<IDropSource> {
 public:
  HRESULT QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape || (keys & (MK_LBUTTON | MK_RBUTTON)) == (MK_LBUTTON | MK_RBUTTON)) return DRAGDROP_S_CANCEL;
    return keys & (MK_LBUTTON | MK_RBUTTON) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT GiveFeedback(DWORD effect) override {
    feedback.push_back(effect);
    return DRAGDROP_S_USEDEFAULTCURSORS;
  }
  std::vector<DWORD> feedback;
};

// Takes a move, or a copy with Ctrl; holds the data object between enter
// and leave/drop as a real target does.
class Target final : public ComObject<IDropTarget> {
 public:
  HRESULT DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override {
    held = ComPtr<IDataObject>(data);
    return Log("enter", keys, pt, effect);
  }
  HRESULT DragOver(DWORD keys, POINTL pt, DWORD* effect) override { return Log("over", keys, pt, effect); }
  HRESULT DragLeave() override {
    held.Reset();
    calls.push_back("leave");
    return S_OK;
  }
  HRESULT Drop(IDataObject*, DWORD keys, POINTL pt, DWORD* effect) override {
    held.Reset();
    return Log("drop", keys, pt, effect);
  }

  std::vector<std::string> calls;
  POINTL last;
  DWORD lastKeys = 0;
  ComPtr<IDataObject> held;

 private:
  HRESULT Log(const char* what, DWORD keys, POINTL pt, DWORD* effect) {
    calls.push_back(what);
    last = pt, lastKeys = keys;
    *effect &= (keys & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    return S_OK;
  }
};

LRESULT PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return DefWindowProcW(h, m, w, l);
}

class DragDrop : public OleTest {
 protected:
  void SetUp() override {
    OleTest::SetUp();
    OleInitialize(nullptr);
    WNDCLASSEXW wc;
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = u"QvOleTest";
    RegisterClassExW(&wc);
    a = Make(0, 0, nullptr), b = Make(200, 0, nullptr), child = Make(10, 10, b);
    data = MemoryDataObject::Create();
    data->SetText(u"node");
    source = ComPtr<Source>::Adopt(new Source);
    target = ComPtr<Target>::Adopt(new Target);
    ASSERT_EQ(RegisterDragDrop(b, target.Get()), S_OK);
  }
  void TearDown() override {
    RevokeDragDrop(b);
    if (IsWindow(a)) DestroyWindow(a);
    if (IsWindow(b)) DestroyWindow(b);
    backend.Pump();
    UnregisterClassW(u"QvOleTest", nullptr);
    OleUninitialize();
    OleTest::TearDown();
  }
  HWND Make(int x, int y, HWND parent) {
    DWORD style = (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE;
    return CreateWindowExW(0, u"QvOleTest", u"", style, x, y, parent ? 50 : 100, parent ? 50 : 100, parent,
                           nullptr, nullptr, nullptr);
  }
  // Presses the left button over the source window, as a drag starts.
  void PressOnSource() {
    backend.MouseMove(50, 50);
    backend.MouseDown();
    backend.Pump();
  }
  HRESULT Drag(DWORD ok, DWORD& effect) { return DoDragDrop(data.Get(), source.Get(), ok, &effect); }

  HWND a = nullptr, b = nullptr, child = nullptr;
  ComPtr<MemoryDataObject> data;
  ComPtr<Source> source;
  ComPtr<Target> target;
};

TEST_F(DragDrop, DropOnARegisteredParentTakesTheTargetsEffect) {
  PressOnSource();
  backend.WhenIdle([&] { backend.MouseMove(220, 20); });  // over the child of b
  backend.WhenIdle([&] { backend.MouseMove(260, 60); });
  backend.WhenIdle([&] { backend.MouseUp(); });
  DWORD effect = 0;
  EXPECT_EQ(Drag(DROPEFFECT_COPY | DROPEFFECT_MOVE, effect), DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_MOVE);
  EXPECT_EQ(target->calls, (std::vector<std::string>{"enter", "over", "drop"}));
  EXPECT_EQ(target->last.x, 260);
  EXPECT_EQ(target->last.y, 60);
  EXPECT_EQ(target->lastKeys & MK_LBUTTON, 0u);  // released at the drop
  // No target over the source: the "no" cursor, then the arrow over b.
  ASSERT_GE(source->feedback.size(), 3u);
  EXPECT_EQ(source->feedback[0], DROPEFFECT_NONE);
  EXPECT_EQ(source->feedback[1], DROPEFFECT_MOVE);
  EXPECT_EQ(backend.CursorShapes.front(), 32648);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(RefCount(data.Get()), 1u);
  EXPECT_EQ(RefCount(source.Get()), 1u);

  // With Ctrl the target asks for a copy, which the source does not allow.
  target->calls.clear();
  PressOnSource();
  backend.WhenIdle([&] { backend.KeyDown(VK_CONTROL), backend.MouseMove(250, 50); });
  backend.WhenIdle([&] { backend.MouseUp(); });
  EXPECT_EQ(Drag(DROPEFFECT_MOVE, effect), DRAGDROP_S_CANCEL);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  EXPECT_EQ(target->calls, (std::vector<std::string>{"enter", "leave"}));  // never asked to drop
  backend.KeyUp(VK_CONTROL);
  backend.Pump();
}

TEST_F(DragDrop, EscapeCancelsWithALeave) {
  SetFocus(a);
  PressOnSource();
  backend.WhenIdle([&] { backend.MouseMove(250, 50); });
  backend.WhenIdle([&] { backend.KeyDown(VK_ESCAPE); });
  DWORD effect = 0;
  EXPECT_EQ(Drag(DROPEFFECT_MOVE, effect), DRAGDROP_S_CANCEL);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  EXPECT_EQ(target->calls, (std::vector<std::string>{"enter", "leave"}));
  EXPECT_FALSE(target->held);
  EXPECT_EQ(GetCapture(), nullptr);
  backend.KeyUp(VK_ESCAPE);
  backend.MouseUp();
  backend.Pump();
  // A release over no target cancels too.
  target->calls.clear();
  PressOnSource();
  backend.WhenIdle([&] { backend.MouseMove(150, 300); });
  backend.WhenIdle([&] { backend.MouseUp(); });
  EXPECT_EQ(Drag(DROPEFFECT_MOVE, effect), DRAGDROP_S_CANCEL);
  EXPECT_TRUE(target->calls.empty());
}

// What the windows wait for comes before the drag's next step: a paint and
// a due timer of another window are served first, and the moves that queued
// up meanwhile make one step, to where the pointer is now.
std::vector<std::string>* served;
const std::vector<std::string>* targetCalls;
LRESULT ServedProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  // Each with the number of calls the target had by then.
  std::string when = "@" + std::to_string(targetCalls->size());
  if (m == WM_TIMER) served->push_back("timer" + when);
  if (m == WM_PAINT) served->push_back("paint" + when);
  return DefWindowProcW(h, m, w, l);
}

TEST_F(DragDrop, TheWindowsHaveTheirTurnBeforeEachStepAndQueuedMovesMakeOne) {
  std::vector<std::string> order;
  served = &order, targetCalls = &target->calls;
  SetWindowLongPtrW(a, GWLP_WNDPROC, LONG_PTR(ServedProc));
  PressOnSource();
  backend.WhenIdle([&] {
    SetTimer(a, 1, 10, nullptr);
    backend.MoveClockOnly(10);
    InvalidateRect(a, nullptr, FALSE);
    for (int x = 210; x <= 270; x += 20) backend.MouseMove(x, x - 200);
  });
  backend.WhenIdle([&] {
    KillTimer(a, 1);
    backend.MouseUp();
  });
  DWORD effect = 0;
  EXPECT_EQ(Drag(DROPEFFECT_MOVE, effect), DRAGDROP_S_DROP);
  EXPECT_EQ(target->calls, (std::vector<std::string>{"enter", "drop"}));
  EXPECT_EQ(target->last.x, 270);
  EXPECT_EQ(target->last.y, 70);
  for (const char* first : {"paint@0", "timer@0"})
    EXPECT_NE(std::find(order.begin(), order.end(), first), order.end()) << first;
}

// Input that queued up behind a slow step is followed in its order: the
// drag starts where the input that started it was (not where the pointer has
// got to meanwhile), and a release that came with a move drops where the
// move went, although a look for more moves took the release in first. A
// drop went to the window under an older place: rows moved inside their own
// list when the user had let go over another window.
TEST_F(DragDrop, QueuedInputIsFollowedInItsOrderUpToTheRelease) {
  HWND c = Make(400, 0, nullptr);
  auto other = ComPtr<Target>::Adopt(new Target);
  ASSERT_EQ(RegisterDragDrop(c, other.Get()), S_OK);
  PressOnSource();
  // Queued when the drag starts: still over the source, then over b.
  backend.MouseMove(60, 50);
  backend.MouseMove(250, 50);
  // Once the drag has followed them, the pointer goes on to c and is released there at once.
  backend.WhenIdle([&] {
    backend.MouseMove(450, 50);
    backend.MouseUp();
  });
  DWORD effect = 0;
  EXPECT_EQ(Drag(DROPEFFECT_MOVE, effect), DRAGDROP_S_DROP);
  EXPECT_EQ(target->calls, (std::vector<std::string>{"enter", "leave"}));
  EXPECT_EQ(other->calls, (std::vector<std::string>{"enter", "drop"}));
  EXPECT_EQ(other->last.x, 450);
  EXPECT_EQ(other->lastKeys & MK_LBUTTON, 0u);
  RevokeDragDrop(c);
  DestroyWindow(c);
}

TEST_F(DragDrop, TargetWindowDestroyedDuringTheDragIsLetGo) {
  PressOnSource();
  backend.WhenIdle([&] { backend.MouseMove(250, 50); });
  backend.WhenIdle([&] {
    DestroyWindow(b);
    backend.MouseMove(255, 55);
  });
  backend.WhenIdle([&] { backend.MouseUp(); });
  DWORD effect = 0;
  EXPECT_EQ(Drag(DROPEFFECT_MOVE, effect), DRAGDROP_S_CANCEL);
  EXPECT_EQ(target->calls, (std::vector<std::string>{"enter", "leave"}));
  EXPECT_FALSE(target->held);
  // The registry forgot the dead window and let go of its target.
  EXPECT_FALSE(RegisteredDropTarget(b));
  EXPECT_EQ(RefCount(target.Get()), 1u);
  EXPECT_EQ(RevokeDragDrop(b), DRAGDROP_E_INVALIDHWND);
  EXPECT_EQ(RefCount(data.Get()), 1u);
}

TEST_F(DragDrop, DestroyingAWindowRevokesItsTargetAndItsChildrens) {
  auto childTarget = ComPtr<Target>::Adopt(new Target);
  ASSERT_EQ(RegisterDragDrop(child, childTarget.Get()), S_OK);
  EXPECT_EQ(RefCount(childTarget.Get()), 2u);
  DestroyWindow(b);  // takes `child` with it
  // Released at once, not at the next lookup or at OleUninitialize.
  EXPECT_EQ(RefCount(target.Get()), 1u);
  EXPECT_EQ(RefCount(childTarget.Get()), 1u);
  // A new window in the old one's place starts unregistered.
  HWND again = Make(200, 0, nullptr);
  EXPECT_EQ(RegisteredDropTarget(again).Get(), nullptr);
  EXPECT_EQ(RegisterDragDrop(again, target.Get()), S_OK);
}

TEST_F(DragDrop, RegistrationRulesAndReferences) {
  EXPECT_EQ(RefCount(target.Get()), 2u);
  EXPECT_EQ(RegisterDragDrop(b, target.Get()), DRAGDROP_E_ALREADYREGISTERED);
  EXPECT_EQ(RegisterDragDrop(a, nullptr), E_INVALIDARG);
  EXPECT_EQ(RegisterDragDrop(reinterpret_cast<HWND>(0x50), target.Get()), DRAGDROP_E_INVALIDHWND);
  EXPECT_EQ(RevokeDragDrop(a), DRAGDROP_E_NOTREGISTERED);
  EXPECT_EQ(RegisteredDropTarget(child).Get(), nullptr);  // only the window itself
  EXPECT_EQ(RevokeDragDrop(b), S_OK);
  EXPECT_EQ(RefCount(target.Get()), 1u);
  EXPECT_EQ(DoDragDrop(nullptr, source.Get(), DROPEFFECT_COPY, nullptr), E_INVALIDARG);

  // The last OleUninitialize revokes what is still registered.
  EXPECT_EQ(OleInitialize(nullptr), S_FALSE);
  RegisterDragDrop(a, target.Get());
  OleUninitialize();
  EXPECT_EQ(RefCount(target.Get()), 2u);
  OleUninitialize();
  EXPECT_EQ(RefCount(target.Get()), 1u);
  EXPECT_EQ(OleInitialize(nullptr), S_OK);
}

// All a reader of a drag's offer gives, read in pieces of `piece` bytes.
std::string ReadAll(const ForeignDragOffer& offer, bool uris, size_t piece = 3) {
  std::string all;
  if (!offer.open) return all;
  auto reader = offer.open(uris);
  while (reader && reader->Next(all, piece)) {
  }
  return all;
}

// What a drag offers other programs: the rows as UTF-8 text, and as file
// URIs only when every row is an existing file's absolute path, however the
// pieces cut the rows.
TEST(ForeignOffer, RowsAreTextAndFilesOnlyWhenEveryRowIsOne) {
  auto dir = std::filesystem::temp_directory_path() / ("qv-offer-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::string spaced = (dir / "caf\xc3\xa9 #1.txt").string();
  std::ofstream(spaced) << "x";
  auto data = MemoryDataObject::Create();
  data->SetText(Utf8ToUtf16(spaced + "\r\n" + dir.string() + "\n"));
  ForeignDragOffer files = MakeForeignOffer(data.Get());
  EXPECT_TRUE(files.files(files.open(false)));
  EXPECT_EQ(ReadAll(files, false), spaced + "\r\n" + dir.string() + "\n");
  for (size_t piece : {size_t(1), size_t(7), size_t(4096)})
    EXPECT_EQ(ReadAll(files, true, piece),
              "file://" + dir.string() + "/caf%C3%A9%20%231.txt\r\nfile://" + dir.string() + "\r\n")
        << piece;

  // One row that is not a file (relative, missing) keeps it all text.
  for (std::string rows : {spaced + "\nnotes.txt", spaced + "\n" + dir.string() + "/gone"}) {
    data->SetText(Utf8ToUtf16(rows));
    ForeignDragOffer text = MakeForeignOffer(data.Get());
    EXPECT_EQ(ReadAll(text, false), rows);
    EXPECT_FALSE(text.files(text.open(false))) << rows;
  }
  // Without text there is nothing to offer.
  ForeignDragOffer none = MakeForeignOffer(MemoryDataObject::Create().Get());
  EXPECT_FALSE(none.files(none.open(false)));
  EXPECT_TRUE(ReadAll(none, false).empty());
  std::filesystem::remove_all(dir);
}

// A list of files as another program's drop hands it over: read back as made,
// and a damaged block gives what it holds whole, never more.
TEST(ForeignOffer, FileListsReadBackAndDamagedOnesStayInside) {
  std::vector<std::string> paths{"/tmp/caf\xc3\xa9 #1.txt", "/a/\xf0\x9f\x98\x80"};
  std::vector<uint8_t> block = MakeDropFiles(paths);
  EXPECT_EQ(FilesOfDrop(block.data(), block.size()), paths);
  EXPECT_TRUE(FilesOfDrop(block.data(), 19).empty());
  // Cut inside the second name: the first comes back alone.
  EXPECT_EQ(FilesOfDrop(block.data(), 20 + 2 * 17 + 4), std::vector<std::string>{paths[0]});
  std::vector<uint8_t> wild = block;
  wild[0] = 0xFF, wild[1] = 0xFF;  // names said to start far beyond the block
  EXPECT_TRUE(FilesOfDrop(wild.data(), wild.size()).empty());
  EXPECT_TRUE(FilesOfDrop(MakeDropFiles({}).data(), MakeDropFiles({}).size()).empty());
}

}  // namespace
}  // namespace qv::test
