// FindFirstFileA, FindNextFileA and FindClose: what FileExists relies on.
#include <algorithm>
#include <string>
#include <vector>

#include "conformance/conformance_helpers.h"
#include "conformance/files_setup.h"

namespace conformance {
namespace {

class FindTest : public ConformanceTest {
 protected:
  void SetUp() override {
    ConformanceTest::SetUp();
    folder_ = MakeScratchFolder("find");
    ASSERT_TRUE(WriteWholeFile(folder_ + "\\Alpha.txt", "a"));
    ASSERT_TRUE(WriteWholeFile(folder_ + "\\beta.dat", "bb"));
    ASSERT_TRUE(MakeFolder(folder_ + "\\Sub"));
    ASSERT_TRUE(MakeFolder(folder_ + "\\Empty"));
  }
  void TearDown() override { RemoveScratchFolder(folder_); }

  // Every name a search gives, in its order, and the error that ended it.
  std::vector<std::string> Names(const std::string& pattern, win::Dword* error) {
    std::vector<std::string> names;
    win::Win32FindDataA entry{};
    win::SetLastError(kUntouchedError);
    win::Handle search = win::FindFirstFileA(pattern.c_str(), &entry);
    if (search == win::kInvalidHandleValue) {
      *error = win::GetLastError();
      return names;
    }
    do {
      names.push_back(entry.cFileName);
    } while (win::FindNextFileA(search, &entry));
    *error = win::GetLastError();
    EXPECT_TRUE(win::FindClose(search));
    return names;
  }
  std::string folder_;
};

TEST_F(FindTest, AnEmptyFolderListsItselfAndItsParentOnly) {
  win::Dword error = 0;
  std::vector<std::string> names = Names(folder_ + "\\Empty\\*", &error);
  EXPECT_EQ(names, (std::vector<std::string>{".", ".."}));
  EXPECT_EQ(error, win::kErrorNoMoreFiles);
}

TEST_F(FindTest, AFolderListsDotsFirstThenItsEntries) {
  win::Dword error = 0;
  std::vector<std::string> names = Names(folder_ + "\\*", &error);
  ASSERT_GE(names.size(), 2u);
  EXPECT_EQ(names[0], ".");
  EXPECT_EQ(names[1], "..");
  std::vector<std::string> rest(names.begin() + 2, names.end());
  std::sort(rest.begin(), rest.end());
  EXPECT_EQ(rest, (std::vector<std::string>{"Alpha.txt", "Empty", "Sub", "beta.dat"}));
  EXPECT_EQ(error, win::kErrorNoMoreFiles);
}

struct PatternCase {
  const char* pattern;  // after the scratch folder
  std::vector<std::string> names;
  win::Dword error;  // the error that ended or refused the search
};

TEST_F(FindTest, PatternsAndPlainNames) {
  const PatternCase cases[] = {
      {"\\*.txt", {"Alpha.txt"}, win::kErrorNoMoreFiles},
      {"\\?lpha.txt", {"Alpha.txt"}, win::kErrorNoMoreFiles},
      {"\\alpha.tx?", {"Alpha.txt"}, win::kErrorNoMoreFiles},
      {"\\ALPHA.TXT", {"Alpha.txt"}, win::kErrorNoMoreFiles},  // letter case ignored, kept in the answer
      {"/Alpha.txt", {"Alpha.txt"}, win::kErrorNoMoreFiles},   // a forward slash separates too
      {"\\Sub", {"Sub"}, win::kErrorNoMoreFiles},              // a folder is found like a file
      {"\\*.ini", {}, win::kErrorFileNotFound},
      {"\\missing.txt", {}, win::kErrorFileNotFound},
      {"\\Missing\\Alpha.txt", {}, win::kErrorPathNotFound},
      {"\\Sub\\", {}, win::kErrorFileNotFound},  // a trailing separator names no entry
  };
  for (const PatternCase& c : cases) {
    win::Dword error = 0;
    EXPECT_EQ(Names(folder_ + c.pattern, &error), c.names) << c.pattern;
    EXPECT_EQ(error, c.error) << c.pattern;
  }
}

// "folder\." finds an entry when the folder exists; which name it carries
// does not matter to the program.
TEST_F(FindTest, FolderDotFindsTheFolder) {
  win::Dword error = 0;
  std::vector<std::string> names = Names(folder_ + "\\Empty\\.", &error);
  ASSERT_EQ(names.size(), 1u) << "error " << error;
  win::Win32FindDataA entry{};
  win::Handle search = win::FindFirstFileA((folder_ + "\\Empty\\.").c_str(), &entry);
  ASSERT_NE(search, win::kInvalidHandleValue);
  EXPECT_NE(entry.dwFileAttributes & win::kFileAttributeDirectory, 0u) << names[0];
  win::FindClose(search);
  if (names[0] != "Empty") NoteWineDifference("FindFirstFileA of folder\\. names it " + Quoted(names[0]));

  EXPECT_EQ(Names(folder_ + "\\Missing\\.", &error), std::vector<std::string>{});
  EXPECT_EQ(error, win::kErrorFileNotFound);
}

TEST_F(FindTest, TheEntryCarriesAttributesAndSize) {
  win::Win32FindDataA entry{};
  win::Handle search = win::FindFirstFileA((folder_ + "\\beta.dat").c_str(), &entry);
  ASSERT_NE(search, win::kInvalidHandleValue);
  EXPECT_EQ(entry.dwFileAttributes, win::kFileAttributeArchive);
  EXPECT_EQ(entry.nFileSizeLow, 2u);
  EXPECT_TRUE(win::FindClose(search));
  win::SetLastError(kUntouchedError);
  win::Bool again = win::FindClose(search);
  win::Dword error = win::GetLastError();
  if (OnWine() && again) {
    NoteWineDifference("FindClose of a closed search succeeds");
  } else {
    EXPECT_FALSE(again) << "a closed search cannot be closed again";
    EXPECT_EQ(error, win::kErrorInvalidHandle);
  }
}

TEST_F(FindTest, AnEmptyPathIsNoPath) {
  win::Dword error = 0;
  EXPECT_EQ(Names("", &error), std::vector<std::string>{});
  EXPECT_TRUE(error == win::kErrorPathNotFound || error == win::kErrorFileNotFound) << error;
  if (error != win::kErrorPathNotFound) NoteWineDifference("FindFirstFileA(\"\") gives " + std::to_string(error));
}

}  // namespace
}  // namespace conformance
