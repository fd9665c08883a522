// TNotebook: a stack of named pages without tabs; the page at PageIndex
// shows and fills the notebook, the others hide.
#pragma once
#include <vector>

#include "classlib/controls/CustomControl.h"

namespace qv {

class TNotebook;

class TPage : public TCustomControl {
 public:
  explicit TPage(TComponent* AOwner);

 protected:
  void Paint() override;
};

class TNotebook : public TCustomControl {
 public:
  explicit TNotebook(TComponent* AOwner);
  ~TNotebook() override;
  // Adds a page (owned by the notebook) named Caption.
  TPage* AddPage(const std::string& Caption);
  void DeletePage(int Index);
  int PageCount() const { return int(pages_.size()); }
  TPage* Pages(int Index) const;
  int PageIndex() const { return pageIndex_; }
  void SetPageIndex(int Value);
  // The name of the page showing; setting it shows the page so named.
  std::string ActivePage() const;
  void SetActivePage(const std::string& Value);
  TNotifyEvent OnPageChanged;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::vector<TPage*> pages_;  // owned through the component tree
  int pageIndex_ = -1;
};

}  // namespace qv
