// The registry roots on Windows (and Wine), redirected with
// RegOverridePredefKey into keys below the test's scratch key.
#if !defined(CONFORMANCE_ON_SIM) && defined(_WIN32)

#include <windows.h>

#include "conformance/registry_roots.h"

namespace conformance {
namespace {

bool Redirect(HKEY root, const std::string& path, std::string* failure) {
  HKEY key = nullptr;
  LONG created = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr);
  if (created != ERROR_SUCCESS) {
    *failure = "RegCreateKeyExA " + path + " failed, error " + std::to_string(created);
    return false;
  }
  LONG overridden = RegOverridePredefKey(root, key);
  RegCloseKey(key);  // the override holds a handle of its own
  if (overridden != ERROR_SUCCESS) {
    *failure = "RegOverridePredefKey failed, error " + std::to_string(overridden);
    return false;
  }
  return true;
}

}  // namespace

// Machine first: after HKEY_CURRENT_USER is redirected, the scratch path
// would be looked up inside the redirection.
bool RedirectRoots(const std::string& scratchPath, std::string* failure) {
  return Redirect(HKEY_LOCAL_MACHINE, scratchPath + "\\Machine", failure) &&
         Redirect(HKEY_CURRENT_USER, scratchPath + "\\User", failure);
}

void RestoreRoots() {
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
}

}  // namespace conformance

#endif  // !CONFORMANCE_ON_SIM && _WIN32
