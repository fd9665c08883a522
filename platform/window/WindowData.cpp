// Per-window data: window longs (procedure, styles, ids, user data, extra
// bytes), properties, text and the menu handle.
#include <cstring>

#include "platform/window/WindowImpl.h"

namespace qv {

namespace {

// The extra bytes hold a control's own state, which its window procedure
// reads back for every message: the last such read of this thread is
// answered again while no handle was released and no extra bytes written.
struct ExtraRead {
  HWND hwnd = nullptr;
  int index = 0;
  LONG_PTR value = 0;
  uint64_t released = 0, written = 0;
};
thread_local ExtraRead lastExtraRead;

LONG_PTR ReadWindowLong(const wm::Window* w, int index);

}  // namespace

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  auto& st = wm::S();
  if (index < 0) {
    wm::Lock l(st.lock);
    return ReadWindowLong(wm::Find(hwnd), index);
  }
  ExtraRead now{hwnd, index, 0, st.handlesReleased.load(), st.extraWritten.load()};
  ExtraRead& last = lastExtraRead;
  if (hwnd && hwnd == last.hwnd && index == last.index && now.released == last.released &&
      now.written == last.written)
    return last.value;
  wm::Lock l(st.lock);
  const wm::Window* w = wm::Find(hwnd);
  if (!w) return 0;
  now.value = ReadWindowLong(w, index);
  last = now;
  return now.value;
}

namespace {

LONG_PTR ReadWindowLong(const wm::Window* w, int index) {
  if (!w) return 0;
  switch (index) {
    case GWLP_WNDPROC:
      return LONG_PTR(w->proc);
    case GWLP_HINSTANCE:
      return LONG_PTR(w->instance);
    case GWLP_HWNDPARENT:
      return LONG_PTR((w->style & WS_CHILD) ? w->parent : w->owner);
    case GWLP_ID:
      return w->id;
    case GWL_STYLE:
      return LONG_PTR(LONG(w->style));
    case GWL_EXSTYLE:
      return LONG_PTR(LONG(w->exStyle));
    case GWLP_USERDATA:
      return w->userData;
  }
  if (index < 0 || std::size_t(index) + sizeof(LONG_PTR) > w->extra.size()) {
    // 32-bit reads of the last four extra bytes are allowed too.
    if (index >= 0 && std::size_t(index) + sizeof(LONG) <= w->extra.size()) {
      LONG v;
      std::memcpy(&v, w->extra.data() + index, sizeof v);
      return v;
    }
    return 0;
  }
  LONG_PTR v;
  std::memcpy(&v, w->extra.data() + index, sizeof v);
  return v;
}

}  // namespace

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  using namespace wm;
  auto w = Get(hwnd);
  if (!w) return 0;
  LONG_PTR old = GetWindowLongPtrW(hwnd, index);
  switch (index) {
    case GWLP_WNDPROC:
      if (value) w->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWLP_HINSTANCE:
      w->instance = reinterpret_cast<HINSTANCE>(value);
      return old;
    case GWLP_HWNDPARENT:
      if (!(w->style & WS_CHILD)) w->owner = reinterpret_cast<HWND>(value);
      return old;
    case GWLP_ID:
      w->id = value;
      return old;
    case GWLP_USERDATA:
      w->userData = value;
      return old;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
      STYLESTRUCT ss{DWORD(old), DWORD(value)};
      WPARAM which = WPARAM(index);
      CallProc(w, WM_STYLECHANGING, which, LPARAM(&ss));
      if (!IsWindow(hwnd)) return old;
      // WS_CHILD cannot be toggled here: the tree placement decides it.
      if (index == GWL_STYLE)
        w->style = (ss.styleNew & ~WS_CHILD) | (w->style & WS_CHILD);
      else
        w->exStyle = ss.styleNew;
      CallProc(w, WM_STYLECHANGED, which, LPARAM(&ss));
      return old;
    }
  }
  std::size_t size =
      std::size_t(index) + sizeof(LONG_PTR) <= w->extra.size() ? sizeof(LONG_PTR) : sizeof(LONG);
  if (index < 0 || std::size_t(index) + size > w->extra.size()) return 0;
  if (size == sizeof(LONG)) {
    LONG v = LONG(value);
    std::memcpy(w->extra.data() + index, &v, sizeof v);
  } else {
    std::memcpy(w->extra.data() + index, &value, sizeof value);
  }
  S().extraWritten.fetch_add(1);
  return old;
}

BOOL SetPropW(HWND hwnd, LPCWSTR name, HANDLE data) {
  auto w = wm::Get(hwnd);
  if (!w || !name) return FALSE;
  for (auto& p : w->props)
    if (p.first == name) {
      p.second = data;
      return TRUE;
    }
  w->props.emplace_back(name, data);
  return TRUE;
}

namespace {

// A property's name against a wanted one, without measuring the wanted one
// first: stored names come from strings that end at their first null.
bool SameName(const std::u16string& stored, LPCWSTR name) {
  for (std::size_t i = 0; i < stored.size(); ++i)
    if (stored[i] != name[i]) return false;
  return name[stored.size()] == 0;
}

}  // namespace

HANDLE GetPropW(HWND hwnd, LPCWSTR name) {
  if (!name) return nullptr;
  wm::Lock l(wm::S().lock);
  const wm::Window* w = wm::Find(hwnd);
  if (!w) return nullptr;
  for (auto& p : w->props)
    if (SameName(p.first, name)) return p.second;
  return nullptr;
}

HANDLE RemovePropW(HWND hwnd, LPCWSTR name) {
  auto w = wm::Get(hwnd);
  if (!w || !name) return nullptr;
  for (auto it = w->props.begin(); it != w->props.end(); ++it)
    if (it->first == name) {
      HANDLE d = it->second;
      w->props.erase(it);
      return d;
    }
  return nullptr;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!IsWindow(hwnd)) return FALSE;
  return SendMessageW(hwnd, WM_SETTEXT, 0, LPARAM(text ? text : u"")) != 0;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) {
  if (!IsWindow(hwnd) || !buffer || maxCount <= 0) return 0;
  buffer[0] = 0;
  return int(SendMessageW(hwnd, WM_GETTEXT, WPARAM(maxCount), LPARAM(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
  if (!IsWindow(hwnd)) return 0;
  return int(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

HMENU GetMenu(HWND hwnd) {
  auto w = wm::Get(hwnd);
  return w && !(w->style & WS_CHILD) ? w->menu : nullptr;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
  auto w = wm::Get(hwnd);
  if (!w || (w->style & WS_CHILD)) return FALSE;
  w->menu = menu;
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  return proc(hwnd, msg, wParam, lParam);
}

namespace {
constexpr const char16_t* kOwnFrameProp = u"QvOwnFrame";
}

void SetWindowOwnFrame(HWND hwnd, bool ownFrame) {
  if (ownFrame)
    SetPropW(hwnd, kOwnFrameProp, HANDLE(1));
  else
    RemovePropW(hwnd, kOwnFrameProp);
}

bool WindowHasOwnFrame(HWND hwnd) {
  return GetPropW(hwnd, kOwnFrameProp) != nullptr;
}

}  // namespace qv
