#include "uninstall/uninstall_entry.h"

#include "layouts/registry_access.h"

void UpdateUninstallEntry(const char* entryName) {
  // A 32-bit program sees the 32-bit view of this key, where the product's
  // installer wrote the entry.
  win::HKey uninstallKey = CreateKey(win::kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  if (uninstallKey == nullptr) return;
  DeleteKeyTree(uninstallKey, entryName);
  win::RegCloseKey(uninstallKey);
}
