#include "layouts/layouts_state.h"

LayoutsState Layouts;
