#include "shell/status_window.h"

#include <cstdarg>

#include "shell/entry_point.h"
#include "shell/shell_state.h"
#include "shell/texts.h"

namespace {

void PaintStatusLine(win::HWnd window) {
  win::PaintStruct paint{};
  win::HDc dc = win::BeginPaint(window, &paint);
  win::SetBkMode(dc, win::kTransparent);
  win::Rect client{};
  win::GetClientRect(window, &client);
  win::DrawTextA(dc, Shell.StatusText, -1, &client, win::kDtSingleLine | win::kDtVCenter | win::kDtCenter);
  win::EndPaint(window, &paint);
}

// Puts the program's palette into the window's device context as the
// foreground palette; used when the window gains or shares the palette.
void RealizeAppPalette(win::HWnd window, bool updateColors) {
  win::HDc dc = win::GetDC(window);
  win::SelectPalette(dc, Shell.AppPalette, 0);
  win::RealizePalette(dc);
  if (updateColors) win::UpdateColors(dc);
  win::InvalidateRect(window, nullptr, 1);
  win::ReleaseDC(window, dc);
}

}  // namespace

bool CreateStatusWindow() {
  win::WndClassExA windowClass{};
  windowClass.cbSize = sizeof(win::WndClassExA);
  windowClass.style = win::kCsHRedraw | win::kCsVRedraw;
  windowClass.lpfnWndProc = StatusWindowProc;
  windowClass.hInstance = Shell.AppInstance;
  windowClass.hIcon = win::LoadIconA(Shell.AppInstance, "aaProgramIcon");
  if (windowClass.hIcon == nullptr)
    windowClass.hIcon = win::LoadIconA(nullptr, win::MakeIntResourceA(win::kIdiApplication));
  windowClass.hIconSm = win::LoadIconA(Shell.AppInstance, "aaProgramSmallIcon");
  if (windowClass.hIconSm == nullptr) windowClass.hIconSm = windowClass.hIcon;
  windowClass.hbrBackground = static_cast<win::HBrush>(win::GetStockObject(win::kWhiteBrush));
  windowClass.lpszClassName = Shell.ProgramName;
  win::RegisterClassExA(&windowClass);

  int32_t width = Shell.ScreenWidth / 4;
  int32_t height = Shell.ScreenHeight / 6;
  int32_t left = (Shell.ScreenWidth - width) / 2;
  int32_t top = (Shell.ScreenHeight - height) / 2;
  Shell.MainWindow = win::CreateWindowExA(0, Shell.ProgramName, Shell.WindowTitle,
                                          win::kWsOverlappedWindow | win::kWsClipChildren | win::kWsClipSiblings, left,
                                          top, width, height, nullptr, nullptr, Shell.AppInstance, nullptr);
  // Without a window the run goes on, its boxes without an owner.
  if (Shell.MainWindow != nullptr) {
    win::ShowWindow(Shell.MainWindow, Shell.ShowCommand);
    win::UpdateWindow(Shell.MainWindow);
  }
  return true;
}

void SetStatusText(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  FormatText(Shell.StatusText, kStatusTextSize, format, arguments);
  va_end(arguments);
  if (Shell.MainWindow != nullptr) {
    // No message loop runs: paint now, before the announced step starts.
    win::InvalidateRect(Shell.MainWindow, nullptr, 1);
    win::UpdateWindow(Shell.MainWindow);
  }
  Shell.ActiveCursor = Shell.WaitCursor;
  win::SetCursor(Shell.ActiveCursor);
}

win::LResult WINAPI_CALL StatusWindowProc(win::HWnd window, uint32_t message, win::WParam wParam, win::LParam lParam) {
  switch (message) {
    case win::kWmPaint:
      PaintStatusLine(window);
      return 0;
    case win::kWmMouseMove:
      win::SetCursor(Shell.ActiveCursor);
      return 0;
    case win::kWmCommand:
      if ((wParam & 0xFFFF) == win::kIdCancel) {
        ShutdownShell();
        return 1;
      }
      return 0;
    case win::kWmDestroy:
      ShutdownShell();
      return 0;
    case win::kWmQueryNewPalette:
      if (Shell.UsePalette && Shell.AppPalette != nullptr) {
        RealizeAppPalette(window, false);
        return 1;
      }
      return 0;
    case win::kWmPaletteChanged:
      if (Shell.UsePalette && Shell.AppPalette != nullptr && reinterpret_cast<win::HWnd>(wParam) != window)
        RealizeAppPalette(window, true);
      return win::DefWindowProcA(window, message, wParam, lParam);
    default:  // WM_ERASEBKGND among them: the class brush paints it white
      return win::DefWindowProcA(window, message, wParam, lParam);
  }
}
