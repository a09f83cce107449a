#include "link/link_speed.h"

#include "link/packet.h"
#include "link/port_control.h"
#include "runtime/log.h"
#include "runtime/program_state.h"

namespace {

uint32_t savedBaudRate = 0;
bool savedEvenParity = false;

void Detail(std::string_view text) { PutText(DetailStream, text); }

void TraceSpeed(uint32_t speed, uint16_t milliseconds, const char* note) {
  Detail("baud rate = ");
  PutInt(DetailStream, speed);
  Detail(note);
  Detail(" timeout=");
  PutInt(DetailStream, milliseconds);
  Detail("ms");
}

}  // namespace

void SetPacketTimeout(uint16_t milliseconds) {
  ResetPacketCache();
  PacketTimeout = milliseconds;
  TraceSpeed(BaudRate, milliseconds, " (no change)");
  Detail("\r\n");
}

bool ChangePacketBaudRate(uint32_t speed, bool evenParity, uint16_t milliseconds, bool direct) {
  bool changed = speed != BaudRate;
  ResetPacketCache();
  BaudRate = speed;
  EvenParity = evenParity;
  PacketTimeout = milliseconds;
  if (!changed) {
    TraceSpeed(speed, milliseconds, " (no change)");
    Detail("\r\n");
    return true;
  }
  if (direct) {
    Detail("ChangePacketBaudRate: direct call to comm port\r\n");
    // The port stays open; the parity is left as it was.
    if (IsPortOpen()) SetCommPortParams(*LinkPort.device, speed, 2, false, false, false);
    TraceSpeed(speed, milliseconds, "");
    Detail(" (direct baud rate setting)\r\n");
    return true;
  }
  Detail("ChangePacketBaudRate: re-opening comm port to change baud rate\r\n");
  bool result = ChangeBaudRate();
  TraceSpeed(speed, milliseconds, "");
  Detail(EvenParity ? " (even parity)\r\n" : "\r\n");
  return result;
}

void SaveConnectionBaudRate() {
  savedBaudRate = BaudRate;
  savedEvenParity = EvenParity;
  PutText(DebugStream, "-- saved connection baud rate = ");
  PutInt(DebugStream, savedBaudRate);
  PutText(DebugStream, "\r\n");
}

void RestoreConnectionBaudRate(uint16_t milliseconds) {
  PutText(DebugStream, "-- restoring saved connection baud rate = ");
  PutInt(DebugStream, savedBaudRate);
  PutText(DebugStream, "\r\n");
  if (!ChangePacketBaudRate(savedBaudRate, savedEvenParity, milliseconds, false)) {
    FatalError("Unable to change baudrate");
  }
}

uint32_t TransmitTimeMs(uint32_t bytes, uint32_t speed) {
  double perMillisecond = (speed == 0 ? 1 : speed) / 1000.0;
  return static_cast<uint32_t>(bytes / perMillisecond * 11);
}
