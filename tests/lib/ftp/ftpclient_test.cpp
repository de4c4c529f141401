// The FTP client against pyftpdlib and the scripted servers on 127.0.0.1.
#include "ftp/ftpclient.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <thread>

#include "ftp/ftperror.h"
#include "support/ftptestenv.h"
#include "support/waitfor.h"

using namespace FtpTestEnv;

namespace {

struct TUploadCase {
  bool Passive;
  uint64_t Size;
  const char* Name;
};

class FtpUpload : public ::testing::TestWithParam<TUploadCase> {};

TEST_P(FtpUpload, ArrivesByteForByte) {
  const TUploadCase& Case = GetParam();
  std::string Local = LocalPath(Case.Name);
  WritePatternFile(Local, Case.Size);
  TFtpClient Client;
  SetUpClient(Client);
  Client.Passive = Case.Passive;
  Client.Connect();
  Client.Put(Local, Case.Name);
  EXPECT_TRUE(SameContents(Local, HomePath(Case.Name)));
  Client.Quit();
  EXPECT_FALSE(Client.Connected());
}

INSTANTIATE_TEST_SUITE_P(
    PassiveAndActive, FtpUpload,
    ::testing::Values(TUploadCase{true, 0, "pasv-empty.bin"}, TUploadCase{true, 1000, "pasv-small.bin"},
                      TUploadCase{true, 50u << 20, "pasv-large.bin"}, TUploadCase{false, 0, "port-empty.bin"},
                      TUploadCase{false, 1000, "port-small.bin"}, TUploadCase{false, 50u << 20, "port-large.bin"}),
    [](const auto& Info) { return std::string(Info.param.Passive ? "Passive" : "Active") + std::to_string(Info.index); });

TEST(FtpClient, UploadReplacesAnExistingFile) {
  std::string Big = LocalPath("replace-big.bin");
  std::string Small = LocalPath("replace-small.bin");
  WritePatternFile(Big, 300000);
  WritePatternFile(Small, 10);
  TFtpClient Client;
  SetUpClient(Client);
  Client.Connect();
  Client.Put(Big, "replaced.bin");
  Client.Put(Small, "replaced.bin");
  EXPECT_TRUE(SameContents(Small, HomePath("replaced.bin")));
  Client.Quit();
}

TEST(FtpClient, RefusalsCarryTheServerTextAndKeepTheSession) {
  TFtpClient Client;
  SetUpClient(Client);
  Client.Connect();
  try {
    Client.MakeDir("/readonly/new");
    FAIL() << "MKD in a read-only folder succeeded";
  } catch (const EFtpError& E) {
    EXPECT_EQ(550, E.ReplyCode());
    EXPECT_EQ("Not enough privileges.", E.Message());
  }
  EXPECT_THROW(Client.ChangeDir("/locked"), EFtpError);
  EXPECT_THROW(Client.ChangeDir("/missing"), EFtpError);
  std::string Local = LocalPath("refused.txt");
  WritePatternFile(Local, 100);
  EXPECT_THROW(Client.Put(Local, "/readonly/refused.txt"), EFtpError);
  EXPECT_FALSE(FileExists(HomePath("readonly/refused.txt")));
  EXPECT_THROW(Client.Put(LocalPath("no-such-file.txt"), "x.txt"), Exception);
  EXPECT_THROW(Client.Delete("/readonly/kept.txt"), EFtpError);
  EXPECT_TRUE(Client.Connected());
  Client.ChangeDir("/readonly");
  Client.Quit();
}

// The session keeps its data connection's socket object from one transfer to
// the next: whatever ended the last one, the next starts clean.
TEST(FtpClient, UploadsInARowEachArriveWhateverEndedTheLastOne) {
  std::string Sizes[] = {"row-0.bin", "row-1.bin", "row-2.bin"};
  WritePatternFile(LocalPath(Sizes[0]), 0);
  WritePatternFile(LocalPath(Sizes[1]), 1000);
  WritePatternFile(LocalPath(Sizes[2]), 300000);
  for (bool Passive : {true, false}) {
    SCOPED_TRACE(Passive ? "passive" : "active");
    TFtpClient Client;
    SetUpClient(Client);
    Client.Passive = Passive;
    Client.Connect();
    for (int Round = 0; Round < 3; ++Round) {
      for (const std::string& Name : Sizes) {
        const std::string Remote = std::string(Passive ? "p" : "a") + std::to_string(Round) + Name;
        Client.Put(LocalPath(Name), Remote);
        EXPECT_TRUE(SameContents(LocalPath(Name), HomePath(Remote))) << Remote;
      }
      EXPECT_THROW(Client.Put(LocalPath(Sizes[1]), "/readonly/refused.bin"), EFtpError);
    }
    Client.Quit();
  }
}

TEST(FtpClient, MakesEntersAndDeletes) {
  TFtpClient Client;
  SetUpClient(Client);
  Client.Connect();
  Client.MakeDir("/made");
  Client.ChangeDir("/made");
  std::string Local = LocalPath("deleted.txt");
  WritePatternFile(Local, 100);
  Client.Put(Local, "deleted.txt");
  ASSERT_TRUE(FileExists(HomePath("made/deleted.txt")));
  Client.Delete("deleted.txt");
  EXPECT_FALSE(FileExists(HomePath("made/deleted.txt")));
  EXPECT_THROW(Client.Delete("deleted.txt"), EFtpError);
  Client.Quit();
}

// Real servers greet with several lines: the log-on and the commands after it
// must each get their own answers, not the greeting's later lines.
TEST(FtpClient, MultiLineGreetingIsOneReply) {
  TFtpClient Client;
  SetUpClient(Client, "banner");
  Client.Connect();
  std::string Local = LocalPath("greeted.txt");
  WritePatternFile(Local, 100);
  Client.Put(Local, "greeted.txt");
  EXPECT_TRUE(SameContents(Local, HomePath("greeted.txt")));
  Client.Delete("greeted.txt");
  EXPECT_FALSE(FileExists(HomePath("greeted.txt")));
  Client.Quit();
}

// EnterDir skips the folder command only where the session is known to be: a
// stale guess would put the file into the wrong folder.
TEST(FtpClient, EnterDirLandsEveryUploadInItsFolder) {
  TFtpClient Client;
  SetUpClient(Client);
  Client.Connect();
  for (const char* Folder : {"/enter-a", "/enter-b", "/enter-a/sub"}) {
    try {
      Client.MakeDir(Folder);
    } catch (const EFtpError&) {
      // left by an earlier run
    }
  }
  std::string Local = LocalPath("entered.txt");
  WritePatternFile(Local, 10);
  Client.EnterDir("/enter-a");
  Client.Put(Local, "1.txt");
  Client.EnterDir("/enter-a");
  Client.Put(Local, "2.txt");
  Client.EnterDir("/enter-b");
  Client.Put(Local, "3.txt");
  Client.ChangeDir("/enter-a");
  Client.ChangeDir("sub");  // relative: the session's folder is no longer known by name
  Client.EnterDir("/enter-a");
  Client.Put(Local, "4.txt");
  // A new session starts at the server's root, whatever the old one entered last.
  Client.Quit();
  Client.Connect();
  Client.EnterDir("/enter-a");
  Client.Put(Local, "5.txt");
  Client.Quit();
  for (const char* Path : {"enter-a/1.txt", "enter-a/2.txt", "enter-b/3.txt", "enter-a/4.txt", "enter-a/5.txt"}) {
    EXPECT_TRUE(FileExists(HomePath(Path))) << Path;
  }
  EXPECT_FALSE(FileExists(HomePath("enter-a/sub/4.txt")));
  EXPECT_FALSE(FileExists(HomePath("5.txt")));
}

TEST(FtpClient, LogOnFailures) {
  TFtpClient Client;
  SetUpClient(Client);
  Client.Password = "wrong";
  try {
    Client.Connect();
    FAIL() << "log-on with a wrong password succeeded";
  } catch (const EFtpError& E) {
    EXPECT_EQ(530, E.ReplyCode());
    EXPECT_FALSE(E.Message().empty());
  }
  EXPECT_FALSE(Client.Connected());
  Client.Password = Password;
  Client.Connect();  // the same client connects again
  EXPECT_TRUE(Client.Connected());
  EXPECT_THROW(Client.Connect(), EFtpError);
  Client.Quit();
}

TEST(FtpClient, RefusedConnectionGivesTheSystemText) {
  TFtpClient Client;
  SetUpClient(Client);
  Client.Port = PortOf("ftp");
  Client.Host = "127.0.0.1";
  {
    // A port that was free a moment ago refuses connections.
    SOCKET Probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in Address{};
    Address.sin_family = AF_INET;
    Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(Probe, reinterpret_cast<sockaddr*>(&Address), sizeof(Address));
    int Length = sizeof(Address);
    getsockname(Probe, reinterpret_cast<sockaddr*>(&Address), &Length);
    Client.Port = ntohs(Address.sin_port);
    closesocket(Probe);
  }
  try {
    Client.Connect();
    FAIL() << "connect to a closed port succeeded";
  } catch (const EFtpError& E) {
    EXPECT_EQ(SysErrorMessage(WSAECONNREFUSED), E.Message());
  }
  EXPECT_FALSE(Client.Connected());
  Client.Port = 0;
  EXPECT_THROW(Client.Connect(), EFtpError);
  EXPECT_THROW(Client.ChangeDir("/"), EFtpError);  // not connected
}

TEST(FtpClient, ServerThatDropsTheConnection) {
  TFtpClient Client;
  SetUpClient(Client, "drop");
  Client.Connect();
  try {
    Client.ChangeDir("/");
    FAIL() << "a dropped connection went unnoticed";
  } catch (const EFtpError& E) {
    EXPECT_FALSE(E.Message().empty());
  }
  EXPECT_FALSE(Client.Connected());
  Client.Connect();  // a new session works
  EXPECT_TRUE(Client.Connected());
  Client.Quit();
}

TEST(FtpClient, ServerThatStopsAnsweringTimesOut) {
  TFtpClient Client;
  SetUpClient(Client, "silent");
  Client.ReadTimeout = 500;
  Client.Connect();
  DWORD Start = GetTickCount();
  try {
    Client.ChangeDir("/");
    FAIL() << "a silent server went unnoticed";
  } catch (const EFtpError& E) {
    EXPECT_EQ("Read timed out.", E.Message());
  }
  EXPECT_LT(GetTickCount() - Start, 10000u);
  EXPECT_FALSE(Client.Connected());
}

TEST(FtpClient, AbortEndsARunningUploadAndKeepsTheSession) {
  if (const std::string Why = WhyNoSlowLines(); !Why.empty()) { GTEST_SKIP() << Why; }
  std::string Local = LocalPath("aborted.bin");
  WritePatternFile(Local, 50u << 20);  // about 25 s on the slow line
  for (bool Passive : {true, false}) {
    SCOPED_TRACE(Passive ? "passive" : "active");
    // The server's copy shows when the upload is under way; the last round's part goes first.
    const std::string Remote = HomePath("aborted.bin");
    DeleteFileA(Remote.c_str());
    TFtpClient Client;
    SetUpClient(Client, "slow");
    Client.Passive = Passive;
    Client.Connect();
    bool Aborted = false;
    bool OtherFailure = false;
    std::thread Upload([&] {
      try {
        Client.Put(Local, "aborted.bin");
      } catch (const EFtpAborted&) {
        Aborted = true;
      } catch (const Exception&) {
        OtherFailure = true;
      }
    });
    EXPECT_TRUE(WaitFor([&] { return FileSize(Remote) > 0; }, 10000, 20)) << "the upload had not started";
    DWORD Start = GetTickCount();
    Client.Abort();
    Upload.join();
    EXPECT_LT(GetTickCount() - Start, 5000u);
    EXPECT_TRUE(Aborted);
    EXPECT_FALSE(OtherFailure);
    ASSERT_TRUE(Client.Connected());
    // The abort's two replies are both read: the next commands get their own.
    EXPECT_THROW(Client.ChangeDir("/no such folder"), EFtpError);
    Client.ChangeDir("/");
    // Nothing of the abort is left to stop the next upload.
    std::string Next = LocalPath("after-abort.bin");
    WritePatternFile(Next, 5000);
    Client.Put(Next, "after-abort.bin");
    EXPECT_TRUE(SameContents(Next, HomePath("after-abort.bin")));
    Client.Abort();  // no transfer: nothing happens
    Client.Quit();
  }
}

// Cancel, from another thread, ends the wait in progress long before its time-out
// and for good: the reply to the log-on, a connect that is never answered, a
// send that the server stopped reading, and the reply to a file that the server
// took whole.
TEST(FtpClient, CancelEndsEveryWaitAtOnceAndForGood) {
  const std::string Local = LocalPath("stalled.bin");
  WritePatternFile(Local, 24u << 20);  // more than the sockets' buffers hold
  struct TStall {
    const char* Server;
    const char* Sign;  // recorded by the server once the client waits on it
    bool Upload;
  };
  for (const TStall& Stall : {TStall{"mute", "USER ", false}, TStall{"blackhole", "", false},
                              TStall{"stalldata", "stalled after", true}, TStall{"hung", "received", true}}) {
    SCOPED_TRACE(Stall.Server);
    TFtpClient Client;
    SetUpClient(Client, Stall.Server);
    Client.ReadTimeout = 3600000;
    ForgetRecorded(Stall.Server);
    if (Stall.Upload) { Client.Connect(); }
    bool Cancelled = false;
    std::thread Work([&] {
      try {
        if (Stall.Upload) {
          Client.Put(Local, "stalled.bin");
        } else {
          Client.Connect();
        }
      } catch (const EFtpCancelled&) {
        Cancelled = true;
      } catch (const Exception&) {
      }
    });
    if (*Stall.Sign) {
      EXPECT_TRUE(WaitForRecorded(Stall.Server, Stall.Sign));
    } else {
      Sleep(300);  // lets the connect begin; a cancel that comes first must end it all the same
    }
    const DWORD Start = GetTickCount();
    Client.Cancel();
    Work.join();
    EXPECT_LT(GetTickCount() - Start, 5000u);
    EXPECT_TRUE(Cancelled);
    EXPECT_FALSE(Client.Connected());
    EXPECT_THROW(Client.Connect(), EFtpCancelled);
    Client.Quit();  // nothing to say goodbye to
  }
}

// A cancel with a stall limit, as a stop gives it: a file that is still moving
// goes on to its end and the goodbye is said; a wait before the file goes out
// ends at once; a file whose line stalls is cut once nothing has moved for the
// limit, and the server, which still answers, hears ABOR and QUIT.
constexpr DWORD StallMs = 3000;

TEST(FtpClient, ACancelWithAStallLimitLetsAMovingFileFinish) {
  if (const std::string Why = WhyNoSlowLines(); !Why.empty()) { GTEST_SKIP() << Why; }
  const std::string Moving = LocalPath("moving.bin");
  constexpr uint64_t Size = 16u << 20, SlowLineRate = 2u << 20;  // about 8 s on "slow"
  WritePatternFile(Moving, Size);
  const std::string Remote = HomePath("moving.bin");
  DeleteFileA(Remote.c_str());
  TFtpClient Client;
  SetUpClient(Client, "slow");
  Client.Passive = true;
  Client.Connect();
  const DWORD UploadBegin = GetTickCount();
  std::thread Upload([&] { EXPECT_NO_THROW(Client.Put(Moving, "moving.bin")); });
  // The rest takes longer than the limit.
  EXPECT_TRUE(WaitFor([&] { return FileSize(Remote) >= (2u << 20); }, 10000, 20))
      << "the upload had not got under way";
  const DWORD Begin = GetTickCount();
  Client.Cancel(StallMs);
  Upload.join();
  std::printf("[          ] the moving file ended %lu ms after the cancel\n", GetTickCount() - Begin);
  EXPECT_TRUE(SameContents(Moving, Remote));
  EXPECT_GE(GetTickCount() - UploadBegin, Size * 1000 / SlowLineRate * 8 / 10) << "the line is not slow";
  EXPECT_TRUE(Client.Connected());
  EXPECT_THROW(Client.MakeDir("/after-cancel"), EFtpCancelled);  // nothing new begins
  EXPECT_FALSE(Client.Connected());
}

TEST(FtpClient, ACancelWithAStallLimitCutsAStalledFileAndWhatHoldsNoFile) {
  const std::string Stalled = LocalPath("stalled-limit.bin");
  WritePatternFile(Stalled, 24u << 20);  // more than the sockets' buffers hold
  TFtpClient Client;
  SetUpClient(Client, "stalldata");
  Client.Passive = true;
  Client.ReadTimeout = 3600000;
  ForgetRecorded("stalldata");
  Client.Connect();
  bool Cancelled = false;
  std::thread Upload([&] {
    try {
      Client.Put(Stalled, "stalled.bin");
    } catch (const EFtpCancelled&) {
      Cancelled = true;
    } catch (const Exception&) {
    }
  });
  EXPECT_TRUE(WaitForRecorded("stalldata", "stalled after"));
  const DWORD Begin = GetTickCount();
  Client.Cancel(StallMs);
  Upload.join();
  const DWORD Took = GetTickCount() - Begin;
  EXPECT_TRUE(Cancelled);
  EXPECT_GE(Took, StallMs - 100);
  EXPECT_LT(Took, StallMs + 5000);
  ASSERT_TRUE(Client.Connected()) << "the session was dropped, not ended";
  Client.Quit();
  EXPECT_TRUE(WaitForRecorded("stalldata", "ABOR"));
  EXPECT_TRUE(WaitForRecorded("stalldata", "QUIT"));

  // Before a file goes out nothing is held: a log-on that gets no answer ends at once.
  TFtpClient Mute;
  SetUpClient(Mute, "mute");
  Mute.ReadTimeout = 3600000;
  ForgetRecorded("mute");
  std::thread LogOn([&] { EXPECT_THROW(Mute.Connect(), EFtpCancelled); });
  EXPECT_TRUE(WaitForRecorded("mute", "USER "));
  const DWORD LogOnBegin = GetTickCount();
  Mute.Cancel(StallMs);
  LogOn.join();
  EXPECT_LT(GetTickCount() - LogOnBegin, StallMs);
}

TEST(FtpClient, ActiveModeThroughAnHttpProxyIsRefused) {
  TFtpClient Client;
  SetUpClient(Client);
  Client.ProxySettings.ProxyType = TFtpProxyType::HttpProxyWithFtp;
  Client.ProxySettings.Host = "127.0.0.1";
  Client.ProxySettings.Port = PortOf("http");
  Client.Passive = false;
  Client.Connect();
  std::string Local = LocalPath("active-http.txt");
  WritePatternFile(Local, 10);
  try {
    Client.Put(Local, "active-http.txt");
    FAIL() << "active upload through an HTTP proxy";
  } catch (const EFtpError& E) {
    EXPECT_NE(std::string::npos, E.Message().find("passive")) << E.Message();
  }
  EXPECT_TRUE(Client.Connected());
  Client.Quit();
}

}  // namespace
