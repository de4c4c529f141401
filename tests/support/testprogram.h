// Where the running test program lies, and where tests keep their screenshots.
#pragma once
#include <string>

// The folder of the test program's own .exe.
std::string TestProgramFolder();

// Name in the build folder's "screenshots" folder (made when missing): the
// pictures of the windows, kept for a person to look at.
std::string ScreenshotPath(const std::string& Name);
