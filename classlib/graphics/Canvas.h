// TCanvas: drawing on a device context with a font, pen and brush. The
// objects are selected into the DC lazily, just before each drawing call that
// needs them, and again after they change. The DC comes from outside
// (SetHandle) or from a descendant's CreateHandle (bitmaps, controls).
#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "classlib/graphics/Pen.h"
#include "platform/Set.h"
#include "platform/gdi/GdiTypes.h"

namespace qv {

class TGraphic;
class TBitmap;

enum TCanvasStateItem { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = Set<TCanvasStateItem>;

enum TTextFormats {
  tfBottom,
  tfCalcRect,
  tfCenter,
  tfEditControl,
  tfEndEllipsis,
  tfPathEllipsis,
  tfExpandTabs,
  tfExternalLeading,
  tfLeft,
  tfModifyString,
  tfNoClip,
  tfNoPrefix,
  tfRight,
  tfRtlReading,
  tfSingleLine,
  tfTop,
  tfVerticalCenter,
  tfWordBreak,
  tfHidePrefix,
  tfNoFullWidthCharBreak,
  tfPrefixOnly,
  tfWordEllipsis
};
using TTextFormat = Set<TTextFormats>;
UINT TextFormatToDrawTextFlags(TTextFormat Format);

using TCopyMode = DWORD;
constexpr TCopyMode cmBlackness = BLACKNESS, cmDstInvert = DSTINVERT, cmMergeCopy = MERGECOPY,
                    cmMergePaint = MERGEPAINT, cmNotSrcCopy = NOTSRCCOPY, cmNotSrcErase = NOTSRCERASE,
                    cmPatCopy = PATCOPY, cmPatInvert = PATINVERT, cmPatPaint = PATPAINT, cmSrcAnd = SRCAND,
                    cmSrcCopy = SRCCOPY, cmSrcErase = SRCERASE, cmSrcInvert = SRCINVERT,
                    cmSrcPaint = SRCPAINT, cmWhiteness = WHITENESS;

class EInvalidCanvas : public Exception {
 public:
  using Exception::Exception;
};

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;  // deselects the objects; a DC set from outside stays its owner's

  // The DC; asking for it makes one through CreateHandle, and raises
  // EInvalidCanvas "Canvas does not allow drawing" when there is none.
  HDC Handle();
  // Uses a DC owned by the caller (null detaches: the objects are deselected first).
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return handle_ != nullptr; }
  void Refresh();  // deselects everything; the next call selects again

  TFont* Font() { return &font_; }
  TPen* Pen() { return &pen_; }
  TBrush* Brush() { return &brush_; }
  void SetFont(TFont* Value) { font_.Assign(Value); }
  void SetPen(TPen* Value) { pen_.Assign(Value); }
  void SetBrush(TBrush* Value) { brush_.Assign(Value); }
  POINT PenPos();
  void SetPenPos(POINT Value) { MoveTo(Value.x, Value.y); }
  TCopyMode CopyMode() const { return copyMode_; }
  void SetCopyMode(TCopyMode Value) { copyMode_ = Value; }
  int TextFlags = 0;  // ETO_ flags of TextOut and TextRect

  // Lines and shapes (pen outline, brush interior; right and bottom exclusive).
  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const RECT& Rect) { Rectangle(Rect.left, Rect.top, Rect.right, Rect.bottom); }
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const RECT& Rect) { Ellipse(Rect.left, Rect.top, Rect.right, Rect.bottom); }
  void Polygon(const std::vector<POINT>& Points);
  void Polyline(const std::vector<POINT>& Points);
  void FillRect(const RECT& Rect);   // with the brush
  void FrameRect(const RECT& Rect);  // one-pixel frame with the brush
  void DrawFocusRect(const RECT& Rect);
  TColor Pixels(int X, int Y);  // -1 outside the surface or the clip
  void SetPixels(int X, int Y, TColor Value);

  // Text in the font and its colour; the background is filled with the brush
  // colour unless the brush style is bsClear.
  void TextOut(int X, int Y, const std::string& Text);
  void TextOut(int X, int Y, const std::u16string& Text);
  // Text clipped to Rect (and opaque within it unless bsClear).
  void TextRect(const RECT& Rect, int X, int Y, const std::string& Text);
  // DrawText with the format; tfCalcRect only measures into Rect, and
  // tfModifyString writes the shortened text back.
  void TextRect(RECT& Rect, std::string& Text, TTextFormat Format);
  void TextRect(RECT& Rect, std::u16string& Text, TTextFormat Format);
  SIZE TextExtent(const std::string& Text);
  SIZE TextExtent(const std::u16string& Text);
  int TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
  int TextWidth(const std::u16string& Text) { return TextExtent(Text).cx; }
  int TextHeight(const std::string& Text) { return TextExtent(Text).cy; }

  // Graphics: Draw at their own size, StretchDraw scaled to Rect.
  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const RECT& Rect, TGraphic* Graphic);
  // Copies Source's SourceRect into Dest with CopyMode (stretching when sizes differ).
  void CopyRect(const RECT& Dest, TCanvas* Canvas, const RECT& Source);
  // Copies the bitmap's Source part to Dest, replacing Color by the brush colour.
  void BrushCopy(const RECT& Dest, TBitmap* Bitmap, const RECT& Source, TColor Color);

  RECT ClipRect();  // the clip box in logical coordinates

  // Serialises drawing from several threads; re-entrant.
  void Lock();
  void Unlock();
  bool TryLock();
  int LockCount() const { return lockCount_; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  // Makes sure the listed parts are ready in the DC (the "request state").
  void RequiredState(TCanvasState ReqState);
  // A descendant makes its DC here (and calls SetHandle); the default does nothing.
  virtual void CreateHandle() {}
  // Puts the DC's original objects back; a descendant that made its DC calls
  // it before freeing the DC.
  void DeselectHandles();
  virtual void Changing();
  virtual void Changed();
  TCanvasState State() const { return state_; }

 private:
  void SelectFont();
  void SelectPen();
  void SelectBrush();
  void DrawText16(RECT& Rect, std::u16string& Text, TTextFormat Format);

  HDC handle_ = nullptr;
  TCanvasState state_;
  TFont font_;
  TPen pen_;
  TBrush brush_;
  POINT penPos_;
  TCopyMode copyMode_ = cmSrcCopy;
  HGDIOBJ oldFont_ = nullptr, oldPen_ = nullptr, oldBrush_ = nullptr;
  std::recursive_mutex lock_;
  int lockCount_ = 0;
};

}  // namespace qv
