#include "shared/rasutils.h"

#include <cstring>
#include <vector>

#include "rtl/format.h"

uint32_t LastRasError = 0;
uint32_t RasDialEventMessage = 0;

namespace {

constexpr int RecordsInBuffer = 16;
// The dial-event message that the RAS interface documents, for when none can be registered.
constexpr uint32_t DefaultRasDialEventMessage = 0xCCCD;

// rasapi32 itself: default phonebook, synchronous dial. Our records stand in for
// the platform's older record versions of the same layout.
class TSystemRasApi : public TRasApi {
public:
  DWORD EnumEntries(TRasEntryNameA* Buffer, DWORD* BufferSize, DWORD* Count) override {
    return RasEnumEntriesA(nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEA>(Buffer), BufferSize, Count);
  }
  DWORD EnumConnections(TRasConnA* Buffer, DWORD* BufferSize, DWORD* Count) override {
    return RasEnumConnectionsA(reinterpret_cast<LPRASCONNA>(Buffer), BufferSize, Count);
  }
  DWORD GetEntryDialParams(TRasDialParamsA* Params, BOOL* PasswordSaved) override {
    return RasGetEntryDialParamsA(nullptr, reinterpret_cast<LPRASDIALPARAMSA>(Params), PasswordSaved);
  }
  DWORD Dial(TRasDialParamsA* Params, HRASCONN* Connection) override {
    return RasDialA(nullptr, nullptr, reinterpret_cast<LPRASDIALPARAMSA>(Params), 0, nullptr, Connection);
  }
  DWORD HangUp(HRASCONN Connection) override { return RasHangUpA(Connection); }
  DWORD GetErrorString(DWORD Code, char* Buffer, DWORD BufferSize) override {
    return RasGetErrorStringA(Code, Buffer, BufferSize);
  }
  void Sleep(DWORD Milliseconds) override { ::Sleep(Milliseconds); }
};

TSystemRasApi SystemRasApi;
TRasApi* CurrentRasApi = &SystemRasApi;

// The text of a fixed-size name field, to its first NUL.
template <size_t N>
std::string FieldText(const char (&Field)[N]) {
  return std::string(Field, strnlen(Field, N));
}

}  // namespace

TRasApi& RasApi() { return *CurrentRasApi; }

void SetRasApi(TRasApi* Api) { CurrentRasApi = Api ? Api : &SystemRasApi; }

bool GetRasEntries(TStringList& List) {
  LastRasError = 0;
  List.Clear();
  std::vector<TRasEntryNameA> Entries(RecordsInBuffer);
  std::memset(Entries.data(), 0, Entries.size() * sizeof(TRasEntryNameA));
  Entries[0].dwSize = sizeof(TRasEntryNameA);
  DWORD BufferSize = Entries.size() * sizeof(TRasEntryNameA);
  DWORD Count = 0;
  DWORD Result = RasApi().EnumEntries(Entries.data(), &BufferSize, &Count);
  if (Result != 0) {
    LastRasError = Result;
    return false;
  }
  for (DWORD I = 0; I < Count && I < Entries.size(); ++I) {
    List.Add(FieldText(Entries[I].szEntryName));
  }
  return true;
}

bool GetRasConnections(TStringList& List) {
  LastRasError = 0;
  List.Clear();
  std::vector<TRasConnA> Connections(RecordsInBuffer);
  std::memset(Connections.data(), 0, Connections.size() * sizeof(TRasConnA));
  Connections[0].dwSize = sizeof(TRasConnA);
  DWORD BufferSize = Connections.size() * sizeof(TRasConnA);
  DWORD Count = 0;
  DWORD Result = RasApi().EnumConnections(Connections.data(), &BufferSize, &Count);
  if (Result != 0) {
    LastRasError = Result;
    return false;
  }
  for (DWORD I = 0; I < Count && I < Connections.size(); ++I) {
    List.AddObject(FieldText(Connections[I].szEntryName), Connections[I].hrasconn);
  }
  return true;
}

bool RasHangUpHandle(HRASCONN Handle) {
  LastRasError = 0;
  DWORD Result = RasApi().HangUp(Handle);
  if (Result != 0) {
    LastRasError = Result;
    return false;
  }
  // Lets the line settle before it is dialled again.
  RasApi().Sleep(3000);
  return true;
}

bool RasHangUpByName(const std::string& EntryName) {
  LastRasError = 0;
  TStringList Connections;
  if (!GetRasConnections(Connections)) {
    return false;
  }
  int Index = Connections.IndexOf(EntryName);
  if (Index < 0) {
    return false;
  }
  return RasHangUpHandle(static_cast<HRASCONN>(Connections.Objects(Index)));
}

bool RasDialEntry(const std::string& EntryName) {
  LastRasError = 0;
  TRasDialParamsA Params;
  std::memset(&Params, 0, sizeof(Params));
  Params.dwSize = sizeof(Params);
  std::strncpy(Params.szEntryName, EntryName.c_str(), sizeof(Params.szEntryName) - 1);
  BOOL PasswordSaved = FALSE;
  RasApi().GetEntryDialParams(&Params, &PasswordSaved);
  HRASCONN Handle = nullptr;
  DWORD Result = RasApi().Dial(&Params, &Handle);
  if (Result == 0) {
    return true;
  }
  if (Handle != nullptr) {
    RasHangUpHandle(Handle);
  }
  LastRasError = Result;
  return false;
}

std::string RasLastErrorText() {
  if (LastRasError == 0) {
    return std::string();
  }
  char Buffer[256] = {};
  if (RasApi().GetErrorString(LastRasError, Buffer, sizeof(Buffer)) == 0) {
    return FieldText(Buffer);
  }
  return Format("Unknown RAS error (code %d)", static_cast<int>(LastRasError));
}

void InitRasDialEvent() {
  RasDialEventMessage = RegisterWindowMessageA("RasDialEvent");
  if (RasDialEventMessage == 0) {
    RasDialEventMessage = DefaultRasDialEventMessage;
  }
}
