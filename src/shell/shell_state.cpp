#include "shell/shell_state.h"

#include <cstring>

ShellState Shell;

bool CopyText(char* destination, int size, const char* source) {
  if (size <= 0) return false;
  int length = 0;
  while (length < size - 1 && source[length] != '\0') ++length;
  std::memcpy(destination, source, length);
  destination[length] = '\0';
  return source[length] == '\0';
}

bool AppendText(char* destination, int size, const char* source) {
  if (size <= 0) return false;
  int used = 0;
  while (used < size - 1 && destination[used] != '\0') ++used;
  return CopyText(destination + used, size - used, source);
}
