// A fresh, empty folder for one test, removed again afterwards.
#pragma once
#include <string>

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

// Removes a folder and everything in it (read-only files included).
void RemoveTree(const std::string& Path);
// Writes Text to a new file, replacing an old one.
void WriteTextFile(const std::string& FileName, const std::string& Text);
std::string ReadTextFile(const std::string& FileName);
