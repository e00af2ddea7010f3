#include "shell/entry_point.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_next_process.h"
#include "shell/app_palette.h"
#include "test_process.h"

namespace {

// Runs the program as a process started with the given command line.
int RunProgram(const std::u16string& arguments) {
  StartSimProcess("C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe",
                  u"\"C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe\"" + arguments);
  return ProgramEntry(sim::ProcessInstance(), nullptr, nullptr, win::kSwShowNormal);
}

TEST_F(SimTest, StartUpLoadsBothCursorsAndMeasuresTheDisplay) {
  sim::SetDisplay(1366, 768, 32);
  EXPECT_EQ(RunProgram(u""), 0);
  EXPECT_EQ(sim::LoadedCursorIds(), (std::vector<int>{32650, 32514}));
  EXPECT_EQ(Shell.ActiveCursor, sim::SystemCursor(32650));
  EXPECT_EQ(Shell.WaitCursor, sim::SystemCursor(32514));
  EXPECT_EQ(Shell.ScreenWidth, 1366);
  EXPECT_EQ(Shell.ScreenHeight, 768);
  ASSERT_EQ(sim::DeviceContexts().size(), 1u);
  EXPECT_EQ(sim::DeviceContexts()[0].driver, "DISPLAY");
  EXPECT_EQ(sim::DeviceContexts()[0].mapMode, win::kMmText);
  EXPECT_TRUE(sim::DeviceContexts()[0].deleted) << "ShutdownShell deletes the display context";
  EXPECT_EQ(Shell.DisplayDC, nullptr);
}

struct DepthCase {
  int bitsPerPixel;
  int planes;
  bool palette;
};

TEST_F(SimTest, OnlyDisplaysOfEightBitsOrFewerGetThePalette) {
  const DepthCase cases[] = {{32, 1, false}, {24, 1, false}, {16, 1, false}, {8, 1, true},
                             {4, 1, true},   {1, 4, true},   {4, 4, false}};
  for (const DepthCase& c : cases) {
    sim::ResetMachine();
    sim::SetDisplay(800, 600, c.bitsPerPixel, c.planes);
    RunProgram(u"");
    EXPECT_EQ(Shell.UsePalette, c.palette) << c.bitsPerPixel << "x" << c.planes;
    EXPECT_EQ(sim::Palettes().size(), c.palette ? 1u : 0u) << c.bitsPerPixel << "x" << c.planes;
    EXPECT_EQ(sim::PaletteSelections().empty(), !c.palette) << c.bitsPerPixel << "x" << c.planes;
  }
}

// On a palette display the program's palette goes into the display context
// as a background palette and is realised; at shutdown the previous palette
// goes back before the program's palette is deleted.
TEST_F(SimTest, ShutdownSelectsThePreviousPaletteBackBeforeDeletingItsOwn) {
  sim::SetDisplay(640, 480, 8);
  RunProgram(u"");
  ASSERT_EQ(sim::Palettes().size(), 1u);
  const sim::PaletteRecord& palette = sim::Palettes()[0];
  const auto& selections = sim::PaletteSelections();
  ASSERT_EQ(selections.size(), 2u);
  EXPECT_EQ(selections[0].palette, palette.handle);
  EXPECT_TRUE(selections[0].forceBackground);
  EXPECT_EQ(selections[1].palette, sim::DefaultPalette());
  EXPECT_TRUE(selections[1].forceBackground);
  EXPECT_TRUE(palette.deleted);
  EXPECT_EQ(sim::DeviceContexts()[0].realizeCount, 2);
  EXPECT_TRUE(sim::DeviceContexts()[0].deleted);
  EXPECT_EQ(Shell.AppPalette, nullptr);
  EXPECT_EQ(Shell.PreviousPalette, nullptr);
}

TEST_F(SimTest, ShutdownShellActsOnlyOnce) {
  sim::SetDisplay(640, 480, 8);
  RunProgram(u"");
  size_t selections = sim::PaletteSelections().size();
  ShutdownShell();
  ShutdownShell();
  EXPECT_EQ(sim::PaletteSelections().size(), selections);
}

TEST_F(SimTest, ThePaletteHoldsTheCubeAndTheFixedColours) {
  const win::LogPalette256& table = AppPaletteTable;
  EXPECT_EQ(table.palVersion, 0x300);
  EXPECT_EQ(table.palNumEntries, 256);
  const uint8_t first[10][3] = {{0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
                                {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
                                {0xC0, 0xDC, 0xC0}, {0xD4, 0xD0, 0xC8}};
  const uint8_t last[10][3] = {{0xFF, 0xFB, 0xF0}, {0x1D, 0x36, 0x52}, {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00},
                               {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00}, {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF},
                               {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF}};
  for (int i = 0; i < 10; ++i) {
    const win::PaletteEntry& a = table.palPalEntry[i];
    const win::PaletteEntry& b = table.palPalEntry[246 + i];
    EXPECT_EQ((std::vector<int>{a.peRed, a.peGreen, a.peBlue}),
              (std::vector<int>{first[i][0], first[i][1], first[i][2]}))
        << i;
    EXPECT_EQ((std::vector<int>{b.peRed, b.peGreen, b.peBlue}), (std::vector<int>{last[i][0], last[i][1], last[i][2]}))
        << 246 + i;
  }
  // Every colour of the 6x6x6 cube is there exactly once; every flag is 0.
  int cube[216] = {};
  for (const win::PaletteEntry& e : table.palPalEntry) {
    EXPECT_EQ(e.peFlags, 0);
    if (e.peRed % 0x33 == 0 && e.peGreen % 0x33 == 0 && e.peBlue % 0x33 == 0)
      ++cube[(e.peRed / 0x33) * 36 + (e.peGreen / 0x33) * 6 + e.peBlue / 0x33];
  }
  for (int i = 0; i < 216; ++i) EXPECT_EQ(cube[i], 1) << "cube colour " << i;
}

struct Wow64Case {
  sim::WindowsKind kind;
  bool wow64;
};

TEST_F(SimTest, DetectWow64FollowsTheWindowsKind) {
  const Wow64Case cases[] = {{sim::WindowsKind::kWindows32, false},
                             {sim::WindowsKind::kWindows64, true},
                             {sim::WindowsKind::kWindowsNoWow64Api, false},
                             {sim::WindowsKind::kWindowsXp, false}};
  for (const Wow64Case& c : cases) {
    sim::ResetMachine();
    sim::SetWindowsKind(c.kind);
    RunProgram(u" d0010407");
    EXPECT_EQ(Shell.IsWow64, c.wow64) << static_cast<int>(c.kind);
  }
}

struct DllSearchCase {
  sim::WindowsKind kind;
  const char* call;    // the call that restricts the search
  const char* search;  // where the search ends up
};

// A DLL planted beside the program (the copy runs from the temporary
// folder, usually elevated) must never be loaded: before anything else the
// program keeps the DLL search to the system folder, or, where kernel32 has
// no SetDefaultDllDirectories, takes the current folder out of it.  Both
// instances do it, whatever the argument.
TEST_F(SimTest, TheDllSearchIsRestrictedBeforeAnythingElse) {
  const DllSearchCase cases[] = {
      {sim::WindowsKind::kWindows32, "SetDefaultDllDirectories 0x800", "system32"},
      {sim::WindowsKind::kWindows64, "SetDefaultDllDirectories 0x800", "system32"},
      {sim::WindowsKind::kWindowsXp, "SetDllDirectoryA \"\"", "no current folder"},
      {sim::WindowsKind::kWindowsNoWow64Api, "SetDllDirectoryA \"\"", "no current folder"},
  };
  const char* const modules[] = {"C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe",
                                 "C:\\Users\\Benutzer\\AppData\\Local\\Temp\\Uninstall_Oskaldrv.exe"};
  for (const DllSearchCase& c : cases) {
    for (const char* module : modules) {
      for (const char16_t* arguments : {u" a0010407", u""}) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.kind)) + " " + module);
        sim::ResetMachine();
        sim::SetWindowsKind(c.kind);
        sim::AddFiles((std::string(module) + " = MZ").c_str());
        StartSimProcess(module, u"\"" + sim::WidenCp1252(module) + u"\"" + arguments);
        ProgramEntry(sim::ProcessInstance(), nullptr, nullptr, win::kSwShowNormal);

        const std::vector<std::string>& calls = sim::ProcessCalls();
        const std::vector<std::string> first = {"GetModuleHandleA kernel32", "GetProcAddress SetDefaultDllDirectories",
                                                c.call};
        ASSERT_GT(calls.size(), first.size()) << "the program goes on after it";
        EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 3), first);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), c.call), 1);
        EXPECT_EQ(sim::DllSearch(), c.search);
      }
    }
  }
}

