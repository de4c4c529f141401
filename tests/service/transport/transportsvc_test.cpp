#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "rtl/files.h"
#include "service/dirlist.h"
#include "support/categoryswitches.h"
#include "support/fakeras.h"
#include "support/ftptestenv.h"
#include "support/waitfor.h"
#include "transporttestsvc.h"

namespace {

std::string CopyIni(const TTransportFolders& F, const std::string& Extra = "") {
  return "[General]\r\nLogDetailed=0\r\n[Directory0]\r\nTrackDirectory=" + F.Shop +
         "\r\n[Transport]\r\nTransport=COPY\r\nDestination0=" + F.Out + "\r\nDestinationDirectory=shop0001\r\n" + Extra;
}

// Each test sends into a folder of its own on the shared server.
std::string FtpFolder() {
  return testing::UnitTest::GetInstance()->current_test_info()->name() + std::to_string(GetCurrentProcessId());
}

std::string FtpIni(const TTransportFolders& F, const std::string& Extra = "") {
  return "[General]\r\nLogDetailed=1\r\n[Directory0]\r\nTrackDirectory=" + F.Shop +
         "\r\n[Transport]\r\nTransport=FTP\r\nDestination0=127.0.0.1\r\nPort=" +
         std::to_string(FtpTestEnv::PortOf("ftp")) + "\r\nPassiveMode=1\r\nUsername=" + FtpTestEnv::User +
         "\r\nPassword=" + FtpTestEnv::Password + "\r\nDestinationDirectory=" + FtpFolder() + "\r\n" + Extra;
}

std::vector<std::string> EntriesOf(TTestTransportSvc& Svc, const std::string& Directory) {
  TStringList L;
  Svc.BuildDirectoryEntries(Directory, L);
  std::vector<std::string> R;
  for (int I = 0; I < L.Count(); ++I) { R.push_back(L[I]); }
  return R;
}

bool Contains(const std::string& Text, const std::string& Part) { return Text.find(Part) != std::string::npos; }

int CountOf(const std::string& Text, const std::string& Part) {
  int Count = 0;
  for (size_t At = Text.find(Part); At != std::string::npos; At = Text.find(Part, At + 1)) { ++Count; }
  return Count;
}

}  // namespace

class TransportCopyTest : public testing::Test {
protected:
  TTransportFolders F;
  TTestTransportSvc Svc;
  bool Started = false;
  void TearDown() override {
    if (Started) { Svc.Stop(); }
  }
  void Start(const std::string& Ini) {
    F.WriteIni(Ini);
    Started = Svc.Start();
    ASSERT_TRUE(Started);
  }
  std::string OutFile(const std::string& Relative) const { return F.Out + "\\shop0001\\" + Relative; }
};

TEST_F(TransportCopyTest, EntriesFollowTheCategoryTableAndItsSwitches) {
  for (const char* Folder : {"comptage", "caisse", "filters", "messages", "meteo", "events", "footfall"}) {
    CreateDirectoryA((F.Shop + "\\" + Folder).c_str(), nullptr);
  }
  Svc.Config().DestinationDirectory = "S";
  const std::string D = F.Shop;
  const std::vector<std::string> Expected{D + ";arg",         D + "\\comptage;scb", D + "\\caisse;txt",
                                          D + "\\filters;fif", D + "\\messages;msg", D + "\\meteo;txt",
                                          D + "\\events;txt",  D + "\\footfall;txt"};
  EXPECT_EQ(EntriesOf(Svc, D), Expected);
  Svc.Config().Heatmap = true;  // switched on, but the folder is missing
  EXPECT_EQ(EntriesOf(Svc, D), Expected);
  Svc.Config().Caisse = false;
  EXPECT_EQ(EntriesOf(Svc, D).size(), 7u);

  bool Ascending = true;
  for (const std::string& Entry : Expected) {
    Svc.IsAscendingEntry(Entry, Ascending);
    EXPECT_EQ(Ascending, Entry.substr(Entry.size() - 3) == "fif") << Entry;
  }

  // With every folder present, each switch drops its own folder and no other.
  CreateDirectoryA((D + "\\heatmap").c_str(), nullptr);
  for (const auto& [Folder, Key, Switch] : ExpectedCategories) {
    for (const TExpectedCategory& Each : ExpectedCategories) { Svc.Config().*Each.Switch = true; }
    Svc.Config().*Switch = false;
    const std::vector<std::string> Entries = EntriesOf(Svc, D);
    EXPECT_EQ(Entries.size(), 8u) << Folder;
    for (const std::string& Entry : Entries) { EXPECT_NE(Entry.substr(0, Entry.find(';')), D + "\\" + Folder); }
  }
}

