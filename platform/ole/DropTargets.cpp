// Drop-target registration per window and the library's start and end.
#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/ole/DragDrop.h"
#include "platform/ole/OleClipboard.h"
#include "platform/window/Window.h"

namespace qv {
namespace {

struct Registration {
  HWND hwnd;
  ComPtr<IDropTarget> target;
};

struct Registry {
  std::mutex lock;
  std::vector<Registration> entries;
  int initCount = 0;
};

Registry& R() {
  static Registry* r = new Registry;  // targets may be revoked late at exit
  return *r;
}

// Takes out the registrations of windows that no longer exist; the caller
// releases them once the lock is gone.
std::vector<Registration> TakeDeadLocked() {
  std::vector<Registration> dead;
  auto& e = R().entries;
  for (auto it = e.begin(); it != e.end();) {
    if (IsWindow(it->hwnd)) {
      ++it;
    } else {
      dead.push_back(std::move(*it));
      it = e.erase(it);
    }
  }
  return dead;
}

// A destroyed window's target is released as the window goes, so the target
// (and what it holds on to) does not outlive its window until the next lookup.
void ForgetWindow(HWND hwnd) {
  ComPtr<IDropTarget> gone;
  std::lock_guard<std::mutex> l(R().lock);
  auto& e = R().entries;
  auto it = std::find_if(e.begin(), e.end(), [&](const Registration& r) { return r.hwnd == hwnd; });
  if (it == e.end()) return;
  gone = std::move(it->target);
  e.erase(it);
}

void WatchDestroyedWindows() {
  static std::once_flag once;
  std::call_once(once, [] { AddWindowDestroyHook(ForgetWindow); });
}

}  // namespace

HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* target) {
  if (!target) return E_INVALIDARG;
  if (!IsWindow(hwnd)) return DRAGDROP_E_INVALIDHWND;
  WatchDestroyedWindows();
  std::vector<Registration> dead;
  std::lock_guard<std::mutex> l(R().lock);
  dead = TakeDeadLocked();
  for (auto& e : R().entries)
    if (e.hwnd == hwnd) return DRAGDROP_E_ALREADYREGISTERED;
  try {
    R().entries.push_back(Registration{hwnd, ComPtr<IDropTarget>(target)});
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT RevokeDragDrop(HWND hwnd) {
  ComPtr<IDropTarget> gone;
  std::lock_guard<std::mutex> l(R().lock);
  auto& e = R().entries;
  for (auto it = e.begin(); it != e.end(); ++it)
    if (it->hwnd == hwnd) {
      gone = std::move(it->target);
      e.erase(it);
      return S_OK;
    }
  return IsWindow(hwnd) ? DRAGDROP_E_NOTREGISTERED : DRAGDROP_E_INVALIDHWND;
}

ComPtr<IDropTarget> RegisteredDropTarget(HWND hwnd) {
  std::vector<Registration> dead;
  std::lock_guard<std::mutex> l(R().lock);
  dead = TakeDeadLocked();
  for (auto& e : R().entries)
    if (e.hwnd == hwnd) return e.target;
  return {};
}

HRESULT OleInitialize(void*) {
  std::lock_guard<std::mutex> l(R().lock);
  return R().initCount++ == 0 ? S_OK : S_FALSE;
}

void OleUninitialize() {
  std::vector<Registration> revoked;
  {
    std::lock_guard<std::mutex> l(R().lock);
    if (R().initCount == 0 || --R().initCount > 0) return;
    revoked = std::move(R().entries);
    R().entries.clear();
  }
  // The data on the clipboard stays usable once the library is gone.
  OleFlushClipboard();
}

}  // namespace qv
