// WriteLayoutLists when the registry refuses: each problem's text, what was
// written and what stayed, and the result.
#include <ostream>
#include <string>
#include <vector>

#include "layouts/layout_lists_writer.h"
#include "layouts/layout_removal.h"
#include "layouts/layout_scan.h"
#include "layouts_fixture.h"

namespace {

const char kKeyboardLayoutKey[] = "HKCU\\Keyboard Layout";
const TextValues kMissing{{"<missing>", ""}};

// Before: the user's lists.  After a clean rewrite: kNewPreload, kNewSubstitutes.
const TextValues kOldPreload{{"1", "00000407"}, {"2", "d0010407"}, {"3", "d0020407"}};
const TextValues kOldSubstitutes{{"d0010407", "a0010407"}, {"d0020407", "a0020409"}};
const TextValues kNewPreload{{"1", "00000407"}, {"2", "d0010407"}};
const TextValues kNewSubstitutes{{"d0010407", "a0020409"}};

struct Fault {
  std::string path;
  unsigned faults;
};

struct WriteCase {
  const char* name;
  std::vector<Fault> faults;
  std::string deniedValue;  // "Preload\\1": a value that cannot be written
  std::string removedKey;   // a key that disappears between scan and rewrite
  std::string extraKey;     // a key added below the user's lists
  const char* problem;
  bool result;
  TextValues preloadAfter;
  TextValues substitutesAfter;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

TextValues ReadOrMissing(const char* path) { return sim::RegistryKeyExists(path) ? ReadTexts(path) : kMissing; }

class WriteProblems : public LayoutsTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WriteProblems, AreReportedAndTheRestIsWritten) {
  const WriteCase& c = GetParam();
  SetUserLists(kOldPreload, kOldSubstitutes);
  sim::CreateRegistryKey(kCatalogueKey);
  if (!c.extraKey.empty()) sim::CreateRegistryKey(c.extraKey);
  SetLayoutKey("a0010407");
  ASSERT_TRUE(ScanLayouts());
  for (const Fault& f : c.faults) sim::DenyRegistryKey(f.path, f.faults);
  if (!c.deniedValue.empty()) {
    size_t slash = c.deniedValue.find('\\');
    sim::DenyRegistryValueWrite(std::string(kKeyboardLayoutKey) + "\\" + c.deniedValue.substr(0, slash),
                                c.deniedValue.substr(slash + 1));
  }
  if (!c.removedKey.empty()) sim::RemoveRegistryKey(c.removedKey);

