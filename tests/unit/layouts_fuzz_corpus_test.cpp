// The committed fuzz corpus replayed in the ordinary build: every input runs
// through scan, removal and rewrite without a broken promise.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/layouts_fuzz_input.h"
#include "test_process.h"

namespace {

std::filesystem::path CorpusFolder() {
  return std::filesystem::path(__FILE__).parent_path().parent_path() / "fuzz" / "corpus";
}

TEST(LayoutsFuzzCorpus, EveryInputRunsClean) {
  std::filesystem::path folder = CorpusFolder();
  ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream file(entry.path(), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(fuzz::RunLayoutsFuzzInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "")
        << entry.path();
    ++inputs;
  }
  EXPECT_GT(inputs, 0);
  ResetProgramState();
}

// The worked example the first corpus input encodes does what the table says,
// so that the corpus exercises the real paths and not only refusals.
TEST(LayoutsFuzzCorpus, AnExampleInputRewritesTheLists) {
  std::ifstream file(CorpusFolder() / "example1", std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_EQ(fuzz::RunLayoutsFuzzInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "");
  EXPECT_EQ(sim::RegistryTexts(fuzz::kPreloadKey), (std::vector<std::string>{"1=00000407"}));
  EXPECT_TRUE(sim::RegistryTexts(fuzz::kSubstitutesKey).empty());
  ResetProgramState();
}

}  // namespace
