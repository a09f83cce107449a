// libFuzzer target: the procedures that read what a unit says about itself, against
// a unit whose every reply the input describes. The unit answers each whole request
// it hears (and the boot ROM's raw questions) with the next reply of the input: any
// bytes, with or without the request's head echoed, a correct CRC or a length
// header, at once or late; once the input is used up it stays silent. Runs a few
// procedures in a row, then the unit report of what they stored.
//
// Beyond a crash it catches: a fatal error other than the one an unknown card
// rightly causes, results past their documented limits, control characters from
// the unit in the report, and a procedure that waits longer than its attempts and
// time-outs allow, all in virtual time.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "link/fuzz/fuzz_link.h"
#include "protocol/discovery.h"
#include "protocol/identification.h"
#include "protocol/loader_procedures.h"
#include "protocol/remote_call.h"
#include "protocol/setting_access.h"
#include "protocol/setup_calls.h"
#include "protocol/speed_negotiation.h"
#include "protocol/unit_info.h"
#include "protocol/unit_procedures.h"

namespace {

class FuzzUnit {
 public:
  FuzzUnit(FuzzedDataProvider& input, FuzzLink& link) : input_(input), link_(link) {
    link.Unit().onReceive = [this] { Hear(); };
  }
  ~FuzzUnit() { link_.Unit().onReceive = nullptr; }

 private:
  void Hear() {
    uint8_t byte;
    while (link_.Unit().Read(&byte, 1) == 1) {
      pending_.push_back(byte);
      std::string_view text(reinterpret_cast<const char*>(pending_.data()), pending_.size());
      // The boot ROM probe and its echo are text, not frames.
      if (text == "?" || text == "Synchronized\r\n") {
        Answer(pending_, false);
        pending_.clear();
        continue;
      }
      // A frame may follow garbage heard at another speed: try every start.
      for (size_t start = 0; start + 2 <= pending_.size(); ++start) {
        if (FuzzCrc(pending_.data() + start, pending_.size() - start) != 0) continue;
        std::vector<uint8_t> request(pending_.begin() + static_cast<long>(start), pending_.end() - 2);
        pending_.clear();
        Answer(request, true);
        break;
      }
      if (pending_.size() > 4096) pending_.clear();
    }
  }

  void Answer(const std::vector<uint8_t>& request, bool framed) {
    if (input_.remaining_bytes() == 0) return;
    uint8_t shape = input_.ConsumeIntegral<uint8_t>();
    if (shape == 0xFF) return;  // no reply to this one
    std::vector<uint8_t> reply;
    if (framed && (shape & 0x01)) {
      reply.assign(request.begin(), request.begin() + static_cast<long>(std::min<size_t>(4, request.size())));
      if (reply.size() >= 2 && reply[1] == FunctionPing) reply[1] = FunctionPingReply;
    }
    std::vector<uint8_t> results = input_.ConsumeBytes<uint8_t>(input_.ConsumeIntegralInRange<size_t>(0, 300));
    reply.insert(reply.end(), results.begin(), results.end());
    if (shape & 0x02) AppendFuzzCrc(reply);
    if (shape & 0x04) reply.insert(reply.begin(), {LengthHeaderMark, static_cast<uint8_t>(reply.size() % 256)});
    constexpr uint32_t Delays[4] = {1, 0, 40, 1500};
    link_.UnitSends(std::move(reply), Delays[shape >> 3 & 3]);
  }

