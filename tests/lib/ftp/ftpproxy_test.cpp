// Log-on through every proxy kind: the scripted FTP proxy records the exact commands,
// tinyproxy tunnels the HTTPFTP kind.
#include <gtest/gtest.h>

#include "ftp/ftpclient.h"
#include "ftp/ftperror.h"
#include "support/ftptestenv.h"

using namespace FtpTestEnv;

namespace {

using TCommands = std::vector<std::string>;

struct TProxyCase {
  const char* Label;
  TFtpProxyType Kind;
  bool ProxyAccount;  // proxy user and password set
  bool ServerOnPort21;
  TCommands LogOn;    // %P stands for the server's port
};

std::string WithPort(std::string Text) {
  size_t At = Text.find("%P");
  if (At != std::string::npos) {
    Text.replace(At, 2, std::to_string(PortOf("ftp")));
  }
  return Text;
}

class FtpProxyLogOn : public ::testing::TestWithParam<TProxyCase> {};

TEST_P(FtpProxyLogOn, SendsTheExactSequenceAndRelays) {
  const TProxyCase& Case = GetParam();
  TFtpClient Client;
  SetUpClient(Client);
  // The scripted proxy takes a target without a port to mean the test server.
  if (Case.ServerOnPort21) {
    Client.Port = 21;
  }
  Client.ProxySettings.ProxyType = Case.Kind;
  Client.ProxySettings.Host = "127.0.0.1";
  Client.ProxySettings.Port = PortOf("proxy");
  if (Case.ProxyAccount) {
    Client.ProxySettings.UserName = "puser";
    Client.ProxySettings.Password = "ppass";
  }
  std::string Name = std::string("proxied-") + Case.Label + ".txt";
  std::string Local = LocalPath(Name);
  WritePatternFile(Local, 5000);
  Client.Connect();
  Client.Put(Local, Name);
  Client.Quit();

  TCommands Expected;
  for (const std::string& Line : Case.LogOn) {
    Expected.push_back(WithPort(Line));
  }
  for (const char* Line : {"TYPE I", "PASV"}) {
    Expected.push_back(Line);
  }
  Expected.push_back("STOR " + Name);
  Expected.push_back("QUIT");
  EXPECT_EQ(Expected, ProxyCommands());
  EXPECT_TRUE(SameContents(Local, HomePath(Name)));
}

const TCommands ServerLogOn = {"USER norvask", "PASS s3cret"};
const TCommands ProxyLogOn = {"USER puser", "PASS ppass"};

TCommands Join(const TCommands& A, const TCommands& B) {
  TCommands Result = A;
  Result.insert(Result.end(), B.begin(), B.end());
  return Result;
}

INSTANTIATE_TEST_SUITE_P(
    EveryFtpProxyKind, FtpProxyLogOn,
    ::testing::Values(
        TProxyCase{"UserSite", TFtpProxyType::UserSite, false, false, {"USER norvask@127.0.0.1:%P", "PASS s3cret"}},
        TProxyCase{"UserSite21", TFtpProxyType::UserSite, false, true, {"USER norvask@127.0.0.1", "PASS s3cret"}},
        TProxyCase{"Site", TFtpProxyType::Site, true, false, Join(Join(ProxyLogOn, {"SITE 127.0.0.1"}), ServerLogOn)},
        TProxyCase{"SiteNoProxyUser", TFtpProxyType::Site, false, false, Join({"SITE 127.0.0.1"}, ServerLogOn)},
        TProxyCase{"Open", TFtpProxyType::Open, true, false, Join(Join(ProxyLogOn, {"OPEN 127.0.0.1"}), ServerLogOn)},
        TProxyCase{"OpenNoProxyUser", TFtpProxyType::Open, false, false, Join({"OPEN 127.0.0.1"}, ServerLogOn)},
        TProxyCase{"UserPass", TFtpProxyType::UserPass, true, false,
                   {"USER norvask@puser@127.0.0.1", "PASS s3cret@ppass"}},
        TProxyCase{"UserPassUserPass", TFtpProxyType::Transparent, true, false,
                   Join(ProxyLogOn, {"USER norvask@127.0.0.1", "PASS s3cret"})},
        TProxyCase{"UserPassUserPassNoProxyUser", TFtpProxyType::Transparent, false, false,
                   {"USER norvask@127.0.0.1", "PASS s3cret"}}),
    [](const auto& Info) { return std::string(Info.param.Label); });

TEST(FtpProxy, RefusedProxyPasswordFailsTheConnect) {
  TFtpClient Client;
  SetUpClient(Client);
  Client.ProxySettings = {TFtpProxyType::Site, "127.0.0.1", PortOf("proxy"), "puser", "wrong"};
  try {
    Client.Connect();
    FAIL() << "log-on with a wrong proxy password succeeded";
  } catch (const EFtpError& E) {
    EXPECT_EQ(530, E.ReplyCode());
    EXPECT_EQ("Proxy log-on refused.", E.Message());
  }
  EXPECT_FALSE(Client.Connected());
}

TEST(FtpProxy, UserAnsweredWith230SendsNoPassword) {
  TFtpClient Client;
  SetUpClient(Client, "drop");
  Client.Username = "nopass";
  Client.ProxySettings = {TFtpProxyType::UserSite, "127.0.0.1", PortOf("proxy"), "", ""};
  Client.Connect();
  Client.Quit();
  EXPECT_EQ((TCommands{"USER nopass@127.0.0.1:" + std::to_string(PortOf("drop")), "TYPE I", "QUIT"}),
            ProxyCommands());
}

TEST(FtpProxy, HttpTunnelCarriesControlAndPassiveData) {
  for (bool Authorised : {false, true}) {
    SCOPED_TRACE(Authorised ? "with Basic authorisation" : "without authorisation");
    TFtpClient Client;
    SetUpClient(Client);
    Client.ProxySettings.ProxyType = TFtpProxyType::HttpProxyWithFtp;
    Client.ProxySettings.Host = "127.0.0.1";
    Client.ProxySettings.Port = PortOf(Authorised ? "httpauth" : "http");
    if (Authorised) {
      Client.ProxySettings.UserName = "huser";
      Client.ProxySettings.Password = "hpass";
    }
    std::string Name = Authorised ? "tunnelled-auth.bin" : "tunnelled.bin";
    std::string Local = LocalPath(Name);
    WritePatternFile(Local, 3u << 20);
    Client.Connect();
    Client.MakeDir(Authorised ? "/tunnel-auth" : "/tunnel");
    Client.Put(Local, Name);
    Client.Quit();
    EXPECT_TRUE(SameContents(Local, HomePath(Name)));
  }
}

TEST(FtpProxy, HttpProxyRefusalIsReported) {
  TFtpClient Client;
  SetUpClient(Client);
  Client.ProxySettings = {TFtpProxyType::HttpProxyWithFtp, "127.0.0.1", PortOf("httpauth"), "huser", "wrong"};
  try {
    Client.Connect();
    FAIL() << "tunnel with a wrong proxy password";
  } catch (const EFtpError& E) {
    // tinyproxy answers 401 where 407 would be usual; the status line is in the text.
    EXPECT_EQ(0u, E.Message().find("HTTP proxy refused the connection to 127.0.0.1:")) << E.Message();
    EXPECT_NE(std::string::npos, E.Message().find(" 401 ")) << E.Message();
  }
  EXPECT_FALSE(Client.Connected());
}

}  // namespace
