// Dialling the configured phonebook entry before FTP work, and hanging it up after.
#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "rtl/format.h"
#include "rtl/stringlist.h"
#include "rtl/strings.h"
#include "service/transportsvc.h"
#include "shared/rasutils.h"

void TTransportSvc::DialUp() {
  const std::string& Connection = FTransportConfig.Connection;
  TStringList List;
  if (!FDialledEntry.empty()) {
    if (!GetRasConnections(List)) {
      Log(LogError, Format("Erreur à la réception du liste des connexions actif de modem: %s", RasLastErrorText()));
      FDialledEntry.clear();
    } else if (List.IndexOf(FDialledEntry) >= 0) {
      return;  // the line is still up
    } else {
      FDialledEntry.clear();
    }
  }
  if (!GetRasEntries(List)) {
    Log(LogError, Format("Erreur à la réception du liste des liaisons de modem de l'phonebook par défaut: %s",
                  RasLastErrorText()));
    return;
  }
  if (List.Count() == 0) {
    Log(LogError, "Dans l'phonebook il n'y a pas de liaisons de modem");
    return;
  }
  if (List.IndexOf(Connection) < 0) {
    Log(LogError, "Il n'y a pas de liason de mOdem " + Quoted(Connection) + " dans l'phonebook par défaut");
    return;
  }
  if (!RasDialEntry(Connection)) {
    Log(LogError, "Erreur de connexion de " + Quoted(Connection) + ": " + RasLastErrorText());
    return;
  }
  Log(LogInformation, "Connexion de " + Quoted(Connection) + " établie");
  FDialledEntry = Connection;
}

void TTransportSvc::HangUpAfterDelay() {
  if (FDialledEntry.empty()) { return; }
  if (Status() != SERVICE_STOP_PENDING) {
    const TTransportConfig& C = FTransportConfig;
    // Negative settings would wrap into a pause of weeks: they count as no pause.
    int64_t Delay = std::max<int64_t>(0, int64_t{C.DisconnDelay} * 60000);
    if (!C.ExactTimeMode) {
      const int64_t Half = int64_t{C.TimeBetweenActions} * 1000 / 2;
      if (Half < Delay) { Delay = std::max<int64_t>(0, Half); }
    }
    Log(LogInformation, "Pause " + std::to_string(Delay / 1000) + " sec avant le déconnexion de " + Quoted(FDialledEntry));
    // Unsigned tick differences stay right across one wrap of the counter.
    const DWORD Start = GetTickCount();
    while (!Terminated() && Status() != SERVICE_STOP_PENDING && !CheckUrgentControl() &&
           static_cast<int64_t>(GetTickCount() - Start) < Delay) {
      ProcessRequests(false);
      Sleep(10);
    }
    if (Terminated()) { return; }
  }
  if (RasHangUpByName(FDialledEntry)) {
    Log(LogInformation, "Connexion de " + Quoted(FDialledEntry) + " est terminée");
  } else {
    Log(LogError, "Erreur de déconnexion de " + Quoted(FDialledEntry) + ": " + RasLastErrorText());
  }
  FDialledEntry.clear();
}
