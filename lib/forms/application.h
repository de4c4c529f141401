// The program's application object: its title and the main message loop.
#pragma once
#include <windows.h>

#include <string>

class TForm;

class TApplication {
public:
  std::string Title;

  // Shows the main form and dispatches messages until it is closed; closing it ends the program.
  void Run(TForm& MainForm);
  // Dispatches the messages that are waiting, then returns.
  void ProcessMessages();
};

extern TApplication Application;
