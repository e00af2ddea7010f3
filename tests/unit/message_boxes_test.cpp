#include "shell/message_boxes.h"

#include <cstring>
#include <string>

#include "test_process.h"

namespace {

class MessageBoxes : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    std::strcpy(Shell.ProgramName, "Uninstall_Oskaldrv");
  }
};

TEST_F(MessageBoxes, EachKindHasItsCaptionAndType) {
  sim::ScriptAnswers({win::kIdOk, win::kIdYes, win::kIdOk, win::kIdOk});
  EXPECT_EQ(ShowInfo("info %s", "a"), win::kIdOk);
  EXPECT_EQ(AskYesNo("frage"), win::kIdYes);
  EXPECT_EQ(ShowWarning("warnung"), win::kIdOk);
  EXPECT_EQ(ShowWarningTitled("Tastaturtreiber-Deinstallation", "datei %s", "x"), win::kIdOk);

  const auto& boxes = sim::MessageBoxes();
  ASSERT_EQ(boxes.size(), 4u);
  struct Expected {
    const char* caption;
    uint32_t type;
    const char* text;
  } expected[] = {
      {"Uninstall_Oskaldrv", 0x40, "info a"},
      {"Uninstall_Oskaldrv", 0x24, "frage"},
      {"Uninstall_Oskaldrv", 0x30, "warnung"},
      {"Tastaturtreiber-Deinstallation", 0x30, "datei x"},
  };
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(boxes[i].caption, expected[i].caption) << i;
    EXPECT_EQ(boxes[i].type, expected[i].type) << i;
    EXPECT_EQ(boxes[i].text, expected[i].text) << i;
    EXPECT_EQ(boxes[i].owner, nullptr) << "no status window yet, so no owner";
  }
}

TEST_F(MessageBoxes, AskYesNoReturnsTheUsersAnswer) {
  sim::ScriptAnswers({win::kIdNo});
  EXPECT_EQ(AskYesNo("Soll?"), win::kIdNo);
}

TEST_F(MessageBoxes, AFailedBoxReturnsZero) {
  EXPECT_EQ(AskYesNo("unbeantwortet"), 0);  // nothing scripted: MessageBoxA fails
  EXPECT_EQ(sim::UnansweredQuestions(), 1);
}

TEST_F(MessageBoxes, BoxesAreOwnedByTheStatusWindowOnceItExists) {
  Shell.MainWindow = reinterpret_cast<win::HWnd>(0x1234);
  ShowWarning("x");
  EXPECT_EQ(sim::MessageBoxes().back().owner, Shell.MainWindow);
}

TEST_F(MessageBoxes, ControlCharactersBecomeLineBreaksInTheBox) {
  ShowInfo("a\tb\nc%s", "\x01");
  EXPECT_EQ(sim::MessageBoxes().back().text, "a\r\nb\nc\r\n");
}

// A ready-made text may carry '%' (a registry name, say): passed through
// "%s" it is shown unchanged and the formatter reads no missing argument.
TEST_F(MessageBoxes, ReadyMadeTextWithPercentIsShownUnchanged) {
  ShowWarning("%s", "Fehler beim Öffnen des Registry-Subkeys %s%d%n - 100%");
  EXPECT_EQ(sim::MessageBoxes().back().text, "Fehler beim Öffnen des Registry-Subkeys %s%d%n - 100%");
}

TEST_F(MessageBoxes, LongTextsAreCutToTheWorkBuffer) {
  std::string text(kMessageWorkSize + 100, 'w');
  ShowInfo(text.c_str());
  EXPECT_EQ(sim::MessageBoxes().back().text, std::string(kMessageWorkSize - 1, 'w'));
}

}  // namespace
