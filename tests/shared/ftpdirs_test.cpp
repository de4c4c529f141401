// ForceRemoteDir against the test server, through the recording proxy so that
// every command it sends can be counted.
#include "shared/ftpdirs.h"

#include <gtest/gtest.h>

#include "support/ftptestenv.h"

using namespace FtpTestEnv;

namespace {

using TCommands = std::vector<std::string>;

class ForceRemoteDirTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetUpClient(Client);
    // A relaying proxy without its own account: every command reaches the record.
    Client.ProxySettings = {TFtpProxyType::Transparent, "127.0.0.1", PortOf("proxy"), "", ""};
    Client.Connect();
  }

  // The commands after the log-on, up to the quit.
  TCommands CommandsSent() {
    Client.Quit();
    TCommands All = ProxyCommands();
    TCommands Result;
    bool LoggedOn = false;
    for (const std::string& Line : All) {
      if (LoggedOn && Line != "QUIT") {
        Result.push_back(Line);
      }
      LoggedOn = LoggedOn || Line == "TYPE I";
    }
    return Result;
  }

  TFtpClient Client;
};

TEST_F(ForceRemoteDirTest, RootAndEmptyPathCostNothing) {
  EXPECT_TRUE(ForceRemoteDir("/", Client));
  EXPECT_TRUE(ForceRemoteDir("", Client));
  EXPECT_EQ(TCommands{}, CommandsSent());
}

TEST_F(ForceRemoteDirTest, ExistingPathCostsOneChange) {
  EXPECT_TRUE(ForceRemoteDir("/readonly", Client));
  EXPECT_EQ(TCommands{"CWD /readonly"}, CommandsSent());
}

TEST_F(ForceRemoteDirTest, MakesMissingLevelsFromTheTop) {
  Client.MakeDir("/fa");
  EXPECT_TRUE(ForceRemoteDir("/fa/b/c", Client));
  EXPECT_TRUE(FileExists(HomePath("fa/b/c")));
  EXPECT_EQ((TCommands{"MKD /fa", "CWD /fa/b/c", "CWD /fa/b", "CWD /fa", "MKD /fa/b", "CWD /fa/b", "MKD /fa/b/c",
                       "CWD /fa/b/c"}),
            CommandsSent());
}

TEST_F(ForceRemoteDirTest, OneTrailingSlashIsDropped) {
  EXPECT_TRUE(ForceRemoteDir("/fx/", Client));
  EXPECT_TRUE(FileExists(HomePath("fx")));
  EXPECT_EQ((TCommands{"CWD /fx", "MKD /fx", "CWD /fx"}), CommandsSent());
}

TEST_F(ForceRemoteDirTest, LevelThatCannotBeMadeStopsTheClimb) {
  EXPECT_FALSE(ForceRemoteDir("/readonly/a/b/c", Client));
  EXPECT_EQ((TCommands{"CWD /readonly/a/b/c", "CWD /readonly/a/b", "CWD /readonly/a", "CWD /readonly",
                       "MKD /readonly/a"}),
            CommandsSent());
}

TEST_F(ForceRemoteDirTest, FolderThatCannotBeEnteredFails) {
  EXPECT_FALSE(ForceRemoteDir("/locked/sub", Client));
  EXPECT_EQ((TCommands{"CWD /locked/sub", "CWD /locked", "MKD /locked"}), CommandsSent());
}

TEST_F(ForceRemoteDirTest, RelativePathsOfTwoLevelsFail) {
  // The make of ra/rb runs inside ra, which the routine entered itself.
  EXPECT_FALSE(ForceRemoteDir("ra/rb", Client));
  EXPECT_TRUE(FileExists(HomePath("ra")));
  EXPECT_FALSE(FileExists(HomePath("ra/rb")));
  Client.ChangeDir("/");
  EXPECT_TRUE(ForceRemoteDir("rc", Client));
  EXPECT_TRUE(FileExists(HomePath("rc")));
}

TEST(ForceRemoteDir, LostConnectionGivesFalse) {
  TFtpClient Client;
  EXPECT_FALSE(ForceRemoteDir("/any", Client));
  EXPECT_FALSE(TryChangeRemoteDir("/", Client));
  EXPECT_FALSE(TryMakeRemoteDir("/any", Client));
}

TEST(RemoteParentPath, KeepsTheLastSlash) {
  EXPECT_EQ("/a/", RemoteParentPath("/a/b"));
  EXPECT_EQ("/", RemoteParentPath("/a"));
  EXPECT_EQ("", RemoteParentPath("a"));
  EXPECT_EQ("a/", RemoteParentPath("a/b"));
}

}  // namespace
