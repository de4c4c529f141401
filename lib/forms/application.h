// The program's application object: its title, the main message loop, the
// error box for exceptions that leave a handler, and the hourglass cursor.
#pragma once
#include <windows.h>

#include <exception>
#include <string>

class TForm;

class TApplication {
public:
  std::string Title;

  // Shows the main form and dispatches messages until it is closed.
  void Run(TForm& MainForm);
  void Terminate() { PostQuitMessage(0); }
  // Dispatches the messages that are waiting, then returns.
  void ProcessMessages();
  // The error box of an exception that left a handler; the program goes on.
  void ShowException(const std::exception& Error);
  TForm* MainForm() const { return FMainForm; }

  // The hourglass over every window of the program while a count is held.
  void BeginWait();
  void EndWait();
  bool Waiting() const { return FWaitCount > 0; }

private:
  TForm* FMainForm = nullptr;
  int FWaitCount = 0;
};

extern TApplication Application;

// The hourglass for the length of a scope; the previous cursor comes back
// also when the scope is left by an exception.
class THourglass {
public:
  THourglass() { Application.BeginWait(); }
  ~THourglass() { Application.EndWait(); }
  THourglass(const THourglass&) = delete;
  THourglass& operator=(const THourglass&) = delete;
};
