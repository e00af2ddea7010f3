// The simulated windows: classes, creation, showing, the paint cycle, the
// device contexts of windows, icons and stock objects.
#include "platform/sim/sim_windows.h"

#include <cstring>
#include <map>

#include "platform/sim/sim_faults.h"
#include "platform/sim/sim_state.h"

namespace sim {
namespace {

constexpr win::Dword kErrorClassAlreadyExists = 1410;
constexpr win::Dword kErrorCannotFindWndClass = 1407;
constexpr uint32_t kWmCreate = 0x0001;
constexpr uint32_t kWmShowWindow = 0x0018;
constexpr uint32_t kWmNcCreate = 0x0081;
constexpr win::Dword kWsVisible = 0x10000000;
constexpr win::Dword kWsCaption = 0x00C00000;
constexpr win::Dword kWsBorder = 0x00800000;
constexpr win::Dword kWsThickFrame = 0x00040000;
constexpr uint32_t kDtRight = 0x02;
constexpr uint32_t kDtNoClip = 0x100;
constexpr int kOpaque = 2;

constexpr uintptr_t kWindowBase = 0x00030000;
constexpr uintptr_t kSystemIconBase = 0x04000000;
constexpr uintptr_t kResourceIconBase = 0x04100000;
constexpr uintptr_t kStockBase = 0x05000000;

struct WindowsMachine {
  std::vector<WindowClassRecord> classes;
  std::vector<WindowRecord> windows;
  std::vector<WindowDcRecord> dcs;
  std::map<win::HDc, int> backgroundModes;
  std::vector<std::string> iconResources{"AAPROGRAMICON"};
  bool failCreate = false;
  win::Dword failCreateError = 0;
};

WindowsMachine& State() {
  static WindowsMachine state;
  return state;
}

bool SameName(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 0x20);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 0x20);
    if (x != y) return false;
  }
  return true;
}

bool IsResourceNumber(const char* name) { return reinterpret_cast<uintptr_t>(name) <= 0xFFFF; }

WindowRecord* FindWindowRecord(win::HWnd window) {
  for (WindowRecord& record : State().windows)
    if (record.handle == window) return &record;
  return nullptr;
}

WindowClassRecord* FindClass(const char* name) {
  for (WindowClassRecord& record : State().classes)
    if (SameName(record.name, name)) return &record;
  return nullptr;
}

WindowDcRecord* FindWindowDc(win::HDc dc) {
  for (WindowDcRecord& record : State().dcs)
    if (record.dc == dc) return &record;
  return nullptr;
}

bool DcValid(win::HDc dc) {
  for (const DeviceContextRecord& record : Machine().dcs)
    if (record.handle == dc && !record.deleted) return true;
  return false;
}

// The paint begun with this device context and not yet ended.
PaintRecord* OpenPaint(win::HDc dc) {
  for (WindowRecord& window : State().windows)
    for (PaintRecord& paint : window.paints)
      if (paint.dc == dc && !paint.ended) return &paint;
  return nullptr;
}

win::HDc NewWindowDc(win::HWnd window, bool fromBeginPaint) {
  MachineState& m = Machine();
  win::HDc handle = MakeHandle<win::HDc>(kDcBase, m.dcs.size() + 1);
  m.dcs.push_back(DeviceContextRecord{handle, "", false, win::kMmText, DefaultPalette(), 0});
  State().dcs.push_back(WindowDcRecord{handle, window, fromBeginPaint, false, 0});
  return handle;
}

void ReleaseWindowDc(win::HDc dc) {
  for (DeviceContextRecord& record : Machine().dcs)
    if (record.handle == dc) record.deleted = true;
  WindowDcRecord* record = FindWindowDc(dc);
  if (record != nullptr) record->released = true;
}

win::Rect ClientRect(const WindowRecord& window) {
  int frame = (window.style & kWsThickFrame) ? kFrameWidth : ((window.style & kWsBorder) ? 1 : 0);
  int caption = (window.style & kWsCaption) == kWsCaption ? kCaptionHeight : 0;
  int width = window.width - 2 * frame;
  int height = window.height - 2 * frame - caption;
  return win::Rect{0, 0, width > 0 ? width : 0, height > 0 ? height : 0};
}

void MarkForPaint(WindowRecord& window, bool erase) {
  window.paintPending = true;
  window.erasePending = window.erasePending || erase;
}

bool PaletteDisplay() { return Machine().displayBitsPerPixel * Machine().displayPlanes <= 8; }

