// A TCP connection through an HTTP proxy (CONNECT), for the HTTPFTP proxy kind.
#pragma once
#include <cstdint>
#include <string>

#include "ftp/ftplogon.h"
#include "ftp/ftpsocket.h"

// Connects Socket to the proxy and asks it for a tunnel to Host:Port; raises
// EFtpError when the proxy refuses. Basic authorisation when the proxy has a user.
void OpenHttpTunnel(TFtpSocket& Socket, const TFtpProxySettings& Proxy, const std::string& Host,
                    uint16_t Port, DWORD ConnectTimeoutMs, DWORD ReadTimeoutMs);
