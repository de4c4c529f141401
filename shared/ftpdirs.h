// Making sure that a folder path exists on an FTP server, level by level from the top.
// Paths use '/' only; callers pass absolute paths. Client failures become false.
#pragma once
#include <string>

#include "ftp/ftpclient.h"

// True when Path exists at the end; the client's current folder is then Path.
bool ForceRemoteDir(std::string Path, TFtpClient& Client);
bool TryChangeRemoteDir(const std::string& Path, TFtpClient& Client);
// Makes Path, then enters it.
bool TryMakeRemoteDir(const std::string& Path, TFtpClient& Client);
// Path up to and including its last '/'; empty without one.
std::string RemoteParentPath(const std::string& Path);
