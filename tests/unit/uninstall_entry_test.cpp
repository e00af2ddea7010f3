// The product's entry in the machine's uninstall list: removed whole, by
// its exact name, in the registry view a 32-bit program sees, and nothing
// reported whatever became of it.
#include "uninstall/uninstall_entry.h"

#include <string>

#include "installed_product.h"
#include "test_process.h"
#include "uninstall/product_profile.h"

namespace {

using sim::WindowsKind;

struct EntryCase {
  const char* name;
  WindowsKind kind;
  const char* registry;  // {LIST} stands for the list the program sees
  void (*change)();
  const char* after;  // the whole registry afterwards, {LIST} as above
};

const char kListWithEntry[] = R"~(
  [{LIST}\Anderes Produkt]
  "DisplayName"="Anderes Produkt"
  [{LIST}\Tastaturbelegung DIN Varn AltGrLinks (V3.02 Lindgriff)]
  "DisplayName"="ohne Anfuehrungszeichen"
  [{LIST}\Tastaturbelegung DIN Varn AltGrLinks (V3.02 "Lindgriff")]
  "DisplayName"="Tastaturbelegung DIN Varn AltGrLinks (V3.02 \"Lindgriff\")"
  "EstimatedSize"=dword:00000040
  [{LIST}\Tastaturbelegung DIN Varn AltGrLinks (V3.02 "Lindgriff")\Zusatz\Tiefer]
  "Wert"="1"
)~";
const char kListWithoutEntry[] = R"~(
  [{LIST}\Anderes Produkt]
  "DisplayName"="Anderes Produkt"
  [{LIST}\Tastaturbelegung DIN Varn AltGrLinks (V3.02 Lindgriff)]
  "DisplayName"="ohne Anfuehrungszeichen"
)~";

std::string Dump(WindowsKind kind, const char* literal) {
  sim::ResetMachine();
  sim::SetWindowsKind(kind);
  sim::BuildRegistry(ReplaceAll(literal, "{LIST}", UninstallList(kind)).c_str());
  return sim::DumpRegistry();
}

TEST(UninstallEntry, IsRemovedWholeAndAloneWithoutAWord) {
  const EntryCase cases[] = {
      {"EntryWithValuesAndSubkeys", WindowsKind::kWindows32, kListWithEntry, nullptr, kListWithoutEntry},
      {"NoSuchEntry", WindowsKind::kWindows32, kListWithoutEntry, nullptr, kListWithoutEntry},
      // The list is created when it is missing; nothing is written into it.
      {"NoUninstallList", WindowsKind::kWindows32, "[HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]", nullptr,
       "[{LIST}]"},
      // A 32-bit program on 64-bit Windows removes the entry of its own
      // view; one of the same name in the 64-bit view stays.
      {"On64BitThe32BitView", WindowsKind::kWindows64,
       R"~([HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tastaturbelegung DIN Varn AltGrLinks (V3.02 "Lindgriff")]
          "DisplayName"="64 Bit"
          [{LIST}\Tastaturbelegung DIN Varn AltGrLinks (V3.02 "Lindgriff")]
          "DisplayName"="32 Bit")~",
       nullptr,
       R"~([HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tastaturbelegung DIN Varn AltGrLinks (V3.02 "Lindgriff")]
          "DisplayName"="64 Bit"
          [{LIST}])~"},
      {"ListCannotBeOpened", WindowsKind::kWindows32, kListWithEntry,
       [] { sim::DenyRegistryKey(UninstallList(WindowsKind::kWindows32), sim::kDenyOpenWrite); }, kListWithEntry},
      // A part that cannot be deleted keeps the entry, with that part.
      {"SubkeyCannotBeDeleted", WindowsKind::kWindows32, kListWithEntry,
       [] { sim::DenyRegistryKey(UninstallEntry(WindowsKind::kWindows32) + "\\Zusatz\\Tiefer", sim::kDenyOpenWrite); },
       kListWithEntry},
  };
  for (const EntryCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string expected = Dump(c.kind, c.after);
    sim::ResetMachine();
    sim::SetWindowsKind(c.kind);
    ResetProgramState();
    sim::BuildRegistry(ReplaceAll(c.registry, "{LIST}", UninstallList(c.kind)).c_str());
    if (c.change != nullptr) c.change();

    UpdateUninstallEntry(UninstallEntryName);
    EXPECT_EQ(sim::DumpRegistry(), expected);
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_EQ(sim::OpenRegistryHandles(), 0);
  }
}

}  // namespace
