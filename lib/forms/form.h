// A form: a top-level window built from its table of controls, shown modeless
// as the main window or modal with a modal result.
#pragma once
#include <windows.h>

#include <map>
#include <stdexcept>
#include <memory>
#include <string>
#include <vector>

#include "forms/control.h"
#include "forms/errorreport.h"
#include "forms/formdef.h"
#include "forms/timer.h"

enum TFormBorder : uint8_t {
  fbSizeable,  // the main window
  fbDialog,    // fixed size, system menu
  fbSizeableNoIcons,  // sizeable, no system menu and no close box
};

struct TFormDef {
  int ClientWidth, ClientHeight;
  TFormBorder Border = fbDialog;
  int MinWidth = 0, MinHeight = 0;  // smallest window; 0 = no limit
  const char* FontName = "MS Sans Serif";
  int FontHeight = 11;  // pixels: 8 points at 96 dots per inch
};

class TForm {
public:
  explicit TForm(HWND Owner = nullptr);
  // Creates the window; the controls follow as the descendant's members are initialised.
  TForm(HWND Owner, const TFormDef& Def);
  virtual ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  // The creation and destruction handlers, run by TFormPtr's New and delete.
  virtual void FormCreate() {}
  virtual void FormDestroy() {}
  virtual void FormCloseQuery(bool& /*CanClose*/) {}

  HWND Handle() const { return FHandle; }
  std::string Caption() const;
  void SetCaption(const std::string& Value);

  // Shows the form and waits, its owner disabled, until a modal result is set.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  void Show();
  // A modal form closes with mrCancel; a form that ends the program posts the quit message.
  void Close();
  // Set by Application.Run on its main form.
  void SetEndsProgram(bool Value) { FEndsProgram = Value; }

  // A control by its row's name (a row's container, a test).
  template <class T>
  T& Find(const std::string& Name) const {
    auto Found = FByName.find(Name);
    if (Found == FByName.end()) { throw std::logic_error("no control " + Name); }
    return dynamic_cast<T&>(*Found->second);
  }
  template <class T>
  std::vector<T*> ControlsOf() const {
    std::vector<T*> Result;
    for (const auto& Control : FControls) {
      if (T* Typed = dynamic_cast<T*>(Control.get())) { Result.push_back(Typed); }
    }
    return Result;
  }

  void SetHint(HWND Control, const std::string& Text);
  // Runs a handler; an exception leaving it is shown in an error box.
  template <class F>
  void Invoke(F&& Handler) noexcept;

  static TForm* FromHandle(HWND Handle);

  // Ends the form's window and runs its destruction handler; TFormDeleter's first step.
  void BeforeDestruction();

protected:
  // A control just made from its row, as the member of the row's kind that it initialises.
  class TNewControl {
  public:
    explicit TNewControl(TControl& Control) : FControl(Control) {}
    template <class T>
    operator T&() const {
      if (T* Typed = dynamic_cast<T*>(&FControl)) { return *Typed; }
      throw std::logic_error("the member of the control " + FControl.Name() + " is of another kind");
    }

  private:
    TControl& FControl;
  };
  // Creates a row's control and binds its handler; a form declares each control
  // with its row, in creation order:
  //   TEdit& EdValue = Add<D>({"EdValue", ckEdit, "", 8, 40, 220, 21});
  template <class TOwner>
  TNewControl Add(const TControlDef<TOwner>& Row);
  // Creates the window and the controls of a table that no member names.
  template <class TOwner, size_t N>
  void CreateForm(const TFormDef& Def, const TControlDef<TOwner> (&Rows)[N]);
  TTimer& AddTimer(UINT Interval);

private:
  struct TRowData {
    const char* Name;
    TControlKind Kind;
    const char* Parent;
    int X, Y, W, H;
    TModalResult ModalResult;
    TButtonStyle Style;
    uint32_t Options;
    TAlign Align;
  };
  void CreateWindowFor(const TFormDef& Def);
  TControl& CreateControl(const TRowData& Row);
  HWND CreateControlWindow(const TRowData& Row, HWND Parent);
  // The control object of a row's kind over its window.
  std::unique_ptr<TControl> MakeControl(const TRowData& Row, HWND Handle, HWND Parent);
  // The form owns the control, finds it by name and lays it out.
  TControl& AddControl(std::unique_ptr<TControl> Control, const TRowData& Row);
  HWND ParentHandle(const char* Parent) const;
  HFONT FontFor(uint32_t Options);
  void Realign(HWND Container);
  TTimer* TimerById(UINT_PTR Id) const;
  // Runs FormCloseQuery; true when the form may close.
  bool CloseQueryGranted();
  LRESULT WindowProc(UINT Message, WPARAM WParam, LPARAM LParam);
  static LRESULT CALLBACK FormProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  static LRESULT CALLBACK PanelProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  static void RegisterClasses();

  HWND FOwner;
  HWND FHandle = nullptr;
  HWND FToolTip = nullptr;
  int FMinWidth = 0, FMinHeight = 0;
  TModalResult FModalResult = mrNone;
  bool FModal = false;
  bool FCloseGranted = false;  // a close of the modal form was asked and granted
  bool FEndsProgram = false;
  std::vector<std::unique_ptr<TControl>> FControls;
  std::map<std::string, TControl*> FByName;
  std::vector<std::pair<TControl*, TAlign>> FAligned;
  std::vector<HWND> FPadded;
  std::vector<std::unique_ptr<TTimer>> FTimers;
  HFONT FFont = nullptr, FBoldFont = nullptr, FLargeBoldFont = nullptr;
  int FFontHeight = 14;
  std::string FFontName;
  UINT FNextId = 100;
  UINT FDefaultId = 0;
};

// A form is created and freed through these, so that its creation and
// destruction handlers run as virtual functions of the whole form.
struct TFormDeleter {
  void operator()(TForm* Form) const {
    Form->BeforeDestruction();
    delete Form;
  }
};
template <class T>
using TFormPtr = std::unique_ptr<T, TFormDeleter>;

template <class T, class... A>
TFormPtr<T> NewForm(A&&... Args) {
  TFormPtr<T> Form(new T(std::forward<A>(Args)...));
  Form->Invoke([&] { Form->FormCreate(); });
  return Form;
}

template <class F>
void TForm::Invoke(F&& Handler) noexcept {
  try {
    Handler();
  } catch (const std::exception& Error) {
    ShowException(Error);
  }
}

template <class TOwner>
TForm::TNewControl TForm::Add(const TControlDef<TOwner>& Row) {
  TControl& Control = CreateControl(
      {Row.Name, Row.Kind, Row.Parent, Row.X, Row.Y, Row.W, Row.H, Row.ModalResult, Row.Style, Row.Options, Row.Align});
  if (Row.OnClick) {
    TOwner* Owner = static_cast<TOwner*>(this);
    auto Handler = Row.OnClick;
    Control.OnClick = [Owner, Handler] { (Owner->*Handler)(); };
  }
  return TNewControl(Control);
}

template <class TOwner, size_t N>
void TForm::CreateForm(const TFormDef& Def, const TControlDef<TOwner> (&Rows)[N]) {
  CreateWindowFor(Def);
  for (const TControlDef<TOwner>& Row : Rows) { Add(Row); }
}
