#include "files/files_state.h"

FilesState Files;
