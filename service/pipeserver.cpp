#include "service/pipeserver.h"

#include <algorithm>
#include <cstring>

#include "rtl/datetime.h"
#include "rtl/exceptions.h"
#include "rtl/format.h"
#include "rtl/formatdatetime.h"
#include "shared/debuglog.h"

namespace {

void CALLBACK WakeUp(ULONG_PTR) {}

std::string LastErrorText() { return SysErrorMessage(GetLastError()); }

}  // namespace

TPipeServer::TPipeServer(const std::string& Name, int32_t Instances, const SECURITY_ATTRIBUTES* SecurityAttributes)
    : FPipeName(LocalPipePrefix + Name),
      FInstanceCount(std::clamp(Instances, 0, MaxInstances)),
      FSecurityAttributes(SecurityAttributes && SecurityAttributes->nLength ? SecurityAttributes : nullptr),
      FInstances{},
      FWaitHandles{},
      FStats{} {
  for (TPipeInstance& Instance : FInstances) { Instance.Pipe = INVALID_HANDLE_VALUE; }
}

TPipeServer::~TPipeServer() {
  Stop();
  WaitFor();
}

void TPipeServer::Stop() {
  Terminate();
  if (FStopEvent.IsSet()) { return; }
  FStopEvent.SetEvent();
  // With 64 instances the stop event has no room in the wait; the APC ends it.
  if (Handle()) { QueueUserAPC(&WakeUp, Handle(), 0); }
}

void TPipeServer::Execute() {
  if (LogLevel > 0) { DebugLog(LogInformation, "Named pipe server thread started"); }
  if (CreatePipes()) { ServeUntilStopped(); }
  ClosePipes();
  if (LogLevel > 0) { DebugLog(LogInformation, "Named pipe server thread finished"); }
}

void TPipeServer::ProcessRequest(const uint8_t*, uint32_t, uint8_t*, int32_t, int32_t&, bool&) {}

BOOL TPipeServer::StartListening(HANDLE Pipe, OVERLAPPED& Overlapped) { return ConnectNamedPipe(Pipe, &Overlapped); }

bool TPipeServer::CreatePipes() {
  FStats = {};
  GetLocalTime(&FStats.StartTime);
  FWaitHandles[0] = FStopEvent.Handle();
  for (int32_t i = 0; i < FInstanceCount; ++i) {
    TPipeInstance& Instance = FInstances[i];
    HANDLE Event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!Event) {
      DebugLog(LogError, "Failed to create event object: " + LastErrorText());
      return false;
    }
    FWaitHandles[1 + i] = Event;
    Instance.Overlapped = {};
    Instance.Overlapped.hEvent = Event;
    Instance.Pipe = CreateNamedPipeA(FPipeName.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                     PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, FInstanceCount,
                                     PipeBufferSize, PipeBufferSize, 2000,
                                     const_cast<SECURITY_ATTRIBUTES*>(FSecurityAttributes));
    if (Instance.Pipe == INVALID_HANDLE_VALUE) {
      DebugLog(LogError, "Failed to create pipe instance: " + LastErrorText());
      return false;
    }
    ConnectClient(Instance);
  }
  return true;
}

void TPipeServer::ServeUntilStopped() {
  // The platform waits on at most 64 handles: with 64 instances the stop event is
  // left out and Stop's APC ends the alertable wait instead.
  const DWORD First = FInstanceCount < MaxInstances ? 0 : 1;
  const DWORD Count = FInstanceCount + 1 - First;
  while (!Terminated()) {
    ServeReady();
    const DWORD Result = WaitForMultipleObjectsEx(Count, &FWaitHandles[First], FALSE, TimeUntilRetry(), TRUE);
    if (Result == WAIT_IO_COMPLETION || Result == WAIT_TIMEOUT) { continue; }
    if (Result >= WAIT_OBJECT_0 + Count) {
      DebugLog(LogError, "Wait error : ");
      continue;
    }
    if (First + (Result - WAIT_OBJECT_0) == 0) { break; }  // the stop event
  }
}

void TPipeServer::Step(TPipeInstance& Instance) {
  if (CheckPending(Instance)) { ServeInstance(Instance); }
}

// Each step costs the thread a trip or two to the system, and meanwhile more
// operations complete. Taking one step at a time and choosing the next one
// each time, those of clients that left first, puts pipes back to listening
// before the clients come again: a client that finds no instance listening
// gets a busy answer. The wait is needed only when no instance is ready, so
// Stop and the listen retries are looked after here too.
void TPipeServer::ServeReady() {
  while (!Terminated()) {
    RetryFailedListens();
    TPipeInstance* Instance = NextReady();
    if (!Instance) { return; }
    Step(*Instance);
  }
}

