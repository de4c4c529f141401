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
  using D = TSelectPcDlg;
  // Tab order: OK, Cancel, then the name.
  //                             name         kind            parent  x    y    w    h  on click                    modal result style
  TLabel& LabPrompt  = Add<D>({"LabPrompt",   ckLabel,        "",     7,   6, 257,  49, nullptr, mrNone, bsNormal, coWordWrap});
  TButton& BtnOK     = Add<D>({"BtnOK",       ckButton,       "",    52,  98,  75,  25, nullptr, mrOK, bsDefault});
  TButton& BtnCancel = Add<D>({"BtnCancel",   ckButton,       "",   144,  98,  75,  25, nullptr, mrCancel, bsCancel});
  TEdit& EdPc        = Add<D>({"EdPc",        ckEdit,         "",     7,  62, 217,  21});
  TButton& BtnPc     = Add<D>({"BtnPc",       ckSpeedButton,  "",   232,  60,  26,  24, &D::BtnPcClick});
};
