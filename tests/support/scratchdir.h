// A fresh, empty folder for one test, removed again afterwards.
#pragma once
#include <string>
#include <vector>

class TScratchDir {
public:
  explicit TScratchDir(const std::string& Name);
  ~TScratchDir();
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;
  const std::string& Path() const { return FPath; }

private:
  std::string FPath;
};

// A new, empty folder under the temporary directory at each call, for a test that
// removes it itself (RemoveTree).
std::string MakeTestFolder(const std::string& Name);

// The names of the files in a folder as the file system holds them, sorted.
std::vector<std::string> FileNamesIn(const std::string& Folder);
// Removes a folder and everything in it (read-only files included).
void RemoveTree(const std::string& Path);
// Writes Text to a new file, replacing an old one; throws std::runtime_error
// when the file cannot be written, so that the test fails there.
void WriteTextFile(const std::string& FileName, const std::string& Text);
std::string ReadTextFile(const std::string& FileName);
// The lines of a file without their CR LF.
std::vector<std::string> ReadLines(const std::string& FileName);
// The texts of a log file's lines: what follows the date, the time and the tab.
std::vector<std::string> LogTexts(const std::string& FileName);
