// Running a program that the simulated process started: the machine runs
// one process at a time, so a started program becomes the next process once
// the test has finished the one that started it.  The registry and the file
// tree belong to the machine and carry over; everything of the old process
// (its windows, redirection, last error) goes.
#pragma once

#include <string>

#include "platform/sim/sim.h"

namespace sim {

// The start of the program that the last CreateProcessA call started: its
// application name as module path, its command line converted from code
// page 1252 to UTF-16, and the show command a program gets from startup
// information like that call's (the default unless the caller chose one).
// False, leaving start as it was, when no call was made or the last one
// failed.
bool LastStartedProcess(ProcessStart* start);

// StartProcess with LastStartedProcess; false, and nothing started, when
// there is none.
bool StartLastCreatedProcess();

// Code page 1252 text as UTF-16, as the system hands a started program its
// command line.
std::u16string WidenCp1252(const std::string& text);

}  // namespace sim
