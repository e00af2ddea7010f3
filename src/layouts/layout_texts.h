// Formatting into the layout subsystem's texts, with the conventions of
// FormatText (wvsprintfA).
#pragma once

// Puts a formatted text into RegistryProblemText (1,000 bytes, cut to fit).
void SetRegistryProblem(const char* format, ...);
