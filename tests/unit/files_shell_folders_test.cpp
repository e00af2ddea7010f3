#include <string>

#include "files/shell_folders.h"
#include "platform/sim/sim_files.h"
#include "test_process.h"

namespace {

const char kShortcut[] = "C:\\Users\\Benutzer\\Desktop\\Tastaturbelegung Varn (V3.02) Schaubild.LNK";
const char kName[] = "Tastaturbelegung Varn (V3.02) Schaubild";

class ShellFolders : public SimTest {};

TEST_F(ShellFolders, GetSpecialFolderGivesThePathWithoutSeparator) {
  char folder[kMaxPath];
  Shell.MainWindow = reinterpret_cast<win::HWnd>(0x20002);
  EXPECT_TRUE(GetSpecialFolder(folder, win::kCsidlProgramFiles));
  EXPECT_STREQ(folder, "C:\\Programme");
  EXPECT_TRUE(GetSpecialFolder(folder, win::kCsidlDesktopDirectory));
  EXPECT_STREQ(folder, "C:\\Users\\Benutzer\\Desktop");
  EXPECT_EQ(sim::FolderQueries().back().owner, Shell.MainWindow);

  sim::Folders().desktop = "";
  EXPECT_FALSE(GetSpecialFolder(folder, win::kCsidlDesktopDirectory));
  EXPECT_STREQ(folder, "");
  EXPECT_EQ(sim::LiveItemIdLists(), 0);
  EXPECT_EQ(sim::AllocatorReferences(), 0);
}

TEST_F(ShellFolders, DeleteShortcutRemovesTheUsersShortcutOnly) {
  sim::AddFiles(R"(
    C:\Users\Benutzer\Desktop\Tastaturbelegung Varn (V3.02) Schaubild.lnk
    C:\Users\Public\Desktop\Tastaturbelegung Varn (V3.02) Schaubild.lnk
  )");
  win::HWnd owner = reinterpret_cast<win::HWnd>(0x30004);
  DeleteShortcut(owner, kName);
  EXPECT_EQ(sim::FindEntry(kShortcut), nullptr);
  EXPECT_NE(sim::FindEntry("C:\\Users\\Public\\Desktop\\Tastaturbelegung Varn (V3.02) Schaubild.lnk"), nullptr);
  ASSERT_EQ(sim::FolderQueries().size(), 1u);
  EXPECT_EQ(sim::FolderQueries()[0].owner, owner);
  EXPECT_EQ(sim::FolderQueries()[0].csidl, 0x10);
  EXPECT_EQ(sim::LiveItemIdLists(), 0);
  EXPECT_EQ(sim::AllocatorReferences(), 0);
}

TEST_F(ShellFolders, DeleteShortcutIsSilentWhenThereIsNothingToDelete) {
  std::vector<std::string> before = sim::ListTree();
  DeleteShortcut(nullptr, kName);
  sim::Folders().desktop = "";
  DeleteShortcut(nullptr, kName);
  EXPECT_EQ(sim::ListTree(), before);
  EXPECT_TRUE(sim::MessageBoxes().empty());
  EXPECT_STREQ(Shell.StatusText, "");
}

// The shortcut's path would be cut inside its name: the cut name might be
// another file on the desktop, so nothing is deleted.
TEST_F(ShellFolders, DeleteShortcutDeletesNothingWhenThePathWouldNotFit) {
  std::string desktop = "C:\\" + std::string(215, 'd');  // 218 + 1 + 39 + 4 = 262
  sim::Folders().desktop = desktop;
  std::string cut = desktop + "\\Tastaturbelegung Varn (V3.02) Schaubild.L";  // 259 characters
  sim::AddFiles((cut + "\n" + cut + "NK").c_str());
  DeleteShortcut(nullptr, kName);
  EXPECT_NE(sim::FindEntry(cut), nullptr);
  EXPECT_EQ(sim::LiveItemIdLists(), 0);

  // A desktop path the shell cannot give in 260 characters is no desktop.
  sim::Folders().desktop = "C:\\" + std::string(300, 'd');
  std::vector<std::string> before = sim::ListTree();
  DeleteShortcut(nullptr, kName);
  EXPECT_EQ(sim::ListTree(), before);
}

}  // namespace
