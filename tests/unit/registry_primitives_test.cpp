#include <cstring>
#include <ostream>
#include <string>

#include "layouts/registry_access.h"
#include "layouts_fixture.h"

namespace {

using RegistryPrimitives = LayoutsTest;

const char kTestKey[] = "HKCU\\Software\\Test";

// ------------------------------------------------------------- opening ---

struct OpenCase {
  const char* name;
  const char* subkey;  // below HKCU\Software
  unsigned faults;     // on HKCU\Software\Test
  bool readOpens;
  bool fullOpens;
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }

class OpenKeys : public RegistryPrimitives, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenKeys, GiveAHandleOrNone) {
  const OpenCase& c = GetParam();
  sim::BuildRegistry("[HKCU\\Software\\Test\\Inner]");
  sim::DenyRegistryKey(kTestKey, c.faults);
  win::HKey software = OpenKeyRead(win::kHKeyCurrentUser, "Software");
  ASSERT_NE(software, nullptr);

  win::HKey read = OpenKeyRead(software, c.subkey);
  EXPECT_EQ(read != nullptr, c.readOpens);
  win::HKey full = OpenKeyFull(software, c.subkey);
  EXPECT_EQ(full != nullptr, c.fullOpens);
  if (read) win::RegCloseKey(read);
  if (full) win::RegCloseKey(full);
  win::RegCloseKey(software);
  EXPECT_EQ(sim::OpenRegistryHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, OpenKeys,
                         ::testing::Values(OpenCase{"Existing", "Test", 0, true, true},
                                           OpenCase{"PathOfTwoKeys", "Test\\Inner", 0, true, true},
                                           OpenCase{"NameInOtherCase", "tEST", 0, true, true},
                                           OpenCase{"Missing", "Missing", 0, false, false},
                                           OpenCase{"ReadingDenied", "Test", sim::kDenyOpenRead, false, false},
                                           OpenCase{"ChangingDenied", "Test", sim::kDenyOpenWrite, true, false},
                                           // Rights on a key are not needed to reach the keys below it.
                                           OpenCase{"BelowADeniedKey", "Test\\Inner", sim::kDenyOpenRead, true, true}),
                         [](const ::testing::TestParamInfo<OpenCase>& p) { return p.param.name; });

// ------------------------------------------------------------ creating ---

TEST_F(RegistryPrimitives, CreateKeyMakesAMissingKeyWithItsParents) {
  win::HKey key = CreateKey(win::kHKeyCurrentUser, "Software\\New\\Deeper");
  ASSERT_NE(key, nullptr);
  EXPECT_TRUE(SetStringValue(key, "v", "x"));  // opened with all access
  win::RegCloseKey(key);
  EXPECT_TRUE(sim::RegistryKeyExists("HKCU\\Software\\New\\Deeper"));
}

TEST_F(RegistryPrimitives, CreateKeyOpensAnExistingKeyWithItsValuesKept) {
  sim::BuildRegistry(R"([HKCU\Software\Test]
                        a=1
                        [HKCU\Software\Test\Child])");
  win::HKey key = CreateKey(win::kHKeyCurrentUser, "Software\\Test");
  ASSERT_NE(key, nullptr);
  win::RegCloseKey(key);
  EXPECT_EQ(ReadTexts(kTestKey), (TextValues{{"a", "1"}}));
  EXPECT_EQ(sim::RegistrySubkeys(kTestKey), (std::vector<std::string>{"Child"}));
}

// Only a deletion before it gives an empty key: the rewrite relies on the pair.
TEST_F(RegistryPrimitives, DeleteThenCreateGivesAnEmptyKey) {
  sim::BuildRegistry(R"([HKCU\Software\Test]
                        a=1)");
  win::HKey software = OpenKeyRead(win::kHKeyCurrentUser, "Software");
  ASSERT_TRUE(DeleteKeyTree(software, "Test"));
  win::HKey key = CreateKey(software, "Test");
  ASSERT_NE(key, nullptr);
  win::RegCloseKey(key);
  win::RegCloseKey(software);
  EXPECT_TRUE(sim::RegistryValues(kTestKey).empty());
}

TEST_F(RegistryPrimitives, CreateKeyGivesNoneWhenRefused) {
  sim::DenyRegistryKey(kTestKey, sim::kDenyCreate);
  EXPECT_EQ(CreateKey(win::kHKeyCurrentUser, "Software\\Test"), nullptr);
  EXPECT_FALSE(sim::RegistryKeyExists(kTestKey));
  EXPECT_EQ(sim::OpenRegistryHandles(), 0);
}

// -------------------------------------------------------------- values ---

TEST_F(RegistryPrimitives, SetStringValueStoresTheTextWithItsTerminator) {
  sim::CreateRegistryKey(kTestKey);
  win::HKey key = OpenKeyFull(win::kHKeyCurrentUser, "Software\\Test");
  EXPECT_TRUE(SetStringValue(key, "name", "abc"));
  EXPECT_TRUE(SetStringValue(key, "empty", ""));
  win::RegCloseKey(key);
  std::vector<sim::RegistryValue> values = sim::RegistryValues(kTestKey);
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].type, win::kRegSz);
  EXPECT_EQ(values[0].bytes, std::string("abc\0", 4));
  EXPECT_EQ(values[1].bytes, std::string("\0", 1));
}

