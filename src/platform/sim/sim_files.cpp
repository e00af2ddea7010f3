// The simulated file system, shell folders and process creation.
//
// Paths are parsed the way the Win32 layer does it: '/' counts as '\',
// repeated separators collapse, "." and ".." components are resolved and
// trailing dots and blanks of the last component are dropped.  A path of 260
// characters or more is refused by the ANSI calls.  Then, for a 32-bit
// process on 64-bit Windows with redirection on, the system folder is
// replaced by the 32-bit system folder.
#include "platform/sim/sim_files.h"

#include <cctype>
#include <cstring>
#include <map>
#include <utility>

#include "platform/sim/sim_faults.h"
#include "platform/sim/sim_state.h"

namespace sim {
namespace {

constexpr win::Dword kErrorInvalidFunction = 1;
constexpr win::Dword kErrorCallNotImplemented = 120;
constexpr win::Dword kErrorFilenameExcedRange = 206;
constexpr win::Dword kErrorDirectory = 267;
constexpr win::HResult kEFail = static_cast<win::HResult>(0x80004005u);
constexpr win::HResult kEInvalidArg = static_cast<win::HResult>(0x80070057u);
constexpr win::Dword kCreateNew = 1;
constexpr win::Dword kOpenAlways = 4;
constexpr win::Dword kSettableAttributes = 0x01 | 0x02 | 0x04 | 0x20 | 0x100 | 0x1000 | 0x2000;

constexpr uintptr_t kKernelHandleBase = 0x00001000;
constexpr uintptr_t kSearchBase = 0x00005000;
constexpr uintptr_t kItemListBase = 0x00007000;
constexpr uintptr_t kMallocAddress = 0x00009000;
constexpr uintptr_t kRedirectionToken = 0x57570000;

struct Node {
  FileEntry entry;
  std::string parentKey;  // empty for a drive's root
  std::string name;
};

enum class HandleKind { kFile, kProcess, kThread };
struct KernelHandle {
  HandleKind kind;
  std::string key;  // the file's key
  win::Dword access;
  win::Dword share;
  size_t position = 0;  // where the next ReadFile starts
};

struct Search {
  std::vector<win::Win32FindDataA> entries;
  size_t next;
};

struct ItemList {
  std::string path;
  bool freed;
};

// The machine's part: the tree and everything recorded.
struct FilesMachine {
  std::map<std::string, Node> tree;  // by upper-case key: "C:", "C:\WINDOWS", ...
  FolderSettings folders;
  std::map<uintptr_t, KernelHandle> handles;
  uintptr_t nextHandle = 4;
  std::map<uintptr_t, Search> searches;
  uintptr_t nextSearch = 4;
  std::vector<ProcessCreation> creations;
  std::function<void()> beforeCreation;
  std::function<void()> afterCopy;
  std::vector<PendingRename> renames;
  win::Dword slept = 0;
  std::vector<FolderQuery> folderQueries;
  std::vector<ItemList> itemLists;
  int allocatorReferences = 0;
  std::map<std::string, win::Dword> faults;
  // The running process's one thread.
  bool redirectionOff = false;
  std::vector<std::string> redirectionCalls;
};

FilesMachine& Files() {
  static FilesMachine files;
  return files;
}

// ------------------------------------------------------------- names ---
unsigned char UpperByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
  // Code page 1252: à..þ (without ÷) and š, œ, ž, ÿ.
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
  if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 0x10);
  if (c == 0xFF) return 0x9F;
  return c;
}

std::string Upper(const std::string& text) {
  std::string result = text;
  for (char& c : result) c = static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
  return result;
}

bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

// '*' matches any run of characters, '?' exactly one; "*.*" matches all.
bool Matches(const char* pattern, const char* name) {
  if (std::strcmp(pattern, "*.*") == 0) pattern = "*";
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name != '\0') {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?' || (*pattern != '\0' && UpperByte(static_cast<unsigned char>(*pattern)) ==
                                                           UpperByte(static_cast<unsigned char>(*name)))) {
      ++pattern;
      ++name;
    } else if (star != nullptr) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

// ------------------------------------------------------------- paths ---
struct Parsed {
  win::Dword error = 0;
  char drive = 'C';
  std::vector<std::string> parts;
  bool trailingSeparator = false;
};

Parsed ParseText(const std::string& path, bool applyLengthLimit);