// A refused argument ends the process with exit code 0 after its warning;
// with a valid one the first instance starts its copy and ends, without a
// window or a box.
TEST_F(SimTest, RunSequenceEndsWithExitCodeZero) {
  EXPECT_EQ(RunProgram(u" 00000407"), 0);
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_EQ(sim::MessageBoxes()[0].type, 0x30u);
  EXPECT_TRUE(Shell.ShutdownDone);

  sim::ResetMachine();
  sim::AddFiles("C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe = MZ");
  EXPECT_EQ(RunProgram(u" d0010407"), 0);
  EXPECT_TRUE(sim::MessageBoxes().empty());
  EXPECT_EQ(sim::CreatedProcesses().size(), 1u);
  EXPECT_EQ(Shell.MainWindow, nullptr);
  EXPECT_TRUE(Shell.ShutdownDone);
}

TEST_F(SimTest, StartUpKeepsTheInstanceAndTheShowCommand) {
  StartSimProcess("C:\\x\\Uninstall_Oskaldrv.exe", u"x");
  ProgramEntry(sim::ProcessInstance(), nullptr, nullptr, 1);
  EXPECT_EQ(Shell.ShowCommand, 1);
  EXPECT_EQ(Shell.AppInstance, sim::ProcessInstance());
}

}  // namespace
