#include "forms/stdctrls.h"

#include "forms/form.h"

void TButton::Click() {
  if (FModalResult != mrNone) { Form().SetModalResult(FModalResult); }
  RunOnClick();
}

void TButton::Command(WORD Code) {
  if (Code == BN_CLICKED) { Click(); }
}

bool TButtonControl::Checked() const { return SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TButtonControl::SetChecked(bool Value) {
  if (Checked() == Value) { return; }
  SendMessageA(Handle(), BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
  RunOnClick();
}

void TButtonControl::Command(WORD Code) {
  if (Code == BN_CLICKED) { RunOnClick(); }
}

void TRadioButton::SetChecked(bool Value) {
  if (Value && !Checked()) {
    for (TRadioButton* Other : Form().ControlsOf<TRadioButton>()) {
      if (Other != this && GetParent(Other->Handle()) == GetParent(Handle())) {
        SendMessageA(Other->Handle(), BM_SETCHECK, BST_UNCHECKED, 0);
      }
    }
  }
  TButtonControl::SetChecked(Value);
}

void TComboBox::Clear() { SendMessageA(Handle(), CB_RESETCONTENT, 0, 0); }

void TComboBox::AddItem(const std::string& Item) {
  SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Item.c_str()));
}

int TComboBox::ItemCount() const { return static_cast<int>(SendMessageA(Handle(), CB_GETCOUNT, 0, 0)); }

std::string TComboBox::Item(int Index) const {
  const LRESULT Length = SendMessageA(Handle(), CB_GETLBTEXTLEN, Index, 0);
  if (Length == CB_ERR) { return ""; }
  std::string Result(Length + 1, '\0');
  SendMessageA(Handle(), CB_GETLBTEXT, Index, reinterpret_cast<LPARAM>(Result.data()));
  Result.resize(Length);
  return Result;
}

int TComboBox::IndexOf(const std::string& Text) const {
  for (int Index = 0; Index < ItemCount(); ++Index) {
    if (Item(Index) == Text) { return Index; }
  }
  return -1;
}

int TComboBox::ItemIndex() const { return static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0)); }

void TComboBox::SetItemIndex(int Index) { SendMessageA(Handle(), CB_SETCURSEL, Index, 0); }

void TComboBox::Command(WORD Code) {
  if (Code == CBN_SELCHANGE) { RunOnClick(); }
}
