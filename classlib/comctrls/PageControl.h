// TPageControl and TTabSheet: a tab control whose tabs are its sheets (the
// visible ones); the sheet of the selected tab shows in the display area
// and the others hide. Ctrl+Tab and Ctrl+Shift+Tab step through the pages.
#pragma once
#include <vector>

#include "classlib/comctrls/TabControl.h"

namespace qv {

class TPageControl;

class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return pageControl_; }
  void SetPageControl(TPageControl* Value);
  int PageIndex() const;
  void SetPageIndex(int Value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  // Whether the sheet has a tab.
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool Value);
  // The position of its tab among the shown ones, or -1.
  int TabIndex() const;
  void Dispatch(TMessage& Message) override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
  int imageIndex_ = -1;
  bool tabVisible_ = true;
};

class TPageControl : public TCustomTabControl {
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;
  int PageCount() const { return int(pages_.size()); }
  TTabSheet* Pages(int Index) const;
  TTabSheet* ActivePage() const { return activePage_; }
  void SetActivePage(TTabSheet* Value);
  int ActivePageIndex() const;
  void SetActivePageIndex(int Value);
  // The next (or previous) page from CurPage, going round; tabless pages are
  // skipped when CheckTabVisible.
  TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible);
  // Steps to the next page as a click on its tab would (OnChanging may refuse).
  void SelectNextPage(bool GoForward, bool CheckTabVisible = true);
  void Dispatch(TMessage& Message) override;

 protected:
  void Change() override;
  int TabCount() const override;
  std::string TabCaption(int Index) const override;
  int TabImage(int Index) const override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void MovePage(TTabSheet* Page, int Index);
  void PagesChanged();
  // Where the focus goes when its page hides.
  void FocusAfterChange(TTabSheet* Page);
  TTabSheet* TabSheet(int TabIndex) const;
  std::vector<TTabSheet*> pages_;  // not owned
  TTabSheet* activePage_ = nullptr;
  bool destroying_ = false;
};

}  // namespace qv
