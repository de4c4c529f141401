// norvask_cfg.exe started with "/CONFIG" beside the real norvask.exe: values
// changed on each page of the parameters dialog from outside, as an operator
// would, arrive in the service's own norvask.ini once OK is pressed.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "rtl/files.h"
#include "support/quietfailures.h"
#include "support/scratchdir.h"
#include "support/winprobe.h"
#include "tests/console/e2e_harness.h"

namespace {

bool Holds(const std::string& Text, const std::string& Line) { return Text.find(Line + "\r\n") != std::string::npos; }

TEST(ConsolePagesEndToEnd, ValuesOfEachPageReachTheServicesFile) {
  TScratchDir Dir("norvask_cfg_pages_e2e");
  const std::string ServiceDir = Dir.Path() + "\\service", ConsoleDir = Dir.Path() + "\\console";
  const std::string Shop = Dir.Path() + "\\shop", Out = Dir.Path() + "\\out";
  for (const std::string& Folder : {ServiceDir, ConsoleDir, Shop, Out}) { ForceDirectories(Folder); }
  CopyFileA(std::getenv("NORVASK_EXE"), (ServiceDir + "\\norvask.exe").c_str(), FALSE);
  CopyFileA(std::getenv("NORVASK_CFG_EXE"), (ConsoleDir + "\\norvask_cfg.exe").c_str(), FALSE);
  WriteTextFile(ServiceDir + "\\norvask.ini",
                "[General]\r\nTimeBetweenActions=3600\r\n[Directory0]\r\nTrackDirectory=" + Shop +
                    "\r\n[Transport]\r\nTransport=COPY\r\nDestination0=" + Out +
                    "\r\nDestinationDirectory=SHOP01\r\nUsername=\r\n");
  TInstalledService Service(ServiceDir + "\\norvask.exe", TransportServiceName, ServiceWaitMs);
  ASSERT_TRUE(Service.Install());
  ASSERT_TRUE(Service.Start());
  TStartedProgram Console = StartProgram("\"" + ConsoleDir + "\\norvask_cfg.exe\" /CONFIG", ConsoleDir);

  const HWND Dialog = WaitForTopWindow("Configuration du service", WindowWaitMs, Console.ProcessId);
  ASSERT_NE(Dialog, nullptr);
  auto Control = [&](const char* Name) { return FindControl(Dialog, Name); };
  EXPECT_EQ(WindowText(Control("EdDestination")), Out);
  EXPECT_EQ(CheckState(Control("RbModeCopy")), BST_CHECKED);
  // General: a longer interval, no messages, the detailed log.
  SetEditText(Control("SeFreq"), "900");
  Click(Control("CbMsg"));
  Click(Control("CbLogDetailed"));
  // Transfer: another shop and a second destination typed with a backslash.
  SetEditText(Control("EdDestDir"), "SHOP42");
  Click(Control("CbDestination1"));
  SetEditText(Control("EdDestination1"), Out + "2\\");
  // Additional: the region to send.
  Click(Control("CbRegion"));
  SetEditText(Control("EdRegion"), "Bretagne");
  Click(Control("BtnOK"));

  // The log line tells when the file has come: polling the file itself would
  // hold it open just when the service replaces it by a rename, which then fails.
  const std::string Ini = ServiceDir + "\\norvask.ini", Log = ServiceDir + "\\norvask.log";
  EXPECT_TRUE(WaitFor([&] { return Holds(ReadTextFile(Log), "\tService configuration file updated by client"); },
                      ServiceWaitMs)) << ReadTextFile(Log);
  EXPECT_TRUE(Holds(ReadTextFile(Ini), "TimeBetweenActions=900")) << ReadTextFile(Ini);
  EXPECT_TRUE(WaitFor([] { return ServiceState() == SERVICE_RUNNING; }, ServiceWaitMs));
  const std::string Saved = ReadTextFile(Ini);
  for (const std::string& Line : {std::string("LogDetailed=1"), std::string("Messages=0"), std::string("Scb=1"),
                                  std::string("Transport=COPY"), std::string("DestinationDirectory=SHOP42"),
                                  "Destination1=" + Out + "2", std::string("Username=.\\LocalSystem"),
                                  std::string("RegionSend=1"), std::string("RegionName=Bretagne")}) {
    EXPECT_TRUE(Holds(Saved, Line)) << Line << " in\n" << Saved;
  }
  const std::string Request = ReadTextFile(Shop + "\\shopinfo.arg");
  EXPECT_NE(Request.find("#    Shop   :  (SHOP42)\r\n"), std::string::npos) << Request;
  EXPECT_NE(Request.find("\r\nregion=Bretagne\r\n"), std::string::npos) << Request;

  EndProgram(Console, 20000);
}

}  // namespace
