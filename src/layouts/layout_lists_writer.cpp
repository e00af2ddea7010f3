#include "layouts/layout_lists_writer.h"

#include "layouts/layout_names.h"
#include "layouts/layout_texts.h"
#include "layouts/layouts_state.h"
#include "layouts/registry_access.h"

namespace {

const char kKeyboardLayoutPath[] = "Keyboard Layout";
const char kPreloadName[] = "Preload";
const char kSubstitutesName[] = "Substitutes";
const char kDeleteProblem[] = "Warnung:\nFehler beim Löschen des Registry-Keys %s - %s";
const char kRecreateProblem[] = "Warnung:\nFehler beim Wiedererstellen des Registry-Keys %s - %s";

// Deletes the named key below "Keyboard Layout" and creates it empty again.
// The new key, or null with the problem put into RegistryProblemText.
win::HKey RecreateKey(win::HKey keyboardLayout, const char* name) {
  if (!DeleteKeyTree(keyboardLayout, name)) {
    SetRegistryProblem(kDeleteProblem, kKeyboardLayoutPath, name);
    return nullptr;
  }
  win::HKey key = CreateKey(keyboardLayout, name);
  if (key == nullptr) SetRegistryProblem(kRecreateProblem, kKeyboardLayoutPath, name);
  return key;
}

void WritePreload(win::HKey keyboardLayout) {
  win::HKey preload = RecreateKey(keyboardLayout, kPreloadName);
  if (preload == nullptr) return;
  for (int32_t i = 0; i < Layouts.newpreloadcount; ++i)
    SetStringValue(preload, Layouts.NewPreloadList[i].name, Layouts.NewPreloadList[i].data);
  win::RegCloseKey(preload);
}

// Substitutions named by a standard key first, then the fresh names.
bool WriteSubstitutes(win::HKey keyboardLayout) {
  win::HKey substitutes = RecreateKey(keyboardLayout, kSubstitutesName);
  if (substitutes == nullptr) return false;
  for (int pass = 0; pass < 2; ++pass) {
    bool standardPass = pass == 0;
    for (int32_t i = 0; i < Layouts.newsubstitutescount; ++i) {
      const ValuePair& pair = Layouts.NewSubstitutesList[i];
      if (IsStandardLayoutKey(pair.name) == standardPass) SetStringValue(substitutes, pair.name, pair.data);
    }
  }
  win::RegCloseKey(substitutes);
  return true;
}

}  // namespace

bool WriteLayoutLists() {
  if (Layouts.LayoutNotInPreload) return true;
  if (Layouts.newpreloadcount == 0) {
    SetRegistryProblem("INTERNER FEHLER: newpreloadcount ist 0!");
    return false;
  }
  Layouts.RegistryProblemText[0] = '\0';
  win::HKey keyboardLayout = OpenKeyRead(win::kHKeyCurrentUser, kKeyboardLayoutPath);
  if (keyboardLayout == nullptr) {
    SetRegistryProblem("Warnung:\nFehler beim Öffnen des Registry-Keys HKEY_CURRENT_USER\\%s", kKeyboardLayoutPath);
    return false;
  }
  WritePreload(keyboardLayout);
  bool substitutesWritten = WriteSubstitutes(keyboardLayout);
  win::RegCloseKey(keyboardLayout);
  return substitutesWritten && Layouts.RegistryProblemText[0] == '\0';
}
