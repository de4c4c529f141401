// Failures of the FTP client: a negative server reply, a socket error, a time-out,
// an abort or a cancel.
#pragma once
#include "rtl/exceptions.h"

class EFtpError : public Exception {
public:
  // ReplyCode is the server's reply code, or 0 when the failure is not a reply.
  explicit EFtpError(std::string Message, int ReplyCode = 0)
      : Exception(std::move(Message)), FReplyCode(ReplyCode) {}
  int ReplyCode() const { return FReplyCode; }
private:
  int FReplyCode;
};

// A transfer ended by Abort.
class EFtpAborted : public EFtpError {
public:
  EFtpAborted() : EFtpError("Transfer aborted.") {}
};

// A wait of the session ended by Cancel.
class EFtpCancelled : public EFtpError {
public:
  EFtpCancelled() : EFtpError("Session cancelled.") {}
};
