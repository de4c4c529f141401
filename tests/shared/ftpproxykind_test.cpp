// The configuration's proxy kinds reach the FTP client as the kind of the same
// log-on, whatever each side calls it.
#include "shared/ftpproxykind.h"

#include <gtest/gtest.h>

namespace {

TEST(FtpProxyKind, EveryConfiguredKindGivesTheClientTheSameLogOn) {
  const struct {
    const char* Text;  // as the configuration file holds it
    TFtpProxyType Client;
  } Cases[] = {
      {"None", TFtpProxyType::None},         {"User@Site", TFtpProxyType::UserSite},
      {"SITE", TFtpProxyType::Site},         {"OPEN", TFtpProxyType::Open},
      {"USER-PASS", TFtpProxyType::UserPass}, {"USER-PASS-USER-PASS", TFtpProxyType::Transparent},
      {"HTTPFTP", TFtpProxyType::HttpProxyWithFtp},
  };
  for (const auto& Case : Cases) {
    EXPECT_EQ(FtpClientProxyType(TextToProxyType(Case.Text)), Case.Client) << Case.Text;
  }
  EXPECT_EQ(FtpClientProxyType(static_cast<TFtpProxyKind>(7)), TFtpProxyType::None);
}

}  // namespace
