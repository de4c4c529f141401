// What the status files promise of the real service: a change made while a
// folder is sent is not lost, and a crash while a status file is rewritten
// sends nothing again.
#include <vector>

#include "rtl/sync.h"
#include "tests/service/transport/norvaskfixture.h"

namespace {

std::string Numbered(int I) { return "f" + std::to_string(10000 + I) + ".scb"; }

std::string CopyIni(const std::string& Shop, const std::string& Out) {
  return "[General]\r\nTimeBetweenActions=1\r\n[Directory0]\r\nTrackDirectory=" + Shop +
         "\r\n[Transport]\r\nTransport=COPY\r\nDestination0=" + Out + "\r\nDestinationDirectory=S\r\n";
}

// True when one of the change records names a file whose name holds Part.
bool NamesFile(const BYTE* Record, DWORD Bytes, const std::wstring& Part) {
  if (Bytes == 0) { return false; }  // more changes than the buffer held
  for (;;) {
    const auto* Info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(Record);
    if (std::wstring(Info->FileName, Info->FileNameLength / sizeof(WCHAR)).find(Part) != std::wstring::npos) {
      return true;
    }
    if (Info->NextEntryOffset == 0) { return false; }
    Record += Info->NextEntryOffset;
  }
}

// Waits at most Ms for the first change in Folder to a file whose name holds Part.
bool WaitForChangeTo(const std::string& Folder, const std::wstring& Part, DWORD Ms) {
  constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  constexpr DWORD Changes = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
  HANDLE Watched = CreateFileA(Folder.c_str(), FILE_LIST_DIRECTORY, ShareAll, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  if (Watched == INVALID_HANDLE_VALUE) { return false; }
  TEvent Done;
  std::vector<DWORD> Buffer(16384);  // DWORD-aligned, as the records must be
  bool Seen = false;
  const DWORD Start = GetTickCount();
  for (DWORD Spent = 0; !Seen && Spent < Ms; Spent = GetTickCount() - Start) {
    OVERLAPPED Io{};
    Io.hEvent = Done.Handle();
    DWORD Bytes = 0;
    if (!ReadDirectoryChangesW(Watched, Buffer.data(), static_cast<DWORD>(Buffer.size() * sizeof(DWORD)), FALSE,
                               Changes, nullptr, &Io, nullptr)) {
      break;
    }
    if (WaitForSingleObject(Io.hEvent, Ms - Spent) != WAIT_OBJECT_0 ||
        !GetOverlappedResult(Watched, &Io, &Bytes, FALSE)) {
      CancelIo(Watched);
      GetOverlappedResult(Watched, &Io, &Bytes, TRUE);  // the system is done with Io and the buffer
      break;
    }
    Seen = NamesFile(reinterpret_cast<const BYTE*>(Buffer.data()), Bytes, Part);
  }
  CloseHandle(Watched);
  return Seen;
}

}  // namespace

TEST_F(NorvaskServiceTest, AFileRewrittenWhileItsFolderIsSentArrivesWithItsLastContentWithinTwoCycles) {
  constexpr int Files = 1500;
  for (int I = 0; I < Files; ++I) { ShopFile("comptage\\" + Numbered(I), "data " + std::to_string(I)); }
  ShopFile("comptage\\zz.scb", "first");  // the greatest name goes first
  Install(CopyIni(Shop, Out0));
  Start();
  const std::string Sent = Out0 + "\\S\\comptage\\";
  ASSERT_TRUE(WaitFor([&] { return FileExists(Sent + "zz.scb"); }, WaitLimitMs, 5));
  ShopFile("comptage\\zz.scb", "second, and the last");
  ASSERT_FALSE(FileExists(Sent + Numbered(0))) << "the folder was sent before the file changed";

  ASSERT_TRUE(WaitForCycles(2)) << Log();
  EXPECT_EQ(ReadTextFile(Sent + "zz.scb"), "second, and the last");
  Stop();
}

TEST_F(NorvaskServiceTest, AKillWhileAStatusFileIsRewrittenSendsNothingAgainAfterTheNextStart) {
  constexpr int Files = 3000;
  for (int I = 0; I < Files; ++I) { ShopFile("comptage\\" + Numbered(I), "data " + std::to_string(I)); }
  Install(CopyIni(Shop, Out0));
  Start();
  const std::string Folder = Shop + "\\comptage";
  const std::string Status = Folder + "\\trlist0.dst";
  ASSERT_TRUE(WaitFor([&] { return ReadLines(Status).size() == Files + 4; }, 3 * WaitLimitMs)) << Log();

  // Every cycle rewrites the status file, and the kill comes as a rewrite
  // begins. It has cut one short when something more than the data files and
  // the whole status file is left in the folder.
  bool CutShort = false;
  for (int Attempt = 0; Attempt < 3 && !CutShort; ++Attempt) {
    if (Attempt > 0) { Start(); }
    HANDLE Process = OpenServiceProcess();
    ASSERT_NE(Process, nullptr);
    const bool Rewriting = WaitForChangeTo(Folder, L"trlist0", WaitLimitMs);
    Kill(Process);
    ASSERT_TRUE(Rewriting);
    CutShort = FileNamesIn(Folder).size() != Files + 1 || ReadLines(Status).size() != Files + 4;
  }
  ASSERT_TRUE(CutShort) << "no kill came during a rewrite";

  RemoveTree(Out0);
  Start();
  ASSERT_TRUE(WaitForCycles(1)) << Log();
  EXPECT_EQ(FileNamesIn(Out0 + "\\S\\comptage").size(), 0u) << "files recorded before the kill were sent again";
  EXPECT_EQ(ReadLines(Status).size(), static_cast<size_t>(Files + 4));
  EXPECT_EQ(FileNamesIn(Folder).size(), static_cast<size_t>(Files + 1));  // nothing left beside it
  Stop();
}
