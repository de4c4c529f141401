// The program directory, field splitting, file sizes and times, time-zone texts.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "rtl/datetime.h"

// The directory of the running program's file, set by InitProgramPaths.
extern std::string AppDir;

// The directory part of the running module's path, without the final backslash
// (a drive's root keeps it: C:\).
std::string GetAppDir();
// Records AppDir and points TEMP and TMP at it. Runs first, before any other code of ours.
void InitProgramPaths();

// Field Index (from 0) of S cut at Sep; every separator counts; at most 255 characters.
std::string GetField(const std::string& S, char Sep, int32_t Index);
// The same field as a view into S, for readers of many lines.
std::string_view GetFieldView(std::string_view S, char Sep, int32_t Index);

// Size of a file; 0 for a directory or a name that does not exist.
uint64_t GetFileSize64(const std::string& FileName);

// The same instant, with milliseconds, in the FILETIME's own time zone.
TDateTime FileTimeToDateTime(const FILETIME& Time);

// "(UTC +01:00)" for Bias -60 (UTC = local + Bias, in minutes).
std::string UtcOffsetText(int32_t Bias);

// "31.05.2024 06:12:03"
std::string SystemTimeToStr(const SYSTEMTIME& Time);

// At the first backslash: Domain before it, User after it; no backslash: User is all.
void SplitDomainUser(const std::string& Account, std::string& Domain, std::string& User);
