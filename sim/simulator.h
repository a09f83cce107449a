// The simulated weighing system at run time: the unit attached to the PC's serial
// port and the units behind it on the system network, serving one line end. The
// same simulator runs in-process on a virtual line (virtual time, for fast tests)
// and in quarnet-sim on a pseudo-terminal (real time, pty_server.h).
//
// In-process use, from a test of the tool's protocol code:
//
//   VirtualClock clock;
//   VirtualLine line(clock, true);                // paced: bytes take their line time
//   Simulator simulator(clock, DemoSystem());     // or a system from ReadSystemText
//   simulator.Attach(line);                       // serves line.Peer(); the line
//                                                 // must outlive the simulator
//   AttachVirtualLine(1, &line);                  // the tool opens COM1 on line.Tool()
//   simulator.OrderFault({.kind = FaultKind::DropReply, .after = 2});
//   ... run the tool's code; virtual time moves as it waits ...
//   simulator.Traffic().Of(TrafficKind::Received) // the requests heard, in hex
//   simulator.Unit(5)->program, ->listening       // what the unit does now
//   simulator.PowerCycle(5);                      // the operator switches it off and on
//
// What a unit does:
// - It hears the PC only when the PC's speed and parity are those its running
//   program listens at; a request ends at a pause of 3.5 characters.
// - Its software answers on its own address and, as the unit on the PC's port, on
//   0xF0; requests for the other units are passed on over the system network and
//   their replies come back through it (5 ms later). Its boot loader answers on
//   address 1 at the boot loader speed; the MCU boot ROM speaks its text handshake
//   at 115200. A flash programmer the boot loader takes into RAM starts at 115200,
//   on address 1 too, and writes the unit's flash (unit_memory.h).
// - Before its software starts the boot loader checks it: after an erase of the
//   software the unit starts only once every byte erased from the software's start
//   on was written again, and then runs the new software (new_software.h);
//   otherwise it stays in its boot loader with boot flag 0x01 (no software) or
//   0x04 (flash check failed).
// - A reply leaves 1 ms after the request has ended. Requests it does not know, or
//   refuses, get no reply at all.
// - A restart (Reset, GotoBootLoader, ResetSystem, a power cycle) silences the unit
//   for its restart time. Into the software, the boot loader then listens 250 ms for
//   the tool before the software starts; a request for it keeps it there.
// - A speed change (0x1030) holds only when a request is heard at the new speed
//   within 2 s; otherwise the unit falls back to 115200.
// - Its software and its flash programmer keep files on the unit's drives and
//   serve the file calls and blocks (file_procedures.cpp, file_blocks.h); a block
//   relayed (0x48) is understood by a local unit of software 6.04 or later.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "link/virtual_line.h"
#include "runtime/virtual_clock.h"
#include "sim/chunk_receiver.h"
#include "sim/faults.h"
#include "sim/simulator_line.h"
#include "sim/system_file.h"
#include "sim/traffic_log.h"
#include "sim/unit.h"

class Simulator {
 public:
  Simulator(VirtualClock& clock, const SystemDescription& system);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Serves the far end (Peer) of a virtual line.
  void Attach(VirtualLine& line);
  // Serves any line end; it must outlive the simulator.
  void Attach(SimulatorLine& line);

  // nullptr when the system has no unit at the address.
  SimUnit* Unit(uint8_t address);
  SimUnit& AttachedUnit() { return *attached_; }
  std::span<SimUnit> Units() { return units_; }

  // Runs `program` at once, at that program's speed, cancelling any restart.
  void SetProgram(uint8_t address, Program program);
  // The unit listens at other settings from now on (as if it had been told to).
  void SetListening(uint8_t address, const LineSettings& settings);
  // The operator switches the unit off and on; with the boot button held the MCU's
  // boot ROM runs instead of the boot loader.
  void PowerCycle(uint8_t address, bool bootButton = false);

  // The file on a unit's drive; nullptr when the unit or the file is not there.
  SimFile* File(uint8_t address, uint8_t drive, uint16_t file);
  // Puts a file on a unit's drive, as if it had always been there.
  void PutFile(uint8_t address, uint8_t drive, uint16_t file, Bytes data, Bytes properties = {});

  void OrderFault(const FaultOrder& order) { faults_.Order(order); }
  void ClearFaults() { faults_.Clear(); }
  TrafficLog& Traffic() { return traffic_; }

  // For the procedures of the units' programs.
  uint64_t Now() const { return clock_.Now(); }
  void Restart(SimUnit& unit, Program into);
  void RestartSystem();
  // The addresses of the units running their software, other than `address`, in order.
  std::vector<uint8_t> RunningUnitsOtherThan(uint8_t address) const;
  // Once the reply has gone: the unit listens at `baud`, no parity; with `confirm`, it
  // falls back to 115200 unless it hears a request at the new speed in time.
  void ChangeSpeed(SimUnit& unit, uint32_t baud, bool confirm);
  // The flash programmer in the unit's RAM starts (again), at 115200.
  void StartProgrammer(SimUnit& unit);
  // The result a flash fault gives a write of `length` bytes at `address`; 0 for none.
  uint8_t FlashFault(const SimUnit& unit, uint32_t address, uint32_t length) const {
    return faults_.FlashResult(unit.Address(), address, length);
  }
  void Note(const std::string& text);
  // For the file blocks, which may answer later than at once or twice for one request.
  void After(uint64_t microseconds, std::function<void()> event);
  // The block reply goes out as a reply to a request does, framed like it.
  void SendBlockReply(SimUnit& from, const Bytes& body, bool lengthHeader);
  // Whether the replies of `unit` reach the PC relayed by the local unit.
  bool RelaysReplies(const SimUnit& unit) const;
  // The speed the unit on the port listens at.
  uint32_t LineSpeed() const { return attached_->listening.baud; }
  class Faults& FaultOrders() { return faults_; }

 private:
  void Later(uint64_t when, std::function<void()> event);
  // The unit starts running `program` now.
  void Start(SimUnit& unit, Program program);
  // The boot loader's check of the software; false keeps the unit in its boot loader.
  bool SoftwareStarts(SimUnit& unit);
  void Listen(SimUnit& unit, const LineSettings& settings);
  void ChunkHeard(Bytes chunk);
  void RequestHeard(const Request& request);
  // The unit that handles a request for `address`, as the attached unit's program routes it.
  SimUnit* Route(uint8_t address);
  std::optional<Bytes> Answer(SimUnit& unit, const Bytes& body, std::function<void()>& afterReply);
  // Sends the reply of `from` after `delay`, unless the attached unit restarted meanwhile.
  void Reply(SimUnit& from, Bytes reply, uint64_t delay, std::function<void()> afterReply);
  uint64_t ReplyDelayOf(const SimUnit& unit) const;
  // Function 0x47 or 0x48 for `unit`, once the local unit has passed it on.
  void BlockHeard(SimUnit& unit, const Request& request);

  VirtualClock& clock_;
  std::vector<SimUnit> units_;
  SimUnit* attached_ = nullptr;
  std::unique_ptr<SimulatorLine> ownedLine_;
  SimulatorLine* line_ = nullptr;
  ChunkReceiver receiver_;
  Faults faults_;
  TrafficLog traffic_;
  // Events on the clock hold a weak reference: once the simulator is gone they do nothing.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
