// The rewrite of the user's lists, from the registry before to the registry
// after: scan, RemoveLayoutFromLists, WriteLayoutLists.
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "layouts/layout_lists_writer.h"
#include "layouts/layout_names.h"
#include "layouts/layout_removal.h"
#include "layouts/layout_scan.h"
#include "layouts_fixture.h"

namespace {

using Lines = std::vector<std::string>;

struct RewriteCase {
  const char* name;
  TextValues preload;
  TextValues substitutes;
  const char* layout;
  Lines writes;  // "P name=data" or "S name=data", in the order written
  const char* problem;
  bool result;
};

void PrintTo(const RewriteCase& c, std::ostream* os) { *os << c.name; }

// The values written, as "P 1=00000407" and "S d0010407=a0020409".
Lines ValueWrites() {
  Lines writes;
  for (const sim::RegistryChange& change : sim::RegistryChanges()) {
    if (change.kind != sim::RegistryChange::kSetValue) continue;
    const char* key = change.path == kPreloadKey ? "P " : change.path == kSubstitutesKey ? "S " : "? ";
    writes.push_back(key + change.name + "=" + std::string(change.bytes.c_str()));
  }
  return writes;
}

// The values of one key expected afterwards: the writes to it, in order.
TextValues WrittenTo(const Lines& writes, char key) {
  TextValues values;
  for (const std::string& write : writes) {
    if (write[0] != key) continue;
    size_t equals = write.find('=');
    values.emplace_back(write.substr(2, equals - 2), write.substr(equals + 1));
  }
  return values;
}

class Rewrite : public LayoutsTest, public ::testing::WithParamInterface<RewriteCase> {};

TEST_P(Rewrite, WritesTheListsWithoutTheLayout) {
  const RewriteCase& c = GetParam();
  SetUserLists(c.preload, c.substitutes);
  sim::CreateRegistryKey(kCatalogueKey);
  SetLayoutKey(c.layout);
  CopyText(Layouts.RegistryProblemText, kRegistryProblemTextSize, "earlier text");
  ASSERT_TRUE(ScanLayouts());
  CopyText(Layouts.RegistryProblemText, kRegistryProblemTextSize, "earlier text");
  std::string before = sim::DumpRegistry();

  RemoveLayoutFromLists();
  EXPECT_EQ(WriteLayoutLists(), c.result);

  EXPECT_EQ(std::string(Layouts.RegistryProblemText), c.problem);
  EXPECT_EQ(ValueWrites(), c.writes);
  EXPECT_EQ(sim::OpenRegistryHandles(), 0);
  if (c.writes.empty()) {
    EXPECT_EQ(sim::DumpRegistry(), before) << "nothing may change";
    return;
  }
  EXPECT_FALSE(Layouts.LayoutNotInPreload);
  EXPECT_EQ(ReadTexts(kPreloadKey), WrittenTo(c.writes, 'P'));
  EXPECT_EQ(ReadTexts(kSubstitutesKey), WrittenTo(c.writes, 'S'));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Rewrite,
    ::testing::Values(
        // The four worked examples.
        RewriteCase{"OnlySubstitutionGoes",
                    {{"1", "00000407"}, {"2", "d0010407"}},
                    {{"d0010407", "a0010407"}},
                    "a0010407",
                    {"P 1=00000407"},
                    "",
                    true},
        RewriteCase{"RemovedFirstStandardMovesUp",
                    {{"1", "d0010407"}, {"2", "00000407"}, {"3", "d0020407"}},
                    {{"d0010407", "a0010407"}, {"d0020407", "a0020409"}},
                    "a0010407",
                    {"P 1=00000407", "P 2=d0010407", "S d0010407=a0020409"},
                    "",
                    true},
        RewriteCase{"NeighbourInheritsTheStandardName",
                    {{"1", "00000407"}, {"2", "d0010407"}},
                    {{"00000407", "a0010407"}, {"d0010407", "a0020407"}},
                    "a0010407",
                    {"P 1=00000407", "S 00000407=a0020407"},
                    "",
                    true},
        RewriteCase{"LastStandardKeepsItsName",
                    {{"1", "00000407"}, {"2", "00000409"}, {"3", "d0010407"}},
                    {{"00000407", "a0020407"}, {"00000409", "a0030409"}, {"d0010407", "a0010407"}},
                    "a0010407",
                    {"P 1=d0010407", "P 2=00000409", "S 00000409=a0030409", "S d0010407=a0020407"},
                    "",
                    true},
        // The layout named in Preload itself, not through a substitution, is
        // not the layout's entry: nothing is written.
        RewriteCase{"LayoutKeyInPreloadIsNotItsEntry",
                    {{"1", "00000407"}, {"2", "a0010407"}},
                    {},
                    "a0010407",
                    {},
                    "earlier text",
                    true},
        RewriteCase{"SubstitutionNamedInOtherCaseIsNotAttached",
                    {{"1", "00000407"}, {"2", "d0010407"}},
                    {{"D0010407", "a0010407"}},
                    "a0010407",
                    {},
                    "earlier text",
                    true},
        RewriteCase{"SubstituteMatchesWithoutRegardToCase",
                    {{"1", "00000407"}, {"2", "d0010407"}},
                    {{"d0010407", "A0010407"}},
                    "a0010407",
                    {"P 1=00000407"},
                    "",
                    true},
        // Two entries substituted by the layout: only the later one goes.
        RewriteCase{"DuplicateSubstituteKeepsTheEarlier",
                    {{"1", "d0010407"}, {"2", "d0020407"}, {"3", "00000407"}},
                    {{"d0010407", "a0010407"}, {"d0020407", "a0010407"}},
                    "a0010407",
                    {"P 2=00000407", "P 1=d0010407", "S d0010407=a0010407"},
                    "",
                    true},
        // Fresh names follow the new order, whatever the old names were.
        RewriteCase{"FreshNamesInNewOrder",
                    {{"1", "00000407"}, {"2", "d0030407"}, {"3", "d0010407"}, {"4", "d0050407"}},
                    {{"d0030407", "a0020409"}, {"d0010407", "a0010407"}, {"d0050407", "a0040407"}},
                    "a0010407",
                    {"P 1=00000407", "P 2=d0010407", "P 3=d0020407", "S d0010407=a0020409", "S d0020407=a0040407"},
                    "",
                    true},
        RewriteCase{"SubstitutionOfNoEntryIsLost",
                    {{"1", "00000407"}, {"2", "d0010407"}, {"3", "d0020407"}},
                    {{"d0010407", "a0010407"}, {"d0090407", "a0090407"}, {"d0020407", "a0020409"}},
                    "a0010407",
                    {"P 1=00000407", "P 2=d0010407", "S d0010407=a0020409"},
                    "",
                    true},
        // A name that is not a plain number ranks 200: after the numbered
        // entries, before 201.
        RewriteCase{"NonCanonicalNameRanks200",
                    {{"201", "a0030407"}, {"x", "a0040407"}, {"01", "a0050407"}, {"1", "00000407"}, {"2", "d0010407"}},
                    {{"d0010407", "a0010407"}},
                    "a0010407",
                    {"P 1=00000407", "P 2=a0040407", "P 3=a0050407", "P 4=a0030407"},
                    "",
                    true},
        RewriteCase{"OutOfRangeNamesDropWithTheirSubstitution",
                    {{"1", "00000407"}, {"250", "a0030407"}, {"-1", "d0020407"}, {"2", "d0010407"}, {"3", "d0030407"}},
                    {{"d0010407", "a0010407"}, {"d0020407", "a0040407"}, {"d0030407", "a0050407"}},
                    "a0010407",
                    {"P 1=00000407", "P 2=d0010407", "S d0010407=a0050407"},
                    "",
                    true},
        RewriteCase{"OrderZeroAndTwoHundredOneAreKept",
                    {{"0", "a0030407"}, {"201", "a0040407"}, {"2", "d0010407"}, {"202", "a0050407"}},
                    {{"d0010407", "a0010407"}},
                    "a0010407",
                    {"P 1=a0030407", "P 2=a0040407"},
                    "",
                    true},
        // Standard data keeps the rank its name gives: x is 0, first.
        RewriteCase{"StandardEntryNamedXComesFirst",
                    {{"1", "a0030407"}, {"x", "00000409"}, {"2", "d0010407"}},
                    {{"d0010407", "a0010407"}},
                    "a0010407",
                    {"P 1=00000409", "P 2=a0030407"},
                    "",
                    true},
        // A standard entry with a long run of digits stays out of range.
        RewriteCase{"StandardEntryWithHugeNumberDrops",
                    {{"1", "00000407"}, {"99999999999999999999", "00000409"}, {"2", "d0010407"}},
                    {{"d0010407", "a0010407"}},
                    "a0010407",
                    {"P 1=00000407"},
                    "",
                    true},
        // The removed entry was the user's first layout: the standard entries
        // take the first places, in table order.
        RewriteCase{"RemovedFirstRenumbersStandardEntries",
                    {{"1", "d0010407"}, {"2", "a0030407"}, {"3", "00000409"}, {"4", "00000407"}},
                    {{"d0010407", "a0010407"}},
                    "a0010407",
                    {"P 1=00000409", "P 2=a0030407", "P 3=00000407"},
                    "",
                    true},
        RewriteCase{"RemovedFirstAndStandardTakesItsNumberToo",
                    {{"1", "00000407"}, {"2", "00000409"}, {"3", "a0030407"}},
                    {{"00000407", "a0010407"}},
                    "a0010407",
                    {"P 1=00000409", "P 2=a0030407"},
                    "",
                    true},
        // A standard entry named beyond 201 comes back when the standard
        // entries are renumbered.
        RewriteCase{"RenumberingBringsBackAnOutOfRangeStandardEntry",
                    {{"1", "d0010407"}, {"250", "00000409"}},
                    {{"d0010407", "a0010407"}},
                    "a0010407",
                    {"P 1=00000409"},
                    "",
                    true},
        RewriteCase{"RemovedLastStandardNeighbourBeforeInheritsTheName",
                    {{"1", "00000409"}, {"2", "00000407"}},
                    {{"00000409", "a0030409"}, {"00000407", "a0010407"}},
                    "a0010407",
                    {"P 1=00000407", "S 00000407=a0030409"},
                    "",
                    true},
        // A plain entry whose data is a substitution name keeps its data and
        // may then name a fresh substitution of another layout.
        RewriteCase{"PlainEntryWithASubstitutionNameKeepsItsData",
                    {{"1", "00000407"}, {"2", "d0020407"}, {"3", "d0030407"}, {"4", "d0010407"}},
                    {{"d0020407", "a0010407"}, {"d0030407", "a0050407"}},
                    "a0010407",
                    {"P 1=00000407", "P 3=d0010407", "P 2=d0010407", "S d0010407=a0050407"},
                    "",
                    true},
        // Nothing left to write: the internal error, and nothing changes.
        RewriteCase{"OnlyTheRemovedEntry",
                    {{"1", "d0010407"}},
                    {{"d0010407", "a0010407"}},
                    "a0010407",
                    {},
                    "INTERNER FEHLER: newpreloadcount ist 0!",
                    false},
        RewriteCase{"OnlyTheRemovedEntryWithAStandardName",
                    {{"1", "00000407"}},
                    {{"00000407", "a0010407"}},
                    "a0010407",
                    {},
                    "INTERNER FEHLER: newpreloadcount ist 0!",
                    false},
        RewriteCase{"OnlyTheRemovedEntryAndOutOfRangeOnes",
                    {{"1", "d0010407"}, {"250", "a0030407"}, {"-1", "a0040407"}},
                    {{"d0010407", "a0010407"}},
                    "a0010407",
                    {},
                    "INTERNER FEHLER: newpreloadcount ist 0!",
                    false}),
    [](const ::testing::TestParamInfo<RewriteCase>& p) { return p.param.name; });

// The in-memory decisions behind one worked example, field by field.
TEST_F(LayoutsTest, RemoveLayoutFromListsFillsTheEntriesAndTables) {
  SetUserLists({{"1", "00000407"}, {"2", "00000409"}, {"3", "d0010407"}},
               {{"00000407", "a0020407"}, {"00000409", "a0030409"}, {"d0010407", "a0010407"}});
  sim::CreateRegistryKey(kCatalogueKey);
  SetLayoutKey("a0010407");
  ASSERT_TRUE(ScanLayouts());
  RemoveLayoutFromLists();
  EXPECT_FALSE(Layouts.LayoutNotInPreload);
  EXPECT_TRUE(sim::RegistryChanges().empty());  // nothing touched yet
  const PreloadEntry* e = Layouts.PreloadList;
  EXPECT_TRUE(e[0].standard);
  EXPECT_TRUE(e[1].standard);
  EXPECT_FALSE(e[2].standard);
  EXPECT_EQ(e[0].newindex, 1);
  EXPECT_EQ(e[1].newindex, 2);
  EXPECT_EQ(e[2].newindex, 0);
  EXPECT_STREQ(e[0].newlayoutkey, "d0010407");
  EXPECT_STREQ(e[1].newlayoutkey, "00000409");
  EXPECT_FALSE(e[2].hasnewlayoutkey);
  ASSERT_EQ(Layouts.newpreloadcount, 2);
  ASSERT_EQ(Layouts.newsubstitutescount, 2);
  EXPECT_STREQ(Layouts.NewSubstitutesList[0].name, "d0010407");
  EXPECT_STREQ(Layouts.NewSubstitutesList[0].data, "a0020407");
  EXPECT_STREQ(Layouts.NewSubstitutesList[1].name, "00000409");
  EXPECT_STREQ(Layouts.NewPreloadList[0].name, "1");
  EXPECT_STREQ(Layouts.NewPreloadList[1].name, "2");
}

TEST_F(LayoutsTest, FreshNamesGrowToMoreHexDigits) {
  TextValues preload{{"1", "00000407"}};
  TextValues substitutes;
  for (int i = 2; i <= 100; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "e%03x0407", i);
    preload.emplace_back(std::to_string(i), name);
    substitutes.emplace_back(name, i == 2 ? "a0010407" : "a0020407");
  }
  SetUserLists(preload, substitutes);
  sim::CreateRegistryKey(kCatalogueKey);
  SetLayoutKey("a0010407");
  ASSERT_TRUE(ScanLayouts());
  RemoveLayoutFromLists();
  ASSERT_EQ(Layouts.newsubstitutescount, 98);
  EXPECT_STREQ(Layouts.NewSubstitutesList[0].name, "d0010407");
  EXPECT_STREQ(Layouts.NewSubstitutesList[9].name, "d00a0407");
  EXPECT_STREQ(Layouts.NewSubstitutesList[97].name, "d0620407");
  ASSERT_TRUE(WriteLayoutLists());
  EXPECT_EQ(sim::RegistryValues(kPreloadKey).size(), 99u);
}

TEST(IsStandardLayoutKey, IsEightCharactersBeginningWithFiveZeros) {
  EXPECT_TRUE(IsStandardLayoutKey("00000407"));
  EXPECT_TRUE(IsStandardLayoutKey("00000xyz"));
  EXPECT_FALSE(IsStandardLayoutKey("0000040"));
  EXPECT_FALSE(IsStandardLayoutKey("000004070"));
  EXPECT_FALSE(IsStandardLayoutKey("00010407"));
  EXPECT_FALSE(IsStandardLayoutKey("d0010407"));
  EXPECT_FALSE(IsStandardLayoutKey(""));
  EXPECT_FALSE(IsStandardLayoutKey(nullptr));
}

}  // namespace
