#include "support/ftptestenv.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "support/waitfor.h"

namespace FtpTestEnv {

const char* const User = "norvask";
const char* const Password = "s3cret";

namespace {

// FTP_TEST_DIR is the Unix path of the servers' state folder; Wine shows it on Z:.
std::string StateDir() {
  const char* Dir = std::getenv("FTP_TEST_DIR");
  if (Dir == nullptr) {
    throw std::runtime_error("FTP_TEST_DIR is not set");
  }
  std::string Result = std::string("Z:") + Dir;
  for (char& C : Result) {
    if (C == '/') C = '\\';
  }
  return Result;
}

std::string Slashes(std::string Path) {
  for (char& C : Path) {
    if (C == '/') C = '\\';
  }
  return Path;
}

// The value of Name in one of the servers' name=value files; empty when missing.
std::string ValueIn(const std::string& File, const std::string& Name) {
  std::ifstream Values(StateDir() + "\\" + File);
  std::string Line;
  while (std::getline(Values, Line)) {
    if (Line.compare(0, Name.size() + 1, Name + "=") == 0) { return Line.substr(Name.size() + 1); }
  }
  return "";
}

}  // namespace

int PortOf(const std::string& Server) {
  const std::string Port = ValueIn("ports.txt", Server);
  if (Port.empty()) { throw std::runtime_error("no port for " + Server); }
  return std::stoi(Port);
}

std::string HostOf(const std::string& Server) {
  const std::string Host = ValueIn("lines.txt", Server);
  return Host.empty() ? "127.0.0.1" : Host;
}

std::string WhyNoSlowLines() {
  std::ifstream Lines(StateDir() + "\\lines.txt");
  std::string State;  // "shaped", or "unshaped: " and why
  if (!std::getline(Lines, State)) { return "the FTP test servers wrote no lines.txt"; }
  return State == "shaped" ? "" : "no slow line: " + State.substr(State.find(' ') + 1);
}

std::string HomePath(const std::string& Relative) { return StateDir() + "\\home\\" + Slashes(Relative); }

std::string LocalPath(const std::string& Name) { return StateDir() + "\\local\\" + Name; }

void SetUpClient(TFtpClient& Client, const std::string& Server) {
  Client.Host = HostOf(Server);
  Client.Port = PortOf(Server);
  Client.Username = User;
  Client.Password = Password;
  Client.Passive = true;
  Client.ReadTimeout = 20000;  // no test waits on a server forever
}

std::vector<std::string> ProxyCommands() {
  std::ifstream Record(StateDir() + "\\proxy-commands.txt");
  std::vector<std::string> Commands;
  std::string Line;
  while (std::getline(Record, Line)) {
    Commands.push_back(Line);
  }
  return Commands;
}

bool WaitForRecorded(const std::string& Server, const std::string& Start) {
  return WaitFor([&] {
    std::ifstream Record(StateDir() + "\\" + Server + ".txt");
    std::string Line;
    while (std::getline(Record, Line)) {
      if (Line.compare(0, Start.size(), Start) == 0) { return true; }
    }
    return false;
  }, 30000, 50);
}

void ForgetRecorded(const std::string& Server) { DeleteFileA((StateDir() + "\\" + Server + ".txt").c_str()); }

void WritePatternFile(const std::string& Path, uint64_t Size) {
  std::ofstream File(Path, std::ios::binary | std::ios::trunc);
  std::string Block(1 << 20, '\0');
  uint32_t State = 12345;
  while (Size > 0) {
    size_t Count = Size < Block.size() ? static_cast<size_t>(Size) : Block.size();
    for (size_t I = 0; I < Count; ++I) {
      State = State * 1103515245u + 12345u;
      Block[I] = static_cast<char>(State >> 24);
    }
    File.write(Block.data(), static_cast<std::streamsize>(Count));
    Size -= Count;
  }
}

bool FileExists(const std::string& Path) { return GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES; }

uint64_t FileSize(const std::string& Path) {
  WIN32_FILE_ATTRIBUTE_DATA Data{};
  if (!GetFileAttributesExA(Path.c_str(), GetFileExInfoStandard, &Data)) { return 0; }
  return static_cast<uint64_t>(Data.nFileSizeHigh) << 32 | Data.nFileSizeLow;
}

bool SameContents(const std::string& PathA, const std::string& PathB) {
  std::ifstream A(PathA, std::ios::binary);
  std::ifstream B(PathB, std::ios::binary);
  if (!A || !B) {
    return false;
  }
  std::string BlockA(1 << 20, '\0');
  std::string BlockB(1 << 20, '\0');
  for (;;) {
    A.read(BlockA.data(), static_cast<std::streamsize>(BlockA.size()));
    B.read(BlockB.data(), static_cast<std::streamsize>(BlockB.size()));
    if (A.gcount() != B.gcount() ||
        BlockA.compare(0, static_cast<size_t>(A.gcount()), BlockB, 0, static_cast<size_t>(B.gcount())) != 0) {
      return false;
    }
    if (A.gcount() == 0) {
      return true;
    }
  }
}

}  // namespace FtpTestEnv