TEST_F(TransportCopyTest, CorFilesBecomeLowerCaseScbFilesWhateverTheSwitch) {
  F.ShopFile("comptage/DATA.COR", "new");
  F.ShopFile("comptage/data.scb", "old");
  F.ShopFile("comptage/Mixed.Cor", "mixed");
  Svc.Config().DestinationDirectory = "S";
  Svc.Config().Scb = false;
  EntriesOf(Svc, F.Shop);
  // Names compared to the letter: file lookups would ignore case.
  EXPECT_EQ(FileNamesIn(F.Shop + "\\comptage"), (std::vector<std::string>{"data.scb", "mixed.scb"}));
  EXPECT_EQ(ReadTextFile(F.Shop + "\\comptage\\data.scb"), "new");

  F.ShopFile("comptage/x.cor");
  Svc.Config().DestinationDirectory = "";  // nothing is sent, nothing is renamed
  EXPECT_TRUE(EntriesOf(Svc, F.Shop).empty());
  EXPECT_TRUE(FileExists(F.Shop + "\\comptage\\x.cor"));
}

TEST_F(TransportCopyTest, StartupNamesTheDestinationsAndTheirStatusFiles) {
  Start(CopyIni(F, "Destination1=E:\\second\r\n"));
  EXPECT_EQ(Svc.StatusFileCount(), 2);
  EXPECT_EQ(Svc.StatusFile(0), "trlist0.dst");
  EXPECT_EQ(Svc.StatusFile(1), "trlist1.dst");
  EXPECT_TRUE(Contains(F.LogTexts(), "Copie des nouveaux fichiers du dossier vers " + F.Out +
                                         "\\shop0001, et aussi vers E:\\second\\shop0001\n"));
  Svc.Config().Transport = tkFtp;
  Svc.Config().SetDestination(0, "H");
  Svc.Config().SetDestination(1, "");
  Svc.Config().DestinationDirectory = "S";
  EXPECT_EQ(Svc.DestinationText(), "H/S");
}

TEST_F(TransportCopyTest, ACycleSendsEveryCategoryAndTheNextSendsOnlyChanges) {
  F.ShopFile("comptage/a.scb");
  F.ShopFile("comptage/B.COR");
  F.ShopFile("comptage/notes.txt");  // not of the category's kind
  F.ShopFile("caisse/t.txt");
  F.ShopFile("filters/f.fif");
  F.ShopFile("meteo/m.txt");
  F.ShopFile("shop.arg");
  F.ShopFile("SHOPINFO.ARG");
  Start(CopyIni(F));
  Svc.RunCycle();

  for (const char* Sent : {"comptage\\a.scb", "comptage\\b.scb", "caisse\\t.txt", "filters\\f.fif", "meteo\\m.txt",
                           "shop\\shop.arg", "SHOPINFO.ARG"}) {
    EXPECT_TRUE(FileExists(OutFile(Sent))) << Sent;
  }
  EXPECT_FALSE(FileExists(OutFile("comptage\\notes.txt")));
  EXPECT_TRUE(FileExists(F.Shop + "\\comptage\\trlist0.dst"));
  EXPECT_TRUE(Contains(F.LogTexts(), "processed 7 files OK, 0 files bad, elapsed "));

  RemoveTree(F.Out);
  Svc.RunCycle();
  EXPECT_FALSE(DirectoryExists(F.Out));  // nothing changed, nothing sent

  F.ShopFile("caisse/t.txt", "a longer text");
  Svc.RunCycle();
  EXPECT_TRUE(FileExists(OutFile("caisse\\t.txt")));
  EXPECT_FALSE(FileExists(OutFile("comptage\\a.scb")));
}

TEST_F(TransportCopyTest, AFailedDestinationGetsItsFilesLaterAndTheOtherNotAgain) {
  const std::string Second = F.Dir.Path() + "\\second";
  WriteTextFile(Second, "a file where the folder should be");
  F.ShopFile("comptage/a.scb");
  Start(CopyIni(F, "Destination1=" + Second + "\r\n"));
  Svc.RunCycle();
  EXPECT_TRUE(FileExists(OutFile("comptage\\a.scb")));
  const std::string Log = F.LogTexts();
  EXPECT_TRUE(Contains(Log, "Copie impossible de a.scb vers shop0001\\comptage : Création de dossier impossible: " +
                                Second + "\\shop0001\\comptage : "))
      << Log;
  EXPECT_TRUE(Contains(Log, "processed 1 files OK, 0 files bad, elapsed "));  // a raised failure is not counted

  DeleteFileA(Second.c_str());
  RemoveTree(F.Out);
  Svc.RunCycle();
  EXPECT_TRUE(FileExists(Second + "\\shop0001\\comptage\\a.scb"));
  EXPECT_FALSE(FileExists(OutFile("comptage\\a.scb")));
}

