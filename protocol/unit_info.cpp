#include "protocol/unit_info.h"

#include "runtime/log.h"
#include "runtime/number_format.h"

namespace {

constexpr CardType Cards[] = {
    {611, "KL9", "KL9 Display", UnitDisplay},
    {620, "KT2000", "KT2000 Transmitter", UnitTransmitter},
    {647, "KD5", "KD5/KP5 Display", UnitDisplay},
    {648, "KT5", "KT5 Transmitter", UnitTransmitter},
    {649, "KR5", "KR5 Remote I/O Unit", UnitRemoteIo},
    {652, "KJ5", "KJ5 Test Jig", UnitTestJig},
    {653, "KD6", "KD6/KP6 Display", UnitDisplay},
    {659, "KT7", "KT7 Transmitter", UnitTransmitter},
};

constexpr const char* McuNames[] = {"", "H8S2148", "H8S2145", "LPC2478", "LPC4078", "LPC1768", "LPC4337",
                                    "LPC4357"};

struct Application {
  int code;
  const char* name;
};
constexpr Application Applications[] = {
    {0x3D, "Weight Indicator"}, {0x3F, "Weight Processor"}, {0x40, "Batch Weigher"},
    {0x41, "Process Weigher"},  {0x5D, "Weight Change"},    {0x5E, "Impact Weigher"},
    {0x5F, "Belt Weigher"},     {0x60, "Weigh Feeder"},
};

void PutTwoDigits(Stream& stream, int value) { PutNumber(stream, value, NumberZeroFill, 0, 2, 0, 0); }

// 6.06r35, or 6.06 when the release is not shown.
void PutVersion(Stream& stream, int version, int release, bool withRelease) {
  PutInt(stream, version / 100);
  PutChar(stream, '.');
  PutTwoDigits(stream, version % 100);
  if (!withRelease) return;
  PutChar(stream, 'r');
  PutTwoDigits(stream, release);
}

void ReportTestSoftware(const UnitInfo& unit) {
  bool preProductionLoader = unit.bootflags & 0x80;
  bool cardTester = unit.unitflags & 0x80;
  if (preProductionLoader || cardTester) {
    PutLine(ReportStream, "                     Test software present (pre-production board)");
    if (preProductionLoader) PutLine(ReportStream, "                     - pre-production boot loader");
    if (cardTester) PutLine(ReportStream, "                     - card tester software");
  } else if ((unit.bootflags & 0x40) || (unit.unitflags & 0x40)) {
    PutLine(ReportStream, "                     WARNING: JTAG interface is active!");
    PutChar(ReportStream, 0x07);
  }
}

}  // namespace

void CopyUnitInfo(UnitInfo& destination, const UnitInfo& source) {
  int8_t bootid = destination.bootid;
  int8_t programmerversion[2] = {destination.programmerversion[0], destination.programmerversion[1]};
  int32_t buffersize = destination.buffersize;
  ImageSlot images[3] = {destination.ProgrammerImage, destination.BootLoaderImage, destination.SoftwareImage};
  destination = source;
  destination.bootid = bootid;
  destination.programmerversion[0] = programmerversion[0];
  destination.programmerversion[1] = programmerversion[1];
  destination.buffersize = buffersize;
  destination.ProgrammerImage = images[0];
  destination.BootLoaderImage = images[1];
  destination.SoftwareImage = images[2];
}

const char* McuName(int mcu) { return mcu >= 1 && mcu <= 7 ? McuNames[mcu] : ""; }

bool IsLpcMcu(int mcu) { return mcu >= 3 && mcu <= 7; }

const CardType* FindCard(int card) {
  for (const CardType& type : Cards) {
    if (type.card == card) return &type;
  }
  return nullptr;
}

String ModelName(int card) {
  if (const CardType* type = FindCard(card)) return String::Constant(type->model);
  return TextOf("Card", card);
}

String UnitTitle(int address, int card) {
  return TextOf("Velantor Unit ", address, " (", ModelName(card), ")");
}

String UnitTypeName(int card) {
  const CardType* type = FindCard(card);
  return type != nullptr ? String::Constant(type->unitTypeName) : String("Unsupported Card Number");
}

int8_t McuForCard(int card, int circuit, int8_t current) {
  switch (card) {
    case 611:
    case 620:
      return 2;
    case 647:
      if (circuit <= 4) return 3;
      return circuit > 5 ? 7 : current;
    case 648:
      return circuit <= 5 ? 5 : 4;
    case 649:
      return 5;
    case 652:
      return 7;
    case 653:
    case 659:
      return 6;
    default:
      return current;
  }
}

