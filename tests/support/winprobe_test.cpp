// The probe against real windows: the sample window on a second thread of the
// test, and the same window in a program of its own.
#include "support/pngfile.h"
#include "support/samplewindow.h"
#include "support/testprogram.h"
#include "support/waitfor.h"
#include "support/winprobe.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {
constexpr DWORD WindowTimeoutMs = 20000;
// For what must not be found: long enough to have seen it, were it there.
constexpr DWORD AbsentTimeoutMs = 300;
// The probe's clicks are posted: the window answers a little later.
constexpr DWORD AnswerTimeoutMs = 10000;
constexpr DWORD PollMs = 50;
// A box still shown once answered may only be slow to go.
constexpr DWORD GoneTimeoutMs = 50000;

bool WaitForText(HWND Control, const std::string& Expected) {
  return WaitFor([&] { return WindowText(Control) == Expected; }, AnswerTimeoutMs, PollMs);
}

bool WaitForPanel(HWND StatusBar, int Panel, const std::string& Expected) {
  return WaitFor([&] { return StatusPanelText(StatusBar, Panel) == Expected; }, AnswerTimeoutMs, PollMs);
}

// Asks through the window's "Demander" button and gives Answer in the box; the
// answer shown in the status bar is read when the window is in this process
// (another process's status bar needs memory in it, which Wine under an i386
// emulator cannot read back).
void AskAndAnswer(HWND Top, DWORD ProcessId, int Answer, const std::string& Shown) {
  Click(FindControl(Top, "AskButton"));
  HWND Box = WaitForMessageBox(ProcessId, WindowTimeoutMs);
  ASSERT_NE(Box, nullptr);
  EXPECT_EQ(MessageBoxText(Box), "Envoyer le fichier à l'hôte ?");
  AnswerMessageBox(Box, Answer);
  if (ProcessId == GetCurrentProcessId()) { EXPECT_TRUE(WaitForPanel(FindControl(Top, "StatusBar"), 0, Shown)); }
  // The box goes once answered; a slow machine may take a while to show it.
  EXPECT_TRUE(WaitFor([&] { return WaitForMessageBox(ProcessId, AbsentTimeoutMs) == nullptr; }, GoneTimeoutMs, 200));
}

DWORD WINAPI RunSample(void*) {
  RunSampleWindow();
  return 0;
}

class WinProbe : public testing::Test {
protected:
  void SetUp() override {
    Thread = CreateThread(nullptr, 0, RunSample, nullptr, 0, nullptr);
    ASSERT_NE(Thread, nullptr);
    Top = WaitForTopWindow(SampleCaption, WindowTimeoutMs, GetCurrentProcessId());
    ASSERT_NE(Top, nullptr);
  }

  void TearDown() override {
    if (Thread == nullptr) { return; }
    if (Top != nullptr) { PostMessageA(Top, WM_CLOSE, 0, 0); }
    EXPECT_EQ(WaitForSingleObject(Thread, WindowTimeoutMs), WAIT_OBJECT_0) << "the window did not close";
    CloseHandle(Thread);
  }

  HANDLE Thread = nullptr;
  HWND Top = nullptr;
};

TEST_F(WinProbe, FindsControlsByComponentNameAtAnyDepth) {
  HWND Count = FindControl(Top, "CountButton");
  ASSERT_NE(Count, nullptr);
  EXPECT_EQ(WindowText(Count), "Compter");
  EXPECT_EQ(FindChildByText(Top, "button", "Compter"), Count);

  HWND OnPage = FindControl(Top, "PageLabel");
  ASSERT_NE(OnPage, nullptr);
  EXPECT_EQ(GetParent(OnPage), FindControl(Top, "Pages"));
  EXPECT_EQ(WindowText(OnPage), "Contenu de la page");

  EXPECT_EQ(FindControl(Top, "countbutton"), nullptr);
  EXPECT_EQ(FindControl(Top, "Count"), nullptr);
  EXPECT_EQ(FindChildByText(Top, "static", "Compter"), nullptr);
}

TEST_F(WinProbe, FindsATopWindowOnlyByItsWholeCaptionAndItsProcess) {
  EXPECT_EQ(WaitForTopWindow(SampleCaption, AbsentTimeoutMs), Top);
  EXPECT_EQ(WaitForTopWindow("Fenêtre", AbsentTimeoutMs), nullptr);
  EXPECT_EQ(WaitForTopWindow(SampleCaption, AbsentTimeoutMs, GetCurrentProcessId() + 4), nullptr);
}

