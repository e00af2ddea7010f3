// The registry roots on the simulated Windows: its registry belongs to the
// test, so the roots stay as they are.
#if defined(CONFORMANCE_ON_SIM)

#include "conformance/registry_roots.h"

namespace conformance {

bool RedirectRoots(const std::string&, std::string*) { return true; }

void RestoreRoots() {}

}  // namespace conformance

#endif  // CONFORMANCE_ON_SIM
