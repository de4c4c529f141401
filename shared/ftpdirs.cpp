#include "shared/ftpdirs.h"

#include "rtl/exceptions.h"

bool TryChangeRemoteDir(const std::string& Path, TFtpClient& Client) {
  try {
    Client.ChangeDir(Path);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

bool TryMakeRemoteDir(const std::string& Path, TFtpClient& Client) {
  try {
    Client.MakeDir(Path);
    Client.ChangeDir(Path);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

std::string RemoteParentPath(const std::string& Path) {
  size_t Slash = Path.rfind('/');
  return Slash == std::string::npos ? std::string() : Path.substr(0, Slash + 1);
}

bool ForceRemoteDir(std::string Path, TFtpClient& Client) {
  if (!Path.empty() && Path.back() == '/') {
    Path.pop_back();
  }
  if (Path.empty() || TryChangeRemoteDir(Path, Client)) {
    return true;
  }
  // A level is made only once its parent exists.
  return ForceRemoteDir(RemoteParentPath(Path), Client) && TryMakeRemoteDir(Path, Client);
}