std::string VisibleText(const std::string& text, const win::Rect& rect, uint32_t format) {
  int width = rect.right - rect.left;
  int textWidth = static_cast<int>(text.size()) * kCharWidth;
  int left = rect.left;
  if (format & win::kDtCenter)
    left = rect.left + (width - textWidth) / 2;
  else if (format & kDtRight)
    left = rect.right - textWidth;
  std::string visible;
  for (size_t i = 0; i < text.size(); ++i) {
    int x = left + static_cast<int>(i) * kCharWidth;
    if ((format & kDtNoClip) || (x >= rect.left && x + kCharWidth <= rect.right)) visible += text[i];
  }
  return visible;
}

}  // namespace

void ResetWindows() { State() = WindowsMachine{}; }

void StartWindowsProcess() {
  State().classes.clear();
  State().windows.clear();
  State().dcs.clear();
  State().backgroundModes.clear();
}

const std::vector<WindowClassRecord>& WindowClasses() { return State().classes; }
const std::vector<WindowRecord>& Windows() { return State().windows; }
const std::vector<WindowDcRecord>& WindowDcs() { return State().dcs; }

const WindowRecord& WindowOf(win::HWnd window) {
  WindowRecord* record = FindWindowRecord(window);
  if (record == nullptr) NotModelled("WindowOf a window the process did not create");
  return *record;
}

win::LResult SendToWindow(win::HWnd window, uint32_t message, win::WParam wParam, win::LParam lParam) {
  WindowRecord* record = FindWindowRecord(window);
  if (record == nullptr) NotModelled("SendToWindow to a window the process did not create");
  record->sentMessages.push_back(message);
  WindowClassRecord* windowClass = FindClass(record->className.c_str());
  return windowClass->fields.lpfnWndProc(window, message, wParam, lParam);
}

int BackgroundMode(win::HDc dc) {
  auto found = State().backgroundModes.find(dc);
  return found == State().backgroundModes.end() ? kOpaque : found->second;
}

win::HIcon SystemIcon(int id) { return MakeHandle<win::HIcon>(kSystemIconBase, static_cast<size_t>(id)); }

win::HIcon ResourceIcon(const std::string& name) {
  for (size_t i = 0; i < State().iconResources.size(); ++i)
    if (SameName(State().iconResources[i], name.c_str())) return MakeHandle<win::HIcon>(kResourceIconBase, i + 1);
  return nullptr;
}

void SetIconResources(const std::vector<std::string>& names) { State().iconResources = names; }

win::HGdiObj StockObject(int index) {
  return reinterpret_cast<win::HGdiObj>(kStockBase + static_cast<uintptr_t>(index));
}

void FailNextCreateWindow(win::Dword error) {
  State().failCreate = true;
  State().failCreateError = error;
}

}  // namespace sim

