#include "protocol/discovery.h"

#include <algorithm>
#include <cstring>

#include "generic/string_utility.h"
#include "link/link_speed.h"
#include "link/packet.h"
#include "link/port_control.h"
#include "protocol/identification.h"
#include "protocol/remote_call.h"
#include "protocol/speed_negotiation.h"
#include "protocol/unit_procedures.h"
#include "runtime/clock.h"
#include "runtime/files.h"
#include "runtime/log.h"
#include "runtime/operator_stop.h"
#include "runtime/program_state.h"
#include "runtime/user_settings.h"

namespace {

constexpr uint32_t SoftwareProbeSpeeds[5] = {19200, 9600, 115200, 57600, 38400};
constexpr int SoftwareProbeAttempts = 10;
constexpr int RawBlockSize = 80;

void ChangeSpeedOrEnd(uint32_t speed, uint16_t timeout) {
  if (!ChangePacketBaudRate(speed, false, timeout, false)) FatalError("Unable to change baudrate");
}

// Raises the comm trace level for the raw boot ROM exchange and lowers it on every way out.
struct CommTraceRaised {
  CommTraceRaised() { ++CommTraceLevel; }
  ~CommTraceRaised() { --CommTraceLevel; }
};

enum class ProbeResult { Found, NotFound, PortError };

bool ReadRawText(char (&text)[RawBlockSize + 1], int& got) {
  std::memset(text, 0, sizeof text);
  got = ReadRawBlock(reinterpret_cast<uint8_t*>(text), RawBlockSize);
  if (got < 0) {
    PutLine(DebugStream, "[ERROR]", SystemErrorText());
    return false;
  }
  text[got] = '\0';
  return true;
}

// The in-system-programming handshake of an LPC MCU's boot ROM.
ProbeResult ProbeBootRom(UnitInfo& unit) {
  PutLine(DebugStream, "Checking for LPC chip firmware (blank chip or started with boot button pressed)");
  ChangeSpeedOrEnd(115200, MediumPacketTimeout);
  CommTraceRaised traced;
  const uint8_t question = '?';
  if (WriteCommPortOverlapped(LinkPort, &question, 1) <= 0) {
    PutLine(DebugStream, "<ERROR> ", SystemErrorText());
    return ProbeResult::PortError;
  }
  char text[RawBlockSize + 1];
  int got = 0;
  if (!ReadRawText(text, got)) return ProbeResult::PortError;
  if (got == 0) {
    PutLine(DebugStream, "[NO DATA]");
    return ProbeResult::NotFound;
  }
  if (std::strstr(text, "Synchronized\r\n") == nullptr) return ProbeResult::NotFound;
  PutLine(ReportStream, "-- LPC chip firmware found");
  const char* echo = "Synchronized\r\n";
  WriteCommPortOverlapped(LinkPort, reinterpret_cast<const uint8_t*>(echo), 14);
  if (!ReadRawText(text, got)) return ProbeResult::PortError;
  if (std::strstr(text, "OK\r\n") == nullptr) {
    PutLine(ReportStream, "-- synchronization failed");
    return ProbeResult::NotFound;
  }
  PutLine(DebugStream, "-- synchronization succeeded");
  SaveConnectionBaudRate();
  unit.unitmode = ModeBootRom;
  return ProbeResult::Found;
}

bool ProbeBootLoader(UnitInfo& unit) {
  AnnounceCall("ReadBootLoaderVersion");
  for (uint32_t speed : {9600u, 115200u}) {
    ChangeSpeedOrEnd(speed, ShortPacketTimeout);
    if (ReadBootLoaderVersion(unit)) {
      CallComplete();
      SaveConnectionBaudRate();
      unit.SlaveAddress = LocalUnitAddress = LoaderAddress;
      unit.unitmode = ModeBootLoader;
      PutLine(DebugStream, "-- found unit (velantor boot loader)");
      return true;
    }
  }
  return false;
}

bool ProbeSoftware(UnitInfo& unit) {
  PutLine(DebugStream, "Searching for unit ID...");
  unit.SlaveAddress = LocalUnitAddress = UnknownUnitAddress;
  PutLine(DebugStream, "Unit ID=", Hex{LocalUnitAddress, 2});
  for (int attempt = 0; attempt < SoftwareProbeAttempts; ++attempt) {
    if (ExitRequested) FatalError("Aborted");
    ChangeSpeedOrEnd(SoftwareProbeSpeeds[attempt % 5], ShortPacketTimeout);
    if (!Ping(LocalUnitAddress)) continue;
    PutLine(DebugStream, "-- found unit ($F0)");
    SaveConnectionBaudRate();
    unit.SlaveAddress = LocalUnitAddress;
    unit.unitmode = ModeSoftware;
    GetModbusAddress(unit);
    unit.SlaveAddress = LocalUnitAddress;
    return true;
  }
  PutLine(DebugStream, "-- unable to find unit");
  return false;
}

void ReportProgrammerSpeed() {
  PutLine(DebugStream, "-- programmer baud rate = ", ProgrammerBaudRate);
}

// Opens PortNumber and probes it; a port without a unit is closed again.
bool OpenAndProbe(UnitInfo& unit, bool reportEveryFailure) {
  if (OpenPort()) {
    PutLine(ReportStream, PortName(PortNumber), " opened");
    if (FindUnitOnPort(unit)) return true;
    ClosePort();
    return false;
  }
  PortError error = LastPortError();
  if (!reportEveryFailure && error != PortInUse && error != PortAccessDenied &&
      error != PortInvalidParameter) {
    return false;
  }
  std::string_view failure = PortOpenFailureText(error);
  if (!failure.empty()) {
    PutPieces(ReportStream, PortName(PortNumber), failure);
  } else {
    PutLine(ReportStream, PortName(PortNumber), " ERROR: ", PortErrorText());
  }
  return false;
}

}  // namespace

