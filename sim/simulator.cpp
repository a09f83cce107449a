#include "sim/simulator.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "runtime/check.h"
#include "sim/new_software.h"
#include "sim/file_blocks.h"
#include "sim/procedures.h"
#include "sim/setup_service.h"
#include "sim/unit_logs.h"
#include "sim/update_files.h"
#include "sim/virtual_line_end.h"

namespace {

constexpr uint64_t Millisecond = 1000;
// How long a unit takes from the end of a request to the start of its reply, and
// what the round trip over the system network adds for a unit behind the local one.
constexpr uint64_t ReplyDelay = 1 * Millisecond;
constexpr uint64_t NetworkDelay = 5 * Millisecond;
constexpr uint64_t BootWindow = 250 * Millisecond;
constexpr uint64_t SpeedConfirmTime = 2000 * Millisecond;
constexpr uint32_t FallbackSpeed = 115200;
// The LPC boot ROM finds the speed from the "?" itself; Quarnet only ever syncs at 115200.
constexpr uint32_t BootRomSpeed = 115200;
// Where a flash programmer starts listening once the boot loader has started it.
constexpr uint32_t ProgrammerStartSpeed = 115200;
constexpr uint8_t BootFlagNoSoftware = 0x01;
constexpr uint8_t BootFlagFlashCheckFailed = 0x04;
constexpr uint8_t FileBlock = 0x47;
constexpr uint8_t RelayedFileBlock = 0x48;
constexpr uint8_t SetupFunction = 0x46;
// The software that relays file blocks to the units behind it.
constexpr int RelaySoftware = 604;

LineSettings NoParity(uint32_t baud) { return LineSettings{baud, 1, false, false, false}; }

std::string UnitName(const SimUnit& unit) { return "unit " + std::to_string(unit.Address()); }

std::string SpeedText(const LineSettings& settings) {
  std::string text = std::to_string(settings.baud);
  if (settings.parityOn) text += settings.even ? " even parity" : " odd parity";
  return text;
}

std::string Hex4(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", value);
  return text;
}

// The length a block request (a download into RAM or a flash write) names; 0 for
// any other request.
size_t BlockLength(const Bytes& body) {
  if (body.size() < 10 || body[1] != 0x45) return 0;
  switch (WordAt(body, 2)) {
    case 0x1020:
    case 0x1040: return body[8];
    case 0x1024:
    case 0x1042: return WordAt(body, 8);
  }
  return 0;
}

}  // namespace

Simulator::Simulator(VirtualClock& clock, const SystemDescription& system)
    : clock_(clock),
      receiver_([this](uint64_t when, std::function<void()> event) { Later(when, std::move(event)); },
                [this](Bytes chunk) { ChunkHeard(std::move(chunk)); }) {
  units_.reserve(system.units.size());  // the units stay where they are: events refer to them
  for (const UnitDescription& description : system.units) {
    SimUnit& unit = units_.emplace_back();
    unit.description = description;
    unit.files = description.files;
    unit.settings = description.settings;
    if (description.keepsLogs) WriteUnitLogs(unit);
    if (description.attached) attached_ = &unit;
  }
  Assert(attached_ != nullptr);
  for (SimUnit& unit : units_) {
    Start(unit, unit.description.program);
    unit.readyAt = Now();  // it has been running since before the simulation began
  }
}

Simulator::~Simulator() {
  if (line_ != nullptr) line_->onByte = nullptr;
}

void Simulator::Attach(VirtualLine& line) {
  ownedLine_.reset();  // lets go of the line before the new end takes it over
  ownedLine_ = std::make_unique<VirtualLineEnd>(line);
  Attach(*ownedLine_);
}

void Simulator::Attach(SimulatorLine& line) {
  line_ = &line;
  line.onByte = [this](uint8_t byte) { receiver_.Take(byte, Now(), attached_->listening.baud); };
  line.Listen(attached_->listening);
}

SimUnit* Simulator::Unit(uint8_t address) {
  for (SimUnit& unit : units_) {
    if (unit.Address() == address) return &unit;
  }
  return nullptr;
}

