// The simulated registry's control API: building from literals, dumping,
// faults, the change record and the 32-bit view.  (The simulated calls
// themselves are checked against Windows by the conformance tests.)
#include <string>
#include <vector>

#include "layouts/registry_access.h"
#include "layouts_fixture.h"

namespace {

using RegistrySim = LayoutsTest;

TEST_F(RegistrySim, ADumpBuildsTheSameTreeAgain) {
  sim::BuildRegistry(R"([HKCU\Keyboard Layout\Preload]
                        1=00000407
                        "with \"quotes\" and \\"="d\x01ta"
                        @="default"
                        n=dword:00000407
                        b=hex:00,ff
                        t=hex(1):61,62
                        [HKLM\SOFTWARE\Empty])");
  sim::SetRegistryValue("HKCU\\Keyboard Layout\\Preload", "=name", win::kRegSz, std::string("\xFC\0", 2));
  std::string dump = sim::DumpRegistry();
  EXPECT_EQ(dump,
            "[HKCU]\n"
            "[HKCU\\Keyboard Layout]\n"
            "[HKCU\\Keyboard Layout\\Preload]\n"
            "\"1\"=\"00000407\"\n"
            "\"with \\\"quotes\\\" and \\\\\"=\"d\\x01ta\"\n"
            "@=\"default\"\n"
            "\"n\"=hex(4):07,04,00,00\n"
            "\"b\"=hex(3):00,ff\n"
            "\"t\"=hex(1):61,62\n"
            "\"=name\"=\"\xFC\"\n"
            "[HKLM]\n"
            "[HKLM\\SOFTWARE]\n"
            "[HKLM\\SOFTWARE\\Empty]\n");
  sim::ResetMachine();
  sim::BuildRegistry(dump.c_str());
  EXPECT_EQ(sim::DumpRegistry(), dump);
}

TEST_F(RegistrySim, NamesAreFoundWithoutRegardToCaseAndKeptAsFirstWritten) {
  sim::BuildRegistry(R"([HKCU\Keyboard Layout\Substitutes]
                        d0010407=a
                        [HKCU\KEYBOARD LAYOUT\substitutes]
                        D0010407=b
                        [HKCU\Keyboard Layout\Toggle])");
  EXPECT_EQ(sim::RegistrySubkeys("HKCU\\keyboard layout"), (std::vector<std::string>{"Substitutes", "Toggle"}));
  EXPECT_EQ(sim::RegistryTexts("HKCU\\Keyboard Layout\\Substitutes"), (std::vector<std::string>{"d0010407=b"}));
}

// Subkeys in the order of their upper-cased names; code page 1252 letters
// fold too, and sort by their Unicode value.
TEST_F(RegistrySim, SubkeysAreKeptInNameOrder) {
  for (const char* name : {"b", "A", "\xE4", "\x80", "a1", "_", "Z"})
    sim::CreateRegistryKey(std::string("HKCU\\T\\") + name);
  sim::CreateRegistryKey("HKCU\\T\\\xC4");  // the same key as 0xE4 (a-umlaut)
  EXPECT_EQ(sim::RegistrySubkeys("HKCU\\T"), (std::vector<std::string>{"A", "a1", "b", "Z", "_", "\xE4", "\x80"}));
}

TEST_F(RegistrySim, FaultsStayWithThePath) {
  sim::BuildRegistry("[HKCU\\Keyboard Layout\\Preload]");
  sim::DenyRegistryKey("hkey_current_user\\keyboard layout\\PRELOAD", sim::kDenyOpenRead);
  win::HKey parent = OpenKeyRead(win::kHKeyCurrentUser, "Keyboard Layout");
  EXPECT_EQ(OpenKeyRead(parent, "Preload"), nullptr);
  sim::RemoveRegistryKey("HKCU\\Keyboard Layout\\Preload");
  win::HKey again = CreateKey(parent, "Preload");
  ASSERT_NE(again, nullptr);  // a new key may be made there...
  win::RegCloseKey(again);
  EXPECT_EQ(OpenKeyRead(parent, "Preload"), nullptr);  // ...but still not read
  sim::DenyRegistryKey("HKCU\\Keyboard Layout\\Preload", 0);
  win::HKey read = OpenKeyRead(parent, "Preload");
  EXPECT_NE(read, nullptr);
  win::RegCloseKey(read);
  win::RegCloseKey(parent);
  EXPECT_EQ(sim::OpenRegistryHandles(), 0);
}

TEST_F(RegistrySim, ChangesAreRecordedWithTheirResults) {
  sim::BuildRegistry("[HKCU\\A\\B]");
  sim::DenyRegistryValueWrite("HKCU\\A", "locked");
  win::HKey a = OpenKeyFull(win::kHKeyCurrentUser, "A");
  SetStringValue(a, "locked", "x");
  SetStringValue(a, "open", "y");
  win::RegDeleteKeyA(a, "Missing");
  win::RegDeleteKeyA(win::kHKeyCurrentUser, "A");
  win::HKey c = CreateKey(a, "C");
  win::RegCloseKey(c);
  win::RegCloseKey(a);
  std::vector<std::string> seen;
  for (const sim::RegistryChange& change : sim::RegistryChanges())
    seen.push_back(std::to_string(change.kind) + " " + change.path + " " + change.name + " " +
                   std::to_string(change.result));
  EXPECT_EQ(seen, (std::vector<std::string>{"2 HKCU\\A locked 5", "2 HKCU\\A open 0", "1 HKCU\\A\\Missing  2",
                                            "1 HKCU\\A  5", "0 HKCU\\A\\C  0"}));
  EXPECT_EQ(sim::RegistryChanges()[1].bytes, std::string("y\0", 2));
}

TEST_F(RegistrySim, ClosingTwiceIsAnInvalidHandle) {
  sim::CreateRegistryKey("HKCU\\A");
  win::HKey a = OpenKeyRead(win::kHKeyCurrentUser, "A");
  EXPECT_EQ(sim::OpenRegistryHandles(), 1);
  EXPECT_EQ(win::RegCloseKey(a), win::kErrorSuccess);
  EXPECT_EQ(win::RegCloseKey(a), win::kErrorInvalidHandle);
  EXPECT_EQ(win::RegCloseKey(win::kHKeyCurrentUser), win::kErrorSuccess);
  EXPECT_EQ(sim::OpenRegistryHandles(), 0);
}

// The uninstall entry lives in the 32-bit view: on 64-bit Windows a 32-bit
// process reaches HKLM\SOFTWARE\Wow6432Node when it names HKLM\SOFTWARE.
TEST_F(RegistrySim, ThirtyTwoBitViewOfMachineSoftware) {
  const char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  struct {
    sim::WindowsKind kind;
    const char* realPlace;
  } cases[] = {
      {sim::WindowsKind::kWindows32, "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\P"},
      {sim::WindowsKind::kWindows64, "HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\P"}};
  for (const auto& c : cases) {
    sim::ResetMachine();
    sim::SetWindowsKind(c.kind);
    win::HKey key = CreateKey(win::kHKeyLocalMachine, (std::string(kUninstall) + "\\P").c_str());
    ASSERT_NE(key, nullptr);
    win::RegCloseKey(key);
    EXPECT_TRUE(sim::RegistryKeyExists(c.realPlace)) << c.realPlace;
    win::HKey software = OpenKeyRead(win::kHKeyLocalMachine, "SOFTWARE");
    win::HKey uninstall = OpenKeyFull(software, "Microsoft\\Windows\\CurrentVersion\\Uninstall");
    EXPECT_TRUE(DeleteKeyTree(uninstall, "P"));
    EXPECT_FALSE(sim::RegistryKeyExists(c.realPlace));
    win::RegCloseKey(uninstall);
    win::RegCloseKey(software);
  }
  // Other keys are not redirected.
  sim::ResetMachine();
  sim::SetWindowsKind(sim::WindowsKind::kWindows64);
  sim::CreateRegistryKey("HKLM\\System\\CurrentControlSet\\Control\\Keyboard Layouts\\a0010407");
  win::HKey catalogue = OpenKeyRead(win::kHKeyLocalMachine, "System\\CurrentControlSet\\Control\\Keyboard Layouts");
  EXPECT_NE(catalogue, nullptr);
  win::RegCloseKey(catalogue);
}

}  // namespace