void SplitInto(const std::string& text, std::vector<std::string>* parts) {
  std::string part;
  for (size_t i = 0; i <= text.size(); ++i) {
    char c = i < text.size() ? text[i] : '\\';
    if (c != '\\' && c != '/') {
      part += c;
      continue;
    }
    if (part.empty() || part == ".") {
    } else if (part == "..") {
      if (!parts->empty()) parts->pop_back();
    } else {
      parts->push_back(part);
    }
    part.clear();
  }
}

Parsed ParseText(const std::string& path, bool applyLengthLimit) {
  Parsed result;
  if (path.empty()) {
    result.error = win::kErrorPathNotFound;
    return result;
  }
  if (applyLengthLimit && path.size() >= 260) {
    result.error = kErrorFilenameExcedRange;
    return result;
  }
  std::string rest = path;
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    result.drive = static_cast<char>(UpperByte(static_cast<unsigned char>(path[0])));
    rest = path.substr(2);
  } else if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/')) {
    result.error = win::kErrorPathNotFound;  // network paths are not modelled
    return result;
  } else if (path[0] != '\\' && path[0] != '/') {
    Parsed current = ParseText(Files().folders.current, false);
    result.drive = current.drive;
    result.parts = current.parts;
  } else {
    result.drive = ParseText(Files().folders.current, false).drive;
  }
  char last = path.back();
  result.trailingSeparator = last == '\\' || last == '/';
  SplitInto(rest, &result.parts);
  // The last component loses trailing dots and blanks, unless it is a pattern.
  if (!result.parts.empty() && !HasWildcard(result.parts.back())) {
    std::string& name = result.parts.back();
    size_t end = name.find_last_not_of(". ");
    if (end == std::string::npos) {
      result.parts.pop_back();
    } else {
      name.erase(end + 1);
    }
  }
  return result;
}

bool StartsWithParts(const std::vector<std::string>& parts, const Parsed& prefix) {
  if (parts.size() < prefix.parts.size()) return false;
  for (size_t i = 0; i < prefix.parts.size(); ++i)
    if (Upper(parts[i]) != Upper(prefix.parts[i])) return false;
  return true;
}

void Redirect(Parsed* path) {
  if (Machine().kind != WindowsKind::kWindows64 || Files().redirectionOff) return;
  Parsed system = ParseText(Files().folders.system, false);
  Parsed wow64 = ParseText(Files().folders.systemWow64, false);
  if (system.error || wow64.error || system.drive != path->drive || !StartsWithParts(path->parts, system)) return;
  std::vector<std::string> parts = wow64.parts;
  parts.insert(parts.end(), path->parts.begin() + static_cast<long>(system.parts.size()), path->parts.end());
  path->drive = wow64.drive;
  path->parts = parts;
}

std::string KeyOf(char drive, const std::vector<std::string>& parts, size_t count) {
  std::string key(1, drive);
  key += ':';
  for (size_t i = 0; i < count; ++i) key += "\\" + Upper(parts[i]);
  return key;
}

std::string DisplayOf(char drive, const std::vector<std::string>& parts) {
  std::string path(1, drive);
  path += ":\\";
  for (size_t i = 0; i < parts.size(); ++i) path += (i ? "\\" : "") + parts[i];
  return path;
}

// A path the program hands over, after parsing and redirection.
struct Target {
  win::Dword error = 0;
  Parsed parsed;
  std::string key;
  std::string parentKey;
  Node* node = nullptr;    // the entry, when there is one
  Node* parent = nullptr;  // the parent directory, when there is one
};

Node* NodeAt(const std::string& key) {
  auto found = Files().tree.find(key);
  return found == Files().tree.end() ? nullptr : &found->second;
}

Target Resolve(const char* path) {
  Target target;
  target.parsed = ParseText(path ? path : "", true);
  if (target.parsed.error) {
    target.error = target.parsed.error;
    return target;
  }
  Redirect(&target.parsed);
  const Parsed& p = target.parsed;
  target.key = KeyOf(p.drive, p.parts, p.parts.size());
  target.node = NodeAt(target.key);
  if (!p.parts.empty()) {
    target.parentKey = KeyOf(p.drive, p.parts, p.parts.size() - 1);
    target.parent = NodeAt(target.parentKey);
    if (target.parent != nullptr && !target.parent->entry.directory) target.parent = nullptr;
  }
  return target;
}

// The error for a missing entry: its name or a directory on the way.
win::Dword MissingError(const Target& target) {
  return target.parent == nullptr ? win::kErrorPathNotFound : win::kErrorFileNotFound;
}

