#include <climits>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "layouts/layout_scan.h"
#include "layouts_fixture.h"

namespace {

using Lines = std::vector<std::string>;

// The two user keys and the catalogue key, empty; cases add to them.
const char kEmptyPlaces[] = R"([HKCU\Keyboard Layout\Preload]
                               [HKCU\Keyboard Layout\Substitutes]
                               [HKLM\System\CurrentControlSet\Control\Keyboard Layouts])";

struct ScanCase {
  const char* name;
  std::string registry;  // literal added to the empty places
  const char* layoutKey;
  bool result;
  std::string problem;
  Lines preload;    // "valuename|layoutkey|substitute|order|canonical"
  Lines catalogue;  // "keyname|layoutfile"
  int32_t layoutIndex;
};

void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.name; }

class ScanCases : public LayoutsTest, public ::testing::WithParamInterface<ScanCase> {};

TEST_P(ScanCases, BuildTheLayoutPicture) {
  const ScanCase& c = GetParam();
  sim::BuildRegistry(kEmptyPlaces);
  sim::BuildRegistry(c.registry.c_str());
  SetLayoutKey(c.layoutKey);
  std::string before = sim::DumpRegistry();

  EXPECT_EQ(ScanLayouts(), c.result);
  EXPECT_EQ(std::string(Layouts.RegistryProblemText), c.problem);
  EXPECT_EQ(DescribePreloadList(), c.preload);
  EXPECT_EQ(DescribeCatalogue(), c.catalogue);
  EXPECT_EQ(Layouts.LayoutIndex, c.layoutIndex);
  EXPECT_EQ(sim::OpenRegistryHandles(), 0);
  EXPECT_EQ(sim::DumpRegistry(), before);  // the scan only reads
  EXPECT_TRUE(sim::RegistryChanges().empty());
}

const char kDeDe[] = "[HKLM\\System\\CurrentControlSet\\Control\\Keyboard Layouts\\";

