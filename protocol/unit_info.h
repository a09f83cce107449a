// The unit information record: which program runs in a unit, its address, card,
// MCU, versions, serial number and build data; the tables that name cards, MCUs and
// applications; the unit report and the decisions derived from the record.
#pragma once

#include <cstdint>

#include "runtime/stream.h"
#include "runtime/string.h"

// Software modes.
inline constexpr int8_t ModeUnknown = 0;  // restarting
inline constexpr int8_t ModeSoftware = 1;
inline constexpr int8_t ModeBootLoader = 2;
inline constexpr int8_t ModeProgrammer = 3;
inline constexpr int8_t ModeBootRom = 4;

// Unit types.
inline constexpr int8_t UnitDisplay = 1;
inline constexpr int8_t UnitTransmitter = 2;
inline constexpr int8_t UnitRemoteIo = 3;
inline constexpr int8_t UnitTestJig = 4;

inline constexpr int8_t McuH8S2145 = 2;

struct ImageSlot {
  const uint8_t* data;
  uint32_t length;
};

struct UnitInfo {
  int8_t unitmode;
  uint8_t SlaveAddress;
  uint8_t ModbusAddress;
  int16_t cardnumber;
  int16_t circuitcode;
  uint8_t revisionletter;  // 1 = "A"
  uint8_t revisionnumber;
  uint16_t product;
  int16_t softwareversion;  // × 100
  int8_t softwarebuild;
  int8_t buildincrement;
  int32_t serialnumber;
  uint8_t unitflags;  // bit 0 accepts update files, bit 6 JTAG active, bit 7 card tester software
  int8_t buildtime[6];  // year in century, month, day, hour, minute, second
  String information;
  int8_t boottype;
  int8_t bootid;  // MCU type (high 4 bits), boot loader version (low 4 bits)
  int8_t bootversion;
  int8_t bootrelease;
  uint8_t bootflags;  // bit 6 JTAG active, bit 7 pre-production boot loader
  uint32_t checksum;
  uint16_t softwarecrc;
  int8_t mcu;
  int8_t unittype;
  int8_t programmerversion[2];
  int32_t buffersize;
  ImageSlot ProgrammerImage;
  ImageSlot BootLoaderImage;
  ImageSlot SoftwareImage;
};

// Copies what identifies the unit; the destination keeps its bootid, programmer
// version, buffer size and image slots, which belong to the operation using it.
void CopyUnitInfo(UnitInfo& destination, const UnitInfo& source);

// "" for MCU types without a name.
const char* McuName(int mcu);
bool IsLpcMcu(int mcu);

struct CardType {
  int16_t card;
  const char* model;
  const char* unitTypeName;
  int8_t family;  // the unit type
};
// nullptr for a card missing from the table.
const CardType* FindCard(int card);
// The card's model name, or "Card" and the number.
String ModelName(int card);
String UnitTypeName(int card);
// "Velantor Unit 12 (KD6)", as the operator's messages name a unit.
String UnitTitle(int address, int card);
// The MCU type of a card and circuit; `current` where the card leaves it open.
int8_t McuForCard(int card, int circuit, int8_t current);
String ApplicationName(int applicationCode, int card);

void WriteUnitReport(const UnitInfo& unit);
// "05 KD6 123456" or, with the product, "05 KQ1234 KD6 123456".
String UnitSummary(const UnitInfo& unit, bool withProduct);
bool AcceptsUpdateFiles(const UnitInfo& unit);
bool SupportsUpdateFileChecks(const UnitInfo& unit);