Node& MakeNode(char drive, const std::vector<std::string>& parts, bool directory, win::Dword attributes) {
  std::string key = KeyOf(drive, parts, parts.size());
  Node* existing = NodeAt(key);
  if (existing != nullptr) return *existing;
  if (!parts.empty()) {
    std::vector<std::string> up(parts.begin(), parts.end() - 1);
    MakeNode(drive, up, true, win::kFileAttributeDirectory);
  }
  Node node;
  node.entry.path = DisplayOf(drive, parts);
  node.entry.directory = directory;
  node.entry.attributes = attributes;
  node.name = parts.empty() ? "" : parts.back();
  node.parentKey = parts.empty() ? "" : KeyOf(drive, parts, parts.size() - 1);
  return Files().tree.emplace(key, node).first->second;
}

bool HasChildren(const std::string& key) {
  for (const auto& item : Files().tree)
    if (item.second.parentKey == key) return true;
  return false;
}

void Fail(win::Dword error) { win::SetLastError(error); }

bool TakeFault(const char* call, win::Dword* error) {
  auto found = Files().faults.find(call);
  if (found == Files().faults.end()) return false;
  *error = found->second;
  Files().faults.erase(found);
  return true;
}

// Makes a change unless an injected fault or the check refuses it; the
// refusal becomes the last error.
template <typename Check, typename Change>
win::Bool Attempt(const char* call, Check check, Change change) {
  win::Dword error = 0;
  if (!TakeFault(call, &error)) error = check();
  if (error) {
    Fail(error);
    return 0;
  }
  change();
  return 1;
}

// Windows' sharing rule: each open handle must allow what the new one asks
// for, and the new one must allow what each open handle has.
bool SharingConflict(const std::string& key, win::Dword access, win::Dword share) {
  auto wants = [](win::Dword a) {
    win::Dword kinds = 0;
    if (a & (win::kGenericRead | 0x1)) kinds |= win::kFileShareRead;
    if (a & (win::kGenericWrite | 0x2 | 0x4)) kinds |= win::kFileShareWrite;
    if (a & win::kDeleteAccess) kinds |= win::kFileShareDelete;
    return kinds;
  };
  for (const auto& item : Files().handles) {
    const KernelHandle& h = item.second;
    if (h.kind != HandleKind::kFile || h.key != key) continue;
    if ((wants(access) & ~h.share) != 0 || (wants(h.access) & ~share) != 0) return true;
  }
  return false;
}

win::Handle NewKernelHandle(const KernelHandle& handle) {
  uintptr_t value = kKernelHandleBase + Files().nextHandle;
  Files().nextHandle += 4;
  Files().handles[value] = handle;
  return reinterpret_cast<win::Handle>(value);
}

win::Win32FindDataA FindDataOf(const std::string& name, const FileEntry& entry) {
  win::Win32FindDataA data{};
  data.dwFileAttributes = entry.attributes == 0 ? win::kFileAttributeNormal : entry.attributes;
  data.nFileSizeLow = static_cast<win::Dword>(entry.content.size());
  std::strncpy(data.cFileName, name.c_str(), sizeof data.cFileName - 1);
  return data;
}

void FillDefaultTree() {
  const FolderSettings& f = Files().folders;
  for (const std::string* folder :
       {&f.windows, &f.system, &f.systemWow64, &f.temp, &f.programFiles, &f.programFilesX86, &f.desktop, &f.current}) {
    Parsed p = ParseText(*folder, true);
    if (!folder->empty() && !p.error) MakeNode(p.drive, p.parts, true, win::kFileAttributeDirectory);
  }
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

win::Dword ParseAttributes(const std::string& letters) {
  win::Dword attributes = 0;
  for (char c : letters) {
    switch (c) {
      case 'R':
        attributes |= win::kFileAttributeReadonly;
        break;
      case 'H':
        attributes |= win::kFileAttributeHidden;
        break;
      case 'S':
        attributes |= win::kFileAttributeSystem;
        break;
      case 'A':
        attributes |= win::kFileAttributeArchive;
        break;
      default:
        NotModelled("this attribute letter in AddFiles");
    }
  }
  return attributes;
}

}  // namespace

// ------------------------------------------------------------ control ---
void ResetFiles() {
  Files() = FilesMachine{};
  FillDefaultTree();
}

void StartFilesProcess() {
  Files().redirectionOff = false;
  Files().redirectionCalls.clear();
}

