#include "protocol/identification.h"

#include "link/packet.h"
#include "link/port_control.h"
#include "protocol/remote_call.h"
#include "runtime/log.h"
#include "runtime/program_state.h"

namespace {

constexpr uint16_t ReadUnitInfoCode = 0x1010;
constexpr uint16_t ReadBootLoaderVersionCode = 0x1012;
constexpr uint16_t ReadBootLoaderReleaseCode = 0x1013;
constexpr uint16_t ReadAdvancedInfoCode = 0x1014;
constexpr uint16_t ReadExtendedInfoCode = 0x1015;
constexpr uint16_t ReadInformationTextCode = 0x1016;
constexpr uint32_t AdvancedFixedPart = 33;

void Debug(std::string_view text) { PutText(DebugStream, text); }
void PutNumberLine(std::string_view label, int64_t value) {
  Debug(label);
  PutInt(DebugStream, value);
  Debug("\r\n");
}

void ReportBootLoader(const UnitInfo& unit) {
  Debug("MCUType=");
  PutInt(DebugStream, unit.mcu);
  Debug(" ");
  Debug(McuName(unit.mcu));
  Debug("\r\n");
  PutNumberLine("Boot loader version=", unit.bootversion);
  PutNumberLine("Boot loader release=", unit.bootrelease);
}

int8_t GetSigned(InputRecord& reader) { return static_cast<int8_t>(GetByte(reader)); }

bool ReadInformationText(UnitInfo& unit, uint8_t length) {
  AnnounceCall("ReadInformationText");
  String text;
  bool ok = CallRepeated(8, unit.SlaveAddress, ReadInformationTextCode, "", 4u + length, [&] {
    text.Clear();
    for (int i = 0; i < length; ++i) {
      uint8_t c = GetByte(PacketReader);
      // Control characters would break the report's lines.
      text.Append(c < 32 ? ':' : static_cast<char>(c));
    }
  });
  if (!ok) {
    CallFailed();
    return false;
  }
  unit.information = text;
  Debug("Information=");
  PutString(DebugStream, text);
  Debug("\r\n");
  CallComplete();
  return true;
}

}  // namespace

namespace {

struct BasicInfo {
  uint16_t card, circuit, word;
  int16_t version;
};

bool ReadBasicInfo(int attempts, uint8_t address, BasicInfo& info) {
  return CallRepeated(attempts, address, ReadUnitInfoCode, "", 12, [&] {
    info.card = GetWord(PacketReader);
    info.circuit = GetWord(PacketReader);
    info.version = static_cast<int16_t>(GetWord(PacketReader));
    info.word = GetWord(PacketReader);
  });
}

void StoreBasicInfo(UnitInfo& unit, const BasicInfo& info) {
  unit.cardnumber = static_cast<int16_t>(info.card);
  unit.circuitcode = static_cast<int16_t>(info.circuit);
  unit.softwareversion = info.version;
  // Before 6.00 the word carried the product number; since then the build increment.
  if (info.version >= 600) unit.buildincrement = static_cast<int8_t>(info.word >> 8);
  else unit.product = info.word;
  if (const CardType* type = FindCard(unit.cardnumber)) unit.unittype = type->family;
  unit.mcu = McuForCard(unit.cardnumber, unit.circuitcode, unit.mcu);
}

}  // namespace

bool ReadUnitInfoOnce(UnitInfo& unit) {
  BasicInfo info{};
  if (!ReadBasicInfo(1, unit.SlaveAddress, info)) return false;
  StoreBasicInfo(unit, info);
  return true;
}

bool ReadUnitInfo(UnitInfo& unit) {
  AnnounceCall("ReadUnitInfo");
  BasicInfo info{};
  if (!ReadBasicInfo(4, unit.SlaveAddress, info)) {
    CallFailed();
    return false;
  }
  const CardType* type = FindCard(static_cast<int16_t>(info.card));
  if (type == nullptr) {
    String message = "Unsupported Card Number: ";
    StringStream out(message);
    PutInt(out, static_cast<int16_t>(info.card));
    FatalError(message);
  }
  StoreBasicInfo(unit, info);
  Debug("Card Number=");
  PutInt(DebugStream, unit.cardnumber);
  Debug(" ");
  Debug(type->unitTypeName);
  Debug("\r\n");
  PutNumberLine("MCU Type=", unit.mcu);
  Debug("Software Version=");
  PutString(DebugStream, VersionText(unit.softwareversion));
  Debug("\r\n");
  CallComplete();
  return true;
}

