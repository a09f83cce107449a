// A test fixture: LinkPort on a virtual line served by the simulated system, in
// virtual time, with the link as a connection to a unit of software 6.12 leaves it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "link/virtual_link_fixture.h"
#include "protocol/connection.h"
#include "protocol/unit_info.h"
#include "sim/simulator.h"
#include "transfer/remote_file.h"

class SimulatedUnits : public VirtualLink {
 protected:
  void SetUp() override {
    VirtualLink::SetUp();
    DetailedDebugOn = false;  // the operations' own lines, without the byte traces
    PacketTimeout = 1000;
    RemoteFile = RemoteFileState{};
    RelayCapable = true;
    ExitRequested = false;
  }
  void TearDown() override {
    simulator.reset();
    ExitRequested = false;
    VirtualLink::TearDown();
  }

  // A KD6 on the port (address 5) with a KT7 (2, software 6.12) and a KR5 (9, software
  // 6.03) behind it, all at 19200, and `more` added to the KD6's section.
  void StartSystem(std::string_view more = "") {
    std::string text = "[unit 5]\nAttached = yes\nCard = 653\nSoftware = 6.12\n" + std::string(more) +
                       "\n[unit 2]\nCard = 659\nSoftware = 6.12\n[unit 9]\nCard = 649\nSoftware = 6.03\n";
    SystemDescription system;
    std::string error;
    ASSERT_TRUE(ReadSystemText(text, system, error)) << error;
    simulator = std::make_unique<Simulator>(clock, system);
    simulator->Attach(line);
  }

  // The record of a unit as identification leaves it.
  static UnitInfo UnitAt(uint8_t address, int16_t version = 612, int8_t mode = ModeSoftware) {
    UnitInfo unit{};
    unit.unitmode = mode;
    unit.SlaveAddress = address;
    unit.softwareversion = version;
    return unit;
  }

  std::unique_ptr<Simulator> simulator;
};