void AddFiles(const char* tree) {
  std::string text = tree;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    std::string content;
    size_t equals = line.find(" = ");
    if (equals != std::string::npos) {
      content = line.substr(equals + 3);
      line = Trim(line.substr(0, equals));
    }
    bool hasAttributes = false;
    win::Dword attributes = win::kFileAttributeArchive;
    if (!line.empty() && line.back() == ']') {
      size_t open = line.rfind(" [");
      if (open == std::string::npos) NotModelled("an attribute list without a blank before it in AddFiles");
      attributes = ParseAttributes(line.substr(open + 2, line.size() - open - 3));
      hasAttributes = true;
      line = Trim(line.substr(0, open));
    }
    Parsed p = ParseText(line, false);
    if (p.error) NotModelled("this path in AddFiles");
    if (p.trailingSeparator) {
      Node& node = MakeNode(p.drive, p.parts, true, win::kFileAttributeDirectory);
      if (hasAttributes) node.entry.attributes = win::kFileAttributeDirectory | attributes;
    } else {
      Node& node = MakeNode(p.drive, p.parts, false, attributes);
      node.entry.attributes = attributes;
      node.entry.content = content;
    }
  }
}

const FileEntry* FindEntry(const std::string& path) {
  Parsed p = ParseText(path, false);
  if (p.error) return nullptr;
  Node* node = NodeAt(KeyOf(p.drive, p.parts, p.parts.size()));
  return node == nullptr ? nullptr : &node->entry;
}

std::vector<std::string> ListTree() {
  std::vector<std::string> paths;
  for (const auto& item : Files().tree) paths.push_back(item.second.entry.path);
  return paths;
}

FolderSettings& Folders() { return Files().folders; }
bool FsRedirectionOff() { return Files().redirectionOff; }
const std::vector<std::string>& RedirectionCalls() { return Files().redirectionCalls; }
int OpenKernelHandles() { return static_cast<int>(Files().handles.size()); }
int OpenSearches() { return static_cast<int>(Files().searches.size()); }
const std::vector<ProcessCreation>& CreatedProcesses() { return Files().creations; }
const std::vector<PendingRename>& PendingRenames() { return Files().renames; }
win::Dword SleptMilliseconds() { return Files().slept; }
const std::vector<FolderQuery>& FolderQueries() { return Files().folderQueries; }
int AllocatorReferences() { return Files().allocatorReferences; }
void FailNextFileCall(const std::string& call, win::Dword error) { Files().faults[call] = error; }

void BeforeNextProcessCreation(std::function<void()> action) { Files().beforeCreation = std::move(action); }
void AfterNextCopy(std::function<void()> action) { Files().afterCopy = std::move(action); }

int LiveItemIdLists() {
  int live = 0;
  for (const ItemList& list : Files().itemLists) live += list.freed ? 0 : 1;
  return live;
}

// The old value is a token that says whether redirection was off before.
win::Bool WINAPI_CALL SimWow64DisableWow64FsRedirection(void** oldValue) {
  Files().redirectionCalls.push_back("Disable");
  if (Machine().kind != WindowsKind::kWindows64) {
    Fail(kErrorInvalidFunction);
    return 0;
  }
  *oldValue = reinterpret_cast<void*>(kRedirectionToken | (Files().redirectionOff ? 1 : 0));
  Files().redirectionOff = true;
  return 1;
}

win::Bool WINAPI_CALL SimWow64RevertWow64FsRedirection(void* oldValue) {
  Files().redirectionCalls.push_back("Revert");
  uintptr_t token = reinterpret_cast<uintptr_t>(oldValue);
  if (Machine().kind != WindowsKind::kWindows64) {
    Fail(kErrorInvalidFunction);
    return 0;
  }
  if ((token & ~uintptr_t{1}) != kRedirectionToken) {
    Fail(win::kErrorInvalidParameter);
    return 0;
  }
  Files().redirectionOff = (token & 1) != 0;
  return 1;
}

}  // namespace sim

