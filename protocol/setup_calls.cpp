#include "protocol/setup_calls.h"

#include <optional>

#include "link/packet.h"
#include "link/port_control.h"
#include "protocol/remote_call.h"
#include "runtime/stream.h"
#include "runtime/program_state.h"

namespace {

constexpr uint8_t SetupFunction = 0x46;
constexpr int Attempts = 8;

constexpr uint8_t LoadSetupCode = 0x90;
constexpr uint8_t SaveSetupCode = 0x91;
constexpr uint8_t SaveLoadStatusCode = 0x92;
constexpr uint8_t SaveModbusConfigCode = 0x94;
constexpr uint8_t SaveModbusConfigStatusCode = 0x95;
constexpr uint8_t SaveFieldbusConfigCode = 0x96;
constexpr uint8_t SaveFieldbusConfigStatusCode = 0x97;

// One counter per family: the setup calls, the Modbus calls, the fieldbus calls.
uint8_t SetupSequence = 0;
uint8_t ModbusSequence = 0;
uint8_t FieldbusSequence = 0;

// The request: address, function, sub-code, sequence and the optional parameter.
// The reply: address, function, a byte of no meaning, the sequence echoed and, for the
// status calls, the status.
bool SetupCall(const UnitInfo& unit, uint8_t code, uint8_t& counter, std::optional<uint8_t> parameter,
               uint8_t* status) {
  uint8_t sequence = counter++ & 7;
  uint32_t requestSize = parameter ? 5 : 4;
  uint32_t replySize = status != nullptr ? 5 : 4;
  for (int attempt = 0; attempt < Attempts && !ExitRequested; ++attempt) {
    BeginPacket();
    PutByte(PacketStream, unit.SlaveAddress);
    PutByte(PacketStream, SetupFunction);
    PutByte(PacketStream, code);
    PutByte(PacketStream, sequence);
    if (parameter) PutByte(PacketStream, *parameter);
    SendPacket(LinkPort, requestSize);
    RecvPacket(LinkPort, replySize);
    uint8_t address = GetByte(PacketReader);
    uint8_t function = GetByte(PacketReader);
    GetByte(PacketReader);
    uint8_t echo = GetByte(PacketReader);
    uint8_t reported = status != nullptr ? GetByte(PacketReader) : 0;
    if (EndRecvPacket(LinkPort) && address == unit.SlaveAddress && function == SetupFunction && echo == sequence) {
      if (status != nullptr) *status = reported;
      CallComplete();
      return true;
    }
  }
  return false;
}

}  // namespace

bool LoadSetup(const UnitInfo& unit, uint8_t type) {
  String name = "LoadSetup";
  StringStream out(name);
  PutHex2(out, type);
  AnnounceCall(name.View());
  return SetupCall(unit, LoadSetupCode, SetupSequence, type, nullptr);
}

bool SaveSetup(const UnitInfo& unit) {
  AnnounceCall("SaveSetup");
  return SetupCall(unit, SaveSetupCode, SetupSequence, 0, nullptr);
}

bool SaveLoadStatus(const UnitInfo& unit, uint8_t& status) {
  AnnounceCall("SaveLoadStatus");
  return SetupCall(unit, SaveLoadStatusCode, SetupSequence, std::nullopt, &status);
}

bool SaveModbusConfig(const UnitInfo& unit) {
  AnnounceCall("SaveModbusConfig");
  return SetupCall(unit, SaveModbusConfigCode, ModbusSequence, std::nullopt, nullptr);
}

bool SaveModbusConfigStatus(const UnitInfo& unit, uint8_t& status) {
  AnnounceCall("SaveModbusConfigStatus");
  return SetupCall(unit, SaveModbusConfigStatusCode, ModbusSequence, std::nullopt, &status);
}

bool SaveFieldbusConfig(const UnitInfo& unit) {
  AnnounceCall("SaveFieldbusConfig");
  return SetupCall(unit, SaveFieldbusConfigCode, FieldbusSequence, std::nullopt, nullptr);
}

bool SaveFieldbusConfigStatus(const UnitInfo& unit, uint8_t& status) {
  AnnounceCall("SaveFieldbusConfigStatus");
  return SetupCall(unit, SaveFieldbusConfigStatusCode, FieldbusSequence, std::nullopt, &status);
}

void ResetSetupSequences() { SetupSequence = ModbusSequence = FieldbusSequence = 0; }
