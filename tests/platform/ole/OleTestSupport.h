// Shared pieces of the clipboard and drag-and-drop tests: a headless
// backend with an emptied clipboard, and reference-count probes.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/backend/HeadlessBackend.h"
#include "platform/ole/Clipboard.h"
#include "platform/ole/DataTransfer.h"
#include "platform/ole/OleClipboard.h"

namespace qv::test {

// The references an object has, read without changing them.
inline ULONG RefCount(IUnknown* p) {
  p->AddRef();
  return p->Release();
}

inline std::vector<uint8_t> Bytes(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

inline std::vector<uint8_t> BlockBytes(HGLOBAL mem) {
  auto* p = static_cast<const uint8_t*>(GlobalLock(mem));
  if (!p) return {};
  std::vector<uint8_t> out(p, p + GlobalSize(mem));
  GlobalUnlock(mem);
  return out;
}

inline HGLOBAL WideText(const std::u16string& text) {
  HGLOBAL mem = GlobalAlloc(GHND, (text.size() + 1) * 2);
  std::memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * 2);
  GlobalUnlock(mem);
  return mem;
}

class OleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend.StarveLimitMs = 3000;
    OleSetClipboard(nullptr);
    backend.Clipboard.clear();
  }
  void TearDown() override { OleSetClipboard(nullptr); }

  HeadlessBackend backend{SIZE{640, 480}};
};

}  // namespace qv::test
