// What the file and window conformance tests need beyond the seam: making
// scratch folders and files with content, and a program that starts and
// ends at once.  files_setup_sim.cpp and files_setup_windows.cpp implement
// it, each compiled only for its side.
#pragma once

#include <string>

namespace conformance {

// A new, empty folder for one test under the temporary folder; its path
// without a trailing backslash.  Made afresh on each call.
std::string MakeScratchFolder(const std::string& name);
// Makes a folder inside one that exists.
bool MakeFolder(const std::string& path);
// Writes a file (replacing it) with this content.
bool WriteWholeFile(const std::string& path, const std::string& content);
// The content of a file, or "<missing>".
std::string ReadWholeFile(const std::string& path);
// Removes a scratch folder with everything in it, read-only files too.
void RemoveScratchFolder(const std::string& path);

// A program file that a test may start: it ends at once by itself.  Its
// path and the arguments it needs.
std::string QuickProgramPath();
std::string QuickProgramArguments();

}  // namespace conformance
