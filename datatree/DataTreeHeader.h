// Columns and the header: a column's width, position and options, the
// collection that keeps the screen order (position to index), and the header
// that owns them, with its sort column and direction and its binary stream.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "classlib/Object.h"
#include "classlib/Streams.h"
#include "classlib/controls/ControlMessages.h"
#include "classlib/controls/ControlTypes.h"
#include "classlib/stdctrls/ButtonLayout.h"
#include "datatree/DataTreeTypes.h"
#include "datatree/HeaderMouseState.h"
#include "platform/WinTypes.h"
#include "platform/gdi/SystemColors.h"

namespace qv {

class TBaseDataTree;
class TDTHeader;
class TDataTreeColumns;
class TFont;
class TCustomImageList;
class TPopupMenu;
class TMenuBase;
class TDTDragImage;

enum TDTColumnOption {
  coAllowClick,
  coDraggable,
  coEnabled,
  coParentBidiMode,
  coParentColor,
  coResizable,
  coShowDropMark,
  coVisible,
  coAutoSpring,
  coFixed
};
using TDTColumnOptions = Set<TDTColumnOption, 16>;
// The same glyph places as the buttons' (one enumeration, so both headers mix).
using TDTHeaderColumnLayout = TButtonLayout;
enum TDataTreeColumnStyle { vsText, vsOwnerDraw };
enum TDTHeaderOption {
  hoAutoResize,
  hoColumnResize,
  hoDblClickResize,
  hoDrag,
  hoHotTrack,
  hoOwnerDraw,
  hoRestrictDrag,
  hoShowHint,
  hoShowImages,
  hoShowSortGlyphs,
  hoVisible,
  hoAutoSpring
};
using TDTHeaderOptions = Set<TDTHeaderOption, 16>;
enum TDTHeaderStyle { hsThickButtons, hsFlatButtons, hsPlates, hsXPStyle };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum THeaderState : uint8_t {
  hsAutoSizing = 1,
  hsDragging = 2,
  hsDragPending = 4,
  hsLoading = 8,
  hsTracking = 16,
  hsTrackPending = 32
};

enum TDTDropMarkMode { dmmNone, dmmLeft, dmmRight };
enum THeaderPaintElement { hpeBackground, hpeDropMark, hpeHeaderGlyph, hpeSortGlyph, hpeText };
using THeaderPaintElements = Set<THeaderPaintElement, 8>;

class TCanvas;
class TDataTreeColumn;
// What the header painter knows about one column button (Column is nil for
// the background), handed to the owner-draw events.
struct THeaderPaintInfo {
  TCanvas* TargetCanvas = nullptr;
  TDataTreeColumn* Column = nullptr;
  RECT PaintRectangle{}, TextRectangle{};
  bool IsHoverIndex = false, IsDownIndex = false, IsEnabled = true;
  bool ShowHeaderGlyph = false, ShowSortGlyph = false, ShowRightBorder = false;
  TDTDropMarkMode DropMark = dmmNone;
  POINT GlyphPos{}, SortGlyphPos{};
};

uint16_t ToWord(TDTColumnOptions o);
TDTColumnOptions ColumnOptionsFromWord(uint32_t w);
uint16_t ToWord(TDTHeaderOptions o);
TDTHeaderOptions HeaderOptionsFromWord(uint32_t w);

class TDataTreeColumn : public TPersistent {
 public:
  explicit TDataTreeColumn(TDataTreeColumns* Collection);
  ~TDataTreeColumn() override;

