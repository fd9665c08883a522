// TSkHintManager: takes over the application's hint windows. Every hint is
// composed off-screen over a copy of the screen under it (captured once,
// before the hint shows) as a rectangle, a speech bubble, an ellipse or a
// balloon with soft edges, a drop shadow, a gradient or texture body and
// plain or tagged text, in the look of its TSkHintKind.
#pragma once
#include <memory>
#include <string>

#include "classlib/Component.h"
#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/controls/HintWindow.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Font.h"
#include "classlib/graphics/Picture.h"
#include "skin/skConst.h"

namespace qv {

enum TSkMousePosition { mpLeftTop, mpLeftBottom, mpRightTop, mpRightBottom };

class TSkHintManager;

class TSkHintKind : public TPersistent {
 public:
  explicit TSkHintKind(TSkHintManager* Owner);
  TSkHintStyle Style() const { return style_; }
  void SetStyle(TSkHintStyle Value);  // switches the hint window class at once
  int Radius = 20;
  int BevelWidth = 1;
  int Blur = 1;
  int ExOffset = 32;
  std::string GradientData;
  TPicture* Texture() { return &texture_; }
  void SetTexture(TPicture* Value) { texture_.Assign(Value); }
  std::string TextureFile;
  int GradientPercent = 0;
  int TexturePercent = 0;
  int Bevel = 0;
  TColor Color = clBlack;
  TColor ColorBorderTop = clBlack;
  TColor ColorBorderBottom = clBlack;
  int Transparency = 0;
  int ShadowBlur = 0;
  TColor ShadowColor = clBlack;
  bool ShadowEnabled = false;
  int ShadowOffset = 0;
  int ShadowTransparency = 0;
  int MarginH = 15;
  int MarginV = 10;
  int MaxWidth = 200;
  TFont* Font() { return &font_; }
  void SetFont(TFont* Value) { font_.Assign(Value); }

  int ShadowSize() const { return ShadowEnabled ? ShadowOffset : 0; }
  int EffectiveShadowTransparency() const;

 private:
  TSkHintManager* owner_;
  TSkHintStyle style_ = hsEllipse;
  TPicture texture_;
  TFont font_;
};

class TSkHintManager : public TComponent {
 public:
  explicit TSkHintManager(TComponent* AOwner);
  ~TSkHintManager() override;
  void AfterConstruction() override;
  void Loaded() override;

  TSkMousePosition DefaultMousePos = mpLeftTop;
  TSkHintKind* HintKind() { return hintKind_.get(); }
  bool HTMLMode = false;
  int PauseHide = 5000;
  TSkHintsPredefinitions Predefinitions() const { return predefinitions_; }
  void SetPredefinitions(TSkHintsPredefinitions Value) { predefinitions_ = Value; }
  TShowHintEvent OnShowHint;
  TCustomForm* ParentForm() const { return parentForm_; }
  // The composition surface: the screen under the hint, then the hint over it.
  TBitmap* Bmp() { return bmp_.get(); }
  // The screen under the hint as captured before it showed.
  TBitmap* Capture() { return capture_.get(); }

  void ApplyPredefinitions();
  void UpdateHintWindowClass(TSkHintStyle Style);
  void AppShowHint(std::string& HintStr, bool& CanShow, THintInfo& HintInfo);

 private:
  std::unique_ptr<TSkHintKind> hintKind_;
  TSkHintsPredefinitions predefinitions_ = shEllipse;
  TCustomForm* parentForm_ = nullptr;
  std::unique_ptr<TBitmap> bmp_, capture_;
  bool ownsShowHint_ = false;
};

// The manager the hint windows read; null for the standard and no-hint styles.
extern TSkHintManager* ActiveHintManager;

// The hint's rectangle for the mouse at P with its tail in Quadrant, flipped
// to stay inside Screen (the virtual screen's edges); Quadrant follows a flip.
RECT PlaceHintRect(POINT P, int w, int h, TSkMousePosition& Quadrant, const RECT& Screen);

class TSkCustomHintWindow : public THintWindow {
 public:
  explicit TSkCustomHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}
  RECT CalcHintRect(int MaxWidth, const std::string& Hint) override;
  void ActivateHint(RECT Rect, const std::string& Hint) override;
  POINT AnchorPoint{0, 0};
  int ExtraWidth = 0, ExtraHeight = 0;
  TSkMousePosition TailQuadrant = mpLeftTop;

