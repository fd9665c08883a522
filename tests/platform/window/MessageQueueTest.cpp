// Message queues: nested and cross-thread sends, posted-message filters,
// the order of synthesized WM_PAINT and WM_TIMER, nested modal loops in
// which windows die, timers on the test clock, WM_QUIT through nested
// loops, and SendMessageTimeout with hung and blocking threads.
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "WindowTestSupport.h"
#include "platform/window/WindowImpl.h"

namespace qv::test {
namespace {

constexpr DWORD kHung = 5001;  // past the time that makes a thread count as hung

using Queue = WindowTest;

TEST_F(Queue, SendInsideSendReturnsEachAnswerToItsCaller) {
  HWND a = Top({0, 0, 10, 10});
  HWND b = Top({0, 0, 10, 10});
  Rec().handlers[a] = [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_USER) return std::nullopt;
    return LRESULT(w) < 3 ? SendMessageW(b, WM_USER, w + 1, 0) * 10 : 1;
  };
  Rec().handlers[b] = [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_USER) return std::nullopt;
    return SendMessageW(a, WM_USER, w + 1, 0) + 1;
  };
  // a(0) -> b(1) -> a(2) -> b(3) -> a(4)=1 ; b = 2, a = 20, b = 21, a = 210
  EXPECT_EQ(SendMessageW(a, WM_USER, 0, 0), 210);
  EXPECT_FALSE(InSendMessage());
}

TEST_F(Queue, CrossThreadSendWaitsForTheOwnerAndServesSendsMeanwhile) {
  HWND gui = Top({0, 0, 10, 10});
  std::atomic<HWND> workerWindow{nullptr};
  std::atomic<bool> done{false};
  std::atomic<LRESULT> answer{0};
  std::atomic<bool> servedWhileWaiting{false};
  // The handler table is the test's own plain map: each thread adds its entry
  // before the other reads the table.
  Rec().handlers[gui] = [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_USER) return std::nullopt;
    EXPECT_TRUE(InSendMessage());
    LRESULT back = SendMessageW(workerWindow, WM_USER + 1, 0, 0);  // re-entrant, across threads
    return LRESULT(w) + back;
  };
  std::thread worker([&] {
    // The worker has a window of its own that the GUI thread calls back into
    // while the worker is blocked in its send.
    HWND mine =
        CreateWindowExW(0, u"QvPlain", nullptr, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    Rec().handlers[mine] = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (m == WM_USER + 1) return servedWhileWaiting = true, 5;
      return std::nullopt;
    };
    workerWindow = mine;
    answer = SendMessageW(gui, WM_USER, 20, 0);
    DestroyWindow(mine);
    done = true;
  });
  while (!workerWindow) std::this_thread::yield();
  MSG msg;
  while (!done) {
    // The GUI thread serves the send inside PeekMessage, even with a window filter.
    PeekMessageW(&msg, gui, 0, 0, PM_REMOVE);
    std::this_thread::yield();
  }
  worker.join();
  EXPECT_EQ(answer, 25);
  EXPECT_TRUE(servedWhileWaiting);
}

TEST_F(Queue, SendTimeoutFailsWhenTheOwnerDoesNotPump) {
  HWND gui = Top({0, 0, 10, 10});
  std::atomic<LRESULT> ok{-1};
  std::thread worker([&] {
    uintptr_t r = 0;
    ok = SendMessageTimeoutW(gui, WM_USER, 0, 0, SMTO_NORMAL, 50, &r);
  });
  worker.join();  // this thread never pumps while the worker waits
  EXPECT_EQ(ok, 0);
  backend.Pump();  // the abandoned send is not delivered later
  EXPECT_TRUE(Of(WM_USER).empty());
}

TEST_F(Queue, PeekFiltersByWindowAndRange) {
  HWND a = Top({0, 0, 10, 10});
  HWND b = Top({0, 0, 10, 10});
  backend.Pump();
  PostMessageW(a, WM_USER + 1, 1, 0);
  PostMessageW(b, WM_USER + 2, 2, 0);
  PostMessageW(a, WM_USER + 3, 3, 0);
  PostThreadMessageW(GetCurrentThreadId(), WM_USER + 4, 4, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, b, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_USER + 2u);
  ASSERT_TRUE(PeekMessageW(&m, a, WM_USER + 3, WM_USER + 3, PM_REMOVE));
  EXPECT_EQ(m.wParam, 3u);
  ASSERT_TRUE(PeekMessageW(&m, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));  // thread messages only
  EXPECT_EQ(m.message, WM_USER + 4u);
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_FALSE(PeekMessageW(&m, a, WM_USER + 2, WM_USER + 2, PM_REMOVE));
  std::vector<UINT> rest;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) rest.push_back(m.message);
  EXPECT_EQ(rest, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
}

