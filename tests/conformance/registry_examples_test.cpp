// The four worked examples of the Preload/Substitutes rewrite, run through
// the program's own scan and rewrite against the registry: the simulated one
// and, redirected into a scratch key, the real one.  Both must give the
// results the examples state.
#include <string>
#include <vector>

#include "conformance/registry_roots.h"
#include "conformance/registry_scratch.h"
#include "layouts/layout_lists_writer.h"
#include "layouts/layout_removal.h"
#include "layouts/layout_scan.h"
#include "layouts/layouts_state.h"
#include "shell/shell_state.h"
#include "uninstall/uninstall_state.h"

namespace conformance {
namespace {

using Texts = std::vector<std::pair<std::string, std::string>>;

const char kPreload[] = "Keyboard Layout\\Preload";
const char kSubstitutes[] = "Keyboard Layout\\Substitutes";
const char kLayoutKey[] = "System\\CurrentControlSet\\Control\\Keyboard Layouts\\a0010407";

struct Example {
  const char* name;
  Texts preload;
  Texts substitutes;
  Texts preloadAfter;  // in the order written
  Texts substitutesAfter;
};

void PrintTo(const Example& e, std::ostream* os) { *os << e.name; }

class RegistryExamplesTest : public RegistryScratchTest, public testing::WithParamInterface<Example> {
 protected:
  void SetUp() override {
    RegistryScratchTest::SetUp();
    if (HasFatalFailure()) return;
    realPreload_ = ReadTextValues(win::kHKeyCurrentUser, kPreload);
    std::string failure;
    redirected_ = RedirectRoots(scratch_, &failure);
    ASSERT_TRUE(redirected_) << failure;
  }
  void TearDown() override {
    if (redirected_) RestoreRoots();
    // On Windows the user's own list is as it was: everything went to the
    // scratch key.  (The simulated registry has no list of its own.)
    if (!OnSim()) {
      EXPECT_EQ(realPreload_, ReadTextValues(win::kHKeyCurrentUser, kPreload));
    }
    RegistryScratchTest::TearDown();
  }
  bool redirected_ = false;
  Texts realPreload_;
};

TEST_P(RegistryExamplesTest, GiveTheDocumentedLists) {
  const Example& e = GetParam();
  Shell = ShellState{};
  Uninstall = UninstallState{};
  Layouts = LayoutsState{};
  ASSERT_TRUE(CreateKeyWithTexts(win::kHKeyCurrentUser, kPreload, e.preload));
  ASSERT_TRUE(CreateKeyWithTexts(win::kHKeyCurrentUser, kSubstitutes, e.substitutes));
  ASSERT_TRUE(CreateKeyWithTexts(win::kHKeyLocalMachine, kLayoutKey, {{"Layout File", "Oskaldrv.DLL"}}));
  CopyText(Uninstall.LayoutKeyName, kMaxPath, "a0010407");

  ASSERT_TRUE(ScanLayouts()) << Layouts.RegistryProblemText;
  EXPECT_EQ(0, Layouts.LayoutIndex);
  EXPECT_EQ(static_cast<int32_t>(e.preload.size()), Layouts.PreloadCount);
  RemoveLayoutFromLists();
  EXPECT_TRUE(WriteLayoutLists()) << Layouts.RegistryProblemText;
  EXPECT_STREQ("", Layouts.RegistryProblemText);

  EXPECT_EQ(e.preloadAfter, ReadTextValues(win::kHKeyCurrentUser, kPreload));
  EXPECT_EQ(e.substitutesAfter, ReadTextValues(win::kHKeyCurrentUser, kSubstitutes));
  if (!OnSim()) {
    // Proof that the redirection held: the lists are in the scratch key.
    RestoreRoots();
    redirected_ = false;
    EXPECT_EQ(e.preloadAfter, ReadTextValues(win::kHKeyCurrentUser, scratch_ + "\\User\\" + kPreload));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Worked, RegistryExamplesTest,
    testing::Values(Example{"OnlySubstitutionGoes",
                            {{"1", "00000407"}, {"2", "d0010407"}},
                            {{"d0010407", "a0010407"}},
                            {{"1", "00000407"}},
                            {}},
                    Example{"RemovedFirstStandardMovesUp",
                            {{"1", "d0010407"}, {"2", "00000407"}, {"3", "d0020407"}},
                            {{"d0010407", "a0010407"}, {"d0020407", "a0020409"}},
                            {{"1", "00000407"}, {"2", "d0010407"}},
                            {{"d0010407", "a0020409"}}},
                    Example{"NeighbourInheritsTheStandardName",
                            {{"1", "00000407"}, {"2", "d0010407"}},
                            {{"00000407", "a0010407"}, {"d0010407", "a0020407"}},
                            {{"1", "00000407"}},
                            {{"00000407", "a0020407"}}},
                    Example{"LastStandardKeepsItsName",
                            {{"1", "00000407"}, {"2", "00000409"}, {"3", "d0010407"}},
                            {{"00000407", "a0020407"}, {"00000409", "a0030409"}, {"d0010407", "a0010407"}},
                            {{"1", "d0010407"}, {"2", "00000409"}},
                            {{"00000409", "a0030409"}, {"d0010407", "a0020407"}}}),
    [](const testing::TestParamInfo<Example>& p) { return p.param.name; });

}  // namespace
}  // namespace conformance
