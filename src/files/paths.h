// Path composition and the existence test for files and directories.
#pragma once

// The system's error for a name that does not fit (ERROR_FILENAME_EXCED_RANGE);
// the program reports its own refusals of such paths with it.
constexpr unsigned long kPathDoesNotFit = 206;

// Makes sure a directory path ends in a backslash or forward slash, so that
// a file name can be appended; an empty path becomes a single backslash.
// size is the buffer's size in bytes.  Returns false, leaving the path
// unchanged, when the separator does not fit.
bool AppendSeparator(char* path, int size);

// Composes directory, separator and name into destination (size bytes).
// A result that does not fit is never cut, since a cut path names another
// file: destination is left empty and the result is false.  An empty
// directory stands for a folder whose own path did not fit and is refused
// the same way.  The reporting file operations refuse an empty path with
// the system's text for kPathDoesNotFit, so a caller may hand them the
// empty result to have the refusal reported.
bool ComposePath(char* destination, int size, const char* directory, const char* name);

// True when an entry (file or directory) matches the path, whose last
// component may hold the wildcards * and ?.  Empties LastErrorText first and
// leaves the system's error text there when the search cannot start.
bool FileExists(const char* path);

// True only when the lookup shows that nothing is there (file or path not
// found, or only "." and ".."). A lookup that fails for another reason, such
// as access denied, does not prove a file gone: callers that would take a
// missing file for a deleted one go on and try.
bool FileIsMissing(const char* path);
