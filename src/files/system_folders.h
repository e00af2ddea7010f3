// The folders the uninstall works in, and WOW64 file-system redirection,
// which a 32-bit process on 64-bit Windows must switch off to reach the
// native system folder.
#pragma once

// Switches redirection off (on 64-bit Windows), then fills SystemDir,
// SystemWow64Dir and InstallDir.  Reports nothing.  A folder whose path does
// not fit its buffer is left empty.
void InitSystemFolders();

// Switches redirection on again with the value InitSystemFolders kept; does
// nothing unless IsWow64.
void RevertFsRedirection();
