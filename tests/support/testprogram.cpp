#include "support/testprogram.h"

#include <windows.h>

#include "rtl/files.h"

std::string TestProgramFolder() {
  char Path[MAX_PATH];
  return ExtractFileDir(std::string(Path, GetModuleFileNameA(nullptr, Path, MAX_PATH)));
}

// Test programs are built in the build folder's "tests" folder or below it.
std::string ScreenshotPath(const std::string& Name) {
  const std::string Program = TestProgramFolder() + "\\";
  const std::string Folder = Program.substr(0, Program.rfind("\\tests\\")) + "\\screenshots";
  ForceDirectories(Folder);
  return Folder + "\\" + Name;
}
