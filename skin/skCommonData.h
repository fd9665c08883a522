// TSkCommonData: the skin data every skinned control owns (its section, its
// manager, the resolved indexes, its cache bitmap and state flags), the
// receiver of the skin commands, the first step of a skinned control's
// window procedure, and the bound caption label of edit-like controls.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "classlib/Object.h"
#include "classlib/controls/Control.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Font.h"
#include "skin/skMessages.h"

namespace qv {

class TSkinManager;
class TWinControl;

// Edit-class controls have their Color and Font follow the section: the
// class library's edits, and any other control that derives from this.
class ISkEditClass {
 public:
  virtual ~ISkEditClass() = default;
};
bool IsEditClassControl(TControl* Control);

// Class codes whose controls never show the mouse-over look.
bool ClassCodeHasNoHot(int Code);
// The default section of a class code ("" = the owner's class name).
std::string DefaultSectionOfClass(int Code);

class TSkCommonData : public TPersistent {
 public:
  TSkCommonData(TPersistent* AOwner, bool CreateCacheBmp);
  ~TSkCommonData() override;

  bool Updating = false;
  const std::string& SkinSection() const { return skinSection_; }
  void SetSkinSection(const std::string& Value);
  bool CustomFont() const { return customFont_; }
  void SetCustomFont(bool Value);
  bool CustomColor() const { return customColor_; }
  void SetCustomColor(bool Value);
  TSkinManager* OwnSkinManager() const { return skinManager_; }
  void SetSkinManager(TSkinManager* Value);
  // The own manager, else the default one, else null.
  TSkinManager* SkinManager() const;
  void ForgetManager(TSkinManager* Manager);

  int BorderIndex = -1;
  int SkinIndex = -1;
  TControl* RepaintingChild = nullptr;
  bool CacheFrozen = false;
  bool BGChanged = true;
  bool PartlyHidden = true;
  bool Painting = false;
  TControl* OwnerControl = nullptr;
  TPersistent* OwnerObject = nullptr;
  std::unique_ptr<TBitmap> CacheBmp;
  int ClassCode = 0;
  bool Focused = false;
  bool MouseAbove = false;

  bool Skinned(bool CheckActive = false) const;
  void UpdateIndexes();
  void Loaded();
  void Invalidate();
  void BeginUpdate() { Updating = true; }
  void EndUpdate() { Updating = false; }
  void SetUpdating(bool Value) { Updating = Value; }
  bool GetUpdating() const;
  void InitCacheBmp();
  bool ControlIsActive() const;
  bool RepaintIfMoved() const;
  bool IsTransparent() const;
  // Applies the section's COLOR and FONTCOLOR unless the control keeps its own.
  void ApplySectionColors();

 private:
  bool OwnerDestroying() const;
  void Announce();
  std::string skinSection_;
  bool customFont_ = false, customColor_ = false;
  TSkinManager* skinManager_ = nullptr;
};

// The parent's cache (command 5); the control adds its Left and Top itself.
void GetParentCache(TSkCommonData* SkinData, TCacheInfo& CacheInfo);
void BlitCacheToDC(TControl* Control, TSkCommonData* SkinData, int SrcX, int SrcY, int ChildOffsetX,
                   int ChildOffsetY, bool RepaintBorder, HDC DC, const RECT& DestRect);
// The receiver of SM_SKINCMD; true when it handled the message fully.
bool HandleSkinCommand(TMessage& Message, TSkCommonData* SkinData);
// The first step of every skinned control's window procedure; true = stop.
bool SkinWndProc(TMessage& Message, TSkCommonData* SkinData);
// While set, BlitCacheToDC leaves graphic children out entirely.
extern bool SkipGraphicChildren;

// Where a bound label goes: its top-left and, with MaxWidth, its width and height.
struct TSkLabelPlace {
  int Left = 0, Top = 0, Width = -1, Height = -1;  // -1 = keep the label's own
};
TSkLabelPlace PlaceBoundLabel(TSkCaptionLayout Layout, int Indent, int MaxWidth, const RECT& Control,
                              SIZE Label);

// The caption label beside an edit-like control. The label control itself
// is made by the label unit through LabelFactory.
class TSkBoundLabel : public TPersistent {
 public:
  explicit TSkBoundLabel(TSkCommonData* SkinData);
  ~TSkBoundLabel() override;
  // A plain function pointer: constant-initialised, so the label unit may set
  // it from its own start-up code whatever the order of start-up.
  using TLabelFactory = TControl* (*)(TSkBoundLabel* Bound, TControl* Owner);
  static TLabelFactory LabelFactory;

  bool Active() const { return label_ != nullptr; }
  void SetActive(bool Value);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  int Indent() const { return indent_; }
  void SetIndent(int Value);
  int MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(int Value);
  TSkCaptionLayout Layout() const { return layout_; }
  void SetLayout(TSkCaptionLayout Value);
  TFont* Font();
  void SetFont(TFont* Value);
  TControl* Label() const { return label_; }
  // Places the label beside the control (after the control moved, resized or changed).
  void AlignLabel();
  // The label control was freed by someone else: forget it without freeing again.
  void LabelGone() { label_ = nullptr; }

 private:
  void ApplyLayoutAlignment();
  int maxWidth_ = 0;
  std::string caption_;
  TSkCaptionLayout layout_ = sclLeft;
  TFont font_;
  int indent_ = 0;
  TControl* label_ = nullptr;
  TSkCommonData* skinData_;
};

}  // namespace qv
