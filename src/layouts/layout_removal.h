// Takes the removed layout out of the user's lists, in memory: decides the
// new Preload order and the new substitution names.
#pragma once

// Reads LayoutKeyName and PreloadList (after a successful ScanLayouts).  Sets
// LayoutNotInPreload when no Preload entry has the layout as its substitute;
// otherwise fills the entries' standard, order, newindex and newlayoutkey and
// the tables NewPreloadList and NewSubstitutesList with their counts.
void RemoveLayoutFromLists();