// The first instance, from FNextServed on, whose operation failed (its client
// left, mostly), else the first one with a step to take; null if none. Going
// round from the last one served keeps every instance its turn.
TPipeInstance* TPipeServer::NextReady() {
  int32_t Found = -1;
  for (int32_t n = 0; n < FInstanceCount; ++n) {
    const int32_t i = (FNextServed + n) % FInstanceCount;
    TPipeInstance& Instance = FInstances[i];
    if (Instance.Pending) {
      if (!HasOverlappedIoCompleted(&Instance.Overlapped)) { continue; }
      if (static_cast<LONG>(Instance.Overlapped.Internal) < 0) { return &Instance; }
    } else if (Instance.State == TPipeState::connecting) {
      continue;  // its listen failed; RetryFailedListens takes it
    }
    if (Found < 0) { Found = i; }
  }
  if (Found < 0) { return nullptr; }
  FNextServed = (Found + 1) % FInstanceCount;
  return &FInstances[Found];
}

void TPipeServer::ClosePipes() {
  for (int32_t i = FInstanceCount - 1; i >= 0; --i) {
    TPipeInstance& Instance = FInstances[i];
    if (Instance.Pipe != INVALID_HANDLE_VALUE) {
      if (Instance.Pending) {
        // The system must be done with Overlapped before the handles go.
        CancelIo(Instance.Pipe);
        DWORD Bytes;
        GetOverlappedResult(Instance.Pipe, &Instance.Overlapped, &Bytes, TRUE);
        Instance.Pending = false;
      }
      DisconnectNamedPipe(Instance.Pipe);
      CloseHandle(Instance.Pipe);
      Instance.Pipe = INVALID_HANDLE_VALUE;
    }
    if (FWaitHandles[1 + i]) {
      CloseHandle(FWaitHandles[1 + i]);
      FWaitHandles[1 + i] = nullptr;
    }
  }
}

void TPipeServer::ConnectClient(TPipeInstance& Instance) {
  Instance.Pending = false;
  if (StartListening(Instance.Pipe, Instance.Overlapped)) {
    // An overlapped connect never succeeds at once.
    ++FStats.ConnectErrors;
    DebugLog(LogError, "Cleint listening failed: " + LastErrorText());
    ListenFailed(Instance);
    return;
  }
  const DWORD Error = GetLastError();
  if (Error == ERROR_PIPE_CONNECTED) {
    ++FStats.Connections;
    Instance.State = TPipeState::reading;
    SetEvent(Instance.Overlapped.hEvent);  // so that the loop serves it at once
  } else if (Error == ERROR_IO_PENDING) {
    Instance.Pending = true;
    Instance.State = TPipeState::connecting;
  } else {
    ++FStats.ConnectErrors;
    if (LogLevel > 0) { DebugLog(LogError, "Cleint listening failed: " + SysErrorMessage(Error)); }
    ListenFailed(Instance);
  }
}

// Nothing is pending and nothing would signal the instance again: it waits,
// without an event, until RetryFailedListens listens again.
void TPipeServer::ListenFailed(TPipeInstance& Instance) {
  Instance.State = TPipeState::connecting;
  ResetEvent(Instance.Overlapped.hEvent);
  if (!FRetryArmed) {
    FRetryArmed = true;
    FRetryAt = GetTickCount() + ListenRetryDelay;
  }
}

void TPipeServer::RetryFailedListens() {
  if (!FRetryArmed || static_cast<LONG>(GetTickCount() - FRetryAt) < 0) { return; }
  FRetryArmed = false;
  for (int32_t i = 0; i < FInstanceCount; ++i) {
    TPipeInstance& Instance = FInstances[i];
    if (Instance.State == TPipeState::connecting && !Instance.Pending) { Reconnect(Instance); }
  }
}

DWORD TPipeServer::TimeUntilRetry() const {
  if (!FRetryArmed) { return INFINITE; }
  const LONG Left = static_cast<LONG>(FRetryAt - GetTickCount());
  return Left > 0 ? static_cast<DWORD>(Left) : 0;
}

