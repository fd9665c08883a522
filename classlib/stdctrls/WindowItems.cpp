// The item storage of the list box and the combo box (see WindowItems.h).
#include "classlib/stdctrls/WindowItems.h"

#include "classlib/SysUtils.h"
#include "platform/Utf.h"
#include "platform/window/MessageQueue.h"

namespace qv {

EListError ListIndexError(int Index) {
  return EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

EOutOfResources NoStorageError() {
  return EOutOfResources("Not enough storage is available to complete this operation");
}

std::string ListItemText(HWND Handle, UINT GetLenMsg, UINT GetTextMsg, int Index) {
  LRESULT len = SendMessageW(Handle, GetLenMsg, WPARAM(Index), 0);
  if (len < 0) return {};
  std::u16string text(std::size_t(len) + 1, u'\0');
  SendMessageW(Handle, GetTextMsg, WPARAM(Index), LPARAM(text.data()));
  text.resize(std::size_t(len));
  return Utf16ToUtf8(text);
}

namespace {
constexpr LRESULT kError = -1;  // LB_ERR and CB_ERR
}  // namespace

TWindowItemStrings::TWindowItemStrings(TWinControl* Control, const std::unique_ptr<TStringList>& Saved,
                                       const TItemMessages& Messages)
    : control_(Control), saved_(Saved), messages_(Messages) {}

int TWindowItemStrings::Count() const {
  if (!control_->HandleAllocated()) return saved_->Count();
  return int(SendMessageW(control_->WindowHandle(), messages_.GetCount, 0, 0));
}

std::string TWindowItemStrings::Strings(int Index) const {
  if (!control_->HandleAllocated()) return saved_->Strings(Index);
  if (Index < 0 || Index >= Count()) throw ListIndexError(Index);
  return ListItemText(control_->WindowHandle(), messages_.GetTextLen, messages_.GetText, Index);
}

TObject* TWindowItemStrings::Objects(int Index) const {
  if (!control_->HandleAllocated()) return saved_->Objects(Index);
  LRESULT r = SendMessageW(control_->WindowHandle(), messages_.GetItemData, WPARAM(Index), 0);
  if (r == kError && (Index < 0 || Index >= Count())) throw ListIndexError(Index);
  return reinterpret_cast<TObject*>(r);
}

void TWindowItemStrings::SetObjects(int Index, TObject* AObject) {
  if (!control_->HandleAllocated()) return saved_->SetObjects(Index, AObject);
  if (SendMessageW(control_->WindowHandle(), messages_.SetItemData, WPARAM(Index), LPARAM(AObject)) == kError)
    throw ListIndexError(Index);
}

int TWindowItemStrings::Add(const std::string& S) {
  return AddObject(S, nullptr);
}

int TWindowItemStrings::AddObject(const std::string& S, TObject* AObject) {
  if (!control_->HandleAllocated()) return saved_->AddObject(S, AObject);
  std::u16string text = Utf8ToUtf16(S);
  HWND h = control_->WindowHandle();
  LRESULT i = SendMessageW(h, messages_.AddString, 0, LPARAM(text.c_str()));
  if (i < 0) throw NoStorageError();
  if (AObject) SendMessageW(h, messages_.SetItemData, WPARAM(i), LPARAM(AObject));
  return int(i);
}

void TWindowItemStrings::Insert(int Index, const std::string& S) {
  if (!control_->HandleAllocated()) {
    if (saved_->Sorted()) return void(saved_->Add(S));
    return saved_->Insert(Index, S);
  }
  std::u16string text = Utf8ToUtf16(S);
  if (SendMessageW(control_->WindowHandle(), messages_.InsertString, WPARAM(Index), LPARAM(text.c_str())) < 0)
    InsertFailed(Index);
}

void TWindowItemStrings::InsertFailed(int Index) const {
  throw ListIndexError(Index);
}

void TWindowItemStrings::Delete(int Index) {
  if (!control_->HandleAllocated()) return saved_->Delete(Index);
  if (SendMessageW(control_->WindowHandle(), messages_.DeleteString, WPARAM(Index), 0) == kError)
    throw ListIndexError(Index);
}

void TWindowItemStrings::Clear() {
  if (!control_->HandleAllocated()) return saved_->Clear();
  SendMessageW(control_->WindowHandle(), messages_.ResetContent, 0, 0);
}

int TWindowItemStrings::IndexOf(const std::string& S) const {
  if (!control_->HandleAllocated()) return saved_->IndexOf(S);
  std::u16string text = Utf8ToUtf16(S);
  LRESULT i =
      SendMessageW(control_->WindowHandle(), messages_.FindStringExact, WPARAM(-1), LPARAM(text.c_str()));
  return i < 0 ? -1 : int(i);
}

void TWindowItemStrings::SetUpdateState(bool Updating) {
  if (!control_->HandleAllocated()) return;
  SendMessageW(control_->WindowHandle(), WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
  if (!Updating) control_->Invalidate();
}

void TWindowItemStrings::MoveSavedToWindow(bool Sorted) {
  HWND h = control_->WindowHandle();
  for (int i = 0; i < saved_->Count(); ++i) {
    std::u16string text = Utf8ToUtf16(saved_->Strings(i));
    LRESULT at = SendMessageW(h, Sorted ? messages_.AddString : messages_.InsertString, WPARAM(-1),
                              LPARAM(text.c_str()));
    if (at >= 0 && saved_->Objects(i))
      SendMessageW(h, messages_.SetItemData, WPARAM(at), LPARAM(saved_->Objects(i)));
  }
  saved_->Clear();
}

void TWindowItemStrings::SaveWindowItems() {
  HWND h = control_->WindowHandle();
  saved_->Clear();
  int n = int(SendMessageW(h, messages_.GetCount, 0, 0));
  for (int i = 0; i < n; ++i)
    saved_->AddObject(ListItemText(h, messages_.GetTextLen, messages_.GetText, i),
                      reinterpret_cast<TObject*>(SendMessageW(h, messages_.GetItemData, WPARAM(i), 0)));
}

}  // namespace qv
