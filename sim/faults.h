// Faults on demand: what goes wrong on the line or in a unit, in the order a test or
// the command line asked for. Each order watches the replies of one unit (or of any)
// from the moment it is given: it lets `after` of them pass untouched, then acts.
//
//   StrayBytes    `bytes` stray bytes (0x00) go out just before one reply
//   DropReply     `count` replies are lost (the unit did what was asked, the reply
//                 never reaches the PC); count 0: every reply from then on
//   CorruptReply  `count` replies have their middle byte inverted; 0: every one
//   Mute          the unit's software stops answering for good, until the faults
//                 are cleared (at line speed `speed` only, when it is not 0); a
//                 muted unit on the port passes nothing on to the units behind
//                 it either, and does not take a new speed as heard; its boot
//                 loader still answers
//   Vanish        the link vanishes instead of the next reply (the pseudo-terminal
//                 closes, the virtual line is unplugged)
//   FlashFail     the flash cells at `address` are broken: from then on, until the
//                 faults are cleared, the flash programmer reports `result` for a
//                 write of the block that holds them and leaves the block unwritten
//
// Three more watch the file blocks a unit hears (function 0x47 or 0x48) rather than
// its replies:
//
//   RefuseWrite   after `after` writes, `count` writes are refused (code 0x34) and
//                 their data dropped; 0: every one
//   FlashFailure  after `after` blocks (reads and writes), the flash fails once: a
//                 write is acknowledged with the result `result` (not 0) and not
//                 stored, a read is answered with count 0xFF
//   SwapReads     after `after` reads, `count` read replies are held back and go out
//                 just after the next one (or on their own when no read follows);
//                 0: every other one
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/frame.h"

enum class FaultKind { StrayBytes, DropReply, CorruptReply, Mute, Vanish, FlashFail, RefuseWrite, FlashFailure, SwapReads };

// The kinds that watch file blocks rather than replies.
bool IsBlockFault(FaultKind kind);

struct FaultOrder {
  FaultKind kind = FaultKind::DropReply;
  int after = 0;
  int count = 1;
  int bytes = 1;       // StrayBytes
  uint32_t speed = 0;    // Mute
  uint8_t unit = 0;      // 0: any unit
  uint32_t address = 0;  // FlashFail
  uint8_t result = 1;    // FlashFail and FlashFailure: never 0, which reports success
};

// A reply after the faults have had their way with it.
struct ReplyFate {
  Bytes bytes;  // what goes on the line
  bool sent = true;
  bool vanish = false;
  std::vector<std::string> notes;  // for the traffic log
};

class Faults {
 public:
  void Order(const FaultOrder& order);
  void Clear() { orders_.clear(); }
  // Whether the unit's software ignores what it hears at this line speed.
  bool Mutes(uint8_t unit, uint32_t baud) const;
  // The result the flash programmer reports for a write of `length` bytes at
  // `address`; 0 when no fault touches it.
  uint8_t FlashResult(uint8_t unit, uint32_t address, uint32_t length) const;
  ReplyFate Apply(uint8_t unit, Bytes reply);
  // Whether a fault of this block kind acts on the block the unit has just heard;
  // the order that acts, or nullptr.
  const FaultOrder* TakeBlock(FaultKind kind, uint8_t unit);

 private:
  struct Active {
    FaultOrder order;
    bool done = false;
  };
  std::vector<Active> orders_;
};

// Reads a fault of the command line: KIND[:ARGUMENT][@AFTER], kinds stray (argument:
// bytes), drop and corrupt (argument: count), mute (argument: line speed), vanish,
// flashfail:ADDRESS[:RESULT] (decimal or 0x hex; result 1 to 255, default 1), refuse
// and swap (argument: count), flash (argument: the result, 1 to 255).
// False with a message in `error`.
bool ParseFaultOrder(const std::string& text, FaultOrder& order, std::string& error);
