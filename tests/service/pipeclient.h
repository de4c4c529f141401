// Client ends of the service's pipes for tests: one-call transactions and
// connections that stay open for several requests.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "rtl/sync.h"
#include "shared/pipemessages.h"

// A pipe name of this process alone, so that runs never meet.
std::string UniquePipeName(const std::string& Stem);
std::string PipePath(const std::string& Name);

// Waits at most Timeout ms until the server's thread has created the pipe.
bool WaitForPipe(const std::string& Path, DWORD Timeout = 5000);

// A 28-byte request header, followed by Data.
std::string MakeRequest(const char* Keyword, int32_t DataLength = 0, const std::string& Data = "");

// Connects (waiting at most Timeout ms for the pipe and a free instance), writes
// Request, reads the answer and closes; on failure false with the system's error in Error.
bool CallPipe(const std::string& Path, const std::string& Request, std::string& Answer, DWORD Timeout,
              DWORD* Error = nullptr);
// CallPipe waiting up to 5 s for the pipe and an instance; the answer, or "" when the call failed.
std::string Call(const std::string& Path, const std::string& Request);

// The header fields of an answer of at least 28 bytes.
TPipeMessageHeader HeaderOf(const std::string& Answer);

class TPipeConnection {
public:
  TPipeConnection() = default;
  ~TPipeConnection() { Close(); }
  TPipeConnection(const TPipeConnection&) = delete;
  TPipeConnection& operator=(const TPipeConnection&) = delete;

  // Waits at most Timeout ms for the pipe and a free instance; message read mode.
  bool Open(const std::string& Path, DWORD Timeout = 5000);
  // Writes one message and reads one; false when the pipe fails.
  bool Transact(const std::string& Request, std::string& Answer);
  bool Write(const std::string& Message);
  // Reads one message; false with the error in LastError when the pipe fails, and
  // with ERROR_TIMEOUT when nothing came within the reply limit.
  bool Read(std::string& Message);
  void Close();
  bool IsOpen() const { return FPipe != INVALID_HANDLE_VALUE; }
  HANDLE Handle() const { return FPipe; }
  DWORD LastError() const { return FLastError; }

  // A server that stops answering fails the test instead of hanging it.
  static constexpr DWORD ReplyLimitMs = 10000;

private:
  // Waits for an overlapped read or write that Started, for at most ReplyLimitMs.
  bool Finish(BOOL Started, OVERLAPPED& Io, DWORD& Bytes);

  HANDLE FPipe = INVALID_HANDLE_VALUE;
  DWORD FLastError = 0;
  TEvent FDone;
};
