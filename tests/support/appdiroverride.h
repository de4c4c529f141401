// A folder of the test standing for the program's folder (AppDir) while this
// object lives; AppDir is put back when it goes.
#pragma once
#include <string>

class TAppDirOverride {
public:
  explicit TAppDirOverride(const std::string& Folder);
  ~TAppDirOverride();

private:
  const std::string FOldAppDir;
};
