// The eight file categories of a tracked directory. Their order is the order in
// which their folders are sent, their [Transfer] keys read and written (part of
// the file format) and their check boxes shown.
#pragma once
#include <iterator>

#include "shared/transportconfig.h"

struct TTransferCategory {
  const char* Folder;  // under the tracked directory
  const char* Mask;    // extension of its data files, without dot
  const char* Key;     // in [Transfer]
  bool TTransportConfig::*Switch;
  bool Default;  // of a new configuration and of a missing key
};

inline constexpr TTransferCategory TransferCategories[] = {
    {"comptage", "scb", "Scb", &TTransportConfig::Scb, true},
    {"caisse", "txt", "Caisse", &TTransportConfig::Caisse, true},
    {"filters", "fif", "Filters", &TTransportConfig::Filters, true},
    {"heatmap", "jpg", "Heatmap", &TTransportConfig::Heatmap, false},
    {"messages", "msg", "Messages", &TTransportConfig::Messages, true},
    {"meteo", "txt", "Meteo", &TTransportConfig::Meteo, true},
    {"events", "txt", "Events", &TTransportConfig::Events, true},
    {"footfall", "txt", "Footfall", &TTransportConfig::Footfall, true},
};

inline constexpr size_t TransferCategoryCount = std::size(TransferCategories);
