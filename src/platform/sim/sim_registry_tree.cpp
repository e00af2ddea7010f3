// The simulated registry's tree: keys, values, names as Windows compares
// them, and the state the calls and the test control share.
#include "platform/sim/sim_registry_tree.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/sim/sim_state.h"

namespace sim {
namespace regtree {
namespace {

void AddRoots(RegistryState* r) {
  KeyNode currentUser;
  currentUser.name = "HKCU";
  KeyNode localMachine;
  localMachine.name = "HKLM";
  r->nodes.push_back(currentUser);
  r->nodes.push_back(localMachine);
}

// Upper case of one code page 1252 character, as Windows folds key names.
unsigned char UpperChar(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
  if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 0x10);
  if (c == 0xFF) return 0x9F;
  return c;
}

// The Unicode code point of a code page 1252 byte: names sort by it.
unsigned CodePoint(unsigned char c) {
  static const unsigned high[32] = {0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021,
                                    0x2C6,  0x2030, 0x160,  0x2039, 0x152,  0x8D,   0x17D,  0x8F,
                                    0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};
  return (c >= 0x80 && c <= 0x9F) ? high[c - 0x80] : c;
}

// Subkeys are enumerated in the order of their upper-cased names.
bool NameBefore(const std::string& a, const std::string& b) {
  std::string ua = Upper(a), ub = Upper(b);
  size_t n = std::min(ua.size(), ub.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned ca = CodePoint(static_cast<unsigned char>(ua[i]));
    unsigned cb = CodePoint(static_cast<unsigned char>(ub[i]));
    if (ca != cb) return ca < cb;
  }
  return ua.size() < ub.size();
}

}  // namespace

RegistryState& Registry() {
  static RegistryState registry;
  if (registry.nodes.empty()) AddRoots(&registry);
  return registry;
}

[[noreturn]] void Misuse(const std::string& what) {
  std::fprintf(stderr, "simulated registry: %s\n", what.c_str());
  std::abort();
}

std::string Upper(const std::string& text) {
  std::string result = text;
  for (char& c : result) c = static_cast<char>(UpperChar(static_cast<unsigned char>(c)));
  return result;
}

bool SameName(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

bool IsTextType(win::Dword type) {
  return type == win::kRegSz || type == win::kRegExpandSz || type == win::kRegMultiSz;
}

std::string PathOf(int node) {
  const RegistryState& r = Registry();
  std::string path = r.nodes[node].name;
  for (int n = r.nodes[node].parent; n >= 0; n = r.nodes[n].parent) path = r.nodes[n].name + "\\" + path;
  return path;
}

unsigned FaultsOf(const std::string& path) {
  auto found = Registry().faults.find(Upper(path));
  return found == Registry().faults.end() ? 0 : found->second;
}

int FindChild(int node, const std::string& name) {
  for (int child : Registry().nodes[node].children)
    if (SameName(Registry().nodes[child].name, name)) return child;
  return -1;
}

int AddChild(int node, const std::string& name) {
  RegistryState& r = Registry();
  KeyNode key;
  key.name = name;
  key.parent = node;
  r.nodes.push_back(key);
  int added = static_cast<int>(r.nodes.size()) - 1;
  std::vector<int>& children = r.nodes[node].children;
  auto at = std::find_if(children.begin(), children.end(),
                         [&](int child) { return NameBefore(name, Registry().nodes[child].name); });
  children.insert(at, added);
  return added;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  if (path.empty()) return parts;
  size_t start = 0;
  for (;;) {
    size_t end = path.find('\\', start);
    parts.push_back(path.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return parts;
}

bool ValidKeyName(const std::string& name) {
  return !name.empty() && name.size() <= kMaxKeyNameLength && name.find('\0') == std::string::npos;
}

void StoreValue(int node, const std::string& name, win::Dword type, const std::string& bytes) {
  std::vector<RegistryValue>& values = Registry().nodes[node].values;
  for (RegistryValue& value : values) {
    if (SameName(value.name, name)) {
      value.type = type;
      value.bytes = bytes;
      return;
    }
  }
  values.push_back(RegistryValue{name, type, bytes});
}

void DeleteSubtree(int node) {
  RegistryState& r = Registry();
  for (int child : r.nodes[node].children) DeleteSubtree(child);
  r.nodes[node].children.clear();
  r.nodes[node].deleted = true;
}

void Unlink(int node) {
  std::vector<int>& siblings = Registry().nodes[Registry().nodes[node].parent].children;
  siblings.erase(std::find(siblings.begin(), siblings.end(), node));
}

}  // namespace regtree

void ResetRegistry() {
  regtree::RegistryState& r = regtree::Registry();
  r = regtree::RegistryState{};
  regtree::AddRoots(&r);
}

}  // namespace sim
