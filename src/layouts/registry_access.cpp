#include "layouts/registry_access.h"

#include <cstring>

#include "layouts/layouts_state.h"

namespace {

win::HKey OpenKey(win::HKey parent, const char* subkey, win::Dword access) {
  win::HKey key = nullptr;
  if (win::RegOpenKeyExA(parent, subkey, 0, access, &key) != win::kErrorSuccess) return nullptr;
  return key;
}

int32_t AsCount(win::Dword count) { return count > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int32_t>(count); }

}  // namespace

win::HKey OpenKeyRead(win::HKey parent, const char* subkey) { return OpenKey(parent, subkey, win::kKeyRead); }

win::HKey OpenKeyFull(win::HKey parent, const char* subkey) { return OpenKey(parent, subkey, win::kKeyAllAccess); }

win::HKey CreateKey(win::HKey parent, const char* subkey) {
  win::HKey key = nullptr;
  char noClass[1] = "";
  win::Dword disposition = 0;
  if (win::RegCreateKeyExA(parent, subkey, 0, noClass, win::kRegOptionNonVolatile, win::kKeyAllAccess, nullptr, &key,
                           &disposition) != win::kErrorSuccess)
    return nullptr;
  return key;
}

bool SetStringValue(win::HKey key, const char* name, const char* text) {
  win::Dword size = static_cast<win::Dword>(std::strlen(text) + 1);
  return win::RegSetValueExA(key, name, 0, win::kRegSz, reinterpret_cast<const uint8_t*>(text), size) ==
         win::kErrorSuccess;
}

int32_t CountSubkeys(win::HKey key) {
  win::Dword count = 0;
  win::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                        nullptr);
  return AsCount(count);
}

int32_t CountValues(win::HKey key) {
  win::Dword count = 0;
  win::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                        nullptr);
  return AsCount(count);
}

bool EnumSubkey(win::HKey key, int32_t index) {
  win::Dword length = kMaxPath;
  return win::RegEnumKeyExA(key, static_cast<win::Dword>(index), Layouts.EnumKeyName, &length, nullptr, nullptr,
                            nullptr, nullptr) == win::kErrorSuccess;
}

bool EnumValue(win::HKey key, int32_t index) {
  // Zero-filled first, so that data without a terminator still ends as a
  // text; the last byte of EnumValueData is never handed out and stays zero.
  std::memset(Layouts.EnumValueName, 0, sizeof Layouts.EnumValueName);
  std::memset(Layouts.EnumValueData, 0, sizeof Layouts.EnumValueData);
  win::Dword nameLength = kMaxPath;
  win::Dword dataLength = kRegistryDataSize;
  return win::RegEnumValueA(key, static_cast<win::Dword>(index), Layouts.EnumValueName, &nameLength, nullptr, nullptr,
                            reinterpret_cast<uint8_t*>(Layouts.EnumValueData), &dataLength) == win::kErrorSuccess;
}

bool DeleteKeyTree(win::HKey parent, const char* name) {
  if (name[0] == '\0') return false;  // never the parent itself
  win::HKey key = OpenKeyFull(parent, name);
  if (key == nullptr) return false;
  bool result = true;
  // Downwards, so that deleting a child never moves one not yet visited.
  for (int32_t index = CountSubkeys(key) - 1; index >= 0; --index) {
    if (!EnumSubkey(key, index)) {
      result = false;
      continue;
    }
    char child[kMaxPath];  // the recursion overwrites EnumKeyName
    std::memcpy(child, Layouts.EnumKeyName, sizeof child);
    if (!DeleteKeyTree(key, child)) result = false;
  }
  win::RegCloseKey(key);
  // A key that stays (its deletion refused, or a key left below it) is a
  // failure: callers take true for "gone" and create the key afresh, which
  // would otherwise keep its old values.
  if (win::RegDeleteKeyA(parent, name) != win::kErrorSuccess) result = false;
  return result;
}
