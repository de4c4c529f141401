// Server replies on the control connection: reading (single and multi-line) and
// the address of a PASV reply.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ftp/ftpsocket.h"

struct TFtpReply {
  int Code = 0;
  std::vector<std::string> Lines;  // without the code and its separator
  // The lines joined by CR LF: the text an exception carries.
  std::string Text() const;
  bool Preliminary() const { return Code >= 100 && Code < 200; }
  bool Positive() const { return Code >= 200 && Code < 300; }
  bool Intermediate() const { return Code >= 300 && Code < 400; }
};

class TFtpReplyReader {
public:
  explicit TFtpReplyReader(TFtpSocket& Socket) : FSocket(Socket) {}
  // Raises EFtpError on a closed connection, a malformed line or a time-out.
  TFtpReply Read(DWORD TimeoutMs);
  // Forgets what was buffered from an earlier connection.
  void Reset() { FBuffer.clear(); }

private:
  std::string ReadLine(DWORD TimeoutMs);
  TFtpSocket& FSocket;
  std::string FBuffer;
};

// "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)": false when no valid address is in it.
bool ParsePassiveReply(const std::string& Text, std::string& Host, uint16_t& Port);
