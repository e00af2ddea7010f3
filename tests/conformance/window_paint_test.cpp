// Window classes, creation, showing and the paint cycle: what the status
// window relies on to have its line on the screen before SetStatusText
// returns, with no message loop running.
#include <string>
#include <vector>

#include "conformance/conformance_helpers.h"

namespace conformance {
namespace {

const char kClassName[] = "CfmPaintWindow";
const char kBareClassName[] = "CfmBareWindow";

// What the window procedure saw, for the test to read.
struct Seen {
  std::vector<uint32_t> messages;
  int paints = 0;
  win::Bool fErase = 0;
  win::LResult eraseResult = -1;
  win::Rect client{};
  int drawn = -1;
  int drawnEmpty = -1;
  int previousMode = -1;
  int modeAfter = -1;
};
Seen seen;

const uint32_t kWatched[] = {win::kWmPaint, win::kWmEraseBkgnd};

win::LResult WINAPI_CALL TestWindowProc(win::HWnd window, uint32_t message, win::WParam wParam, win::LParam lParam) {
  for (uint32_t watched : kWatched)
    if (message == watched) seen.messages.push_back(message);
  if (message == win::kWmEraseBkgnd) {
    seen.eraseResult = win::DefWindowProcA(window, message, wParam, lParam);
    return seen.eraseResult;
  }
  if (message == win::kWmPaint) {
    ++seen.paints;
    win::PaintStruct paint{};
    win::HDc dc = win::BeginPaint(window, &paint);
    seen.fErase = paint.fErase;
    seen.previousMode = win::SetBkMode(dc, win::kTransparent);
    seen.modeAfter = win::SetBkMode(dc, win::kTransparent);
    win::GetClientRect(window, &seen.client);
    seen.drawn = win::DrawTextA(dc, "Lösche C:\\x ...", -1, &seen.client, 0x25);
    seen.drawnEmpty = win::DrawTextA(dc, "", -1, &seen.client, 0x25);
    win::EndPaint(window, &paint);
    return 0;
  }
  return win::DefWindowProcA(window, message, wParam, lParam);
}

win::WndClassExA ClassOf(const char* name, win::HGdiObj brush) {
  win::WndClassExA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = win::kCsHRedraw | win::kCsVRedraw;
  windowClass.lpfnWndProc = TestWindowProc;
  windowClass.hInstance = win::GetModuleHandleA(nullptr);
  windowClass.hIcon = win::LoadIconA(nullptr, win::MakeIntResourceA(win::kIdiApplication));
  windowClass.hbrBackground = static_cast<win::HBrush>(brush);
  windowClass.lpszClassName = name;
  return windowClass;
}

class WindowTest : public ConformanceTest {
 protected:
  void SetUp() override {
    ConformanceTest::SetUp();
    seen = Seen{};
    win::WndClassExA windowClass = ClassOf(kClassName, win::GetStockObject(win::kWhiteBrush));
    win::SetLastError(kUntouchedError);
    win::RegisterClassExA(&windowClass);  // registered once per process on Windows
    // Wine makes windows only with a display (Xvfb) to show them on.
    win::HWnd probe = Create(kClassName);
    if (probe == nullptr && OnWine()) GTEST_SKIP() << "Wine cannot create windows here: no display";
    ASSERT_NE(probe, nullptr) << "error " << win::GetLastError();
  }
  win::HWnd Create(const char* className) {
    return win::CreateWindowExA(0, className, "Titel", 0x06CF0000, 100, 100, 480, 180, nullptr, nullptr,
                                win::GetModuleHandleA(nullptr), nullptr);
  }
};

TEST_F(WindowTest, AClassIsRegisteredOnce) {
  win::WndClassExA windowClass = ClassOf(kClassName, win::GetStockObject(win::kWhiteBrush));
  win::SetLastError(kUntouchedError);
  EXPECT_EQ(win::RegisterClassExA(&windowClass), 0);
  EXPECT_EQ(win::GetLastError(), 1410u) << "ERROR_CLASS_ALREADY_EXISTS";

  windowClass.lpszClassName = "CfmWrongSize";
  windowClass.cbSize = sizeof windowClass - 4;
  win::SetLastError(kUntouchedError);
  EXPECT_EQ(win::RegisterClassExA(&windowClass), 0);
  EXPECT_EQ(win::GetLastError(), win::kErrorInvalidParameter);
}

TEST_F(WindowTest, AWindowOfAnUnknownClassIsNotCreated) {
  win::SetLastError(kUntouchedError);
  EXPECT_EQ(Create("CfmNoSuchClass"), nullptr);
  win::Dword error = win::GetLastError();
  if (OnWine() && error == 1411) {
    NoteWineDifference("CreateWindowExA of an unknown class gives ERROR_CLASS_DOES_NOT_EXIST");
  } else {
    EXPECT_EQ(error, 1407u) << "ERROR_CANNOT_FIND_WND_CLASS";
  }
}

// ShowWindow erases a new window at once, with the class brush; the paint
// waits for UpdateWindow, which sends it before it returns.
TEST_F(WindowTest, ShowErasesAndUpdateWindowPaintsAtOnce) {
  win::HWnd window = Create(kClassName);
  ASSERT_NE(window, nullptr) << "error " << win::GetLastError();
  seen = Seen{};
  EXPECT_FALSE(win::ShowWindow(window, win::kSwShowNormal)) << "it was hidden";
  EXPECT_EQ(seen.messages, std::vector<uint32_t>{win::kWmEraseBkgnd});
  EXPECT_NE(seen.eraseResult, 0) << "the class brush erased the background";
  seen = Seen{};
  EXPECT_TRUE(win::UpdateWindow(window));
  EXPECT_EQ(seen.messages, std::vector<uint32_t>{win::kWmPaint});
  EXPECT_EQ(seen.fErase, 0);
  EXPECT_EQ(seen.previousMode, 2) << "OPAQUE until set";
  EXPECT_EQ(seen.modeAfter, win::kTransparent);
  EXPECT_EQ(seen.client.left, 0);
  EXPECT_EQ(seen.client.top, 0);
  EXPECT_GT(seen.client.right, 400);
  EXPECT_LT(seen.client.right, 480) << "the frame takes its share";
  EXPECT_GT(seen.client.bottom, 100);
  EXPECT_LT(seen.client.bottom, 180) << "the caption takes its share";
  // Centred vertically, the result is the offset of the text's bottom; an
  // empty text gives the line's height alone.
  EXPECT_GT(seen.drawn, seen.client.bottom / 2);
  EXPECT_GT(seen.drawnEmpty, 0);
  EXPECT_LT(seen.drawnEmpty, seen.drawn);

  // Nothing marked: no paint.
  seen = Seen{};
  win::UpdateWindow(window);
  EXPECT_EQ(seen.paints, 0);

  // Invalidation with erasing: BeginPaint sends the erase; without: none.
  EXPECT_TRUE(win::InvalidateRect(window, nullptr, 1));
  win::UpdateWindow(window);
  EXPECT_EQ(seen.messages, (std::vector<uint32_t>{win::kWmPaint, win::kWmEraseBkgnd}));
  EXPECT_NE(seen.eraseResult, 0);
  EXPECT_EQ(seen.fErase, 0);
  seen = Seen{};
  EXPECT_TRUE(win::InvalidateRect(window, nullptr, 0));
  win::UpdateWindow(window);
  EXPECT_EQ(seen.messages, (std::vector<uint32_t>{win::kWmPaint}));
  EXPECT_TRUE(win::ShowWindow(window, win::kSwHide)) << "it was visible";
}

// Without a class brush, default processing cannot erase and says so; the
// paint is then told to erase itself.
TEST_F(WindowTest, WithoutABrushTheBackgroundIsLeftToThePaint) {
  win::WndClassExA windowClass = ClassOf(kBareClassName, nullptr);
  win::RegisterClassExA(&windowClass);
  win::HWnd window = Create(kBareClassName);
  ASSERT_NE(window, nullptr);
  seen = Seen{};
  win::ShowWindow(window, win::kSwShowNormal);
  EXPECT_EQ(seen.eraseResult, 0);
  win::UpdateWindow(window);
  EXPECT_EQ(seen.messages, (std::vector<uint32_t>{win::kWmEraseBkgnd, win::kWmPaint}));
  EXPECT_NE(seen.fErase, 0);
  win::ShowWindow(window, win::kSwHide);
}

TEST_F(WindowTest, DeviceContextsOfAWindowAndDefaultAnswers) {
  win::HWnd window = Create(kClassName);
  ASSERT_NE(window, nullptr);
  win::HDc dc = win::GetDC(window);
  ASSERT_NE(dc, nullptr);
  // Only a palette display has colours to update.
  bool palette = win::GetDeviceCaps(dc, win::kBitsPixel) * win::GetDeviceCaps(dc, win::kPlanes) <= 8;
  EXPECT_EQ(win::UpdateColors(dc) != 0, palette);
  EXPECT_EQ(win::ReleaseDC(window, dc), 1);
  EXPECT_EQ(win::DefWindowProcA(window, win::kWmQueryNewPalette, 0, 0), 0);
  EXPECT_EQ(win::DefWindowProcA(window, win::kWmPaletteChanged, 0, 0), 0);
  EXPECT_EQ(win::DefWindowProcA(window, win::kWmCommand, win::kIdCancel, 0), 0);
}

TEST_F(WindowTest, IconsOfTheSystemAndMissingResources) {
  EXPECT_NE(win::LoadIconA(nullptr, win::MakeIntResourceA(win::kIdiApplication)), nullptr);
  win::SetLastError(kUntouchedError);
  EXPECT_EQ(win::LoadIconA(win::GetModuleHandleA(nullptr), "CFMNOSUCHICON"), nullptr);
  win::Dword error = win::GetLastError();
  // No resources at all, none of the type, none of the name.
  EXPECT_TRUE(error >= 1812 && error <= 1814) << "resource not found, got " << error;
}

}  // namespace
}  // namespace conformance
