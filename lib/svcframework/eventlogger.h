// The event log under one source name.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class TEventLogger {
public:
  explicit TEventLogger(const std::string& Source) : FHandle(RegisterEventSourceA(nullptr, Source.c_str())) {}
  ~TEventLogger() { if (FHandle) { DeregisterEventSource(FHandle); } }
  TEventLogger(const TEventLogger&) = delete;
  TEventLogger& operator=(const TEventLogger&) = delete;

  // One entry with the message as its only string; a failure is ignored.
  void Write(const std::string& Message, uint16_t EventType, uint16_t Category, uint32_t ID) {
    if (!FHandle) { return; }
    const char* Strings[] = {Message.c_str()};
    ReportEventA(FHandle, EventType, Category, ID, nullptr, 1, 0, Strings, nullptr);
  }

private:
  HANDLE FHandle;
};
