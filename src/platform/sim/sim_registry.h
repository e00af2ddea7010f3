// Control of the simulated registry: what a test builds before the program
// runs, the faults it injects, and what it reads back afterwards.
//
// The registry has two roots, HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, each a
// tree of keys.  Key names are compared without regard to case and
// enumerated in name order (upper-cased), values keep the order in which
// they were first written, and each value holds a type and its raw bytes
// (narrow texts as the program passes them, code page 1252).
//
// Paths name a key from its root: "HKCU\Keyboard Layout\Preload" or
// "HKEY_LOCAL_MACHINE\SOFTWARE\...".  Paths given here always name the key
// where it really lives (the 64-bit view); the simulated calls of a 32-bit
// process on 64-bit Windows see HKLM\SOFTWARE through
// HKLM\SOFTWARE\Wow6432Node, as WOW64 gives it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/windows_api.h"

namespace sim {

// --------------------------------------------------------------- building ---
// Builds keys and values from a literal in the manner of a .reg file, one
// item per line; blank lines and leading blanks are ignored:
//
//   [HKCU\Keyboard Layout\Preload]   a key, created with its parents; the
//                                    values below go into it
//   1=00000407                       a REG_SZ value, stored with its
//                                    terminator; name up to the first '='
//   "name"="data"                    the same with any name; inside quotes
//                                    \\ \" and \xNN (one byte) are escapes
//   @="data"                         the key's default value (name "")
//   "name"=dword:00000001            REG_DWORD, 4 bytes little-endian
//   "name"=hex:61,62,63              REG_BINARY, the bytes given
//   "name"=hex(1):61,62,63           any type, the bytes given (here a
//                                    REG_SZ without terminator)
//
// A malformed literal stops the test with a message naming the line.
void BuildRegistry(const char* literal);

// The same items one at a time.  A key name is 1 to 255 characters and has no
// backslash; anything else stops the test.
void CreateRegistryKey(const std::string& path);
void SetRegistryValue(const std::string& path, const std::string& name, win::Dword type, const std::string& bytes);
void SetRegistryText(const std::string& path, const std::string& name, const std::string& text);
// Removes a key with everything below it; a missing key is ignored.
void RemoveRegistryKey(const std::string& path);

// ---------------------------------------------------------------- reading ---
struct RegistryValue {
  std::string name;
  win::Dword type;
  std::string bytes;  // raw data; a REG_SZ written by the program ends in '\0'
};
bool RegistryKeyExists(const std::string& path);
std::vector<std::string> RegistrySubkeys(const std::string& path);   // enumeration order
std::vector<RegistryValue> RegistryValues(const std::string& path);  // enumeration order
// The key's REG_SZ values as "name=text" (text up to its first '\0'), in
// enumeration order; a value of another type shows as "name=<type N>".
std::vector<std::string> RegistryTexts(const std::string& path);
// The subtree in the literal form above, every name and text quoted, keys in
// enumeration order, so that two dumps compare equal exactly when the trees
// are equal.  An empty path dumps both roots.
std::string DumpRegistry(const std::string& path = "");

// Handles the process holds open (RegCloseKey not yet called).
int OpenRegistryHandles();

// Changes the simulated calls made, in order, whether they succeeded or not.
struct RegistryChange {
  enum Kind { kCreateKey, kDeleteKey, kSetValue } kind;
  std::string path;   // the key created, deleted or written to (its real place)
  std::string name;   // kSetValue: the value's name
  win::Dword type;    // kSetValue: the value's type
  std::string bytes;  // kSetValue: the data passed
  win::Long result;
};
const std::vector<RegistryChange>& RegistryChanges();
void ClearRegistryChanges();

// ----------------------------------------------------------------- faults ---
// Operations on the key at a path that the simulated calls refuse with
// ERROR_ACCESS_DENIED.  Opening covers RegOpenKeyExA and RegCreateKeyExA of
// an existing key.  A fault stays with the path: a key deleted and created
// again there keeps it.  A call replaces the faults the path had; 0 clears
// them.
enum RegistryFault : unsigned {
  kDenyOpenRead = 1u << 0,   // opening that asks for a right to read (KEY_READ,
                             // and so KEY_ALL_ACCESS too)
  kDenyOpenWrite = 1u << 1,  // opening that asks for a right to change
                             // (KEY_ALL_ACCESS), reading left allowed; so
                             // RegDeleteKeyA too, which asks for DELETE
  kDenyCreate = 1u << 2,     // RegCreateKeyExA of this key, existing or not
  kDenyDelete = 1u << 3,     // RegDeleteKeyA of this key alone (Windows
                             // itself refuses only a key with subkeys)
  kDenyQueryInfo = 1u << 4,  // RegQueryInfoKeyA on a handle of this key
  kDenyEnumerate = 1u << 5,  // RegEnumKeyExA and RegEnumValueA on this key
};
void DenyRegistryKey(const std::string& path, unsigned faults);
// RegSetValueExA of this value name (compared without case) in this key.
void DenyRegistryValueWrite(const std::string& path, const std::string& name);

}  // namespace sim
