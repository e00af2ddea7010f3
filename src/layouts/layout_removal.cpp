#include "layouts/layout_removal.h"

#include <cstring>

#include "layouts/layout_names.h"
#include "layouts/layout_texts.h"
#include "layouts/layouts_state.h"
#include "shell/texts.h"
#include "uninstall/uninstall_state.h"

namespace {

constexpr int32_t kUnrankedOrder = 200;   // a name that is not a plain number
constexpr int32_t kLastTakenOrder = 201;  // entries ranked beyond drop out

struct ListPositions {
  int32_t removed = -1;       // last entry substituted by the layout
  int32_t lastStandard = -1;  // last entry whose own key is standard
  int32_t firstPlain = -1;    // first entry without substitute
};

ListPositions FindPositions() {
  ListPositions found;
  for (int32_t i = 0; i < Layouts.PreloadCount; ++i) {
    const PreloadEntry& entry = Layouts.PreloadList[i];
    if (entry.hassubstitute && SameTextIgnoringCase(entry.substitute, Uninstall.LayoutKeyName)) found.removed = i;
    if (IsStandardLayoutKey(entry.layoutkey)) found.lastStandard = i;
    if (!entry.hassubstitute && found.firstPlain < 0) found.firstPlain = i;
  }
  return found;
}

// Marks the standard entries and sends every other entry whose name is not a
// plain number to the back.  When the removed entry was the user's first
// layout, the standard entries take the first places.
void RankEntries(int32_t removed) {
  for (int32_t i = 0; i < Layouts.PreloadCount; ++i) {
    PreloadEntry& entry = Layouts.PreloadList[i];
    if (IsStandardLayoutKey(entry.layoutkey) || (entry.hassubstitute && IsStandardLayoutKey(entry.substitute)))
      entry.standard = true;
    else if (!entry.canonical)
      entry.order = kUnrankedOrder;
  }
  if (Layouts.PreloadList[removed].order != 1) return;
  int32_t next = 1;
  for (int32_t i = 0; i < Layouts.PreloadCount; ++i)
    if (Layouts.PreloadList[i].standard) Layouts.PreloadList[i].order = next++;
}

// Numbers the entries afresh in order of rank and names their substitutions.
// The keeper, if any, keeps the standard key name keptName.
void RenumberEntries(int32_t removed, int32_t keeper, const char* keptName) {
  int32_t newCount = 0;
  int32_t substitutesCount = 0;
  uint32_t counter = 1;
  for (int32_t order = 0; order <= kLastTakenOrder; ++order) {
    for (int32_t i = 0; i < Layouts.PreloadCount; ++i) {
      PreloadEntry& entry = Layouts.PreloadList[i];
      if (i == removed || entry.order != order) continue;
      entry.newindex = ++newCount;
      entry.hasnewlayoutkey = true;
      if (!entry.hassubstitute) {
        CopyText(entry.newlayoutkey, kRegistryTextSize, entry.layoutkey);
        continue;
      }
      if (i == keeper) {
        CopyText(entry.newlayoutkey, kRegistryTextSize, keptName);
      } else {
        FormatInto(entry.newlayoutkey, kRegistryTextSize, "d%03lx0407", counter);  // %lx: a 32-bit number
        ++counter;
      }
      ValuePair& pair = Layouts.NewSubstitutesList[substitutesCount++];
      CopyText(pair.name, kRegistryTextSize, entry.newlayoutkey);
      CopyText(pair.data, kRegistryTextSize, entry.substitute);
    }
  }
  Layouts.newpreloadcount = newCount;
  Layouts.newsubstitutescount = substitutesCount;
}

// The values to write: first the plain entries, then the substituted ones,
// each in their new order.
void FillNewPreloadList() {
  int32_t filled = 0;
  for (int pass = 0; pass < 2; ++pass) {
    bool substituted = pass == 1;
    for (int32_t index = 1; index <= Layouts.newpreloadcount; ++index) {
      for (int32_t i = 0; i < Layouts.PreloadCount; ++i) {
        const PreloadEntry& entry = Layouts.PreloadList[i];
        if (entry.newindex != index || entry.hassubstitute != substituted) continue;
        ValuePair& pair = Layouts.NewPreloadList[filled++];
        FormatInto(pair.name, kRegistryTextSize, "%d", index);
        CopyText(pair.data, kRegistryTextSize, entry.newlayoutkey);
      }
    }
  }
}

}  // namespace

void RemoveLayoutFromLists() {
  ListPositions at = FindPositions();
  if (at.removed < 0) {
    Layouts.LayoutNotInPreload = true;
    return;
  }
  // Every entry substituted: one of them keeps the last standard entry's
  // key as its substitution name instead of a fresh one.
  int32_t keeper = -1;
  char keptName[kRegistryTextSize] = {};
  if (at.firstPlain < 0 && at.lastStandard >= 0) {
    CopyText(keptName, kRegistryTextSize, Layouts.PreloadList[at.lastStandard].layoutkey);
    keeper = at.lastStandard;
    if (keeper == at.removed) keeper = at.removed > 0 ? at.removed - 1 : 1;
  }
  RankEntries(at.removed);
  RenumberEntries(at.removed, keeper, keptName);
  FillNewPreloadList();
}