SimFile* Simulator::File(uint8_t address, uint8_t drive, uint16_t file) {
  SimUnit* unit = Unit(address);
  if (unit == nullptr) return nullptr;
  auto found = unit->files.find({drive, file});
  return found == unit->files.end() ? nullptr : &found->second;
}

void Simulator::PutFile(uint8_t address, uint8_t drive, uint16_t file, Bytes data, Bytes properties) {
  if (SimUnit* unit = Unit(address)) unit->files[{drive, file}] = SimFile{std::move(data), std::move(properties)};
}

void Simulator::SetProgram(uint8_t address, Program program) {
  if (SimUnit* unit = Unit(address)) {
    ++unit->epoch;
    Start(*unit, program);
  }
}

void Simulator::SetListening(uint8_t address, const LineSettings& settings) {
  if (SimUnit* unit = Unit(address)) {
    unit->speedUnconfirmed = false;
    Listen(*unit, settings);
    Note(UnitName(*unit) + ": listens at " + SpeedText(settings));
  }
}

void Simulator::PowerCycle(uint8_t address, bool bootButton) {
  if (SimUnit* unit = Unit(address)) {
    Note(UnitName(*unit) + ": power off and on" + (bootButton ? " with the boot button held" : ""));
    Restart(*unit, bootButton ? Program::BootRom : Program::Software);
  }
}

void Simulator::Restart(SimUnit& unit, Program into) {
  uint64_t epoch = ++unit.epoch;
  unit.program = Program::Off;
  unit.ram = Memory{};
  unit.bootWindowOpen = false;
  unit.speedUnconfirmed = false;
  Note(UnitName(unit) + ": restarting into its " + ProgramName(into) + " (" +
       std::to_string(unit.description.restartTime) + " ms)");
  Later(Now() + unit.description.restartTime * Millisecond, [this, &unit, epoch, into] {
    if (unit.epoch != epoch) return;
    if (into != Program::Software) {
      Start(unit, into);
      return;
    }
    for (const std::string& note : ApplyUpdateFiles(unit)) Note(UnitName(unit) + ": " + note);
    Start(unit, Program::BootLoader);
    unit.bootWindowOpen = true;
    Later(Now() + BootWindow, [this, &unit, epoch] {
      if (unit.epoch == epoch && unit.bootWindowOpen) Start(unit, Program::Software);
    });
  });
}

void Simulator::RestartSystem() {
  for (SimUnit& unit : units_) Restart(unit, Program::Software);
}

std::vector<uint8_t> Simulator::RunningUnitsOtherThan(uint8_t address) const {
  std::vector<uint8_t> addresses;
  for (const SimUnit& unit : units_) {
    if (unit.Address() != address && unit.program == Program::Software) addresses.push_back(unit.Address());
  }
  std::sort(addresses.begin(), addresses.end());
  return addresses;
}

void Simulator::ChangeSpeed(SimUnit& unit, uint32_t baud, bool confirm) {
  if (unit.listening.baud == baud && !unit.listening.parityOn) return;
  uint64_t epoch = ++unit.epoch;
  Listen(unit, NoParity(baud));
  Note(UnitName(unit) + ": " + ProgramName(unit.program) + " now at " + std::to_string(baud));
  if (!confirm) return;
  unit.speedUnconfirmed = true;
  Later(Now() + SpeedConfirmTime, [this, &unit, epoch, baud] {
    if (unit.epoch != epoch || !unit.speedUnconfirmed) return;
    unit.speedUnconfirmed = false;
    Listen(unit, NoParity(FallbackSpeed));
    Note(UnitName(unit) + ": heard nothing at " + std::to_string(baud) + ", back at " +
         std::to_string(FallbackSpeed));
  });
}

void Simulator::StartProgrammer(SimUnit& unit) {
  ++unit.epoch;
  Start(unit, Program::Programmer);
}

void Simulator::Note(const std::string& text) { traffic_.Note(Now(), text); }

void Simulator::After(uint64_t microseconds, std::function<void()> event) {
  Later(Now() + microseconds, std::move(event));
}

void Simulator::SendBlockReply(SimUnit& from, const Bytes& body, bool lengthHeader) {
  Reply(from, Frame(body, lengthHeader), ReplyDelayOf(from), nullptr);
}

