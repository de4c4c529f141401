// Upload speed of the FTP client: many small files over one connection, then one
// large file. Run by bench/ftp.sh, which compares the times with curl's.
//   ftp_bench PORT USER PASSWORD SMALL_FOLDER COUNT LARGE_FILE
// Small files are SMALL_FOLDER\fNNNN.bin; they go to /bench-ours, the large file to /.
#include "ftp/ftpclient.h"
#include "ftp/ftperror.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double Seconds() {
  LARGE_INTEGER Frequency, Now;
  QueryPerformanceFrequency(&Frequency);
  QueryPerformanceCounter(&Now);
  return static_cast<double>(Now.QuadPart) / static_cast<double>(Frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: ftp_bench PORT USER PASSWORD SMALL_FOLDER COUNT LARGE_FILE\n");
    return 2;
  }
  try {
    TFtpClient Client;
    Client.Host = "127.0.0.1";
    Client.Port = std::atoi(argv[1]);
    Client.Username = argv[2];
    Client.Password = argv[3];
    Client.Passive = true;
    Client.ReadTimeout = 60000;
    Client.Connect();
    try {
      Client.MakeDir("/bench-ours");
    } catch (const EFtpError&) {
      // left by an earlier round
    }
    Client.ChangeDir("/bench-ours");

    int Count = std::atoi(argv[5]);
    double Start = Seconds();
    for (int I = 0; I < Count; ++I) {
      char Name[16];
      std::snprintf(Name, sizeof(Name), "f%04d.bin", I);
      Client.Put(std::string(argv[4]) + "\\" + Name, Name);
    }
    double Small = Seconds() - Start;

    Client.ChangeDir("/");
    Start = Seconds();
    Client.Put(argv[6], "large-ours.bin");
    double Large = Seconds() - Start;
    Client.Quit();
    std::printf("small_seconds=%.3f\nlarge_seconds=%.3f\n", Small, Large);
    return 0;
  } catch (const std::exception& E) {
    std::fprintf(stderr, "ftp_bench: %s\n", E.what());
    return 1;
  }
}
