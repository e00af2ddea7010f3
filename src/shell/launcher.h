// Starts another program file as a new process, without waiting for it.
#pragma once

// Announces the start in the status line, starts programPath with the
// command line "programPath" parameters (the parameters unquoted, so that
// blanks split them) in the caller's current directory, and closes the new
// process's handles at once.  A failed start is reported in a warning box;
// the result is false then.
bool RunProgram(const char* programPath, const char* parameters);