bool Simulator::RelaysReplies(const SimUnit& unit) const {
  return &unit != attached_ && attached_->program == Program::Software &&
         attached_->Identity().softwareVersion >= RelaySoftware;
}

uint64_t Simulator::ReplyDelayOf(const SimUnit& unit) const {
  return &unit == attached_ ? ReplyDelay : ReplyDelay + NetworkDelay;
}

void Simulator::Later(uint64_t when, std::function<void()> event) {
  clock_.Schedule(when, [alive = std::weak_ptr<bool>(alive_), event = std::move(event)] {
    if (alive.lock()) event();
  });
}

bool Simulator::SoftwareStarts(SimUnit& unit) {
  UnitIdentity& identity = unit.description.identity;
  switch (CheckSoftware(unit.flash, identity.mcu)) {
    case SoftwareState::Untouched: return true;
    case SoftwareState::Complete:
      SoftwareAccepted(unit.flash);
      RunNewSoftware(identity);
      Note(UnitName(unit) + ": the new software passes the flash check");
      return true;
    case SoftwareState::Missing:
      identity.bootFlags = BootFlagNoSoftware;
      Note(UnitName(unit) + ": no software in flash, the boot loader stays");
      return false;
    case SoftwareState::Broken:
      identity.bootFlags = BootFlagFlashCheckFailed;
      Note(UnitName(unit) + ": the software fails the flash check, the boot loader stays");
      return false;
  }
  return false;
}

void Simulator::Start(SimUnit& unit, Program program) {
  if (program == Program::Software && !SoftwareStarts(unit)) program = Program::BootLoader;
  unit.program = program;
  unit.bootWindowOpen = false;
  unit.speedUnconfirmed = false;
  unit.openFile = SimOpenFile{};
  switch (program) {
    case Program::Off: break;
    case Program::Software:
      Listen(unit, unit.description.speed);
      unit.readyAt = Now() + unit.description.readyAfter * Millisecond;
      break;
    case Program::BootLoader: Listen(unit, NoParity(unit.description.bootLoaderSpeed)); break;
    case Program::BootRom:
      unit.rom = BootRom{};
      Listen(unit, NoParity(BootRomSpeed));
      break;
    case Program::Programmer: Listen(unit, NoParity(ProgrammerStartSpeed)); break;
  }
  Note(UnitName(unit) + ": " + ProgramName(program) +
       (program == Program::Off ? "" : " at " + SpeedText(unit.listening)));
}

void Simulator::Listen(SimUnit& unit, const LineSettings& settings) {
  unit.listening = settings;
  if (&unit == attached_ && line_ != nullptr) line_->Listen(settings);
}

void Simulator::ChunkHeard(Bytes chunk) {
  std::optional<Request> request = Unframe(chunk);
  // A block is logged by its address and length instead of kilobytes of hex.
  if (size_t length = request ? BlockLength(request->body) : 0; length > 0) {
    const Bytes& body = request->body;
    traffic_.ReceivedBlock(Now(), std::span<const uint8_t>(body).first(4), LongAt(body, 4),
                           static_cast<uint32_t>(length));
  } else {
    traffic_.Received(Now(), chunk);
  }
  SimUnit& local = *attached_;
  if (local.program == Program::BootRom) {
    std::string answer = BootRomHears(local.rom, std::string(chunk.begin(), chunk.end()));
    if (!answer.empty()) Reply(local, Bytes(answer.begin(), answer.end()), ReplyDelay, nullptr);
  } else if (local.program != Program::Off && request) {
    RequestHeard(*request);
  }
}

