#include <gtest/gtest.h>
#include <aclapi.h>
#include <windows.h>

#include <atomic>
#include <memory>

#include "nocontrolsecurity.h"
#include "pipeclient.h"
#include "pipetestenv.h"
#include "service/srvcontrol.h"
#include "service/srvinfo.h"
#include "rtl/files.h"
#include "shared/commonhelpers.h"
#include "shared/debuglog.h"

namespace {

// A control server on its own pipe and configuration file, with the service's
// two handlers, counted.
class SrvControl : public ::testing::Test {
protected:
  void SetUp() override {
    FileName = "control_" + std::to_string(GetCurrentProcessId()) + ".ini";
    Path = AppDir + "\\" + FileName;
    DeleteFileA(Path.c_str());
    const std::string Name = UniquePipeName("Control");
    Pipe = PipePath(Name);
    Server = std::make_unique<TOrdanixSrvControl>(Name, 1, FileName);
    Server->OnGetConfig.Set([this](TOrdanixSrvControl&) {
      ++Gets;
      DebugLog(0, "Service configuration file retrieved by client");
    });
    Server->OnSetConfig.Set([this](TOrdanixSrvControl&) {
      ++Sets;
      DebugLog(0, "Service configuration file updated by client");
    });
    Server->Start();
  }
  void TearDown() override {
    Server.reset();
    DeleteFileA(Path.c_str());
  }

  std::string SetConfig(const std::string& Content) {
    return Call(Pipe, MakeRequest(ReqSetConfig, static_cast<int32_t>(Content.size()), Content));
  }

  std::string FileName, Path, Pipe;
  std::unique_ptr<TOrdanixSrvControl> Server;
  std::atomic<int> Gets{0}, Sets{0};
};

std::string Pattern(size_t Size) {
  std::string Text(Size, '\0');
  for (size_t i = 0; i < Size; ++i) { Text[i] = static_cast<char>('a' + i % 23); }
  return Text;
}

std::string Answer(const char* Keyword, int32_t ErrorCode = 0, const std::string& Data = "") {
  std::string Bytes(PipeHeaderSize, '\0');
  WritePipeHeader(reinterpret_cast<uint8_t*>(Bytes.data()), Keyword, static_cast<int32_t>(Data.size()), ErrorCode);
  return Bytes + Data;
}

}  // namespace

TEST_F(SrvControl, GetConfigOfAMissingFileCarriesNoData) {
  EXPECT_EQ(Call(Pipe, MakeRequest(ReqGetConfig)), Answer(AnsGetConfig));
  EXPECT_EQ(Gets, 0);
}

TEST_F(SrvControl, GetConfigCarriesAFileThatFitsWhole) {
  const std::string Content = Pattern(MaxConfigDataSize);
  ASSERT_TRUE(WriteWholeFile(Path, Content));
  const std::string Reply = Call(Pipe, MakeRequest(ReqGetConfig));
  EXPECT_EQ(Reply.size(), 16384u);
  EXPECT_EQ(Reply, Answer(AnsGetConfig, 0, Content));
  EXPECT_EQ(Gets, 1);
}

TEST_F(SrvControl, GetConfigOfALongerFileIsCutAndSaysSo) {
  const std::string Content = Pattern(20000);
  ASSERT_TRUE(WriteWholeFile(Path, Content));
  EXPECT_EQ(Call(Pipe, MakeRequest(ReqGetConfig)),
            Answer(AnsGetConfig, PipeErrorConfigTooLong, Content.substr(0, MaxConfigDataSize)));
}

TEST_F(SrvControl, SetConfigReplacesTheFile) {
  ASSERT_TRUE(WriteWholeFile(Path, "[General]\r\nold=1\r\n"));
  EXPECT_EQ(SetConfig("[General]\r\nnew=2\r\n"), Answer(AnsSetConfig));
  EXPECT_EQ(ReadWholeFile(Path), "[General]\r\nnew=2\r\n");
  EXPECT_EQ(Sets, 1);
  EXPECT_FALSE(FileExists(Path + ".new"));
  // More bytes than declared: only the declared ones count.
  EXPECT_EQ(Call(Pipe, MakeRequest(ReqSetConfig, 3, "abcdef")), Answer(AnsSetConfig));
  EXPECT_EQ(ReadWholeFile(Path), "abc");
}

TEST_F(SrvControl, SetConfigWithNoDataEmptiesTheFile) {
  ASSERT_TRUE(WriteWholeFile(Path, "x=1"));
  EXPECT_EQ(Call(Pipe, MakeRequest(ReqSetConfig)), Answer(AnsSetConfig));
  EXPECT_TRUE(FileExists(Path));
  EXPECT_EQ(ReadWholeFile(Path), "");
  EXPECT_EQ(Sets, 1);
}

TEST_F(SrvControl, SetConfigDeclaringMoreThanItCarriesChangesNothing) {
  ASSERT_TRUE(WriteWholeFile(Path, "x=1"));
  const std::string LogBefore = ReadWholeFile(TestLogFileName());
  EXPECT_EQ(Call(Pipe, MakeRequest(ReqSetConfig, 100, Pattern(50))), Answer(AnsSetConfig, PipeErrorDataMissing));
  EXPECT_EQ(Call(Pipe, MakeRequest(ReqSetConfig, -1, "abc")), Answer(AnsSetConfig, PipeErrorDataMissing));
  EXPECT_EQ(ReadWholeFile(Path), "x=1");
  EXPECT_EQ(ReadWholeFile(TestLogFileName()), LogBefore);
  EXPECT_EQ(Sets, 0);
}