namespace win {

HIcon LoadIconA(HInstance instance, const char* iconName) {
  SIM_FAULT_POINT("LoadIconA", nullptr);
  if (instance == nullptr) {
    if (!sim::IsResourceNumber(iconName)) sim::NotModelled("LoadIconA of a system icon by name");
    return sim::SystemIcon(static_cast<int>(reinterpret_cast<uintptr_t>(iconName)));
  }
  if (instance != sim::ProcessInstance()) sim::NotModelled("LoadIconA of another module");
  if (sim::IsResourceNumber(iconName)) sim::NotModelled("LoadIconA of an icon resource by number");
  HIcon icon = sim::ResourceIcon(iconName);
  if (icon == nullptr) SetLastError(kErrorResourceNameNotFound);
  return icon;
}

uint16_t RegisterClassExA(const WndClassExA* windowClass) {
  SIM_FAULT_POINT("RegisterClassExA", static_cast<uint16_t>(0));
  if (windowClass == nullptr || windowClass->cbSize != sizeof(WndClassExA) || windowClass->lpszClassName == nullptr ||
      windowClass->lpfnWndProc == nullptr) {
    SetLastError(kErrorInvalidParameter);
    return 0;
  }
  if (sim::IsResourceNumber(windowClass->lpszClassName)) sim::NotModelled("RegisterClassExA with an atom as name");
  if (sim::FindClass(windowClass->lpszClassName) != nullptr) {
    SetLastError(sim::kErrorClassAlreadyExists);
    return 0;
  }
  sim::WindowsMachine& s = sim::State();
  uint16_t atom = static_cast<uint16_t>(0xC000 + s.classes.size());
  s.classes.push_back(sim::WindowClassRecord{windowClass->lpszClassName, *windowClass, atom});
  s.classes.back().fields.lpszClassName = nullptr;  // the caller's text may not outlive the call
  s.classes.back().fields.lpszMenuName = nullptr;
  return atom;
}

HWnd CreateWindowExA(Dword exStyle, const char* className, const char* windowName, Dword style, int x, int y, int width,
                     int height, HWnd parent, void* menu, HInstance instance, void* param) {
  SIM_FAULT_POINT("CreateWindowExA", nullptr);
  sim::WindowsMachine& s = sim::State();
  if (s.failCreate) {
    s.failCreate = false;
    SetLastError(s.failCreateError);
    return nullptr;
  }
  if (className == nullptr || sim::IsResourceNumber(className)) sim::NotModelled("CreateWindowExA with an atom");
  if (menu != nullptr || param != nullptr) sim::NotModelled("CreateWindowExA with a menu or creation data");
  if (x == static_cast<int>(0x80000000u) || width == static_cast<int>(0x80000000u))
    sim::NotModelled("CreateWindowExA with CW_USEDEFAULT");
  sim::WindowClassRecord* windowClass = sim::FindClass(className);
  if (windowClass == nullptr) {
    SetLastError(sim::kErrorCannotFindWndClass);
    return nullptr;
  }
  HWnd handle = sim::MakeHandle<HWnd>(sim::kWindowBase, 2 * (s.windows.size() + 1));
  sim::WindowRecord record{handle,
                           windowClass->name,
                           windowName ? windowName : "",
                           exStyle,
                           style,
                           x,
                           y,
                           width,
                           height,
                           parent,
                           instance,
                           false,
                           {},
                           false,
                           false,
                           false,
                           0,
                           {},
                           {},
                           {},
                           {}};
  s.windows.push_back(record);
  // The messages of creation, without their CREATESTRUCT.
  if (sim::SendToWindow(handle, sim::kWmNcCreate, 0, 0) == 0 || sim::SendToWindow(handle, sim::kWmCreate, 0, 0) == -1) {
    s.windows.pop_back();
    return nullptr;
  }
  if (style & sim::kWsVisible) ShowWindow(handle, kSwShowNormal);
  return handle;
}

Bool ShowWindow(HWnd window, int showCommand) {
  sim::WindowRecord* record = sim::FindWindowRecord(window);
  if (record == nullptr) {
    SetLastError(kErrorInvalidWindowHandle);
    return 0;
  }
  record->showCommands.push_back(showCommand);
  bool wasVisible = record->visible;
  bool show = showCommand != kSwHide;
  if (show && !wasVisible) {
    record->visible = true;
    sim::SendToWindow(window, sim::kWmShowWindow, 1, 0);
    // The new area is erased at once; the paint waits for UpdateWindow.
    HDc dc = GetDC(window);
    bool erased = sim::SendToWindow(window, kWmEraseBkgnd, reinterpret_cast<WParam>(dc), 0) != 0;
    ReleaseDC(window, dc);
    record = sim::FindWindowRecord(window);
    sim::MarkForPaint(*record, false);
    record->backgroundLeft = !erased;
  } else if (!show && wasVisible) {
    record->visible = false;
    sim::SendToWindow(window, sim::kWmShowWindow, 0, 0);
  }
  return wasVisible ? 1 : 0;
}

Bool UpdateWindow(HWnd window) {
  SIM_FAULT_POINT("UpdateWindow", 0);
  sim::WindowRecord* record = sim::FindWindowRecord(window);
  if (record == nullptr) {
    SetLastError(kErrorInvalidWindowHandle);
    return 0;
  }
  if (record->visible && record->paintPending) sim::SendToWindow(window, kWmPaint, 0, 0);
  return 1;
}

// Any rectangle marks the whole window: the program only ever asks for it.
Bool InvalidateRect(HWnd window, const Rect*, Bool erase) {
  if (window == nullptr) sim::NotModelled("InvalidateRect of all windows");
  sim::WindowRecord* record = sim::FindWindowRecord(window);
  if (record == nullptr) {
    SetLastError(kErrorInvalidWindowHandle);
    return 0;
  }
  ++record->invalidations;
  if (record->visible) sim::MarkForPaint(*record, erase != 0);
  return 1;
}

HDc BeginPaint(HWnd window, PaintStruct* paint) {
  SIM_FAULT_POINT("BeginPaint", nullptr);
  sim::WindowRecord* record = sim::FindWindowRecord(window);
  if (record == nullptr || paint == nullptr) {
    SetLastError(kErrorInvalidWindowHandle);
    return nullptr;
  }
  HDc dc = sim::NewWindowDc(window, true);
  bool erase = record->erasePending;
  bool left = record->backgroundLeft;
  record->paintPending = false;
  record->erasePending = false;
  record->backgroundLeft = false;
  record->paints.push_back(sim::PaintRecord{dc, erase, nullptr, false, {}, false});
  if (erase) left = sim::SendToWindow(window, kWmEraseBkgnd, reinterpret_cast<WParam>(dc), 0) == 0;
  record = sim::FindWindowRecord(window);
  *paint = PaintStruct{};
  paint->hdc = dc;
  paint->fErase = left ? 1 : 0;
  paint->rcPaint = sim::ClientRect(*record);
  record->paints.back().fErase = left;
  return dc;
}

Bool EndPaint(HWnd window, const PaintStruct* paint) {
  if (paint == nullptr || sim::FindWindowRecord(window) == nullptr) return 1;
  sim::PaintRecord* open = sim::OpenPaint(paint->hdc);
  if (open != nullptr) open->ended = true;
  sim::ReleaseWindowDc(paint->hdc);
  return 1;
}

Bool GetClientRect(HWnd window, Rect* rect) {
  SIM_FAULT_POINT("GetClientRect", 0);
  sim::WindowRecord* record = sim::FindWindowRecord(window);
  if (record == nullptr) {
    SetLastError(kErrorInvalidWindowHandle);
    return 0;
  }
  *rect = sim::ClientRect(*record);
  return 1;
}

// Returns the height drawn; with DT_VCENTER the offset of the text's bottom
// from the rectangle's top, except for an empty text, which gives the
// line's height alone.
int DrawTextA(HDc dc, const char* text, int count, Rect* rect, uint32_t format) {
  SIM_FAULT_POINT("DrawTextA", 0);
  if (!sim::DcValid(dc) || text == nullptr || rect == nullptr) {
    SetLastError(kErrorInvalidParameter);
    return 0;
  }
  std::string drawn = count < 0 ? std::string(text) : std::string(text, static_cast<size_t>(count));
  sim::PaintRecord* paint = sim::OpenPaint(dc);
  if (paint != nullptr)
    paint->texts.push_back(
        sim::TextDrawing{drawn, *rect, format, sim::BackgroundMode(dc), sim::VisibleText(drawn, *rect, format)});
  if (drawn.empty()) return sim::kLineHeight;
  if ((format & kDtSingleLine) && (format & kDtVCenter))
    return (rect->bottom - rect->top - sim::kLineHeight) / 2 + sim::kLineHeight;
  return sim::kLineHeight;
}

LResult DefWindowProcA(HWnd window, uint32_t message, WParam wParam, LParam) {
  sim::WindowRecord* record = sim::FindWindowRecord(window);
  if (record == nullptr) return 0;
  record->defaultMessages.push_back(message);
  switch (message) {
    case sim::kWmNcCreate:
      return 1;
    case kWmEraseBkgnd: {
      HBrush brush = sim::FindClass(record->className.c_str())->fields.hbrBackground;
      if (brush == nullptr) return 0;
      record->erasures.push_back(brush);
      sim::PaintRecord* paint = sim::OpenPaint(reinterpret_cast<HDc>(wParam));
      if (paint != nullptr) paint->erasedWith = brush;
      return 1;
    }
    case kWmPaint: {
      PaintStruct paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case 0x0010:  // WM_CLOSE
      sim::NotModelled("DefWindowProcA of WM_CLOSE");
    default:
      return 0;
  }
}

HDc GetDC(HWnd window) {
  SIM_FAULT_POINT("GetDC", nullptr);
  if (window == nullptr) sim::NotModelled("GetDC of the screen");
  if (sim::FindWindowRecord(window) == nullptr) {
    SetLastError(kErrorInvalidWindowHandle);
    return nullptr;
  }
  return sim::NewWindowDc(window, false);
}

int ReleaseDC(HWnd window, HDc dc) {
  sim::WindowDcRecord* record = sim::FindWindowDc(dc);
  if (record == nullptr || record->window != window || record->fromBeginPaint || record->released) return 0;
  sim::ReleaseWindowDc(dc);
  return 1;
}

HGdiObj GetStockObject(int object) {
  if (object < 0 || object > 19 || object == 9) return nullptr;
  return sim::StockObject(object);
}

int SetBkMode(HDc dc, int mode) {
  if (!sim::DcValid(dc) || (mode != kTransparent && mode != sim::kOpaque)) {
    SetLastError(kErrorInvalidParameter);
    return 0;
  }
  int previous = sim::BackgroundMode(dc);
  sim::State().backgroundModes[dc] = mode;
  return previous;
}

Bool UpdateColors(HDc dc) {
  if (!sim::DcValid(dc)) return 0;
  sim::WindowDcRecord* record = sim::FindWindowDc(dc);
  if (record != nullptr) ++record->updateColors;
  return sim::PaletteDisplay() ? 1 : 0;
}

}  // namespace win
