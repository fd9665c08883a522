// The shell change notifier over the platform's folder watcher, which delivers
// on the user-interface thread and stops safely, also from inside its handler.
#include "skin/controls/skShellChangeNotifier.h"

#include "classlib/SysUtils.h"

namespace qv {

DWORD NotifyFlagsOf(TSkNotifyFilters Filters) {
  static constexpr DWORD kFlags[] = {FILE_NOTIFY_CHANGE_FILE_NAME,  FILE_NOTIFY_CHANGE_DIR_NAME,
                                     FILE_NOTIFY_CHANGE_ATTRIBUTES, FILE_NOTIFY_CHANGE_SIZE,
                                     FILE_NOTIFY_CHANGE_LAST_WRITE, FILE_NOTIFY_CHANGE_SECURITY};
  DWORD flags = 0;
  for (int i = nfFileNameChange; i <= nfSecurityChange; ++i)
    if (Filters.Contains(TSkNotifyFilter(i))) flags |= kFlags[i];
  return flags;
}

TSkShellChangeNotifier::TSkShellChangeNotifier(TComponent* AOwner) : TComponent(AOwner) {
  Start();
}

TSkShellChangeNotifier::~TSkShellChangeNotifier() {
  // Stops and joins the watcher; a delivery still queued never runs.
  watcher_.reset();
}

void TSkShellChangeNotifier::SetNotifyFilters(TSkNotifyFilters Value) {
  filters_ = Value;
  ApplyOptions();
}

void TSkShellChangeNotifier::SetWatchSubTree(bool Value) {
  watchSubTree_ = Value;
  ApplyOptions();
}

void TSkShellChangeNotifier::SetRoot(const TSkRoot& Value) {
  if (SameText(Value, root_)) return;
  root_ = Value;
  ApplyOptions();
}

void TSkShellChangeNotifier::SetOnChange(TSkThreadMethod Value) {
  onChange_ = std::move(Value);
  if (watcher_)
    watcher_->SetHandler(onChange_);
  else
    Start();
}

void TSkShellChangeNotifier::ApplyOptions() {
  if (watcher_) watcher_->SetDirectoryOptions(root_, watchSubTree_, NotifyFlagsOf(filters_));
}

void TSkShellChangeNotifier::Start() {
  if (!onChange_) return;
  watcher_ = std::make_unique<TShellChangeWatcher>(onChange_);
  ApplyOptions();
}

}  // namespace qv
