// GoogleTest's printer hands every failure to OutputDebugStringA as well; Wine
// raises an exception for that call, and under the emulator the raise kills the
// test program at its first failure. This printer prints failures to stdout
// only and passes every other event to the default printer.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

class TQuietFailurePrinter : public ::testing::TestEventListener {
public:
  explicit TQuietFailurePrinter(::testing::TestEventListener* Default) : FDefault(Default) {}
  void OnTestProgramStart(const ::testing::UnitTest& U) override { FDefault->OnTestProgramStart(U); }
  void OnTestIterationStart(const ::testing::UnitTest& U, int I) override { FDefault->OnTestIterationStart(U, I); }
  void OnEnvironmentsSetUpStart(const ::testing::UnitTest& U) override { FDefault->OnEnvironmentsSetUpStart(U); }
  void OnEnvironmentsSetUpEnd(const ::testing::UnitTest& U) override { FDefault->OnEnvironmentsSetUpEnd(U); }
  void OnTestSuiteStart(const ::testing::TestSuite& S) override { FDefault->OnTestSuiteStart(S); }
  void OnTestStart(const ::testing::TestInfo& T) override { FDefault->OnTestStart(T); }
  void OnTestDisabled(const ::testing::TestInfo& T) override { FDefault->OnTestDisabled(T); }
  void OnTestPartResult(const ::testing::TestPartResult& R) override {
    if (R.type() == ::testing::TestPartResult::kSuccess || R.type() == ::testing::TestPartResult::kSkip) {
      FDefault->OnTestPartResult(R);
      return;
    }
    std::printf("%s:%d: Failure\n%s\n", R.file_name() ? R.file_name() : "unknown file", R.line_number(), R.message());
    std::fflush(stdout);
  }
  void OnTestEnd(const ::testing::TestInfo& T) override { FDefault->OnTestEnd(T); }
  void OnTestSuiteEnd(const ::testing::TestSuite& S) override { FDefault->OnTestSuiteEnd(S); }
  void OnEnvironmentsTearDownStart(const ::testing::UnitTest& U) override { FDefault->OnEnvironmentsTearDownStart(U); }
  void OnEnvironmentsTearDownEnd(const ::testing::UnitTest& U) override { FDefault->OnEnvironmentsTearDownEnd(U); }
  void OnTestIterationEnd(const ::testing::UnitTest& U, int I) override { FDefault->OnTestIterationEnd(U, I); }
  void OnTestProgramEnd(const ::testing::UnitTest& U) override { FDefault->OnTestProgramEnd(U); }

private:
  std::unique_ptr<::testing::TestEventListener> FDefault;
};

// Put in place before main runs, once for the whole program.
inline const bool QuietFailurePrinterInstalled = [] {
  auto& Listeners = ::testing::UnitTest::GetInstance()->listeners();
  if (::testing::TestEventListener* Default = Listeners.Release(Listeners.default_result_printer())) {
    Listeners.Append(new TQuietFailurePrinter(Default));
  }
  return true;
}();
