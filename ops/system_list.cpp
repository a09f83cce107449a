#include "ops/system_list.h"

#include "protocol/identification.h"
#include "protocol/remote_call.h"

namespace {

constexpr int16_t FirstListingVersion = 600;
constexpr int16_t FirstDescribedVersion = 600;
constexpr int16_t FirstExtendedVersion = 220;
constexpr int8_t FieldbusMcu = 7;
constexpr int16_t FirstFieldbusVersion = 610;

ListedUnit Identify(uint8_t address) {
  ListedUnit listed{};
  listed.address = address;
  UnitInfo& unit = listed.identity;
  unit.unitmode = ModeSoftware;
  unit.SlaveAddress = address;
  listed.answers = ReadUnitInfo(unit);
  if (!listed.answers) return listed;
  if (unit.softwareversion >= FirstExtendedVersion) ReadExtendedInfo(unit);
  listed.described = unit.softwareversion >= FirstDescribedVersion && ReadAdvancedInfo(unit);
  return listed;
}

}  // namespace

uint8_t OwnAddress(const UnitInfo& connected) {
  return connected.ModbusAddress != 0 ? connected.ModbusAddress : LocalUnitAddress;
}

SystemAddresses OrderSystem(const UnitInfo& connected, const RemoteUnitList& remote) {
  SystemAddresses order{};
  uint8_t own = OwnAddress(connected);
  bool ownAdded = false;
  for (int i = 0; i < remote.count; ++i) {
    if (!ownAdded && remote.addresses[i] > own) {
      order.addresses[order.count++] = own;
      ownAdded = true;
    }
    order.addresses[order.count++] = remote.addresses[i];
  }
  if (!ownAdded) order.addresses[order.count++] = own;
  return order;
}

RemoteUnitList ReportedRemoteUnits(const UnitInfo& connected) {
  RemoteUnitList remote{};
  if (connected.unitmode == ModeUnknown || connected.softwareversion < FirstListingVersion ||
      !ListRemoteUnits(remote)) {
    remote.count = 0;
  }
  return remote;
}

void ListSystem(const UnitInfo& connected, SystemList& list) {
  ListUnits(connected, ReportedRemoteUnits(connected), list);
}

void ListUnits(const UnitInfo& connected, const RemoteUnitList& remote, SystemList& list) {
  SystemAddresses order = OrderSystem(connected, remote);
  uint8_t own = OwnAddress(connected);
  list.count = 0;
  for (int i = 0; i < order.count; ++i) {
    ListedUnit& listed = list.units[list.count++];
    if (order.addresses[i] != own) {
      listed = Identify(order.addresses[i]);
    } else {
      listed = ListedUnit{};
      listed.address = own;
      listed.identity = connected;
      listed.answers = connected.unitmode != ModeUnknown;
      listed.described = listed.answers && connected.softwareversion >= FirstDescribedVersion;
    }
    listed.hasSettings = listed.described && HasSettings(listed.identity);
    listed.fieldbusCapable = listed.described && IsFieldbusCapable(listed.identity);
  }
}

bool HasSettings(const UnitInfo& unit) { return unit.product != 0; }

bool IsFieldbusCapable(const UnitInfo& unit) {
  return unit.unittype == UnitDisplay && unit.mcu == FieldbusMcu && unit.softwareversion >= FirstFieldbusVersion;
}
