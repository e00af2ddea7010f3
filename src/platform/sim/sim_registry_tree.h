// The simulated registry's tree, shared by the simulated calls
// (sim_registry.cpp) and the test control (sim_registry_control.cpp).
// Tests use sim_registry.h instead.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim_registry.h"

namespace sim {
namespace regtree {

constexpr size_t kMaxKeyNameLength = 255;
constexpr uintptr_t kKeyHandleBase = 0x05000000;
constexpr int kCurrentUserNode = 0;
constexpr int kLocalMachineNode = 1;

struct KeyNode {
  std::string name;
  int parent = -1;
  std::vector<int> children;  // kept in enumeration order
  std::vector<RegistryValue> values;
  bool deleted = false;  // removed from the tree; handles to it remain
};

struct OpenKey {
  int node;
  win::Dword access;
};

struct RegistryState {
  std::vector<KeyNode> nodes;  // 0 is HKCU, 1 is HKLM; never shrinks until reset
  std::map<uintptr_t, OpenKey> handles;
  uintptr_t nextHandle = kKeyHandleBase;
  std::map<std::string, unsigned> faults;                         // upper-cased path
  std::vector<std::pair<std::string, std::string>> deniedValues;  // upper-cased
  std::vector<RegistryChange> changes;
};

RegistryState& Registry();

// Stops the test: the control API was used wrongly.
[[noreturn]] void Misuse(const std::string& what);

// Names as Windows compares them: code page 1252 letters folded to upper
// case; subkeys sorted by the Unicode values of the folded names.
std::string Upper(const std::string& text);
bool SameName(const std::string& a, const std::string& b);
bool IsTextType(win::Dword type);

std::string PathOf(int node);  // "HKCU\Keyboard Layout\Preload"
unsigned FaultsOf(const std::string& path);
int FindChild(int node, const std::string& name);  // -1 when missing
int AddChild(int node, const std::string& name);
std::vector<std::string> SplitPath(const std::string& path);
bool ValidKeyName(const std::string& name);
// Writes a value, replacing one of the same name (compared without case)
// in its place.
void StoreValue(int node, const std::string& name, win::Dword type, const std::string& bytes);
// Marks a key and everything below it deleted; Unlink takes it out of its
// parent's subkeys.
void DeleteSubtree(int node);
void Unlink(int node);

}  // namespace regtree
}  // namespace sim
