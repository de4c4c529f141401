// The least an FTP upload costs on this platform, as the reference for the
// service's FTP cycle measured in the same run: blocking Winsock calls only, one
// control connection, and for each file PASV, a data connection, STOR, the
// file's bytes and the closing reply. No timeouts, no retries, no logging.
#pragma once
#include <string>
#include <vector>

struct TBareUpload {
  std::string LocalPath;
  std::string RemotePath;  // relative to the login folder, "/" between folders
};

// Logs on to 127.0.0.1:Port, makes each of Folders (errors ignored: they may
// exist) and stores each file; false on the first unexpected reply.
bool BareFtpUpload(int Port, const std::string& User, const std::string& Password,
                   const std::vector<std::string>& Folders, const std::vector<TBareUpload>& Files);
