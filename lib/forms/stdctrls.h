// The standard controls: labels, edits, buttons, boxes, lists, panels, images.
#pragma once
#include "forms/control.h"
#include "forms/formdef.h"

class TLabel : public TControl {
public:
  using TControl::TControl;
  std::string Caption() const { return Text(); }
  void SetCaption(const std::string& Value) { SetText(Value); }
};

class TEdit : public TControl {
public:
  using TControl::TControl;
};

class TButton : public TControl {
public:
  TButton(TForm& Form, std::string Name, HWND Handle, TModalResult ModalResult)
      : TControl(Form, std::move(Name), Handle), FModalResult(ModalResult) {}
  // What a press does: the form's modal result, then the handler.
  void Click();
  void Command(WORD Code) override;

private:
  TModalResult FModalResult;
};

// A check box or radio button; a program change runs the click handler as a
// user's click does, so dependent controls follow either way.
class TButtonControl : public TControl {
public:
  using TControl::TControl;
  bool Checked() const;
  virtual void SetChecked(bool Value);
  void Command(WORD Code) override;
};

class TCheckBox : public TButtonControl {
public:
  using TButtonControl::TButtonControl;
};

// Checking one unchecks the other radio buttons of its container.
class TRadioButton : public TButtonControl {
public:
  using TButtonControl::TButtonControl;
  void SetChecked(bool Value) override;
};

// A drop-down list without free text.
class TComboBox : public TControl {
public:
  using TControl::TControl;
  void Clear();
  void AddItem(const std::string& Item);
  int ItemCount() const;
  std::string Item(int Index) const;
  int ItemIndex() const;
  // The first item equal to Text; -1 when none is.
  int IndexOf(const std::string& Text) const;
  // A program change runs no handler.
  void SetItemIndex(int Index);
  void Command(WORD Code) override;
};

class TPanel : public TControl {
public:
  using TControl::TControl;
};

class TImage : public TControl {
public:
  using TControl::TControl;
  void SetIcon(HICON Icon) { SendMessageA(Handle(), STM_SETICON, reinterpret_cast<WPARAM>(Icon), 0); }
};
