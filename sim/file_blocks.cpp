#include "sim/file_blocks.h"

#include <algorithm>

#include "link/virtual_line.h"
#include "sim/simulator.h"

namespace {

constexpr uint8_t FileBlock = 0x47;
constexpr uint8_t RelayedFileBlock = 0x48;
constexpr uint8_t ReadCode = 0x30;
constexpr uint8_t ReadReplyCode = 0x31;
constexpr uint8_t WriteCode = 0x32;
constexpr uint8_t AcknowledgedCode = 0x33;
constexpr uint8_t RefusedCode = 0x34;
constexpr uint8_t Unreadable = 0xFF;
constexpr size_t MaxBlock = 128;
constexpr int AcknowledgeEvery = 4;
// The high four bits of a relayed reply's third byte: the network port it came in on.
constexpr uint8_t RelayedReplyMark = 0x14;

struct Block {
  uint8_t address;
  uint8_t code;
  FileKey key;
  uint32_t offset;
  uint8_t count;
  std::span<const uint8_t> data;
};

std::string UnitName(const SimUnit& unit) { return "unit " + std::to_string(unit.Address()); }

// The line time of a little more than one block: a writer that sends back to back
// has the next write in by then.
uint64_t QuietTime(const Simulator& system) { return 160 * VirtualLine::ByteTime(system.LineSpeed()); }

Bytes BlockHead(const Block& block, uint8_t code) {
  Bytes body{block.address, FileBlock, code, block.key.first};
  AppendWord(body, block.key.second);
  AppendLong(body, block.offset);
  return body;
}

// Names the last write that lengthened the file: every write up to it has arrived.
void SendAcknowledgement(Simulator& system, SimUnit& unit, uint8_t address, bool lengthHeader) {
  Block named{address, AcknowledgedCode, unit.openFile.key, unit.openFile.lastTaken, 0, {}};
  Bytes body = BlockHead(named, AcknowledgedCode);
  body.push_back(0);
  body.push_back(0);
  unit.openFile.unacknowledged = 0;
  system.SendBlockReply(unit, body, lengthHeader);
}

void Refuse(Simulator& system, SimUnit& unit, const Block& block, bool lengthHeader, uint8_t result = 0) {
  Bytes body = BlockHead(block, result == 0 ? RefusedCode : AcknowledgedCode);
  body.push_back(0);
  body.push_back(result);
  system.SendBlockReply(unit, body, lengthHeader);
}

void ServeWrite(Simulator& system, SimUnit& unit, const Block& block, bool lengthHeader) {
  SimOpenFile& open = unit.openFile;
  if (block.data.size() != block.count || block.count > MaxBlock) {
    system.Note(UnitName(unit) + ": a write whose count is not its data");
    return;
  }
  if (!open.writing || open.key != block.key) {
    system.Note(UnitName(unit) + ": refuses a write to a file it has not created");
    Refuse(system, unit, block, lengthHeader);
    return;
  }
  if (const FaultOrder* fault = system.FaultOrders().TakeBlock(FaultKind::FlashFailure, unit.Address())) {
    system.Note("fault: the flash fails writing at " + std::to_string(block.offset));
    Refuse(system, unit, block, lengthHeader, fault->result);
    return;
  }
  if (system.FaultOrders().TakeBlock(FaultKind::RefuseWrite, unit.Address())) {
    system.Note("fault: write at " + std::to_string(block.offset) + " refused");
    Refuse(system, unit, block, lengthHeader);
    return;
  }
  Bytes& data = unit.files[block.key].data;
  if (block.offset > data.size()) {
    system.Note(UnitName(unit) + ": refuses a write at " + std::to_string(block.offset) + " beyond the " +
                std::to_string(data.size()) + " bytes it has");
    Refuse(system, unit, block, lengthHeader);
    return;
  }
  size_t end = block.offset + block.data.size();
  if (end > data.size()) {
    data.resize(end);
    open.lastTaken = block.offset;
  }
  std::copy(block.data.begin(), block.data.end(), data.begin() + block.offset);
  uint64_t write = ++open.writeCount;
  if (++open.unacknowledged >= AcknowledgeEvery) {
    SendAcknowledgement(system, unit, block.address, lengthHeader);
    return;
  }
  uint64_t epoch = unit.epoch;
  system.After(QuietTime(system), [&system, &unit, address = block.address, write, epoch, lengthHeader] {
    SimOpenFile& now = unit.openFile;
    if (unit.epoch != epoch || !now.writing || now.writeCount != write || now.unacknowledged == 0) return;
    SendAcknowledgement(system, unit, address, lengthHeader);
  });
}

void ServeRead(Simulator& system, SimUnit& unit, const Block& block, bool lengthHeader) {
  SimOpenFile& open = unit.openFile;
  if (!open.reading || open.key != block.key) {
    system.Note(UnitName(unit) + ": no answer to a read of a file it has not opened");
    return;
  }
  Bytes body = BlockHead(block, ReadReplyCode);
  if (system.FaultOrders().TakeBlock(FaultKind::FlashFailure, unit.Address())) {
    system.Note("fault: the flash fails reading at " + std::to_string(block.offset));
    body.push_back(Unreadable);
  } else {
    const Bytes& data = unit.files[block.key].data;
    size_t from = std::min<size_t>(block.offset, data.size());
    size_t count = std::min({size_t{block.count}, MaxBlock, data.size() - from});
    body.push_back(static_cast<uint8_t>(count));
    body.insert(body.end(), data.begin() + static_cast<long>(from), data.begin() + static_cast<long>(from + count));
  }
  if (system.RelaysReplies(unit)) {
    body[1] = RelayedFileBlock;
    body.insert(body.begin() + 2, RelayedReplyMark);
  }
  uint64_t read = ++open.readCount;
  if (open.holding) {
    open.holding = false;
    system.SendBlockReply(unit, body, lengthHeader);
    system.SendBlockReply(unit, open.heldRead, lengthHeader);
    return;
  }
  if (system.FaultOrders().TakeBlock(FaultKind::SwapReads, unit.Address())) {
    system.Note("fault: the reply for " + std::to_string(block.offset) + " waits for the next one");
    open.heldRead = body;
    open.holding = true;
    uint64_t epoch = unit.epoch;
    system.After(QuietTime(system), [&system, &unit, read, epoch, lengthHeader] {
      SimOpenFile& now = unit.openFile;
      if (unit.epoch != epoch || !now.holding || now.readCount != read) return;
      now.holding = false;
      system.SendBlockReply(unit, now.heldRead, lengthHeader);
    });
    return;
  }
  system.SendBlockReply(unit, body, lengthHeader);
}

}  // namespace

void ServeFileBlock(Simulator& system, SimUnit& unit, const Bytes& body, bool lengthHeader) {
  bool relayed = body[1] == RelayedFileBlock;
  size_t at = relayed ? 3 : 2;
  if (body.size() < at + 9 || (relayed && (body[2] & 0x0F) != 0x04)) {
    system.Note(UnitName(unit) + ": a block it cannot read");
    return;
  }
  Block block{body[0],
              body[at],
              {body[at + 1], WordAt(body, at + 2)},
              LongAt(body, at + 4),
              body[at + 8],
              std::span<const uint8_t>(body).subspan(at + 9)};
  if (block.code == WriteCode) {
    ServeWrite(system, unit, block, lengthHeader);
  } else if (block.code == ReadCode && !relayed) {
    ServeRead(system, unit, block, lengthHeader);
  } else {
    system.Note(UnitName(unit) + ": no answer to block code " + std::to_string(block.code));
  }
}
