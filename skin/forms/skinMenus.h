// TSkinableMenus: the skin manager's menu painter. While a skin is active it
// hooks its own measure and draw handlers onto the application's menus
// (leaving handlers of others alone), paints the menu line items from the
// form's cached menu line and popup items over one background per popup,
// subclasses each popup window to paint its frame and cut its shape, and
// draws the optional extra line with its upward text.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "classlib/controls/ControlTypes.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Font.h"
#include "classlib/menus/Menus.h"
#include "skin/skinManager.h"

namespace qv {

enum TSkMenuItemType { smCaption, smDivider, smNormal, smTopLine };
using TSkMenuManagerDrawItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, RECT ARect,
                                                       TOwnerDrawState State, TSkMenuItemType ItemType)>;
using TSkGetExtraLineData = std::function<void(TMenuItem* FirstItem, std::string& SkinSection,
                                               std::string& Caption, TBitmap*& Glyph, bool& LineVisible)>;

// The frame of a popup window, in pixels on each side.
constexpr int kMenuFrame = 3;

TSkMenuItemType MenuItemType(const TMenuItem* Item);

class TSkinableMenus : public ISkinMenuPainter {
 public:
  explicit TSkinableMenus(TSkinManager* AManager);
  ~TSkinableMenus() override;

  int Margin = 3;
  TAlignment Alignment = taLeftJustify;
  int BevelWidth = 0;
  int BorderWidth = 3;
  TFont* CaptionFont() { return &captionFont_; }
  int SkinBorderWidth();
  void SetSkinBorderWidth(int Value) { skinBorderWidth_ = Value; }
  int Spacing = 6;
  TSkMenuManagerDrawItemEvent OnDrawItem;
  // Asked once per popup for the extra line's section, caption, glyph and visibility.
  TSkGetExtraLineData OnGetExtraLineData;
  TFont* ExtraLineFont() { return &extraLineFont_; }
  TSkinManager* Manager() const { return manager_; }
  bool Active() const { return active_; }

  // ISkinMenuPainter
  void ResetCachedSection() override { skinBorderWidth_ = -1; }
  void SetActive(bool Value) override;
  bool HandleMainWindowMessage(TMessage& Message) override;

  void UpdateMenus();
  void InitMenus(bool Value);
  void InitItem(TMenuItem* Item, bool Value);
  void InitMainMenu(TMainMenu* Menu, bool Value);
  void InitPopupMenu(TPopupMenu* Menu, bool Value);
  // Whether the item carries exactly this painter's handlers.
  bool HasOwnDraw(const TMenuItem* Item) const;
  bool HasOwnMeasure(const TMenuItem* Item) const;

  void MeasureItem(TMenuItem* Item, TCanvas* Canvas, int& Width, int& Height);
  void MeasureMainItem(TMenuItem* Item, TCanvas* Canvas, int& Width, int& Height);
  void DrawItem(TMenuItem* Item, TCanvas* Canvas, RECT ARect, TOwnerDrawState State);
  void DrawMainItem(TMenuItem* Item, TCanvas* Canvas, RECT ARect, TOwnerDrawState State);
  void DrawSeparator(TCanvas* Canvas, const RECT& R, TBitmap* Background, POINT BackgroundAt);
  int ItemHeight(TCanvas* Canvas, TMenuItem* Item);
  int ParentHeight(TCanvas* Canvas, TMenuItem* Item);
  void PrepareBackground(TMenuItem* FirstItem, int Width, HWND Window, int Height);
  void PaintFrame(HWND Window);
  int ExtraLineWidth(bool Adjusted) const;
  // Frees every popup background.
  void FreeMenuBackground();
  // The background of the popup window (null when it has none).
  TBitmap* BackgroundOf(HWND Window) const;
  const std::vector<RECT>& ShapeRects() const { return shapeRects_; }

 private:
  struct Popup {
    std::unique_ptr<TBitmap> Background;
    HWND Window = nullptr;
    int TextIndent = 0;
    std::string ExtraSection;
    std::string ExtraCaption;
    std::unique_ptr<TBitmap> ExtraGlyph;
    bool ExtraVisible = false, ExtraFetched = false;
    std::vector<RECT> ShapeRects;
  };
  Popup& PopupOf(TMenuItem* FirstItem);
  void FetchExtraLine(TMenuItem* FirstItem, Popup& P);
  void PaintExtraLine(Popup& P, TBitmap* Bmp);
  static LRESULT PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void ForgetWindow(HWND Window);
  void TakePopupWindow(HWND Window, HMENU Menu, TMenuItem* FirstItem);
  bool SkinnedPopups() const { return manager_ && manager_->SkinnedPopups(); }

  TSkinManager* manager_;
  TFont captionFont_, extraLineFont_;
  int skinBorderWidth_ = -1;
  bool active_ = false, paintingFrame_ = false;
  std::map<TMenuItem*, Popup> popups_;  // one per open popup, by its first item
  TMenuItem* current_ = nullptr;        // the popup painted last
  std::vector<RECT> shapeRects_;
};

// The popup's first item (the item's parent's first item).
TMenuItem* FirstItemOf(TMenuItem* Item);

}  // namespace qv