String ApplicationName(int applicationCode, int card) {
  if (applicationCode != 0) {
    for (const Application& application : Applications) {
      if (application.code == applicationCode) return String::Constant(application.name);
    }
    String name = "KQ";
    StringStream out(name);
    PutHex4(out, static_cast<uint64_t>(applicationCode));
    return name;
  }
  switch (card) {
    case 611:
    case 647:
    case 653:
      return "Display";
    case 620:
    case 648:
    case 659:
      return "Transmitter";
    case 649:
      return "Remote I/O Unit";
    case 652:
      return "Test Jig";
    default:
      return "No loadcell engine";
  }
}

void WriteUnitReport(const UnitInfo& unit) {
  Stream& out = ReportStream;
  PutLine(out, "   Unit Type       : ", UnitTypeName(unit.cardnumber));
  bool h8 = unit.mcu == McuH8S2145;
  if (!h8) {
    PutPieces(out, "   Card            : c", unit.cardnumber, "r", unit.circuitcode);
    if (unit.unitmode == ModeSoftware) {
      // The letter comes from the unit as a byte: one past "Z" would put a control
      // character (a line break, an escape) into the report.
      uint8_t letter = unit.revisionletter;
      PutChar(out, letter == 0 ? '-' : letter <= 26 ? static_cast<uint8_t>(0x40 + letter) : '?');
      PutInt(out, unit.revisionnumber);
    }
    PutLine(out);
  } else {
    PutLine(out, "   Card            : ", unit.cardnumber);
    PutLine(out, "   Circuit code    : ", unit.circuitcode);
  }
  PutText(out, "   Software        : v");
  PutVersion(out, unit.softwareversion, unit.softwarebuild, !h8);
  PutLine(out);
  if (unit.product != 0) PutLine(out, "   Product         : KQ", unit.product);
  if (unit.unitmode == ModeSoftware) {
    PutLine(out, "   Serial No       : ", unit.serialnumber);
    PutText(out, "   Build time      : 20");
    PutTwoDigits(out, unit.buildtime[0]);
    for (int i = 1; i < 6; ++i) {
      PutChar(out, i == 3 ? ' ' : i < 3 ? '-' : ':');
      PutTwoDigits(out, unit.buildtime[i]);
    }
    PutLine(out);
    PutLine(out, "   Build increment : ", unit.buildincrement);
    if (!unit.information.Empty()) PutLine(out, "   Information     : ", unit.information);
    if (unit.ModbusAddress != 0) PutLine(out, "   Modbus Address  : ", unit.ModbusAddress);
  }
  if (!(unit.unitmode == ModeSoftware && unit.softwareversion < 600)) {
    if (!h8) {
      PutPieces(out, "   Boot loader     : v", unit.bootversion);
      if (unit.bootrelease >= 4) PutPieces(out, " r", unit.bootrelease);
      PutLine(out);
    }
    PutLine(out, "   MCU Type        : ", McuName(unit.mcu));
  }
  if (unit.bootrelease >= 4) {
    PutLine(out, "   Checksum        : ", Hex{unit.checksum, 8}, " ", Hex{unit.softwarecrc, 4});
    ReportTestSoftware(unit);
  }
}

String UnitSummary(const UnitInfo& unit, bool withProduct) {
  String text;
  StringStream out(text);
  PutNumber(out, unit.ModbusAddress, NumberZeroFill, 0, 2, 0, 0);
  if (withProduct) {
    PutText(out, " KQ");
    PutInt(out, unit.product);
  }
  PutChar(out, ' ');
  PutString(out, ModelName(unit.cardnumber));
  PutChar(out, ' ');
  PutInt(out, unit.serialnumber);
  return text;
}

bool AcceptsUpdateFiles(const UnitInfo& unit) {
  Stream& out = DebugStream;
  PutText(out, "Checking if unit will accept update files\r\n");
  const char* refusal = nullptr;
  if (!(unit.unitmode == ModeSoftware && unit.softwareversion >= 600)) {
    refusal = "-- Velantor software does not support update files\r\n";
  } else if (unit.bootrelease <= 13) {
    refusal = "-- Boot loader does not support update files (needs boot loader release 14 or later)\r\n";
  } else if (!IsLpcMcu(unit.mcu)) {
    refusal = "-- MCU does not support software update files\r\n";
  } else if (!(unit.unitflags & 0x01)) {
    refusal = "-- Unit reports that it will not accept update files\r\n";
  }
  PutText(out, refusal != nullptr ? refusal : "COMPLETE: unit will accept update files\r\n");
  return refusal == nullptr;
}

bool SupportsUpdateFileChecks(const UnitInfo& unit) {
  return unit.unitmode == ModeSoftware && unit.softwareversion > 603;
}
