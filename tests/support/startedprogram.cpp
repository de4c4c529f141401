// StartProgram and EndProgram: a program that a test starts and ends again.
#include "support/winprobe.h"

#include <vector>

namespace {
// After terminating: how long to wait for the process to be gone.
constexpr DWORD TerminateWaitMs = 5000;

BOOL CALLBACK AskToClose(HWND Window, LPARAM ProcessToClose) {
  DWORD ProcessId = 0;
  GetWindowThreadProcessId(Window, &ProcessId);
  if (ProcessId == DWORD(ProcessToClose) && IsWindowVisible(Window)) {
    PostMessageA(Window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

// A job whose processes end when its last handle closes: a test that crashes
// leaves no program behind to hold the test runner's output open.
HANDLE CreateKillOnCloseJob() {
  HANDLE Job = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION Limits{};
  Limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (Job != nullptr && !SetInformationJobObject(Job, JobObjectExtendedLimitInformation, &Limits, sizeof Limits)) {
    CloseHandle(Job);
    return nullptr;
  }
  return Job;
}
}  // namespace

TStartedProgram StartProgram(const std::string& CommandLine, const std::string& WorkingFolder) {
  HANDLE Job = CreateKillOnCloseJob();
  if (Job == nullptr) { return {}; }
  STARTUPINFOA Startup{};
  Startup.cb = sizeof Startup;
  PROCESS_INFORMATION Info{};
  std::vector<char> Line(CommandLine.begin(), CommandLine.end());  // CreateProcessA may write into it
  Line.push_back('\0');
  // Suspended until it is in the job, so that nothing it starts escapes the job.
  if (!CreateProcessA(nullptr, Line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      WorkingFolder.empty() ? nullptr : WorkingFolder.c_str(), &Startup, &Info)) {
    CloseHandle(Job);
    return {};
  }
  AssignProcessToJobObject(Job, Info.hProcess);
  ResumeThread(Info.hThread);
  CloseHandle(Info.hThread);
  return {Info.hProcess, Info.dwProcessId, Job};
}

bool EndProgram(TStartedProgram& Program, DWORD GraceMs) {
  if (Program.Process == nullptr) { return false; }
  EnumWindows(AskToClose, LPARAM(Program.ProcessId));
  const bool ExitedByItself = WaitForSingleObject(Program.Process, GraceMs) == WAIT_OBJECT_0;
  if (!ExitedByItself) {
    TerminateJobObject(Program.Job, 1);
    WaitForSingleObject(Program.Process, TerminateWaitMs);
  }
  CloseHandle(Program.Process);
  CloseHandle(Program.Job);
  Program = {};
  return ExitedByItself;
}
