// Where the gallery places its form and the controls a test or a screenshot
// looks at: client coordinates of the form, fixed so pixels can be checked.
#pragma once
#include "platform/WinTypes.h"

namespace qv::gallery {

inline constexpr POINT kFormOrigin{16, 16};
// The upper part holds the pages; below them a splitter, the event log
// and the status panel, aligned to the bottom.
inline constexpr int kStatusHeight = 20;
inline constexpr int kLogHeight = 72;
inline constexpr int kSplitterHeight = 4;
// Where a page's client area starts in the form, and the room the tabs and
// the page frame take around it.
inline constexpr POINT kSheetOrigin{4, 25};
inline constexpr int kPageChromeHeight = 28;
inline constexpr SIZE kFormClient{640, 446 + kPageChromeHeight};

// The standard controls, in coordinates of their page.

inline constexpr RECT kTextGroup{8, 4, 208, 344};
inline constexpr RECT kNameEdit{12, 36, 188, 57};  // inside kTextGroup
inline constexpr RECT kChoiceGroup{216, 4, 416, 112};
inline constexpr RECT kCheckBox{12, 20, 182, 37};  // inside kChoiceGroup
inline constexpr RECT kMediaGroup{216, 116, 416, 164};
inline constexpr RECT kCombo{216, 186, 416, 207};
inline constexpr RECT kList{216, 228, 416, 344};
inline constexpr RECT kButton{424, 10, 524, 35};
inline constexpr RECT kOkButton{528, 10, 628, 35};
inline constexpr RECT kScrollBar{424, 78, 628, 95};
inline constexpr RECT kPanel{424, 102, 524, 164};
inline constexpr RECT kBevel{528, 102, 628, 164};
inline constexpr RECT kImage{534, 110, 578, 156};
inline constexpr RECT kShape{582, 112, 622, 152};
inline constexpr RECT kPassword{424, 232, 628, 253};

// The common controls page, in coordinates of its page.
inline constexpr RECT kTree{8, 40, 168, 186};
inline constexpr RECT kListView{176, 40, 456, 186};
inline constexpr RECT kProgress{464, 40, 624, 58};
inline constexpr int kProgressPosition = 60;  // of 100

// The picture in the image: a navy square with a yellow disc.
inline constexpr COLORREF kImageBack = RGB(0, 0, 128);
inline constexpr COLORREF kImageDisc = RGB(255, 255, 0);

}  // namespace qv::gallery
