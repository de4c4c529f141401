// The entry time of a directory status file, "yyyy/mm/dd hh:nn:ss.zzz UTC" with
// the locale's date and time separators, written for every listed file of every
// folder at each save: a fixed layout that is cheaper to write than a pattern.
#pragma once
#include <string>

#include "rtl/datetime.h"

// Appends the time as FormatDateTime("yyyyy/mm/dd hh:nn:ss.zzz") writes it, then " UTC".
void AppendStatusTime(std::string& Out, TDateTime Utc);
