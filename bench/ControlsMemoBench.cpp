// Memo figures: memo_load_ms sets the text of a word-wrapping memo with a
// vertical scroll bar to 100,000 lines of 60 characters and paints it;
// memo_load_1m_ms does the same with 1,000,000 lines (the cost stays linear);
// memo_scroll_ms is the median repaint after a one-page scroll;
// memo_add_lines_ms adds 100,000 lines one by one through Lines.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ControlsBench.h"
#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/stdctrls/Memo.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/controls/SystemControls.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::bench {
namespace {

std::string Lines(int count) {
  std::string text;
  text.reserve(size_t(count) * 62);
  for (int i = 0; i < count; ++i) {
    std::string line = "Line " + std::to_string(i) + " of the report page: ";
    while (line.size() < 60) line += char('a' + line.size() % 26);
    text += line;
    text += "\r\n";
  }
  return text;
}

struct MemoForm {
  TForm* form = new TForm(nullptr);
  TMemo* memo = new TMemo(form);
  MemoForm() {
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 640, 480);
    memo->SetParent(form);
    memo->SetAlign(alClient);
    memo->SetScrollBars(ssVertical);
    form->Show();
    Application->ProcessMessages();
  }
  ~MemoForm() { delete form; }
};

double Load(int lines, int runs) {
  std::string text = Lines(lines);
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    MemoForm f;
    times.push_back(TimeMs([&] {
      f.memo->SetText(text);
      UpdateWindow(f.memo->Handle());
    }));
  }
  return MedianOf(times);
}

double Scroll() {
  MemoForm f;
  f.memo->SetText(Lines(100000));
  UpdateWindow(f.memo->Handle());
  HWND h = f.memo->Handle();
  int paints = 0;
  f.memo->WindowProc = [&paints, old = f.memo->WindowProc](TMessage& m) {
    paints += m.Msg == WM_PAINT;
    old(m);
  };
  std::vector<double> times;
  for (int i = 0; i < 41; ++i)
    times.push_back(TimeMs([&] {
      SendMessageW(h, WM_VSCROLL, SB_PAGEDOWN, 0);
      UpdateWindow(h);
    }));
  // A scroll that repainted nothing (or did not move) would time nothing.
  if (paints < 41 || SendMessageW(h, EM_GETFIRSTVISIBLELINE, 0, 0) < 41 * 20) {
    std::fprintf(stderr, "memo_scroll_ms: the memo did not scroll and repaint\n");
    std::exit(1);
  }
  return MedianOf(times);
}

// Lines added one by one to a memo with both scroll bars and no wrapping,
// the way a report is filled.
double AddLines() {
  MemoForm f;
  f.memo->SetWordWrap(false);
  f.memo->SetScrollBars(ssBoth);
  std::string line(60, 'x');
  double ms = TimeMs([&] {
    f.memo->Lines()->BeginUpdate();
    for (int i = 0; i < 100000; ++i) f.memo->Lines()->Add(line);
    f.memo->Lines()->EndUpdate();
    UpdateWindow(f.memo->Handle());
  });
  if (f.memo->Lines()->Count() != 100000) {
    std::fprintf(stderr, "memo_add_lines_ms: lines went missing\n");
    std::exit(1);
  }
  return ms;
}

const int registered = [] {
  AddControlsFigure("memo_add_lines_ms", [](HeadlessBackend&) { return AddLines(); });
  AddControlsFigure("memo_load_ms", [](HeadlessBackend&) { return Load(100000, 5); });
  AddControlsFigure("memo_load_1m_ms", [](HeadlessBackend&) { return Load(1000000, 1); });
  AddControlsFigure("memo_scroll_ms", [](HeadlessBackend&) { return Scroll(); });
  return 0;
}();

}  // namespace
}  // namespace qv::bench
