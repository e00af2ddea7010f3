// Control of the simulated windows: classes, windows, the paint cycle and
// what was drawn, device contexts of windows, icons.  Classes and windows
// belong to the process: a new process starts without them.
//
// The paint cycle follows user32: ShowWindow erases a window that becomes
// visible at once (WM_ERASEBKGND) and marks it for painting; InvalidateRect
// marks a visible window for painting (and erasing, when asked);
// UpdateWindow sends WM_PAINT at once when something is marked; BeginPaint
// sends WM_ERASEBKGND when erasing was asked for, clears the marks and tells
// the paint (fErase) when no erase succeeded; DefWindowProcA answers
// WM_ERASEBKGND by filling the client area with the class brush, and 0 when
// the class has none.  Text is measured with one fixed cell per character.
#pragma once

#include <string>
#include <vector>

#include "platform/windows_api.h"

namespace sim {

// The frame of an overlapped window, and the text cell, in pixels.
constexpr int kFrameWidth = 8;
constexpr int kCaptionHeight = 23;
constexpr int kCharWidth = 7;
constexpr int kLineHeight = 16;

struct WindowClassRecord {
  std::string name;
  win::WndClassExA fields;  // as registered; lpszClassName points into name
  uint16_t atom;
};

struct TextDrawing {
  std::string text;
  win::Rect rect;
  uint32_t format;
  int backgroundMode;
  // The characters that land inside the rectangle (whole cells only).
  std::string visibleText;
};

struct PaintRecord {
  win::HDc dc;
  bool eraseRequested;     // BeginPaint found erasing asked for
  win::HBrush erasedWith;  // the brush DefWindowProcA filled with inside BeginPaint, or null
  bool fErase;             // what BeginPaint told the window procedure
  std::vector<TextDrawing> texts;
  bool ended;
};

struct WindowRecord {
  win::HWnd handle;
  std::string className;
  std::string title;
  win::Dword exStyle;
  win::Dword style;
  int x, y, width, height;
  win::HWnd parent;
  win::HInstance instance;
  bool visible;
  std::vector<int> showCommands;
  bool paintPending;
  bool erasePending;
  bool backgroundLeft;  // no erase succeeded: the next paint must erase itself
  int invalidations;
  std::vector<win::HBrush> erasures;  // every fill with the class brush, in order
  std::vector<PaintRecord> paints;
  std::vector<uint32_t> sentMessages;     // sent by the system, in order
  std::vector<uint32_t> defaultMessages;  // handed to DefWindowProcA, in order
};

const std::vector<WindowClassRecord>& WindowClasses();
const std::vector<WindowRecord>& Windows();
// The record of a window the process created; stops the test for any other.
const WindowRecord& WindowOf(win::HWnd window);
// Sends a message to the window's procedure, as SendMessage does.
win::LResult SendToWindow(win::HWnd window, uint32_t message, win::WParam wParam, win::LParam lParam);

// Device contexts that windows handed out (GetDC and BeginPaint).  The
// palette they hold is in DeviceContexts() of sim.h.
struct WindowDcRecord {
  win::HDc dc;
  win::HWnd window;
  bool fromBeginPaint;
  bool released;
  int updateColors;  // UpdateColors calls (they do something on palette displays only)
};
const std::vector<WindowDcRecord>& WindowDcs();
// SetBkMode's mode for any device context: OPAQUE (2) until set.
int BackgroundMode(win::HDc dc);

// Icons: the system's by number, the program's resources by name.  The
// program file has the icon group "AAPROGRAMICON" unless a test says else.
win::HIcon SystemIcon(int id);
win::HIcon ResourceIcon(const std::string& name);
void SetIconResources(const std::vector<std::string>& names);

win::HGdiObj StockObject(int index);

// The next CreateWindowExA fails with this last error.
void FailNextCreateWindow(win::Dword error);

// Called by the machine: a new process has no classes and no windows.
void StartWindowsProcess();

}  // namespace sim
