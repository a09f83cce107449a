#include "ui/tool/main_window.h"

#include "runtime/clock.h"
#include "runtime/console_streams.h"
#include "runtime/log.h"
#include "runtime/operation_progress.h"
#include "runtime/program_state.h"
#include "ui/tool/connection_state.h"
#include "ui/tool/port_and_speed.h"
#include "ui/tool/status_line.h"
#include "ui/tool/tool_form.h"
#include "ops/tool_settings.h"
#include "ui/tool/unit_list.h"
#include "ui/toolkit/console/console_window.h"
#include "ui/toolkit/core/message_pump.h"

namespace {

constexpr int ToolVersion = 610;
constexpr int ToolRelease = 57;
constexpr uint32_t IdleMs = 10;

}  // namespace

void CreateMainWindow() {
  ToolForm& form = TheToolForm;
  String title = "Quarnet ";
  title += VersionReleaseText(ToolVersion, ToolRelease).View();
  CreateToolForm(form, title.View(), SW_SHOWNORMAL);
  PlaceConsoleBeside(GetWindowRect(form.window.hwnd));
  SetPort(form, PortNumber != 0 ? PortNumber : SettingsFilePort());
  SetSpeed(form, SettingsFileSpeed());
  SetLogVisible(form, DebugOn);
  StdoutHook = CollectStatusCharacter;
  InstallProgressShow(ShowProgressInStatusLine);
  PutText(StandardOutput, "Disconnected\r\n");
  SelectUnit(form, 0);
}

void OpenMainWindow() {
  CreateMainWindow();
  // The window paints once before the search holds the thread.
  PumpMessages();
  Search(TheToolForm);
}

void RunMainWindowLoop() {
  while (!ExitRequested) {
    if (!PumpMessagesThrottled()) SleepMilliseconds(IdleMs);
  }
}

void CloseMainWindow() {
  InstallProgressShow(nullptr);
  StdoutHook = nullptr;
  DestroyToolForm(TheToolForm);
}

void RunMainWindow() {
  OpenMainWindow();
  RunMainWindowLoop();
  CloseMainWindow();
}
