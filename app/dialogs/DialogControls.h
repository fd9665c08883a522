// Controls the program's dialogs build alike: their push buttons, their OK
// action guarded by a rule, the category drop-down whose entries carry the
// category index, and the checkable table of file types.
#pragma once
#include <cstdint>
#include <functional>

#include "catalogue/DiscKinds.h"
#include "catalogue/FileKinds.h"
#include "classlib/actions/ActnList.h"
#include "classlib/comctrls/ListView.h"
#include "classlib/controls/Forms.h"
#include "classlib/stdctrls/Button.h"
#include "classlib/stdctrls/ComboBox.h"
#include "classlib/stdctrls/Memo.h"

namespace qv {

// A 75 x 25 button of Parent, owned by Owner; without a caption its action gives one.
TButton* NewButton(TWinControl* Parent, TComponent* Owner, int X, int Y, const char* Caption = nullptr);
// The Cancel button: Esc presses it, and it closes the dialog with mrCancel.
TButton* NewCancelButton(TWinControl* Parent, TComponent* Owner, int X, int Y, const char* Caption);
// Esc in Memo (which takes Enter and Esc as its own keys) closes its form
// with mrCancel, as the Cancel button does from every other control.
void EscapeCancels(TMemo* Memo);
// An action of List, owned by Owner.
TAction* NewAction(TActionList* List, TComponent* Owner, const char* Caption, const char* Hint = nullptr);
// The OK action of a dialog with a rule: enabled while Allowed holds, and it
// closes Form with mrOk only then, so Enter cannot get past the rule.
TAction* NewOkAction(TForm* Form, TActionList* List, const char* Caption, std::function<bool()> Allowed);

// Refills Combo with " name " entries whose object is the category index (none without Kinds).
void FillCategoryCombo(TComboBox* Combo, const TDiscKinds* Kinds);
// The entry holding category Index, found by its object (the list may be sorted); -1 when none does.
int CategoryEntry(TComboBox* Combo, int32_t Index);
// The category index of the chosen entry; -1 when none is chosen.
int32_t ChosenCategory(TComboBox* Combo);

// The file-type table: a read-only report of checkable rows (type, extensions) sorted by type.
void SetUpFileKindList(TListView* List, const char* TypeCaption, const char* ExtsCaption, int ExtsWidth);
// Refills List from Kinds (none: empties it): a row a type, checked when it is
// selected, its index as the row's data.
void FillFileKindList(TListView* List, const TFileKinds* Kinds);
// Copies the check mark of Item's row into its type; a row past the table changes nothing.
void StoreFileKindCheck(TListItem* Item, TFileKinds& Kinds);

}  // namespace qv