namespace win {

// ----------------------------------------------------------- processes ---
Bool CreateProcessA(const char* applicationName, char* commandLine, SecurityAttributes* processAttributes,
                    SecurityAttributes* threadAttributes, Bool inheritHandles, Dword creationFlags, void* environment,
                    const char* currentDirectory, StartupInfoA* startupInfo, ProcessInformation* processInformation) {
  SIM_FAULT_POINT("CreateProcessA", 0);
  if (applicationName == nullptr) sim::NotModelled("CreateProcessA without an application name");
  if (startupInfo == nullptr || processInformation == nullptr) sim::NotModelled("CreateProcessA without its records");
  sim::ProcessCreation record{applicationName,
                              commandLine ? commandLine : "",
                              processAttributes != nullptr,
                              threadAttributes != nullptr,
                              inheritHandles != 0,
                              creationFlags,
                              environment != nullptr,
                              currentDirectory ? currentDirectory : "",
                              *startupInfo,
                              false,
                              0};
  if (sim::Files().beforeCreation) {
    std::function<void()> action = std::move(sim::Files().beforeCreation);
    sim::Files().beforeCreation = nullptr;
    action();
  }
  Dword error = 0;
  if (!sim::TakeFault("CreateProcessA", &error)) {
    sim::Target target = sim::Resolve(applicationName);
    if (target.error) {
      error = target.error;
    } else if (target.node == nullptr) {
      error = sim::MissingError(target);
    } else if (target.node->entry.directory) {
      error = kErrorAccessDenied;
    } else if (target.node->entry.content.compare(0, 2, "MZ") != 0) {
      error = kErrorBadExeFormat;
    }
  }
  if (error != 0) {
    record.error = error;
    sim::Files().creations.push_back(record);
    SetLastError(error);
    return 0;
  }
  record.started = true;
  sim::Files().creations.push_back(record);
  Dword id = static_cast<Dword>(0x100 + 8 * sim::Files().creations.size());
  processInformation->hProcess = sim::NewKernelHandle({sim::HandleKind::kProcess, "", 0, 0});
  processInformation->hThread = sim::NewKernelHandle({sim::HandleKind::kThread, "", 0, 0});
  processInformation->dwProcessId = id;
  processInformation->dwThreadId = id + 4;
  return 1;
}

Bool CloseHandle(Handle object) {
  auto found = sim::Files().handles.find(reinterpret_cast<uintptr_t>(object));
  if (found == sim::Files().handles.end()) {
    SetLastError(kErrorInvalidHandle);
    return 0;
  }
  sim::Files().handles.erase(found);
  return 1;
}

void Sleep(Dword milliseconds) { sim::Files().slept += milliseconds; }

// --------------------------------------------------------------- files ---
Handle FindFirstFileA(const char* fileName, Win32FindDataA* findData) {
  SIM_FAULT_POINT("FindFirstFileA", kInvalidHandleValue);
  Dword error = 0;
  if (sim::TakeFault("FindFirstFileA", &error)) {
    SetLastError(error);
    return kInvalidHandleValue;
  }
  sim::Target target = sim::Resolve(fileName);
  if (target.error) {
    SetLastError(target.error);
    return kInvalidHandleValue;
  }
  // A path ending in a separator, or the root itself, names no entry.
  if (target.parsed.trailingSeparator || target.parsed.parts.empty()) {
    SetLastError(kErrorFileNotFound);
    return kInvalidHandleValue;
  }
  if (target.parent == nullptr) {
    SetLastError(kErrorPathNotFound);
    return kInvalidHandleValue;
  }
  const std::string& mask = target.parsed.parts.back();
  sim::Search search{{}, 0};
  if (!sim::HasWildcard(mask)) {
    if (target.node != nullptr) search.entries.push_back(sim::FindDataOf(target.node->name, target.node->entry));
  } else {
    // A directory other than a root lists itself and its parent first.
    if (!target.parent->parentKey.empty()) {
      sim::FileEntry dot{"", true, kFileAttributeDirectory, ""};
      for (const char* name : {".", ".."})
        if (sim::Matches(mask.c_str(), name)) search.entries.push_back(sim::FindDataOf(name, dot));
    }
    for (const auto& item : sim::Files().tree) {
      const sim::Node& node = item.second;
      if (node.parentKey == target.parentKey && sim::Matches(mask.c_str(), node.name.c_str()))
        search.entries.push_back(sim::FindDataOf(node.name, node.entry));
    }
  }
  if (search.entries.empty()) {
    SetLastError(kErrorFileNotFound);
    return kInvalidHandleValue;
  }
  *findData = search.entries[0];
  search.next = 1;
  uintptr_t value = sim::kSearchBase + sim::Files().nextSearch;
  sim::Files().nextSearch += 4;
  sim::Files().searches[value] = search;
  return reinterpret_cast<Handle>(value);
}

Bool FindNextFileA(Handle findFile, Win32FindDataA* findData) {
  SIM_FAULT_POINT("FindNextFileA", 0);
  auto found = sim::Files().searches.find(reinterpret_cast<uintptr_t>(findFile));
  if (found == sim::Files().searches.end()) {
    SetLastError(kErrorInvalidHandle);
    return 0;
  }
  sim::Search& search = found->second;
  if (search.next >= search.entries.size()) {
    SetLastError(kErrorNoMoreFiles);
    return 0;
  }
  *findData = search.entries[search.next++];
  return 1;
}

Bool FindClose(Handle findFile) {
  if (sim::Files().searches.erase(reinterpret_cast<uintptr_t>(findFile)) == 0) {
    SetLastError(kErrorInvalidHandle);
    return 0;
  }
  return 1;
}

// The copy takes the source's content and attributes over.
Bool CopyFileA(const char* existingFileName, const char* newFileName, Bool failIfExists) {
  SIM_FAULT_POINT("CopyFileA", 0);
  sim::Target source = sim::Resolve(existingFileName);
  sim::Target target = sim::Resolve(newFileName);
  auto check = [&]() -> Dword {
    if (source.error) return source.error;
    if (source.node == nullptr) return sim::MissingError(source);
    if (source.node->entry.directory) return kErrorAccessDenied;
    if (sim::SharingConflict(source.key, kGenericRead, kFileShareRead | kFileShareDelete))
      return kErrorSharingViolation;
    if (target.error) return target.error;
    if (target.parsed.trailingSeparator || target.parsed.parts.empty() || target.parent == nullptr)
      return kErrorPathNotFound;
    if (target.key == source.key) return kErrorSharingViolation;
    if (target.node != nullptr) {
      if (failIfExists) return kErrorFileExists;
      if (target.node->entry.directory || (target.node->entry.attributes & kFileAttributeReadonly))
        return kErrorAccessDenied;
    }
    if (sim::SharingConflict(target.key, kGenericWrite, kFileShareRead | kFileShareWrite))
      return kErrorSharingViolation;
    return 0;
  };
  auto copy = [&] {
    sim::FileEntry copied = source.node->entry;
    sim::Node& made = sim::MakeNode(target.parsed.drive, target.parsed.parts, false, copied.attributes);
    made.entry.attributes = copied.attributes;
    made.entry.content = copied.content;
  };
  Bool copied = sim::Attempt("CopyFileA", check, copy);
  if (copied && sim::Files().afterCopy) {
    std::function<void()> action = std::move(sim::Files().afterCopy);
    sim::Files().afterCopy = nullptr;
    Dword error = GetLastError();
    action();
    SetLastError(error);
  }
  return copied;
}

Bool SetFileAttributesA(const char* fileName, Dword fileAttributes) {
  SIM_FAULT_POINT("SetFileAttributesA", 0);
  sim::Target target = sim::Resolve(fileName);
  if (target.error || target.node == nullptr) {
    SetLastError(target.error ? target.error : sim::MissingError(target));
    return 0;
  }
  Dword kept = target.node->entry.attributes & kFileAttributeDirectory;
  target.node->entry.attributes = kept | (fileAttributes & sim::kSettableAttributes);
  return 1;
}

Bool DeleteFileA(const char* fileName) {
  SIM_FAULT_POINT("DeleteFileA", 0);
  sim::Target target = sim::Resolve(fileName);
  auto check = [&]() -> Dword {
    if (target.error) return target.error;
    if (target.node == nullptr) return sim::MissingError(target);
    if (target.node->entry.directory) return kErrorAccessDenied;
    if (sim::SharingConflict(target.key, kDeleteAccess, kFileShareRead | kFileShareWrite | kFileShareDelete))
      return kErrorSharingViolation;
    if (target.node->entry.attributes & kFileAttributeReadonly) return kErrorAccessDenied;
    return 0;
  };
  return sim::Attempt("DeleteFileA", check, [&] { sim::Files().tree.erase(target.key); });
}

Bool RemoveDirectoryA(const char* pathName) {
  SIM_FAULT_POINT("RemoveDirectoryA", 0);
  sim::Target target = sim::Resolve(pathName);
  auto check = [&]() -> Dword {
    if (target.error) return target.error;
    if (target.node == nullptr) return sim::MissingError(target);
    if (!target.node->entry.directory) return sim::kErrorDirectory;
    if (target.parsed.parts.empty()) return kErrorAccessDenied;
    if (sim::HasChildren(target.key)) return kErrorDirNotEmpty;
    if (target.node->entry.attributes & kFileAttributeReadonly) return kErrorAccessDenied;
    return 0;
  };
  return sim::Attempt("RemoveDirectoryA", check, [&] { sim::Files().tree.erase(target.key); });
}

// Only the scheduling for the next restart is modelled; it is recorded with
// the names as given, whether the file exists or not.
Bool MoveFileExA(const char* existingFileName, const char* newFileName, Dword flags) {
  SIM_FAULT_POINT("MoveFileExA", 0);
  if (!(flags & kMoveFileDelayUntilReboot)) sim::NotModelled("MoveFileExA without MOVEFILE_DELAY_UNTIL_REBOOT");
  sim::Target source = sim::Resolve(existingFileName);
  if (source.error) {
    SetLastError(source.error);
    return 0;
  }
  sim::Files().renames.push_back({existingFileName, newFileName == nullptr, newFileName ? newFileName : "", flags});
  return 1;
}

Bool ReadFile(Handle file, void* buffer, Dword bytesToRead, Dword* bytesRead, void* overlapped) {
  SIM_FAULT_POINT("ReadFile", 0);
  if (overlapped != nullptr) sim::NotModelled("ReadFile with an OVERLAPPED record");
  if (bytesRead != nullptr) *bytesRead = 0;
  auto found = sim::Files().handles.find(reinterpret_cast<uintptr_t>(file));
  if (found == sim::Files().handles.end() || found->second.kind != sim::HandleKind::kFile) {
    SetLastError(kErrorInvalidHandle);
    return 0;
  }
  sim::KernelHandle& handle = found->second;
  const sim::Node* node = sim::NodeAt(handle.key);
  if (!(handle.access & kGenericRead) || node == nullptr) {
    SetLastError(kErrorAccessDenied);
    return 0;
  }
  const std::string& content = node->entry.content;
  size_t count = handle.position < content.size() ? content.size() - handle.position : 0;
  if (count > bytesToRead) count = bytesToRead;
  if (count > 0) std::memcpy(buffer, content.data() + handle.position, count);
  handle.position += count;
  if (bytesRead != nullptr) *bytesRead = static_cast<Dword>(count);
  return 1;
}

Handle CreateFileA(const char* fileName, Dword desiredAccess, Dword shareMode, SecurityAttributes*,
                   Dword creationDisposition, Dword flagsAndAttributes, Handle templateFile) {
  SIM_FAULT_POINT("CreateFileA", kInvalidHandleValue);
  if (templateFile != nullptr) sim::NotModelled("CreateFileA with a template file");
  sim::Target target = sim::Resolve(fileName);
  Dword error = target.error;
  if (sim::TakeFault("CreateFileA", &error)) {
    SetLastError(error);
    return kInvalidHandleValue;
  }
  bool creates = creationDisposition == kCreateAlways || creationDisposition == sim::kCreateNew ||
                 creationDisposition == sim::kOpenAlways;
  if (!error && creationDisposition != kOpenExisting && !creates) sim::NotModelled("this CreateFileA disposition");
  if (error) {
  } else if (target.parsed.trailingSeparator || target.parsed.parts.empty()) {
    error = kErrorPathNotFound;
  } else if (target.node == nullptr) {
    if (!creates)
      error = sim::MissingError(target);
    else if (target.parent == nullptr)
      error = kErrorPathNotFound;
  } else if (target.node->entry.directory) {
    error = kErrorAccessDenied;
  } else if (creationDisposition == sim::kCreateNew) {
    error = kErrorFileExists;
  } else if (sim::SharingConflict(target.key, desiredAccess, shareMode)) {
    error = kErrorSharingViolation;
  } else if ((target.node->entry.attributes & kFileAttributeReadonly) &&
             ((desiredAccess & (kGenericWrite | kDeleteAccess)) || creationDisposition == kCreateAlways)) {
    error = kErrorAccessDenied;
  }
  if (error) {
    SetLastError(error);
    return kInvalidHandleValue;
  }
  bool existed = target.node != nullptr;
  if (!existed || creationDisposition == kCreateAlways) {
    Dword attributes = (flagsAndAttributes & sim::kSettableAttributes) | kFileAttributeArchive;
    sim::Node& node = sim::MakeNode(target.parsed.drive, target.parsed.parts, false, attributes);
    node.entry.attributes = attributes;
    node.entry.content.clear();
  }
  SetLastError(existed && creationDisposition != kOpenExisting ? Dword{kErrorAlreadyExists} : Dword{0});
  return sim::NewKernelHandle({sim::HandleKind::kFile, target.key, desiredAccess, shareMode});
}

// --------------------------------------------------------------- folders ---
namespace {

// The Windows rule for the folder queries: the length without terminator,
// or, when the buffer is too small, the size needed and nothing written.
uint32_t AnswerFolder(const std::string& folder, char* buffer, uint32_t size, Dword errorWhenEmpty) {
  if (folder.empty()) {
    SetLastError(errorWhenEmpty);
    return 0;
  }
  if (folder.size() + 1 > size) return static_cast<uint32_t>(folder.size() + 1);
  std::memcpy(buffer, folder.c_str(), folder.size() + 1);
  return static_cast<uint32_t>(folder.size());
}

}  // namespace

uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) {
  SIM_FAULT_POINT("GetSystemDirectoryA", 0u);
  return AnswerFolder(sim::Folders().system, buffer, size, kErrorPathNotFound);
}
uint32_t GetSystemWow64DirectoryA(char* buffer, uint32_t size) {
  SIM_FAULT_POINT("GetSystemWow64DirectoryA", 0u);
  if (sim::Machine().kind != sim::WindowsKind::kWindows64) {
    SetLastError(sim::kErrorCallNotImplemented);
    return 0;
  }
  return AnswerFolder(sim::Folders().systemWow64, buffer, size, kErrorPathNotFound);
}
uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) {
  SIM_FAULT_POINT("GetWindowsDirectoryA", 0u);
  return AnswerFolder(sim::Folders().windows, buffer, size, kErrorPathNotFound);
}
Dword GetTempPathA(Dword bufferLength, char* buffer) {
  SIM_FAULT_POINT("GetTempPathA", 0u);
  return AnswerFolder(sim::Folders().temp, buffer, bufferLength, kErrorPathNotFound);
}

