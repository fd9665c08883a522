// The headless backend's clock, waits, recorders and screenshots.
#include "platform/backend/HeadlessBackend.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/image/Png.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv {

HeadlessBackend::HeadlessBackend(SIZE screen) : screen_(screen) {
  InstallBackend(this);
}

HeadlessBackend::~HeadlessBackend() {
  if (CurrentBackend() == this) InstallBackend(nullptr);
}

DWORD HeadlessBackend::Now() {
  std::lock_guard<std::mutex> l(mutex_);
  return clock_;
}

void HeadlessBackend::Wake() {
  std::lock_guard<std::mutex> l(mutex_);
  woken_ = true;
  cv_.notify_all();
}

void HeadlessBackend::WaitForEvents(DWORD) {
  std::function<void()> action;
  {
    std::unique_lock<std::mutex> l(mutex_);
    if (woken_) {
      woken_ = false;
      return;
    }
    if (!idle_.empty()) {
      action = std::move(idle_.front());
      idle_.pop_front();
    } else if (!cv_.wait_for(l, std::chrono::milliseconds(StarveLimitMs), [&] { return woken_; })) {
      std::fprintf(stderr, "HeadlessBackend: the UI thread waits for input that no test supplies\n");
      std::abort();
    } else {
      woken_ = false;
      return;
    }
  }
  action();
}

void HeadlessBackend::ModalStarted(HWND dialog) {
  ModalDialogs.push_back(dialog);
  if (!ModalAnswers.empty()) {
    auto answer = std::move(ModalAnswers.front());
    ModalAnswers.pop_front();
    answer(dialog);
  } else if (ModalHook) {
    ModalHook(dialog);
  }
}

void HeadlessBackend::Present(HWND top, const Surface&, const RECT& dirty) {
  Presented.push_back({top, dirty});
}

void HeadlessBackend::SetCursorShape(int standardId, HCURSOR) {
  CursorShapes.push_back(standardId);
}

void HeadlessBackend::Click(int x, int y, MouseButton b) {
  MouseMove(x, y);
  MouseDown(b);
  MouseUp(b);
}

void HeadlessBackend::TypeText(const std::u16string& text) {
  for (char16_t c : text) InjectChar(c);
}

bool HeadlessBackend::Pump() {
  return ProcessPendingMessages();
}

void HeadlessBackend::AdvanceClock(DWORD ms) {
  DWORD target;
  {
    std::lock_guard<std::mutex> l(mutex_);
    target = clock_ + ms;
  }
  for (;;) {
    Pump();
    DWORD next = TimeUntilNextTimer();
    std::lock_guard<std::mutex> l(mutex_);
    DWORD left = target - clock_;
    if (left == 0) break;
    // Stop at each due time so periodic timers fire once per period.
    clock_ += (next == INFINITE || next > left) ? left : std::max<DWORD>(next, 1);
  }
  Pump();
}

void HeadlessBackend::MoveClockOnly(DWORD ms) {
  std::lock_guard<std::mutex> l(mutex_);
  clock_ += ms;
}

void HeadlessBackend::WhenIdle(std::function<void()> action) {
  std::lock_guard<std::mutex> l(mutex_);
  idle_.push_back(std::move(action));
}

Surface HeadlessBackend::Screenshot() const {
  return ComposeScreen();
}

bool HeadlessBackend::SaveScreenshot(const std::string& path) const {
  return WritePngFile(path, Screenshot(), false);
}

unsigned HeadlessBackend::BeginTextRead(DesktopSelection, HWND notify, UINT message) {
  if (!DeferTextReads) return 0;
  reads_.push_back(TextRead{++lastRead_, notify, message, false, std::nullopt});
  return lastRead_;
}

std::optional<std::u16string> HeadlessBackend::TakeTextRead(unsigned id) {
  auto it = std::find_if(reads_.begin(), reads_.end(), [id](const TextRead& r) { return r.id == id; });
  if (it == reads_.end() || !it->ended) return std::nullopt;
  std::optional<std::u16string> text = std::move(it->text);
  reads_.erase(it);
  return text;
}

void HeadlessBackend::CancelTextRead(unsigned id) {
  std::erase_if(reads_, [id](const TextRead& r) { return r.id == id; });
}

bool HeadlessBackend::AnswerTextRead(std::optional<std::u16string> text) {
  auto it = std::find_if(reads_.begin(), reads_.end(), [](const TextRead& r) { return !r.ended; });
  if (it == reads_.end()) return false;
  it->ended = true;
  it->text = std::move(text);
  if (!PostMessageW(it->notify, it->message, WPARAM(it->id), 0)) reads_.erase(it);
  return true;
}

size_t HeadlessBackend::TextReadsGoing() const {
  return size_t(std::count_if(reads_.begin(), reads_.end(), [](const TextRead& r) { return !r.ended; }));
}

}  // namespace qv
