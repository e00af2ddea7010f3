#include "uninstall/relocation.h"

#include "uninstall/layout_key.h"

bool RelocateToTemp() {
  if (!ValidateLayoutKey()) return false;
  // Copying into the temporary folder and starting the copy arrive with the
  // file services; until then the program stops after the argument check.
  return false;
}
