// Invariants of the rewrite over generated registries.
//
// A seeded generator makes plausible user lists (1 to 100 Preload entries of
// standard keys, substitution keys and plain layout keys, with duplicates,
// names that are not plain numbers or out of range, and the layout
// substituted 0, 1 or 2 times) and a catalogue.  After scan, removal and
// rewrite the written lists are checked against a model computed here from
// the input alone.  Every case runs from its own seed; a failure prints it.
// LAYOUTS_INVARIANT_SEED and LAYOUTS_INVARIANT_CASES choose the first seed
// and the number of cases.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "layouts/layout_lists_writer.h"
#include "layouts/layout_removal.h"
#include "layouts/layout_scan.h"
#include "layouts_fixture.h"

namespace {

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

bool IsStandard(const std::string& key) { return key.size() == 8 && key.compare(0, 5, "00000") == 0; }

// ------------------------------------------------------------ generator ---

struct Input {
  std::string layout;
  TextValues preload;
  TextValues substitutes;
  std::vector<std::string> catalogue;
};

class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}

  Input Make() {
    Input in;
    in.layout = Hex(3) + "10407";
    if (in.layout == "00010407") in.layout = "a0010407";
    if (Chance(10)) in.layout[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(in.layout[0])));

    // The shape of the lists: general; every entry substituted (where a
    // standard name may be kept); or a few entries with odd names.
    int shape = Pick(100);
    bool allSubstituted = shape >= 60 && shape < 85;
    bool fewOdd = shape >= 85;

    // Substitution names and where they lead; the layout through 0, 1 or 2 of them.
    int layoutTimes = (Pick(5) + 1) / 2;  // 0, 1, 1, 2, 2 of five
    std::vector<std::string> substitutionNames;
    std::map<std::string, std::string> leadsTo;
    int names = 1 + Pick(allSubstituted ? 12 : 40);
    std::set<std::string> distinct;
    for (int i = 0; i < names; ++i) {
      std::string name = Chance(allSubstituted ? 40 : 15) ? StandardKey() : SubstitutionName(1 + Pick(60));
      if (Chance(5)) name = Upper(name);
      if (!distinct.insert(Upper(name)).second) continue;
      substitutionNames.push_back(name);
      leadsTo[name] = Chance(5) ? StandardKey() : OtherLayout(in.layout);
    }
    for (int i = 0; i < layoutTimes; ++i) {
      std::string name = substitutionNames[Pick(static_cast<int>(substitutionNames.size()))];
      leadsTo[name] = Chance(20) ? Upper(in.layout) : in.layout;
    }

    int count = allSubstituted ? static_cast<int>(substitutionNames.size()) : 1 + Pick(fewOdd ? 4 : 100);
    std::set<std::string> usedNames;
    for (int i = 0; i < count; ++i) {
      std::string data;
      int kind = Pick(10);
      if (allSubstituted)
        data = substitutionNames[i];  // each once, so that each gets its substitute
      else if (kind < 2)
        data = StandardKey();
      else if (kind < 7)
        data = substitutionNames[Pick(static_cast<int>(substitutionNames.size()))];
      else if (kind < 9 || !Chance(30))
        data = OtherLayout(in.layout);
      else
        data = in.layout;  // the layout named directly
      std::string name = fewOdd && Chance(60) ? OddName() : ValueName(i + 1, count);
      if (!usedNames.insert(Upper(name)).second) continue;  // names are unique in a key
      in.preload.emplace_back(name, data);
    }
    if (allSubstituted) std::shuffle(in.preload.begin(), in.preload.end(), random_);

    std::set<std::string> usedSubstitutes;
    for (const auto& lead : leadsTo) {
      if (!allSubstituted && Chance(10)) continue;  // a substitution key without its value
      if (usedSubstitutes.insert(Upper(lead.first)).second) in.substitutes.emplace_back(lead.first, lead.second);
    }
    for (int i = Pick(4); i > 0; --i) {  // substitutions no entry names
      std::string name = SubstitutionName(0x100 + Pick(50));
      if (usedSubstitutes.insert(Upper(name)).second) in.substitutes.emplace_back(name, OtherLayout(in.layout));
    }
    std::shuffle(in.substitutes.begin(), in.substitutes.end(), random_);

    in.catalogue = {"00000407", OtherLayout(in.layout)};
    if (Chance(80)) in.catalogue.push_back(in.layout);
    return in;
  }

 private:
  int Pick(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }
  bool Chance(int percent) { return Pick(100) < percent; }

  // "d" and three hexadecimal digits before the language: a fresh-looking
  // substitution name.
  std::string SubstitutionName(int number) {
    char text[32];
    std::snprintf(text, sizeof text, "d%03x0407", number);
    return text;
  }

  std::string Hex(int digits) {
    std::string text;
    for (int i = 0; i < digits; ++i) text += "0123456789abcdef"[Pick(16)];
    return text;
  }

  std::string StandardKey() {
    static const char* const keys[] = {"00000407", "00000409", "00000807", "00000c07", "0000040c", "00000410"};
    return keys[Pick(6)];
  }

  std::string OtherLayout(const std::string& layout) {
    static const char* const languages[] = {"0407", "0409", "0807", "0c07", "040c"};
    std::string key;
    do key = Hex(4) + languages[Pick(5)];
    while (Upper(key) == Upper(layout) || IsStandard(key));
    return key;
  }

  // Mostly the position; sometimes another number, or not a plain number.
  std::string ValueName(int position, int count) {
    int kind = Pick(100);
    if (kind < 70) return std::to_string(position);
    if (kind < 78) return std::to_string(1 + Pick(count + 5));
    return OddName();
  }

  std::string OddName() {
    static const char* const odd[] = {"0",   "01",  " 2",  "x",  "abc", "1a",          "-1",
                                      "201", "202", "250", "-0", "",    "99999999999", "2 "};
    return odd[Pick(14)];
  }

  std::mt19937 random_;
};

