// The product as its installer leaves it on the simulated machine, and
// readers of what is left of it: the boxes shown, the machine's state as a
// whole (to prove that nothing changed), the product's own items and the
// user's layout lists.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "platform/sim/sim.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_registry.h"

inline const char kProgramName[] = "Uninstall_Oskaldrv";
inline const char kFileCaption[] = "Tastaturtreiber-Deinstallation";
inline const char kDriverName[] = "DIN Varn AltGrLinks (V3.02 \"Lindgriff\")";
inline const char kTempDir[] = "C:\\Users\\Benutzer\\AppData\\Local\\Temp\\";
inline const char kTempCopy[] = "C:\\Users\\Benutzer\\AppData\\Local\\Temp\\Uninstall_Oskaldrv.exe";
inline const char kSystemDll[] = "C:\\WINDOWS\\system32\\Oskaldrv.DLL";
inline const char kWow64Dll[] = "C:\\WINDOWS\\SysWOW64\\Oskaldrv.DLL";
inline const char kShortcut[] = "C:\\Users\\Benutzer\\Desktop\\Tastaturbelegung Varn (V3.02) Schaubild.lnk";
inline const char kCatalogue[] = "HKLM\\System\\CurrentControlSet\\Control\\Keyboard Layouts";
inline const char kLayoutKey[] = "HKLM\\System\\CurrentControlSet\\Control\\Keyboard Layouts\\a0010407";
inline const char kPreload[] = "HKCU\\Keyboard Layout\\Preload";
inline const char kSubstitutes[] = "HKCU\\Keyboard Layout\\Substitutes";
inline const char kEntryName[] = "Tastaturbelegung DIN Varn AltGrLinks (V3.02 \"Lindgriff\")";

using Boxes = std::vector<std::string>;
using Items = std::vector<std::string>;
inline constexpr sim::WindowsKind k32 = sim::WindowsKind::kWindows32;
inline constexpr sim::WindowsKind k64 = sim::WindowsKind::kWindows64;

inline bool Is64(sim::WindowsKind kind) { return kind == k64; }

// The copy's window title and the two boxes of a completed uninstall.
inline const char kWindowTitle[] = "Uninstall_Oskaldrv V3.02 - Tastaturtreiber-Deinstallation";
inline const std::string kConfirmText =
    std::string("Soll folgender Tastatur-Treiber deinstalliert werden?\n\n") + kDriverName;
inline const std::string kDoneText = std::string("Folgender Tastatur-Treiber wurde deinstalliert:\n") + kDriverName;

// The product folder under the Program Files folder a 32-bit process sees.
inline std::string ProductFolder(sim::WindowsKind kind) {
  return Is64(kind) ? "C:\\Program Files (x86)\\Tessmar" : "C:\\Programme\\Tessmar";
}
inline std::string ProductFile(sim::WindowsKind kind, const char* name) { return ProductFolder(kind) + "\\" + name; }
inline std::string Uninstaller(sim::WindowsKind kind) { return ProductFile(kind, "Uninstall_Oskaldrv.exe"); }
inline std::string HelpDocument(sim::WindowsKind kind) {
  return ProductFile(kind, "Tastaturbelegung Varn (V3.02) Schaubild.pdf");
}
inline std::string HelpIcon(sim::WindowsKind kind) {
  return ProductFile(kind, "Tastaturbelegung Varn (V3.02) Schaubild.ico");
}

// The machine's uninstall list where it really lives: a 32-bit program on
// 64-bit Windows writes and sees it below Wow6432Node.
inline std::string UninstallList(sim::WindowsKind kind) {
  return Is64(kind) ? "HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
                    : "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
}
inline std::string UninstallEntry(sim::WindowsKind kind) { return UninstallList(kind) + "\\" + kEntryName; }

inline std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// The user has the standard German layout and the product's, reached
// through a substitution; the catalogue holds both and an English one.
inline const char kProductRegistry[] = R"~(
  [HKCU\Keyboard Layout\Preload]
  1=00000407
  2=d0010407
  [HKCU\Keyboard Layout\Substitutes]
  d0010407=a0010407
  [HKLM\System\CurrentControlSet\Control\Keyboard Layouts\00000407]
  "Layout File"="KBDGR.DLL"
  "Layout Text"="Deutsch"
  [HKLM\System\CurrentControlSet\Control\Keyboard Layouts\00000409]
  "Layout File"="KBDUS.DLL"
  [HKLM\System\CurrentControlSet\Control\Keyboard Layouts\a0010407]
  "Layout File"="Oskaldrv.DLL"
  "Layout Text"="Deutsch (DIN Varn AltGrLinks)"
  [{LIST}\Tastaturbelegung DIN Varn AltGrLinks (V3.02 "Lindgriff")]
  "DisplayName"="Tastaturbelegung DIN Varn AltGrLinks (V3.02 \"Lindgriff\")"
  "UninstallString"="\"{FOLDER}\\Uninstall_Oskaldrv.exe\" a0010407"
  [{LIST}\Tastaturbelegung DIN Varn AltGrLinks (V3.02 "Lindgriff")\Zusatz]
  "Version"="3.02"
  [{LIST}\Anderes Produkt]
  "DisplayName"="Anderes Produkt"
)~";