TEST_F(RegistryPrimitives, SetStringValueIsFalseWhenTheValueCannotBeWritten) {
  sim::CreateRegistryKey(kTestKey);
  sim::DenyRegistryValueWrite(kTestKey, "locked");
  win::HKey full = OpenKeyFull(win::kHKeyCurrentUser, "Software\\Test");
  win::HKey read = OpenKeyRead(win::kHKeyCurrentUser, "Software\\Test");
  EXPECT_FALSE(SetStringValue(full, "LOCKED", "x"));
  EXPECT_FALSE(SetStringValue(read, "other", "x"));  // a handle for reading only
  EXPECT_TRUE(SetStringValue(full, "other", "x"));
  win::RegCloseKey(full);
  win::RegCloseKey(read);
  EXPECT_EQ(ReadTexts(kTestKey), (TextValues{{"other", "x"}}));
}

TEST_F(RegistryPrimitives, CountsAreTheDirectSubkeysAndValues) {
  sim::BuildRegistry(R"([HKCU\Software\Test\a\deeper]
                        [HKCU\Software\Test\b]
                        [HKCU\Software\Test]
                        v1=1
                        v2=2
                        v3=dword:00000003)");
  win::HKey key = OpenKeyRead(win::kHKeyCurrentUser, "Software\\Test");
  EXPECT_EQ(CountSubkeys(key), 2);
  EXPECT_EQ(CountValues(key), 3);
  win::RegCloseKey(key);
}

TEST_F(RegistryPrimitives, CountsAreZeroWhenTheKeyCannotBeQueried) {
  sim::BuildRegistry(R"([HKCU\Software\Test\a]
                        [HKCU\Software\Test]
                        v1=1)");
  sim::DenyRegistryKey(kTestKey, sim::kDenyQueryInfo);
  win::HKey key = OpenKeyRead(win::kHKeyCurrentUser, "Software\\Test");
  EXPECT_EQ(CountSubkeys(key), 0);
  EXPECT_EQ(CountValues(key), 0);
  win::RegCloseKey(key);
  EXPECT_EQ(CountSubkeys(nullptr), 0);
  EXPECT_EQ(CountValues(nullptr), 0);
}

TEST_F(RegistryPrimitives, EnumSubkeyReadsTheNamesInNameOrderThenFails) {
  sim::BuildRegistry(R"([HKCU\Software\Test\b0010407]
                        [HKCU\Software\Test\A0010407]
                        [HKCU\Software\Test\a0020407])");
  win::HKey key = OpenKeyRead(win::kHKeyCurrentUser, "Software\\Test");
  std::vector<std::string> names;
  for (int32_t i = 0; i < 3; ++i) {
    ASSERT_TRUE(EnumSubkey(key, i));
    names.push_back(Layouts.EnumKeyName);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"A0010407", "a0020407", "b0010407"}));
  EXPECT_FALSE(EnumSubkey(key, 3));
  win::RegCloseKey(key);
}

// What EnumValue leaves in its buffers for values of every kind.
struct EnumCase {
  const char* name;
  win::Dword type;
  std::string bytes;
  std::string valueName;
  bool read;
  std::string expectedData;  // the first bytes of EnumValueData; the rest is zero
};

void PrintTo(const EnumCase& c, std::ostream* os) { *os << c.name; }

class EnumValues : public RegistryPrimitives, public ::testing::WithParamInterface<EnumCase> {};

