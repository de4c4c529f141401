// An FTP client set up for one destination of a transport configuration.
#pragma once
#include <cstdint>

#include "ftp/ftpclient.h"
#include "shared/transportconfig.h"

// Host, port, passive mode, account, read time-out and proxy, as the configuration gives them.
void SetUpFtpClient(TFtpClient& Client, const TTransportConfig& Config, int32_t Destination, DWORD ReadTimeout);
