// A small form on the display for the smoke test (fltk_smoke_test.cpp): a button whose
// click changes a label, an edit box, a list, a progress bar and a panel painted with
// coloured text on a monospace grid, as the console paints. It prints "ready X Y" with
// the button's middle on the screen, "clicked" when the click has reached the button's
// handler, and ends on SIGTERM.
#include <csignal>
#include <cstdio>

#include "runtime/clock.h"
#include "runtime/program_state.h"
#include "ui/toolkit/message_pump.h"
#include "ui/toolkit/std_controls.h"
#include "ui/toolkit/window_toolkit.h"

namespace {

struct SmokeForm {
  PelWindow window;
  StdStaticControl label;
  StdEditControl edit;
  StdListBoxControl list;
  StdProgressControl bar;
  PelWindow panel;
  StdButtonControl button;
};

intptr_t PaintPanel(PelWindow*, PaintCanvas* canvas) {
  FontHandle mono = CreateFont({"Lucida Console", 14});
  int cell = GetFontMetrics(mono).averageWidth;
  int line = GetFontMetrics(mono).height;
  struct Run {
    const char* text;
    Colour fore, back;
  } runs[] = {{"COM3 opened", 0xFFFFFF, 0}, {"RPC: GetUnitInfo COMPLETE", Rgb(0, 255, 0), 0},
              {"-- cannot find a Velantor unit", Rgb(255, 80, 80), 0}, {"inverse", 0, 0xFFFFFF}};
  int y = 4;
  for (const Run& run : runs) {
    Rect clip{4, y, cell * static_cast<int>(std::string_view(run.text).size()), line};
    DrawTextRun(*canvas->surface, {4, y}, run.text, mono, run.fore, run.back, clip, true, cell);
    y += line;
  }
  return 0;
}

void Clicked(void* data) {
  auto* form = static_cast<SmokeForm*>(data);
  PelSetText(form->label.window, "Clicked");
  ProgressSetPosition(form->bar, 100);
  std::printf("clicked\n");
  std::fflush(stdout);
}

}  // namespace

int main() {
  std::signal(SIGTERM, [](int) { ExitRequested = true; });
  InitialiseWindowToolkit();
  static const PelVTable formTable{.OnClose = [](PelWindow*) -> intptr_t {
    ExitRequested = true;
    return 0;
  }};
  static const PelVTable panelTable{.OnPaint = PaintPanel};
  SmokeForm form;
  CreatePelWindow(form.window, &formTable, nullptr, "Quarnet smoke test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, "",
                  20, 20, 560, 300);
  PelSetBackgroundColour(form.window, Rgb(140, 215, 255));
  PelSetTextColour(form.window, SystemColour(COLOR_WINDOWTEXT));
  PelSetFont(form.window, "Arial", PelScaleY(form.window, 10), false, false, false);
  CreateStdStatic(form.label, form.window, "Not clicked yet", SS_LEFTNOWORDWRAP, 20, 20, 200, 20);
  PelSetBackgroundColour(form.window, Rgb(235, 250, 255));
  CreateStdEdit(form.edit, form.window, "19200", ES_RIGHT, 20, 50, 120, 24);
  CreateStdListBox(form.list, form.window, "", LBS_NOTIFY | WS_VSCROLL, 20, 90, 200, 120);
  for (const char* unit : {"02  KT7 transmitter", "05  KD6 display", "09  KR5 remote I/O"}) ListBoxAdd(form.list, unit);
  ListBoxSelect(form.list, 1);
  CreateStdProgress(form.bar, form.window, "", 0, 20, 230, 200, 18);
  ProgressSetPosition(form.bar, 40);
  PelSetBackgroundColour(form.window, 0);
  CreatePelWindow(form.panel, &panelTable, &form.window, "", WS_CHILD | WS_VISIBLE, 0, "", 250, 20, 290, 90);
  PelSetBackgroundColour(form.window, Rgb(140, 215, 255));
  CreateStdButton(form.button, form.window, "Press me", BS_DEFPUSHBUTTON, 250, 140, 120, 32);
  form.button.UserData = &form;
  form.button.OnClick = Clicked;
  PelShowCommand(form.window, SW_SHOWNORMAL);
  PumpMessages();
  Rect button = PelGetWindowRect(form.button.window);
  std::printf("ready %d %d\n", button.x + button.width / 2, button.y + button.height / 2);
  std::fflush(stdout);
  while (!ExitRequested) {
    if (!PumpMessagesThrottled()) SleepMilliseconds(10);
  }
  return 0;
}
