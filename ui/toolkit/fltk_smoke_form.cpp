// A small program on the display for the smoke test (fltk_smoke_test.cpp): the console
// window, as the program entry starts it, with coloured log text written through the
// run-time's standard streams, and a form with a button whose click changes a label,
// an edit box, a list and a progress bar. It prints "ready X Y" with the button's
// middle on the screen, "clicked" when the click has reached the button's handler, and
// ends on SIGTERM.
#include <csignal>
#include <string>
#include <unistd.h>

#include "runtime/clock.h"
#include "runtime/console_streams.h"
#include "runtime/program_state.h"
#include "ui/toolkit/backends/display_backend.h"
#include "ui/toolkit/console/console_thread.h"
#include "ui/toolkit/console/console_window.h"
#include "ui/toolkit/controls/std_controls.h"
#include "ui/toolkit/controls/window_toolkit.h"
#include "ui/toolkit/core/message_pump.h"
#include "ui/toolkit/core/window_system.h"

namespace {

// The script looks for the console window by this title.
constexpr const char* ConsoleTitle = "Quarnet smoke console";

// The console takes descriptors 1 and 2 over, so the lines for the script go to the
// output the program started with.
int scriptOutput = -1;

struct SmokeForm {
  PelWindow window;
  StdStaticControl label;
  StdEditControl edit;
  StdListBoxControl list;
  StdProgressControl bar;
  StdButtonControl button;
};

// The console's SGR 0 clears the attributes only; the colours go back to white on black
// one by one, white being the bright one.
#define PLAIN "\x1b[0;40;1;37;22m"

// What a session writes, in every kind of colour the console knows: the standard
// output's lines as they are, the standard error's stamped with the clock.
void WriteColouredLog() {
  PutText(StandardOutput, "\x1b[1mQuarnet\x1b[0m console smoke test\r\n");
  PutText(StandardOutput, "   LogFile         : /var/log/quarnet/smoke.log\r\n");
  PutText(StandardOutput,
          "normal: \x1b[31mred \x1b[32mgreen \x1b[33myellow \x1b[34mblue \x1b[35mmagenta \x1b[36mcyan "
          "\x1b[37mwhite" PLAIN "\r\n");
  PutText(StandardOutput,
          "bright: \x1b[1;31mred \x1b[32mgreen \x1b[33myellow \x1b[34mblue \x1b[35mmagenta \x1b[36mcyan "
          "\x1b[37mwhite" PLAIN "\r\n");
  std::string palette = "256 colours:";
  for (int index = 21; index < 232; index += 9) palette += "\x1b[38;5;" + std::to_string(index) + "m #";
  palette += PLAIN " ";
  for (int index = 232; index < 256; index += 2) palette += "\x1b[48;5;" + std::to_string(index) + "m  ";
  PutText(StandardOutput, palette + PLAIN "\r\n");
  PutText(StandardOutput,
          "\x1b[1mbold\x1b[0m  \x1b[4munderline\x1b[0m  \x1b[7mreverse\x1b[0m  "
          "\x1b[41;1;37m ERROR " PLAIN "  \x1b[44;1;33m status " PLAIN "\r\n");
  PutText(StandardOutput, "UTF-8: Gewicht 1 250,0 kg ± 0,5 kg, 23,5 °C, Zählwerk 12 µs, Preis 12,50 €\r\n");
  PutText(StandardOutput, "COM3 opened at 19200 Bd\r\n");
  PutText(StandardOutput, "\x1b[32mRPC: GetUnitInfo COMPLETE" PLAIN ": card 653, software 6.10r57\r\n");
  PutText(StandardError, "\r\n\x1b[1;31m-- cannot find a Velantor unit on COM4" PLAIN "\r\n");
  PutText(StandardOutput, "\x1b[38;5;208mlink speed 115200 Bd negotiated" PLAIN "\r\n");
}

void Report(const std::string& line) {
  [[maybe_unused]] ssize_t written = write(scriptOutput, line.data(), line.size());
}

void Clicked(void* data) {
  auto* form = static_cast<SmokeForm*>(data);
  PelSetText(form->label.window, "Clicked");
  ProgressSetPosition(form->bar, 100);
  Report("clicked\n");
}

}  // namespace

int main() {
  std::signal(SIGTERM, [](int) { ExitRequested = true; });
  StartTraceClock();
  scriptOutput = dup(1);
  InstallDisplayBackend(StartDisplayBackend);
  if (!StartConsole(ConsoleTitle)) return ExitCode;
  ShowConsole(SW_SHOWNORMAL);
  WriteColouredLog();
  InitialiseWindowToolkit();
  static const PelVTable formTable{.OnClose = [](PelWindow*) -> intptr_t {
    ExitRequested = true;
    return 0;
  }};
  SmokeForm form;
  CreatePelWindow(form.window, &formTable, nullptr, "Quarnet smoke test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, "",
                  20, 20, 400, 300);
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
  PelSetBackgroundColour(form.window, Rgb(140, 215, 255));
  CreateStdButton(form.button, form.window, "Press me", BS_DEFPUSHBUTTON, 250, 140, 120, 32);
  form.button.UserData = &form;
  form.button.OnClick = Clicked;
  PelShowCommand(form.window, SW_SHOWNORMAL);
  PumpMessages();
  Rect button = PelGetWindowRect(form.button.window);
  Report("ready " + std::to_string(button.x + button.width / 2) + " " + std::to_string(button.y + button.height / 2) +
         "\n");
  while (!ExitRequested) {
    if (!PumpMessagesThrottled()) SleepMilliseconds(10);
  }
  KeepConsoleAlive();
  // As the program's exit hook does: no thread may be left running while exit() unloads
  // the libraries.
  EndConsole();
  return 0;
}
