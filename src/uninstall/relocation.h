// The first stage: the program in the product folder copies itself into the
// temporary folder and starts the copy, so that its own file can be deleted.
#pragma once

// True only in the copy that runs from the temporary folder; false ends the
// process after the shell is shut down.
bool RelocateToTemp();
