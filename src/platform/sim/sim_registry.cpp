// The simulated registry: two trees of keys, the handles a process holds,
// the faults a test injected, and the changes the calls made.
//
// What the calls answer follows Windows, as the conformance tests show
// (Wine differs in two places they mark: it lists values sorted by name and
// accepts key names longer than 255 characters):
// - no right is needed on a parent handle to open or create a key below it;
//   the rights asked for are checked when the new handle is used;
// - RegCreateKeyExA creates every missing key of the path and opens an
//   existing key with its values as they are;
// - RegDeleteKeyA refuses a key that still has subkeys (ERROR_ACCESS_DENIED);
//   handles to a deleted key answer ERROR_KEY_DELETED;
// - enumeration answers ERROR_NO_MORE_ITEMS past the end and ERROR_MORE_DATA
//   when a name (terminator included) or the data does not fit, and then
//   writes nothing into the buffers;
// - RegSetValueExA of a text type counts the terminator the caller forgot
//   when the byte after the data is one; RegEnumValueA appends a terminator
//   to text data that lacks one when the buffer has room for it;
// - values are listed in the order they were first written, subkeys in the
//   order of their names.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/sim_faults.h"
#include "platform/sim/sim_registry_tree.h"
#include "platform/sim/sim_state.h"

namespace sim {
namespace {

using namespace regtree;

// Access rights that only read; anything else asks for a right to change.
constexpr win::Dword kReadRights = 0x20019;  // KEY_READ
constexpr win::Dword kViewFlags = 0x0300;    // KEY_WOW64_64KEY, KEY_WOW64_32KEY

// A 32-bit process on 64-bit Windows sees HKLM\SOFTWARE through Wow6432Node.
bool RedirectsToWow64(int node, const std::string& name, const std::vector<std::string>& rest, size_t next) {
  if (Machine().kind != WindowsKind::kWindows64) return false;
  if (node != kLocalMachineNode || !SameName(name, "SOFTWARE")) return false;
  return next >= rest.size() || !SameName(rest[next], "Wow6432Node");
}

// Walks a subkey path down from a key as the simulated calls see it.  With
// create, missing keys are made (each one's creation may be denied); the
// keys made are reported in created.  Returns the key or -1, with the error.
int Walk(int from, const char* subKey, bool create, win::Long* error, std::vector<int>* created = nullptr) {
  std::vector<std::string> parts = SplitPath(subKey);
  int node = from;
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& name = parts[i];
    if (name.empty()) {
      if (i + 1 == parts.size() && i > 0) break;  // a trailing backslash
      NotModelled("registry paths with empty names");
    }
    if (name.size() > kMaxKeyNameLength) {
      *error = win::kErrorInvalidParameter;
      return -1;
    }
    bool redirect = RedirectsToWow64(node, name, parts, i + 1);
    std::vector<std::string> steps{name};
    if (redirect) steps.push_back("Wow6432Node");
    for (const std::string& step : steps) {
      int child = FindChild(node, step);
      if (child < 0) {
        if (!create) {
          *error = win::kErrorFileNotFound;
          return -1;
        }
        std::string path = PathOf(node) + "\\" + step;
        if (FaultsOf(path) & kDenyCreate) {
          *error = win::kErrorAccessDenied;
          return -1;
        }
        child = AddChild(node, step);
        if (created) created->push_back(child);
      }
      node = child;
    }
  }
  return node;
}

int RootNode(win::HKey key) {
  if (key == win::kHKeyCurrentUser) return kCurrentUserNode;
  if (key == win::kHKeyLocalMachine) return kLocalMachineNode;
  return -1;
}

bool IsPredefined(win::HKey key) {
  uintptr_t value = reinterpret_cast<uintptr_t>(key);
  return value >= 0x80000000u && value <= 0x800000FFu;
}

// The key a handle names, or -1 with the error the calls give.
int NodeOfHandle(win::HKey key, win::Dword neededRight, win::Long* error) {
  int root = RootNode(key);
  if (root >= 0) return root;
  if (IsPredefined(key)) NotModelled("registry roots other than HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE");
  auto found = Registry().handles.find(reinterpret_cast<uintptr_t>(key));
  if (found == Registry().handles.end()) {
    *error = win::kErrorInvalidHandle;
    return -1;
  }
  if (Registry().nodes[found->second.node].deleted) {
    *error = win::kErrorKeyDeleted;
    return -1;
  }
  if (neededRight != 0 && (found->second.access & neededRight) == 0) {
    *error = win::kErrorAccessDenied;
    return -1;
  }
  return found->second.node;
}

win::HKey NewHandle(int node, win::Dword access) {
  RegistryState& r = Registry();
  uintptr_t value = r.nextHandle++;
  r.handles[value] = OpenKey{node, access};
  return reinterpret_cast<win::HKey>(value);
}

bool OpenDenied(int node, win::Dword access) {
  unsigned faults = FaultsOf(PathOf(node));
  bool reads = (access & kReadRights) != 0;
  bool changes = (access & ~kReadRights) != 0;
  return ((faults & kDenyOpenRead) && reads) || ((faults & kDenyOpenWrite) && changes);
}

void CheckAccessMask(win::Dword access) {
  if (access & kViewFlags) NotModelled("registry view flags");
}

void Record(RegistryChange::Kind kind, const std::string& path, const std::string& name, win::Dword type,
            const std::string& bytes, win::Long result) {
  Registry().changes.push_back(RegistryChange{kind, path, name, type, bytes, result});
}

}  // namespace
}  // namespace sim