TEST_F(WinProbe, ReadsTextsAndStatesAsTheWindowShowsThem) {
  EXPECT_EQ(WindowText(Top), SampleCaption);
  EXPECT_EQ(WindowText(FindControl(Top, "ClickCount")), "Clics : 0");
  HWND Status = FindControl(Top, "StatusBar");
  EXPECT_EQ(StatusPanelText(Status, 0), "Prêt");
  EXPECT_EQ(StatusPanelText(Status, 1), "Connecté à l'hôte");
  EXPECT_EQ(StatusPanelText(Status, 2), "");
  // The sample's panels end at 150 and 320.
  EXPECT_EQ(StatusPanelRect(Status, 0).right, 150);
  EXPECT_EQ(StatusPanelRect(Status, 1).right, 320);

  EXPECT_TRUE(IsEnabled(FindControl(Top, "CountButton")));
  EXPECT_FALSE(IsEnabled(FindControl(Top, "DeleteButton")));
  EXPECT_TRUE(IsShown(FindControl(Top, "ClickCount")));
  EXPECT_FALSE(IsShown(FindControl(Top, "HiddenLabel")));
  EXPECT_EQ(CheckState(FindControl(Top, "ActiveCheck")), BST_CHECKED);
  EXPECT_EQ(TabIndex(FindControl(Top, "Pages")), 1);
}

TEST_F(WinProbe, ClicksAndTypingReachTheWindowsHandlers) {
  HWND Count = FindControl(Top, "CountButton");
  Click(Count);
  Click(Count);
  EXPECT_TRUE(WaitForText(FindControl(Top, "ClickCount"), "Clics : 2"));

  HWND Active = FindControl(Top, "ActiveCheck");
  Click(Active);
  EXPECT_TRUE(WaitFor([&] { return CheckState(Active) == BST_UNCHECKED; }, AnswerTimeoutMs, PollMs));

  SetEditText(FindControl(Top, "NameEdit"), "Gérard");
  EXPECT_TRUE(WaitForText(FindControl(Top, "NameEcho"), "Nom : Gérard"));
}

TEST_F(WinProbe, AnswersTheMessageBoxThatTheWindowOpens) {
  AskAndAnswer(Top, GetCurrentProcessId(), IDNO, "Réponse : non");
  AskAndAnswer(Top, GetCurrentProcessId(), IDYES, "Réponse : oui");
}

uint32_t BigEndian32(const std::vector<uint8_t>& Bytes, size_t At) {
  return uint32_t(Bytes[At]) << 24 | uint32_t(Bytes[At + 1]) << 16 | uint32_t(Bytes[At + 2]) << 8 | Bytes[At + 3];
}

TEST_F(WinProbe, SavesAScreenshotShowingTheWindow) {
  const std::string Path = ScreenshotPath("winprobe_sample.png");
  DeleteFileA(Path.c_str());
  ASSERT_TRUE(SaveWindowPng(Top, Path));

  RECT Area;
  ASSERT_TRUE(GetWindowRect(Top, &Area));
  const UINT Width = Area.right - Area.left, Height = Area.bottom - Area.top;
  std::ifstream File(Path, std::ios::binary);
  const std::vector<uint8_t> Bytes{std::istreambuf_iterator<char>(File), {}};
  ASSERT_GE(Bytes.size(), 33u);
  EXPECT_EQ(std::vector<uint8_t>(Bytes.begin(), Bytes.begin() + 8),
            (std::vector<uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
  EXPECT_EQ(std::string(Bytes.begin() + 12, Bytes.begin() + 16), "IHDR");
  EXPECT_EQ(BigEndian32(Bytes, 16), Width);
  EXPECT_EQ(BigEndian32(Bytes, 20), Height);
  // Compressed: a window of flat colours takes far less than its 3 bytes a pixel.
  EXPECT_LT(Bytes.size(), size_t(Width) * Height / 4);

  const TPixels Png = ReadPng(Path);
  ASSERT_EQ(Png.Width, Width);
  ASSERT_EQ(Png.Height, Height);
  ASSERT_FALSE(Png.Bgra.empty());

  // The empty right part of the client area shows the window's background,
  // and the controls on the left show something else.
  POINT Client{0, 0};
  ClientToScreen(Top, &Client);
  const UINT ClientLeft = Client.x - Area.left, ClientTop = Client.y - Area.top;
  EXPECT_EQ(Png.At(ClientLeft + 400, ClientTop + 60), SampleBackground);
  EXPECT_NE(Png.At(ClientLeft + 20, ClientTop + 20), SampleBackground);
}

TEST(WinProbeOtherProcess, DrivesTheSampleProgramAndClosesIt) {
  TStartedProgram Program = StartProgram("\"" + TestProgramFolder() + "\\winprobe_sample.exe\"", TestProgramFolder());
  ASSERT_NE(Program.Process, nullptr);
  HWND Top = WaitForTopWindow(SampleCaption, WindowTimeoutMs, Program.ProcessId);
  EXPECT_NE(Top, nullptr);
  if (Top != nullptr) {
    EXPECT_EQ(WindowText(FindControl(Top, "ClickCount")), "Clics : 0");
    AskAndAnswer(Top, Program.ProcessId, IDYES, "Réponse : oui");
  }
  EXPECT_TRUE(EndProgram(Program, WindowTimeoutMs)) << "it had to be terminated";
  EXPECT_EQ(Program.Process, nullptr);
}
}  // namespace
