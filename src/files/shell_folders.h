// The shell's special folders and the product's shortcut on the desktop.
#pragma once

#include "platform/windows_api.h"

// Puts the path of a special folder (a CSIDL value) into folder, a buffer of
// kMaxPath bytes, without a trailing separator, with MainWindow as owner of
// any dialog the shell shows.  True when the shell knows the folder, even if
// its path could not be given (then folder is empty).  False, with folder
// empty, when the shell's allocator is not available either.
bool GetSpecialFolder(char* folder, int csidl);

// Deletes name plus ".LNK" from the current user's desktop folder, silently;
// a shortcut that is not there is no error.  Nothing is deleted when the
// desktop is unknown or the path would not fit.
void DeleteShortcut(win::HWnd owner, const char* name);
