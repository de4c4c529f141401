// A named pipe server of the tests that answers each connection with the next
// of a list of scripted messages, as the service would or as a broken one
// might: short, long, lying about their length, late. Requests are recorded.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct TScriptedAnswer {
  std::vector<uint8_t> Bytes;
  DWORD DelayMs = 0;  // waited between the request and the answer
};

class TScriptedPipeServer {
public:
  // Listens on "\\.\pipe\" + Name from construction on.
  explicit TScriptedPipeServer(const std::string& Name);
  ~TScriptedPipeServer();
  TScriptedPipeServer(const TScriptedPipeServer&) = delete;
  TScriptedPipeServer& operator=(const TScriptedPipeServer&) = delete;

  // Answers are used in turn; the last one used goes on answering.
  void Answer(TScriptedAnswer Next);
  std::vector<std::vector<uint8_t>> Requests() const;

private:
  HANDLE NewInstance() const;
  void Serve(HANDLE First);
  TScriptedAnswer TakeAnswer();

  std::string FPath;
  mutable std::mutex FMutex;
  std::deque<TScriptedAnswer> FAnswers;
  TScriptedAnswer FLast;
  std::vector<std::vector<uint8_t>> FRequests;
  std::atomic<bool> FStopping{false};
  std::atomic<bool> FDone{false};
  std::thread FThread;
};

// A whole message: a header, then Data.
std::vector<uint8_t> PipeMessage(const char* Keyword, const std::vector<uint8_t>& Data, int32_t DataLength,
                                 int32_t ErrorCode = 0);
std::vector<uint8_t> PipeMessage(const char* Keyword, const std::string& Data = "", int32_t ErrorCode = 0);
