#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/localservice.h"
#include "svcframework/serviceapp.h"

namespace {

const char TestServiceName[] = "OdxFrameworkTest";

struct TShown {
  std::string Text;
  bool Failed;
};

// Installs this test program itself; the message box is replaced by a list.
class ServiceCommandLine : public ::testing::Test {
protected:
  ServiceCommandLine() : Service(TestServiceName, "Odx Framework Test"), App(Service) {
    App.ShowMessage = [this](const std::string& Text, bool Failed) { Shown.push_back({Text, Failed}); };
  }
  void TearDown() override { App.Run({"UNINSTALL", "SILENT"}); }

  // The registered start type, service type and display name; false when not installed.
  static bool Query(QUERY_SERVICE_CONFIGA& Config, std::string& DisplayName, std::string& Binary) {
    const TLocalService Handle = OpenLocalService(TestServiceName, SERVICE_QUERY_CONFIG);
    bool Found = false;
    if (Handle.Valid()) {
      std::vector<char> Buffer(8192);
      DWORD Needed = 0;
      auto* C = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(Buffer.data());
      Found = QueryServiceConfigA(Handle.Get(), C, static_cast<DWORD>(Buffer.size()), &Needed);
      if (Found) {
        Config = *C;
        DisplayName = C->lpDisplayName;
        Binary = C->lpBinaryPathName;
      }
    }
    return Found;
  }

  TService Service;
  TServiceApplication App;
  std::vector<TShown> Shown;
};

TEST_F(ServiceCommandLine, InstallRegistersAnAutoStartOwnProcessService) {
  ASSERT_EQ(App.Run({"INSTALL"}), 0);
  ASSERT_EQ(Shown.size(), 1u);
  EXPECT_EQ(Shown[0].Text, "Service installed successfully");
  EXPECT_FALSE(Shown[0].Failed);

  QUERY_SERVICE_CONFIGA Config{};
  std::string DisplayName, Binary;
  ASSERT_TRUE(Query(Config, DisplayName, Binary));
  EXPECT_EQ(Config.dwServiceType & SERVICE_WIN32_OWN_PROCESS, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
  EXPECT_EQ(Config.dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(DisplayName, "Odx Framework Test");
  char Path[MAX_PATH];
  GetModuleFileNameA(nullptr, Path, MAX_PATH);
  EXPECT_EQ(Binary, "\"" + std::string(Path) + "\"");
}

TEST_F(ServiceCommandLine, SilentKeepsEvenAFailureToItself) {
  ASSERT_EQ(App.Run({"/install", "-silent"}), 0);
  EXPECT_EQ(App.Run({"-INSTALL", "SILENT"}), 1);  // already there
  EXPECT_TRUE(Shown.empty());
}

TEST_F(ServiceCommandLine, UninstallRemovesAndReportsAMissingService) {
  ASSERT_EQ(App.Run({"INSTALL", "SILENT"}), 0);
  ASSERT_EQ(App.Run({"UNINSTALL"}), 0);
  QUERY_SERVICE_CONFIGA Config{};
  std::string DisplayName, Binary;
  EXPECT_FALSE(Query(Config, DisplayName, Binary));

  EXPECT_EQ(App.Run({"UNINSTALL"}), 1);
  ASSERT_EQ(Shown.size(), 2u);
  EXPECT_EQ(Shown[0].Text, "Service uninstalled successfully");
  EXPECT_TRUE(Shown[1].Failed);
  EXPECT_NE(Shown[1].Text.find("System Error.  Code: 1060."), std::string::npos) << Shown[1].Text;
}

}  // namespace
