// The simulated registry.
// Calls not modelled yet stop the test that reaches them, so that nothing
// passes on an invented answer.
#include "platform/sim/sim_state.h"

namespace sim {

void ResetRegistry() {}

}  // namespace sim

namespace win {

Long RegOpenKeyExA(HKey, const char*, Dword, Dword, HKey*) { sim::NotModelled("RegOpenKeyExA"); }
Long RegCreateKeyExA(HKey, const char*, Dword, char*, Dword, Dword, SecurityAttributes*, HKey*, Dword*) {
  sim::NotModelled("RegCreateKeyExA");
}
Long RegSetValueExA(HKey, const char*, Dword, Dword, const uint8_t*, Dword) { sim::NotModelled("RegSetValueExA"); }
Long RegQueryInfoKeyA(HKey, char*, Dword*, Dword*, Dword*, Dword*, Dword*, Dword*, Dword*, Dword*, Dword*,
                      FileTime*) {
  sim::NotModelled("RegQueryInfoKeyA");
}
Long RegEnumKeyExA(HKey, Dword, char*, Dword*, Dword*, char*, Dword*, FileTime*) {
  sim::NotModelled("RegEnumKeyExA");
}
Long RegEnumValueA(HKey, Dword, char*, Dword*, Dword*, Dword*, uint8_t*, Dword*) {
  sim::NotModelled("RegEnumValueA");
}
Long RegDeleteKeyA(HKey, const char*) { sim::NotModelled("RegDeleteKeyA"); }
Long RegCloseKey(HKey) { sim::NotModelled("RegCloseKey"); }

}  // namespace win
