// TSkinProvider: the component that skins a whole form. It takes over the
// form's window procedure and, while a skin is active, paints the frame,
// title bar, caption buttons, menu line and grip from one cache image, answers
// hit-testing for them, shows its own system menu and scroll bars, and gives
// the form back untouched when the skin goes or the provider is freed.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "classlib/Collection.h"
#include "classlib/Component.h"
#include "classlib/controls/Forms.h"
#include "classlib/graphics/Bitmap.h"
#include "skin/controls/skSkinCommands.h"
#include "skin/skCommonData.h"

namespace qv {

class TSkinManager;
class TSkSystemMenu;
class TSkMDIForm;
class TSkScrollBar;
class TSkGrip;
class TMenuItem;

enum TSkBorderIcon { sbiSystemMenu, sbiMinimize, sbiMaximize, sbiHelp };
using TSkBorderIcons = Set<TSkBorderIcon>;
enum TSkGripMode { gmNone, gmRightBottom };
enum TSkResizeMode { rmStandard, rmBorder };

// Hit codes of the buttons a maximised MDI child shows in its frame's menu line.
constexpr LRESULT HTMDICLOSE = 101, HTMDIRESTORE = 102, HTMDIMINIMIZE = 103;
// A maximised form answers this outside its inner rectangle.
constexpr LRESULT HTSKINOUTSIDE = -1;
// First hit code of the extra title buttons (1000 + index).
constexpr LRESULT HTTITLEBUTTON = 1000;
// Asked before the first region is applied; this answer keeps the form without one.
constexpr UINT CM_NOREGION = 0xBC4D;
constexpr WPARAM kNoRegionAnswer = 0x41A2;

struct TSkCaptionButton {
  int State = 0;  // 0 normal, 1 hot, 2 pressed
  int ImageIndex = -1;
  RECT Rect{};
};

class TSkTitleIcon : public TPersistent {
 public:
  TSkTitleIcon() : glyph_(std::make_unique<TBitmap>()) {}
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* Value) { glyph_->Assign(Value); }
  int Height = 0, Width = 0;

 private:
  std::unique_ptr<TBitmap> glyph_;
};

class TSkTitleButton : public TCollectionItem {
 public:
  explicit TSkTitleButton(TCollection* Collection);
  bool UseSkinData = true;
  const std::string& Name() const { return name_; }
  void SetName(const std::string& Value) {
    if (Value != name_) name_ = Value;
  }
  std::string DisplayName() const override { return name_; }
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* Value) { glyph_->Assign(Value); }
  TMouseEvent OnMouseUp, OnMouseDown;
  TNotifyEvent OnClick;
  bool Enabled = true;
  TSkCaptionButton Data;
  void DoMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  void DoMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);

 private:
  std::string name_;
  std::unique_ptr<TBitmap> glyph_;
};

class TSkTitleButtons : public TCollection {
 public:
  explicit TSkTitleButtons(TPersistent* Owner) : TCollection(ItemClass<TSkTitleButton>(), Owner) {}
  TSkTitleButton* Items(int Index) const { return static_cast<TSkTitleButton*>(TCollection::Items(Index)); }
  TSkTitleButton* Add() { return static_cast<TSkTitleButton*>(TCollection::Add()); }
};

// Where a provider scroll bar goes and what it shows.
struct TSkFormScrollInfo {
  bool Visible = false;
  int Max = 0, Extent = 0, Page = 0, Increment = 8, LargeStep = 80;
  RECT Rect{};
};

class TSkinProvider : public TComponent, private TSkCommandHooks {
 public:
  explicit TSkinProvider(TComponent* AOwner);
  ~TSkinProvider() override;
  void AfterConstruction() override;
  void Loaded() override;

  // Published settings.
  TSkBorderIcons BorderIcons{sbiSystemMenu, sbiMinimize, sbiMaximize};
  TAlignment CaptionAlignment() const { return captionAlignment_; }
  void SetCaptionAlignment(TAlignment Value);
  TSkCommonData* SkinData() const { return skinData_.get(); }
  TSkGripMode GripMode = gmNone;
  bool MakeSkinMenu = true;
  const std::string& MenuLineSkin() const { return menuLineSkin_; }
  void SetMenuLineSkin(const std::string& Value) { menuLineSkin_ = Value; }
  TSkResizeMode ResizeMode = rmStandard;
  bool ScreenSnap = false;
  int SnapBuffer = 10;
  bool ShowAppIcon() const { return showAppIcon_; }
  void SetShowAppIcon(bool Value);
  TSkTitleButtons* TitleButtons() const { return titleButtons_.get(); }
  TSkTitleIcon* TitleIcon() const { return titleIcon_.get(); }
  const std::string& TitleSkin() const { return titleSkin_; }
  void SetTitleSkin(const std::string& Value);
  bool UseGlobalColor() const { return useGlobalColor_; }
  void SetUseGlobalColor(bool Value);

