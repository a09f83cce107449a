#include "ui/toolkit/controls/pel_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/toolkit/controls/std_controls.h"
#include "ui/toolkit/controls/toolkit_fixture.h"
#include "ui/toolkit/core/window_backend.h"

namespace {

// A form that notes which handlers ran and answers as a test tells it to.
struct TestForm {
  PelWindow window;
  std::vector<std::string> calls;
  intptr_t sysCommandResult = 0;
  std::vector<int> notches;
};

TestForm& FormOf(PelWindow* window) { return *reinterpret_cast<TestForm*>(window); }

const PelVTable NoteTable{
    .OnCreate = [](PelWindow* window) -> intptr_t {
      FormOf(window).calls.push_back("create");
      return 0;
    },
    .OnGetMinMaxInfo = [](PelWindow*, int32_t* sizes) -> intptr_t {
      sizes[0] = sizes[2] = 300;
      sizes[1] = sizes[3] = 200;
      return 0;
    },
    .OnSize = [](PelWindow* window) -> intptr_t {
      FormOf(window).calls.push_back("size");
      return 0;
    },
    .OnLButtonDown = [](PelWindow* window, int, int, uint8_t modifiers) -> intptr_t {
      FormOf(window).calls.push_back("down " + std::to_string(modifiers));
      return 0;
    },
    .OnMouseMove = [](PelWindow* window, int x, int, uint8_t) -> intptr_t {
      FormOf(window).calls.push_back("move " + std::to_string(x));
      return 0;
    },
    .OnMouseWheel = [](PelWindow* window, int notches, uint8_t) -> intptr_t {
      FormOf(window).notches.push_back(notches);
      return 0;
    },
    .OnClose = [](PelWindow* window) -> intptr_t {
      FormOf(window).calls.push_back("close");
      return 0;
    },
    .OnSysCommand = [](PelWindow* window, uint32_t command, int, int, int) -> intptr_t {
      FormOf(window).calls.push_back("syscommand " + std::to_string(command));
      return FormOf(window).sysCommandResult;
    },
};

class PelWindowTest : public HeadlessToolkit {
 protected:
  void Create(TestForm& form, uint32_t style = WS_OVERLAPPEDWINDOW | WS_VISIBLE) {
    ASSERT_TRUE(CreatePelWindow(form.window, &NoteTable, nullptr, "Test", style, 0, "", 10, 10, 400, 300));
    PumpMessages();
  }
};

TEST_F(PelWindowTest, OnCreateIsTheFirstHandlerAndCreationCopiesNothingWithoutATable) {
  TestForm form;
  Create(form);
  ASSERT_FALSE(form.calls.empty());
  EXPECT_EQ(form.calls.front(), "create") << "WM_SIZE of the creation came before the record was attached";
  EXPECT_EQ(GetWindowProperty(form.window.hwnd, "PelWindow"), reinterpret_cast<intptr_t>(&form.window));
  PelWindow orphan;
  EXPECT_FALSE(CreatePelWindow(orphan, nullptr, nullptr, "", 0, 0, "", -1, -1, -1, -1));
  EXPECT_EQ(orphan.hwnd, 0u);
}

// Only -1 ends a message; anything else lets the system's treatment follow: the close
// box's WM_SYSCOMMAND then becomes WM_CLOSE, which only OnClose handles.
TEST_F(PelWindowTest, MinusOneStopsTheDefaultTreatmentAndCloseNeedsItsHandler) {
  TestForm form;
  Create(form);
  form.calls.clear();
  form.sysCommandResult = Handled;
  OperatorClose(form.window.hwnd);
  PumpMessages();
  form.sysCommandResult = 0;
  OperatorClose(form.window.hwnd);
  PumpMessages();
  EXPECT_EQ(form.calls, (std::vector<std::string>{"syscommand 61536", "syscommand 61536", "close"}));
  EXPECT_TRUE(IsWindow(form.window.hwnd)) << "the handler did not destroy it, so it stays";

  static const PelVTable bare{};
  PelWindow plain;
  ASSERT_TRUE(CreatePelWindow(plain, &bare, nullptr, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, "", -1, -1, -1, -1));
  OperatorClose(plain.hwnd);
  PumpMessages();
  EXPECT_TRUE(IsWindow(plain.hwnd)) << "WM_CLOSE without OnClose leaves the window open";
}

TEST_F(PelWindowTest, TheWheelCountsWholeNotchesAndKeepsTheRest) {
  TestForm form;
  Create(form);
  for (int delta : {60, 60, -250, 10, -120}) OperatorTurnWheel(form.window.hwnd, delta);
  PumpMessages();
  EXPECT_EQ(form.notches, (std::vector<int>{0, 1, -2, 0, -1}));
  EXPECT_EQ(form.window.wheelRemainder, 0);
}

TEST_F(PelWindowTest, ButtonsCaptureTheMouseAndReportTheModifiers) {
  TestForm form;
  Create(form);
  form.calls.clear();
  OperatorMouse(form.window.hwnd, MouseAction::LeftDown, {5, 5}, KeyLeftButton | KeyControl | KeyShift);
  PumpMessages();
  EXPECT_EQ(GetCapture(), form.window.hwnd);
  OperatorMouse(form.window.hwnd, MouseAction::LeftUp, {5, 5});
  PumpMessages();
  EXPECT_EQ(GetCapture(), 0u);
  EXPECT_EQ(form.calls.front(), "down 3");
}

// Children take the parent's colours and font as they are at their creation; the parent
// changing later does not reach them, and the control paints with what it took.
TEST_F(PelWindowTest, ControlsInheritColoursAndFontAtCreation) {
  TestForm form;
  Create(form);
  PelSetBackgroundColour(form.window, Rgb(10, 20, 30));
  PelSetTextColour(form.window, Rgb(200, 0, 0));
  PelSetFont(form.window, "Arial", 17, true, false, false);
  StdStaticControl label;
  ASSERT_TRUE(CreateStdStatic(label, form.window, "Port", SS_LEFTNOWORDWRAP, 10, 10, 100, 20));
  PelSetBackgroundColour(form.window, Rgb(99, 99, 99));
  PumpMessages();
  EXPECT_EQ(label.window.backgroundColour, Rgb(10, 20, 30));
  EXPECT_EQ(PelGetFont(label.window), (FontDescription{"Arial", 17, true, false, false}));
  EXPECT_EQ(GetWindowFont(label.window.hwnd), label.window.font);
  DrawingList picture = ComposeTopLevel(form.window.hwnd);
  bool filled = false, written = false;
  for (const DrawCommand& command : picture) {
    filled = filled || (command.kind == DrawKind::FillBox && command.colour == Rgb(10, 20, 30));
    written = written || (command.kind == DrawKind::Text && command.text == "Port" && command.colour == Rgb(200, 0, 0));
  }
  EXPECT_TRUE(filled);
  EXPECT_TRUE(written);
}

TEST_F(PelWindowTest, TrackingSizesAreTheHandlersClientSizesPlusScrollBars) {
  TestForm form;
  Create(form, WS_OVERLAPPEDWINDOW | WS_VSCROLL);
  MinMaxInfo info;
  PelSendMessage(form.window, WM_GETMINMAXINFO, 0, reinterpret_cast<LParam>(&info));
  EXPECT_EQ(info.minimumTrackSize, (Size{300 + GetSystemMetric(SM_CXVSCROLL), 200}));
  EXPECT_EQ(info.maximumTrackSize, info.minimumTrackSize);
  PelSetClientSize(form.window, 300, 200);
  EXPECT_EQ(PelGetClientSize(form.window), (Size{300, 200}));
  EXPECT_EQ(PelScaleBox(form.window, 10, 12, 104, 28), (Rect{13, 16, 125, 21})) << "96 dpi: v * 96 / 72";
}

TEST_F(PelWindowTest, ACanvasDrawsWithTheWindowsColours) {
  static Colour seen;
  static const PelVTable painter{.OnPaint = [](PelWindow*, PaintCanvas* canvas) -> intptr_t {
    CanvasRectangle(*canvas, {10, 10, 20, 20});
    seen = CanvasGetPixel(*canvas, 15, 15);
    return 0;
  }};
  PelWindow window;
  ASSERT_TRUE(CreatePelWindow(window, &painter, nullptr, "", WS_OVERLAPPEDWINDOW, 0, "", 0, 0, 100, 100));
  PelSetBackgroundColour(window, Rgb(1, 1, 1));
  PelShow(window, true);
  PumpMessages();
  EXPECT_EQ(seen, Rgb(1, 1, 1)) << "inside the rectangle: the fill colour, the window's background";
}

}  // namespace
