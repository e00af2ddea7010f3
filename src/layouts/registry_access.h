// The program's registry access: nine thin operations over the registry
// calls, which report nothing and tell failure only by their result.  Every
// handle returned belongs to the caller, who closes it with RegCloseKey; no
// operation closes a handle it was given.  Enumeration results land in the
// shared buffers Layouts.EnumKeyName, EnumValueName and EnumValueData, which
// the next call of the same operation overwrites.
#pragma once

#include <cstdint>

#include "platform/windows_api.h"

// The subkey opened for reading, or null.
win::HKey OpenKeyRead(win::HKey parent, const char* subkey);
// The subkey opened with all access, or null.
win::HKey OpenKeyFull(win::HKey parent, const char* subkey);
// The subkey with all access, created if missing and opened (values kept)
// otherwise; or null.
win::HKey CreateKey(win::HKey parent, const char* subkey);
// Writes a REG_SZ value, its terminator included; true when written.
bool SetStringValue(win::HKey key, const char* name, const char* text);
// Number of direct subkeys, or values; 0 when the key cannot be queried.
int32_t CountSubkeys(win::HKey key);
int32_t CountValues(win::HKey key);
// Reads the subkey name at index into Layouts.EnumKeyName; false when it
// cannot be read (no such index, or a name of 260 characters or more).
bool EnumSubkey(win::HKey key, int32_t index);
// Reads the value at index into Layouts.EnumValueName and EnumValueData,
// whatever its type; false when it cannot be read (no such index, a name of
// 260 characters or more, or more than 260 bytes of data).
bool EnumValue(win::HKey key, int32_t index);
// Removes the named direct subkey of parent with everything below it.  True
// when every key below it was removed; the subkey itself is then deleted too
// (its own deletion is attempted but not looked at).  An empty name deletes
// nothing and gives false.
bool DeleteKeyTree(win::HKey parent, const char* name);