  void PrepareForm();
  // The form (null: the provider stays inert), its skin state and its parts.
  TCustomForm* Form() const { return form_; }
  bool Skinned() const;
  TSkSystemMenu* SystemMenu() const { return systemMenu_.get(); }
  TSkMDIForm* MDIForm() const { return mdiForm_.get(); }
  TSkScrollBar* ScrollV() const { return scrollV_; }
  TSkScrollBar* ScrollH() const { return scrollH_; }
  TSkGrip* Grip() const { return grip_; }
  TBitmap* MenuLineBmp() const { return menuLineBmp_.get(); }
  bool FormActive() const { return formActive_; }
  int ScrollPosV() const { return scrollPosV_; }
  int ScrollPosH() const { return scrollPosH_; }

  // The window procedure that replaces the form's.
  void SkinProviderWndProc(TMessage& Message);
  void OldWndProc(TMessage& Message);

  // Geometry, in window coordinates (recomputed on every use).
  int CaptionHeight() const;
  int SysBorderWidth() const;
  int SysBorderHeight() const;
  int FormWidth() const;
  int FormHeight() const;
  int TopHeight() const;
  int MenuHeight() const;
  int ButtonWidth() const;
  int ButtonHeight() const;
  int IconSize(bool Height) const;
  RECT IconRect() const;
  bool IconVisible() const;
  int SysButtonCount() const;
  RECT ButtonRect(int N) const;  // the n-th place from the right (n = 1, 2 ...)
  // The client area's top-left corner inside the window.
  POINT ClientOffset() const;
  int MenuRowCount();

  // Hit-testing and the caption buttons.
  LRESULT HitTest(int X, int Y);
  void SetHotHT(LRESULT Code, bool Repaint = true);
  void SetPressedHT(LRESULT Code);
  LRESULT CurrentHT() const { return currentHT_; }
  TSkCaptionButton* ButtonOfHT(LRESULT Code);

  // Painting.
  void PaintAll();
  void PaintNonClient(HDC DC);
  void UpdateRgn();
  const std::vector<RECT>& TransparentRects() const { return transparentRects_; }
  void RepaintButton(LRESULT Code);
  void RepaintMenuLine();
  // Draws the top-level item at a place of the menu bar into the cache in its
  // current state and copies it to the window.
  void MenuLineItemRepaint(int Pos);
  // The title the menu loop has selected (-1: none) and whether it is open.
  int MenuLineItemSelected() const { return menuLineItem_; }
  bool MenuLineItemOpen() const { return menuLineOpen_; }
  void UpdateIconsIndexes();

  // Scroll bars of the form (AutoScroll forms).
  TSkFormScrollInfo ScrollInfo(TScrollBarKind Kind);
  void UpdateScrolls();
  void ScrollControls(int DX, int DY);
  void ResetScroll(TScrollBarKind Kind);
  void ComputeExtents();

  // Snapping of a moved form to the work area.
  void Snap(int& Pos, int Edge, int Size) const;
  void SnapPosition(int& X, int& Y, int W, int H) const;

  // The provider that skins a form, and the registered MDI frame's provider.
  static TSkinProvider* ProviderOf(TCustomForm* Form);
  static TSkinProvider* MDIFormProvider();