  FuzzedDataProvider& input_;
  FuzzLink& link_;
  std::vector<uint8_t> pending_;
};

// Whatever a unit sends, the report stays in its lines: each starts with its indent,
// and holds no escape or other control character of the unit's making. The standard
// output turns any CR or LF into a line break, so a break the unit slipped in shows as
// a line without the indent. The JTAG warning rings the bell itself.
std::string report;
void CheckReportText() {
  size_t start = 0;
  while (start < report.size()) {
    size_t end = report.find("\r\n", start);
    if (end == std::string::npos) end = report.size();
    std::string_view line(report.data() + start, end - start);
    if (!line.empty() && line[0] == 0x07) line.remove_prefix(1);
    FuzzCheck(line.empty() || line.substr(0, 3) == "   ");
    for (char c : line) FuzzCheck(static_cast<uint8_t>(c) >= 0x20);
    start = end + 2;
  }
}

enum Procedure {
  UnitInfoCall,
  UnitInfoOnce,
  AdvancedInfo,
  ExtendedInfo,
  BootLoaderVersion,
  BootLoaderRelease,
  RemoteUnits,
  DebugLogs,
  ModbusAddress,
  VComPort,
  WaitForReady,
  PingUnit,
  ProgrammerVersion,
  BufferSize,
  EraseFms,
  FindUnit,
  UnitSpeed,
  ProgrammerSpeed,
  SettingCall,
  SetupStatus,
  ProcedureCount
};

// The most calls a procedure makes, and the time it sleeps besides, for the bound on
// its virtual time.
struct Cost {
  int calls;
  uint64_t sleepMs;
};
constexpr Cost Costs[ProcedureCount] = {
    {4, 0},                  // ReadUnitInfo
    {1, 0},                  // ReadUnitInfoOnce
    {8, 0},                  // ReadAdvancedInfo
    {2 + 8, 0},              // ReadExtendedInfo, then the information text
    {1, 0},                  // ReadBootLoaderVersion
    {4, 0},                  // ReadBootLoaderRelease
    {8, 0},                  // ListRemoteUnits
    {4, 0},                  // GetDebugLogs
    {4, 0},                  // GetModbusAddress
    {8, 0},                  // IsVComPort
    {60, 10000 + 60 * 200},  // WaitForUnit: 10 s of calls 200 ms apart
    {1, 0},                  // Ping
    {8, 0},                  // GetProgrammerVersion
    {2, 0},                  // GetBufferSize
    {8, 0},                  // EraseFMS
    {2 + 2 + 10 + 4, 0},     // FindUnitOnPort: boot ROM, boot loader, pings, Modbus address
    {8 + 4 + 150, 0},        // SetUnitBaudRate: asks, pings, asks at the fallback speed
    {16, 0},                 // SetProgrammerBaudRate
    {8, 0},                  // AccessSetting
    {8, 0},                  // SaveLoadStatus
};
// One call: the request's line time and the packet layer's waits, each bounded by the
// reply time-out (at most the long one), two slides of at most 100 ms plus a wait.
constexpr uint64_t CallBoundMs = 100 + 6 * (LongPacketTimeout + 2) + 2 * (100 + LongPacketTimeout + 2);

UnitInfo UnitFor(Procedure procedure, FuzzedDataProvider& input) {
  UnitInfo unit{};
  unit.unitmode = ModeSoftware;
  unit.SlaveAddress = input.ConsumeBool() ? 5 : UnknownUnitAddress;
  unit.softwareversion = static_cast<int16_t>(input.PickValueInArray({220, 600, 606, 610}));
  unit.softwarebuild = 40;
  unit.mcu = 6;
  unit.bootrelease = 15;
  if (procedure == BufferSize) {
    unit.unitmode = ModeBootLoader;
    unit.bootrelease = static_cast<int8_t>(input.PickValueInArray({10, 15}));
  }
  if (procedure == ProgrammerVersion || procedure == ProgrammerSpeed) unit.unitmode = ModeBootLoader;
  return unit;
}

void Run(Procedure procedure, UnitInfo& unit, FuzzedDataProvider& input) {
  switch (procedure) {
    case UnitInfoCall:
      if (ReadUnitInfo(unit)) FuzzCheck(FindCard(unit.cardnumber) != nullptr);
      break;
    case UnitInfoOnce: ReadUnitInfoOnce(unit); break;
    case AdvancedInfo: ReadAdvancedInfo(unit); break;
    case ExtendedInfo:
      ReadExtendedInfo(unit);
      // Its length came in a byte; its control characters would break the report's lines.
      FuzzCheck(unit.information.Length() <= 255);
      for (char c : unit.information.View()) FuzzCheck(static_cast<uint8_t>(c) >= 0x20);
      break;
    case BootLoaderVersion: ReadBootLoaderVersion(unit); break;
    case BootLoaderRelease: ReadBootLoaderRelease(unit); break;
    case RemoteUnits: {
      RemoteUnitList list{};
      list.count = -1;
      if (ListRemoteUnits(list)) FuzzCheck(list.count == -1 || (list.count >= 0 && list.count <= MaxRemoteUnits));
      else FuzzCheck(list.count == -1);
      break;
    }
    case DebugLogs: {
      DebugLogIds logs{};
      logs.count = -1;
      if (GetDebugLogs(unit, logs)) FuzzCheck(logs.count >= 0 && logs.count <= MaxDebugLogIds);
      else FuzzCheck(logs.count == -1);
      break;
    }
    case ModbusAddress: GetModbusAddress(unit); break;
    case VComPort: IsVComPort(unit); break;
    case WaitForReady: WaitForUnit(unit); break;
    case PingUnit: Ping(unit.SlaveAddress); break;
    case ProgrammerVersion: GetProgrammerVersion(unit); break;
    case BufferSize:
      GetBufferSize(unit);
      FuzzCheck(unit.buffersize >= 0 && unit.buffersize <= 0xFFFF);
      break;
    case EraseFms: {
      uint8_t result = 0;
      EraseFMS(unit, input.ConsumeIntegral<uint8_t>(), result);
      break;
    }
    case FindUnit: FindUnitOnPort(unit); break;
    case UnitSpeed: SetUnitBaudRate(unit, input.PickValueInArray({0u, 9600u, 19200u, 57600u, 921600u})); break;
    case ProgrammerSpeed:
      SetProgrammerBaudRate(unit, input.PickValueInArray({0u, 9600u, 128000u, 460800u}), input.ConsumeBool());
      break;
    case SettingCall: {
      SettingRecord record;
      record.value = 1.5f;
      if (AccessSetting(unit, 8060, input.ConsumeBool() ? SettingRead : SettingWrite, record)) {
        // The texts' lengths came in a byte each; the display fields in 4 and 12 bits.
        FuzzCheck(record.unitstext.Length() <= 255 && record.secondtext.Length() <= 255 &&
                  record.thirdtext.Length() <= 255);
        FuzzCheck(record.decimals <= 15 && record.countby <= 0x0FFF);
      } else {
        FuzzCheck(record.value == 1.5f && record.unitstext.Empty());
      }
      break;
    }
    case SetupStatus: {
      uint8_t status = 0xAA;
      if (!SaveLoadStatus(unit, status)) FuzzCheck(status == 0xAA);
      break;
    }
    case ProcedureCount: break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = (ThrowOnFatalError(), true);
  (void)started;
  FuzzedDataProvider input(data, size);
  FuzzLink link;
  FuzzCheck(link.opened);
  LocalUnitAddress = UnknownUnitAddress;
  LoaderAddress = 1;
  ProgrammerBaudRate = 0;
  SaveConnectionBaudRate();
  FuzzUnit unit(input, link);

  int count = input.ConsumeIntegralInRange(1, 3);
  UnitInfo info{};
  for (int i = 0; i < count && input.remaining_bytes() > 0; ++i) {
    auto procedure = static_cast<Procedure>(input.ConsumeIntegralInRange<int>(0, ProcedureCount - 1));
    info = UnitFor(procedure, input);
    uint64_t start = link.NowMs();
    try {
      Run(procedure, info, input);
    } catch (const FatalErrorRaised& fatal) {
      // The one fatal error a unit may cause here: a card the program does not know.
      const std::string prefix = "Unsupported Card Number: ";
      FuzzCheck(procedure == UnitInfoCall && fatal.message.rfind(prefix, 0) == 0);
      FuzzCheck(FindCard(std::stoi(fatal.message.substr(prefix.size()))) == nullptr);
      ClearFatalError();
      break;
    }
    const Cost& cost = Costs[procedure];
    FuzzCheck(link.NowMs() - start <= cost.calls * CallBoundMs + cost.sleepMs);
  }

  report.clear();
  InstallConsoleSink([](uint8_t c) { report += static_cast<char>(c); });
  WriteUnitReport(info);
  EndStandardOutput();
  InstallConsoleSink([](uint8_t) {});
  CheckReportText();
  String summary = UnitSummary(info, true);
  for (char c : summary.View()) FuzzCheck(static_cast<uint8_t>(c) >= 0x20);
  return 0;
}
