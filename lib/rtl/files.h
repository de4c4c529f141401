// Path and file helpers over the ANSI file functions.
#pragma once
#include <string>

// Backslash, slash and the drive colon end a folder part.
std::string ExtractFilePath(const std::string& FileName);  // with the final separator
std::string ExtractFileDir(const std::string& FileName);   // without it (C:\ keeps it)
std::string ExtractFileName(const std::string& FileName);
std::string ExtractFileExt(const std::string& FileName);  // with the dot
std::string ChangeFileExt(const std::string& FileName, const std::string& Ext);
std::string IncludeTrailingPathDelimiter(const std::string& Path);
std::string ExcludeTrailingPathDelimiter(const std::string& Path);

bool FileExists(const std::string& FileName);
bool DirectoryExists(const std::string& Path);
// Creates Path with every missing parent; false when a level cannot be made.
bool ForceDirectories(const std::string& Path);