TEST_F(SrvControl, SetConfigThatCannotReplaceTheFileLeavesItWholeAndSaysSo) {
  ASSERT_TRUE(WriteWholeFile(Path, "x=1"));
  HANDLE Held = CreateFileA(Path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(Held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(SetConfig("y=2"), Answer(AnsSetConfig, PipeErrorConfigNotReplaced));
  CloseHandle(Held);
  EXPECT_EQ(ReadWholeFile(Path), "x=1");
  EXPECT_FALSE(FileExists(Path + ".new"));
  EXPECT_EQ(Sets, 0);
}

TEST_F(SrvControl, ShortAndForeignRequestsAreUnknown) {
  EXPECT_EQ(Call(Pipe, MakeRequest(ReqGetConfig).substr(0, 27)), Answer(AnsReqUnknown));
  EXPECT_EQ(Call(Pipe, MakeRequest(ReqGetStats)), Answer(AnsReqUnknown));
  EXPECT_EQ(Call(Pipe, MakeRequest("REQSETCONFIGX", 1, "a")), Answer(AnsReqUnknown));
}

namespace {

// The DACL of the pipe as a client handle reads it back.
struct TPipeDacl {
  bool Read = false;
  bool Present = false;
  PACL Acl = nullptr;
  PSECURITY_DESCRIPTOR Descriptor = nullptr;
  ~TPipeDacl() { LocalFree(Descriptor); }
};

void ReadDacl(const std::string& Pipe, TPipeDacl& Dacl) {
  ASSERT_TRUE(WaitForPipe(Pipe));
  HANDLE Client = CreateFileA(Pipe.c_str(), GENERIC_READ | GENERIC_WRITE | READ_CONTROL, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(Client, INVALID_HANDLE_VALUE) << GetLastError();
  const DWORD Error = GetSecurityInfo(Client, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                      &Dacl.Acl, nullptr, &Dacl.Descriptor);
  CloseHandle(Client);
  ASSERT_EQ(Error, static_cast<DWORD>(ERROR_SUCCESS));
  SECURITY_DESCRIPTOR_CONTROL Control = 0;
  DWORD Revision = 0;
  GetSecurityDescriptorControl(Dacl.Descriptor, &Control, &Revision);
  Dacl.Present = (Control & SE_DACL_PRESENT) != 0;
  Dacl.Read = true;
}

bool AceIsAllowedFor(PACL Acl, DWORD Index, WELL_KNOWN_SID_TYPE Type) {
  void* Ace = nullptr;
  if (!GetAce(Acl, Index, &Ace)) { return false; }
  auto* Allowed = static_cast<ACCESS_ALLOWED_ACE*>(Ace);
  BYTE Sid[SECURITY_MAX_SID_SIZE];
  DWORD Size = sizeof(Sid);
  CreateWellKnownSid(Type, nullptr, Sid, &Size);
  return Allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && Allowed->Mask == FILE_ALL_ACCESS &&
         EqualSid(&Allowed->SidStart, Sid);
}

}  // namespace

TEST(PipeSecurity, TheControlPipeAdmitsAdministratorsAndLocalSystemOnly) {
  const std::string Name = UniquePipeName("Secure");
  auto Server = std::make_unique<TOrdanixSrvControl>(Name, 1, "unused.ini");
  Server->Start();
  TPipeDacl Dacl;
  ReadDacl(PipePath(Name), Dacl);
  ASSERT_TRUE(Dacl.Read);
  EXPECT_TRUE(Dacl.Present);
  ASSERT_NE(Dacl.Acl, nullptr);
  EXPECT_EQ(Dacl.Acl->AceCount, 2);
  EXPECT_TRUE(AceIsAllowedFor(Dacl.Acl, 0, WinBuiltinAdministratorsSid));
  EXPECT_TRUE(AceIsAllowedFor(Dacl.Acl, 1, WinLocalSystemSid));
}

TEST(PipeSecurity, WithoutItsDescriptorTheControlPipeIsNotServedAtAll) {
  const std::string Name = UniquePipeName("Unsecured");
  {
    TNoControlSecurity Unavailable("Access is denied.");
    try {
      auto Server = std::make_unique<TOrdanixSrvControl>(Name, 1, "unused.ini");
      FAIL() << "served with the default security";
    } catch (const EPipeSecurityError& E) {
      EXPECT_STREQ(E.what(), "Access is denied.");
    }
  }
  EXPECT_FALSE(WaitNamedPipeA(PipePath(Name).c_str(), NMPWAIT_NOWAIT));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(PipeSecurity, TheInformationPipeAdmitsEveryClient) {
  const std::string Name = UniquePipeName("Open");
  auto Server = std::make_unique<TOrdanixSrvInfo>(Name, 1);
  Server->Start();
  TPipeDacl Dacl;
  ReadDacl(PipePath(Name), Dacl);
  ASSERT_TRUE(Dacl.Read);
  EXPECT_TRUE(Dacl.Present);
  EXPECT_EQ(Dacl.Acl, nullptr);
}
