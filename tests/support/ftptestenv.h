// The FTP test servers started by the ftpservers fixture (tests/support/ftpserver.py):
// their ports, their files seen from Windows, and files to upload.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ftp/ftpclient.h"

namespace FtpTestEnv {

extern const char* const User;
extern const char* const Password;

// Port of one of the servers: "ftp", "slow", "trickle", "banner", "proxy", "drop", "silent",
// "dialup", "isdn", "mute", "stalldata", "lostreply", "hung", "blackhole", "http", "httpauth".
int PortOf(const std::string& Server);
// Its address: 127.0.0.1, or for a slow line's server ("slow", "trickle", "isdn",
// "dialup") the loopback address at the far end of its line.
std::string HostOf(const std::string& Server);
// Empty when the slow lines are the kernel's, shaped in the test run's own network
// namespace; else why not, for the tests that need one to skip with.
std::string WhyNoSlowLines();
// Windows path of a file under the FTP home ("a/b.txt").
std::string HomePath(const std::string& Relative);
// Windows path of a local scratch file.
std::string LocalPath(const std::string& Name);
// A client set up for Server with the test account.
void SetUpClient(TFtpClient& Client, const std::string& Server = "ftp");
// The commands the scripted proxy got in its latest session.
std::vector<std::string> ProxyCommands();
// Waits (at most 30 s) until a stalling server ("mute", "stalldata", "lostreply",
// "hung") has recorded a line that begins with Start since the last ForgetRecorded
// of that server.
bool WaitForRecorded(const std::string& Server, const std::string& Start);
void ForgetRecorded(const std::string& Server);

// A file of Size bytes that repeats nowhere within a buffer's length.
void WritePatternFile(const std::string& Path, uint64_t Size);
bool FileExists(const std::string& Path);
// Bytes in the file so far (0 when missing): how far an upload has come on the server.
uint64_t FileSize(const std::string& Path);
// True when both files exist and hold the same bytes.
bool SameContents(const std::string& PathA, const std::string& PathB);

}  // namespace FtpTestEnv
