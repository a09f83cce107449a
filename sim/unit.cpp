#include "sim/unit.h"

const char* ProgramName(Program program) {
  switch (program) {
    case Program::Off: return "off";
    case Program::Software: return "software";
    case Program::BootLoader: return "boot loader";
    case Program::BootRom: return "boot ROM";
    case Program::Programmer: return "flash programmer";
  }
  return "?";
}

uint8_t CardMcu(uint16_t card, uint16_t circuit) {
  switch (card) {
    case 611:
    case 620: return 2;                     // H8S2145
    case 647: return circuit <= 5 ? 3 : 7;  // LPC2478, later LPC4357
    case 648: return circuit <= 5 ? 5 : 4;  // LPC1768, later LPC4078
    case 649: return 5;                     // LPC1768
    case 652: return 7;                     // LPC4357
    case 653:
    case 659: return 6;  // LPC4337
  }
  return 0;
}

std::vector<uint8_t> UnitDrives(const UnitDescription& description) {
  if (!description.drives.empty()) return description.drives;
  constexpr uint16_t Kd6Card = 653;
  if (description.identity.card == Kd6Card) return {FlashDrive, PackDrive, ProgrammerDrive};
  return {FlashDrive, ProgrammerDrive};
}
