// The controls the dialogs build alike (see DialogControls.h).
#include "app/dialogs/DialogControls.h"

#include "platform/window/Input.h"

namespace qv {

namespace {

TObject* IndexObject(int32_t index) {
  return reinterpret_cast<TObject*>(intptr_t(index));
}

int32_t ObjectIndex(TObject* object) {
  return int32_t(reinterpret_cast<intptr_t>(object));
}

}  // namespace

TButton* NewButton(TWinControl* Parent, TComponent* Owner, int X, int Y, const char* Caption) {
  auto* b = new TButton(Owner);
  b->SetParent(Parent);
  b->SetBounds(X, Y, 75, 25);
  if (Caption) b->SetCaption(Caption);
  return b;
}

TButton* NewCancelButton(TWinControl* Parent, TComponent* Owner, int X, int Y, const char* Caption) {
  TButton* b = NewButton(Parent, Owner, X, Y, Caption);
  b->SetCancel(true);
  b->ModalResult = mrCancel;
  return b;
}

void EscapeCancels(TMemo* Memo) {
  Memo->OnKeyDown = [Memo](TObject*, WORD& Key, TShiftState Shift) {
    if (Key != VK_ESCAPE || !Shift.Empty()) return;
    if (TCustomForm* form = GetParentForm(Memo)) {
      Key = 0;
      form->SetModalResult(mrCancel);
    }
  };
}

TAction* NewAction(TActionList* List, TComponent* Owner, const char* Caption, const char* Hint) {
  auto* a = new TAction(Owner);
  a->SetCaption(Caption);
  if (Hint) a->SetHint(Hint);
  a->SetActionList(List);
  return a;
}

TAction* NewOkAction(TForm* Form, TActionList* List, const char* Caption, std::function<bool()> Allowed) {
  TAction* a = NewAction(List, Form, Caption);
  a->OnUpdate = [a, Allowed](TObject*) { a->SetEnabled(Allowed()); };
  a->OnExecute = [Form, Allowed](TObject*) {
    if (Allowed()) Form->SetModalResult(mrOk);
  };
  return a;
}

void FillCategoryCombo(TComboBox* Combo, const TDiscKinds* Kinds) {
  TStrings* items = Combo->Items();
  items->BeginUpdate();
  items->Clear();
  if (Kinds)
    for (int32_t i = 0; i < Kinds->Count(); ++i)
      items->AddObject(" " + Kinds->GetName(i) + " ", IndexObject(i));
  items->EndUpdate();
}

int CategoryEntry(TComboBox* Combo, int32_t Index) {
  TStrings* items = Combo->Items();
  for (int i = 0; i < items->Count(); ++i)
    if (ObjectIndex(items->Objects(i)) == Index) return i;
  return -1;
}

int32_t ChosenCategory(TComboBox* Combo) {
  const int i = Combo->ItemIndex();
  if (i < 0 || i >= Combo->Items()->Count()) return -1;
  return ObjectIndex(Combo->Items()->Objects(i));
}

void SetUpFileKindList(TListView* List, const char* TypeCaption, const char* ExtsCaption, int ExtsWidth) {
  List->SetViewStyle(vsReport);
  List->SetCheckboxes(true);
  List->SetRowSelect(true);
  List->SetReadOnly(true);
  List->SetSortType(stText);
  TListColumn* c = List->Columns()->Add();
  c->SetCaption(TypeCaption);
  c->SetWidth(128);
  c = List->Columns()->Add();
  c->SetCaption(ExtsCaption);
  c->SetWidth(ExtsWidth);
}

void FillFileKindList(TListView* List, const TFileKinds* Kinds) {
  TListItems* items = List->Items();
  items->BeginUpdate();
  items->Clear();
  for (int32_t i = 0; Kinds && i < Kinds->Count(); ++i) {
    const TFileKind& kind = Kinds->GetItem(i);
    TListItem* item = items->Add();
    item->SetCaption(kind.Name);
    item->SubItems()->Add(kind.Exts);
    item->SetChecked(kind.Selected);
    item->SetData(reinterpret_cast<void*>(intptr_t(i)));
  }
  items->EndUpdate();
}

void StoreFileKindCheck(TListItem* Item, TFileKinds& Kinds) {
  const intptr_t i = reinterpret_cast<intptr_t>(Item->Data());
  if (i >= 0 && i < Kinds.Count()) Kinds.GetItem(int32_t(i)).Selected = Item->Checked();
}

}  // namespace qv
