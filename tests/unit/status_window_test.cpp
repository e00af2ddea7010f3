#include "shell/status_window.h"

#include <cstring>
#include <string>

#include "platform/sim/sim_windows.h"
#include "shell/entry_point.h"
#include "test_process.h"

namespace {

const char kTitle[] = "Uninstall_Oskaldrv V3.02 - Tastaturtreiber-Deinstallation";

// The shell as start-up and the first stage leave it for the window.
class StatusWindow : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    Prepare(1920, 1080, 32);
  }
  void Prepare(int width, int height, int bitsPerPixel) {
    sim::SetDisplay(width, height, bitsPerPixel);
    Shell.ScreenWidth = width;
    Shell.ScreenHeight = height;
    Shell.AppInstance = sim::ProcessInstance();
    Shell.ShowCommand = win::kSwShowNormal;
    std::strcpy(Shell.ProgramName, "Uninstall_Oskaldrv");
    std::strcpy(Shell.WindowTitle, kTitle);
    Shell.ActiveCursor = win::LoadCursorA(nullptr, win::MakeIntResourceA(win::kIdcAppStarting));
    Shell.WaitCursor = win::LoadCursorA(nullptr, win::MakeIntResourceA(win::kIdcWait));
    Shell.DisplayDC = win::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  }
  // A palette display as start-up leaves it: the program's palette selected.
  void UsePalette() {
    Shell.UsePalette = true;
    win::LogPalette256 table{};
    table.palVersion = 0x300;
    table.palNumEntries = 256;
    Shell.AppPalette = win::CreatePalette(&table);
    Shell.PreviousPalette = win::SelectPalette(Shell.DisplayDC, Shell.AppPalette, 1);
  }
  const sim::WindowRecord& Window() { return sim::WindowOf(Shell.MainWindow); }
  const sim::PaintRecord& LastPaint() { return Window().paints.back(); }
};

struct PlaceCase {
  int screenWidth, screenHeight;
  int x, y, width, height;
};

TEST_F(StatusWindow, IsCentredAtAQuarterWidthAndASixthHeight) {
  const PlaceCase cases[] = {
      {1920, 1080, 720, 450, 480, 180},
      {1366, 768, 512, 320, 341, 128},
      {640, 480, 240, 200, 160, 80},
      {1023, 767, 384, 320, 255, 127},
  };
  for (const PlaceCase& c : cases) {
    sim::ResetMachine();
    ResetProgramState();
    Prepare(c.screenWidth, c.screenHeight, 32);
    EXPECT_TRUE(CreateStatusWindow());
    const sim::WindowRecord& w = Window();
    EXPECT_EQ((std::vector<int>{w.x, w.y, w.width, w.height}), (std::vector<int>{c.x, c.y, c.width, c.height}))
        << c.screenWidth << "x" << c.screenHeight;
  }
}

TEST_F(StatusWindow, IsCreatedFromItsClassWithTitleStyleAndShowCommand) {
  Shell.ShowCommand = win::kSwShowDefault;
  EXPECT_TRUE(CreateStatusWindow());
  ASSERT_NE(Shell.MainWindow, nullptr);
  ASSERT_EQ(sim::WindowClasses().size(), 1u);
  const sim::WindowClassRecord& c = sim::WindowClasses()[0];
  EXPECT_EQ(c.name, "Uninstall_Oskaldrv");
  EXPECT_EQ(c.fields.style, 3u);
  EXPECT_EQ(c.fields.lpfnWndProc, &StatusWindowProc);
  EXPECT_EQ(c.fields.cbClsExtra, 0);
  EXPECT_EQ(c.fields.cbWndExtra, 0);
  EXPECT_EQ(c.fields.hInstance, sim::ProcessInstance());
  EXPECT_EQ(c.fields.hCursor, nullptr) << "the window procedure sets the cursor itself";
  EXPECT_EQ(static_cast<win::HGdiObj>(c.fields.hbrBackground), sim::StockObject(win::kWhiteBrush));

  const sim::WindowRecord& w = Window();
  EXPECT_EQ(w.className, "Uninstall_Oskaldrv");
  EXPECT_EQ(w.title, kTitle);
  EXPECT_EQ(w.style, 0x06CF0000u);
  EXPECT_EQ(w.exStyle, 0u);
  EXPECT_EQ(w.parent, nullptr);
  EXPECT_EQ(w.instance, sim::ProcessInstance());
  EXPECT_TRUE(w.visible);
  EXPECT_EQ(w.showCommands, std::vector<int>{win::kSwShowDefault});
}

