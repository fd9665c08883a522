// The item storage the list box and the combo box share: their items live in
// the window, read and written through its item messages; while there is no
// window (and while it is re-created) they wait in a string list.
#pragma once
#include <memory>
#include <string>

#include "classlib/Strings.h"
#include "classlib/controls/WinControl.h"
#include "classlib/stdctrls/OwnerDrawState.h"  // EOutOfResources

namespace qv {

// The item messages of one window class.
struct TItemMessages {
  UINT GetCount, GetTextLen, GetText, GetItemData, SetItemData, AddString, InsertString, DeleteString,
      ResetContent, FindStringExact;
};

class TWindowItemStrings : public TStrings {
 public:
  // Saved is the control's list for the items while it has no window.
  TWindowItemStrings(TWinControl* Control, const std::unique_ptr<TStringList>& Saved,
                     const TItemMessages& Messages);

  int Count() const override;
  std::string Strings(int Index) const override;
  TObject* Objects(int Index) const override;
  void SetObjects(int Index, TObject* AObject) override;
  int Add(const std::string& S) override;
  int AddObject(const std::string& S, TObject* AObject) override;
  void Insert(int Index, const std::string& S) override;
  void Delete(int Index) override;
  void Clear() override;
  int IndexOf(const std::string& S) const override;

  // The control's window was made: the saved items move into it (added in
  // order when Sorted, else appended).
  void MoveSavedToWindow(bool Sorted);
  // The control's window is about to go: its items are saved.
  void SaveWindowItems();

 protected:
  void SetUpdateState(bool Updating) override;
  // What a failed insert into the window raises.
  [[noreturn]] virtual void InsertFailed(int Index) const;
  TWinControl* Control() const { return control_; }

 private:
  TWinControl* control_;
  const std::unique_ptr<TStringList>& saved_;
  TItemMessages messages_;
};

EListError ListIndexError(int Index);
// What a window that cannot take another item raises.
EOutOfResources NoStorageError();
// The text of an item as the window holds it, "" for a bad index.
std::string ListItemText(HWND Handle, UINT GetLenMsg, UINT GetTextMsg, int Index);

}  // namespace qv
