// The keyboard layout registry's process-wide values: the shared enumeration
// buffers of the registry primitives, the layout picture the scan builds, and
// the output tables of the Preload/Substitutes rewrite.  Kept together so
// that a new process (or a test that simulates one) starts them all from
// their start values at once.
#pragma once

#include <cstdint>

#include "shell/shell_state.h"

constexpr int kRegistryDataSize = 260;                    // data bytes one enumeration reads
constexpr int kRegistryTextSize = kRegistryDataSize + 1;  // that data as a terminated text
constexpr int kRegistryProblemTextSize = 1000;
constexpr int kMaxPreloadEntries = 100;
constexpr int kMaxCatalogueEntries = 100;

// One value of the user's Preload list, with what the rewrite decides for it.
// A text field with a has... flag is "none" while the flag is clear.
struct PreloadEntry {
  char valuename[kMaxPath];
  char layoutkey[kRegistryTextSize];
  bool hassubstitute;
  char substitute[kRegistryTextSize];
  int32_t order;
  bool canonical;
  bool standard;
  int32_t newindex;
  bool hasnewlayoutkey;
  char newlayoutkey[kRegistryTextSize];
};

// One installed German layout: a qualifying subkey of the catalogue.
struct CatalogueEntry {
  char keyname[kMaxPath];
  bool haslayoutfile;
  char layoutfile[kRegistryTextSize];
};

// A value to be written: its name and its text.
struct ValuePair {
  char name[kRegistryTextSize];
  char data[kRegistryTextSize];
};

struct LayoutsState {
  // Built when the process starts rather than stored in the program file:
  // the tables are large and all zero, but LayoutIndex starts at -1, which
  // would otherwise put the whole structure into the file's data.
  LayoutsState() {}

  // Registry primitives: filled by EnumSubkey and EnumValue, valid until the
  // next call of the same operation.  EnumValueData has one byte more than an
  // enumeration may fill, which stays zero, so that data filling all 260
  // bytes is still a terminated text.
  char EnumKeyName[kMaxPath] = {};
  char EnumValueName[kMaxPath] = {};
  char EnumValueData[kRegistryTextSize] = {};

  // Catalogue scan: the layout picture.
  char RegistryProblemText[kRegistryProblemTextSize] = {};
  PreloadEntry PreloadList[kMaxPreloadEntries] = {};
  int32_t PreloadCount = 0;
  CatalogueEntry LayoutCatalogue[kMaxCatalogueEntries] = {};
  int32_t CatalogueCount = 0;
  int32_t LayoutIndex = -1;

  // Preload and Substitutes update.
  bool LayoutNotInPreload = false;
  ValuePair NewPreloadList[kMaxPreloadEntries] = {};
  int32_t newpreloadcount = 0;
  ValuePair NewSubstitutesList[kMaxPreloadEntries] = {};
  int32_t newsubstitutescount = 0;
};

extern LayoutsState Layouts;
