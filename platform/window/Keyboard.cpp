// Keyboard state as the program reads it, and the translation of key
// presses into characters (a US layout; caps lock and shift respected).
#include <cstring>

#include "platform/window/Input.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace {

short KeyBits(BYTE k) {
  return short((k & 0x80 ? 0x8000 : 0) | (k & 0x01));
}

char16_t ShiftedDigit(UINT vk) {
  return u")!@#$%^&*("[vk - '0'];
}

struct OemKey {
  UINT vk;
  char16_t plain, shifted;
};
constexpr OemKey kOem[] = {{VK_OEM_1, ';', ':'},     {VK_OEM_PLUS, '=', '+'},   {VK_OEM_COMMA, ',', '<'},
                           {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},
                           {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},      {VK_OEM_5, '\\', '|'},
                           {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'}};

}  // namespace

char16_t CharForKey(UINT vk, bool shift, bool ctrl, bool caps) {
  if (vk >= 'A' && vk <= 'Z') {
    if (ctrl) return char16_t(vk - 'A' + 1);
    return char16_t(shift != caps ? vk : vk + 32);
  }
  if (ctrl) return vk == VK_RETURN ? 0x0A : vk == VK_BACK ? 0x7F : vk == VK_OEM_4 ? 0x1B : 0;
  if (vk >= '0' && vk <= '9') return shift ? ShiftedDigit(vk) : char16_t(vk);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return char16_t('0' + vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SPACE:
      return u' ';
    case VK_RETURN:
      return 0x0D;
    case VK_BACK:
      return 0x08;
    case VK_TAB:
      return 0x09;
    case VK_ESCAPE:
      return 0x1B;
    case VK_MULTIPLY:
      return u'*';
    case VK_ADD:
      return u'+';
    case VK_SUBTRACT:
      return u'-';
    case VK_DECIMAL:
      return u'.';
    case VK_DIVIDE:
      return u'/';
  }
  for (auto& o : kOem)
    if (o.vk == vk) return shift ? o.shifted : o.plain;
  return 0;
}

short GetKeyState(int vk) {
  wm::Lock l(wm::S().lock);
  return vk >= 0 && vk < 256 ? KeyBits(wm::SeenKeys()[vk]) : 0;
}
short GetAsyncKeyState(int vk) {
  return vk >= 0 && vk < 256 ? short(wm::S().asyncKeys[vk] & 0x80 ? 0x8000 : 0) : 0;
}

BOOL GetKeyboardState(BYTE* keys256) {
  if (!keys256) return FALSE;
  wm::Lock l(wm::S().lock);
  std::memcpy(keys256, wm::SeenKeys(), 256);
  return TRUE;
}

BOOL SetKeyboardState(const BYTE* keys256) {
  if (!keys256) return FALSE;
  wm::Lock l(wm::S().lock);
  std::memcpy(wm::S().keys, keys256, 256);
  wm::S().keysAsPressed.reset();
  return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
  using namespace wm;
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  Lock l(S().lock);
  const BYTE* keys = SeenKeys();
  char16_t ch =
      CharForKey(UINT(msg->wParam), keys[VK_SHIFT] & 0x80, keys[VK_CONTROL] & 0x80, keys[VK_CAPITAL] & 0x01);
  if (!ch) return FALSE;
  auto w = Get(msg->hwnd);
  if (!w) return FALSE;
  // The character comes next, ahead of later input, as the platform does;
  // a key that waited behind a paste lends it the keyboard it was pressed with.
  QueuedItem item;
  item.msg =
      MSG{msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, ch, msg->lParam, msg->time, msg->pt};
  item.pressed = S().keysAsPressed;
  w->queue->posted.push_front(item);
  return TRUE;
}

}  // namespace qv
