#include "app/stop_signals.h"
#include "runtime/windows_api.h"

namespace {

void (*stopHandler)() = nullptr;

// Handled: the program ends itself, closing the port and the log, instead of being
// ended where it stands. A closed console window leaves it a few seconds for that.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      stopHandler();
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void InstallStopSignals(void (*stop)()) {
  stopHandler = stop;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}
