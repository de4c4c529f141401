// The configuration round trip over the control pipe: the fetch into the local
// copy, the send of that copy, the answers that must stop either, and the
// configuration flow around the parameters dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "rtl/exceptions.h"
#include "rtl/files.h"
#include "shared/pipemessages.h"
#include "tests/console/guitest.h"
#include "tests/console/pipetestwnd.h"

namespace {

const char DialogCaption[] = "Configuration du service";
// A configuration that the parameters dialog takes with OK as it stands.
const std::string SampleIni =
    "[General]\r\nLogDetailed=1\r\nTimeBetweenActions=3600\r\n[Transport]\r\nTransport=FTP\r\n"
    "Destination0=127.0.0.1\r\nDestinationDirectory=SHOP01\r\nUsername=CHAIN\r\nPassword=secret\r\n";

std::vector<uint8_t> Bytes(const std::string& Text) { return {Text.begin(), Text.end()}; }

// A file of exactly Size bytes that an INI reader still takes.
std::string IniOfSize(size_t Size) {
  std::string Text = SampleIni + ";";
  Text.resize(Size, 'x');
  return Text;
}

std::string RaisedBy(const std::function<void()>& Call) {
  try {
    Call();
  } catch (const std::exception& Error) {
    return Error.what();
  }
  return "";
}

class ConfigExchange : public PipeClient {
protected:
  std::string Receive() { return RaisedBy([&] { Window->ReceiveConfig(); }); }
  TScriptedPipeServer Server{ControlName};
};

// ---- Fetch --------------------------------------------------------------------------

TEST_F(ConfigExchange, FetchWritesTheServicesBytesAsTheLocalCopy) {
  const std::string Binary = SampleIni + std::string("\0\xE9\xFF\r\n", 5);
  for (const std::string& File : {Binary, IniOfSize(MaxConfigDataSize), std::string()}) {
    SCOPED_TRACE("a file of " + std::to_string(File.size()) + " bytes");
    WriteTextFile(LocalCopy(), "an older copy, longer than the empty one");
    Server.Answer({PipeMessage(AnsGetConfig, File)});
    EXPECT_EQ(Receive(), "");
    EXPECT_TRUE(ReadTextFile(LocalCopy()) == File) << "the local copy differs";
    EXPECT_EQ(Window->StatusText(), "reçois la configuration de cet PC...");
  }
  EXPECT_EQ(Server.Requests(), std::vector<std::vector<uint8_t>>(3, PipeMessage(ReqGetConfig)));
}

// Bytes behind the declared length are not the file's; a late answer is waited for.
TEST_F(ConfigExchange, FetchTakesTheDeclaredBytesOfALongOrLateAnswer) {
  Server.Answer({PipeMessage(AnsGetConfig, Bytes(SampleIni + "trailing bytes"), static_cast<int32_t>(SampleIni.size()))});
  EXPECT_EQ(Receive(), "");
  EXPECT_EQ(ReadTextFile(LocalCopy()), SampleIni);

  Server.Answer({PipeMessage(AnsGetConfig, "[General]\r\n"), 1500});
  EXPECT_EQ(Receive(), "");
  EXPECT_EQ(ReadTextFile(LocalCopy()), "[General]\r\n");
}

// Nothing of a bad answer reaches the local copy, and the dialog never opens on it.
TEST_F(ConfigExchange, BadAnswersToTheFetchRaiseAndLeaveTheCopy) {
  const std::string Kept = "[General]\r\nTimeBetweenActions=77\r\n";
  const std::string Fifty(50, 'a');
  std::vector<uint8_t> Negative = PipeMessage(AnsGetConfig, Bytes(Fifty), -1);
  const struct {
    const char* Trace;
    std::vector<uint8_t> Answer;
    std::string Raised;
  } Cases[] = {
      {"another keyword", PipeMessage(AnsReqUnknown),
       "The service TransportSvc did not send its configuration (answer ANSREQUNKNOWN)"},
      {"less than a header", std::vector<uint8_t>(20, 'A'), "Length error"},
      {"declares 100 bytes, carries 50", PipeMessage(AnsGetConfig, Bytes(Fifty), 100), "Length error"},
      {"declares a negative length", Negative, "Length error"},
      {"the file's first part only",
       PipeMessage(AnsGetConfig, Bytes(IniOfSize(MaxConfigDataSize)), MaxConfigDataSize, PipeErrorConfigTooLong),
       "The configuration file of the service TransportSvc is larger than 16356 bytes and cannot be edited here"},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Trace);
    WriteTextFile(LocalCopy(), Kept);
    TScriptedPipeServer Answering(ControlName + "_bad");
    Window->UsePipes(InfoName, ControlName + "_bad");
    Answering.Answer({Case.Answer});
    EXPECT_EQ(Receive(), Case.Raised);
    EXPECT_EQ(ReadTextFile(LocalCopy()), Kept);
  }
}

