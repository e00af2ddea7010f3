#include "layouts/layout_scan.h"

#include <cstring>

#include "layouts/layout_names.h"
#include "layouts/layout_texts.h"
#include "layouts/layouts_state.h"
#include "layouts/registry_access.h"
#include "uninstall/uninstall_state.h"

namespace {

const char kPreloadPath[] = "Keyboard Layout\\Preload";
const char kSubstitutesPath[] = "Keyboard Layout\\Substitutes";
const char kCataloguePath[] = "System\\CurrentControlSet\\Control\\Keyboard Layouts";
const char kLayoutFileValue[] = "Layout File";

// The language parts of a German layout key: Germany, Switzerland, Austria,
// Liechtenstein.
const char* const kGermanLanguages[] = {"0407", "0807", "0C07", "1407"};

// Order written as a signed decimal number in its shortest form.
void DecimalText(int32_t value, char* text) {
  char digits[12];
  int count = 0;
  int64_t rest = value < 0 ? -static_cast<int64_t>(value) : value;
  do {
    digits[count++] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest > 0);
  int at = 0;
  if (value < 0) text[at++] = '-';
  while (count > 0) text[at++] = digits[--count];
  text[at] = '\0';
}

bool IsGermanLayoutName(const char* name) {
  if (std::strlen(name) < 8) return false;  // no language part to test
  for (const char* language : kGermanLanguages)
    if (std::memcmp(name + 4, language, 4) == 0) return true;
  return false;
}

// Opens one of the user's lists for reading, or puts the problem.
win::HKey OpenUserList(const char* path) {
  win::HKey key = OpenKeyRead(win::kHKeyCurrentUser, path);
  if (key == nullptr) SetRegistryProblem("Fehler beim Öffnen des Registry-Keys HKEY_CURRENT_USER\\%s", path);
  return key;
}

bool ReadPreload() {
  win::HKey key = OpenUserList(kPreloadPath);
  if (key == nullptr) return false;
  int32_t count = CountValues(key);
  for (int32_t index = 0; index < count; ++index) {
    if (!EnumValue(key, index)) continue;
    // A shortened list would make the rewrite drop the user's layouts.
    if (Layouts.PreloadCount == kMaxPreloadEntries) {
      SetRegistryProblem("Zu viele Einträge im Registry-Key HKEY_CURRENT_USER\\%s (mehr als %d)", kPreloadPath,
                         kMaxPreloadEntries);
      win::RegCloseKey(key);
      return false;
    }
    PreloadEntry& entry = Layouts.PreloadList[Layouts.PreloadCount];
    CopyText(entry.valuename, kMaxPath, Layouts.EnumValueName);
    CopyText(entry.layoutkey, kRegistryTextSize, Layouts.EnumValueData);
    entry.order = PreloadNameValue(entry.valuename);
    char shortest[12];
    DecimalText(entry.order, shortest);
    entry.canonical = std::strcmp(shortest, entry.valuename) == 0;
    ++Layouts.PreloadCount;
  }
  win::RegCloseKey(key);
  return true;
}

bool ReadSubstitutes() {
  win::HKey key = OpenUserList(kSubstitutesPath);
  if (key == nullptr) return false;
  int32_t count = CountValues(key);
  for (int32_t index = 0; index < count; ++index) {
    if (!EnumValue(key, index)) continue;
    for (int32_t i = 0; i < Layouts.PreloadCount; ++i) {
      PreloadEntry& entry = Layouts.PreloadList[i];
      if (std::strcmp(entry.layoutkey, Layouts.EnumValueName) != 0) continue;
      entry.hassubstitute = true;
      CopyText(entry.substitute, kRegistryTextSize, Layouts.EnumValueData);
      break;
    }
  }
  win::RegCloseKey(key);
  return true;
}

// Reads the "Layout File" value of a catalogued layout's key.
void ReadLayoutFile(win::HKey layoutKey, CatalogueEntry& entry) {
  int32_t count = CountValues(layoutKey);
  for (int32_t index = 0; index < count; ++index) {
    if (!EnumValue(layoutKey, index)) continue;
    if (std::strcmp(Layouts.EnumValueName, kLayoutFileValue) != 0) continue;
    entry.haslayoutfile = true;
    CopyText(entry.layoutfile, kRegistryTextSize, Layouts.EnumValueData);
  }
}

bool ReadCatalogue() {
  win::HKey catalogue = OpenKeyRead(win::kHKeyLocalMachine, kCataloguePath);
  if (catalogue == nullptr) {
    SetRegistryProblem("Fehler beim Öffnen des Registry-Keys HKEY_LOCAL_MACHINE\\%s", kCataloguePath);
    return false;
  }
  int32_t count = CountSubkeys(catalogue);
  for (int32_t index = 0; index < count; ++index) {
    if (!EnumSubkey(catalogue, index)) continue;
    if (!IsGermanLayoutName(Layouts.EnumKeyName)) continue;
    // A shortened catalogue could miss the layout being removed.
    if (Layouts.CatalogueCount == kMaxCatalogueEntries) {
      SetRegistryProblem("Zu viele deutsche Tastaturlayouts im Registry-Key HKEY_LOCAL_MACHINE\\%s (mehr als %d)",
                         kCataloguePath, kMaxCatalogueEntries);
      win::RegCloseKey(catalogue);
      return false;
    }
    if (SameTextIgnoringCase(Uninstall.LayoutKeyName, Layouts.EnumKeyName))
      Layouts.LayoutIndex = Layouts.CatalogueCount;
    CatalogueEntry& entry = Layouts.LayoutCatalogue[Layouts.CatalogueCount];
    CopyText(entry.keyname, kMaxPath, Layouts.EnumKeyName);
    win::HKey layoutKey = OpenKeyRead(catalogue, entry.keyname);
    if (layoutKey == nullptr) {
      SetRegistryProblem("Fehler beim Öffnen des Registry-Subkeys %s - %s", kCataloguePath, entry.keyname);
      win::RegCloseKey(catalogue);
      return false;
    }
    ReadLayoutFile(layoutKey, entry);
    win::RegCloseKey(layoutKey);
    ++Layouts.CatalogueCount;
  }
  win::RegCloseKey(catalogue);
  return true;
}

}  // namespace

int32_t PreloadNameValue(const char* name) {
  const int64_t kLimit = 2147483648LL;  // the magnitude of the smallest 32-bit number
  const char* p = name;
  while (*p == ' ') ++p;
  bool negative = *p == '-';
  if (negative) ++p;
  int64_t value = 0;
  for (; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') continue;
    value = value * 10 + (*p - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) value = -value;
  if (value > kLimit - 1) value = kLimit - 1;
  return static_cast<int32_t>(value);
}

bool ScanLayouts() {
  std::memset(Layouts.PreloadList, 0, sizeof Layouts.PreloadList);
  std::memset(Layouts.LayoutCatalogue, 0, sizeof Layouts.LayoutCatalogue);
  std::memset(Layouts.NewPreloadList, 0, sizeof Layouts.NewPreloadList);
  std::memset(Layouts.NewSubstitutesList, 0, sizeof Layouts.NewSubstitutesList);
  return ReadPreload() && ReadSubstitutes() && ReadCatalogue();
}
