#include "service/dirlist.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "rtl/exceptions.h"
#include "rtl/files.h"
#include "rtl/findfile.h"
#include "rtl/formatdatetime.h"
#include "rtl/handles.h"
#include "rtl/strings.h"
#include "rtl/textfile.h"
#include "service/statustime.h"
#include "shared/commonhelpers.h"

namespace {

// The service has no string table, so the text stands here.
const char* const DirectoryNotExistText = "Directory does not exist";
const char* const DefaultStatusFileName = "dirlist.dst";
const char* const HeaderTimeFormat = "yyyy/mm/dd hh:nn:ss:zzz";

// Hidden and system files, volume labels and folders are never listed.
constexpr DWORD SkippedAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 /* volume label */ | FILE_ATTRIBUTE_DIRECTORY;

bool IsListedFile(DWORD Attributes) { return (Attributes & SkippedAttributes) == 0; }

// The extension after the last dot is ".dst", in any letter case (the letters
// are plain ASCII, so no locale comparison is needed for every listed file).
bool IsStatusFileName(const char* Name) {
  const char* Dot = std::strrchr(Name, '.');
  return Dot && std::strlen(Dot) == 4 && (Dot[1] | 0x20) == 'd' && (Dot[2] | 0x20) == 's' && (Dot[3] | 0x20) == 't';
}

// The standard-time bias only: a status time without "UTC" is taken as local
// standard time, in summer as in winter.
int32_t StandardBias() {
  TIME_ZONE_INFORMATION Info{};
  GetTimeZoneInformation(&Info);
  return Info.Bias;
}

// Characters From (1-based) to From + Count - 1, as far as the text reaches.
int32_t PieceOf(std::string_view Text, size_t From, size_t Count, int32_t Default) {
  return From <= Text.size() ? StrToIntDef(std::string(Text.substr(From - 1, Count)), Default) : Default;
}

// Sizes are written as unsigned 32-bit decimals and read back the same way, so
// that a file of 2 GiB or more matches its line.
uint32_t ReadSize(std::string_view Text) {
  size_t I = Text.find_first_not_of(' ');
  if (I == std::string_view::npos) { return 0; }
  uint64_t Value = 0;
  for (; I < Text.size(); ++I) {
    if (Text[I] < '0' || Text[I] > '9') { return 0; }
    Value = Value * 10 + (Text[I] - '0');
    if (Value > 0xFFFFFFFFull) { return 0; }
  }
  return static_cast<uint32_t>(Value);
}

// The time is read by character positions, so any one-character separators
// read back; false for a date or time out of range.
bool ReadEntryTime(std::string_view Text, int32_t Bias, TDateTime& Time) {
  TDateTime DatePart, TimePart;
  if (!TryEncodeDate(PieceOf(Text, 1, 4, 2000), PieceOf(Text, 6, 2, 1), PieceOf(Text, 9, 2, 1), DatePart) ||
      !TryEncodeTime(PieceOf(Text, 12, 2, 0), PieceOf(Text, 15, 2, 0), PieceOf(Text, 18, 2, 0),
                     PieceOf(Text, 21, 3, 1), TimePart)) {
    return false;
  }
  Time = DatePart + TimePart;
  if (Text.find("UTC") == std::string_view::npos) { Time += Bias / 1440.0; }
  return true;
}

// The whole file, read at once; after a failed read only its complete lines.
std::string ReadStatusBytes(const std::string& FileName) {
  std::string Bytes;
  const THandle File(CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!File.Valid()) { return Bytes; }
  LARGE_INTEGER Size{};
  if (GetFileSizeEx(File.Get(), &Size) && Size.QuadPart < (1 << 30)) { Bytes.reserve(static_cast<size_t>(Size.QuadPart)); }
  char Buffer[65536];
  for (;;) {
    DWORD Read = 0;
    if (!ReadFile(File.Get(), Buffer, sizeof(Buffer), &Read, nullptr)) {
      const size_t LastBreak = Bytes.rfind('\n');
      Bytes.erase(LastBreak == std::string::npos ? 0 : LastBreak + 1);
      break;
    }
    if (Read == 0) { break; }
    Bytes.append(Buffer, Read);
  }
  return Bytes;
}

}  // namespace

TDirectoryList::TDirectoryList(const std::string& Directory, const std::string& Ext, const std::string& EntryParam,
                               TDateTime SinceTime, const std::string& StatusFileName)
    : FDirectory(Directory),
      FExt(Ext),
      FEntryParam(EntryParam),
      FSinceTime(SinceTime),
      FStatusFileName(StatusFileName.empty() ? DefaultStatusFileName : StatusFileName) {
  if (!FDirectory.empty() && FDirectory.back() == '\\') { FDirectory.pop_back(); }
  if (!DirectoryExists(FDirectory)) {
    throw Exception(std::string(DirectoryNotExistText) + "\"" + FDirectory + "\"");
  }
  Load();
}

TDirectoryList::~TDirectoryList() = default;

void TDirectoryList::Load() {
  const int32_t Bias = StandardBias();
  ListDirectory();
  FFiles.Sort();
  if (FileExists(FDirectory + "\\" + FStatusFileName)) { ReadStatusFile(Bias); }
}

void TDirectoryList::ListDirectory() {
  for (TFindFile Find(FDirectory + "\\*." + FExt); Find.Found(); Find.Next()) {
    const WIN32_FIND_DATAA& Data = Find.Data();
    // Status files, of either destination, are never listed.
    if (!IsListedFile(Data.dwFileAttributes) || IsStatusFileName(Data.cFileName)) { continue; }
    FEntries.push_back({static_cast<int32_t>(Data.nFileSizeLow), FileTimeToDateTime(Data.ftLastWriteTime), true});
    FFiles.AddObject(Data.cFileName, &FEntries.back());
  }
}

