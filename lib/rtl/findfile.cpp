#include "rtl/findfile.h"

TFindFile::TFindFile(const std::string& Pattern)
    : FSearch(FindFirstFileA(Pattern.c_str(), &FData)), FFound(FSearch.Valid()) {}

void TFindFile::Next() { FFound = FFound && FindNextFileA(FSearch.Get(), &FData); }