int ReadRawBlock(uint8_t* buffer, int count) {
  if (!IsPortOpen()) return -1;
  uint32_t start = TickMilliseconds();
  int total = 0;
  while (total < count) {
    uint32_t elapsed = TickMilliseconds() - start;
    if (elapsed >= PacketTimeout || ExitRequested) break;
    // Whatever arrives is taken at once; nothing arriving ends the read as its time is up.
    LinkPort.device->WaitForInput(std::min<uint32_t>(PacketTimeout - elapsed, StopPollMs));
    int got = ReadCommPortOverlapped(LinkPort, buffer + total, count - total);
    if (got < 0) return -1;
    total += got;
  }
  return total;
}

bool FindUnitOnPort(UnitInfo& unit) {
  unit.unitmode = ModeUnknown;
  LoaderAddress = 1;
  ProbeResult bootRom = ProbeBootRom(unit);
  if (bootRom == ProbeResult::Found) return true;
  if (bootRom == ProbeResult::PortError) return false;
  if (ProbeBootLoader(unit)) return true;
  return ProbeSoftware(unit);
}

bool SearchEnvironmentPorts(UnitInfo& unit) {
  PutLine(DebugStream, "Searching environment ports");
  String list = GetEnvironment("VELANTORPORTLIST");
  if (!list.Empty()) {
    PutLine(DebugStream, "   VELANTORPORTLIST: ", list);
  } else {
    list = GetEnvironment("VELANTORPORT");
    if (!list.Empty()) {
      PutLine(DebugStream, "   VELANTORPORT    : ", list);
    }
  }
  ReportProgrammerSpeed();
  while (!list.Empty()) {
    if (list.Length() > 3 && UpperCase(Left(list, 3).View()) == "COM") list = From(list, 3);
    PortNumber = static_cast<int16_t>(ReadInt(list));
    if (PortNumber == 0) return false;
    if (OpenAndProbe(unit, true)) return true;
    int separator = -1;
    for (int i = 0; i < list.Length() && separator < 0; ++i) {
      if (list[i] == ',' || list[i] == ';' || list[i] == ' ') separator = i;
    }
    list = separator < 0 ? String() : From(list, separator + 1);
    // "COM3; COM5": the blank after the separator separates too.
    while (!list.Empty() && (list[0] == ',' || list[0] == ';' || list[0] == ' ')) list = From(list, 1);
  }
  return false;
}

bool SearchPathPort(UnitInfo& unit) {
  PortNumber = PathPortNumber;
  return !PortPath.Empty() && OpenAndProbe(unit, true);
}

bool SearchAllPorts(UnitInfo& unit) {
  PutLine(DebugStream, "Searching all ports");
  int saved = static_cast<int>(ReadInt(ReadUserSetting(CommPortSetting)));
  ReportProgrammerSpeed();
  if (saved != 0) {
    PortNumber = static_cast<int16_t>(saved);
    PutLine(DebugStream, PortName(PortNumber), " loaded from registry");
    if (OpenAndProbe(unit, true)) return true;
  }
  for (int port = 1; port <= 99; ++port) {
    if (port == saved) continue;
    PortNumber = static_cast<int16_t>(port);
    if (OpenAndProbe(unit, false)) {
      String text;
      StringStream out(text);
      PutInt(out, port);
      WriteUserSetting(CommPortSetting, text);
      return true;
    }
  }
  return false;
}
