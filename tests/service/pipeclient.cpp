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
  std::vector<char> Buffer(PipeBufferSize + 1024);
  DWORD Read = 0;
  std::string In = Request;
  if (!CallNamedPipeA(Path.c_str(), In.data(), static_cast<DWORD>(In.size()), Buffer.data(),
                      static_cast<DWORD>(Buffer.size()), &Read, Timeout)) {
    if (Error) { *Error = GetLastError(); }
    return false;
  }
  Answer.assign(Buffer.data(), Read);
  return true;
}

std::string Call(const std::string& Path, const std::string& Request) {
  std::string Answer;
  DWORD Error = 0;
  if (CallPipe(Path, Request, Answer, 5000, &Error)) { return Answer; }
  // A server just started may not have created its pipe yet.
  if (Error == ERROR_FILE_NOT_FOUND && WaitForPipe(Path) && CallPipe(Path, Request, Answer, 5000)) { return Answer; }
  return std::string();
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
    FPipe = CreateFileA(Path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (FPipe != INVALID_HANDLE_VALUE) { break; }
    FLastError = GetLastError();
    const DWORD Spent = GetTickCount() - Start;
    if (Spent >= Timeout) { return false; }
    if (FLastError == ERROR_PIPE_BUSY) {
      WaitNamedPipeA(Path.c_str(), Timeout - Spent);
    } else if (FLastError == ERROR_FILE_NOT_FOUND) {
      Sleep(10);
    } else {
      return false;
    }
  }
  DWORD Mode = PIPE_READMODE_MESSAGE;
  SetNamedPipeHandleState(FPipe, &Mode, nullptr, nullptr);
  return true;
}

bool TPipeConnection::Transact(const std::string& Request, std::string& Answer) {
  std::vector<char> Buffer(PipeBufferSize + 1024);
  DWORD Read = 0;
  std::string In = Request;
  if (!TransactNamedPipe(FPipe, In.data(), static_cast<DWORD>(In.size()), Buffer.data(),
                         static_cast<DWORD>(Buffer.size()), &Read, nullptr)) {
    FLastError = GetLastError();
    return false;
  }
  Answer.assign(Buffer.data(), Read);
  return true;
}

bool TPipeConnection::Write(const std::string& Message) {
  DWORD Written = 0;
  if (!WriteFile(FPipe, Message.data(), static_cast<DWORD>(Message.size()), &Written, nullptr)) {
    FLastError = GetLastError();
    return false;
  }
  return Written == Message.size();
}

bool TPipeConnection::Read(std::string& Message) {
  std::vector<char> Buffer(PipeBufferSize + 1024);
  DWORD Read = 0;
  if (!ReadFile(FPipe, Buffer.data(), static_cast<DWORD>(Buffer.size()), &Read, nullptr)) {
    FLastError = GetLastError();
    return false;
  }
  Message.assign(Buffer.data(), Read);
  return true;
}

void TPipeConnection::Close() {
  if (FPipe != INVALID_HANDLE_VALUE) {
    CloseHandle(FPipe);
    FPipe = INVALID_HANDLE_VALUE;
  }
}