  RemoveLayoutFromLists();
  EXPECT_EQ(WriteLayoutLists(), c.result);
  EXPECT_EQ(std::string(Layouts.RegistryProblemText), c.problem);
  EXPECT_EQ(ReadOrMissing(kPreloadKey), c.preloadAfter);
  EXPECT_EQ(ReadOrMissing(kSubstitutesKey), c.substitutesAfter);
  EXPECT_EQ(sim::OpenRegistryHandles(), 0);
}

const char kDeleteText[] = "Warnung:\nFehler beim Löschen des Registry-Keys Keyboard Layout - ";
const char kRecreateText[] = "Warnung:\nFehler beim Wiedererstellen des Registry-Keys Keyboard Layout - ";
const std::string kPreloadDeleteText = std::string(kDeleteText) + "Preload";
const std::string kSubstitutesDeleteText = std::string(kDeleteText) + "Substitutes";
const std::string kPreloadRecreateText = std::string(kRecreateText) + "Preload";
const std::string kSubstitutesRecreateText = std::string(kRecreateText) + "Substitutes";

// The cases are laid out by hand, a row of fields each.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, WriteProblems,
    ::testing::Values(
        WriteCase{"NoProblem", {}, "", "", "", "", true, kNewPreload, kNewSubstitutes},
        WriteCase{"KeyboardLayoutCannotBeOpened",
                  {{kKeyboardLayoutKey, sim::kDenyOpenRead}},
                  "", "", "",
                  "Warnung:\nFehler beim Öffnen des Registry-Keys HKEY_CURRENT_USER\\Keyboard Layout",
                  false, kOldPreload, kOldSubstitutes},
        WriteCase{"PreloadCannotBeDeleted",
                  {{kPreloadKey, sim::kDenyOpenWrite}},
                  "", "", "", kPreloadDeleteText.c_str(), false, kOldPreload, kNewSubstitutes},
        WriteCase{"PreloadHasASubkeyThatCannotBeDeleted",
                  {{std::string(kPreloadKey) + "\\inner", sim::kDenyOpenWrite}},
                  "", "", std::string(kPreloadKey) + "\\inner",
                  kPreloadDeleteText.c_str(), false, kOldPreload, kNewSubstitutes},
        WriteCase{"PreloadDisappearedSinceTheScan",
                  {}, "", kPreloadKey, "", kPreloadDeleteText.c_str(), false, kMissing, kNewSubstitutes},
        WriteCase{"PreloadCannotBeCreatedAgain",
                  {{kPreloadKey, sim::kDenyCreate}},
                  "", "", "", kPreloadRecreateText.c_str(), false, kMissing, kNewSubstitutes},
        WriteCase{"SubstitutesCannotBeDeleted",
                  {{kSubstitutesKey, sim::kDenyOpenWrite}},
                  "", "", "", kSubstitutesDeleteText.c_str(), false, kNewPreload, kOldSubstitutes},
        WriteCase{"SubstitutesCannotBeCreatedAgain",
                  {{kSubstitutesKey, sim::kDenyCreate}},
                  "", "", "", kSubstitutesRecreateText.c_str(), false, kNewPreload, kMissing},
        // The Substitutes text replaces the Preload text.
        WriteCase{"NeitherCanBeDeleted",
                  {{kPreloadKey, sim::kDenyOpenWrite}, {kSubstitutesKey, sim::kDenyOpenWrite}},
                  "", "", "", kSubstitutesDeleteText.c_str(), false, kOldPreload, kOldSubstitutes},
        WriteCase{"PreloadNotCreatedSubstitutesNotDeleted",
                  {{kPreloadKey, sim::kDenyCreate}, {kSubstitutesKey, sim::kDenyOpenWrite}},
                  "", "", "", kSubstitutesDeleteText.c_str(), false, kMissing, kOldSubstitutes},
        // A value that cannot be written is passed over.
        WriteCase{"PreloadValueCannotBeWritten",
                  {}, "Preload\\1", "", "", "", true, {{"2", "d0010407"}}, kNewSubstitutes},
        WriteCase{"SubstitutesValueCannotBeWritten",
                  {}, "Substitutes\\d0010407", "", "", "", true, kNewPreload, TextValues{}},
        // A deletion refused after the key was opened is a deletion that
        // failed: the old list is neither written over nor merged with the
        // new one (the layout's entry would stay behind).
        WriteCase{"PreloadDeletionRefusedAfterOpening",
                  {{kPreloadKey, sim::kDenyDelete}},
                  "", "", "", kPreloadDeleteText.c_str(), false, kOldPreload, kNewSubstitutes},
        WriteCase{"SubstitutesDeletionRefusedAfterOpening",
                  {{kSubstitutesKey, sim::kDenyDelete}},
                  "", "", "", kSubstitutesDeleteText.c_str(), false, kNewPreload, kOldSubstitutes}),
    [](const ::testing::TestParamInfo<WriteCase>& p) { return p.param.name; });
// clang-format on

TEST_F(LayoutsTest, NothingToWriteLeavesTheRegistryAndTheTextAlone) {
  SetUserLists({{"1", "00000407"}, {"2", "a0010407"}}, {{"00000407", "a0020407"}});
  sim::CreateRegistryKey(kCatalogueKey);
  SetLayoutKey("a0010407");
  ASSERT_TRUE(ScanLayouts());
  CopyText(Layouts.RegistryProblemText, kRegistryProblemTextSize, "earlier text");
  RemoveLayoutFromLists();
  EXPECT_TRUE(Layouts.LayoutNotInPreload);
  EXPECT_EQ(Layouts.newpreloadcount, 0);
  EXPECT_EQ(Layouts.newsubstitutescount, 0);
  EXPECT_TRUE(WriteLayoutLists());
  EXPECT_STREQ(Layouts.RegistryProblemText, "earlier text");
  EXPECT_TRUE(sim::RegistryChanges().empty());
}

// Between the deletion and the re-creation of a key the user has no such
// key: the order of the changes shows it.
TEST_F(LayoutsTest, EachListIsDeletedThenCreatedThenFilled) {
  SetUserLists(kOldPreload, kOldSubstitutes);
  sim::CreateRegistryKey(kCatalogueKey);
  SetLayoutKey("a0010407");
  ASSERT_TRUE(ScanLayouts());
  RemoveLayoutFromLists();
  ASSERT_TRUE(WriteLayoutLists());
  std::vector<std::string> changes;
  for (const sim::RegistryChange& change : sim::RegistryChanges()) {
    const char* kind = change.kind == sim::RegistryChange::kDeleteKey   ? "delete "
                       : change.kind == sim::RegistryChange::kCreateKey ? "create "
                                                                        : "set ";
    changes.push_back(kind + change.path + (change.name.empty() ? "" : " " + change.name));
  }
  EXPECT_EQ(changes, (std::vector<std::string>{
                         "delete HKCU\\Keyboard Layout\\Preload", "create HKCU\\Keyboard Layout\\Preload",
                         "set HKCU\\Keyboard Layout\\Preload 1", "set HKCU\\Keyboard Layout\\Preload 2",
                         "delete HKCU\\Keyboard Layout\\Substitutes", "create HKCU\\Keyboard Layout\\Substitutes",
                         "set HKCU\\Keyboard Layout\\Substitutes d0010407"}));
}

}  // namespace
