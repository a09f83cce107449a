#include "update/system_listing.h"

#include <string>

#include "protocol/identification.h"
#include "runtime/log.h"

namespace {

constexpr int CardKj5 = 652;

void ListUnit(ListedUnits& listed, uint8_t address, const String& information) {
  listed.addresses[listed.count++] = address;
  PutText(ReportStream, "   ");
  PutText(ReportStream, std::to_string(address), 4);
  PutLine(ReportStream, "  ", information);
}

void PutIgnoredJig(uint8_t address) {
  PutLine(DebugStream, "-- KJ5 at address ", address, " ignored");
}

}  // namespace

bool ListSystemUnits(const UnitInfo& local, const RemoteUnitList& remote, SilentUnit mode, ListedUnits& listed,
                     uint8_t& silent) {
  bool logJigs = mode == SilentUnit::Skipped;
  listed.count = 0;
  bool localPending = local.cardnumber != CardKj5;
  if (!localPending && logJigs) PutIgnoredJig(local.SlaveAddress);
  for (int i = 0; i < remote.count; ++i) {
    uint8_t address = remote.addresses[i];
    if (localPending && address > local.ModbusAddress) {
      ListUnit(listed, local.ModbusAddress, local.information);
      localPending = false;
    }
    UnitInfo unit{};
    unit.unitmode = ModeSoftware;
    unit.SlaveAddress = address;
    if (!ReadUnitInfo(unit)) {
      if (mode == SilentUnit::EndsListing) {
        silent = address;
        return false;
      }
      PutText(DebugStream, "-- skipped address ");
      PutInt(DebugStream, address);
      PutText(DebugStream, "\r\n");
      continue;
    }
    if (unit.cardnumber == CardKj5) {
      if (logJigs) PutIgnoredJig(address);
      continue;
    }
    ReadExtendedInfo(unit);
    ListUnit(listed, address, unit.information);
  }
  if (localPending) ListUnit(listed, local.ModbusAddress, local.information);
  return true;
}
