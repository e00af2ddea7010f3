// What the layout registry tests share: the registry places the program
// reads, a fixture that starts each test on a fresh machine, and readers of
// the layout picture.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "layouts/layouts_state.h"
#include "platform/sim/sim_registry.h"
#include "test_process.h"

inline const char kPreloadKey[] = "HKCU\\Keyboard Layout\\Preload";
inline const char kSubstitutesKey[] = "HKCU\\Keyboard Layout\\Substitutes";
inline const char kCatalogueKey[] = "HKLM\\System\\CurrentControlSet\\Control\\Keyboard Layouts";

// Values as name and text, e.g. {{"1", "00000407"}, {"2", "d0010407"}}.
using TextValues = std::vector<std::pair<std::string, std::string>>;

class LayoutsTest : public SimTest {
 protected:
  static void SetLayoutKey(const char* key) { CopyText(Uninstall.LayoutKeyName, kMaxPath, key); }

  // The user's two lists, each key created even when it gets no value.
  static void SetUserLists(const TextValues& preload, const TextValues& substitutes) {
    sim::CreateRegistryKey(kPreloadKey);
    sim::CreateRegistryKey(kSubstitutesKey);
    for (const auto& value : preload) sim::SetRegistryText(kPreloadKey, value.first, value.second);
    for (const auto& value : substitutes) sim::SetRegistryText(kSubstitutesKey, value.first, value.second);
  }

  static void AddCatalogueEntry(const std::string& keyname, const std::string& layoutfile) {
    sim::SetRegistryText(std::string(kCatalogueKey) + "\\" + keyname, "Layout File", layoutfile);
  }
};

// A key's REG_SZ values as name and text, in enumeration order.
inline TextValues ReadTexts(const std::string& path) {
  TextValues texts;
  for (const sim::RegistryValue& value : sim::RegistryValues(path))
    texts.emplace_back(value.name, value.type == win::kRegSz ? std::string(value.bytes.c_str()) : "<not text>");
  return texts;
}

// One Preload entry as "valuename|layoutkey|substitute|order|canonical",
// with "-" for no substitute and c or n for the flag.
inline std::string DescribeEntry(const PreloadEntry& entry) {
  return std::string(entry.valuename) + "|" + entry.layoutkey + "|" + (entry.hassubstitute ? entry.substitute : "-") +
         "|" + std::to_string(entry.order) + "|" + (entry.canonical ? "c" : "n");
}

inline std::vector<std::string> DescribePreloadList() {
  std::vector<std::string> entries;
  for (int32_t i = 0; i < Layouts.PreloadCount; ++i) entries.push_back(DescribeEntry(Layouts.PreloadList[i]));
  return entries;
}

// The catalogue as "keyname|layoutfile", with "-" for no layout file.
inline std::vector<std::string> DescribeCatalogue() {
  std::vector<std::string> entries;
  for (int32_t i = 0; i < Layouts.CatalogueCount; ++i) {
    const CatalogueEntry& entry = Layouts.LayoutCatalogue[i];
    entries.push_back(std::string(entry.keyname) + "|" + (entry.haslayoutfile ? entry.layoutfile : "-"));
  }
  return entries;
}
