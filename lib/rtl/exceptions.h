// Exceptions that carry a message text, the way the system reports its errors.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

class Exception : public std::exception {
public:
  explicit Exception(std::string Message) : FMessage(std::move(Message)) {}
  const std::string& Message() const { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }
private:
  std::string FMessage;
};

// A text that is not a valid value, or an object of the wrong class.
class EConvertError : public Exception {
public:
  using Exception::Exception;
};

// A failed operating-system call; the message names the code and the system's text.
class EOSError : public Exception {
public:
  EOSError(uint32_t ErrorCode, std::string Message) : Exception(std::move(Message)), FErrorCode(ErrorCode) {}
  uint32_t ErrorCode() const { return FErrorCode; }
private:
  uint32_t FErrorCode;
};

// The system's text for an error code, without the trailing line break.
std::string SysErrorMessage(uint32_t ErrorCode);

// EOSError for GetLastError(): "System Error.  Code: %d." CR LF and the system's
// text, or "A call to an OS function failed" when the code is 0.
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(uint32_t ErrorCode);
