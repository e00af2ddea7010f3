// A scratch registry key for the registry conformance tests, reached through
// the seam only: HKCU\Software\OskaldrvConformance\<name>, made empty for
// each test and removed after it.  Nothing outside it is ever changed.
#pragma once

#include <string>
#include <vector>

#include "conformance/conformance_helpers.h"

namespace conformance {

// The scratch key's path below HKEY_CURRENT_USER.
std::string ScratchPath(const std::string& name);

// Removes a key with everything below it, through the seam; true when it is
// gone (or was never there).
bool RemoveKeyTree(win::HKey parent, const std::string& subkey);

// Creates a key (and its parents) and writes REG_SZ values into it, each
// with its terminator.  False when anything failed.
bool CreateKeyWithTexts(win::HKey root, const std::string& path,
                        const std::vector<std::pair<std::string, std::string>>& texts);

// The key's values as name and text (up to the first zero byte), in
// enumeration order; "<missing>" alone when the key cannot be opened.
std::vector<std::pair<std::string, std::string>> ReadTextValues(win::HKey root, const std::string& path);

// Every test gets a fresh, empty scratch key, removed afterwards.
class RegistryScratchTest : public ConformanceTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Opens the scratch key (or a key below it) with the access given.
  win::HKey OpenScratch(const std::string& below = "", win::Dword access = win::kKeyAllAccess);
  std::string scratch_;  // path below HKCU
};

}  // namespace conformance