struct IconCase {
  std::vector<std::string> resources;
  win::HIcon icon;
  win::HIcon smallIcon;
};

TEST_F(StatusWindow, MissingIconsFallBack) {
  const IconCase cases[] = {
      {{"AAPROGRAMICON"}, sim::ResourceIcon("AAPROGRAMICON"), sim::ResourceIcon("AAPROGRAMICON")},
      {{}, sim::SystemIcon(win::kIdiApplication), sim::SystemIcon(win::kIdiApplication)},
      {{"AAPROGRAMICON", "AAPROGRAMSMALLICON"}, sim::ResourceIcon("AAPROGRAMICON"), nullptr},
  };
  for (const IconCase& c : cases) {
    sim::ResetMachine();
    ResetProgramState();
    Prepare(800, 600, 32);
    sim::SetIconResources(c.resources);
    CreateStatusWindow();
    const win::WndClassExA& fields = sim::WindowClasses()[0].fields;
    EXPECT_EQ(fields.hIcon, c.icon) << c.resources.size();
    EXPECT_EQ(fields.hIconSm, c.smallIcon != nullptr ? c.smallIcon : sim::ResourceIcon("AAPROGRAMSMALLICON"))
        << c.resources.size();
  }
}

// Shown and updated at once: the background is erased with the white class
// brush and the (still empty) status line drawn over the whole client area.
TEST_F(StatusWindow, IsPaintedWhenCreated) {
  CreateStatusWindow();
  ASSERT_EQ(Window().paints.size(), 1u);
  const sim::PaintRecord& paint = LastPaint();
  EXPECT_TRUE(paint.ended);
  EXPECT_FALSE(paint.fErase);
  ASSERT_EQ(Window().erasures.size(), 1u);
  EXPECT_EQ(static_cast<win::HGdiObj>(Window().erasures[0]), sim::StockObject(win::kWhiteBrush));
  ASSERT_EQ(paint.texts.size(), 1u);
  EXPECT_EQ(paint.texts[0].text, "");
  EXPECT_EQ(paint.texts[0].visibleText, "") << "an empty line paints the white background only";
}

TEST_F(StatusWindow, SetStatusTextPaintsTheLineBeforeItReturns) {
  CreateStatusWindow();
  SetStatusText("Lösche %s ...", "C:\\WINDOWS\\system32\\Oskaldrv.DLL");
  ASSERT_EQ(Window().paints.size(), 2u);
  const sim::PaintRecord& paint = LastPaint();
  EXPECT_TRUE(paint.ended);
  EXPECT_EQ(static_cast<win::HGdiObj>(paint.erasedWith), sim::StockObject(win::kWhiteBrush));
  ASSERT_EQ(paint.texts.size(), 1u);
  const sim::TextDrawing& drawn = paint.texts[0];
  EXPECT_EQ(drawn.text, "Lösche C:\\WINDOWS\\system32\\Oskaldrv.DLL ...");
  EXPECT_EQ(drawn.visibleText, drawn.text);
  EXPECT_EQ(drawn.format, 0x25u);
  EXPECT_EQ(drawn.backgroundMode, win::kTransparent);
  win::Rect client{};
  win::GetClientRect(Shell.MainWindow, &client);
  EXPECT_EQ((std::vector<int>{drawn.rect.left, drawn.rect.top, drawn.rect.right, drawn.rect.bottom}),
            (std::vector<int>{0, 0, client.right, client.bottom}));
  EXPECT_FALSE(Window().paintPending);
}