  int Index() const { return index_; }
  TDataTreeColumns* Collection() const { return owner_; }

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TBiDiMode BiDiMode() const { return bidi_; }
  void SetBiDiMode(TBiDiMode Value);
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  const std::u16string& Hint() const { return hint_; }
  void SetHint(const std::u16string& Value) { hint_ = Value; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  TDTHeaderColumnLayout Layout() const { return layout_; }
  void SetLayout(TDTHeaderColumnLayout Value);
  int Margin() const { return margin_; }
  void SetMargin(int Value);
  int MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(int Value);
  int MinWidth() const { return minWidth_; }
  void SetMinWidth(int Value);
  TDTColumnOptions Options() const { return options_; }
  void SetOptions(TDTColumnOptions Value);
  uint32_t Position() const { return position_; }
  void SetPosition(uint32_t Value);
  int Spacing() const { return spacing_; }
  void SetSpacing(int Value);
  TDataTreeColumnStyle Style() const { return style_; }
  void SetStyle(TDataTreeColumnStyle Value);
  int Tag = 0;
  const std::u16string& Text() const { return text_; }
  void SetText(const std::u16string& Value);
  int Width() const { return width_; }
  void SetWidth(int Value);

  int Left() const { return left_; }
  int LastWidth() const { return lastWidth_; }
  bool Visible() const { return options_.Contains(coVisible); }
  void Assign(TPersistent* Source) override;
  bool SameAs(const TDataTreeColumn& Other) const;
  std::string GetDisplayName() const;
  RECT GetHeaderRect() const;
  // Places the text, the header glyph and the sort glyph inside Client (the
  // button less its border) by alignment, layout, margin and spacing.
  void LayoutHeaderContents(HDC DC, const RECT& Client, bool UseSortGlyph, bool UseHeaderGlyph,
                            RECT& TextBounds, POINT& SortGlyphPos, POINT& GlyphPos) const;
  void RestoreLastWidth();
  int DisplayLeft() const;

 private:
  friend class TDataTreeColumns;
  friend class TDTHeader;
  void Changed(bool AllItems);

  TDataTreeColumns* owner_;
  int index_ = 0;
  TAlignment alignment_ = taLeftJustify;
  TBiDiMode bidi_ = bdLeftToRight;
  TColor color_ = clWindow;
  std::u16string hint_, text_;
  int imageIndex_ = -1;
  TDTHeaderColumnLayout layout_ = blGlyphLeft;
  int margin_ = 4, spacing_ = 4;
  int maxWidth_ = 10000, minWidth_ = 10;
  TDTColumnOptions options_ = ColumnOptionsFromWord(255);
  uint32_t position_ = 0;
  TDataTreeColumnStyle style_ = vsText;
  int width_ = 50;
  int left_ = 0;
  int lastWidth_ = 50;
  float springRest_ = 0;
};

class TDataTreeColumns : public TPersistent {
 public:
  explicit TDataTreeColumns(TDTHeader* AOwner);
  ~TDataTreeColumns() override;

  TDTHeader* Header() const { return header_; }
  int Count() const { return int(items_.size()); }
  TDataTreeColumn* Items(int I) const { return items_[size_t(I)].get(); }
  TDataTreeColumn* operator[](int I) const { return Items(I); }
  TDataTreeColumn* Add();
  void Delete(int Index);
  void Clear();
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  void Assign(TPersistent* Source) override;
  bool Equals(const TDataTreeColumns& Other) const;

  virtual void Update(TDataTreeColumn* Item);
  void UpdatePositions(bool Force = false);
  void FixPositions();

  // Screen order.
  TColumnIndex GetFirstVisibleColumn() const;
  TColumnIndex GetLastVisibleColumn() const;
  TColumnIndex GetNextColumn(TColumnIndex Column) const;
  TColumnIndex GetPreviousColumn(TColumnIndex Column) const;
  TColumnIndex GetNextVisibleColumn(TColumnIndex Column) const;
  TColumnIndex GetPreviousVisibleColumn(TColumnIndex Column) const;
  std::vector<TDataTreeColumn*> GetVisibleColumns() const;
  TColumnIndex ColumnFromPosition(uint32_t P) const;
  bool IsValidColumn(TColumnIndex Column) const { return Column >= 0 && Column < Count(); }
  int GetVisibleFixedWidth() const;
  int TotalWidth() const;
  void GetColumnBounds(TColumnIndex Column, int& Left, int& Right) const;
  TColumnIndex HitTestColumn(POINT P, bool Relative) const;
  TColumnIndex GetColumnAndBounds(POINT P, int& Left, int& Right, bool Relative = true) const;
  // The column pressed at P, when it can be clicked.
  void DetermineDown(POINT P);
  // A click on the column at P: it counts when the column can be clicked and
  // was pressed, or always when Force (right, middle and double clicks).
  void HandleClick(POINT P, TMouseButton Button, bool DblClick, bool Force);
  const std::vector<int32_t>& PositionToIndex() const { return positionToIndex_; }

  TColumnIndex HoverIndex = -1, DownIndex = -1, TrackIndex = -1, ClickIndex = -1;
  TColumnIndex DragIndex = -1, DropTarget = -1;
  bool DropBefore = false;
  bool NeedPositionsFix = false;
  bool Clearing() const { return clearing_; }

