#include "uninstall/uninstall_sequence.h"

bool RunUninstall() {
  // The checks and removals arrive with the registry and file services; the
  // run sequence does not reach this stage before they do.
  return false;
}