// 100 characters of 7 pixels in a client area 464 pixels wide: the middle
// 66 show, the ends are cut alike.
TEST_F(StatusWindow, ALineWiderThanTheWindowIsCentredAndCutAtBothSides) {
  CreateStatusWindow();
  std::string line;
  for (int i = 0; i < 100; ++i) line += static_cast<char>('0' + i % 10);
  SetStatusText(line.c_str());
  const sim::TextDrawing& drawn = LastPaint().texts[0];
  EXPECT_EQ(drawn.text, line);
  EXPECT_EQ(drawn.visibleText, line.substr(17, 66));
}

// The line holds at most 500 characters; a longer one keeps its first 500.
TEST_F(StatusWindow, TheStatusLineKeepsAtMost500Characters) {
  std::string path(600, 'p');
  SetStatusText("Lösche %s ...", path.c_str());
  EXPECT_EQ(std::string(Shell.StatusText), ("Lösche " + path).substr(0, 500));
}

TEST_F(StatusWindow, BeforeTheWindowExistsOnlyTextAndCursorChange) {
  SetStatusText("Aufruf von %s ...", "d0010407");
  EXPECT_STREQ(Shell.StatusText, "Aufruf von d0010407 ...");
  EXPECT_EQ(sim::CurrentCursor(), sim::SystemCursor(win::kIdcWait));
  EXPECT_TRUE(sim::Windows().empty());
}

struct CursorCase {
  bool statusSet;
  int cursor;
};

TEST_F(StatusWindow, TheCursorWaitsOnceTheFirstStatusLineIsSet) {
  const CursorCase cases[] = {{false, win::kIdcAppStarting}, {true, win::kIdcWait}};
  for (const CursorCase& c : cases) {
    sim::ResetMachine();
    ResetProgramState();
    Prepare(800, 600, 32);
    CreateStatusWindow();
    if (c.statusSet) SetStatusText("Lösche x ...");
    win::SetCursor(nullptr);
    EXPECT_EQ(sim::SendToWindow(Shell.MainWindow, win::kWmMouseMove, 0, 0x00100010), 0);
    EXPECT_EQ(sim::CurrentCursor(), sim::SystemCursor(c.cursor)) << c.statusSet;
  }
}

struct ShutdownCase {
  uint32_t message;
  win::WParam wParam;
  win::LResult result;
  bool shutsDown;
};

// The shell is shut down by IDCANCEL or WM_DESTROY, and only once: the
// palette goes back to the display context a single time.
TEST_F(StatusWindow, CancelAndDestroyShutTheShellDownOnce) {
  const ShutdownCase cases[] = {
      {win::kWmCommand, 0x00010000 | win::kIdOk, 0, false},
      {win::kWmCommand, win::kIdCancel, 1, true},
      {win::kWmCommand, 0x00010000 | win::kIdCancel, 1, true},
      {win::kWmDestroy, 0, 0, true},
  };
  for (const ShutdownCase& c : cases) {
    sim::ResetMachine();
    ResetProgramState();
    Prepare(800, 600, 8);
    UsePalette();
    CreateStatusWindow();
    EXPECT_EQ(sim::SendToWindow(Shell.MainWindow, c.message, c.wParam, 0), c.result) << c.message << " " << c.wParam;
    EXPECT_EQ(Shell.ShutdownDone, c.shutsDown);
    EXPECT_EQ(sim::PaletteSelections().size(), c.shutsDown ? 2u : 1u);
    // A later WM_DESTROY (and another cancel) changes nothing more.
    size_t selections = sim::PaletteSelections().size();
    if (c.shutsDown) {
      sim::SendToWindow(Shell.MainWindow, win::kWmDestroy, 0, 0);
      sim::SendToWindow(Shell.MainWindow, win::kWmCommand, win::kIdCancel, 0);
      EXPECT_EQ(sim::PaletteSelections().size(), selections);
      EXPECT_TRUE(sim::Palettes()[0].deleted);
    }
  }
}

