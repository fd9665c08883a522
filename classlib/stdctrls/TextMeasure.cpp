// Text extents through a memory device context.
#include "classlib/stdctrls/TextMeasure.h"

#include "classlib/graphics/Font.h"
#include "platform/Utf.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"

namespace qv {

SIZE MeasureText(TFont* Font, const std::string& Text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  std::u16string wide = Utf8ToUtf16(Text.empty() ? std::string(" ") : Text);
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, wide.c_str(), int(wide.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  DeleteDC(dc);
  return SIZE{Text.empty() ? 0 : r.right - r.left, r.bottom - r.top};
}

}  // namespace qv
