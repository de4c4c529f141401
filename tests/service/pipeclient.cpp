#include "pipeclient.h"

#include <atomic>
#include <cstring>
#include <vector>

std::string UniquePipeName(const std::string& Stem) {
  static std::atomic<int> Counter{0};
  return Stem + "_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++Counter);
}

std::string PipePath(const std::string& Name) { return LocalPipePrefix + Name; }

bool WaitForPipe(const std::string& Path, DWORD Timeout) {
  const DWORD Start = GetTickCount();
  while (GetTickCount() - Start < Timeout) {
    if (WaitNamedPipeA(Path.c_str(), 100)) { return true; }
    if (GetLastError() == ERROR_FILE_NOT_FOUND) { Sleep(10); }
  }
  return false;
}

std::string MakeRequest(const char* Keyword, int32_t DataLength, const std::string& Data) {
  std::string Request(PipeHeaderSize, '\0');
  WritePipeHeader(reinterpret_cast<uint8_t*>(Request.data()), Keyword, DataLength);
  return Request + Data;
}

bool CallPipe(const std::string& Path, const std::string& Request, std::string& Answer, DWORD Timeout,
              DWORD* Error) {
  TPipeConnection Pipe;
  if (Pipe.Open(Path, Timeout) && Pipe.Transact(Request, Answer)) { return true; }
  if (Error) { *Error = Pipe.LastError(); }
  return false;
}

std::string Call(const std::string& Path, const std::string& Request) {
  std::string Answer;
  return CallPipe(Path, Request, Answer, 5000) ? Answer : std::string();
}

TPipeMessageHeader HeaderOf(const std::string& Answer) {
  TPipeMessageHeader Header{};
  if (Answer.size() >= sizeof(Header)) { std::memcpy(&Header, Answer.data(), sizeof(Header)); }
  return Header;
}

bool TPipeConnection::Open(const std::string& Path, DWORD Timeout) {
  Close();
  const DWORD Start = GetTickCount();
  for (;;) {
    FPipe = CreateFileA(Path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                        nullptr);
    if (FPipe != INVALID_HANDLE_VALUE) { break; }
    FLastError = GetLastError();
    const DWORD Spent = GetTickCount() - Start;
    if (Spent >= Timeout) { return false; }
    if (FLastError == ERROR_PIPE_BUSY) {
      WaitNamedPipeA(Path.c_str(), Timeout - Spent);
    } else if (FLastError == ERROR_FILE_NOT_FOUND) {
      Sleep(10);  // the server's thread has not created the pipe yet
    } else {
      return false;
    }
  }
  DWORD Mode = PIPE_READMODE_MESSAGE;
  SetNamedPipeHandleState(FPipe, &Mode, nullptr, nullptr);
  return true;
}

bool TPipeConnection::Transact(const std::string& Request, std::string& Answer) {
  return Write(Request) && Read(Answer);
}

bool TPipeConnection::Write(const std::string& Message) {
  OVERLAPPED Io{};
  Io.hEvent = FDone.Handle();
  DWORD Written = 0;
  const BOOL Started = WriteFile(FPipe, Message.data(), static_cast<DWORD>(Message.size()), nullptr, &Io);
  return Finish(Started, Io, Written) && Written == Message.size();
}

bool TPipeConnection::Read(std::string& Message) {
  std::vector<char> Buffer(PipeBufferSize + 1024);
  OVERLAPPED Io{};
  Io.hEvent = FDone.Handle();
  DWORD Read = 0;
  const BOOL Started = ReadFile(FPipe, Buffer.data(), static_cast<DWORD>(Buffer.size()), nullptr, &Io);
  if (!Finish(Started, Io, Read)) { return false; }
  Message.assign(Buffer.data(), Read);
  return true;
}

bool TPipeConnection::Finish(BOOL Started, OVERLAPPED& Io, DWORD& Bytes) {
  if (!Started && GetLastError() != ERROR_IO_PENDING) {
    FLastError = GetLastError();
    return false;
  }
  if (WaitForSingleObject(Io.hEvent, ReplyLimitMs) != WAIT_OBJECT_0) {
    CancelIo(FPipe);
    GetOverlappedResult(FPipe, &Io, &Bytes, TRUE);  // the system is done with Io and the buffer
    FLastError = ERROR_TIMEOUT;
    return false;
  }
  if (!GetOverlappedResult(FPipe, &Io, &Bytes, FALSE)) {
    FLastError = GetLastError();
    return false;
  }
  return true;
}

void TPipeConnection::Close() {
  if (FPipe != INVALID_HANDLE_VALUE) {
    CloseHandle(FPipe);
    FPipe = INVALID_HANDLE_VALUE;
  }
}