TEST_F(StatusWindow, OnADeepDisplayPaletteMessagesGoToDefaultProcessing) {
  CreateStatusWindow();
  win::HWnd other = reinterpret_cast<win::HWnd>(0x777);
  size_t dcs = sim::WindowDcs().size();
  EXPECT_EQ(sim::SendToWindow(Shell.MainWindow, win::kWmQueryNewPalette, 0, 0), 0);
  EXPECT_EQ(sim::SendToWindow(Shell.MainWindow, win::kWmPaletteChanged, reinterpret_cast<win::WParam>(other), 0), 0);
  EXPECT_EQ(sim::WindowDcs().size(), dcs) << "no device context taken";
  EXPECT_TRUE(sim::PaletteSelections().empty());
  const std::vector<uint32_t>& defaults = Window().defaultMessages;
  EXPECT_EQ(defaults.back(), win::kWmPaletteChanged);
}

// On 8 bits per pixel the window puts the program's palette into its own
// device context as the foreground palette and repaints.
TEST_F(StatusWindow, OnAPaletteDisplayTheWindowRealisesTheProgramsPalette) {
  sim::ResetMachine();
  ResetProgramState();
  Prepare(800, 600, 8);
  UsePalette();
  CreateStatusWindow();
  int invalidations = Window().invalidations;

  EXPECT_EQ(sim::SendToWindow(Shell.MainWindow, win::kWmQueryNewPalette, 0, 0), 1);
  const sim::WindowDcRecord query = sim::WindowDcs().back();
  EXPECT_FALSE(query.fromBeginPaint);
  EXPECT_TRUE(query.released);
  EXPECT_EQ(query.updateColors, 0);
  EXPECT_EQ(sim::PaletteSelections().back().dc, query.dc);
  EXPECT_EQ(sim::PaletteSelections().back().palette, Shell.AppPalette);
  EXPECT_FALSE(sim::PaletteSelections().back().forceBackground);
  EXPECT_EQ(sim::DeviceContexts().back().realizeCount, 1);
  EXPECT_EQ(Window().invalidations, invalidations + 1);
  EXPECT_TRUE(Window().erasePending);

  win::HWnd other = reinterpret_cast<win::HWnd>(0x777);
  size_t defaults = Window().defaultMessages.size();
  EXPECT_EQ(sim::SendToWindow(Shell.MainWindow, win::kWmPaletteChanged, reinterpret_cast<win::WParam>(other), 0), 0);
  const sim::WindowDcRecord changed = sim::WindowDcs().back();
  EXPECT_NE(changed.dc, query.dc);
  EXPECT_EQ(changed.updateColors, 1);
  EXPECT_TRUE(changed.released);
  EXPECT_EQ(Window().defaultMessages.size(), defaults + 1);

  // Its own palette change is not answered again, but still goes on.
  size_t dcs = sim::WindowDcs().size();
  sim::SendToWindow(Shell.MainWindow, win::kWmPaletteChanged, reinterpret_cast<win::WParam>(Shell.MainWindow), 0);
  EXPECT_EQ(sim::WindowDcs().size(), dcs);
  EXPECT_EQ(Window().defaultMessages.size(), defaults + 2);
}

TEST_F(StatusWindow, WithoutAWindowTheRunGoesOnWithoutOwner) {
  sim::FailNextCreateWindow(win::kErrorNotEnoughMemory);
  EXPECT_TRUE(CreateStatusWindow());
  EXPECT_EQ(Shell.MainWindow, nullptr);
  SetStatusText("Lösche %s ...", "x");
  EXPECT_STREQ(Shell.StatusText, "Lösche x ...");
  EXPECT_EQ(sim::CurrentCursor(), sim::SystemCursor(win::kIdcWait));
}

}  // namespace
