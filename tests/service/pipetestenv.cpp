#include "pipetestenv.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>

#include "service/pipesecurity.h"
#include "shared/commonhelpers.h"
#include "shared/debuglog.h"

namespace {

// The service's own start-up order: program paths, log, pipe security.
class TPipeTestEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitProgramPaths();
    InitLogWriter();
    SetLogTarget(nullptr, TestLogFileName());
    InitPipeSecurity();
  }
  void TearDown() override { DeleteFileA(TestLogFileName().c_str()); }
};

const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TPipeTestEnvironment);

}  // namespace

std::string TestLogFileName() { return AppDir + "\\pipe_tests_" + std::to_string(GetCurrentProcessId()) + ".log"; }

std::string ReadWholeFile(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  std::stringstream Content;
  Content << In.rdbuf();
  return Content.str();
}

bool WriteWholeFile(const std::string& FileName, const std::string& Content) {
  std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
  Out.write(Content.data(), static_cast<std::streamsize>(Content.size()));
  return static_cast<bool>(Out);
}
