// The one command-line argument: the key of the layout to remove.
#pragma once

// Takes the first argument into LayoutKeyName and refuses, with a warning,
// anything that cannot be the key of a removable German layout.
bool ValidateLayoutKey();
