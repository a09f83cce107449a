// A test fixture: the virtual link with a simulated weighing system on its far end,
// in virtual time. The console shows the operations' own lines, not the byte traces.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/virtual_link_fixture.h"
#include "sim/simulator.h"
#include "testing/system_text.h"

class SimulatedLink : public VirtualLink {
 protected:
  void SetUp() override {
    VirtualLink::SetUp();
    DetailedDebugOn = false;
  }
  void TearDown() override {
    VirtualLink::TearDown();
    simulator.reset();
  }

  void Start(std::string_view systemText) { Start(SystemFromText(systemText)); }
  void Start(const SystemDescription& system) {
    simulator = std::make_unique<Simulator>(clock, system);
    simulator->Attach(line);
  }
  // The requests the units heard, as the simulator's traffic log shows them.
  std::vector<std::string> Heard() const { return simulator->Traffic().Of(TrafficKind::Received); }

  std::unique_ptr<Simulator> simulator;
};
