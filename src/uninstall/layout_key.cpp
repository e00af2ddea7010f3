#include "uninstall/layout_key.h"

#include <cstring>

#include "shell/message_boxes.h"
#include "uninstall/product_profile.h"
#include "uninstall/uninstall_state.h"

UninstallState Uninstall;

namespace {

bool EqualIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    char ca = (*a >= 'a' && *a <= 'z') ? static_cast<char>(*a - 'a' + 'A') : *a;
    char cb = (*b >= 'a' && *b <= 'z') ? static_cast<char>(*b - 'a' + 'A') : *b;
    if (ca != cb) return false;
  }
  return *a == *b;
}

}  // namespace

bool ValidateLayoutKey() {
  if (Shell.ArgCount != 1) {
    ShowWarning("Deinstallationsprogramm nicht mit gültigem Registry-Key die Tastatur aufgerufen (Angabe fehlt)");
    return false;
  }
  CopyText(Uninstall.LayoutKeyName, kMaxPath, Shell.CommandLineArgs[0]);
  const char* key = Uninstall.LayoutKeyName;
  if (std::strlen(key) != 8) {
    ShowWarning(
        "Deinstallationsprogramm nicht mit gültigem Registry-Key die Tastatur aufgerufen (Länge nicht 8 "
        "Zeichen):\n%s",
        key);
    return false;
  }
  if (std::memcmp(key + 4, GermanLayoutSuffix, 4) != 0) {
    ShowWarning(
        "Deinstallationsprogramm nicht mit gültigem Registry-Key die Tastatur aufgerufen (endet nicht in "
        "\"0407\", also kein deutsches Layout):\n%s",
        key);
    return false;
  }
  if (EqualIgnoringCase(key, StandardLayoutKey)) {
    ShowWarning(
        "Deinstallationsprogramm nicht mit gültigem Registry-Key die Tastatur aufgerufen (Schlüssel für "
        "Standardtastatur: nicht deinstallierbar):\n%s",
        key);
    return false;
  }
  return true;
}
