#include "ui/tool/port_and_speed.h"

#include <algorithm>
#include <iterator>

#include "generic/string_utility.h"
#include "link/comm_port.h"
#include "runtime/program_state.h"
#include "ui/tool/connection_state.h"
#include "ui/tool/tool_form.h"
#include "ops/tool_settings.h"

namespace {

constexpr int HighestPort = 99;
constexpr uint32_t SlowestSpeed = 9600;
constexpr uint32_t UnlistedSpeedGoingDown = 57600;
constexpr uint32_t Speeds[] = {9600, 19200, 38400, 57600, 115200};

// A port counts when something on this computer lets it be opened now.
bool PortOpens(int port) {
  CommHandle handle = OpenCommPort(port, SlowestSpeed, 0, false, false, false, 0);
  if (handle == nullptr) return false;
  CloseCommPort(handle);
  return true;
}

}  // namespace

void SetPort(ToolForm& form, int port) {
  PortNumber = static_cast<int16_t>(port);
  // A device path has no number to keep: the next start names it again, or takes the
  // COM port remembered before.
  if (port != PathPortNumber) WriteToolSetting("CommPort", IntText(port));
  String text = port != 0 ? PortName(port) : String("none");
  PelSetText(form.portText.window, text.View());
}

void SetSpeed(ToolForm& form, uint32_t speed) {
  if (speed == 0) speed = 19200;
  BaudRate = speed;
  WriteToolSetting("BaudRate", IntText(speed));
  String text = IntText(speed);
  text += " baud";
  PelSetText(form.speedText.window, text.View());
}

int StepPort(int start, bool up, bool (*opens)(int port)) {
  int port = start;
  for (;;) {
    port += up ? 1 : -1;
    if (port < 0) port = HighestPort;
    if (port > HighestPort) port = 0;
    if (port == start || port == 0 || opens(port)) return port;
  }
}

uint32_t StepSpeed(uint32_t speed, bool up) {
  const uint32_t* listed = std::find(std::begin(Speeds), std::end(Speeds), speed);
  if (listed == std::end(Speeds)) return up ? speed : UnlistedSpeedGoingDown;
  if (up) return listed + 1 == std::end(Speeds) ? speed : listed[1];
  return listed == std::begin(Speeds) ? speed : listed[-1];
}

void OnPortDelta(void* data, int delta) {
  auto& form = *static_cast<ToolForm*>(data);
  EnterDisconnectedState(form);
  SetPort(form, StepPort(SettingsFilePort(), delta < 0, PortOpens));
}

void OnSpeedDelta(void* data, int delta) {
  auto& form = *static_cast<ToolForm*>(data);
  EnterDisconnectedState(form);
  SetSpeed(form, StepSpeed(SettingsFileSpeed(), delta < 0));
}
