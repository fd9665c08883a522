// The headless backend: a fixed-size screen in memory, a clock that only the
// test advances, input injected by the test, recorders for what the program
// asked of the desktop (cursor shapes, beeps, clipboard and primary
// selection, opened documents, presented areas) and PNG screenshots of the
// composed screen. Deterministic by design.
//
// Injected input is queued; Pump() (or any message loop) turns it into
// messages. A modal loop that would wait for input runs the next queued
// idle action instead (WhenIdle), so a test can script a drag or a click
// that happens while a nested loop is running.
#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/backend/Backend.h"
#include "platform/window/BackendInput.h"

namespace qv {

class HeadlessBackend : public Backend {
 public:
  // Installs itself on the calling thread, which becomes the UI thread.
  explicit HeadlessBackend(SIZE screen = SIZE{1024, 768});
  ~HeadlessBackend() override;

  // Backend
  SIZE ScreenSize() override { return screen_; }
  int ScreenDpi() override { return Dpi; }
  DWORD Now() override;
  void WaitForEvents(DWORD timeoutMs) override;
  void Wake() override;
  void WindowCreated(HWND, const RECT&, bool) override {}
  void WindowDestroyed(HWND) override {}
  void WindowShown(HWND, bool) override {}
  void WindowMoved(HWND top, const RECT& screenRect) override { Moved.push_back({top, screenRect}); }
  void WindowRaised(HWND) override {}
  void Present(HWND top, const Surface& backing, const RECT& dirty) override;
  void SetCursorShape(int standardId, HCURSOR custom) override;
  bool SetCursorPos(POINT) override { return true; }
  std::u16string GetClipboardText() override { return Clipboard; }
  void SetClipboardText(const std::u16string& text) override { Clipboard = text; }
  std::u16string GetPrimaryText() override { return Primary; }
  void SetPrimaryText(const std::u16string& text) override { Primary = text; }
  unsigned BeginTextRead(DesktopSelection from, HWND notify, UINT message) override;
  std::optional<std::u16string> TakeTextRead(unsigned id) override;
  void CancelTextRead(unsigned id) override;
  void Beep(UINT type) override { Beeps.push_back(type); }
  void ModalStarted(HWND dialog) override;
  bool OpenWithDesktop(const std::string& target) override {
    Opened.push_back(target);
    return true;
  }

  // Test controls. Input calls only queue; Pump() handles what is pending.
  void MouseMove(int x, int y) { InjectMouseMove(POINT{x, y}); }
  void MouseDown(MouseButton b = MouseButton::Left) { InjectMouseButton(b, true); }
  void MouseUp(MouseButton b = MouseButton::Left) { InjectMouseButton(b, false); }
  void Click(int x, int y, MouseButton b = MouseButton::Left);
  void Wheel(int delta) { InjectMouseWheel(delta); }
  void KeyDown(UINT vk) { InjectKey(vk, true); }
  void KeyUp(UINT vk) { InjectKey(vk, false); }
  void KeyPress(UINT vk) { KeyDown(vk), KeyUp(vk); }
  // Characters go straight to the focus window as WM_CHAR (no key messages).
  void TypeText(const std::u16string& text);
  // Handles every pending message on the calling thread; false after WM_QUIT.
  bool Pump();
  // Moves the clock forward, stopping at each timer due on the way to run it.
  void AdvanceClock(DWORD ms);
  // Moves the clock without running anything (to look at the queue's order).
  void MoveClockOnly(DWORD ms);
  // Queues an action for the next time the UI thread would wait for input.
  void WhenIdle(std::function<void()> action);

  // Another program's text for a paste, as the desktop gives it: a read
  // waits until the test answers it (with DeferTextReads; without, the
  // recorders' text is at hand at once).
  bool DeferTextReads = false;
  // Ends the oldest read going on, with `text` or (nullopt) without; false
  // when none goes on. The window that pasted is told.
  bool AnswerTextRead(std::optional<std::u16string> text);
  size_t TextReadsGoing() const;

  // Answers to modal dialogs: each dialog takes the next queued answer, or
  // else goes to ModalHook; with neither it runs on the test's input.
  std::deque<std::function<void(HWND dialog)>> ModalAnswers;
  std::function<void(HWND dialog)> ModalHook;
  std::vector<HWND> ModalDialogs;  // every modal dialog shown, in order

  // The composed screen and a PNG file of it.
  Surface Screenshot() const;
  bool SaveScreenshot(const std::string& path) const;

  // The screen's pixels per inch, for tests of scaled forms.
  int Dpi = 96;

  // Recorders
  std::vector<int> CursorShapes;  // standard ids (0 = a custom cursor)
  std::vector<UINT> Beeps;
  std::u16string Clipboard;
  std::u16string Primary;           // the primary selection, as we set it or another program would
  std::vector<std::string> Opened;  // what ShellExecute asked the desktop to open
  struct PresentRecord {
    HWND top;
    RECT dirty;
  };
  std::vector<PresentRecord> Presented;
  struct MoveRecord {
    HWND top;
    RECT rect;
  };
  std::vector<MoveRecord> Moved;  // geometry the window manager asked of the desktop
  // Real milliseconds a wait with no idle action may take before the test
  // is considered hung (it aborts with a message rather than hang).
  unsigned StarveLimitMs = 10000;

 private:
  SIZE screen_;
  DWORD clock_ = 1000;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool woken_ = false;
  std::deque<std::function<void()>> idle_;
  struct TextRead {
    unsigned id;
    HWND notify;
    UINT message;
    bool ended = false;
    std::optional<std::u16string> text;
  };
  std::vector<TextRead> reads_;
  unsigned lastRead_ = 0;
};

}  // namespace qv
