// The end-to-end harness of the console: the real norvask.exe installed in
// Wine's service control manager from a folder of its own, the real
// norvask_cfg.exe started beside it and driven from outside through the probe.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "rtl/files.h"
#include "support/installedservice.h"
#include "support/localservice.h"
#include "support/scratchdir.h"
#include "support/testprogram.h"
#include "support/waitfor.h"
#include "support/winprobe.h"

constexpr DWORD ServiceWaitMs = 60000;
// A Wine program's first window can take a while under emulation.
constexpr DWORD WindowWaitMs = 240000;
inline const char MainCaption[] = "Envoi des fichiers";

inline std::string LogonAccount() {
  const TLocalService Service = OpenLocalService(TransportServiceName, SERVICE_QUERY_CONFIG);
  std::string Account;
  std::vector<char> Buffer(8192);
  auto* Config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(Buffer.data());
  DWORD Needed = 0;
  if (QueryServiceConfigA(Service.Get(), Config, static_cast<DWORD>(Buffer.size()), &Needed) &&
      Config->lpServiceStartName) {
    Account = Config->lpServiceStartName;
  }
  return Account;
}

// One service folder and one console folder for a whole suite: starting a
// Wine program is the slow part, so the steps share one running console.
class ConsoleEndToEndBase : public testing::Test {
protected:
  // The service installed from Folder's "service" subfolder with this INI file, and started.
  static void SetUpService(const std::string& Folder, const std::string& Ini) {
    Dir = new TScratchDir(Folder);
    ServiceDir = Dir->Path() + "\\service";
    ConsoleDir = Dir->Path() + "\\console";
    ForceDirectories(ServiceDir);
    ForceDirectories(ConsoleDir);
    CopyFileA(std::getenv("NORVASK_EXE"), (ServiceDir + "\\norvask.exe").c_str(), FALSE);
    CopyFileA(std::getenv("NORVASK_CFG_EXE"), (ConsoleDir + "\\norvask_cfg.exe").c_str(), FALSE);
    WriteTextFile(ServiceDir + "\\norvask.ini", Ini);
    Service = std::make_unique<TInstalledService>(ServiceDir + "\\norvask.exe", TransportServiceName, ServiceWaitMs);
    Service->Install();
    Service->Start();
  }
  static void StartConsole(const std::string& Arguments) {
    Console = StartProgram("\"" + ConsoleDir + "\\norvask_cfg.exe\" " + Arguments, ConsoleDir);
    Main = WaitForTopWindow(MainCaption, WindowWaitMs, Console.ProcessId);
  }
  static bool CloseConsole() {
    Click(Control("BtnClose"));
    return WaitForSingleObject(Console.Process, 60000) == WAIT_OBJECT_0;
  }
  static void TearDownTestSuite() {
    if (Console.Process) { EndProgram(Console, 20000); }
    Service.reset();
    delete Dir;
    Dir = nullptr;
  }
  void SetUp() override { ASSERT_NE(Main, nullptr) << "the console's main window did not show"; }

  static HWND Control(const std::string& Name) { return FindControl(Main, Name); }
  // The text in the status bar's last panel (right-aligned by tabs).
  static std::string StateText() {
    const std::string Text = StatusPanelText(Control("SbMain"), 4);
    const size_t Start = Text.find_first_not_of('\t');
    return Start == std::string::npos ? std::string() : Text.substr(Start);
  }
  // What the window shows, for a failure's message.
  static std::string Shown() {
    return std::string("start ") + (IsEnabled(Control("BtnSrvStart")) ? "on" : "off") + ", stop " +
           (IsEnabled(Control("BtnSrvStop")) ? "on" : "off") + ", configure " +
           (IsEnabled(Control("BtnConfigure")) ? "on" : "off") + ", state \"" + StateText() + "\"";
  }
  // The buttons and the state text for a service that runs, is stopped, or
  // is missing. A running service's statistics clear the state text once they
  // have been shown.
  static bool ShowsRunning() {
    return WaitFor([] {
      const std::string State = StateText();
      return !IsEnabled(Control("BtnSrvStart")) && IsEnabled(Control("BtnSrvStop")) &&
             IsEnabled(Control("BtnConfigure")) && (State == "Service est en cours d'exécution" || State.empty());
    }, ServiceWaitMs);
  }
  static bool ShowsStopped() {
    return WaitFor([] { return IsEnabled(Control("BtnSrvStart")) && !IsEnabled(Control("BtnSrvStop")) &&
                               !IsEnabled(Control("BtnConfigure")) && StateText() == "Service s'est arrêté"; },
                   ServiceWaitMs);
  }
  static bool ShowsMissing() {
    return WaitFor([] { return !IsEnabled(Control("BtnSrvStart")) && !IsEnabled(Control("BtnSrvStop")) &&
                               !IsEnabled(Control("BtnConfigure")) &&
                               StateText().rfind("accès au service est absent sur cet PC: ", 0) == 0; }, ServiceWaitMs);
  }
  // The colour at the middle of a status-bar LED, as the screen shows it.
  static COLORREF LedColour(int Panel) {
    HWND Bar = Control("SbMain");
    const RECT Place = StatusPanelRect(Bar, Panel);
    POINT At{Place.left + 6, 0};
    RECT Client;
    GetClientRect(Bar, &Client);
    At.y = (Client.bottom - 13) / 2 + 6;
    ClientToScreen(Bar, &At);
    HDC Screen = GetDC(nullptr);
    const COLORREF Colour = GetPixel(Screen, At.x, At.y);
    ReleaseDC(nullptr, Screen);
    return Colour;
  }
  static bool LedOn(int Panel) { return GetGValue(LedColour(Panel)) > 150 && GetRValue(LedColour(Panel)) < 100; }

  inline static TScratchDir* Dir = nullptr;
  inline static std::unique_ptr<TInstalledService> Service;
  inline static std::string ServiceDir, ConsoleDir;
  inline static TStartedProgram Console;
  inline static HWND Main = nullptr;
};
