// The uninstall itself, run by the copy in the temporary folder.
#pragma once

// Returns false on every way out, the completed uninstall included.
bool RunUninstall();