TEST_F(ConfigExchange, FetchWithoutAServiceRaisesTheSystemsText) {
  Window->UsePipes(InfoName, ControlName + "_none");
  EXPECT_EQ(Receive(), SysErrorMessage(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(FileExists(LocalCopy()));
}

// ---- Send ---------------------------------------------------------------------------

TEST_F(ConfigExchange, SendCarriesTheWholeLocalCopy) {
  for (const std::string& File : {SampleIni, IniOfSize(MaxConfigDataSize)}) {
    SCOPED_TRACE("a file of " + std::to_string(File.size()) + " bytes");
    WriteTextFile(LocalCopy(), File);
    Server.Answer({PipeMessage(AnsSetConfig)});
    EXPECT_TRUE(Window->SendConfig());
    EXPECT_TRUE(Server.Requests().back() == PipeMessage(ReqSetConfig, File)) << "the request differs";
    EXPECT_EQ(Window->StatusText(), "envoie la configuration à cet PC...");
  }
  EXPECT_TRUE(Boxes.empty());
  // A late acknowledgement is waited for.
  Server.Answer({PipeMessage(AnsSetConfig), 1500});
  EXPECT_TRUE(Window->SendConfig());
}

// "/TIME:120" stays in the local copy and goes with every send.
TEST_F(ConfigExchange, TimeSwitchIsWrittenIntoTheCopyBeforeEverySend) {
  Window->SetTimeOverride(120);
  Server.Answer({PipeMessage(AnsSetConfig)});
  WriteTextFile(LocalCopy(), SampleIni);
  ASSERT_TRUE(Window->SendConfig());
  const std::string Sent = ReadTextFile(LocalCopy());
  EXPECT_NE(Sent.find("TimeBetweenActions=120"), std::string::npos) << Sent;
  EXPECT_EQ(Sent.find("TimeBetweenActions=3600"), std::string::npos) << Sent;
  EXPECT_NE(Sent.find("Transport=FTP"), std::string::npos) << Sent;
  EXPECT_EQ(Server.Requests().back(), PipeMessage(ReqSetConfig, Sent));

  // A missing copy is made with that one key, and sent.
  DeleteFileA(LocalCopy().c_str());
  ASSERT_TRUE(Window->SendConfig());
  EXPECT_EQ(ReadLines(LocalCopy()), (std::vector<std::string>{"[General]", "TimeBetweenActions=120"}));
  EXPECT_EQ(Server.Requests().back(), PipeMessage(ReqSetConfig, ReadTextFile(LocalCopy())));
}

// Every failure is shown in the status panel and an error box, and reported to
// the caller; none raises.
TEST_F(ConfigExchange, FailedSendsAreReportedNotRaised) {
  const struct {
    const char* Trace;
    std::vector<uint8_t> Answer;
    std::string Shown;
  } Cases[] = {
      {"file not replaced", PipeMessage(AnsSetConfig, "", PipeErrorConfigNotReplaced),
       "The service TransportSvc could not replace its configuration file and keeps the old one"},
      {"data missing", PipeMessage(AnsSetConfig, "", PipeErrorDataMissing),
       "The service TransportSvc did not receive the whole configuration and keeps the old one"},
      {"an error of a later service", PipeMessage(AnsSetConfig, "", 9),
       "The service TransportSvc refused the configuration (error 9) and keeps the old one"},
      {"another keyword", PipeMessage(AnsReqUnknown), "Wrong acknowledgement from the service TransportSvc"},
      {"less than a header", std::vector<uint8_t>(27, 'A'), "Length error"},
  };
  WriteTextFile(LocalCopy(), SampleIni);
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Trace);
    Boxes.clear();
    TScriptedPipeServer Answering(ControlName + "_bad");
    Window->UsePipes(InfoName, ControlName + "_bad");
    Answering.Answer({Case.Answer});
    EXPECT_FALSE(Window->SendConfig());
    EXPECT_EQ(Window->StatusText(), Case.Shown);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, Case.Shown);
    EXPECT_EQ(Boxes[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  }
}

TEST_F(ConfigExchange, SendWithoutAServiceOrACopyIsReported) {
  Window->UsePipes(InfoName, ControlName + "_none");
  WriteTextFile(LocalCopy(), SampleIni);
  EXPECT_FALSE(Window->SendConfig());
  EXPECT_EQ(Window->StatusText(), SysErrorMessage(ERROR_FILE_NOT_FOUND));

  Window->UsePipes(InfoName, ControlName);
  DeleteFileA(LocalCopy().c_str());
  EXPECT_FALSE(Window->SendConfig());
  EXPECT_EQ(Window->StatusText(), "System Error.  Code: 2.\r\n" + SysErrorMessage(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(Server.Requests().empty());
  EXPECT_EQ(Boxes.size(), 2u);
}

// A copy one byte too long would replace the service's file with its first part.
TEST_F(ConfigExchange, CopyLongerThanOneMessageIsNotSent) {
  Server.Answer({PipeMessage(AnsSetConfig)});
  WriteTextFile(LocalCopy(), IniOfSize(MaxConfigDataSize + 1));
  EXPECT_FALSE(Window->SendConfig());
  EXPECT_EQ(Window->StatusText(),
            "The configuration " + LocalCopy() + " is larger than 16356 bytes: it was not sent");
  EXPECT_TRUE(Server.Requests().empty());
  ASSERT_EQ(Boxes.size(), 1u);
}

// ---- The flow around the parameters dialog ---------------------------------------------

class ConfigFlow : public ConfigExchange {
protected:
  // ConfigureService with the dialog answered by pressing Button; what it raised.
  std::string Configure(const char* Button) {
    TWatchdog Watchdog;
    TModalDriver Drive(DialogCaption, [&](HWND Dialog) {
      DialogSeen = true;
      PostMessageA(FindChild(Dialog, Button), BM_CLICK, 0, 0);
      return true;
    });
    const std::string Raised = RaisedBy([&] { Window->ConfigureService(); });
    Watchdog.Stop();
    EXPECT_FALSE(Drive.GaveUp()) << Button << " did not close the dialog";
    EXPECT_FALSE(Watchdog.Fired());
    return Raised;
  }
  static HWND FindChild(HWND Dialog, const char* Name) {
    return TForm::FromHandle(Dialog)->Find<TButton>(Name).Handle();
  }
  void SetUp() override {
    ConfigExchange::SetUp();
    ASSERT_TRUE(Window->OpenHandlesForATriedRestart("RpcSs") || Window->OpenHandlesForATriedRestart("PlugPlay"));
  }
  const std::string RestartTried = "System Error.  Code: 1060.\r\n" + SysErrorMessage(ERROR_SERVICE_DOES_NOT_EXIST);
  bool DialogSeen = false;
};

TEST_F(ConfigFlow, OkSendsTheEditedCopyAndRestarts) {
  Server.Answer({PipeMessage(AnsGetConfig, SampleIni)});
  Server.Answer({PipeMessage(AnsSetConfig)});
  EXPECT_EQ(Configure("BtnOK"), RestartTried);
  EXPECT_TRUE(DialogSeen);
  const auto Requests = Server.Requests();
  ASSERT_EQ(Requests.size(), 2u);
  EXPECT_EQ(Requests[1], PipeMessage(ReqSetConfig, ReadTextFile(LocalCopy())));
  EXPECT_NE(ReadTextFile(LocalCopy()).find("TimeBetweenActions=3600"), std::string::npos);
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(ConfigFlow, FailedSendDoesNotRestart) {
  Server.Answer({PipeMessage(AnsGetConfig, SampleIni)});
  Server.Answer({PipeMessage(AnsSetConfig, "", PipeErrorConfigNotReplaced)});
  EXPECT_EQ(Configure("BtnOK"), "") << "the restart was tried";
  EXPECT_TRUE(DialogSeen);
  EXPECT_EQ(Window->StatusText(), "Configuration non envoyée: le service n'a pas été redémarré");
  // The ticks that follow leave the note for the operator to read.
  Window->PollService();
  Window->QueryStatistics();
  EXPECT_EQ(Window->StatusText(), "Configuration non envoyée: le service n'a pas été redémarré");
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Boxes[0].Text,
            std::string("The service ") + NoSuchService + " could not replace its configuration file and keeps the old one");
}

TEST_F(ConfigFlow, CancelSendsNothing) {
  Server.Answer({PipeMessage(AnsGetConfig, SampleIni)});
  EXPECT_EQ(Configure("BtnCancel"), "");
  EXPECT_TRUE(DialogSeen);
  EXPECT_EQ(Server.Requests().size(), 1u);
  EXPECT_EQ(ReadTextFile(LocalCopy()), SampleIni);
}

TEST_F(ConfigFlow, ConfigurationTooLargeOpensNoDialog) {
  Server.Answer({PipeMessage(AnsGetConfig, Bytes(IniOfSize(MaxConfigDataSize)), MaxConfigDataSize,
                             PipeErrorConfigTooLong)});
  const std::string TooLarge = std::string("The configuration file of the service ") + NoSuchService +
                               " is larger than 16356 bytes and cannot be edited here";
  EXPECT_EQ(Configure("BtnOK"), TooLarge);
  EXPECT_FALSE(DialogSeen);
  EXPECT_EQ(Window->StatusText(), TooLarge);
  EXPECT_EQ(Server.Requests().size(), 1u);
}

}  // namespace
