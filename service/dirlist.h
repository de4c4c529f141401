// The change detector of the transport service: one directory listed for one
// extension and compared with the directory status file of a destination, which
// records every file that needs no sending. Nothing of a list outlives a cycle.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "rtl/datetime.h"
#include "rtl/stringlist.h"

struct TDirEntry {
  int32_t Size;    // low 32 bits of the file size
  TDateTime Time;  // last write, UTC, to the millisecond
  bool Changed;    // still to be offered to the callback
};

// True: the file was handled (sent). Clearing Continue ends the pass after this file.
using TProcessFileEvent =
    std::function<bool(const std::string& FileName, const std::string& EntryParam, bool& Continue)>;

class TDirectoryList {
public:
  // Lists the directory and reads its status file; raises Exception when the
  // directory does not exist. An empty StatusFileName means "dirlist.dst".
  TDirectoryList(const std::string& Directory, const std::string& Ext, const std::string& EntryParam,
                 TDateTime SinceTime, const std::string& StatusFileName);
  ~TDirectoryList();
  TDirectoryList(const TDirectoryList&) = delete;
  TDirectoryList& operator=(const TDirectoryList&) = delete;

  // Offers every changed file to OnFile, by name ascending or descending; an
  // exception from OnFile is swallowed and leaves the file changed. A file's size
  // and time are read again just before it is offered.
  void Process(bool Ascending, const TProcessFileEvent& OnFile);
  // Rewrites the status file with every file that is not marked changed, with
  // the size and time it was listed or offered with, also when nothing changed.
  // Raises when the new file cannot be written or put in place; the old one is
  // then left as it was.
  void Save();

  int32_t OkCount() const { return FOkCount; }
  int32_t FailCount() const { return FFailCount; }

  const std::string& Directory() const { return FDirectory; }
  const std::string& Ext() const { return FExt; }
  const std::string& EntryParam() const { return FEntryParam; }
  TDateTime SinceTime() const { return FSinceTime; }
  const std::string& StatusFileName() const { return FStatusFileName; }
  // The bare file names, sorted ignoring case; each item's object is its TDirEntry.
  const TStringList& Files() const { return FFiles; }
  const TDirEntry& Entry(int Index) const { return *EntryAt(Index); }

private:
  TDirEntry* EntryAt(int Index) const { return static_cast<TDirEntry*>(FFiles.Objects(Index)); }
  void Load();
  void ListDirectory();
  void ReadStatusFile(int32_t Bias);
  void ApplyStatusLine(std::string_view Line, int32_t Bias, int& Next, bool& Valid);
  std::string StatusFileContent() const;
  void RefreshEntry(TDirEntry& Entry, const std::string& Name) const;

  std::string FDirectory;
  std::string FExt;
  std::string FEntryParam;
  TDateTime FSinceTime;
  std::string FStatusFileName;
  TStringList FFiles;
  std::deque<TDirEntry> FEntries;  // owns the objects of FFiles; a deque keeps their addresses
  size_t FOldStatusSize = 0;  // bytes of the status file as Load read it
  int32_t FOkCount = 0;
  int32_t FFailCount = 0;
};
