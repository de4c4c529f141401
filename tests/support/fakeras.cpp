#include "support/fakeras.h"

#include <cstring>

namespace {

template <size_t N>
void CopyName(char (&Field)[N], const std::string& Name) {
  std::strncpy(Field, Name.c_str(), N - 1);
  Field[N - 1] = '\0';
}

// rasapi32's rule: the first record's size field names the version, and a buffer
// too small for every record fails with the size it would need.
template <class TRecord, class TItem, class TFill>
DWORD Enumerate(TRecord* Buffer, DWORD* BufferSize, DWORD* Count, const std::vector<TItem>& Items, TFill Fill) {
  if (Buffer == nullptr || Buffer->dwSize != sizeof(TRecord)) {
    return TFakeRas::InvalidSize;
  }
  DWORD Needed = static_cast<DWORD>(Items.size() * sizeof(TRecord));
  if (*BufferSize < Needed) {
    *BufferSize = Needed;
    *Count = 0;
    return TFakeRas::BufferTooSmall;
  }
  for (size_t I = 0; I < Items.size(); ++I) {
    Buffer[I].dwSize = sizeof(TRecord);
    Fill(Buffer[I], Items[I]);
  }
  *Count = static_cast<DWORD>(Items.size());
  return 0;
}

}  // namespace

TFakeRas::TFakeRas() {
  ErrorTexts[BufferTooSmall] = "The buffer is too small.";
  ErrorTexts[InvalidSize] = "The structure size is incorrect.";
  SetRasApi(this);
}

TFakeRas::~TFakeRas() { SetRasApi(nullptr); }

DWORD TFakeRas::EnumEntries(TRasEntryNameA* Buffer, DWORD* BufferSize, DWORD* Count) {
  return Enumerate(Buffer, BufferSize, Count, Entries,
                   [](TRasEntryNameA& Record, const std::string& Name) { CopyName(Record.szEntryName, Name); });
}

DWORD TFakeRas::EnumConnections(TRasConnA* Buffer, DWORD* BufferSize, DWORD* Count) {
  return Enumerate(Buffer, BufferSize, Count, Connections,
                   [](TRasConnA& Record, const std::pair<std::string, HRASCONN>& Connection) {
                     CopyName(Record.szEntryName, Connection.first);
                     Record.hrasconn = Connection.second;
                   });
}

DWORD TFakeRas::GetEntryDialParams(TRasDialParamsA* Params, BOOL* PasswordSaved) {
  CopyName(Params->szUserName, "dialuser");
  CopyName(Params->szPassword, "dialpass");
  *PasswordSaved = TRUE;
  return 0;
}

DWORD TFakeRas::Dial(TRasDialParamsA* Params, HRASCONN* Connection) {
  Dialled.push_back(Params->szEntryName);
  *Connection = DialHandle;
  if (DialResult == 0) {
    Connections.emplace_back(Params->szEntryName, DialHandle);
  }
  return DialResult;
}

DWORD TFakeRas::HangUp(HRASCONN Connection) {
  HungUp.push_back(Connection);
  if (HangUpResult == 0) {
    for (auto It = Connections.begin(); It != Connections.end(); ++It) {
      if (It->second == Connection) {
        Connections.erase(It);
        break;
      }
    }
  }
  return HangUpResult;
}

DWORD TFakeRas::GetErrorString(DWORD Code, char* Buffer, DWORD BufferSize) {
  auto Text = ErrorTexts.find(Code);
  if (Text == ErrorTexts.end() || Buffer == nullptr || BufferSize <= Text->second.size()) {
    return ERROR_INVALID_PARAMETER;
  }
  std::strcpy(Buffer, Text->second.c_str());
  return 0;
}
