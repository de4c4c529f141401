#include "tests/console/scriptedpipe.h"

#include <algorithm>

#include "shared/pipemessages.h"

namespace {
// More than any message of the protocol, so that a long answer is whole.
constexpr DWORD ServerBufferSize = 65536;
// Bounds the life of a server that is never stopped.
constexpr int MaxConnections = 100000;
}  // namespace

TScriptedPipeServer::TScriptedPipeServer(const std::string& Name) : FPath(LocalPipePrefix + Name) {
  HANDLE First = NewInstance();
  FThread = std::thread([this, First] { Serve(First); });
}

TScriptedPipeServer::~TScriptedPipeServer() {
  FStopping = true;
  // Connections of our own end the wait for a client; more than one, since
  // one may reach an instance before the server listens on it.
  for (int Turn = 0; Turn < 500 && !FDone; ++Turn) {
    HANDLE Wake = CreateFileA(FPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (Wake != INVALID_HANDLE_VALUE) { CloseHandle(Wake); }
    Sleep(10);
  }
  FThread.join();
}

void TScriptedPipeServer::Answer(TScriptedAnswer Next) {
  std::lock_guard<std::mutex> Lock(FMutex);
  FAnswers.push_back(std::move(Next));
}

std::vector<std::vector<uint8_t>> TScriptedPipeServer::Requests() const {
  std::lock_guard<std::mutex> Lock(FMutex);
  return FRequests;
}

HANDLE TScriptedPipeServer::NewInstance() const {
  return CreateNamedPipeA(FPath.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                          PIPE_UNLIMITED_INSTANCES, ServerBufferSize, ServerBufferSize, 0, nullptr);
}

TScriptedAnswer TScriptedPipeServer::TakeAnswer() {
  std::lock_guard<std::mutex> Lock(FMutex);
  if (!FAnswers.empty()) {
    FLast = std::move(FAnswers.front());
    FAnswers.pop_front();
  }
  return FLast;
}

void TScriptedPipeServer::Serve(HANDLE Pipe) {
  std::vector<uint8_t> Request(ServerBufferSize);
  for (int Connection = 0; Connection < MaxConnections && Pipe != INVALID_HANDLE_VALUE && !FStopping; ++Connection) {
    const bool Connected = ConnectNamedPipe(Pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
    if (FStopping) { break; }
    DWORD Read = 0;
    if (Connected && ReadFile(Pipe, Request.data(), ServerBufferSize, &Read, nullptr)) {
      {
        std::lock_guard<std::mutex> Lock(FMutex);
        FRequests.emplace_back(Request.begin(), Request.begin() + Read);
      }
      const TScriptedAnswer Answer = TakeAnswer();
      Sleep(Answer.DelayMs);
      DWORD Written = 0;
      WriteFile(Pipe, Answer.Bytes.data(), static_cast<DWORD>(Answer.Bytes.size()), &Written, nullptr);
    }
    // The next client finds an instance listening while this one drains.
    HANDLE Next = NewInstance();
    // The answer stays readable until the client closes its end.
    uint8_t Rest[64];
    for (int Turn = 0; Turn < 1000; ++Turn) {
      if (!ReadFile(Pipe, Rest, sizeof Rest, &Read, nullptr) && GetLastError() != ERROR_MORE_DATA) { break; }
    }
    DisconnectNamedPipe(Pipe);
    CloseHandle(Pipe);
    Pipe = Next;
  }
  if (Pipe != INVALID_HANDLE_VALUE) { CloseHandle(Pipe); }
  FDone = true;
}

std::vector<uint8_t> PipeMessage(const char* Keyword, const std::vector<uint8_t>& Data, int32_t DataLength,
                                 int32_t ErrorCode) {
  std::vector<uint8_t> Message(PipeHeaderSize + Data.size());
  WritePipeHeader(Message.data(), Keyword, DataLength, ErrorCode);
  std::copy(Data.begin(), Data.end(), Message.begin() + PipeHeaderSize);
  return Message;
}

std::vector<uint8_t> PipeMessage(const char* Keyword, const std::string& Data, int32_t ErrorCode) {
  return PipeMessage(Keyword, std::vector<uint8_t>(Data.begin(), Data.end()), static_cast<int32_t>(Data.size()),
                     ErrorCode);
}
