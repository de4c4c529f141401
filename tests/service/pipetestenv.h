// What the pipe tests share: the process set-up and whole-file helpers.
#pragma once
#include <string>

// The log file of this run, in AppDir.
std::string TestLogFileName();
// The whole content of a file; "" when it cannot be read.
std::string ReadWholeFile(const std::string& FileName);
bool WriteWholeFile(const std::string& FileName, const std::string& Content);