TEST_P(EnumValues, FillTheSharedBuffers) {
  const EnumCase& c = GetParam();
  // A long value first, so that anything left behind would show.
  sim::SetRegistryValue(kTestKey, std::string(259, 'n'), win::kRegSz, std::string(259, 'd') + '\0');
  sim::SetRegistryValue(kTestKey, c.valueName, c.type, c.bytes);
  win::HKey key = OpenKeyRead(win::kHKeyCurrentUser, "Software\\Test");
  ASSERT_TRUE(EnumValue(key, 0));
  EXPECT_EQ(EnumValue(key, 1), c.read);
  win::RegCloseKey(key);
  if (!c.read) return;
  EXPECT_STREQ(Layouts.EnumValueName, c.valueName.c_str());
  EXPECT_EQ(std::string(Layouts.EnumValueData, c.expectedData.size()), c.expectedData);
  for (size_t i = c.expectedData.size(); i < sizeof Layouts.EnumValueData; ++i)
    ASSERT_EQ(Layouts.EnumValueData[i], '\0') << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EnumValues,
    ::testing::Values(
        EnumCase{"Text", win::kRegSz, std::string("00000407\0", 9), "1", true, "00000407"},
        // A number's raw bytes are taken as they are, followed by zeros.
        EnumCase{"Number", win::kRegDword, std::string("\x07\x04\x00\x00", 4), "n", true, "\x07\x04"},
        EnumCase{"TextWithoutTerminator", win::kRegSz, "abc", "t", true, "abc"},
        EnumCase{"DataOf260BytesWithoutTerminator", win::kRegBinary, std::string(260, 'x'), "full", true,
                 std::string(260, 'x')},
        EnumCase{"TextOf260BytesWithoutTerminator", win::kRegSz, std::string(260, 'y'), "full", true,
                 std::string(260, 'y')},
        EnumCase{"DataOf261Bytes", win::kRegSz, std::string(260, 'x') + '\0', "long", false, ""},
        EnumCase{"NameOf259Characters", win::kRegSz, std::string("v\0", 2), std::string(259, 'm'), true, "v"},
        EnumCase{"NameOf260Characters", win::kRegSz, std::string("v\0", 2), std::string(260, 'm'), false, ""},
        EnumCase{"EmptyDefaultValue", win::kRegSz, "", "", true, ""}),
    [](const ::testing::TestParamInfo<EnumCase>& p) { return p.param.name; });

TEST_F(RegistryPrimitives, EnumValueReadsInTheOrderOfWritingThenFails) {
  sim::BuildRegistry(R"([HKCU\Software\Test]
                        2=b
                        1=a
                        10=c)");
  win::HKey key = OpenKeyRead(win::kHKeyCurrentUser, "Software\\Test");
  std::vector<std::string> names;
  for (int32_t i = 0; i < 3; ++i) {
    ASSERT_TRUE(EnumValue(key, i));
    names.push_back(std::string(Layouts.EnumValueName) + "=" + Layouts.EnumValueData);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"2=b", "1=a", "10=c"}));
  EXPECT_FALSE(EnumValue(key, 3));
  win::RegCloseKey(key);
}

// -------------------------------------------------------- DeleteKeyTree ---

const char kThreeLevels[] = R"([HKCU\Software\Test]
                               keep=1
                               [HKCU\Software\Test\Tree]
                               v=1
                               [HKCU\Software\Test\Tree\a\a1\leaf]
                               [HKCU\Software\Test\Tree\a\a2]
                               [HKCU\Software\Test\Tree\b]
                               [HKCU\Software\Test\Tree\c\c1]
                               [HKCU\Software\Test\Sibling])";

std::vector<std::string> DeletedKeys(bool succeededOnly) {
  std::vector<std::string> deleted;
  for (const sim::RegistryChange& change : sim::RegistryChanges())
    if (change.kind == sim::RegistryChange::kDeleteKey && (!succeededOnly || change.result == 0))
      deleted.push_back(change.path.substr(std::strlen("HKCU\\Software\\Test\\")));
  return deleted;
}

class DeleteKeyTreeTest : public RegistryPrimitives {
 protected:
  void SetUp() override {
    RegistryPrimitives::SetUp();
    sim::BuildRegistry(kThreeLevels);
    parent = OpenKeyRead(win::kHKeyCurrentUser, "Software\\Test");
    ASSERT_NE(parent, nullptr);
    sim::ClearRegistryChanges();
  }
  void TearDown() override {
    win::RegCloseKey(parent);
    EXPECT_EQ(sim::OpenRegistryHandles(), 0);
  }
  win::HKey parent = nullptr;
};

TEST_F(DeleteKeyTreeTest, RemovesThreeLevelsLeavesFirstAndTheNamedKeyLast) {
  EXPECT_TRUE(DeleteKeyTree(parent, "Tree"));
  EXPECT_EQ(DeletedKeys(true), (std::vector<std::string>{"Tree\\c\\c1", "Tree\\c", "Tree\\b", "Tree\\a\\a2",
                                                         "Tree\\a\\a1\\leaf", "Tree\\a\\a1", "Tree\\a", "Tree"}));
  EXPECT_EQ(DeletedKeys(false).size(), 8u);
  EXPECT_EQ(sim::RegistrySubkeys(kTestKey), (std::vector<std::string>{"Sibling"}));
  EXPECT_EQ(ReadTexts(kTestKey), (TextValues{{"keep", "1"}}));
}

