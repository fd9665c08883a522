// Painting benchmark on the headless backend: the median full repaint of a
// 1280x800 window showing 50 rows by 6 columns of text with grid lines,
// through the window manager's paint path (InvalidateRect + UpdateWindow
// timing the WM_PAINT), and the median DrawText of a 20-character string with
// a warm glyph cache. Prints repaint_ms and drawtext_us as key=value lines.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/backend/HeadlessBackend.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 1280, kHeight = 800, kRows = 50, kColumns = 6, kRepaints = 41;
int paints = 0;  // a repaint that never reached WM_PAINT would time nothing

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::u16string CellText(int row, int col) {
  static const char16_t* kinds[] = {u"Document", u"Picture", u"Archive", u"Music", u"Video", u"Folder"};
  std::u16string s = u"Item ";
  for (int n = row * kColumns + col + 1000; n; n /= 10) s.insert(s.begin() + 5, char16_t('0' + n % 10));
  return s + u" " + kinds[col];
}

// The grid: a white background, row and column lines, one text per cell.
LRESULT GridProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) return 1;
  if (msg != WM_PAINT) return DefWindowProcW(h, msg, wp, lp);
  ++paints;
  static HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT all{0, 0, kWidth, kHeight};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HGDIOBJ oldFont = SelectObject(dc, font);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  SetBkMode(dc, TRANSPARENT);
  int rowH = kHeight / kRows, colW = kWidth / kColumns;
  for (int r = 0; r <= kRows; ++r) MoveToEx(dc, 0, r * rowH, nullptr), LineTo(dc, kWidth, r * rowH);
  for (int c = 0; c <= kColumns; ++c) MoveToEx(dc, c * colW, 0, nullptr), LineTo(dc, c * colW, kHeight);
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kColumns; ++c) {
      std::u16string text = CellText(r, c);
      RECT cell{c * colW + 3, r * rowH, (c + 1) * colW - 3, (r + 1) * rowH};
      DrawTextW(dc, text.c_str(), int(text.size()), &cell, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldFont);
  EndPaint(h, &ps);
  return 0;
}

double RepaintMs() {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = GridProc;
  wc.lpszClassName = u"QvBenchGrid";
  RegisterClassExW(&wc);
  HWND w = CreateWindowExW(0, u"QvBenchGrid", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                           nullptr, nullptr, nullptr);
  ProcessPendingMessages();
  std::vector<double> ms;
  for (int i = 0; i < kRepaints; ++i) {
    auto start = Clock::now();
    InvalidateRect(w, nullptr, TRUE);
    UpdateWindow(w);
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  // QV_BENCH_SCREENSHOT=file.png keeps a picture of what was timed.
  if (const char* shot = std::getenv("QV_BENCH_SCREENSHOT"))
    static_cast<HeadlessBackend*>(CurrentBackend())->SaveScreenshot(shot);
  DestroyWindow(w);
  if (paints < kRepaints) {
    std::fprintf(stderr, "paint bench: only %d of %d repaints painted\n", paints, kRepaints);
    std::exit(1);
  }
  return Median(ms);
}

double DrawTextUs() {
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = 400;
  bi.bmiHeader.biHeight = -40;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldBmp = SelectObject(dc, bmp);
  HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const std::u16string text = u"Catalogue entry 0042";  // 20 characters
  auto once = [&] {
    RECT r{2, 2, 398, 38};
    DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_SINGLELINE | DT_VCENTER);
  };
  for (int i = 0; i < 100; ++i) once();  // warm the glyph cache
  constexpr int kBatch = 200;
  std::vector<double> us;
  for (int s = 0; s < 51; ++s) {
    auto start = Clock::now();
    for (int i = 0; i < kBatch; ++i) once();
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kBatch);
  }
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBmp);
  DeleteObject(font);
  DeleteDC(dc);
  DeleteObject(bmp);
  return Median(us);
}

}  // namespace
}  // namespace qv

int main() {
  qv::HeadlessBackend backend(qv::SIZE{qv::kWidth, qv::kHeight});
  double repaint = qv::RepaintMs();
  double drawText = qv::DrawTextUs();
  std::printf("repaint_ms=%.3f\ndrawtext_us=%.3f\n", repaint, drawText);
  return 0;
}
