// The barest blocking Winsock upload of small files, for bench/ftp_requests.sh
// to set beside the FTP client's.
//   bare_ftp_bench PORT USER PASSWORD SMALL_FOLDER COUNT
// Files SMALL_FOLDER\fNNNN.bin go to /bench-bare.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bareftpupload.h"

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: bare_ftp_bench PORT USER PASSWORD SMALL_FOLDER COUNT\n");
    return 2;
  }
  std::vector<TBareUpload> Files;
  for (int I = 0; I < std::atoi(argv[5]); ++I) {
    char Name[16];
    std::snprintf(Name, sizeof Name, "f%04d.bin", I);
    Files.push_back({std::string(argv[4]) + "\\" + Name, std::string("bench-bare/") + Name});
  }
  return BareFtpUpload(std::atoi(argv[1]), argv[2], argv[3], {"bench-bare"}, Files) ? 0 : 1;
}
