#include "protocol/setting_access.h"

#include <bit>

#include "link/packet.h"
#include "link/port_control.h"
#include "protocol/remote_call.h"
#include "runtime/program_state.h"

namespace {

constexpr uint16_t AccessSettingCode = 0x1080;
constexpr int16_t FirstSettingsVersion = 600;
constexpr int Attempts = 8;
// The reply up to the text lengths and the unit byte, head included.
constexpr uint32_t FixedReplyPart = 36;

// A float travels as two 16-bit words, the low-order word first.
void PutSettingFloat(Stream& stream, float value) {
  uint32_t bits = std::bit_cast<uint32_t>(value);
  PutWord(stream, static_cast<uint16_t>(bits));
  PutWord(stream, static_cast<uint16_t>(bits >> 16));
}

float GetSettingFloat(InputRecord& reader) {
  uint32_t low = GetWord(reader);
  uint32_t high = GetWord(reader);
  return std::bit_cast<float>(high << 16 | low);
}

String GetText(int length) {
  String text;
  for (int i = 0; i < length; ++i) text.Append(static_cast<char>(GetByte(PacketReader)));
  return text;
}

bool AccessOnce(const UnitInfo& unit, uint16_t number, uint8_t access, SettingRecord& record) {
  BeginCall(unit.SlaveAddress, AccessSettingCode);
  PutSettingFloat(PacketStream, record.value);
  PutWord(PacketStream, number);
  PutByte(PacketStream, access);
  PutByte(PacketStream, 0x11);
  PutByte(PacketStream, 0x14);
  PutByte(PacketStream, record.selector);
  PutByte(PacketStream, 0x00);
  PutByte(PacketStream, 0x00);  // the access's high byte
  SendPacket(LinkPort, 16);

  SettingRecord read = record;
  RecvPartialPacket(LinkPort, FixedReplyPart);
  ReplyHead head = ReadReplyHead();
  uint8_t shown = GetByte(PacketReader);
  read.decimals = shown & 0x0F;
  read.countby = static_cast<uint16_t>((shown >> 4) << 8 | GetByte(PacketReader));
  read.value = GetSettingFloat(PacketReader);
  for (float& further : read.further) further = GetSettingFloat(PacketReader);
  GetByte(PacketReader);
  read.format = GetByte(PacketReader);
  int lengths[3];
  for (int& length : lengths) length = GetByte(PacketReader);
  read.unit = GetByte(PacketReader);
  // The texts and the count byte after them; a reply shorter than its lengths say ends
  // in a receive that times out and a failed attempt.
  RecvPartialPacket(LinkPort, static_cast<uint32_t>(lengths[0] + lengths[1] + lengths[2] + 1));
  read.unitstext = GetText(lengths[0]);
  read.secondtext = GetText(lengths[1]);
  read.thirdtext = GetText(lengths[2]);
  int skipped = GetByte(PacketReader);
  if (skipped > 0) RecvPartialPacket(LinkPort, static_cast<uint32_t>(skipped));
  for (int i = 0; i < skipped; ++i) GetByte(PacketReader);
  if (!EndCall(head, unit.SlaveAddress, AccessSettingCode)) return false;
  record = read;
  return true;
}

}  // namespace

bool AccessSetting(const UnitInfo& unit, uint16_t number, uint8_t access, SettingRecord& record) {
  if (unit.unitmode == ModeUnknown || unit.softwareversion < FirstSettingsVersion) return false;
  for (int attempt = 0; attempt < Attempts && !ExitRequested; ++attempt) {
    if (AccessOnce(unit, number, access, record)) return true;
  }
  return false;
}
