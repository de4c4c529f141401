// The eight category switches as the tests expect them, written out here on
// purpose rather than taken from the program's own table: folder, [Transfer]
// key, switch, in the order of the check boxes.
#pragma once
#include "shared/transportconfig.h"

struct TExpectedCategory {
  const char* Folder;
  const char* Key;
  bool TTransportConfig::*Switch;
};

inline const TExpectedCategory ExpectedCategories[] = {
    {"comptage", "Scb", &TTransportConfig::Scb},           {"caisse", "Caisse", &TTransportConfig::Caisse},
    {"filters", "Filters", &TTransportConfig::Filters},    {"heatmap", "Heatmap", &TTransportConfig::Heatmap},
    {"messages", "Messages", &TTransportConfig::Messages}, {"meteo", "Meteo", &TTransportConfig::Meteo},
    {"events", "Events", &TTransportConfig::Events},       {"footfall", "Footfall", &TTransportConfig::Footfall},
};
