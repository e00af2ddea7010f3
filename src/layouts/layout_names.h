// Tests on layout key names shared by the scan and the rewrite.
#pragma once

// True for a text of exactly 8 characters beginning with "00000", the key of
// a standard layout (00000407 is standard German).  Null, standing for no
// text, is not a standard key.
bool IsStandardLayoutKey(const char* text);

// Equal texts when ASCII letters are compared without regard to case; layout
// key names are written in hexadecimal digits and ASCII letters.
bool SameTextIgnoringCase(const char* a, const char* b);
