// The simulated windows: classes, creation, painting and icons.
// Calls not modelled yet stop the test that reaches them, so that nothing
// passes on an invented answer.
#include "platform/sim/sim_state.h"

namespace sim {

void ResetWindows() {}

}  // namespace sim

namespace win {

HIcon LoadIconA(HInstance, const char*) { sim::NotModelled("LoadIconA"); }
uint16_t RegisterClassExA(const WndClassExA*) { sim::NotModelled("RegisterClassExA"); }
HWnd CreateWindowExA(Dword, const char*, const char*, Dword, int, int, int, int, HWnd, void*, HInstance, void*) {
  sim::NotModelled("CreateWindowExA");
}
Bool ShowWindow(HWnd, int) { sim::NotModelled("ShowWindow"); }
Bool UpdateWindow(HWnd) { sim::NotModelled("UpdateWindow"); }
Bool InvalidateRect(HWnd, const Rect*, Bool) { sim::NotModelled("InvalidateRect"); }
HDc BeginPaint(HWnd, PaintStruct*) { sim::NotModelled("BeginPaint"); }
Bool EndPaint(HWnd, const PaintStruct*) { sim::NotModelled("EndPaint"); }
Bool GetClientRect(HWnd, Rect*) { sim::NotModelled("GetClientRect"); }
int DrawTextA(HDc, const char*, int, Rect*, uint32_t) { sim::NotModelled("DrawTextA"); }
LResult DefWindowProcA(HWnd, uint32_t, WParam, LParam) { sim::NotModelled("DefWindowProcA"); }
HDc GetDC(HWnd) { sim::NotModelled("GetDC"); }
int ReleaseDC(HWnd, HDc) { sim::NotModelled("ReleaseDC"); }
HGdiObj GetStockObject(int) { sim::NotModelled("GetStockObject"); }
int SetBkMode(HDc, int) { sim::NotModelled("SetBkMode"); }
Bool UpdateColors(HDc) { sim::NotModelled("UpdateColors"); }

}  // namespace win