// A file that cannot be read, or a line out of range, ends the reading quietly:
// files not named by then stay changed. Only the line end is taken off: a name
// may begin or end with blanks. Save sizes the new status text from the old.
void TDirectoryList::ReadStatusFile(int32_t Bias) {
  const std::string Bytes = ReadStatusBytes(FDirectory + "\\" + FStatusFileName);
  const std::string_view Status = Bytes;
  FOldStatusSize = Bytes.size();
  bool Valid = true;
  int Next = 0;  // the lines are written in the order of Files: try the next one first
  for (size_t Pos = 0; Valid && Pos < Status.size();) {
    const size_t End = std::min(Status.find('\n', Pos), Status.size());
    const size_t LineEnd = End > Pos && Status[End - 1] == '\r' ? End - 1 : End;
    ApplyStatusLine(Status.substr(Pos, LineEnd - Pos), Bias, Next, Valid);
    Pos = End + 1;
  }
}

void TDirectoryList::ApplyStatusLine(std::string_view Line, int32_t Bias, int& Next, bool& Valid) {
  if (Line.empty() || Line[0] == '#') { return; }
  const int32_t Size = static_cast<int32_t>(ReadSize(GetFieldView(Line, '\t', 1)));
  TDateTime Time;
  if (!ReadEntryTime(GetFieldView(Line, '\t', 2), Bias, Time)) {
    Valid = false;
    return;
  }
  const std::string_view Name = GetFieldView(Line, '\t', 0);
  int Index = Next;
  if ((Index >= FFiles.Count() || FFiles[Index] != Name) && !FFiles.Find(std::string(Name), Index)) { return; }
  Next = Index + 1;
  TDirEntry& Entry = *EntryAt(Index);
  if (Size != Entry.Size || SecondsBetween(Time, Entry.Time) > 2) {
    Entry.Changed = true;
  } else if (FSinceTime > 0 && Entry.Time > FSinceTime) {
    Entry.Changed = SecondsBetween(Entry.Time, FSinceTime) > 2;
  } else {
    Entry.Changed = false;
  }
}

void TDirectoryList::Process(bool Ascending, const TProcessFileEvent& OnFile) {
  bool Continue = true;
  const int Count = FFiles.Count();
  for (int K = 0; K < Count; ++K) {
    const int Index = Ascending ? K : Count - 1 - K;
    TDirEntry& Entry = *EntryAt(Index);
    if (!Entry.Changed) { continue; }
    // A sent file is recorded as it was just before it was read for sending: a
    // change made after that differs at the next cycle and is sent again.
    RefreshEntry(Entry, FFiles[Index]);
    try {
      const bool Handled = OnFile(FDirectory + "\\" + FFiles[Index], FEntryParam, Continue);
      Entry.Changed = !Handled;
      ++(Handled ? FOkCount : FFailCount);
      if (!Continue) { break; }
    } catch (...) {
      // The file stays changed and is offered again at the next cycle.
    }
  }
}

// The new status file is written beside the old one and put in its place in one
// step, so that a crash leaves the one or the other whole. A temporary file left
// by a crash is written over at the next save; its ".dst" keeps it out of every
// listing. An idle cycle rewrites it too: its time of the last update shows
// that the service still looks at the folder.
void TDirectoryList::Save() {
  const std::string Content = StatusFileContent();
  const std::string Path = IncludeTrailingPathDelimiter(FDirectory) + FStatusFileName;
  const std::string NewPath = IncludeTrailingPathDelimiter(FDirectory) + "~" + FStatusFileName;
  try {
    TTextFileWriter Writer(NewPath);
    Writer.Write(Content);
    Writer.Close();
  } catch (...) {
    DeleteFileA(NewPath.c_str());
    throw;
  }
  // A read-only or hidden status file could not be replaced.
  if (FileExists(Path)) { SetFileAttributesA(Path.c_str(), FILE_ATTRIBUTE_NORMAL); }
  if (!MoveFileExA(NewPath.c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD Error = GetLastError();
    DeleteFileA(NewPath.c_str());
    RaiseLastOSError(Error);
  }
}

std::string TDirectoryList::StatusFileContent() const {
  std::string Text;
  Text.reserve(FOldStatusSize + 64);  // an idle cycle writes what it read
  Text += "# directory status file \r\n# directory: " + FDirectory + "\r\n# file mask: *." + FExt + "\r\n" +
          "# last update: " + FormatDateTime(HeaderTimeFormat, Now()) + " " + UtcOffsetText(StandardBias()) + "\r\n";
  for (int I = 0; I < FFiles.Count(); ++I) {
    const TDirEntry& Entry = *EntryAt(I);
    if (Entry.Changed) { continue; }
    Text += FFiles[I];
    Text += '\t';
    Text += std::to_string(static_cast<uint32_t>(Entry.Size));
    Text += '\t';
    AppendStatusTime(Text, Entry.Time);
    Text += "\r\n";
  }
  return Text;
}

// A file that has gone keeps the values of the listing.
void TDirectoryList::RefreshEntry(TDirEntry& Entry, const std::string& Name) const {
  WIN32_FILE_ATTRIBUTE_DATA Data;
  if (GetFileAttributesExA((FDirectory + "\\" + Name).c_str(), GetFileExInfoStandard, &Data) &&
      IsListedFile(Data.dwFileAttributes)) {
    Entry.Size = static_cast<int32_t>(Data.nFileSizeLow);
    Entry.Time = FileTimeToDateTime(Data.ftLastWriteTime);
  }
}
