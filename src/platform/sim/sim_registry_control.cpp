// The simulated registry's control for tests: building from literals,
// reading back, dumping, faults and the record of changes.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_registry_tree.h"

namespace sim {
namespace {

using namespace regtree;

// "HKCU\a\b" or "HKEY_CURRENT_USER\a\b" to the root's node and the names.
int ParseRootPath(const std::string& path, std::vector<std::string>* names) {
  std::vector<std::string> parts = SplitPath(path);
  if (parts.empty()) Misuse("empty registry path");
  std::string root = Upper(parts[0]);
  int node = -1;
  if (root == "HKCU" || root == "HKEY_CURRENT_USER") node = kCurrentUserNode;
  if (root == "HKLM" || root == "HKEY_LOCAL_MACHINE") node = kLocalMachineNode;
  if (node < 0) Misuse("unknown registry root in " + path);
  for (size_t i = 1; i < parts.size(); ++i) {
    if (!ValidKeyName(parts[i])) Misuse("bad key name in " + path);
    names->push_back(parts[i]);
  }
  return node;
}

int FindPath(const std::string& path) {
  std::vector<std::string> names;
  int node = ParseRootPath(path, &names);
  for (const std::string& name : names) {
    node = FindChild(node, name);
    if (node < 0) return -1;
  }
  return node;
}

int MakePath(const std::string& path) {
  std::vector<std::string> names;
  int node = ParseRootPath(path, &names);
  for (const std::string& name : names) {
    int child = FindChild(node, name);
    node = child >= 0 ? child : AddChild(node, name);
  }
  return node;
}

// The canonical path a fault is kept under: the root's short name and the
// names as given, upper-cased.
std::string FaultKey(const std::string& path) {
  std::vector<std::string> names;
  int node = ParseRootPath(path, &names);
  std::string key = Registry().nodes[node].name;
  for (const std::string& name : names) key += "\\" + name;
  return Upper(key);
}

// ------------------------------------------------------ literal parsing ---

struct LiteralParser {
  const std::string& line;
  int lineNumber;
  size_t at = 0;

  [[noreturn]] void Fail(const char* what) const {
    Misuse("registry literal, line " + std::to_string(lineNumber) + ": " + what + ": " + line);
  }

  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  std::string Quoted() {
    if (at >= line.size() || line[at] != '"') Fail("quotation mark expected");
    ++at;
    std::string text;
    while (at < line.size() && line[at] != '"') {
      char c = line[at++];
      if (c != '\\') {
        text += c;
        continue;
      }
      if (at >= line.size()) Fail("escape at the end");
      char e = line[at++];
      if (e == '\\' || e == '"') {
        text += e;
      } else if (e == 'x' && at + 1 < line.size() && HexDigit(line[at]) >= 0 && HexDigit(line[at + 1]) >= 0) {
        text += static_cast<char>(HexDigit(line[at]) * 16 + HexDigit(line[at + 1]));
        at += 2;
      } else {
        Fail("unknown escape");
      }
    }
    if (at >= line.size()) Fail("closing quotation mark missing");
    ++at;
    return text;
  }

  std::string HexBytes() {
    std::string bytes;
    while (at < line.size()) {
      if (at + 1 >= line.size() || HexDigit(line[at]) < 0 || HexDigit(line[at + 1]) < 0) Fail("bad hex byte");
      bytes += static_cast<char>(HexDigit(line[at]) * 16 + HexDigit(line[at + 1]));
      at += 2;
      if (at < line.size()) {
        if (line[at] != ',') Fail("comma expected");
        ++at;
      }
    }
    return bytes;
  }

  bool Consume(const char* prefix) {
    size_t n = std::strlen(prefix);
    if (line.compare(at, n, prefix) != 0) return false;
    at += n;
    return true;
  }

