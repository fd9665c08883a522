// TClipboard over the platform clipboard.
#include "classlib/controls/Clipbrd.h"

#include <cstring>
#include <memory>

#include "classlib/controls/Application.h"
#include "classlib/controls/UtilWindow.h"
#include "platform/Exception.h"
#include "platform/Utf.h"
#include "platform/ole/Clipboard.h"
#include "platform/window/Window.h"

namespace qv {
namespace {

std::unique_ptr<TClipboard>& Instance() {
  static std::unique_ptr<TClipboard> clipboard;
  return clipboard;
}

// Runs Open/Close around a body, closing on the way out of an exception.
template <class F>
auto WithOpen(TClipboard& c, F body) {
  c.Open();
  struct Closer {
    TClipboard& c;
    ~Closer() { c.Close(); }
  } closer{c};
  return body();
}

}  // namespace

TClipboard* Clipboard() {
  if (!Instance()) Instance() = std::make_unique<TClipboard>();
  return Instance().get();
}

TClipboard* SetClipboard(TClipboard* NewClipboard) {
  TClipboard* old = Instance().release();
  Instance().reset(NewClipboard);
  return old;
}

TClipboard::~TClipboard() {
  if (openCount_ > 0) CloseClipboard();
  if (window_) DeallocateHWnd(window_);
}

void TClipboard::Open() {
  if (openCount_ == 0) {
    if (!window_ || !IsWindow(window_))
      window_ = AllocateHWnd(
          [this](TMessage& M) { M.Result = DefWindowProcW(window_, M.Msg, M.WParam, M.LParam); });
    if (!OpenClipboard(window_)) throw Exception("Cannot open clipboard");
    emptied_ = false;
  }
  ++openCount_;
}

void TClipboard::Close() {
  if (openCount_ == 0) return;
  if (--openCount_ == 0) CloseClipboard();
}

void TClipboard::Adding() {
  if (openCount_ > 0 && !emptied_) {
    EmptyClipboard();
    emptied_ = true;
  }
}

void TClipboard::Clear() {
  WithOpen(*this, [&] {
    EmptyClipboard();
    emptied_ = true;
  });
}

bool TClipboard::HasFormat(UINT Format) {
  return IsClipboardFormatAvailable(Format) != 0;
}

int TClipboard::FormatCount() {
  return CountClipboardFormats();
}

UINT TClipboard::Formats(int Index) {
  return WithOpen(*this, [&] {
    UINT f = 0;
    for (int i = 0; i <= Index; ++i) {
      f = EnumClipboardFormats(f);
      if (!f) break;
    }
    return f;
  });
}

std::string TClipboard::AsText() {
  return WithOpen(*this, [&] {
    std::u16string text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
      auto* p = static_cast<const char16_t*>(GlobalLock(h));
      if (p) {
        std::size_t units = GlobalSize(h) / sizeof(char16_t), n = 0;
        while (n < units && p[n]) ++n;
        text.assign(p, n);
        GlobalUnlock(h);
      }
    }
    return Utf16ToUtf8(text);
  });
}

void TClipboard::SetAsText(const std::string& Value) {
  std::u16string wide = Utf8ToUtf16(Value);
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(char16_t));
  if (!h) throw Exception("Out of memory while setting the clipboard text");
  auto* p = static_cast<char16_t*>(GlobalLock(h));
  std::memcpy(p, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
  GlobalUnlock(h);
  SetAsHandle(CF_UNICODETEXT, h);
}

HANDLE TClipboard::GetAsHandle(UINT Format) {
  return WithOpen(*this, [&] { return GetClipboardData(Format); });
}

void TClipboard::SetAsHandle(UINT Format, HANDLE Value) {
  WithOpen(*this, [&] {
    Adding();
    if (!SetClipboardData(Format, Value)) throw Exception("Cannot set the clipboard data");
  });
}

}  // namespace qv
