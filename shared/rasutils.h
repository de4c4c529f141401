// Dial-up (RAS) helpers: phonebook entries, active connections, synchronous dial
// and hang-up, and the text of the last error. The rasapi32 calls go through
// TRasApi so that tests can put in a phonebook of their own.
#pragma once
#include <windows.h>
#include <ras.h>

#include <cstdint>
#include <string>

#include "rtl/stringlist.h"


// The record versions these helpers hand to rasapi32 (their size fields select them).
struct TRasEntryNameA {
  DWORD dwSize;
  char szEntryName[257];
};
static_assert(sizeof(TRasEntryNameA) == 264);

struct TRasConnA {
  DWORD dwSize;
  HRASCONN hrasconn;
  char szEntryName[257];
  char szDeviceType[17];
  char szDeviceName[129];
};
// The size rasapi32 expects of the 32-bit programs we ship.
static_assert(sizeof(void*) != 4 || sizeof(TRasConnA) == 412);

struct TRasDialParamsA {
  DWORD dwSize;
  char szEntryName[257];
  char szPhoneNumber[129];
  char szCallbackNumber[129];
  char szUserName[257];
  char szPassword[257];
  char szDomain[16];
};
static_assert(sizeof(TRasDialParamsA) == 1052);

// The six rasapi32 calls (default phonebook, no notifier) and the pause after a hang-up.
class TRasApi {
public:
  virtual ~TRasApi() = default;
  virtual DWORD EnumEntries(TRasEntryNameA* Buffer, DWORD* BufferSize, DWORD* Count) = 0;
  virtual DWORD EnumConnections(TRasConnA* Buffer, DWORD* BufferSize, DWORD* Count) = 0;
  virtual DWORD GetEntryDialParams(TRasDialParamsA* Params, BOOL* PasswordSaved) = 0;
  virtual DWORD Dial(TRasDialParamsA* Params, HRASCONN* Connection) = 0;
  virtual DWORD HangUp(HRASCONN Connection) = 0;
  virtual DWORD GetErrorString(DWORD Code, char* Buffer, DWORD BufferSize) = 0;
  virtual void Sleep(DWORD Milliseconds) = 0;
};

// The API in use: rasapi32 unless a test has put in its own (nullptr puts rasapi32 back).
TRasApi& RasApi();
void SetRasApi(TRasApi* Api);

extern uint32_t LastRasError;
extern uint32_t RasDialEventMessage;

bool GetRasEntries(TStringList& List);
// Entry names, each with its connection handle as the item's object.
bool GetRasConnections(TStringList& List);
bool RasHangUpHandle(HRASCONN Handle);
bool RasHangUpByName(const std::string& EntryName);
bool RasDialEntry(const std::string& EntryName);
std::string RasLastErrorText();
// Once per process, before the other helpers.
void InitRasDialEvent();