TEST_F(DeleteKeyTreeTest, AnEmptyNameDeletesNothing) {
  EXPECT_FALSE(DeleteKeyTree(parent, ""));
  EXPECT_TRUE(sim::RegistryChanges().empty());
  EXPECT_EQ(sim::RegistrySubkeys(kTestKey), (std::vector<std::string>{"Sibling", "Tree"}));
}

TEST_F(DeleteKeyTreeTest, AMissingKeyGivesFalse) {
  EXPECT_FALSE(DeleteKeyTree(parent, "Missing"));
  EXPECT_TRUE(sim::RegistryChanges().empty());
}

TEST_F(DeleteKeyTreeTest, AKeyWithoutSubkeysIsDeleted) {
  EXPECT_TRUE(DeleteKeyTree(parent, "Sibling"));
  EXPECT_EQ(sim::RegistrySubkeys(kTestKey), (std::vector<std::string>{"Tree"}));
}

TEST_F(DeleteKeyTreeTest, ARefusedFinalDeletionGivesFalse) {
  sim::DenyRegistryKey("HKCU\\Software\\Test\\Tree", sim::kDenyDelete);
  EXPECT_FALSE(DeleteKeyTree(parent, "Tree"));
  EXPECT_TRUE(sim::RegistryKeyExists("HKCU\\Software\\Test\\Tree"));
  EXPECT_TRUE(sim::RegistrySubkeys("HKCU\\Software\\Test\\Tree").empty());
}

// An inner key that the user may not change (so neither open with all access
// nor delete) keeps itself and every key above it; everything else goes.
TEST_F(DeleteKeyTreeTest, AnInnerKeyThatCannotBeDeletedGivesFalse) {
  sim::DenyRegistryKey("HKCU\\Software\\Test\\Tree\\a\\a1\\leaf", sim::kDenyOpenWrite);
  EXPECT_FALSE(DeleteKeyTree(parent, "Tree"));
  EXPECT_EQ(sim::DumpRegistry("HKCU\\Software\\Test\\Tree"),
            "[HKCU\\Software\\Test\\Tree]\n\"v\"=\"1\"\n"
            "[HKCU\\Software\\Test\\Tree\\a]\n"
            "[HKCU\\Software\\Test\\Tree\\a\\a1]\n"
            "[HKCU\\Software\\Test\\Tree\\a\\a1\\leaf]\n");
}

// A deletion refused deep below, after the key was opened, keeps every key
// above it too: the whole result is false.
TEST_F(DeleteKeyTreeTest, ADeletionRefusedBelowGivesFalse) {
  sim::DenyRegistryKey("HKCU\\Software\\Test\\Tree\\a\\a1\\leaf", sim::kDenyDelete);
  EXPECT_FALSE(DeleteKeyTree(parent, "Tree"));
  EXPECT_TRUE(sim::RegistryKeyExists("HKCU\\Software\\Test\\Tree\\a\\a1\\leaf"));
  EXPECT_EQ(sim::RegistrySubkeys("HKCU\\Software\\Test\\Tree"), (std::vector<std::string>{"a"}));
}

TEST_F(DeleteKeyTreeTest, AKeyThatCannotBeEnumeratedGivesFalse) {
  sim::DenyRegistryKey("HKCU\\Software\\Test\\Tree\\a", sim::kDenyEnumerate);
  EXPECT_FALSE(DeleteKeyTree(parent, "Tree"));
  EXPECT_EQ(sim::RegistrySubkeys("HKCU\\Software\\Test\\Tree"), (std::vector<std::string>{"a"}));
}

// Each level keeps its own copy of the name it descends into: siblings at
// every level are reached after a deeper level overwrote EnumKeyName.
TEST_F(DeleteKeyTreeTest, SiblingsAtEveryLevelSurviveTheRecursion) {
  sim::BuildRegistry(R"([HKCU\Software\Test\Wide\x1\y1\z1]
                        [HKCU\Software\Test\Wide\x1\y1\z2]
                        [HKCU\Software\Test\Wide\x1\y2\z3]
                        [HKCU\Software\Test\Wide\x2\y3\z4]
                        [HKCU\Software\Test\Wide\x2\y4])");
  EXPECT_TRUE(DeleteKeyTree(parent, "Wide"));
  EXPECT_FALSE(sim::RegistryKeyExists("HKCU\\Software\\Test\\Wide"));
}

}  // namespace
