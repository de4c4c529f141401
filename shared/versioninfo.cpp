#include "shared/versioninfo.h"

#include <windows.h>

#include <vector>

#include "rtl/format.h"

TVersionInfo::TVersionInfo(const std::string& FileName, const std::string& Translation) {
  if (FileName.empty()) {
    char Path[513];
    DWORD Len = GetModuleFileNameA(nullptr, Path, sizeof Path);
    this->FileName.assign(Path, Len);
  } else {
    this->FileName = FileName;
  }
  if (!Translation.empty()) { this->Translation = Translation; }
  Load();
}

void TVersionInfo::Load() {
  DWORD Handle = 0;
  const DWORD Size = GetFileVersionInfoSizeA(FileName.c_str(), &Handle);
  if (Size == 0) { return; }
  std::vector<char> Block(Size);
  if (!GetFileVersionInfoA(FileName.c_str(), 0, Size, Block.data())) { return; }

  void* Value = nullptr;
  UINT Len = 0;
  if (VerQueryValueA(Block.data(), "\\", &Value, &Len) && Len >= sizeof(VS_FIXEDFILEINFO)) {
    const auto* Fixed = static_cast<const VS_FIXEDFILEINFO*>(Value);
    Major = HIWORD(Fixed->dwFileVersionMS);
    Minor = LOWORD(Fixed->dwFileVersionMS);
    Release = HIWORD(Fixed->dwFileVersionLS);
    Build = LOWORD(Fixed->dwFileVersionLS);
    // The flags mask is deliberately not applied.
    IsDebug = (Fixed->dwFileFlags & VS_FF_DEBUG) != 0;
    IsPreRelease = (Fixed->dwFileFlags & VS_FF_PRERELEASE) != 0;
  }
  if (Translation.empty() && VerQueryValueA(Block.data(), "\\VarFileInfo\\Translation", &Value, &Len) && Len >= 4) {
    const auto* Words = static_cast<const WORD*>(Value);
    Translation = Format("%4.4x%4.4x", Words[0], Words[1]);
  }
  auto Text = [&](const char* Name, std::string& Field) {
    const std::string Key = "\\StringFileInfo\\" + Translation + "\\" + Name;
    if (VerQueryValueA(Block.data(), Key.c_str(), &Value, &Len) && Value) { Field = static_cast<const char*>(Value); }
  };
  Text("FileDescription", FileDescription);
  Text("LegalCopyright", LegalCopyright);
  Text("Comments", Comments);
}
