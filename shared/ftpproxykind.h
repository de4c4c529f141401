// The configuration's FTP proxy kind as the FTP client's proxy type.
#pragma once
#include "ftp/ftplogon.h"
#include "shared/transportkinds.h"

// Each kind by name; a value outside the enumeration goes straight to the server.
TFtpProxyType FtpClientProxyType(TFtpProxyKind Kind);