inline const char kProductFiles[] = R"~(
  C:\WINDOWS\system32\Oskaldrv.DLL = {SYSTEM32DLL}
  C:\WINDOWS\system32\KBDGR.DLL = MZ Deutsch
  {FOLDER}\Uninstall_Oskaldrv.exe = MZ Deinstallationsprogramm
  {FOLDER}\Tastaturbelegung Varn (V3.02) Schaubild.pdf = %PDF Schaubild
  {FOLDER}\Tastaturbelegung Varn (V3.02) Schaubild.ico = Symbol
  C:\Users\Benutzer\Desktop\Tastaturbelegung Varn (V3.02) Schaubild.lnk = Verknuepfung
  C:\Users\Benutzer\Desktop\Brief.txt = Text
)~";

// Adds the entries of an AddFiles literal except those at the given paths.
inline void AddFilesExcept(const std::string& literal, const std::vector<std::string>& without) {
  size_t start = 0;
  while (start < literal.size()) {
    size_t end = literal.find('\n', start);
    if (end == std::string::npos) end = literal.size();
    std::string line = literal.substr(start, end - start);
    start = end + 1;
    size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    std::string path = line.substr(first, line.find(" = ") - first);
    bool left = false;
    for (const std::string& omitted : without) left = left || path == omitted;
    if (!left) sim::AddFiles(line.c_str());
  }
}

// Installs the product on a fresh machine of the given kind, but for the
// files at the paths given; on 64-bit Windows the driver is in both system
// folders.
inline void InstallProduct(sim::WindowsKind kind, const std::vector<std::string>& without = {}) {
  sim::SetWindowsKind(kind);
  std::string registry = ReplaceAll(kProductRegistry, "{LIST}", UninstallList(kind));
  registry = ReplaceAll(registry, "{FOLDER}", ReplaceAll(ProductFolder(kind), "\\", "\\\\"));
  sim::BuildRegistry(registry.c_str());
  std::string files = ReplaceAll(kProductFiles, "{FOLDER}", ProductFolder(kind));
  files = ReplaceAll(files, "{SYSTEM32DLL}", Is64(kind) ? "MZ Treiber 64 Bit" : "MZ Treiber");
  if (Is64(kind)) files += "C:\\WINDOWS\\SysWOW64\\Oskaldrv.DLL = MZ Treiber 32 Bit\n";
  AddFilesExcept(files, without);
}

// The copy in the temporary folder, as the first instance leaves it.
inline void PlaceTempCopy() { sim::AddFiles("C:\\Users\\Benutzer\\AppData\\Local\\Temp\\Uninstall_Oskaldrv.exe = MZ"); }

// ------------------------------------------------------------- readers ---

// A box as "caption | type | text", the type in hexadecimal.
inline std::string DescribeBox(const std::string& caption, uint32_t type, const std::string& text) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(type));
  return caption + " | " + hex + " | " + text;
}
inline std::string WarningBox(const std::string& text) { return DescribeBox(kProgramName, 0x30, text); }
inline std::string QuestionBox(const std::string& text) { return DescribeBox(kProgramName, 0x24, text); }
inline std::string InfoBox(const std::string& text) { return DescribeBox(kProgramName, 0x40, text); }
inline std::string FileWarningBox(const std::string& text) { return DescribeBox(kFileCaption, 0x30, text); }

// The boxes shown from the given one on, described.
inline std::vector<std::string> BoxesFrom(size_t first) {
  std::vector<std::string> boxes;
  const std::vector<sim::MessageBoxRecord>& all = sim::MessageBoxes();
  for (size_t i = first; i < all.size(); ++i) boxes.push_back(DescribeBox(all[i].caption, all[i].type, all[i].text));
  return boxes;
}

// The whole machine: the registry dump and every file-system entry with its
// attributes and content.
struct MachineSnapshot {
  std::string registry;
  std::vector<std::string> files;
  bool operator==(const MachineSnapshot& other) const { return registry == other.registry && files == other.files; }
};

inline std::string DescribeEntry(const sim::FileEntry& entry) {
  char attributes[16];
  std::snprintf(attributes, sizeof attributes, " [%02lX]", static_cast<unsigned long>(entry.attributes));
  return entry.path + attributes + (entry.directory ? "" : " = " + entry.content);
}

inline MachineSnapshot TakeSnapshot() {
  MachineSnapshot state{sim::DumpRegistry(), {}};
  for (const std::string& path : sim::ListTree()) state.files.push_back(DescribeEntry(*sim::FindEntry(path)));
  return state;
}

inline void PrintTo(const MachineSnapshot& state, std::ostream* os) {
  *os << state.registry;
  for (const std::string& file : state.files) *os << file << "\n";
}

// The product's items that are still there, files and folders first, then
// the registry keys; the driver's SysWOW64 copy only on 64-bit Windows.
inline std::vector<std::string> ProductLeft(sim::WindowsKind kind) {
  std::vector<std::string> items{kSystemDll};
  if (Is64(kind)) items.push_back(kWow64Dll);
  for (const std::string& file : {Uninstaller(kind), HelpDocument(kind), HelpIcon(kind), ProductFolder(kind)})
    items.push_back(file);
  items.push_back(kShortcut);
  std::vector<std::string> left;
  for (const std::string& item : items)
    if (sim::FindEntry(item) != nullptr) left.push_back(item);
  for (const std::string& key : {std::string(kLayoutKey), UninstallEntry(kind)})
    if (sim::RegistryKeyExists(key)) left.push_back(key);
  return left;
}

// The user's two lists as "Preload: 1=... 2=... | Substitutes: ...".
inline std::string UserLists() {
  std::string text;
  for (const char* key : {kPreload, kSubstitutes}) {
    text += text.empty() ? "Preload:" : " | Substitutes:";
    if (!sim::RegistryKeyExists(key)) text += " <missing>";
    for (const std::string& value : sim::RegistryTexts(key)) text += " " + value;
  }
  return text;
}
