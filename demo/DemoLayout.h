// Where the demo puts things, shared with the tests that look at its pixels.
// Content coordinates are those of the board's scrolled area before
// scrolling; the board shows them below its fixed status band.
#pragma once
#include "platform/WinTypes.h"

namespace qv::demo {

constexpr POINT kMainOrigin{40, 40};
constexpr SIZE kMainClient{640, 400};
constexpr int kCanvasMargin = 8;   // board inset in the form's client area
constexpr int kStatusHeight = 40;  // the fixed band with the last key, click and the ticks
constexpr int kRowHeight = 18;     // one text row, and one line of scrolling
constexpr int kRowCount = 60;
constexpr int kRowsTop = 220;
constexpr SIZE kContent{900, kRowsTop + kRowCount* kRowHeight + 10};

constexpr RECT kTitleRect{10, 8, 400, 28};
constexpr RECT kGradientRect{10, 40, 330, 80};  // red at the left, blue at the right
constexpr RECT kBlendRect{350, 40, 450, 80};    // red at half strength over blue
constexpr RECT kImageRect{470, 40, 502, 72};    // a 32x32 picture drawn in code
constexpr RECT kGridRect{10, 100, 510, 200};
constexpr int kGridStep = 20;

// The popup, in the board's client coordinates.
constexpr RECT kHintInCanvas{380, 300, 600, 326};
constexpr UINT kTickMs = 500;

constexpr COLORREF kBlendUnder = RGB(0, 0, 255), kBlendOver = RGB(255, 0, 0);
constexpr COLORREF kHintBack = RGB(255, 255, 225);
constexpr COLORREF kPictureDisc = RGB(255, 140, 0), kGridColor = RGB(170, 170, 200);

}  // namespace qv::demo
