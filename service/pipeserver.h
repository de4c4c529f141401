// One thread that serves a named pipe of up to 64 message-type instances with
// overlapped connect, read and write, and one wait over all their events.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "rtl/sync.h"
#include "rtl/thread.h"
#include "service/pipesecurity.h"
#include "shared/pipemessages.h"

enum class TPipeState : uint8_t { connecting = 0, reading = 1, writing = 2 };

// One pipe instance with its buffers; touched by the server's thread alone.
struct TPipeInstance {
  OVERLAPPED Overlapped;  // its hEvent is the instance's own manual-reset event
  HANDLE Pipe;
  uint8_t ReadBuffer[PipeBufferSize];
  uint32_t BytesRead;
  uint8_t WriteBuffer[PipeBufferSize];
  int32_t BytesToWrite;
  TPipeState State;
  bool Pending;  // an overlapped connect, read or write is under way
};

// The object holds every instance's buffers (about 2 MB): create it on the heap.
// The owner calls Start once the object is built; the thread creates the pipes and
// serves until Stop. Answers come from ProcessRequest; the base answers every
// request with "ACK <size> bytes hh:nn:ss". Failures are logged, never raised.
class TPipeServer : public TThread {
public:
  static constexpr int32_t MaxInstances = 64;
  // A listen that failed is tried again after this delay.
  static constexpr DWORD ListenRetryDelay = 500;

  // Name without "\\.\pipe\"; Instances is cut to 0..64. SecurityAttributes must
  // outlive the server; null or all zero means the process's default security.
  TPipeServer(const std::string& Name, int32_t Instances, const SECURITY_ATTRIBUTES* SecurityAttributes);
  ~TPipeServer() override;

  // From any thread, any number of times.
  void Stop();

  const std::string& PipeName() const { return FPipeName; }
  int32_t InstanceCount() const { return FInstanceCount; }

  // Above 0 also logs connection details; set before Start.
  int32_t LogLevel = 0;

protected:
  void Execute() override;
  // Builds the answer to one request on the server's thread. An override clears
  // UseDefaultAnswer and fills Answer (AnswerSize bytes) and AnswerLen.
  virtual void ProcessRequest(const uint8_t* Request, uint32_t RequestLen, uint8_t* Answer, int32_t AnswerSize,
                              int32_t& AnswerLen, bool& UseDefaultAnswer);
  // The overlapped ConnectNamedPipe; a test overrides it to make a listen fail.
  virtual BOOL StartListening(HANDLE Pipe, OVERLAPPED& Overlapped);
  // The statistics so far; on the server's thread only (from ProcessRequest).
  void GetStats(TPipeServerStats& Dest) const { Dest = FStats; }

private:
  bool CreatePipes();
  void ServeUntilStopped();
  void ClosePipes();
  void ConnectClient(TPipeInstance& Instance);
  void Reconnect(TPipeInstance& Instance);
  bool CheckPending(TPipeInstance& Instance);
  void Step(TPipeInstance& Instance);
  void ServeReady();
  TPipeInstance* NextReady();
  void ServeInstance(TPipeInstance& Instance);
  void MakeAnswer(TPipeInstance& Instance);
  void ListenFailed(TPipeInstance& Instance);
  void RetryFailedListens();
  DWORD TimeUntilRetry() const;

  const std::string FPipeName;
  const int32_t FInstanceCount;
  const SECURITY_ATTRIBUTES* const FSecurityAttributes;
  TEvent FStopEvent;
  std::array<TPipeInstance, MaxInstances> FInstances;
  // 0: the stop event; 1 + i: the event of instance i.
  std::array<HANDLE, MaxInstances + 1> FWaitHandles;
  TPipeServerStats FStats;
  int32_t FNextServed = 0;  // where NextReady starts looking
  bool FRetryArmed = false;
  DWORD FRetryAt = 0;  // tick count
};