// The cases are laid out by hand, a row of fields each.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Picture, ScanCases,
    ::testing::Values(
        ScanCase{"EmptyPlaces", "", "a0010407", true, "", {}, {}, -1},
        ScanCase{"PreloadInEnumerationOrder",
                 R"([HKCU\Keyboard Layout\Preload]
                    2=00000409
                    1=00000407)",
                 "a0010407", true, "", {"2|00000409|-|2|c", "1|00000407|-|1|c"}, {}, -1},
        // The value of a name: blanks skipped, a minus sign, every digit of
        // the rest; canonical when the name is that number's shortest form.
        ScanCase{"OrdersAndCanonicalFlags",
                 R"([HKCU\Keyboard Layout\Preload]
                    "01"="a"
                    "-1"="b"
                    " 2"="c"
                    "1a2"="d"
                    "abc"="e"
                    @="f"
                    "+3"="g"
                    "-0"="h"
                    "0"="i"
                    "2-3"="j"
                    " -4"="k")",
                 "a0010407", true, "",
                 {"01|a|-|1|n", "-1|b|-|-1|c", " 2|c|-|2|n", "1a2|d|-|12|n", "abc|e|-|0|n", "|f|-|0|n",
                  "+3|g|-|3|n", "-0|h|-|0|n", "0|i|-|0|c", "2-3|j|-|23|n", " -4|k|-|-4|n"},
                 {}, -1},
        // A long run of digits stays at the 32-bit bounds instead of overflowing.
        ScanCase{"NumbersBeyondTheRange",
                 R"([HKCU\Keyboard Layout\Preload]
                    "2147483647"="a"
                    "2147483648"="b"
                    "-2147483648"="c"
                    "-2147483649"="d"
                    "99999999999999999999999999"="e"
                    "-99999999999999999999999999"="f"
                    "4294967297"="g")",
                 "a0010407", true, "",
                 {"2147483647|a|-|2147483647|c", "2147483648|b|-|2147483647|n", "-2147483648|c|-|-2147483648|c",
                  "-2147483649|d|-|-2147483648|n", "99999999999999999999999999|e|-|2147483647|n",
                  "-99999999999999999999999999|f|-|-2147483648|n", "4294967297|g|-|2147483647|n"},
                 {}, -1},
        // A substitution attaches to the first entry that names it, byte for byte.
        ScanCase{"SubstitutesFirstMatch",
                 R"([HKCU\Keyboard Layout\Preload]
                    1=d0010407
                    2=d0010407
                    3=d0020407
                    4=00000407
                    [HKCU\Keyboard Layout\Substitutes]
                    d0010407=a0010407
                    D0020407=a0020407
                    d0090407=a0090407)",
                 "a0010407", true, "",
                 {"1|d0010407|a0010407|1|c", "2|d0010407|-|2|c", "3|d0020407|-|3|c", "4|00000407|-|4|c"}, {}, -1},
        ScanCase{"SubstituteWithEmptyData",
                 R"([HKCU\Keyboard Layout\Preload]
                    1=d0010407
                    [HKCU\Keyboard Layout\Substitutes]
                    d0010407=)",
                 "a0010407", true, "", {"1|d0010407||1|c"}, {}, -1},
        // Values that do not fit the buffers are skipped and not counted;
        // data of exactly 260 bytes without terminator is read as a text.
        ScanCase{"ValuesThatDoNotFit",
                 "[HKCU\\Keyboard Layout\\Preload]\n"
                 "1=00000407\n" +
                     std::string(260, 'n') + "=00000409\n" + "2=" + std::string(260, 'x') + "\n" +
                     "3=hex(1):" + [] {
                       std::string hex;
                       for (int i = 0; i < 260; ++i) hex += i ? ",79" : "79";
                       return hex;
                     }() + "\n" + std::string(259, 'm') + "=a\n" +
                     "[HKCU\\Keyboard Layout\\Substitutes]\n" + "s=" + std::string(260, 'x') + "\n",
                 "a0010407", true, "",
                 {"1|00000407|-|1|c", "3|" + std::string(260, 'y') + "|-|3|c", std::string(259, 'm') + "|a|-|0|n"},
                 {}, -1},
        ScanCase{"ValuesOfOtherTypes",
                 R"([HKCU\Keyboard Layout\Preload]
                    1=dword:34333231
                    2=hex:30,30,00,31)",
                 "a0010407", true, "", {"1|1234|-|1|c", "2|00|-|2|c"}, {}, -1},
        // The catalogue holds the German layouts only: language part of the
        // name 0407, 0807, 0C07 or 1407 exactly, on names of 8 characters or more.
        ScanCase{"CatalogueLanguageTest",
                 std::string(kDeDe) + "a0010409]\n" + kDeDe + "a0010c07]\n" + kDeDe + "c0010C07]\n" + kDeDe +
                     "00000807]\n" + kDeDe + "a0011407]\n" + kDeDe + "0407]\n" + kDeDe + "a001040]\n" + kDeDe +
                     "a00104070]\n" + kDeDe + "b0010407]\nLayout File=b.dll\n",
                 "a0010407", true, "", {},
                 {"00000807|-", "a00104070|-", "a0011407|-", "b0010407|b.dll", "c0010C07|-"}, -1},
        ScanCase{"LayoutFoundWithoutRegardToCase",
                 std::string(kDeDe) + "00000407]\nLayout File=kbdgr.dll\n" + kDeDe +
                     "a0010407]\nLayout File=Oskaldrv.DLL\nLayout Text=Varn\n" + kDeDe + "b0010407]\n",
                 "A0010407", true, "", {}, {"00000407|kbdgr.dll", "a0010407|Oskaldrv.DLL", "b0010407|-"}, 1},
        ScanCase{"LayoutFileNameIsExact",
                 std::string(kDeDe) + "a0010407]\nlayout file=x.dll\n\"Layout File \"=y.dll\n" + kDeDe +
                     "b0010407]\nLayout File=dword:00000001\n",
                 "a0010407", true, "", {}, {"a0010407|-", "b0010407|\x01"}, 0},
        ScanCase{"LayoutNotCatalogued", std::string(kDeDe) + "a0010409]\n", "a0010407", true, "", {}, {}, -1}),
    [](const ::testing::TestParamInfo<ScanCase>& p) { return p.param.name; });
// clang-format on

