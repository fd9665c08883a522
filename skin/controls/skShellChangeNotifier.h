// TSkShellChangeNotifier: watches one folder and calls OnChange on the
// user-interface thread whenever a change of the selected kinds happens
// there. A notifier without a handler watches nothing and runs no thread.
#pragma once
#include <memory>
#include <string>

#include "classlib/Component.h"
#include "classlib/Object.h"
#include "platform/shell/ChangeNotifier.h"

namespace qv {

enum TSkNotifyFilter {
  nfFileNameChange,
  nfDirNameChange,
  nfAttributeChange,
  nfSizeChange,
  nfWriteChange,
  nfSecurityChange
};
using TSkNotifyFilters = Set<TSkNotifyFilter>;
// The folder path to watch (or a special folder name for the shell tree).
using TSkRoot = std::string;
using TSkThreadMethod = std::function<void()>;

// The platform's change flags of a set of filters.
DWORD NotifyFlagsOf(TSkNotifyFilters Filters);

class TSkShellChangeNotifier : public TComponent {
 public:
  explicit TSkShellChangeNotifier(TComponent* AOwner);
  ~TSkShellChangeNotifier() override;

  TSkNotifyFilters NotifyFilters() const { return filters_; }
  void SetNotifyFilters(TSkNotifyFilters Value);
  bool WatchSubTree() const { return watchSubTree_; }
  void SetWatchSubTree(bool Value);
  const TSkRoot& Root() const { return root_; }
  void SetRoot(const TSkRoot& Value);
  const TSkThreadMethod& OnChange() const { return onChange_; }
  void SetOnChange(TSkThreadMethod Value);
  // Whether a watcher thread runs (only with a handler).
  bool Running() const { return watcher_ != nullptr; }
  // Whether the watcher holds a watch on Root (tests wait for it).
  bool Watching() const { return watcher_ && watcher_->Watching(); }
  unsigned Renewals() const { return watcher_ ? watcher_->Renewals() : 0; }

 private:
  void ApplyOptions();
  void Start();

  TSkNotifyFilters filters_{nfFileNameChange, nfDirNameChange};
  bool watchSubTree_ = true;
  TSkRoot root_ = "/";
  TSkThreadMethod onChange_;
  std::unique_ptr<TShellChangeWatcher> watcher_;
};

}  // namespace qv