void Simulator::RequestHeard(const Request& request) {
  SimUnit& local = *attached_;
  uint32_t baud = local.listening.baud;
  // A muted local unit hears nothing: it neither answers nor passes requests on.
  if (local.program == Program::Software && faults_.Mutes(local.Address(), baud)) {
    Note(UnitName(local) + ": muted");
    return;
  }
  local.speedUnconfirmed = false;
  const Bytes& body = request.body;
  SimUnit* unit = Route(body[0]);
  if (unit == nullptr) {
    Note("no unit answers address " + std::to_string(body[0]));
    return;
  }
  if (unit != &local && faults_.Mutes(unit->Address(), baud)) {
    Note(UnitName(*unit) + ": muted");
    return;
  }
  if (unit->bootWindowOpen) {
    unit->bootWindowOpen = false;
    Note(UnitName(*unit) + ": boot loader stays");
  }
  if (body[1] == FileBlock || body[1] == RelayedFileBlock) {
    BlockHeard(*unit, request);
    return;
  }
  std::function<void()> afterReply;
  std::optional<Bytes> reply = Answer(*unit, body, afterReply);
  if (!reply) return;
  Reply(*unit, Frame(*reply, request.lengthHeader), ReplyDelayOf(*unit), std::move(afterReply));
}

void Simulator::BlockHeard(SimUnit& unit, const Request& request) {
  std::string who = UnitName(unit) + " (" + ProgramName(unit.program) + ")";
  if (unit.program != Program::Software && unit.program != Program::Programmer) {
    Note(who + ": no answer to a file block");
    return;
  }
  const SimUnit& local = *attached_;
  if (request.body[1] == RelayedFileBlock &&
      (local.program != Program::Software || local.Identity().softwareVersion < RelaySoftware)) {
    Note(UnitName(local) + " (" + ProgramName(local.program) + "): no answer to a relayed block");
    return;
  }
  ServeFileBlock(*this, unit, request.body, request.lengthHeader);
}

SimUnit* Simulator::Route(uint8_t address) {
  SimUnit& local = *attached_;
  if (local.program == Program::BootLoader || local.program == Program::Programmer) {
    return address == BootLoaderAddress ? &local : nullptr;
  }
  if (address == local.Address() || address == ProbeAddress) return &local;
  SimUnit* remote = Unit(address);
  return remote != nullptr && remote->program == Program::Software ? remote : nullptr;
}

std::optional<Bytes> Simulator::Answer(SimUnit& unit, const Bytes& body, std::function<void()>& afterReply) {
  constexpr uint8_t Ping = 0x41, PingReply = 0x42, ProcedureCall = 0x45;
  uint8_t function = body[1];
  if (function == Ping && body.size() == 2) return Bytes{body[0], PingReply};
  std::string who = UnitName(unit) + " (" + ProgramName(unit.program) + ")";
  if (function == SetupFunction && unit.program == Program::Software) return AnswerSetupCall(*this, unit, body);
  if (function != ProcedureCall || body.size() < 4) {
    Note(who + ": no answer to function " + std::to_string(function));
    return std::nullopt;
  }
  uint16_t code = WordAt(body, 2);
  const Procedure* procedure = FindProcedure(unit, code);
  if (procedure == nullptr) {
    Note(who + ": no procedure " + Hex4(code));
    return std::nullopt;
  }
  if (procedure->argumentBytes != CountedArguments && body.size() != 4 + procedure->argumentBytes) {
    Note(who + ": " + procedure->name + " with " + std::to_string(body.size() - 4) + " argument bytes");
    return std::nullopt;
  }
  Call call{*this, unit, std::span<const uint8_t>(body).subspan(4), {}, {}};
  if (!procedure->answer(call)) return std::nullopt;
  Bytes reply(body.begin(), body.begin() + 4);
  std::copy(call.results.begin(), call.results.end(), std::back_inserter(reply));
  afterReply = std::move(call.afterReply);
  return reply;
}

void Simulator::Reply(SimUnit& from, Bytes reply, uint64_t delay, std::function<void()> afterReply) {
  uint64_t epoch = attached_->epoch;
  Later(Now() + delay, [this, &from, reply = std::move(reply), epoch, afterReply = std::move(afterReply)] {
    if (attached_->epoch != epoch) return;  // the unit on the port restarted meanwhile
    ReplyFate fate = faults_.Apply(from.Address(), reply);
    for (const std::string& note : fate.notes) Note(note);
    if (fate.sent) {
      line_->Send(fate.bytes);
      traffic_.Sent(Now(), fate.bytes);
    }
    if (afterReply) afterReply();
    if (fate.vanish) line_->Vanish();
  });
}
