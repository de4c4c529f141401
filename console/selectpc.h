// The dialog in which the operator types or picks the PC to watch.
#pragma once
#include "forms/form.h"
#include "forms/stdctrls.h"

class TSelectPcDlg : public TForm {
public:
  explicit TSelectPcDlg(HWND Owner);

  // Empty means this PC.
  std::string PcName() const { return EdPc.Text(); }
  void SetPcName(const std::string& Value) { EdPc.SetText(Value); }

  void FormCreate() override;
  void BtnPcClick();

private:
  void LocalizeCaptions();
  static const TControlDef<TSelectPcDlg> Controls[];
  TLabel& LabPrompt;
  TEdit& EdPc;
  TButton& BtnPc;
  TButton& BtnOK;
  TButton& BtnCancel;
};
