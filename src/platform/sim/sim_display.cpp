// The simulated display: device contexts, palettes, cursors and message
// boxes, each recorded for the test to read back.
#include <cstring>

#include "platform/sim/sim_faults.h"
#include "platform/sim/sim_state.h"

namespace sim {

void ScriptAnswers(const std::vector<int>& answers) {
  Machine().answers = answers;
  Machine().nextAnswer = 0;
}
const std::vector<MessageBoxRecord>& MessageBoxes() { return Machine().boxes; }
int UnansweredQuestions() { return Machine().unansweredQuestions; }
const std::vector<DeviceContextRecord>& DeviceContexts() { return Machine().dcs; }
const std::vector<PaletteRecord>& Palettes() { return Machine().palettes; }
const std::vector<PaletteSelection>& PaletteSelections() { return Machine().selections; }
win::HPalette DefaultPalette() { return MakeHandle<win::HPalette>(kPaletteBase, 0xFFFF); }
win::HCursor SystemCursor(int id) { return MakeHandle<win::HCursor>(kCursorBase, static_cast<size_t>(id)); }
const std::vector<int>& LoadedCursorIds() { return Machine().loadedCursors; }
win::HCursor CurrentCursor() { return Machine().process.currentCursor; }

namespace {

DeviceContextRecord* FindDc(win::HDc dc) {
  for (DeviceContextRecord& record : Machine().dcs)
    if (record.handle == dc && !record.deleted) return &record;
  return nullptr;
}

PaletteRecord* FindPalette(win::HPalette palette) {
  for (PaletteRecord& record : Machine().palettes)
    if (record.handle == palette && !record.deleted) return &record;
  return nullptr;
}

}  // namespace
}  // namespace sim

namespace win {

int MessageBoxA(HWnd owner, const char* text, const char* caption, uint32_t type) {
  SIM_FAULT_POINT("MessageBoxA", 0);
  sim::MachineState& m = sim::Machine();
  int result = 0;
  if (m.nextAnswer < m.answers.size()) {
    result = m.answers[m.nextAnswer++];
  } else if ((type & 0xF) == kMbOk) {
    result = kIdOk;
  } else if (sim::StandingAnswer() != 0) {
    result = sim::StandingAnswer();
  } else {
    ++m.unansweredQuestions;
    SetLastError(kErrorInvalidParameter);
  }
  m.boxes.push_back(sim::MessageBoxRecord{owner, caption ? caption : "Fehler", text ? text : "", type, result});
  return result;
}

HCursor LoadCursorA(HInstance instance, const char* cursorName) {
  SIM_FAULT_POINT("LoadCursorA", nullptr);
  uintptr_t id = reinterpret_cast<uintptr_t>(cursorName);
  if (instance != nullptr || id > 0xFFFF) sim::NotModelled("LoadCursorA of a cursor resource");
  sim::RecordCall("LoadCursorA " + std::to_string(id));
  sim::Machine().loadedCursors.push_back(static_cast<int>(id));
  return sim::SystemCursor(static_cast<int>(id));
}

HCursor SetCursor(HCursor cursor) {
  HCursor previous = sim::Machine().process.currentCursor;
  sim::Machine().process.currentCursor = cursor;
  return previous;
}

HDc CreateDCA(const char* driver, const char* device, const char* output, const void* initData) {
  SIM_FAULT_POINT("CreateDCA", nullptr);
  if (driver == nullptr || std::strcmp(driver, "DISPLAY") != 0 || device || output || initData)
    sim::NotModelled("CreateDCA of anything but the whole display");
  sim::RecordCall("CreateDCA");
  sim::MachineState& m = sim::Machine();
  HDc handle = sim::MakeHandle<HDc>(sim::kDcBase, m.dcs.size() + 1);
  m.dcs.push_back(sim::DeviceContextRecord{handle, driver, false, kMmText, sim::DefaultPalette(), 0});
  return handle;
}

Bool DeleteDC(HDc dc) {
  sim::DeviceContextRecord* record = sim::FindDc(dc);
  if (record == nullptr) {
    SetLastError(kErrorInvalidHandle);
    return 0;
  }
  record->deleted = true;
  return 1;
}

int SetMapMode(HDc dc, int mode) {
  sim::DeviceContextRecord* record = sim::FindDc(dc);
  if (record == nullptr) return 0;
  int previous = record->mapMode;
  record->mapMode = mode;
  return previous;
}

int GetDeviceCaps(HDc dc, int index) {
  if (sim::FindDc(dc) == nullptr) return 0;
  const sim::MachineState& m = sim::Machine();
  switch (index) {
    case kHorzRes:
      return m.displayWidth;
    case kVertRes:
      return m.displayHeight;
    case kBitsPixel:
      return m.displayBitsPerPixel;
    case kPlanes:
      return m.displayPlanes;
    default:
      sim::NotModelled("GetDeviceCaps of this index");
  }
}

HPalette CreatePalette(const LogPalette256* palette) {
  SIM_FAULT_POINT("CreatePalette", nullptr);
  if (palette == nullptr || palette->palVersion != 0x300 || palette->palNumEntries == 0 ||
      palette->palNumEntries > 256) {
    SetLastError(kErrorInvalidParameter);
    return nullptr;
  }
  sim::MachineState& m = sim::Machine();
  HPalette handle = sim::MakeHandle<HPalette>(sim::kPaletteBase, m.palettes.size() + 1);
  sim::PaletteRecord record{handle, {}, palette->palVersion, false};
  record.entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
  m.palettes.push_back(record);
  return handle;
}

HPalette SelectPalette(HDc dc, HPalette palette, Bool forceBackground) {
  SIM_FAULT_POINT("SelectPalette", nullptr);
  sim::DeviceContextRecord* record = sim::FindDc(dc);
  if (record == nullptr || (palette != sim::DefaultPalette() && sim::FindPalette(palette) == nullptr)) return nullptr;
  sim::Machine().selections.push_back(sim::PaletteSelection{dc, palette, forceBackground != 0});
  HPalette previous = record->selectedPalette;
  record->selectedPalette = palette;
  return previous;
}

uint32_t RealizePalette(HDc dc) {
  SIM_FAULT_POINT("RealizePalette", 0xFFFFFFFFu);
  sim::DeviceContextRecord* record = sim::FindDc(dc);
  if (record == nullptr) return 0xFFFFFFFF;  // GDI_ERROR
  ++record->realizeCount;
  return 0;
}

Bool DeleteObject(HGdiObj object) {
  sim::PaletteRecord* record = sim::FindPalette(static_cast<HPalette>(object));
  if (record == nullptr) return 0;
  record->deleted = true;
  return 1;
}

}  // namespace win
