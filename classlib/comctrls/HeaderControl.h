// THeaderControl over the header window class: sections that the user
// resizes by their dividers and reorders by dragging, with click, resize,
// track and drag events.
#pragma once
#include <memory>
#include <string>

#include "classlib/Collection.h"
#include "classlib/comctrls/ComCtrls.h"
#include "platform/comctl/Header.h"

namespace qv {

class THeaderControl;

class THeaderSection : public TCollectionItem {
 public:
  explicit THeaderSection(TCollection* Collection);
  const std::string& Text() const { return text_; }
  void SetText(const std::string& Value);
  int Width() const;
  void SetWidth(int Value);
  int Left() const;
  int Right() const { return Left() + Width(); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  bool AllowClick = true;
  int MinWidth = 0, MaxWidth = 10000;

 private:
  friend class THeaderSections;
  friend class THeaderControl;
  THeaderControl* Header() const;
  void Send() const;
  std::string text_;
  int width_ = 50;
  TAlignment alignment_ = taLeftJustify;
  int imageIndex_ = -1;
};

class THeaderSections : public TCollection {
 public:
  explicit THeaderSections(THeaderControl* AOwner);
  THeaderSection* Add() { return static_cast<THeaderSection*>(TCollection::Add()); }
  THeaderSection* Items(int Index) const { return static_cast<THeaderSection*>(TCollection::Items(Index)); }
  THeaderControl* Owner() const { return owner_; }

 protected:
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

 private:
  THeaderControl* owner_;
};

enum TSectionTrackState { tsTrackBegin, tsTrackMove, tsTrackEnd };
using TSectionNotifyEvent = std::function<void(THeaderControl* HeaderControl, THeaderSection* Section)>;
using TSectionTrackEvent = std::function<void(THeaderControl* HeaderControl, THeaderSection* Section,
                                              int Width, TSectionTrackState State)>;
using TSectionDragEvent = std::function<void(TObject* Sender, THeaderSection* FromSection,
                                             THeaderSection* ToSection, bool& AllowDrag)>;

class THeaderControl : public TWinControl {
 public:
  explicit THeaderControl(TComponent* AOwner);
  THeaderSections* Sections() const { return sections_.get(); }
  TCustomImageList* Images() const { return images_.List(); }
  void SetImages(TCustomImageList* Value) { images_.Set(Value, this); }
  bool DragReorder = false;
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool Value);

  TSectionNotifyEvent OnSectionClick, OnSectionResize, OnSectionEndDrag;
  TSectionTrackEvent OnSectionTrack;
  TSectionDragEvent OnSectionDrag;

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class THeaderSection;
  void Notify(TMessage& M);
  std::unique_ptr<THeaderSections> sections_;
  bool sending_ = false;  // changes made from code raise no events
  TImageListLink images_;
  bool hotTrack_ = false;
};

}  // namespace qv
