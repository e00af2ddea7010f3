// The product's entry among the installed programs.
#pragma once

// Deletes the entry of that name, with all its values and subkeys, from the
// machine's uninstall list.  Reports nothing, whatever became of it.
void UpdateUninstallEntry(const char* entryName);
