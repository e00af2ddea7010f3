// CopyFileA, SetFileAttributesA, DeleteFileA, RemoveDirectoryA, CreateFileA's
// sharing and MoveFileExA's scheduling: the calls the program changes files
// with, and their errors.
#include <string>

#include "conformance/conformance_helpers.h"
#include "conformance/files_setup.h"

namespace conformance {
namespace {

class ChangeTest : public ConformanceTest {
 protected:
  void SetUp() override {
    ConformanceTest::SetUp();
    folder_ = MakeScratchFolder("change");
    ASSERT_TRUE(WriteWholeFile(Path("source.exe"), "MZ source"));
    ASSERT_TRUE(WriteWholeFile(Path("target.exe"), "old"));
    ASSERT_TRUE(MakeFolder(Path("Full")));
    ASSERT_TRUE(WriteWholeFile(Path("Full\\inside.txt"), "x"));
    ASSERT_TRUE(MakeFolder(Path("Empty")));
  }
  void TearDown() override { RemoveScratchFolder(folder_); }
  std::string Path(const std::string& name) { return folder_ + "\\" + name; }

  win::Dword Attributes(const std::string& name) {
    win::Win32FindDataA entry{};
    win::Handle search = win::FindFirstFileA(Path(name).c_str(), &entry);
    if (search == win::kInvalidHandleValue) return win::kInvalidFileAttributes;
    win::FindClose(search);
    return entry.dwFileAttributes;
  }
  std::string folder_;
};

// Calls a Bool function and gives its result and last error as one text.
template <typename F>
std::string Outcome(F call) {
  win::SetLastError(kUntouchedError);
  win::Bool result = call();
  return result ? "TRUE" : "FALSE " + std::to_string(win::GetLastError());
}

// Wine keeps no archive bit: every file it lists carries one, so a file
// without attributes shows it, and a copy shows the read-only bit only.
void ExpectAttributes(win::Dword actual, win::Dword onWindows, const char* what) {
  win::Dword onWine = (onWindows == win::kFileAttributeNormal ? 0 : onWindows) | win::kFileAttributeArchive;
  if (OnWine() && actual == onWine && actual != onWindows) {
    NoteWineDifference(std::string(what) + ": attributes " + std::to_string(actual));
    return;
  }
  EXPECT_EQ(actual, onWindows) << what;
}

TEST_F(ChangeTest, CopyReplacesTheTargetAndCarriesTheAttributesOver) {
  ASSERT_TRUE(win::SetFileAttributesA(Path("source.exe").c_str(), win::kFileAttributeReadonly));
  ExpectAttributes(Attributes("source.exe"), win::kFileAttributeReadonly, "read-only source");
  EXPECT_EQ(Outcome([&] { return win::CopyFileA(Path("source.exe").c_str(), Path("target.exe").c_str(), 0); }), "TRUE");
  EXPECT_EQ(ReadWholeFile(Path("target.exe")), "MZ source");
  win::Dword copied = Attributes("target.exe");
  if (OnWine() && copied == win::kFileAttributeArchive) {
    NoteWineDifference("CopyFileA does not carry the read-only attribute over");
  } else {
    ExpectAttributes(copied, win::kFileAttributeReadonly, "the copy of a read-only file");
  }
  ASSERT_TRUE(win::SetFileAttributesA(Path("target.exe").c_str(), win::kFileAttributeArchive));
  EXPECT_EQ(Attributes("target.exe"), win::kFileAttributeArchive);
  ASSERT_TRUE(win::SetFileAttributesA(Path("target.exe").c_str(), win::kFileAttributeNormal));
  ExpectAttributes(Attributes("target.exe"), win::kFileAttributeNormal, "no attributes");
  ASSERT_TRUE(win::SetFileAttributesA(Path("source.exe").c_str(), win::kFileAttributeNormal));
}

TEST_F(ChangeTest, CopyErrors) {
  struct Case {
    const char* source;
    const char* target;
    win::Bool failIfExists;
    std::string outcome;
  } cases[] = {
      {"source.exe", "target.exe", 1, "FALSE 80"},
      {"missing.exe", "copy.exe", 0, "FALSE 2"},
      {"Missing\\source.exe", "copy.exe", 0, "FALSE 3"},
      {"source.exe", "Missing\\copy.exe", 0, "FALSE 3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Outcome([&] { return win::CopyFileA(Path(c.source).c_str(), Path(c.target).c_str(), c.failIfExists); }),
              c.outcome)
        << c.source << " -> " << c.target;
  }
  EXPECT_EQ(ReadWholeFile(Path("target.exe")), "old");
  EXPECT_EQ(ReadWholeFile(Path("copy.exe")), "<missing>");
}

TEST_F(ChangeTest, SetAttributesOfAMissingFile) {
  EXPECT_EQ(Outcome([&] { return win::SetFileAttributesA(Path("missing.exe").c_str(), win::kFileAttributeArchive); }),
            "FALSE 2");
}

TEST_F(ChangeTest, DeleteErrors) {
  ASSERT_TRUE(WriteWholeFile(Path("readonly.txt"), "r"));
  ASSERT_TRUE(win::SetFileAttributesA(Path("readonly.txt").c_str(), win::kFileAttributeReadonly));
  struct Case {
    const char* name;
    std::string outcome;
  } cases[] = {
      {"readonly.txt", "FALSE 5"},
      {"missing.txt", "FALSE 2"},
      {"Missing\\file.txt", "FALSE 3"},
      {"Empty", "FALSE 5"},  // a folder is not deleted as a file
  };
  for (const Case& c : cases)
    EXPECT_EQ(Outcome([&] { return win::DeleteFileA(Path(c.name).c_str()); }), c.outcome) << c.name;
  EXPECT_EQ(ReadWholeFile(Path("readonly.txt")), "r");
  ASSERT_TRUE(win::SetFileAttributesA(Path("readonly.txt").c_str(), win::kFileAttributeNormal));
  EXPECT_EQ(Outcome([&] { return win::DeleteFileA(Path("readonly.txt").c_str()); }), "TRUE");
  EXPECT_EQ(ReadWholeFile(Path("readonly.txt")), "<missing>");
}

// A second handle that does not share deleting keeps the file; once it is
// closed the file can go.
TEST_F(ChangeTest, AFileHeldOpenWithoutDeleteSharingStays) {
  win::Handle held = win::CreateFileA(Path("target.exe").c_str(), win::kGenericRead, win::kFileShareRead, nullptr,
                                      win::kOpenExisting, 0, nullptr);
  ASSERT_NE(held, win::kInvalidHandleValue);
  EXPECT_EQ(Outcome([&] { return win::DeleteFileA(Path("target.exe").c_str()); }), "FALSE 32");
  EXPECT_EQ(Outcome([&] { return win::CopyFileA(Path("source.exe").c_str(), Path("target.exe").c_str(), 0); }),
            "FALSE 32");
  EXPECT_EQ(ReadWholeFile(Path("target.exe")), "old");
  EXPECT_TRUE(win::CloseHandle(held));
  EXPECT_EQ(Outcome([&] { return win::CloseHandle(held); }), "FALSE 6");
  EXPECT_EQ(Outcome([&] { return win::DeleteFileA(Path("target.exe").c_str()); }), "TRUE");
}

TEST_F(ChangeTest, RemoveDirectoryOnlyWhenEmpty) {
  struct Case {
    const char* name;
    std::string outcome;
  } cases[] = {
      {"Full", "FALSE 145"},       {"Missing", "FALSE 2"}, {"Missing\\Inner", "FALSE 3"},
      {"source.exe", "FALSE 267"}, {"Empty", "TRUE"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Outcome([&] { return win::RemoveDirectoryA(Path(c.name).c_str()); }), c.outcome) << c.name;
  EXPECT_EQ(ReadWholeFile(Path("Full\\inside.txt")), "x") << "nothing inside is deleted";
}

// The program schedules its own file; Windows (and Wine, which runs as an
// administrator) accept it without looking at the file.
TEST_F(ChangeTest, DeletionAtTheNextRestartIsAccepted) {
  EXPECT_EQ(
      Outcome([&] { return win::MoveFileExA(Path("source.exe").c_str(), nullptr, win::kMoveFileDelayUntilReboot); }),
      "TRUE");
  EXPECT_EQ(ReadWholeFile(Path("source.exe")), "MZ source") << "the file stays until the restart";
}

}  // namespace
}  // namespace conformance
