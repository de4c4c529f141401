#include "shared/ftpproxykind.h"

TFtpProxyType FtpClientProxyType(TFtpProxyKind Kind) {
  switch (Kind) {
    case pkUserSite: return TFtpProxyType::UserSite;
    case pkSite: return TFtpProxyType::Site;
    case pkOpen: return TFtpProxyType::Open;
    case pkUserPass: return TFtpProxyType::UserPass;
    case pkUserPassUserPass: return TFtpProxyType::Transparent;  // proxy log-on, then USER user@host
    case pkHttpFtp: return TFtpProxyType::HttpProxyWithFtp;
    case pkNone:
    default: return TFtpProxyType::None;
  }
}
