// The standard controls' answers to reflected messages (see ReflectedMessages.h).
#include "classlib/stdctrls/ReflectedMessages.h"

#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/OwnerDraw.h"

namespace qv {

void AnswerControlColours(TWinControl* Control, TMessage& M) {
  HDC dc = reinterpret_cast<HDC>(M.WParam);
  SetTextColor(dc, COLORREF(ColorToRGB(Control->Font()->Color())));
  SetBkColor(dc, COLORREF(ColorToRGB(Control->Color())));
  M.Result = LRESULT(Control->Brush()->Handle());
}

void DrawOwnerItem(TWinControl* Control, TControlCanvas& Canvas, TMessage& M,
                   const std::function<void(int Index, const RECT& Rect, TOwnerDrawState State)>& Draw) {
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
  TOwnerDrawState state = OwnerDrawStateOf(dis->itemState);
  TCanvasPaintScope scope(Canvas, dis->hDC);
  Canvas.SetFont(Control->Font());
  Canvas.Brush()->Assign(Control->Brush());
  if (state.Contains(odSelected)) {
    Canvas.Brush()->SetColor(clHighlight);
    Canvas.Font()->SetColor(clHighlightText);
  }
  Draw(int(dis->itemID), dis->rcItem, state);
  if (state.Contains(odFocused)) Canvas.DrawFocusRect(dis->rcItem);
  M.Result = TRUE;
}

void DrawItemText(TCanvas& Canvas, const RECT& Rect, TStrings* Items, int Index) {
  Canvas.FillRect(Rect);
  if (Index >= 0 && Index < Items->Count()) Canvas.TextOut(Rect.left + 2, Rect.top, Items->Strings(Index));
}

}  // namespace qv
