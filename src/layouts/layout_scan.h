// Reads the user's Preload and Substitutes lists and the catalogue of
// installed German layouts into the layout picture of Layouts.
#pragma once

#include <cstdint>

// Builds PreloadList, LayoutCatalogue and LayoutIndex from the registry.
// True when all three keys were read; false with the reason in
// RegistryProblemText.  Run once per process, with LayoutKeyName set.
bool ScanLayouts();

// The decimal value of a Preload value name: blanks skipped, an optional
// minus sign, then every digit of the rest (other characters passed over).
// A value beyond the 32-bit range stays at its bound.
int32_t PreloadNameValue(const char* name);