// Each place that cannot be read ends the scan with its text; what was read
// before stays in the picture.
struct FailureCase {
  const char* name;
  const char* deniedKey;  // "" when the key is removed instead
  const char* missingKey;
  std::string problem;
  int32_t preloadCount;
  int32_t catalogueCount;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class ScanFailures : public LayoutsTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ScanFailures, StopAtTheFirstProblem) {
  const FailureCase& c = GetParam();
  sim::BuildRegistry(R"([HKCU\Keyboard Layout\Preload]
                        1=00000407
                        2=d0010407
                        [HKCU\Keyboard Layout\Substitutes]
                        d0010407=a0010407
                        [HKLM\System\CurrentControlSet\Control\Keyboard Layouts\00000407]
                        Layout File=kbdgr.dll
                        [HKLM\System\CurrentControlSet\Control\Keyboard Layouts\a0010407]
                        Layout File=Oskaldrv.DLL)");
  SetLayoutKey("a0010407");
  if (c.deniedKey[0] != '\0') sim::DenyRegistryKey(c.deniedKey, sim::kDenyOpenRead);
  if (c.missingKey[0] != '\0') sim::RemoveRegistryKey(c.missingKey);

  EXPECT_FALSE(ScanLayouts());
  EXPECT_EQ(std::string(Layouts.RegistryProblemText), c.problem);
  EXPECT_EQ(Layouts.PreloadCount, c.preloadCount);
  EXPECT_EQ(Layouts.CatalogueCount, c.catalogueCount);
  EXPECT_EQ(sim::OpenRegistryHandles(), 0);
}

// The cases are laid out by hand, a row of fields each.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Texts, ScanFailures,
    ::testing::Values(
        FailureCase{"PreloadMissing", "", "HKCU\\Keyboard Layout\\Preload",
                    "Fehler beim Öffnen des Registry-Keys HKEY_CURRENT_USER\\Keyboard Layout\\Preload", 0, 0},
        FailureCase{"PreloadDenied", "HKCU\\Keyboard Layout\\Preload", "",
                    "Fehler beim Öffnen des Registry-Keys HKEY_CURRENT_USER\\Keyboard Layout\\Preload", 0, 0},
        FailureCase{"SubstitutesMissing", "", "HKCU\\Keyboard Layout\\Substitutes",
                    "Fehler beim Öffnen des Registry-Keys HKEY_CURRENT_USER\\Keyboard Layout\\Substitutes", 2, 0},
        FailureCase{"SubstitutesDenied", "HKCU\\Keyboard Layout\\Substitutes", "",
                    "Fehler beim Öffnen des Registry-Keys HKEY_CURRENT_USER\\Keyboard Layout\\Substitutes", 2, 0},
        FailureCase{"CatalogueMissing", "", "HKLM\\System\\CurrentControlSet\\Control\\Keyboard Layouts",
                    "Fehler beim Öffnen des Registry-Keys HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\"
                    "Keyboard Layouts",
                    2, 0},
        FailureCase{"CatalogueDenied", "HKLM\\System\\CurrentControlSet\\Control\\Keyboard Layouts", "",
                    "Fehler beim Öffnen des Registry-Keys HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\"
                    "Keyboard Layouts",
                    2, 0},
        FailureCase{"LayoutSubkeyDenied", "HKLM\\System\\CurrentControlSet\\Control\\Keyboard Layouts\\a0010407", "",
                    "Fehler beim Öffnen des Registry-Subkeys System\\CurrentControlSet\\Control\\Keyboard Layouts - "
                    "a0010407",
                    2, 1}),
    [](const ::testing::TestParamInfo<FailureCase>& p) { return p.param.name; });
// clang-format on

// A subkey that does not qualify is never opened, so its being unreadable
// does not matter.
TEST_F(LayoutsTest, ScanDoesNotOpenSubkeysOfOtherLanguages) {
  sim::BuildRegistry(kEmptyPlaces);
  sim::CreateRegistryKey(std::string(kCatalogueKey) + "\\a0010409");
  sim::DenyRegistryKey(std::string(kCatalogueKey) + "\\a0010409", sim::kDenyOpenRead);
  SetLayoutKey("a0010407");
  EXPECT_TRUE(ScanLayouts());
}

TEST_F(LayoutsTest, ScanTextsAreInCodePage1252) {
  SetLayoutKey("a0010407");
  EXPECT_FALSE(ScanLayouts());
  EXPECT_EQ(std::string(Layouts.RegistryProblemText).substr(0, 20),
            "Fehler beim \xD6"
            "ffnen d");
}

