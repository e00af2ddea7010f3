// The program's logical palette for displays of 8 bits per pixel or fewer.
#pragma once

#include "platform/windows_api.h"

// 256 entries: the 20 colours a palette display keeps fixed at both ends,
// the other 208 colours of the 6x6x6 cube and 28 grays and tints.
extern const win::LogPalette256 AppPaletteTable;
