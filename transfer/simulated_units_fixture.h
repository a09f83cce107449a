// A test fixture: LinkPort on a virtual line served by the simulated system, in
// virtual time, with the link as a connection to a unit of software 6.12 leaves it.
#pragma once

#include <string>
#include <string_view>

#include "link/link_speed.h"
#include "link/simulated_link_fixture.h"
#include "protocol/protocol_test_support.h"
#include "protocol/unit_info.h"
#include "transfer/remote_file.h"

class SimulatedUnits : public SimulatedLink {
 protected:
  void SetUp() override {
    SimulatedLink::SetUp();
    ResetProtocolState();
    RelayCapable = true;
    PacketTimeout = LongPacketTimeout;
    RemoteFile = RemoteFileState{};
  }

  // A KD6 on the port (address 5) with a KT7 (2, software 6.12) and a KR5 (9, software
  // 6.03) behind it, all at 19200, and `more` added to the KD6's section.
  void StartSystem(std::string_view more = "") {
    Start("[unit 5]\nAttached = yes\nCard = 653\nSoftware = 6.12\n" + std::string(more) +
          "\n[unit 2]\nCard = 659\nSoftware = 6.12\n[unit 9]\nCard = 649\nSoftware = 6.03\n");
  }

  // The record of a unit as identification leaves it.
  static UnitInfo UnitAt(uint8_t address, int16_t version = 612, int8_t mode = ModeSoftware) {
    UnitInfo unit{};
    unit.unitmode = mode;
    unit.SlaveAddress = address;
    unit.softwareversion = version;
    return unit;
  }
};