// ------------------------------------------------------ table capacity ---
// A list cut short would make the rewrite drop the user's layouts, so more
// entries than the tables hold fail the scan before anything is changed.

TEST_F(LayoutsTest, ScanTakesAHundredPreloadValues) {
  sim::BuildRegistry(kEmptyPlaces);
  for (int i = 1; i <= 100; ++i) sim::SetRegistryText(kPreloadKey, std::to_string(i), "00000407");
  sim::SetRegistryValue(kPreloadKey, std::string(300, 'x'), win::kRegSz, std::string("a\0", 2));  // unreadable
  SetLayoutKey("a0010407");
  EXPECT_TRUE(ScanLayouts());
  EXPECT_EQ(Layouts.PreloadCount, 100);
  EXPECT_STREQ(Layouts.PreloadList[99].valuename, "100");
}

TEST_F(LayoutsTest, ScanFailsOnMoreThanAHundredPreloadValues) {
  sim::BuildRegistry(kEmptyPlaces);
  for (int i = 1; i <= 101; ++i) sim::SetRegistryText(kPreloadKey, std::to_string(i), "00000407");
  SetLayoutKey("a0010407");
  EXPECT_FALSE(ScanLayouts());
  EXPECT_STREQ(Layouts.RegistryProblemText,
               "Zu viele Einträge im Registry-Key HKEY_CURRENT_USER\\Keyboard Layout\\Preload (mehr als 100)");
  EXPECT_EQ(Layouts.PreloadCount, 100);
  EXPECT_EQ(sim::OpenRegistryHandles(), 0);
}

TEST_F(LayoutsTest, ScanTakesAHundredGermanLayoutsAmongOthers) {
  sim::BuildRegistry(kEmptyPlaces);
  char name[16];
  for (int i = 0; i < 100; ++i) {
    std::snprintf(name, sizeof name, "a%03x0407", i);
    AddCatalogueEntry(name, "x.dll");
    std::snprintf(name, sizeof name, "a%03x0409", i);
    AddCatalogueEntry(name, "x.dll");
  }
  SetLayoutKey("a0630407");
  EXPECT_TRUE(ScanLayouts());
  EXPECT_EQ(Layouts.CatalogueCount, 100);
  EXPECT_EQ(Layouts.LayoutIndex, 99);
}

TEST_F(LayoutsTest, ScanFailsOnMoreThanAHundredGermanLayouts) {
  sim::BuildRegistry(kEmptyPlaces);
  char name[16];
  for (int i = 0; i <= 100; ++i) {
    std::snprintf(name, sizeof name, "a%03x0407", i);
    AddCatalogueEntry(name, "x.dll");
  }
  SetLayoutKey("a0640407");  // the 101st
  EXPECT_FALSE(ScanLayouts());
  EXPECT_STREQ(Layouts.RegistryProblemText,
               "Zu viele deutsche Tastaturlayouts im Registry-Key HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\"
               "Control\\Keyboard Layouts (mehr als 100)");
  EXPECT_EQ(Layouts.CatalogueCount, 100);
  EXPECT_EQ(Layouts.LayoutIndex, -1);
  EXPECT_EQ(sim::OpenRegistryHandles(), 0);
}

// ------------------------------------------------------ decimal values ---

TEST(PreloadNameValue, FollowsTheDigitsAndStaysInRange) {
  struct {
    const char* name;
    int32_t value;
  } cases[] = {{"1", 1},
               {"-3", -3},
               {"1a2", 12},
               {"", 0},
               {"abc", 0},
               {"  7", 7},
               {"\t7", 7},
               {"- 5", -5},
               {"--5", -5},
               {"2147483647", INT32_MAX},
               {"2147483648", INT32_MAX},
               {"-2147483648", INT32_MIN},
               {"-2147483649", INT32_MIN},
               {"00000000000000000000000012", 12},
               {"1x2x3x4x5x6x7x8x9x0x1x2x3", INT32_MAX}};
  for (const auto& c : cases) EXPECT_EQ(PreloadNameValue(c.name), c.value) << '"' << c.name << '"';
}

}  // namespace
