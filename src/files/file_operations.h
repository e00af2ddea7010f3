// The program's changes to the file system: copying a file, deleting a file
// and removing a directory.  Each reports its own failure in a warning box
// captioned FileOperationCaption that names the path and quotes the system's
// error text, and returns false; the caller may add a message of its own.
//
// An empty path is one that could not be composed without cutting it (see
// ComposePath): it is refused before any system call, with the system's
// text for a name that does not fit.
#pragma once

#include "platform/windows_api.h"

// Copies source over target (an existing target is replaced) and leaves the
// target with the archive attribute alone.  Does not touch the status line.
// With held, the copy is opened right after it is made, shared for reading
// only, and the handle handed out: nobody can change, delete or replace the
// copy until the caller closes it.  A copy that cannot be opened counts as
// one that failed (and *held is INVALID_HANDLE_VALUE).
bool CopyFileReported(const char* source, const char* target, win::Handle* held = nullptr);

// True when the file is gone afterwards: deleted now, or not there at all
// (then without status line or message).  A read-only file is not deleted.
bool DeleteFileReported(const char* path);

// Removes an empty directory; a missing or non-empty one is reported.
bool RemoveDirectoryReported(const char* path);