// ---------------------------------------------------------------- model ---

// The value of a name by the documented rule, written apart from the program.
int64_t NameValue(const std::string& name) {
  size_t at = name.find_first_not_of(' ');
  if (at == std::string::npos) return 0;
  bool negative = name[at] == '-';
  std::string digits;
  for (size_t i = at + (negative ? 1 : 0); i < name.size(); ++i)
    if (name[i] >= '0' && name[i] <= '9') digits += name[i];
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  int64_t value = digits.size() > 10 ? (int64_t{1} << 31) : (digits.empty() ? 0 : std::stoll(digits));
  value = std::min<int64_t>(value, int64_t{1} << 31);
  value = negative ? -value : std::min<int64_t>(value, (int64_t{1} << 31) - 1);
  return value;
}

struct ModelEntry {
  std::string name, data;
  bool substituted = false;
  std::string substitute;
  int64_t order = 0;
  bool standard = false;
  size_t index = 0;
  std::string Effective() const { return substituted ? substitute : data; }
};

struct Model {
  std::vector<ModelEntry> entries;
  int removed = -1;
  std::vector<ModelEntry> survivors;  // in their new order
};

Model Predict(const Input& in) {
  Model m;
  for (size_t i = 0; i < in.preload.size(); ++i) {
    ModelEntry e;
    e.name = in.preload[i].first;
    e.data = in.preload[i].second;
    e.index = i;
    m.entries.push_back(e);
  }
  for (const auto& s : in.substitutes) {
    for (ModelEntry& e : m.entries) {
      if (e.data != s.first) continue;
      e.substituted = true;
      e.substitute = s.second;
      break;
    }
  }
  for (size_t i = 0; i < m.entries.size(); ++i)
    if (m.entries[i].substituted && Upper(m.entries[i].substitute) == Upper(in.layout)) m.removed = static_cast<int>(i);
  if (m.removed < 0) return m;
  for (ModelEntry& e : m.entries) {
    e.order = NameValue(e.name);
    e.standard = IsStandard(e.data) || (e.substituted && IsStandard(e.substitute));
    if (!e.standard && std::to_string(e.order) != e.name) e.order = 200;
  }
  if (m.entries[m.removed].order == 1) {
    int next = 1;
    for (ModelEntry& e : m.entries)
      if (e.standard) e.order = next++;
  }
  for (const ModelEntry& e : m.entries)
    if (static_cast<int>(e.index) != m.removed && e.order >= 0 && e.order <= 201) m.survivors.push_back(e);
  std::stable_sort(m.survivors.begin(), m.survivors.end(),
                   [](const ModelEntry& a, const ModelEntry& b) { return a.order < b.order; });
  return m;
}

