#include "support/appdiroverride.h"

#include "shared/commonhelpers.h"

TAppDirOverride::TAppDirOverride(const std::string& Folder) : FOldAppDir(AppDir) { AppDir = Folder; }

TAppDirOverride::~TAppDirOverride() { AppDir = FOldAppDir; }
