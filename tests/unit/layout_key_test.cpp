#include "uninstall/layout_key.h"

#include <string>

#include "shell/environment.h"
#include "test_process.h"
#include "uninstall/uninstall_state.h"

namespace {

const char kPrefix[] = "Deinstallationsprogramm nicht mit gültigem Registry-Key die Tastatur aufgerufen ";

struct KeyCase {
  const char* name;
  std::u16string arguments;  // what follows the program on the command line
  bool accepted;
  std::string warning;  // empty when accepted
};

class LayoutKeyArgument : public SimTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(LayoutKeyArgument, IsAcceptedOrRefusedWithItsWarning) {
  const KeyCase& c = GetParam();
  StartSimProcess("C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe",
                  u"\"C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe\"" + c.arguments);
  CaptureEnvironment();
  EXPECT_EQ(ValidateLayoutKey(), c.accepted);
  if (c.accepted) {
    EXPECT_TRUE(sim::MessageBoxes().empty());
    return;
  }
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  const sim::MessageBoxRecord& box = sim::MessageBoxes()[0];
  EXPECT_EQ(box.caption, "Uninstall_Oskaldrv");
  EXPECT_EQ(box.type, 0x30u);
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(box.text, kPrefix + c.warning);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutKeyArgument,
    ::testing::Values(KeyCase{"Accepted", u" d0010407", true, ""},
                      KeyCase{"AnyFirstFourCharacters", u" zzzz0407", true, ""},
                      KeyCase{"NoArgument", u"", false, "(Angabe fehlt)"},
                      KeyCase{"TwoArguments", u" d0010407 d0020407", false, "(Angabe fehlt)"},
                      KeyCase{"SevenCharacters", u" d001040", false, "(Länge nicht 8 Zeichen):\nd001040"},
                      KeyCase{"NineCharacters", u" d00100407", false, "(Länge nicht 8 Zeichen):\nd00100407"},
                      KeyCase{"EmptyQuotedArgument", u" \"\"", false, "(Länge nicht 8 Zeichen):\n"},
                      KeyCase{"OtherLanguage", u" d0010408", false,
                              "(endet nicht in \"0407\", also kein deutsches Layout):\nd0010408"},
                      KeyCase{"LetterInTheSuffix", u" d001o407", false,
                              "(endet nicht in \"0407\", also kein deutsches Layout):\nd001o407"},
                      KeyCase{"StandardKey", u" 00000407", false,
                              "(Schlüssel für Standardtastatur: nicht deinstallierbar):\n00000407"},
                      // The blank inside a quoted key survives; its length is still 8.
                      KeyCase{"QuotedKeyWithBlank", u" \"d01 0407\"", true, ""}),
    [](const ::testing::TestParamInfo<KeyCase>& p) { return p.param.name; });

TEST_F(SimTest, AcceptedKeyIsKeptInLayoutKeyName) {
  StartSimProcess("C:\\x\\Uninstall_Oskaldrv.exe", u"x A0010407");
  CaptureEnvironment();
  ASSERT_TRUE(ValidateLayoutKey());
  EXPECT_STREQ(Uninstall.LayoutKeyName, "A0010407");
}

TEST_F(SimTest, WarningTextsAreInCodePage1252) {
  StartSimProcess("C:\\x\\Uninstall_Oskaldrv.exe", u"x 00000407");
  CaptureEnvironment();
  ValidateLayoutKey();
  const std::string& text = sim::MessageBoxes().at(0).text;
  EXPECT_NE(text.find("g\xFCltigem"), std::string::npos);
  EXPECT_NE(text.find("Schl\xFCssel f\xFCr"), std::string::npos);
}

}  // namespace
