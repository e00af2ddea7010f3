// advapi32's registry calls, as the program's registry access uses them:
// opening, creating, writing text values, counting, enumerating with fixed
// buffers, and deleting.
#include <cstring>
#include <string>
#include <vector>

#include "conformance/registry_scratch.h"

namespace conformance {
namespace {

using Texts = std::vector<std::pair<std::string, std::string>>;

class RegistryCallsTest : public RegistryScratchTest {
 protected:
  win::HKey Create(const std::string& below, win::Dword* disposition = nullptr) {
    win::HKey key = nullptr;
    char noClass[1] = "";
    std::string path = scratch_ + "\\" + below;
    win::Long result = win::RegCreateKeyExA(win::kHKeyCurrentUser, path.c_str(), 0, noClass, win::kRegOptionNonVolatile,
                                            win::kKeyAllAccess, nullptr, &key, disposition);
    EXPECT_EQ(win::kErrorSuccess, result) << path;
    return key;
  }
  void MakeKey(const std::string& below) {
    win::HKey key = Create(below);
    if (key) win::RegCloseKey(key);
  }
  win::Long SetText(win::HKey key, const char* name, const std::string& text) {
    return win::RegSetValueExA(key, name, 0, win::kRegSz, reinterpret_cast<const uint8_t*>(text.c_str()),
                               static_cast<win::Dword>(text.size() + 1));
  }
};

TEST_F(RegistryCallsTest, OpeningAMissingKeyGivesFileNotFound) {
  win::HKey key = reinterpret_cast<win::HKey>(static_cast<uintptr_t>(0x1234));
  std::string path = scratch_ + "\\Missing";
  EXPECT_EQ(win::kErrorFileNotFound, win::RegOpenKeyExA(win::kHKeyCurrentUser, path.c_str(), 0, win::kKeyRead, &key));
  path = scratch_ + "\\Missing\\Deeper";
  EXPECT_EQ(win::kErrorFileNotFound, win::RegOpenKeyExA(win::kHKeyCurrentUser, path.c_str(), 0, win::kKeyRead, &key));
}

TEST_F(RegistryCallsTest, KeyNamesAreComparedWithoutRegardToCase) {
  MakeKey("Keyboard Layout\\Preload");
  win::HKey key = nullptr;
  std::string path = scratch_ + "\\KEYBOARD LAYOUT\\preload";
  ASSERT_EQ(win::kErrorSuccess, win::RegOpenKeyExA(win::kHKeyCurrentUser, path.c_str(), 0, win::kKeyRead, &key));
  win::RegCloseKey(key);
}

TEST_F(RegistryCallsTest, CreatingMakesEveryMissingKeyOfThePath) {
  win::Dword disposition = 0;
  win::HKey key = Create("a\\b\\c", &disposition);
  ASSERT_NE(nullptr, key);
  EXPECT_EQ(win::Dword{win::kRegCreatedNewKey}, disposition);
  win::RegCloseKey(key);
  win::HKey opened = OpenScratch("a\\b\\c", win::kKeyRead);
  if (opened) win::RegCloseKey(opened);
}

TEST_F(RegistryCallsTest, CreatingAnExistingKeyOpensItWithItsValuesAndSubkeys) {
  win::HKey key = Create("Preload");
  ASSERT_EQ(win::kErrorSuccess, SetText(key, "1", "00000407"));
  win::RegCloseKey(key);
  MakeKey("Preload\\Child");

  win::Dword disposition = 0;
  key = Create("Preload", &disposition);
  EXPECT_EQ(win::Dword{win::kRegOpenedExistingKey}, disposition);
  win::Dword subkeys = 99, values = 99;
  EXPECT_EQ(win::kErrorSuccess, win::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                                      &values, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(1u, subkeys);
  EXPECT_EQ(1u, values);
  win::RegCloseKey(key);
  EXPECT_EQ((Texts{{"1", "00000407"}}), ReadTextValues(win::kHKeyCurrentUser, scratch_ + "\\Preload"));
}

// The rewrite opens "Keyboard Layout" for reading and deletes and creates its
// subkeys through that handle: no right on the parent handle is needed.
TEST_F(RegistryCallsTest, KeysBelowAHandleForReadingCanBeCreatedAndDeleted) {
  MakeKey("Keyboard Layout\\Preload");
  win::HKey parent = OpenScratch("Keyboard Layout", win::kKeyRead);
  ASSERT_NE(nullptr, parent);
  EXPECT_EQ(win::kErrorSuccess, win::RegDeleteKeyA(parent, "Preload"));
  win::HKey key = nullptr;
  char noClass[1] = "";
  EXPECT_EQ(win::kErrorSuccess, win::RegCreateKeyExA(parent, "Preload", 0, noClass, win::kRegOptionNonVolatile,
                                                     win::kKeyAllAccess, nullptr, &key, nullptr));
  EXPECT_EQ(win::kErrorSuccess, SetText(key, "1", "00000407"));
  win::RegCloseKey(key);
  win::RegCloseKey(parent);
}

TEST_F(RegistryCallsTest, AHandleForReadingCannotWriteValues) {
  win::HKey key = OpenScratch("", win::kKeyRead);
  ASSERT_NE(nullptr, key);
  EXPECT_EQ(win::kErrorAccessDenied, SetText(key, "1", "x"));
  win::RegCloseKey(key);
  EXPECT_EQ(Texts{}, ReadTextValues(win::kHKeyCurrentUser, scratch_));
}

// A text value written with its length plus one keeps its terminator: abc
// is 4 bytes.  A size that leaves the terminator out gets it counted when
// the byte after the text is one, as Windows does for the narrow call.
TEST_F(RegistryCallsTest, TextValuesAreStoredWithTheSizeGiven) {
  win::HKey key = OpenScratch();
  ASSERT_NE(nullptr, key);
  const char withTerminator[] = "abc";
  const char followedByMore[] = "abcX";
  EXPECT_EQ(win::kErrorSuccess,
            win::RegSetValueExA(key, "counted", 0, win::kRegSz, reinterpret_cast<const uint8_t*>(withTerminator), 4));
  EXPECT_EQ(win::kErrorSuccess,
            win::RegSetValueExA(key, "forgotten", 0, win::kRegSz, reinterpret_cast<const uint8_t*>(withTerminator), 3));
  EXPECT_EQ(win::kErrorSuccess,
            win::RegSetValueExA(key, "cut", 0, win::kRegSz, reinterpret_cast<const uint8_t*>(followedByMore), 3));
  struct Expected {
    const char* name;
    win::Dword size;
    std::string bytes;  // as enumerated into a buffer with room
  } expected[] = {{"counted", 4, std::string("abc\0", 4)},
                  {"forgotten", 4, std::string("abc\0", 4)},
                  {"cut", 3, std::string("abc\0", 4)}};  // a terminator appended, not counted
  // Wine lists values by name, Windows in the order written: find each by name.
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.name);
    bool found = false;
    for (win::Dword index = 0; index < 3 && !found; ++index) {
      char name[32];
      GuardedBuffer data(16);
      win::Dword nameLength = sizeof name;
      win::Dword dataLength = 16;
      win::Dword type = 0;
      ASSERT_EQ(win::kErrorSuccess, win::RegEnumValueA(key, index, name, &nameLength, nullptr, &type,
                                                       reinterpret_cast<uint8_t*>(data.data()), &dataLength));
      if (std::strcmp(e.name, name) != 0) continue;
      found = true;
      EXPECT_EQ(win::Dword{win::kRegSz}, type);
      EXPECT_EQ(e.size, dataLength);
      EXPECT_EQ(Quoted(e.bytes), Quoted(data.data(), 4));
      EXPECT_EQ(-1, data.FirstWrittenFrom(4));
      EXPECT_TRUE(data.GuardsIntact());
    }
    EXPECT_TRUE(found);
  }
  win::RegCloseKey(key);
}

TEST_F(RegistryCallsTest, QueryInfoCountsTheDirectSubkeysAndTheValues) {
  MakeKey("a\\deeper");
  MakeKey("b");
  win::HKey key = OpenScratch("", win::kKeyRead);
  ASSERT_NE(nullptr, key);
  win::HKey writable = OpenScratch();
  SetText(writable, "v1", "1");
  SetText(writable, "v2", "2");
  SetText(writable, "v3", "3");
  win::RegCloseKey(writable);
  win::Dword subkeys = 0xdeadbeef, values = 0xdeadbeef;
  EXPECT_EQ(win::kErrorSuccess, win::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                                      nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(win::kErrorSuccess, win::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                      &values, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(2u, subkeys);
  EXPECT_EQ(3u, values);
  win::RegCloseKey(key);
}

// Subkeys come in the order of their names, without regard to case.
TEST_F(RegistryCallsTest, SubkeysAreEnumeratedInNameOrderThenNoMoreItems) {
  for (const char* name : {"b0010407", "A0010407", "a0020407", "00000407", "a0010c07"}) MakeKey(name);
  win::HKey key = OpenScratch("", win::kKeyRead);
  ASSERT_NE(nullptr, key);
  std::vector<std::string> names;
  for (win::Dword index = 0; index < 5; ++index) {
    char name[260];
    win::Dword length = sizeof name;
    ASSERT_EQ(win::kErrorSuccess, win::RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(std::strlen(name), length);
    names.push_back(name);
  }
  EXPECT_EQ((std::vector<std::string>{"00000407", "A0010407", "a0010c07", "a0020407", "b0010407"}), names);
  char name[260];
  win::Dword length = sizeof name;
  EXPECT_EQ(win::kErrorNoMoreItems, win::RegEnumKeyExA(key, 5, name, &length, nullptr, nullptr, nullptr, nullptr));
  win::RegCloseKey(key);
}

// A name fits when its terminator fits too; otherwise ERROR_MORE_DATA and
// nothing beyond the buffer is written.
TEST_F(RegistryCallsTest, SubkeyNameThatDoesNotFitGivesMoreData) {
  MakeKey("abcdefgh");
  win::HKey key = OpenScratch("", win::kKeyRead);
  ASSERT_NE(nullptr, key);
  for (win::Dword capacity : {9u, 8u, 4u}) {
    SCOPED_TRACE("capacity " + std::to_string(capacity));
    GuardedBuffer name(capacity);
    win::Dword length = capacity;
    win::Long result = win::RegEnumKeyExA(key, 0, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(name.GuardsIntact());
    if (capacity == 9) {
      EXPECT_EQ(win::kErrorSuccess, result);
      EXPECT_EQ(Quoted("abcdefgh"), Quoted(name.data()));
    } else {
      EXPECT_EQ(win::kErrorMoreData, result);
    }
  }
  win::RegCloseKey(key);
}

// Key names are at most 255 characters.  (Created below a handle: Wine's
// narrow calls refuse a whole path of more than 259 characters.)
TEST_F(RegistryCallsTest, KeyNamesOfMoreThan255CharactersCannotBeCreated) {
  win::HKey parent = OpenScratch();
  ASSERT_NE(nullptr, parent);
  char noClass[1] = "";
  win::HKey key = nullptr;
  std::string longest(255, 'k');
  EXPECT_EQ(win::kErrorSuccess, win::RegCreateKeyExA(parent, longest.c_str(), 0, noClass, win::kRegOptionNonVolatile,
                                                     win::kKeyAllAccess, nullptr, &key, nullptr));
  if (key) win::RegCloseKey(key);
  std::string tooLong(256, 'k');
  win::Long result = win::RegCreateKeyExA(parent, tooLong.c_str(), 0, noClass, win::kRegOptionNonVolatile,
                                          win::kKeyAllAccess, nullptr, &key, nullptr);
  if (OnWine() && result == win::kErrorSuccess) {
    NoteWineDifference("a key name of 256 characters is accepted");
    win::RegCloseKey(key);
  } else {
    EXPECT_EQ(win::kErrorInvalidParameter, result);
  }
  win::RegCloseKey(parent);
}

// Windows keeps a key's values in the order they were first written, and the
// program's tables follow that order.  Wine keeps them sorted by name.
TEST_F(RegistryCallsTest, ValuesAreEnumeratedInTheOrderTheyWereWritten) {
  win::HKey key = OpenScratch();
  ASSERT_NE(nullptr, key);
  for (const char* name : {"2", "1", "10", "b", "A"}) SetText(key, name, name);
  SetText(key, "1", "again");  // writing again keeps the place
  win::RegCloseKey(key);
  Texts found = ReadTextValues(win::kHKeyCurrentUser, scratch_);
  Texts written{{"2", "2"}, {"1", "again"}, {"10", "10"}, {"b", "b"}, {"A", "A"}};
  if (OnWine() && found != written) {
    EXPECT_EQ((Texts{{"1", "again"}, {"10", "10"}, {"2", "2"}, {"A", "A"}, {"b", "b"}}), found);
    NoteWineDifference("values are enumerated sorted by name, not in the order written");
    return;
  }
  EXPECT_EQ(written, found);
}

// The fit of a value's name and data into the program's fixed buffers: a
// name of 259 characters and data of 260 bytes fit 260; one more does not,
// and nothing beyond the buffers is written.
TEST_F(RegistryCallsTest, ValueNameOrDataThatDoesNotFitGivesMoreData) {
  struct Case {
    std::string name;
    std::string data;  // written as REG_BINARY, exactly these bytes
    win::Long result;
  } cases[] = {{std::string(259, 'n'), "x", win::kErrorSuccess},
               {std::string(260, 'n'), "x", win::kErrorMoreData},
               {"full", std::string(260, 'd'), win::kErrorSuccess},
               {"over", std::string(261, 'd'), win::kErrorMoreData}};
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.name.size()) + " / " + std::to_string(c.data.size()));
    win::HKey key = Create("case" + std::to_string(number++));  // one value per key
    ASSERT_NE(nullptr, key);
    ASSERT_EQ(win::kErrorSuccess, win::RegSetValueExA(key, c.name.c_str(), 0, win::kRegBinary,
                                                      reinterpret_cast<const uint8_t*>(c.data.data()),
                                                      static_cast<win::Dword>(c.data.size())));
    GuardedBuffer name(260);
    GuardedBuffer data(260);
    win::Dword nameLength = 260;
    win::Dword dataLength = 260;
    win::Long result = win::RegEnumValueA(key, 0, name.data(), &nameLength, nullptr, nullptr,
                                          reinterpret_cast<uint8_t*>(data.data()), &dataLength);
    EXPECT_EQ(c.result, result);
    EXPECT_TRUE(name.GuardsIntact());
    EXPECT_TRUE(data.GuardsIntact());
    if (result == win::kErrorSuccess) {
      EXPECT_EQ(c.name, std::string(name.data()));
      EXPECT_EQ(c.data.size(), dataLength);
      EXPECT_EQ(0, std::memcmp(data.data(), c.data.data(), c.data.size()));
    }
    win::RegCloseKey(key);
  }
}

TEST_F(RegistryCallsTest, ValuesOfAnyTypeAreEnumeratedAsTheirBytes) {
  win::HKey key = OpenScratch();
  ASSERT_NE(nullptr, key);
  const uint8_t number[4] = {0x07, 0x04, 0x00, 0x00};
  ASSERT_EQ(win::kErrorSuccess, win::RegSetValueExA(key, "n", 0, win::kRegDword, number, 4));
  uint8_t data[260];
  std::memset(data, 0xA5, sizeof data);
  char name[260];
  win::Dword nameLength = sizeof name, dataLength = sizeof data, type = 0;
  ASSERT_EQ(win::kErrorSuccess, win::RegEnumValueA(key, 0, name, &nameLength, nullptr, &type, data, &dataLength));
  EXPECT_EQ(win::Dword{win::kRegDword}, type);
  EXPECT_EQ(4u, dataLength);
  EXPECT_EQ(0, std::memcmp(data, number, 4));
  EXPECT_EQ(0xA5, data[4]);  // nothing appended to a number
  nameLength = sizeof name;
  dataLength = sizeof data;
  EXPECT_EQ(win::kErrorNoMoreItems, win::RegEnumValueA(key, 1, name, &nameLength, nullptr, nullptr, data, &dataLength));
  win::RegCloseKey(key);
}

TEST_F(RegistryCallsTest, DeletingAKeyWithSubkeysIsRefused) {
  MakeKey("Tree\\Leaf");
  win::HKey parent = OpenScratch("", win::kKeyRead);
  ASSERT_NE(nullptr, parent);
  EXPECT_EQ(win::kErrorAccessDenied, win::RegDeleteKeyA(parent, "Tree"));
  EXPECT_EQ(win::kErrorFileNotFound, win::RegDeleteKeyA(parent, "Missing"));
  EXPECT_EQ(win::kErrorSuccess, win::RegDeleteKeyA(parent, "Tree\\Leaf"));
  EXPECT_EQ(win::kErrorSuccess, win::RegDeleteKeyA(parent, "TREE"));
  win::Dword subkeys = 99;
  EXPECT_EQ(win::kErrorSuccess, win::RegQueryInfoKeyA(parent, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                                      nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(0u, subkeys);
  win::RegCloseKey(parent);
}

// A handle to a key deleted meanwhile answers ERROR_KEY_DELETED and can
// still be closed.
TEST_F(RegistryCallsTest, AHandleToADeletedKeyAnswersKeyDeleted) {
  MakeKey("Gone");
  win::HKey gone = OpenScratch("Gone");
  ASSERT_NE(nullptr, gone);
  win::HKey parent = OpenScratch("", win::kKeyRead);
  ASSERT_EQ(win::kErrorSuccess, win::RegDeleteKeyA(parent, "Gone"));
  win::Dword values = 0;
  EXPECT_EQ(win::kErrorKeyDeleted, win::RegQueryInfoKeyA(gone, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                         &values, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(win::kErrorKeyDeleted, SetText(gone, "1", "x"));
  EXPECT_EQ(win::kErrorSuccess, win::RegCloseKey(gone));
  win::RegCloseKey(parent);
}

// A 32-bit process on 64-bit Windows sees HKLM\SOFTWARE through
// Wow6432Node (where the product's uninstall entry lives); other processes
// see it as it is.
class RegistryViewTest : public RegistryScratchTest, public testing::WithParamInterface<Wow64Case> {};

TEST_P(RegistryViewTest, MachineSoftwareIsRedirectedExactlyUnderWow64) {
  const Wow64Case& c = GetParam();
  if (!c.known) GTEST_SKIP() << c.source;
  EnterWow64Case(c);
  const std::string name = "OskaldrvConformanceView";
  std::string path = "SOFTWARE\\" + name;
  ASSERT_TRUE(CreateKeyWithTexts(win::kHKeyLocalMachine, path, {{"v", "1"}}));
  win::HKey key = nullptr;
  std::string viaNode = "SOFTWARE\\Wow6432Node\\" + name;
  win::Long found = win::RegOpenKeyExA(win::kHKeyLocalMachine, viaNode.c_str(), 0, win::kKeyRead, &key);
  if (found == win::kErrorSuccess) win::RegCloseKey(key);
  EXPECT_EQ(c.expectWow64 ? win::kErrorSuccess : win::kErrorFileNotFound, found) << c.source;
  EXPECT_TRUE(RemoveKeyTree(win::kHKeyLocalMachine, path));
}

INSTANTIATE_TEST_SUITE_P(Machines, RegistryViewTest, testing::ValuesIn(Wow64Cases()),
                         [](const testing::TestParamInfo<Wow64Case>& p) { return p.param.name; });

}  // namespace
}  // namespace conformance