  // The steps of a paint, open for tests and subclasses.
  virtual void GetMousePosition(POINT& P);
  virtual TBitmap* CreateMask() = 0;
  virtual TBitmap* CreateBody();
  virtual void PaintHintShadow() = 0;
  virtual void GetBodyRect(RECT& R);
  virtual void PaintBG(TBitmap* B, RECT R);
  virtual void PaintBorder(TBitmap* B) = 0;
  virtual void PaintText(TBitmap* B);
  POINT GetTailPoint();
  // Builds the whole picture of the hint into the manager's Bmp.
  void Compose();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  TSkHintKind* Kind() { return ActiveHintManager->HintKind(); }
  TBitmap* ManagerBmp() { return ActiveHintManager->Bmp(); }
  bool TailOnTop() const { return TailQuadrant == mpLeftTop || TailQuadrant == mpRightTop; }
  // The ring loop of the comics and ellipse shapes.
  void PaintRings(TBitmap* M, int Rings, int T, RECT Body, int WedgeShift, bool Ellipse);
  // While Compose builds the body: the mask it has just made (null otherwise).
  TBitmap* ComposeMask() const { return composeMask_; }

 private:
  TBitmap* composeMask_ = nullptr;
};

class TSkSimplyHintWindow : public TSkCustomHintWindow {
 public:
  using TSkCustomHintWindow::TSkCustomHintWindow;
  void GetMousePosition(POINT& P) override;
  TBitmap* CreateMask() override;
  TBitmap* CreateBody() override;
  void PaintHintShadow() override;
  void PaintBorder(TBitmap* B) override;
};

class TSkComicsHintWindow : public TSkCustomHintWindow {
 public:
  using TSkCustomHintWindow::TSkCustomHintWindow;
  RECT CalcHintRect(int MaxWidth, const std::string& Hint) override;
  TBitmap* CreateMask() override;
  void PaintHintShadow() override;
  void GetBodyRect(RECT& R) override;
  void PaintBorder(TBitmap* B) override;

 protected:
  virtual bool Elliptic() const { return false; }
};

class TSkEllipseHintWindow : public TSkComicsHintWindow {
 public:
  using TSkComicsHintWindow::TSkComicsHintWindow;
  RECT CalcHintRect(int MaxWidth, const std::string& Hint) override;

 protected:
  bool Elliptic() const override { return true; }
};

class TSkBalloonHintWindow : public TSkEllipseHintWindow {
 public:
  explicit TSkBalloonHintWindow(TComponent* AOwner) : TSkEllipseHintWindow(AOwner) {}
  TBitmap* CreateMask() override;
  void PaintHintShadow() override;
  int BubbleCount = 3;
  int BubbleDivisor = 4;
  // The k-th bubble's rectangle (k from 1).
  RECT BubbleRect(int k, int ShadowSize);

 private:
  TBitmap* CreateBalloonShape(bool ForShadow);
};

// Colours the edge pixels of the mask's shape: top and left edges in Top,
// bottom and right edges in Bottom (bitmaps of equal size).
void PaintBorderByMask(TBitmap* Body, TBitmap* Mask, TColor Top, TColor Bottom);
// A frame of Width rings: top and left in Top, bottom and right in Bottom.
void Frame3D(TCanvas* Canvas, RECT R, TColor Top, TColor Bottom, int Width);

}  // namespace qv
