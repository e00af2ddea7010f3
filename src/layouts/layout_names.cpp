#include "layouts/layout_names.h"

#include <cstring>

namespace {

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool IsStandardLayoutKey(const char* text) {
  return text != nullptr && std::strlen(text) == 8 && std::strncmp(text, "00000", 5) == 0;
}

bool SameTextIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b)
    if (FoldCase(*a) != FoldCase(*b)) return false;
  return *a == *b;
}