// ----------------------------------------------------------------- shell ---
HResult SHGetMalloc(Malloc** allocator) {
  SIM_FAULT_POINT("SHGetMalloc", static_cast<HResult>(simFaultError));
  Dword error = 0;
  if (sim::TakeFault("SHGetMalloc", &error)) {
    *allocator = nullptr;
    return static_cast<HResult>(error);
  }
  ++sim::Files().allocatorReferences;
  *allocator = reinterpret_cast<Malloc*>(sim::kMallocAddress);
  return 0;
}

// The folders a 32-bit process gets: Program Files as WOW64 shows it on
// 64-bit Windows, and the user's desktop.
HResult SHGetSpecialFolderLocation(HWnd owner, int folder, ItemIdList** list) {
  SIM_FAULT_POINT("SHGetSpecialFolderLocation", static_cast<HResult>(simFaultError));
  sim::Files().folderQueries.push_back({owner, folder});
  *list = nullptr;
  const sim::FolderSettings& f = sim::Folders();
  std::string path;
  if (folder == kCsidlProgramFiles) {
    path = sim::Machine().kind == sim::WindowsKind::kWindows64 ? f.programFilesX86 : f.programFiles;
  } else if (folder == kCsidlDesktopDirectory) {
    path = f.desktop;
  } else {
    return sim::kEInvalidArg;
  }
  if (path.empty()) return sim::kEFail;
  sim::Files().itemLists.push_back({path, false});
  *list = reinterpret_cast<ItemIdList*>(sim::kItemListBase + sim::Files().itemLists.size());
  return 0;
}