 private:
  friend class TDataTreeColumn;
  friend class TDTHeader;
  void FixIndexesAfterDelete(int Index);

  TDTHeader* header_;
  std::vector<std::unique_ptr<TDataTreeColumn>> items_;
  std::vector<int32_t> positionToIndex_;
  int updateCount_ = 0;
  bool clearing_ = false;
};

class TDTHeader : public TPersistent {
 public:
  explicit TDTHeader(TBaseDataTree* AOwner);
  ~TDTHeader() override;

  TBaseDataTree* Treeview() const { return owner_; }
  TDataTreeColumns* Columns() const { return columns_.get(); }
  TColumnIndex AutoSizeIndex() const { return autoSizeIndex_; }
  void SetAutoSizeIndex(TColumnIndex Value);
  TColor Background() const { return background_; }
  void SetBackground(TColor Value);
  TFont* Font() const { return font_.get(); }
  int Height() const { return height_; }
  void SetHeight(int Value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  TColumnIndex MainColumn() const;
  void SetMainColumn(TColumnIndex Value);
  TDTHeaderOptions Options() const { return options_; }
  void SetOptions(TDTHeaderOptions Value);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool Value);
  TMenuBase* PopupMenu = nullptr;  // the header's own context menu
  TColumnIndex SortColumn() const { return sortColumn_; }
  void SetSortColumn(TColumnIndex Value);
  TSortDirection SortDirection() const { return sortDirection_; }
  void SetSortDirection(TSortDirection Value);
  TDTHeaderStyle Style() const { return style_; }
  void SetStyle(TDTHeaderStyle Value);
  uint8_t States = 0;

  void Assign(TPersistent* Source) override;
  void RecalculateHeader();
  // For a form shown at another density: the font size scales by M/D.
  virtual void ChangeScale(int M, int D);
  bool InHeader(POINT P) const;
  void Invalidate(TDataTreeColumn* Column, bool ExpandToRight = false);
  void FixMainColumn();
  void AutoFitColumns(bool Animated = false);
  // Shift, Ctrl and Alt as the keyboard holds them now.
  static TShiftState GetShiftState();
  void RestoreColumns();
  void AdjustAutoSize(TColumnIndex Column, bool Force = false);
  void ResizeSpringColumns(int NewWidth);
  void AnimatedResize(TColumnIndex Column, int NewWidth);
  bool Loading() const { return (States & hsLoading) != 0; }
  bool UseColumns() const { return columns_->Count() > 0; }

  // Binary stream: marker -1, version 3, little-endian 32-bit fields.
  void SaveToStream(TStream& Stream);
  void LoadFromStream(TStream& Stream);

  // Header mouse handling (its own state machine) and painting.
  bool HandleMessage(TMessage& Message);
  TColumnIndex DetermineSplitterIndex(POINT P) const;
  bool HandleHeaderTimer();
  void PrepareDrag(POINT P, POINT Start);
  // The dragged column moves to P: the drop target and its half follow.
  void DragTo(POINT P);
  // The image of the column being dragged, nil before the first drag.
  const TDTDragImage* DragImage() const { return dragImage_.get(); }
  const THeaderMouseState& MouseState() const { return mouse_; }
  // Any flag of States or a mouse gesture under way.
  bool Busy() const { return States != 0 || mouse_.Busy(); }

 private:
  friend class TDataTreeColumns;
  friend class TDataTreeColumn;
  TBaseDataTree* owner_;
  std::unique_ptr<TDataTreeColumns> columns_;
  std::unique_ptr<TFont> font_;
  TColumnIndex autoSizeIndex_ = -1;
  TColor background_ = clBtnFace;
  int height_ = 17;
  TCustomImageList* images_ = nullptr;
  TColumnIndex mainColumn_ = -1;
  TDTHeaderOptions options_{hoColumnResize, hoDrag};
  bool parentFont_ = false;
  TColumnIndex sortColumn_ = -1;
  TSortDirection sortDirection_ = sdAscending;
  TDTHeaderStyle style_ = hsThickButtons;
  int lastSpringWidth_ = 0;
  THeaderMouseState mouse_;
  std::unique_ptr<TDTDragImage> dragImage_;
  void EndDragImage();
  void DropColumn(POINT P);
};

}  // namespace qv
