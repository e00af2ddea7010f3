#include "layouts/layout_texts.h"

#include <cstdarg>

#include "layouts/layouts_state.h"
#include "shell/texts.h"

void SetRegistryProblem(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  FormatText(Layouts.RegistryProblemText, kRegistryProblemTextSize, format, arguments);
  va_end(arguments);
}