namespace win {

using sim::regtree::Registry;

Long RegOpenKeyExA(HKey key, const char* subKey, Dword options, Dword samDesired, HKey* result) {
  SIM_FAULT_POINT("RegOpenKeyExA", static_cast<Long>(simFaultError));
  sim::CheckAccessMask(samDesired);
  if (result == nullptr || options != 0) sim::NotModelled("RegOpenKeyExA with these arguments");
  Long error = kErrorSuccess;
  int from = sim::NodeOfHandle(key, 0, &error);
  if (from < 0) return error;
  int node = sim::Walk(from, subKey == nullptr ? "" : subKey, false, &error);
  if (node < 0) return error;
  if (sim::OpenDenied(node, samDesired)) return kErrorAccessDenied;
  *result = sim::NewHandle(node, samDesired);
  return kErrorSuccess;
}

Long RegCreateKeyExA(HKey key, const char* subKey, Dword reserved, char* keyClass, Dword options, Dword samDesired,
                     SecurityAttributes* securityAttributes, HKey* result, Dword* disposition) {
  SIM_FAULT_POINT("RegCreateKeyExA", static_cast<Long>(simFaultError));
  sim::CheckAccessMask(samDesired);
  if (result == nullptr || subKey == nullptr || securityAttributes != nullptr || options != kRegOptionNonVolatile ||
      (keyClass != nullptr && keyClass[0] != '\0'))
    sim::NotModelled("RegCreateKeyExA with these arguments");
  if (reserved != 0) return kErrorInvalidParameter;
  Long error = kErrorSuccess;
  int from = sim::NodeOfHandle(key, 0, &error);
  std::string target = from >= 0 ? sim::regtree::PathOf(from) + (subKey[0] ? "\\" : "") + subKey : subKey;
  if (from < 0) {
    sim::Record(sim::RegistryChange::kCreateKey, target, "", 0, "", error);
    return error;
  }
  std::vector<int> created;
  int node = sim::Walk(from, subKey, true, &error, &created);
  if (node >= 0) target = sim::regtree::PathOf(node);
  if (node >= 0 && created.empty()) {
    unsigned faults = sim::regtree::FaultsOf(target);
    if ((faults & sim::kDenyCreate) || sim::OpenDenied(node, samDesired)) {
      node = -1;
      error = kErrorAccessDenied;
    }
  }
  sim::Record(sim::RegistryChange::kCreateKey, target, "", 0, "", node >= 0 ? Long{kErrorSuccess} : error);
  if (node < 0) return error;
  *result = sim::NewHandle(node, samDesired);
  if (disposition != nullptr) *disposition = created.empty() ? kRegOpenedExistingKey : kRegCreatedNewKey;
  return kErrorSuccess;
}

Long RegSetValueExA(HKey key, const char* valueName, Dword, Dword type, const uint8_t* data, Dword dataSize) {
  SIM_FAULT_POINT("RegSetValueExA", static_cast<Long>(simFaultError));
  Long error = kErrorSuccess;
  std::string name = valueName == nullptr ? "" : valueName;
  std::string bytes;
  if (data != nullptr) {
    // Windows counts a forgotten terminator of a text when one follows.
    Dword size = dataSize;
    if (sim::regtree::IsTextType(type) && size > 0 && data[size - 1] != 0 && data[size] == 0) ++size;
    bytes.assign(reinterpret_cast<const char*>(data), size);
  } else if (dataSize != 0) {
    sim::NotModelled("RegSetValueExA without data but with a size");
  }
  int node = sim::NodeOfHandle(key, kKeySetValue, &error);
  std::string path = node >= 0 ? sim::regtree::PathOf(node) : std::string("?");
  if (node >= 0) {
    for (const auto& denied : Registry().deniedValues)
      if (denied.first == sim::regtree::Upper(path) && denied.second == sim::regtree::Upper(name))
        error = kErrorAccessDenied;
  }
  if (node >= 0 && error == kErrorSuccess) sim::regtree::StoreValue(node, name, type, bytes);
  sim::Record(sim::RegistryChange::kSetValue, path, name, type, bytes, error);
  return error;
}

Long RegQueryInfoKeyA(HKey key, char* keyClass, Dword* classLength, Dword* reserved, Dword* subKeys,
                      Dword* maxSubKeyLength, Dword* maxClassLength, Dword* values, Dword* maxValueNameLength,
                      Dword* maxValueLength, Dword* securityDescriptorLength, FileTime* lastWriteTime) {
  SIM_FAULT_POINT("RegQueryInfoKeyA", static_cast<Long>(simFaultError));
  if (reserved != nullptr) return kErrorInvalidParameter;
  Long error = kErrorSuccess;
  int node = sim::NodeOfHandle(key, kKeyQueryValue, &error);
  if (node < 0) return error;
  if (sim::regtree::FaultsOf(sim::regtree::PathOf(node)) & sim::kDenyQueryInfo) return kErrorAccessDenied;
  const sim::regtree::KeyNode& k = Registry().nodes[node];
  Dword longestKey = 0, longestName = 0, longestData = 0;
  for (int child : k.children) longestKey = std::max<Dword>(longestKey, Registry().nodes[child].name.size());
  for (const sim::RegistryValue& v : k.values) {
    longestName = std::max<Dword>(longestName, v.name.size());
    longestData = std::max<Dword>(longestData, v.bytes.size());
  }
  if (keyClass != nullptr && classLength != nullptr && *classLength > 0) keyClass[0] = '\0';
  if (classLength != nullptr) *classLength = 0;
  if (subKeys != nullptr) *subKeys = static_cast<Dword>(k.children.size());
  if (maxSubKeyLength != nullptr) *maxSubKeyLength = longestKey;
  if (maxClassLength != nullptr) *maxClassLength = 0;
  if (values != nullptr) *values = static_cast<Dword>(k.values.size());
  if (maxValueNameLength != nullptr) *maxValueNameLength = longestName;
  if (maxValueLength != nullptr) *maxValueLength = longestData;
  if (securityDescriptorLength != nullptr) sim::NotModelled("RegQueryInfoKeyA security descriptor length");
  if (lastWriteTime != nullptr) *lastWriteTime = FileTime{0, 0};
  return kErrorSuccess;
}

Long RegEnumKeyExA(HKey key, Dword index, char* name, Dword* nameLength, Dword* reserved, char* keyClass,
                   Dword* classLength, FileTime* lastWriteTime) {
  SIM_FAULT_POINT("RegEnumKeyExA", static_cast<Long>(simFaultError));
  if (name == nullptr || nameLength == nullptr) sim::NotModelled("RegEnumKeyExA without a name buffer");
  if (reserved != nullptr) return kErrorInvalidParameter;
  Long error = kErrorSuccess;
  int node = sim::NodeOfHandle(key, kKeyEnumerateSubKeys, &error);
  if (node < 0) return error;
  if (sim::regtree::FaultsOf(sim::regtree::PathOf(node)) & sim::kDenyEnumerate) return kErrorAccessDenied;
  const std::vector<int>& children = Registry().nodes[node].children;
  if (index >= children.size()) return kErrorNoMoreItems;
  const std::string& found = Registry().nodes[children[index]].name;
  if (found.size() >= *nameLength) return kErrorMoreData;
  std::memcpy(name, found.c_str(), found.size() + 1);
  *nameLength = static_cast<Dword>(found.size());
  if (keyClass != nullptr && classLength != nullptr && *classLength > 0) keyClass[0] = '\0';
  if (classLength != nullptr) *classLength = 0;
  if (lastWriteTime != nullptr) *lastWriteTime = FileTime{0, 0};
  return kErrorSuccess;
}

Long RegEnumValueA(HKey key, Dword index, char* valueName, Dword* valueNameLength, Dword* reserved, Dword* type,
                   uint8_t* data, Dword* dataLength) {
  SIM_FAULT_POINT("RegEnumValueA", static_cast<Long>(simFaultError));
  if (valueName == nullptr || valueNameLength == nullptr) sim::NotModelled("RegEnumValueA without a name buffer");
  if (reserved != nullptr || (data != nullptr && dataLength == nullptr)) return kErrorInvalidParameter;
  Long error = kErrorSuccess;
  int node = sim::NodeOfHandle(key, kKeyQueryValue, &error);
  if (node < 0) return error;
  if (sim::regtree::FaultsOf(sim::regtree::PathOf(node)) & sim::kDenyEnumerate) return kErrorAccessDenied;
  const std::vector<sim::RegistryValue>& values = Registry().nodes[node].values;
  if (index >= values.size()) return kErrorNoMoreItems;
  const sim::RegistryValue& value = values[index];
  Dword size = static_cast<Dword>(value.bytes.size());
  if (value.name.size() >= *valueNameLength) return kErrorMoreData;
  if (data != nullptr && size > *dataLength) {
    *dataLength = size;
    return kErrorMoreData;
  }
  std::memcpy(valueName, value.name.c_str(), value.name.size() + 1);
  *valueNameLength = static_cast<Dword>(value.name.size());
  if (type != nullptr) *type = value.type;
  if (data != nullptr) {
    std::memcpy(data, value.bytes.data(), size);
    // A text without its terminator gets one when there is room.
    if (sim::regtree::IsTextType(value.type) && size > 0 && size < *dataLength && data[size - 1] != 0) data[size] = 0;
  }
  if (dataLength != nullptr) *dataLength = size;
  return kErrorSuccess;
}

Long RegDeleteKeyA(HKey key, const char* subKey) {
  SIM_FAULT_POINT("RegDeleteKeyA", static_cast<Long>(simFaultError));
  if (subKey == nullptr) sim::NotModelled("RegDeleteKeyA without a name");
  Long error = kErrorSuccess;
  int from = sim::NodeOfHandle(key, 0, &error);
  std::string target = from >= 0 ? sim::regtree::PathOf(from) + (subKey[0] ? "\\" : "") + subKey : subKey;
  int node = from >= 0 ? sim::Walk(from, subKey, false, &error) : -1;
  if (node >= 0) {
    target = sim::regtree::PathOf(node);
    if (Registry().nodes[node].parent < 0 ||
        (sim::regtree::FaultsOf(target) & (sim::kDenyDelete | sim::kDenyOpenWrite)) ||
        !Registry().nodes[node].children.empty()) {
      node = -1;
      error = kErrorAccessDenied;
    }
  }
  sim::Record(sim::RegistryChange::kDeleteKey, target, "", 0, "", node >= 0 ? Long{kErrorSuccess} : error);
  if (node < 0) return error;
  sim::regtree::Unlink(node);
  sim::regtree::DeleteSubtree(node);
  return kErrorSuccess;
}

Long RegCloseKey(HKey key) {
  if (sim::RootNode(key) >= 0) return kErrorSuccess;
  auto found = Registry().handles.find(reinterpret_cast<uintptr_t>(key));
  if (found == Registry().handles.end()) return kErrorInvalidHandle;
  Registry().handles.erase(found);
  return kErrorSuccess;
}

}  // namespace win
