// Forms as data: one row a component, in creation order. A form's table reads
// like its design: name, kind, container, bounds, handler, options; each row
// makes the member it initialises (TForm::Add). Captions come from the string
// table when the form is created.
#pragma once
#include <windows.h>

#include <cstdint>

enum TControlKind : uint8_t {
  ckLabel,        // STATIC text
  ckStaticText,   // STATIC text with a sunken soft bevel, centred
  ckImage,        // STATIC showing an icon
  ckEdit,         // EDIT, one line
  ckButton,       // push BUTTON
  ckSpeedButton,  // small push BUTTON beside an edit ("...")
  ckCheckBox,     // BUTTON, auto check box
  ckRadioButton,  // BUTTON, auto radio button; one group per container
  ckComboList,    // COMBOBOX, drop-down list without free text
  ckSpinEdit,     // EDIT with an msctls_updown32 buddy
  ckPanel,        // container of our own
  ckPageControl,  // SysTabControl32; its pages are the ckTabSheet rows it contains
  ckTabSheet,     // container shown while its tab is selected
  ckStatusBar,    // msctls_statusbar32
  ckRichEdit,     // RichEdit 2.0, read-only report with a vertical scroll bar
};

enum TAlign : uint8_t { alNone, alTop, alBottom, alClient };

enum TModalResult : int32_t { mrNone = 0, mrOK = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO };

enum TButtonStyle : uint8_t { bsNormal, bsDefault, bsCancel };

// Options of a row, or-ed together.
enum TControlOption : uint32_t {
  coNone = 0,
  coDisabled = 1 << 0,
  coHidden = 1 << 1,
  coChecked = 1 << 2,
  coWordWrap = 1 << 3,    // labels and check boxes: several lines
  coRightAlign = 1 << 4,  // labels: text to the right
  coBold = 1 << 5,        // the form's font, bold
  coLargeFont = 1 << 6,   // one pixel higher than the form's font
  coReadOnly = 1 << 7,
  coNoTabStop = 1 << 8,
  coPadded = 1 << 9,     // panels: aligned children keep 4 pixels from the edges
};

template <class TOwner>
struct TControlDef {
  const char* Name;
  TControlKind Kind;
  const char* Parent;  // "" = the form itself
  int X, Y, W, H;
  void (TOwner::*OnClick)() = nullptr;  // click of a button or box, change of a list
  TModalResult ModalResult = mrNone;
  TButtonStyle Style = bsNormal;
  uint32_t Options = coNone;
  TAlign Align = alNone;
};
