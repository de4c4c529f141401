// A phonebook for tests of the dial-up helpers: put it in with SetRasApi (the
// constructor does, the destructor puts rasapi32 back). It behaves like rasapi32
// for the record versions the helpers use and records what was asked of it.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "shared/rasutils.h"

class TFakeRas : public TRasApi {
public:
  TFakeRas();
  ~TFakeRas() override;

  // What the platform holds.
  std::vector<std::string> Entries;
  std::vector<std::pair<std::string, HRASCONN>> Connections;  // active ones
  std::map<DWORD, std::string> ErrorTexts;                     // codes with a system text
  DWORD DialResult = 0;          // 0: the dial connects
  HRASCONN DialHandle = reinterpret_cast<HRASCONN>(0x1000);    // handed out by a dial, also a failed one
  DWORD HangUpResult = 0;

  // What was asked.
  std::vector<std::string> Dialled;
  std::vector<HRASCONN> HungUp;
  std::vector<DWORD> Sleeps;

  // The platform's code and text for a buffer that is too small.
  static constexpr DWORD BufferTooSmall = 603;
  static constexpr DWORD InvalidSize = 632;

  DWORD EnumEntries(TRasEntryNameA* Buffer, DWORD* BufferSize, DWORD* Count) override;
  DWORD EnumConnections(TRasConnA* Buffer, DWORD* BufferSize, DWORD* Count) override;
  DWORD GetEntryDialParams(TRasDialParamsA* Params, BOOL* PasswordSaved) override;
  DWORD Dial(TRasDialParamsA* Params, HRASCONN* Connection) override;
  DWORD HangUp(HRASCONN Connection) override;
  DWORD GetErrorString(DWORD Code, char* Buffer, DWORD BufferSize) override;
  void Sleep(DWORD Milliseconds) override { Sleeps.push_back(Milliseconds); }
};
