// Sends the registry roots the program uses into scratch keys, so that the
// program's own code can run against the real registry without touching
// the real keyboard keys.  registry_roots_sim.cpp and
// registry_roots_windows.cpp implement it, each compiled only for its side.
#pragma once

#include <string>

namespace conformance {

// From now on in this process, HKEY_CURRENT_USER means
// HKCU\<scratchPath>\User and HKEY_LOCAL_MACHINE means
// HKCU\<scratchPath>\Machine (on Windows, with RegOverridePredefKey).  The
// simulated registry is the test's own already, so there nothing changes.
// On false, failure says why.
bool RedirectRoots(const std::string& scratchPath, std::string* failure);

// Both roots mean themselves again.
void RestoreRoots();

}  // namespace conformance