  // The data after '=': its type and bytes.
  void Data(win::Dword* type, std::string* bytes) {
    if (at < line.size() && line[at] == '"') {
      *type = win::kRegSz;
      *bytes = Quoted() + std::string(1, '\0');
      if (at != line.size()) Fail("text after the data");
    } else if (Consume("dword:")) {
      std::string digits = line.substr(at);
      if (digits.size() != 8) Fail("eight hex digits expected");
      unsigned long value = 0;
      for (char c : digits) {
        if (HexDigit(c) < 0) Fail("bad hex digit");
        value = value * 16 + static_cast<unsigned long>(HexDigit(c));
      }
      *type = win::kRegDword;
      bytes->clear();
      for (int i = 0; i < 4; ++i) *bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    } else if (Consume("hex:")) {
      *type = win::kRegBinary;
      *bytes = HexBytes();
    } else if (Consume("hex(")) {
      size_t close = line.find("):", at);
      if (close == std::string::npos || close == at) Fail("hex(type): expected");
      unsigned long value = 0;
      for (size_t i = at; i < close; ++i) {
        if (HexDigit(line[i]) < 0) Fail("bad type");
        value = value * 16 + static_cast<unsigned long>(HexDigit(line[i]));
      }
      at = close + 2;
      *type = static_cast<win::Dword>(value);
      *bytes = HexBytes();
    } else {
      *type = win::kRegSz;
      *bytes = line.substr(at) + std::string(1, '\0');
    }
  }
};

std::string QuoteForDump(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"') {
      quoted += '\\';
      quoted += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02x", byte);
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string DumpData(const RegistryValue& value) {
  const std::string& b = value.bytes;
  if (value.type == win::kRegSz && !b.empty() && b.back() == '\0' && b.find('\0') == b.size() - 1)
    return QuoteForDump(b.substr(0, b.size() - 1));
  char prefix[24];
  std::snprintf(prefix, sizeof prefix, "hex(%lx):", static_cast<unsigned long>(value.type));
  std::string text = prefix;
  for (size_t i = 0; i < b.size(); ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, i == 0 ? "%02x" : ",%02x", static_cast<unsigned char>(b[i]));
    text += hex;
  }
  return text;
}

void DumpKey(int node, const std::string& path, std::string* out) {
  const KeyNode& key = Registry().nodes[node];
  *out += "[" + path + "]\n";
  for (const RegistryValue& value : key.values)
    *out += (value.name.empty() ? std::string("@") : QuoteForDump(value.name)) + "=" + DumpData(value) + "\n";
  for (int child : key.children) DumpKey(child, path + "\\" + Registry().nodes[child].name, out);
}

}  // namespace

void BuildRegistry(const char* literal) {
  std::string text = literal;
  int current = -1;
  int lineNumber = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    line = line.substr(first);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    LiteralParser parser{line, lineNumber};
    if (line[0] == '[') {
      size_t close = line.rfind(']');
      if (close == std::string::npos || close + 1 != line.size()) parser.Fail("key line must end in ]");
      current = MakePath(line.substr(1, close - 1));
      continue;
    }
    if (current < 0) parser.Fail("value before any key");
    std::string name;
    if (line[0] == '"') {
      name = parser.Quoted();
    } else if (line[0] == '@') {
      parser.at = 1;
    } else {
      size_t equals = line.find('=');
      if (equals == std::string::npos || equals == 0) parser.Fail("name=data expected");
      name = line.substr(0, equals);
      parser.at = equals;
    }
    if (!parser.Consume("=")) parser.Fail("'=' expected");
    win::Dword type = win::kRegSz;
    std::string bytes;
    parser.Data(&type, &bytes);
    StoreValue(current, name, type, bytes);
  }
}

void CreateRegistryKey(const std::string& path) { MakePath(path); }

void SetRegistryValue(const std::string& path, const std::string& name, win::Dword type, const std::string& bytes) {
  StoreValue(MakePath(path), name, type, bytes);
}

void SetRegistryText(const std::string& path, const std::string& name, const std::string& text) {
  SetRegistryValue(path, name, win::kRegSz, text + std::string(1, '\0'));
}

void RemoveRegistryKey(const std::string& path) {
  int node = FindPath(path);
  if (node < 0) return;
  if (Registry().nodes[node].parent < 0) Misuse("a root cannot be removed");
  Unlink(node);
  DeleteSubtree(node);
}

bool RegistryKeyExists(const std::string& path) { return FindPath(path) >= 0; }

std::vector<std::string> RegistrySubkeys(const std::string& path) {
  std::vector<std::string> names;
  int node = FindPath(path);
  if (node < 0) return names;
  for (int child : Registry().nodes[node].children) names.push_back(Registry().nodes[child].name);
  return names;
}

std::vector<RegistryValue> RegistryValues(const std::string& path) {
  int node = FindPath(path);
  if (node < 0) return {};
  return Registry().nodes[node].values;
}

std::vector<std::string> RegistryTexts(const std::string& path) {
  std::vector<std::string> texts;
  for (const RegistryValue& value : RegistryValues(path)) {
    if (value.type == win::kRegSz)
      texts.push_back(value.name + "=" + std::string(value.bytes.c_str()));
    else
      texts.push_back(value.name + "=<type " + std::to_string(value.type) + ">");
  }
  return texts;
}

std::string DumpRegistry(const std::string& path) {
  std::string out;
  if (path.empty()) {
    DumpKey(kCurrentUserNode, "HKCU", &out);
    DumpKey(kLocalMachineNode, "HKLM", &out);
    return out;
  }
  int node = FindPath(path);
  if (node >= 0) DumpKey(node, PathOf(node), &out);
  return out;
}

int OpenRegistryHandles() { return static_cast<int>(Registry().handles.size()); }

const std::vector<RegistryChange>& RegistryChanges() { return Registry().changes; }
void ClearRegistryChanges() { Registry().changes.clear(); }

void DenyRegistryKey(const std::string& path, unsigned faults) { Registry().faults[FaultKey(path)] = faults; }

void DenyRegistryValueWrite(const std::string& path, const std::string& name) {
  Registry().deniedValues.emplace_back(FaultKey(path), Upper(name));
}

}  // namespace sim
