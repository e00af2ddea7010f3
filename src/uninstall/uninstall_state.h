// The uninstall procedure's process-wide values.
#pragma once

#include "shell/shell_state.h"

struct UninstallState {
  // The validated layout key from the command line: 8 characters ending in
  // "0407", never the standard layout's key.
  char LayoutKeyName[kMaxPath] = {};
};

extern UninstallState Uninstall;