TEST_F(TransportCopyTest, TheFolderIsMadeSureOfOncePerEntryAndPass) {
  F.ShopFile("comptage/a.scb");
  F.ShopFile("comptage/b.scb");
  Start(CopyIni(F));
  bool Continue = true;
  EXPECT_TRUE(Svc.ProcessFile(F.Shop + "\\comptage\\b.scb", "", Continue));
  RemoveTree(OutFile("comptage"));
  // The folder is known to exist, so the next copy is not preceded by a new check.
  EXPECT_THROW(Svc.ProcessFile(F.Shop + "\\comptage\\a.scb", "", Continue), Exception);
  EXPECT_TRUE(Contains(F.LogTexts(), "Copie impossible de a.scb vers shop0001\\comptage : System Error.  Code: 3. "));
  Svc.PrepareDestination();  // a new pass makes sure again
  EXPECT_TRUE(Svc.ProcessFile(F.Shop + "\\comptage\\a.scb", "", Continue));
}

// Offers the shop's comptage files to the service; a stop arrives as the first
// one has been handled, before the next is offered.
void ProcessWithAStopAfterTheFirstFile(TTestTransportSvc& Svc, TDirectoryList& List) {
  MSG Msg;
  PeekMessageA(&Msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // this thread's queue
  Svc.PrepareDestination();
  int Offered = 0;
  List.Process(false, [&](const std::string& FileName, const std::string& EntryParam, bool& Continue) {
    const bool Sent = Svc.ProcessFile(FileName, EntryParam, Continue);
    if (++Offered == 1) { EXPECT_TRUE(Svc.QueueControl(SERVICE_CONTROL_STOP, GetCurrentThreadId())); }
    return Sent;
  });
}

// A stop that arrives between two files ends the pass: the next file is not
// copied, and the stop waits for the scheduler to serve it.
TEST_F(TransportCopyTest, AStopBetweenTwoFilesSendsNoFurtherFile) {
  for (const char* Name : {"a.scb", "b.scb", "c.scb"}) { F.ShopFile(std::string("comptage/") + Name); }
  Start(CopyIni(F));
  TDirectoryList List(F.Shop + "\\comptage", "scb", "", 0, "trlist0.dst");
  ProcessWithAStopAfterTheFirstFile(Svc, List);
  EXPECT_EQ(FileNamesIn(OutFile("comptage")), std::vector<std::string>{"c.scb"});
  EXPECT_EQ(List.OkCount(), 1);
  EXPECT_EQ(List.FailCount(), 1);
  EXPECT_FALSE(Svc.Terminated());
  Svc.ProcessRequests(false);  // as the scheduler does after the cycle
  Started = false;  // the stop has run
  EXPECT_TRUE(Svc.Terminated());
}

class TransportFtpTest : public TransportCopyTest {};

TEST_F(TransportFtpTest, ACycleUploadsIntoTheShopFolderOnTheServer) {
  F.ShopFile("comptage/a.scb", "counting");
  F.ShopFile("shopinfo.arg", "region");
  F.ShopFile("y.arg", "arg");
  Start(FtpIni(F));
  Svc.RunCycle();
  const std::string Folder = FtpFolder();
  EXPECT_TRUE(FtpTestEnv::SameContents(F.Shop + "\\comptage\\a.scb", FtpTestEnv::HomePath(Folder + "/comptage/a.scb")));
  EXPECT_TRUE(FtpTestEnv::SameContents(F.Shop + "\\shopinfo.arg", FtpTestEnv::HomePath(Folder + "/shopinfo.arg")));
  EXPECT_TRUE(FtpTestEnv::SameContents(F.Shop + "\\y.arg", FtpTestEnv::HomePath(Folder + "/shop/y.arg")));
  const std::string Log = F.LogTexts();
  EXPECT_TRUE(Contains(Log, "Connection à 127.0.0.1:" + std::to_string(FtpTestEnv::PortOf("ftp")) + " avec \"" +
                                FtpTestEnv::User + "\" le mot de passe \"" + FtpTestEnv::Password + "\"\n"));
  EXPECT_TRUE(Contains(Log, "transmission du fichier " + F.Shop + "\\comptage\\a.scb\n"));
  EXPECT_TRUE(Contains(Log, "processed 3 files OK, 0 files bad, elapsed "));
  EXPECT_TRUE(Contains(Log, "Copie des nouveaux fichiers du dossier vers 127.0.0.1/" + Folder + "\n"));
}

// By FTP, the file after a stop is not tried either: the session is cancelled,
// so it could only fail and log a failure that is none.
TEST_F(TransportFtpTest, AStopBetweenTwoFilesLogsNoFailure) {
  for (const char* Name : {"a.scb", "b.scb"}) { F.ShopFile(std::string("comptage/") + Name); }
  Start(FtpIni(F));
  TDirectoryList List(F.Shop + "\\comptage", "scb", "", 0, "trlist0.dst");
  ProcessWithAStopAfterTheFirstFile(Svc, List);
  const std::string Log = F.LogTexts();
  EXPECT_EQ(CountOf(Log, "transmission du fichier "), 1) << Log;
  EXPECT_FALSE(Contains(Log, "Copie impossible")) << Log;
  EXPECT_TRUE(FtpTestEnv::FileExists(FtpTestEnv::HomePath(FtpFolder() + "/comptage/b.scb")));
  Svc.ProcessRequests(false);
  Started = false;
}

TEST_F(TransportFtpTest, ARefusedLogOnLosesNothing) {
  F.ShopFile("comptage/a.scb", "counting");
  Start(FtpIni(F));
  Svc.Config().Password = "wrong";
  Svc.RunCycle();
  const std::string Folder = FtpFolder();
  EXPECT_FALSE(FtpTestEnv::FileExists(FtpTestEnv::HomePath(Folder + "/comptage/a.scb")));
  EXPECT_TRUE(Contains(F.LogTexts(), "Copie impossible de a.scb vers " + Folder + "/comptage : "));

  Svc.Config().Password = FtpTestEnv::Password;
  Svc.RunCycle();
  EXPECT_TRUE(FtpTestEnv::FileExists(FtpTestEnv::HomePath(Folder + "/comptage/a.scb")));
}

TEST_F(TransportFtpTest, TheDetailedConnectionLineNamesTheProxy) {
  Start(FtpIni(F));
  Svc.Config().ProxyType = pkUserPass;
  Svc.Config().ProxyHost = "10.1.2.3";
  Svc.Config().ProxyPort = 8021;
  Svc.Config().ProxyUser = "pu";
  Svc.Config().ProxyPassword = "pp";
  Svc.PrepareDestination();
  EXPECT_TRUE(Contains(F.LogTexts(), "\" via 10.1.2.3:8021 as \"pu\" password \"pp\" (method USER-PASS)\n"));
}

class TransportDialUpTest : public TransportCopyTest {
protected:
  TFakeRas Ras;
  void SetUp() override {
    Ras.ErrorTexts[678] = "The remote computer did not respond.";
    Start(FtpIni(F));
    Svc.Config().Connection = "modem";
  }
  // A stop request waiting in the queue ends the hang-up pause at once.
  void QueueStopRequest() { PostThreadMessageA(GetCurrentThreadId(), WM_USER + 1, SERVICE_CONTROL_STOP, 0); }
  void DropQueuedRequests() {
    MSG Msg;
    while (PeekMessageA(&Msg, nullptr, WM_USER + 1, WM_USER + 1, PM_REMOVE)) {}
  }
};

TEST_F(TransportDialUpTest, PhonebookProblemsAreLoggedAndNothingIsDialled) {
  Svc.DialUp();
  Ras.Entries = {"office"};
  Svc.DialUp();
  Ras.Entries = {"office", "MODEM"};
  Ras.DialResult = 678;
  Svc.DialUp();
  const std::string Log = F.LogTexts();
  EXPECT_TRUE(Contains(Log, "Dans l'phonebook il n'y a pas de liaisons de modem\n"));
  EXPECT_TRUE(Contains(Log, "Il n'y a pas de liason de mOdem \"modem\" dans l'phonebook par défaut\n"));
  EXPECT_TRUE(Contains(Log, "Erreur de connexion de \"modem\": The remote computer did not respond.\n"));
  EXPECT_EQ(Svc.FDialledEntry, "");
}

TEST_F(TransportDialUpTest, AConnectionIsHeldAcrossTheFilesOfAPass) {
  Ras.Entries = {"modem"};
  Svc.DialUp();
  EXPECT_TRUE(Contains(F.LogTexts(), "Connexion de \"modem\" établie\n"));
  EXPECT_EQ(Svc.FDialledEntry, "modem");
  Ras.Connections = {{"modem", Ras.DialHandle}};
  Svc.DialUp();
  Svc.DialUp();
  EXPECT_EQ(Ras.Dialled.size(), 1u);

  Ras.Connections.clear();  // the line dropped: the next file dials again
  Svc.DialUp();
  EXPECT_EQ(Ras.Dialled.size(), 2u);
}

TEST_F(TransportDialUpTest, ThePauseIsHalfTheIntervalAtMostAndUnboundedInExactTimeMode) {
  Ras.Entries = {"modem"};
  Svc.Config().DisconnDelay = 15;
  Svc.Config().TimeBetweenActions = 600;
  for (bool ExactTime : {false, true}) {
    Svc.Config().ExactTimeMode = ExactTime;
    Svc.DialUp();
    Ras.Connections = {{"modem", Ras.DialHandle}};
    QueueStopRequest();
    Svc.HangUpAfterDelay();
    DropQueuedRequests();
    Ras.Connections.clear();
  }
  const std::string Log = F.LogTexts();
  EXPECT_TRUE(Contains(Log, "Pause 300 sec avant le déconnexion de \"modem\"\n"));
  EXPECT_TRUE(Contains(Log, "Pause 900 sec avant le déconnexion de \"modem\"\n"));
  EXPECT_TRUE(Contains(Log, "Connexion de \"modem\" est terminée\n"));
  EXPECT_EQ(Ras.HungUp.size(), 2u);
  EXPECT_EQ(Svc.FDialledEntry, "");
}

// A stop that arrives during the pause ends it and hangs up at once; one that
// arrives while a file is sent hangs up at the end of the pass without a pause;
// the stop's own disconnect then finds nothing left to hang up.
TEST_F(TransportDialUpTest, AStopHangsUpAtOnceDuringThePauseOrAfterATransfer) {
  Ras.Entries = {"modem"};
  Svc.Config().DisconnDelay = 15;
  Svc.Config().TimeBetweenActions = 600;  // a pause of 300 s
  Svc.DialUp();
  Ras.Connections = {{"modem", Ras.DialHandle}};
  const DWORD ServiceThread = GetCurrentThreadId();
  std::thread ControlHandler([&] {
    // What the control handler does, once the pause has begun (or at the latest
    // after 20 s, so that the test cannot hang).
    WaitFor([&] { return Contains(F.LogTexts(), "Pause 300 sec"); }, 20000, 50);
    Svc.QueueControl(SERVICE_CONTROL_STOP, ServiceThread);
  });
  const DWORD Begin = GetTickCount();
  Svc.HangUpAfterDelay();
  ControlHandler.join();
  EXPECT_LT(GetTickCount() - Begin, 30000u);
  EXPECT_EQ(Ras.HungUp.size(), 1u);

  Svc.DialUp();  // the file in transfer when the stop came had dialled
  Svc.Disconnect();
  EXPECT_EQ(Ras.HungUp.size(), 2u);
  Svc.ProcessRequests(false);  // the stop itself
  Started = false;
  const std::string Log = F.LogTexts();
  EXPECT_EQ(CountOf(Log, "Pause "), 1) << Log;
  EXPECT_EQ(CountOf(Log, "Connexion de \"modem\" est terminée\n"), 2) << Log;
  EXPECT_TRUE(Contains(Log, "TransportSvc service stopped\n"));
  EXPECT_EQ(Ras.HungUp.size(), 2u);
}

TEST_F(TransportDialUpTest, HangUpAfterNoPauseAndItsFailure) {
  Ras.Entries = {"modem"};
  Svc.Config().DisconnDelay = 0;
  Svc.DialUp();
  Ras.Connections = {{"modem", Ras.DialHandle}};
  Svc.HangUpAfterDelay();
  EXPECT_TRUE(Contains(F.LogTexts(), "Pause 0 sec avant le déconnexion de \"modem\"\n"));
  EXPECT_EQ(Ras.HungUp.size(), 1u);

  Svc.DialUp();
  Ras.Connections.clear();  // gone by itself: the hang-up finds nothing
  Svc.HangUpAfterDelay();
  EXPECT_TRUE(Contains(F.LogTexts(), "Erreur de déconnexion de \"modem\": \n"));
  EXPECT_EQ(Svc.FDialledEntry, "");
}

TEST_F(TransportDialUpTest, NegativeSettingsMeanNoPauseRatherThanWeeks) {
  Ras.Entries = {"modem"};
  Svc.Config().DisconnDelay = 15;
  Svc.Config().TimeBetweenActions = -10;
  Svc.DialUp();
  Ras.Connections = {{"modem", Ras.DialHandle}};
  Svc.HangUpAfterDelay();
  EXPECT_TRUE(Contains(F.LogTexts(), "Pause 0 sec avant le déconnexion de \"modem\"\n"));
}