namespace {

sim::ItemList* FindItemList(const ItemIdList* list) {
  uintptr_t index = reinterpret_cast<uintptr_t>(list) - sim::kItemListBase;
  if (index == 0 || index > sim::Files().itemLists.size()) return nullptr;
  sim::ItemList* found = &sim::Files().itemLists[index - 1];
  return found->freed ? nullptr : found;
}

}  // namespace

// A path that does not fit MAX_PATH cannot be handed out.
Bool SHGetPathFromIDListA(const ItemIdList* list, char* path) {
  SIM_FAULT_POINT("SHGetPathFromIDListA", 0);
  sim::ItemList* found = FindItemList(list);
  if (found == nullptr) sim::NotModelled("SHGetPathFromIDListA of a list the shell did not hand out");
  if (found->path.size() >= 260) {
    path[0] = '\0';
    return 0;
  }
  std::memcpy(path, found->path.c_str(), found->path.size() + 1);
  return 1;
}

void IMalloc_Free(Malloc* allocator, void* block) {
  if (reinterpret_cast<uintptr_t>(allocator) != sim::kMallocAddress)
    sim::NotModelled("IMalloc_Free of another allocator");
  sim::ItemList* found = FindItemList(static_cast<const ItemIdList*>(block));
  if (found == nullptr) sim::NotModelled("IMalloc_Free of a block the shell did not hand out");
  found->freed = true;
}

uint32_t IMalloc_Release(Malloc* allocator) {
  if (reinterpret_cast<uintptr_t>(allocator) != sim::kMallocAddress || sim::Files().allocatorReferences == 0)
    sim::NotModelled("IMalloc_Release of an allocator not held");
  return static_cast<uint32_t>(--sim::Files().allocatorReferences);
}

}  // namespace win