void TPipeServer::Reconnect(TPipeInstance& Instance) {
  if (!DisconnectNamedPipe(Instance.Pipe) && LogLevel > 0) {
    DebugLog(LogError, "Pipe disconnect error: " + LastErrorText());
  }
  if (LogLevel > 0) { DebugLog(LogError, "Disconnected from client and listening again"); }
  ConnectClient(Instance);
}

bool TPipeServer::CheckPending(TPipeInstance& Instance) {
  if (!Instance.Pending) { return true; }
  DWORD Bytes = 0;
  const bool Done = GetOverlappedResult(Instance.Pipe, &Instance.Overlapped, &Bytes, FALSE);
  switch (Instance.State) {
    case TPipeState::connecting:
      if (Done) {
        ++FStats.Connections;
        Instance.State = TPipeState::reading;
        return true;
      }
      if (LogLevel > 0) { DebugLog(LogError, "Overlapped error: " + LastErrorText()); }
      ++FStats.ConnectErrors;
      Reconnect(Instance);
      return false;
    case TPipeState::reading:
      // A request longer than ReadBuffer fails with ERROR_MORE_DATA.
      if (Done && Bytes > 0) {
        ++FStats.Requests;
        FStats.BytesReceived += Bytes;
        Instance.BytesRead = Bytes;
        Instance.State = TPipeState::writing;
        return true;
      }
      Reconnect(Instance);
      return false;
    case TPipeState::writing:
      if (Done && Bytes == static_cast<DWORD>(Instance.BytesToWrite)) {
        ++FStats.Answers;
        FStats.BytesSent += Bytes;
        Instance.State = TPipeState::reading;
        return true;
      }
      ++FStats.WriteErrors;
      Reconnect(Instance);
      return false;
  }
  return false;
}

// Starts the instance's next operation. One that completes at once leaves the
// instance ready for the step after it, which ServeReady takes without a trip
// through the wait; only the read after an answer starts at once, so that the
// client's leaving shows as a failed read, which ServeReady takes first.
void TPipeServer::ServeInstance(TPipeInstance& Instance) {
  switch (Instance.State) {
    case TPipeState::reading: {
      Instance.BytesRead = 0;
      std::memset(Instance.ReadBuffer, 0, sizeof(Instance.ReadBuffer));
      DWORD Bytes = 0;
      const BOOL Done = ReadFile(Instance.Pipe, Instance.ReadBuffer, PipeBufferSize, &Bytes, &Instance.Overlapped);
      if (Done && Bytes > 0) {
        ++FStats.Requests;
        FStats.BytesReceived += Bytes;
        Instance.BytesRead = Bytes;
        Instance.Pending = false;
        Instance.State = TPipeState::writing;
      } else if (!Done && GetLastError() == ERROR_IO_PENDING) {
        Instance.Pending = true;
      } else {
        Reconnect(Instance);
      }
      return;
    }
    case TPipeState::writing: {
      MakeAnswer(Instance);
      DWORD Bytes = 0;
      const BOOL Done =
          WriteFile(Instance.Pipe, Instance.WriteBuffer, Instance.BytesToWrite, &Bytes, &Instance.Overlapped);
      if (Done && Bytes == static_cast<DWORD>(Instance.BytesToWrite)) {
        ++FStats.Answers;
        FStats.BytesSent += Bytes;
        Instance.Pending = false;
        Instance.State = TPipeState::reading;
        ServeInstance(Instance);  // the read that sees the client leave
      } else if (!Done && GetLastError() == ERROR_IO_PENDING) {
        Instance.Pending = true;
      } else {
        ++FStats.WriteErrors;
        Reconnect(Instance);
      }
      return;
    }
    default:
      DebugLog(LogError, "Wrong pipe state");
  }
}

void TPipeServer::MakeAnswer(TPipeInstance& Instance) {
  bool UseDefaultAnswer = true;
  ProcessRequest(Instance.ReadBuffer, Instance.BytesRead, Instance.WriteBuffer, PipeBufferSize,
                 Instance.BytesToWrite, UseDefaultAnswer);
  if (UseDefaultAnswer) {
    const std::string Text =
        Format("ACK %d bytes ", Instance.BytesRead) + FormatDateTime("hh:nn:ss", Now());
    const size_t Size = std::min(Text.size(), sizeof(Instance.WriteBuffer));
    std::memcpy(Instance.WriteBuffer, Text.data(), Size);
    Instance.BytesToWrite = static_cast<int32_t>(Size);
  }
  Instance.BytesToWrite = std::clamp(Instance.BytesToWrite, 0, PipeBufferSize);
}