  // Frame drag (ResizeMode rmBorder); public for the tests.
  bool FrameDragActive() const;
  RECT FrameDragRect() const;
  void EndFrameDrag(bool Apply);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TSkMDIForm;
  friend class TSkSystemMenu;
  friend class TSkTitleButton;
  // The skin's glyph of the extra title buttons (-1: none).
  int TitleButtonGlyph() const;
  // A title button added to a skinned form takes the glyph and is drawn.
  void TitleButtonAdded(TSkTitleButton* Button);
  void ApplyPath(bool SkinnedVariant);
  void RemovePath(TMessage& Message);
  void SkinnedDispatch(TMessage& Message);
  // The handlers of the skinned form's messages.
  void WMMove(TMessage& Message);
  void WMSize(TMessage& Message);
  void WMActivate(TMessage& Message);
  void WMSetText(TMessage& Message);
  void WMPaint(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMSysColorChange(TMessage& Message);
  void WMChildActivate(TMessage& Message);
  void WMGetMinMaxInfo(TMessage& Message);
  void WMMeasureItem(TMessage& Message);
  void WMWindowPosChanging(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void WMNCHitTest(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMNCActivate(TMessage& Message);
  void WMNCRButtonDown(TMessage& Message);
  void WMNCRButtonUp(TMessage& Message);
  void WMMouseMove(TMessage& Message);
  void WMCaptureChanged(TMessage& Message);
  void WMSizing(TMessage& Message);
  void WMMDIActivate(TMessage& Message);
  void MouseLeft(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMMenuChanged(TMessage& Message);
  // The form's window, null before it has one.
  HWND FormWindow() const;
  // The skin commands.
  bool SkinnedNow() const;
  bool Unskinned(TMessage& Message);
  bool SkinLoaded(TMessage& Message) override;
  bool OtherSkinLoaded(TMessage& Message) override;
  bool SkinRemoved(TMessage& Message) override;
  bool SkinApplied(TMessage& Message) override;
  bool CtrlHandled(TMessage& Message) override;
  bool ProviderQuery(TMessage& Message) override;
  bool CacheQuery(TMessage& Message) override;
  bool SetUpdating(TMessage& Message) override;
  bool CacheFrozen(TMessage& Message) override;
  bool PreparingQuery(TMessage& Message) override;
  bool ChildRepainting(TMessage& Message) override;
  bool BgNotPlainQuery(TMessage& Message) override;
  bool BgColorQuery(TMessage& Message) override;
  bool SkinCommand(TMessage& Message) override;
  void SystemCommand(TMessage& Message);
  void ClientPaint(TMessage& Message);
  void InitMenuItems(bool Value);
  void MenuFixUp();
  void CutCaptionBand();
  void NCButtonDown(TMessage& Message);
  void NCButtonUp(TMessage& Message);
  void NCButtonDblClk(TMessage& Message);
  void DropSysMenu(int X, int Y);
  void ToggleMaximized();
  void Refresh(bool Frame = true);
  void RefreshMDI();
  void StartFrameDrag(LRESULT Kind, POINT Cursor);
  void MoveFrameDrag(POINT Cursor);
  void DrawDragFrame();
  void PaintTitleBar(TBitmap* Bmp);
  void PaintMenuLine(TBitmap* Bmp);
  TMenuItem* MenuLineItem(int Pos) const;
  RECT DrawMenuLineItem(TBitmap* Bmp, int Pos);
  void SetMenuLineItem(int Pos, bool Open);
  void MenuLoopNotice(const TMessage& Message);
  void PaintMDIChildButtons(TBitmap* Bmp, int Top);
  void PaintMDIChildIcon(TBitmap* Bmp);
  TCustomForm* MaximizedMDIChild() const;
  void PaintCaptionButtons(TBitmap* Bmp);
  void PaintCaptionText(TBitmap* Bmp);
  void PaintIcon(TBitmap* Bmp);
  void DrawButton(TBitmap* Bmp, TSkCaptionButton& B, int Glyph, bool Enabled, bool Alone);
  int GlyphOfButton(LRESULT Code) const;
  bool ButtonEnabled(LRESULT Code) const;
  void LayoutButtons();
  void DestroyScroll(TSkScrollBar*& Bar);
  void OnScrollChanged(TSkScrollBar* Bar, int PrevPosition);
  void SetOwnFrame(bool On);
  bool Framed() const { return form_ && form_->BorderStyle() != bsNone; }
  bool Loading() const { return ComponentState().Contains(csLoading); }
  bool FormDestroying() const;
  bool cacheSizeMismatch() const;
  static void RegisterMDIFormProvider(TSkinProvider* Provider);

  std::unique_ptr<TSkCommonData> skinData_;
  std::unique_ptr<TSkTitleIcon> titleIcon_;
  std::unique_ptr<TSkTitleButtons> titleButtons_;
  std::unique_ptr<TSkSystemMenu> systemMenu_;
  std::unique_ptr<TSkMDIForm> mdiForm_;
  std::unique_ptr<TBitmap> tempBmp_, menuLineBmp_, formBgCache_;
  TCustomForm* form_ = nullptr;
  TControl* formControl_ = nullptr;  // the same form, reached safely while it is being destroyed
  TWndMethod oldWndProc_;
  TAlignment captionAlignment_ = taLeftJustify;
  std::string menuLineSkin_, titleSkin_;
  bool showAppIcon_ = true, useGlobalColor_ = true;
  std::vector<RECT> transparentRects_;
  bool rgnChanged_ = true, hadAutoScroll_ = false, scrollsDone_ = true, inScroll_ = false;
  bool inNCActivate_ = false, fullRepaint_ = true, formActive_ = true, firstPrepare_ = true;
  bool settingRgn_ = false, paintedOnce_ = false, regionAsked_ = false, noRegion_ = false;
  TSkGrip* grip_ = nullptr;
  TSkScrollBar *scrollV_ = nullptr, *scrollH_ = nullptr;
  LRESULT currentHT_ = 0;
  TBorderStyle savedBorderStyle_ = bsSizeable;
  TBorderIcons savedBorderIcons_;
  TSkCaptionButton buttonMin_, buttonMax_, buttonClose_, buttonHelp_, mdiMin_, mdiMax_, mdiClose_;
  int scrollPosV_ = 0, scrollPosH_ = 0, extentV_ = 0, extentH_ = 0;
  int menuRows_ = -1;
  int menuLineItem_ = -1;  // the bar's selected title while the menu loop runs
  bool menuLineOpen_ = false;
  int tempLeft_ = 0;  // where TempBmp starts in the cache
};

}  // namespace qv
