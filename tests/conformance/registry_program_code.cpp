// The program's layout registry code, compiled into the conformance program
// so that the worked examples run through exactly the code the uninstaller
// runs, on the simulated Windows and on Windows alike.  The conformance
// builds link the seam but not the program's library; the day they do, this
// file goes.
#include "layouts/layout_lists_writer.cpp"
#include "layouts/layout_names.cpp"
#include "layouts/layout_removal.cpp"
#include "layouts/layout_scan.cpp"
#include "layouts/layout_texts.cpp"
#include "layouts/layouts_state.cpp"
#include "layouts/registry_access.cpp"
#include "shell/shell_state.cpp"
#include "shell/texts.cpp"
#include "uninstall/uninstall_state.h"

// Defined with the argument check in the program, which is not needed here.
UninstallState Uninstall;