TEST_F(Queue, PaintAndTimerComeOnlyWhenNothingElseWaits) {
  HWND w = Top({0, 0, 50, 50});
  backend.Pump();
  SetTimer(w, 7, 10, nullptr);
  InvalidateRect(w, nullptr, FALSE);
  PostMessageW(w, WM_USER, 0, 0);
  backend.MouseMove(5, 5);
  backend.MoveClockOnly(10);
  Rec().handlers[w] = [](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) PostMessageW(h, WM_USER + 1, 0, 0);  // posted while dispatching: still before the paint
    if (m == WM_TIMER) KillTimer(h, 7);
    return std::nullopt;
  };
  std::vector<UINT> order;
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message != WM_SETCURSOR) order.push_back(m.message);
    DispatchMessageW(&m);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_MOUSEMOVE, WM_USER + 1, WM_PAINT, WM_TIMER}));
  // A paint that is not validated comes back; BeginPaint in DefWindowProc validated it.
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
}

TEST_F(Queue, TimersFollowTheTestClock) {
  HWND w = Top({0, 0, 10, 10});
  static std::vector<DWORD>* procTimes;
  std::vector<DWORD> times;
  procTimes = &times;
  SetTimer(w, 1, 100, nullptr);
  uintptr_t threadTimer =
      SetTimer(nullptr, 0, 250, [](HWND, UINT, uintptr_t, DWORD t) { procTimes->push_back(t); });
  DWORD start = GetTickCount();
  backend.AdvanceClock(99);
  EXPECT_TRUE(Of(WM_TIMER).empty());
  backend.AdvanceClock(1);
  EXPECT_EQ(Of(WM_TIMER).size(), 1u);
  backend.AdvanceClock(900);  // stops at every period on the way
  EXPECT_EQ(Of(WM_TIMER).size(), 10u);
  EXPECT_EQ(times, (std::vector<DWORD>{start + 250, start + 500, start + 750, start + 1000}));
  KillTimer(w, 1);
  KillTimer(nullptr, threadTimer);
  backend.AdvanceClock(1000);
  EXPECT_EQ(Of(WM_TIMER).size(), 10u);
  EXPECT_EQ(times.size(), 4u);
  // Resetting an id restarts its period; a destroyed window's timers go with it.
  SetTimer(w, 2, 50, nullptr);
  backend.AdvanceClock(40);
  SetTimer(w, 2, 50, nullptr);
  backend.AdvanceClock(40);
  EXPECT_EQ(Of(WM_TIMER).size(), 10u);
  DestroyWindow(w);
  backend.AdvanceClock(100);
  EXPECT_EQ(Of(WM_TIMER).size(), 10u);
}

// A loop that looks before it waits (MsgWaitForMultipleObjects, WaitMessage,
// an idle handler's PeekMessage with PM_NOREMOVE) leaves a due tick in the
// queue: the next removal gets it, and only that starts the next period.
TEST_F(Queue, ALookAtTheQueueLosesNoTimerTick) {
  HWND w = Top({0, 0, 10, 10});
  backend.Pump();  // its first paint
  SetTimer(w, 1, 100, nullptr);
  backend.MoveClockOnly(100);
  MSG m;
  for (int look = 0; look < 3; ++look) {
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_TIMER);
  }
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
  backend.MoveClockOnly(99);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  backend.MoveClockOnly(1);
  EXPECT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  KillTimer(w, 1);
}

