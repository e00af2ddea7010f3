// Formatting of the program's texts and the text of the last system error.
#pragma once

#include <cstdarg>

// Formats into destination (size bytes, terminator included) with the
// conventions of wvsprintfA.  A format without '%' is copied unchanged and
// so is not limited to the formatter's 1,024 bytes; an empty result is
// replaced by the format itself.  A result that does not fit is cut.
void FormatText(char* destination, int size, const char* format, va_list arguments);

// Fills LastErrorText with the code line and the system's text for code.
void SystemErrorText(unsigned long code);

// Takes the calling thread's last error into LastErrorText; called right
// after the failing platform call.
void TakeLastError();

// Copies source into destination (size bytes), writing every control
// character other than CR and LF as CR LF, so that a message box breaks the
// line there.
void ExpandControlChars(char* destination, int size, const char* source);

// FormatText with its arguments given directly.
void FormatInto(char* destination, int size, const char* format, ...);
