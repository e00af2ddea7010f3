// Writes the user's Preload and Substitutes lists anew from the tables that
// RemoveLayoutFromLists filled.
#pragma once

// Deletes and re-creates "Keyboard Layout\Preload" and "...\Substitutes"
// under HKEY_CURRENT_USER and writes NewPreloadList and NewSubstitutesList
// into them.  True when there was nothing to write or both keys were
// rewritten; false with the reason in RegistryProblemText.  A Preload
// problem does not stop the Substitutes step.
bool WriteLayoutLists();