// A modal loop as dialogs and menus run it: until a flag, re-entrant.
static void RunModal(HeadlessBackend&, const bool& done) {
  MSG m;
  while (!done && GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

TEST_F(Queue, WindowsDestroyedInsideNestedModalLoopsAreSafe) {
  HWND owner = Top({0, 0, 100, 100});
  HWND dialog = Top({10, 10, 60, 60});
  HWND button = Child(dialog, {0, 0, 10, 10});
  bool outerDone = false, innerDone = false;
  int depthSeen = 0;
  Rec().handlers[button] = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) {
      // A second loop inside the first; the dialog (and this button) dies inside it.
      ++depthSeen;
      PostMessageW(GetParent(h), WM_CLOSE, 0, 0);
      backend.WhenIdle([&] {
        innerDone = true;
        PostMessageW(nullptr, WM_NULL, 0, 0);
      });
      RunModal(backend, innerDone);
      EXPECT_FALSE(IsWindow(h));
      outerDone = true;
      return 1;
    }
    return std::nullopt;
  };
  PostMessageW(button, WM_USER, 0, 0);
  RunModal(backend, outerDone);
  EXPECT_EQ(depthSeen, 1);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_TRUE(IsWindow(owner));
  // Messages still queued for the dead windows are dropped quietly.
  PostMessageW(owner, WM_USER + 5, 0, 0);
  EXPECT_TRUE(backend.Pump());
  EXPECT_EQ(Of(WM_USER + 5).size(), 1u);
}

TEST_F(Queue, QuitEndsTheLoopAfterPostedMessages) {
  HWND w = Top({0, 0, 10, 10});
  backend.Pump();
  PostQuitMessage(3);
  PostMessageW(w, WM_USER, 0, 0);
  MSG m;
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_USER);
  EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_EQ(GetMessageW(&m, reinterpret_cast<HWND>(0x777), 0, 0), -1);
}

TEST_F(Queue, SendTimeoutAbortsAtOnceForAHungThreadOnly) {
  HWND gui = Top({0, 0, 10, 10});
  Rec().handlers[gui] = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) return 7;
    return std::nullopt;
  };
  backend.Pump();
  backend.MoveClockOnly(kHung);  // the GUI thread has not looked at its queue since
  std::atomic<LRESULT> ok{-1};
  std::atomic<uintptr_t> result{99};
  auto start = std::chrono::steady_clock::now();
  std::thread hungCheck([&] {
    uintptr_t r = 99;
    ok = SendMessageTimeoutW(gui, WM_USER, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
    result = r;
  });
  hungCheck.join();
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(result, 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));  // no waiting for the timeout
  backend.Pump();
  EXPECT_TRUE(Of(WM_USER).empty());
  // Once it pumps again it is answered, with the handler's result.
  std::atomic<bool> done{false};
  std::thread sender([&] {
    uintptr_t r = 0;
    ok = SendMessageTimeoutW(gui, WM_USER, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
    result = r;
    done = true;
  });
  while (!done) {
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
    std::this_thread::yield();
  }
  sender.join();
  EXPECT_NE(ok, 0);
  EXPECT_EQ(result, 7u);
}

TEST_F(Queue, AThreadWaitingForMessagesIsNotHung) {
  std::atomic<HWND> theirs{nullptr};
  Rec().onAny = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) return 11;
    if (m == WM_DESTROY && h == theirs) PostQuitMessage(0);
    return std::nullopt;
  };
  std::thread receiver([&] {
    theirs =
        CreateWindowExW(0, u"QvPlain", nullptr, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  });
  // Into its wait, seen rather than guessed: a thread still on its way there
  // has not looked at its queue for the time the clock moves, and is hung.
  auto waiting = [&] {
    auto w = wm::Get(theirs);
    wm::Lock l(wm::S().lock);
    return w && w->queue->waiting;
  };
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!(theirs && waiting()) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(waiting()) << "the thread never waited for messages";
  backend.MoveClockOnly(kHung);
  uintptr_t r = 0;
  EXPECT_NE(SendMessageTimeoutW(theirs, WM_USER, 0, 0, SMTO_ABORTIFHUNG, 5000, &r), 0);
  EXPECT_EQ(r, 11u);
  PostMessageW(theirs, WM_CLOSE, 0, 0);
  receiver.join();
  EXPECT_FALSE(IsWindow(theirs));
  // A window that is gone fails, with a zero result.
  r = 5;
  EXPECT_EQ(SendMessageTimeoutW(theirs, WM_USER, 0, 0, SMTO_NORMAL, 100, &r), 0);
  EXPECT_EQ(r, 0u);
}