bool ReadAdvancedInfo(UnitInfo& unit) {
  if (unit.unitmode != ModeSoftware || unit.softwareversion < 600) return false;
  AnnounceCall("ReadAdvancedInfo");
  UnitInfo read = unit;
  bool ok = false;
  for (int attempt = 0; attempt < 8 && !ok && !ExitRequested; ++attempt) {
    BeginCall(unit.SlaveAddress, ReadAdvancedInfoCode);
    SendPacket(LinkPort, 4);
    RecvPartialPacket(LinkPort, 4 + AdvancedFixedPart);
    ReplyHead head = ReadReplyHead();
    uint8_t length = GetByte(PacketReader);
    GetByte(PacketReader);
    read.mcu = GetSigned(PacketReader);
    read.bootversion = GetSigned(PacketReader);
    read.bootrelease = GetSigned(PacketReader);
    read.cardnumber = static_cast<int16_t>(GetWord(PacketReader));
    read.circuitcode = static_cast<int16_t>(GetWord(PacketReader));
    read.revisionletter = GetByte(PacketReader);
    read.revisionnumber = GetByte(PacketReader);
    read.softwareversion = static_cast<int16_t>(GetWord(PacketReader));
    read.softwarebuild = GetSigned(PacketReader);
    read.buildincrement = GetSigned(PacketReader);
    for (int8_t& part : read.buildtime) part = GetSigned(PacketReader);
    read.checksum = GetLong(PacketReader);
    read.softwarecrc = GetWord(PacketReader);
    read.serialnumber = static_cast<int32_t>(GetLong(PacketReader));
    read.product = GetWord(PacketReader);
    int rest = length > AdvancedFixedPart ? length - static_cast<int>(AdvancedFixedPart) : 0;
    if (rest > 0) RecvPartialPacket(LinkPort, static_cast<uint32_t>(rest));
    for (int i = 0; i < rest; ++i) {
      uint8_t value = GetByte(PacketReader);
      if (i == 0) read.ModbusAddress = value;
      if (i == 1) read.unitflags = value;
    }
    ok = EndCall(head, unit.SlaveAddress, ReadAdvancedInfoCode);
  }
  if (!ok) {
    CallFailed();
    return false;
  }
  read.bootflags = 2;
  unit = read;
  PutNumberLine("Modbus Address=", unit.ModbusAddress);
  ReportBootLoader(unit);
  CallComplete();
  return true;
}

bool ReadExtendedInfo(UnitInfo& unit) {
  if (unit.unitmode != ModeSoftware || unit.softwareversion < 220) return false;
  AnnounceCall("ReadExtendedInfo");
  uint8_t textFlag = 0, textLength = 0;
  int32_t serial = 0;
  int8_t buildtime[6] = {};
  bool ok = CallRepeated(2, unit.SlaveAddress, ReadExtendedInfoCode, "", 30, [&] {
    GetByte(PacketReader);
    textFlag = GetByte(PacketReader);
    for (int i = 0; i < 6; ++i) GetByte(PacketReader);
    serial = static_cast<int32_t>(GetLong(PacketReader));
    for (int i = 0; i < 7; ++i) GetByte(PacketReader);
    for (int8_t& part : buildtime) part = GetSigned(PacketReader);
    textLength = GetByte(PacketReader);
  });
  if (!ok) return false;
  unit.serialnumber = serial;
  for (int i = 0; i < 6; ++i) unit.buildtime[i] = buildtime[i];
  PutNumberLine("Serial Number=", serial);
  CallComplete();
  if (textFlag == 1) return ReadInformationText(unit, textLength);
  return true;
}

bool ReadBootLoaderVersion(UnitInfo& unit) {
  uint8_t id = 0;
  if (!CallOnce(LoaderAddress, ReadBootLoaderVersionCode, "", 5, [&] { id = GetByte(PacketReader); })) {
    return false;
  }
  unit.bootid = static_cast<int8_t>(id);
  return true;
}

bool ReadBootLoaderRelease(UnitInfo& unit) {
  int8_t type = 0, mcu = 0, version = 0, release = 0;
  uint32_t checksum = 0;
  uint8_t flags = 0;
  bool ok = CallRepeated(4, LoaderAddress, ReadBootLoaderReleaseCode, Arguments({1}), 13, [&] {
    type = GetSigned(PacketReader);
    mcu = GetSigned(PacketReader);
    version = GetSigned(PacketReader);
    release = GetSigned(PacketReader);
    checksum = GetLong(PacketReader);
    flags = GetByte(PacketReader);
  });
  if (ok) {
    unit.boottype = type;
    unit.mcu = mcu;
    unit.bootversion = version;
    unit.bootrelease = release;
    unit.checksum = checksum;
    unit.bootflags = flags;
  } else {
    uint8_t id = static_cast<uint8_t>(unit.bootid);
    unit.boottype = 0;
    unit.mcu = static_cast<int8_t>(id >> 4);
    unit.bootversion = static_cast<int8_t>(id & 0x0F);
    unit.bootrelease = unit.bootversion;
    unit.bootflags = 0;
  }
  ReportBootLoader(unit);
  return ok;
}
