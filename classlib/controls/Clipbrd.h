// TClipboard: the class library's view of the clipboard (the global
// Clipboard()): text in and out, formats and raw data handles, with nested
// Open/Close so several changes become one clipboard content.
#pragma once
#include <string>

#include "classlib/Object.h"
#include "platform/WinTypes.h"

namespace qv {

class TClipboard : public TPersistent {
 public:
  TClipboard() = default;
  ~TClipboard() override;

  // Opening nests; the first Open opens the platform clipboard (raising
  // "Cannot open clipboard" when another window holds it), the last Close closes it.
  void Open();
  void Close();
  void Clear();
  bool HasFormat(UINT Format);
  int FormatCount();
  UINT Formats(int Index);

  // The text (CF_UNICODETEXT, or CF_TEXT, which holds UTF-8), "" without text.
  std::string AsText();
  void SetAsText(const std::string& Value);
  // The data of a format: owned by the clipboard. SetAsHandle hands the
  // block over (it replaces that format, the other formats of the same
  // Open/Close go along with it).
  HANDLE GetAsHandle(UINT Format);
  void SetAsHandle(UINT Format, HANDLE Value);

 private:
  void Adding();  // empties the clipboard once per Open/Close

  int openCount_ = 0;
  bool emptied_ = false;
  HWND window_ = nullptr;
};

// The program's clipboard object, made on first use.
TClipboard* Clipboard();
// Replaces it (for tests); the old one is returned and no longer owned.
TClipboard* SetClipboard(TClipboard* NewClipboard);

}  // namespace qv