// With SMTO_BLOCK the sender does not serve the receiver's call back into it,
// so a send that needs that times out instead of being answered.
TEST_F(Queue, SendTimeoutBlockServesNoSendsWhileWaiting) {
  HWND gui = Top({0, 0, 10, 10});
  std::atomic<HWND> theirs{nullptr};
  std::atomic<bool> done{false};
  std::atomic<LRESULT> normal{-1}, blocked{-1};
  std::atomic<uintptr_t> normalResult{0};
  Rec().onAny = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER + 1) return 41;
    if (m == WM_USER && h == gui) return SendMessageW(theirs, WM_USER + 1, 0, 0) + 1;
    return std::nullopt;
  };
  std::thread worker([&] {
    HWND mine =
        CreateWindowExW(0, u"QvPlain", nullptr, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    theirs = mine;
    uintptr_t r = 0;
    normal = SendMessageTimeoutW(gui, WM_USER, 0, 0, SMTO_NORMAL, 5000, &r);
    normalResult = r;
    blocked = SendMessageTimeoutW(gui, WM_USER, 0, 0, SMTO_BLOCK, 300, &r);
    ProcessPendingMessages();  // now the GUI thread's call back is served
    DestroyWindow(mine);
    done = true;
  });
  while (!theirs) std::this_thread::yield();
  while (!done) {
    MSG m;
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    std::this_thread::yield();
  }
  worker.join();
  EXPECT_NE(normal, 0);
  EXPECT_EQ(normalResult, 42u);
  EXPECT_EQ(blocked, 0);
}

TEST_F(Queue, TimersKilledOrResetInsideTheirOwnTick) {
  HWND w = Top({0, 0, 10, 10});
  int once = 0, other = 0, reset = 0;
  Rec().handlers[w] = [&](HWND h, UINT m, WPARAM id, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_TIMER) return std::nullopt;
    if (id == 1) ++once, KillTimer(h, 1), KillTimer(h, 2);  // also the one due at the same time
    if (id == 2) ++other;
    if (id == 3 && ++reset == 1) SetTimer(h, 3, 500, nullptr);
    return 0;
  };
  SetTimer(w, 1, 100, nullptr);
  SetTimer(w, 2, 100, nullptr);
  SetTimer(w, 3, 100, nullptr);
  backend.AdvanceClock(1000);
  EXPECT_EQ(once, 1);
  EXPECT_EQ(other, 0);
  EXPECT_EQ(reset, 2);  // at 100, then at 600
  EXPECT_FALSE(KillTimer(w, 1));
}

TEST_F(Queue, QuitInsideNestedLoopsEndsEveryLoopWithItsCode) {
  HWND w = Top({0, 0, 10, 10});
  std::vector<std::string> trace;
  Rec().handlers[w] = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) {  // a modal loop, as dialogs and menus run
      MSG inner;
      while (GetMessageW(&inner, nullptr, 0, 0) > 0) DispatchMessageW(&inner);
      trace.push_back("inner ended " + std::to_string(inner.wParam));
      PostQuitMessage(int(inner.wParam));  // handed to the loop outside
      return 0;
    }
    if (m == WM_USER + 1) PostQuitMessage(7), PostMessageW(w, WM_USER + 2, 0, 0);
    if (m == WM_USER + 2) trace.push_back("posted after quit");
    return std::nullopt;
  };
  PostMessageW(w, WM_USER, 0, 0);
  PostMessageW(w, WM_USER + 1, 0, 0);
  MSG outer;
  while (GetMessageW(&outer, nullptr, 0, 0) > 0) DispatchMessageW(&outer);
  EXPECT_EQ(outer.message, UINT(WM_QUIT));
  EXPECT_EQ(outer.wParam, 7u);
  // Messages posted before the quit is retrieved still come first.
  EXPECT_EQ(trace, (std::vector<std::string>{"posted after quit", "inner ended 7"}));
  // The window manager's own modal loops pass it on as well.
  Top({100, 100, 300, 200}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  backend.MouseMove(300 - 4 - 2 - 8, 100 + 4 + 9);  // on the close button
  backend.MouseDown();
  backend.WhenIdle([] { PostQuitMessage(3); });
  EXPECT_FALSE(backend.Pump());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(Of(WM_SYSCOMMAND).empty());
  backend.MouseUp();
  // The quit is still there for the outermost loop, with its code.
  while (GetMessageW(&outer, nullptr, 0, 0) > 0) DispatchMessageW(&outer);
  EXPECT_EQ(outer.wParam, 3u);
}

}  // namespace
}  // namespace qv::test
