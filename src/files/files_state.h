// The file services' process-wide values, kept together so that a new
// process (or a test that simulates one) starts them all from their start
// values at once.
#pragma once

#include "shell/shell_state.h"

struct FilesState {
  // Filled once by InitSystemFolders, read afterwards.  The system folders end
  // in a backslash, the product folder does not.  A folder whose path does
  // not fit its buffer is left empty, so that nothing is composed from a cut
  // path (see ComposePath).
  char SystemDir[kMaxPath] = {};
  char SystemWow64Dir[kMaxPath] = {};  // empty unless IsWow64
  char InstallDir[kMaxPath] = {};
  // What Wow64DisableWow64FsRedirection handed out, for the revert call.
  void* FsRedirectionOldValue = nullptr;
  // Why the last FileExists found nothing: the system error of a search
  // that could not start, 0 when the search found only "." and "..".
  unsigned long LookupError = 0;
};

extern FilesState Files;
