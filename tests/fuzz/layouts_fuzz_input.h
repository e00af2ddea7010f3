// The layout registry run on a registry built from arbitrary bytes: the
// fuzz target and the unit test that replays the committed corpus share it.
//
// The input is read as a layout key's first four characters followed by
// records; each record's first byte chooses what it adds:
//   0  a Preload value: name, type, data         (any bytes, any length)
//   1  a Substitutes value: name, type, data
//   2  a subkey of the catalogue: name
//   3  a value in the last catalogue subkey: name, type, data
//   4  a fault: which key, which operations
//   5  a value that cannot be written: Preload or Substitutes, name
//   6  a Preload value from the usual names and keys
//   7  a Substitutes value from the usual names and keys
// An input that ends in the middle of a record ends there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "layouts/layout_lists_writer.h"
#include "layouts/layout_names.h"
#include "layouts/layout_removal.h"
#include "layouts/layout_scan.h"
#include "layouts/layouts_state.h"
#include "platform/sim/sim.h"
#include "platform/sim/sim_registry.h"
#include "shell/shell_state.h"
#include "uninstall/uninstall_state.h"

namespace fuzz {

class InputReader {
 public:
  InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool AtEnd() const { return at_ >= size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  // A length of up to 599, so that names and data reach past 260.
  size_t Length() {
    size_t low = Byte();
    size_t high = Byte();
    return (low | (high << 8)) % 600;
  }
  std::string Bytes(size_t count) {
    if (count > size_ - at_) count = size_ - at_;
    std::string bytes(reinterpret_cast<const char*>(data_ + at_), count);
    at_ += count;
    return bytes;
  }
  // A name the narrow calls can carry: no zero byte inside.
  std::string Name() {
    std::string name = Bytes(Length());
    for (char& c : name)
      if (c == '\0') c = '_';
    return name;
  }
  // A key name: 1 to 255 characters without backslash.
  std::string KeyName() {
    std::string name = Name();
    if (name.size() > 255) name.resize(255);
    for (char& c : name)
      if (c == '\\') c = '_';
    return name.empty() ? std::string("k") : name;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

inline const char kPreloadKey[] = "HKCU\\Keyboard Layout\\Preload";
inline const char kSubstitutesKey[] = "HKCU\\Keyboard Layout\\Substitutes";
inline const char kCatalogueKey[] = "HKLM\\System\\CurrentControlSet\\Control\\Keyboard Layouts";

inline std::string UsualKey(uint8_t pick, const std::string& layout) {
  static const char* const keys[] = {"00000407", "00000409", "00000807", "d0010407", "d0020407",
                                     "d0030407", "D0010407", "a0020409", "a0030407"};
  return pick % 10 == 9 ? layout : std::string(keys[pick % 10]);
}

inline std::string UsualName(uint8_t pick) {
  static const char* const names[] = {"1", "2", "3", "4", "0", "01", "x", "-1", "201", "250", " 2", ""};
  return names[pick % 12];
}

// Builds the registry from the input.
inline void BuildFromInput(InputReader& in, const std::string& layout) {
  sim::CreateRegistryKey(kPreloadKey);
  sim::CreateRegistryKey(kSubstitutesKey);
  sim::CreateRegistryKey(kCatalogueKey);
  std::string lastSubkey = std::string(kCatalogueKey) + "\\" + layout;
  const std::string faultKeys[] = {"HKCU\\Keyboard Layout", kPreloadKey, kSubstitutesKey, kCatalogueKey};
  while (!in.AtEnd()) {
    uint8_t kind = in.Byte() % 8;
    if (kind == 0 || kind == 1 || kind == 3) {
      std::string name = in.Name();
      win::Dword type = in.Byte() % 8;
      std::string data = in.Bytes(in.Length());
      const std::string& key = kind == 0   ? std::string(kPreloadKey)
                               : kind == 1 ? std::string(kSubstitutesKey)
                                           : lastSubkey;
      sim::SetRegistryValue(key, name, type, data);
    } else if (kind == 2) {
      lastSubkey = std::string(kCatalogueKey) + "\\" + in.KeyName();
      sim::CreateRegistryKey(lastSubkey);
    } else if (kind == 4) {
      uint8_t which = in.Byte() % 5;
      unsigned faults = in.Byte() & 0x3F;
      sim::DenyRegistryKey(which < 4 ? faultKeys[which] : lastSubkey, faults);
    } else if (kind == 5) {
      bool preload = in.Byte() % 2 == 0;
      sim::DenyRegistryValueWrite(preload ? kPreloadKey : kSubstitutesKey, in.Name());
    } else {
      std::string name = kind == 6 ? UsualName(in.Byte()) : UsualKey(in.Byte(), layout);
      std::string data = UsualKey(in.Byte(), layout);
      sim::SetRegistryText(kind == 6 ? kPreloadKey : kSubstitutesKey, name, data);
    }
  }
}

// What the rewrite promises whenever it reports success: Preload values
// named 1..n, each once, and substitution names each used once.  Returns a
// description of the first broken promise, or "".
inline std::string CheckWrittenTables() {
  std::set<std::string> names;
  for (int32_t i = 0; i < Layouts.newpreloadcount; ++i) {
    std::string name = Layouts.NewPreloadList[i].name;
    if (!names.insert(name).second) return "Preload value " + name + " twice";
  }
  for (int32_t i = 1; i <= Layouts.newpreloadcount; ++i)
    if (!names.count(std::to_string(i))) return "Preload value " + std::to_string(i) + " missing";
  std::map<std::string, int> uses;
  for (int32_t i = 0; i < Layouts.newsubstitutescount; ++i) {
    std::string upper = Layouts.NewSubstitutesList[i].name;
    for (char& c : upper)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (++uses[upper] > 1) return std::string("substitution ") + Layouts.NewSubstitutesList[i].name + " twice";
  }
  return "";
}

// Runs scan, removal and rewrite on the registry the input describes.
// Returns "" or what went wrong.
inline std::string RunLayoutsFuzzInput(const uint8_t* data, size_t size) {
  sim::ResetMachine();
  Shell = ShellState{};
  Uninstall = UninstallState{};
  Layouts = LayoutsState{};

  InputReader in(data, size);
  std::string layout = in.Bytes(4);
  bool usable = layout.size() == 4;
  for (char c : layout)
    if (c == '\0' || c == '\\') usable = false;  // a key name has neither
  layout += "0407";
  if (!usable || SameTextIgnoringCase(layout.c_str(), "00000407")) layout = "a0010407";
  CopyText(Uninstall.LayoutKeyName, kMaxPath, layout.c_str());

  BuildFromInput(in, layout);
  if (ScanLayouts()) {
    RemoveLayoutFromLists();
    bool written = WriteLayoutLists();
    if (written && !Layouts.LayoutNotInPreload) {
      std::string broken = CheckWrittenTables();
      if (!broken.empty()) return broken;
    }
  }
  if (sim::OpenRegistryHandles() != 0) return "a registry key was left open";
  return "";
}

}  // namespace fuzz
