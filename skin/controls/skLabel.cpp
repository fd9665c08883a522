// TSkCustomLabel, TSkLabel and TSkEditLabel: the skin's font colour, the
// mixed disabled colour under an active skin, and the plain label's look
// and behaviour otherwise.
#include "skin/controls/skLabel.h"

#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "platform/Utf.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "skin/skColors.h"
#include "skin/skCommonData.h"
#include "skin/skControlTree.h"
#include "skin/skinManager.h"

namespace qv {

namespace {
// Set while Paint changes the font, so the font change does not resize or
// repaint the label from inside its own paint.
bool FontUpdating = false;

bool SkinIsActive() {
  return DefaultManager && DefaultManager->SkinData()->Active;
}
}  // namespace

TSkCustomLabel::TSkCustomLabel(TComponent* AOwner) : TCustomLabel(AOwner) {
  SetTransparent(true);
}

TFont* TSkCustomLabel::GetCurrentFont() {
  if (SkinIsActive()) {
    const TColor c = DefaultManager->GetGlobalFontColor();
    if (c != clFuchsia && Font()->Color() != c) Font()->SetColor(c);
  }
  return Font();
}

void TSkCustomLabel::Paint() {
  if (!FontUpdating) {
    FontUpdating = true;
    TFont* f = GetCurrentFont();
    if (f != Font()) Font()->Assign(f);
    FontUpdating = false;
  }
  TCustomLabel::Paint();
}

void TSkCustomLabel::DoDrawText(RECT& Rect, UINT Flags) {
  if (Enabled() || !SkinIsActive()) {
    TCustomLabel::DoDrawText(Rect, Flags);
    return;
  }
  std::u16string text = Utf8ToUtf16(GetLabelText());
  if ((Flags & DT_CALCRECT) && (text.empty() || (ShowAccelChar() && text == u"&"))) text += u" ";
  if (!ShowAccelChar()) Flags |= DT_NOPREFIX;
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  HDC dc = canvas->Handle();
  SelectObject(dc, canvas->Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  const TColor bg = Parent() ? BgColorOf(Parent()) : ColorToRGB(Color());
  SetTextColor(dc, COLORREF(MixColors(ColorToRGB(Font()->Color()), bg, 0.4)));
  DrawTextW(dc, text.c_str(), int(text.size()), &Rect, Flags);
}

void TSkCustomLabel::WndProc(TMessage& Message) {
  if (Message.Msg == CM_FONTCHANGED) {
    if (FontUpdating) return;
    if (AutoSize()) AdjustBounds();
    Invalidate();
    return;
  }
  TCustomLabel::WndProc(Message);
  DispatchSkinCommandAfter(Message, DefaultManager, *this);
}

// Labels follow the default manager: its skin's removal gives back the
// window text colour.
void TSkCustomLabel::AfterSkinRemoved(TMessage&) {
  if (DefaultManager) Font()->SetColor(clWindowText);
}

TSkLabel::TSkLabel(TComponent* AOwner) : TSkCustomLabel(AOwner) {}

TFont* TSkLabel::GetCurrentFont() {
  return UseSkinColor ? TSkCustomLabel::GetCurrentFont() : Font();
}

// A label that keeps its own colour keeps it when the skin goes; a removal,
// whichever manager it comes from, goes no further.
bool TSkLabel::SkinRemoved(TMessage&) {
  if (DefaultManager && UseSkinColor) Font()->SetColor(clWindowText);
  return true;
}

bool TSkLabel::OtherSkinRemoved(TMessage&) {
  return true;
}

// A label draws no skin of its own: the query goes on to the plain label,
// unanswered.
bool TSkLabel::CtrlHandled(TMessage&) {
  return false;
}

void TSkLabel::WndProc(TMessage& Message) {
  if (DispatchSkinCommand(Message, DefaultManager, *this)) return;
  TSkCustomLabel::WndProc(Message);
}

TSkEditLabel::TSkEditLabel(TComponent* AOwner, TSkBoundLabel* BoundLabel)
    : TSkLabel(AOwner), boundLabel_(BoundLabel) {}

TSkEditLabel::~TSkEditLabel() {
  if (boundLabel_ && boundLabel_->Label() == this) boundLabel_->LabelGone();
}

void RegisterEditLabelFactory() {
  TSkBoundLabel::LabelFactory = [](TSkBoundLabel* Bound, TControl* Owner) -> TControl* {
    return new TSkEditLabel(Owner, Bound);
  };
}

namespace {
// The bound labels get their label maker as soon as the unit is linked in.
const bool kFactoryInstalled = (RegisterEditLabelFactory(), true);
}  // namespace

}  // namespace qv