// ---------------------------------------------------------------- check ---

struct Tally {
  int cases = 0, notInPreload = 0, nothingLeft = 0, rewritten = 0, duplicates = 0, captured = 0, keptStandard = 0;
};

void Load(const Input& in) {
  sim::CreateRegistryKey(kPreloadKey);
  sim::CreateRegistryKey(kSubstitutesKey);
  for (const auto& v : in.preload) sim::SetRegistryText(kPreloadKey, v.first, v.second);
  for (const auto& v : in.substitutes) sim::SetRegistryText(kSubstitutesKey, v.first, v.second);
  for (const std::string& key : in.catalogue)
    sim::SetRegistryText(std::string(kCatalogueKey) + "\\" + key, "Layout File", "x.dll");
}

std::string Describe(const Input& in) {
  std::string text = "layout " + in.layout + "\nPreload:";
  for (const auto& v : in.preload) text += " [" + v.first + "]=" + v.second;
  text += "\nSubstitutes:";
  for (const auto& v : in.substitutes) text += " " + v.first + "->" + v.second;
  return text;
}

void CheckOneCase(uint32_t seed, Tally* tally) {
  Input in = Generator(seed).Make();
  sim::ResetMachine();
  ResetProgramState();
  Load(in);
  CopyText(Uninstall.LayoutKeyName, kMaxPath, in.layout.c_str());
  SCOPED_TRACE("seed " + std::to_string(seed) + " (LAYOUTS_INVARIANT_SEED=" + std::to_string(seed) +
               " LAYOUTS_INVARIANT_CASES=1)\n" + Describe(in));
  Model model = Predict(in);
  ++tally->cases;

  ASSERT_TRUE(ScanLayouts()) << Layouts.RegistryProblemText;
  ASSERT_EQ(Layouts.PreloadCount, static_cast<int32_t>(in.preload.size()));
  std::string before = sim::DumpRegistry();
  sim::ClearRegistryChanges();
  RemoveLayoutFromLists();
  bool result = WriteLayoutLists();
  EXPECT_EQ(sim::OpenRegistryHandles(), 0);

  if (model.removed < 0) {
    ++tally->notInPreload;
    EXPECT_TRUE(Layouts.LayoutNotInPreload);
    EXPECT_TRUE(result);
    EXPECT_EQ(sim::DumpRegistry(), before);
    return;
  }
  if (model.survivors.empty()) {
    ++tally->nothingLeft;
    EXPECT_FALSE(result);
    EXPECT_STREQ(Layouts.RegistryProblemText, "INTERNER FEHLER: newpreloadcount ist 0!");
    EXPECT_EQ(sim::DumpRegistry(), before);
    return;
  }
  ++tally->rewritten;
  EXPECT_TRUE(result);
  EXPECT_STREQ(Layouts.RegistryProblemText, "");

  // Preload value names are 1..n, each once.
  TextValues preload = ReadTexts(kPreloadKey);
  TextValues substitutes = ReadTexts(kSubstitutesKey);
  size_t n = model.survivors.size();
  ASSERT_EQ(preload.size(), n);
  std::map<int, std::string> byPosition;
  for (const auto& v : preload) {
    int position = std::atoi(v.first.c_str());
    ASSERT_EQ(v.first, std::to_string(position));
    ASSERT_GE(position, 1);
    ASSERT_LE(position, static_cast<int>(n));
    ASSERT_TRUE(byPosition.emplace(position, v.second).second) << "value " << v.first << " twice";
  }

  // Substitution names are unique, one per substituted survivor.
  std::map<std::string, std::string> leadsTo;  // upper-cased name to data
  for (const auto& v : substitutes) ASSERT_TRUE(leadsTo.emplace(Upper(v.first), v.second).second) << v.first;
  size_t substituted =
      std::count_if(model.survivors.begin(), model.survivors.end(), [](const ModelEntry& e) { return e.substituted; });
  EXPECT_EQ(substitutes.size(), substituted);

  // Each position holds its survivor: a substituted one names a written
  // substitution used by no other substituted survivor; a plain one keeps
  // its data.
  std::map<std::string, int> uses;
  for (size_t i = 0; i < n; ++i) {
    const ModelEntry& e = model.survivors[i];
    const std::string& data = byPosition[static_cast<int>(i + 1)];
    SCOPED_TRACE("position " + std::to_string(i + 1) + " from value [" + e.name + "]=" + e.data);
    if (e.substituted) {
      auto found = leadsTo.find(Upper(data));
      ASSERT_NE(found, leadsTo.end()) << data << " names no written substitution";
      EXPECT_EQ(found->second, e.substitute);
      EXPECT_EQ(++uses[Upper(data)], 1) << data << " used twice";
      if (IsStandard(data)) ++tally->keptStandard;
    } else {
      EXPECT_EQ(data, e.data);
      // Documented: a plain entry whose data is a substitution name now
      // names whatever was given that name.
      if (leadsTo.count(Upper(data))) ++tally->captured;
    }
  }

  // The layout stays referenced only by an earlier entry substituted by it
  // (the documented duplicate case) or by an entry naming it directly.
  for (const ModelEntry& e : model.survivors) {
    if (Upper(e.Effective()) != Upper(in.layout)) continue;
    if (e.substituted) {
      EXPECT_LT(static_cast<int>(e.index), model.removed);
      ++tally->duplicates;
    } else {
      EXPECT_EQ(Upper(e.data), Upper(in.layout));
    }
  }

  // Written in order: Preload's plain values, then its substituted ones,
  // then the standard substitution names, then the fresh ones.
  std::vector<std::string> order;
  for (const sim::RegistryChange& c : sim::RegistryChanges())
    if (c.kind == sim::RegistryChange::kSetValue) order.push_back((c.path == kPreloadKey ? "P" : "S") + c.name);
  std::vector<std::string> expected;
  for (int pass = 0; pass < 2; ++pass)
    for (size_t i = 0; i < n; ++i)
      if (model.survivors[i].substituted == (pass == 1)) expected.push_back("P" + std::to_string(i + 1));
  for (int pass = 0; pass < 2; ++pass)
    for (const auto& v : substitutes)
      if (IsStandard(v.first) == (pass == 0)) expected.push_back("S" + v.first);
  EXPECT_EQ(order, expected);
}

uint32_t FromEnvironment(const char* name, uint32_t fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10)) : fallback;
}

TEST(LayoutsInvariants, HoldOverGeneratedRegistries) {
  uint32_t first = FromEnvironment("LAYOUTS_INVARIANT_SEED", 20261211u);
  uint32_t count = FromEnvironment("LAYOUTS_INVARIANT_CASES", 3000u);
  Tally tally;
  for (uint32_t i = 0; i < count; ++i) {
    CheckOneCase(first + i, &tally);
    if (::testing::Test::HasFailure()) break;  // the first failing seed is enough
  }
  std::printf(
      "%d cases: %d rewritten, %d without the layout, %d with nothing left; %d kept standard names, "
      "%d earlier duplicates kept, %d plain entries naming a new substitution\n",
      tally.cases, tally.rewritten, tally.notInPreload, tally.nothingLeft, tally.keptStandard, tally.duplicates,
      tally.captured);
  // The generator must reach every branch the invariants speak of.
  if (count < 1000) return;
  EXPECT_GT(tally.rewritten, 0);
  EXPECT_GT(tally.notInPreload, 0);
  EXPECT_GT(tally.keptStandard, 0);
  EXPECT_GT(tally.duplicates, 0);
}

}  // namespace
