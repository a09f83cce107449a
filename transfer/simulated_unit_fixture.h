// A test fixture: a unit of the simulator on the far end of a virtual line, in
// virtual time, and the image folder of the placeholder set.
#pragma once

#include <string_view>

#include "link/simulated_link_fixture.h"
#include "protocol/connection.h"
#include "protocol/discovery.h"
#include "testing/saved_variable.h"

// A KD6 display and a KT5 transmitter (LPC1768) whose boot loaders take the programmers.
inline constexpr std::string_view Kd6System =
    "[unit 5]\nCard = 653\nSoftware = 6.12r41\nBootLoaderVersion = 3\nBootLoaderRelease = 18\n"
    "BufferSize = 8192\nChecksum = 0x5C3A91E4\nSoftwareCrc = 0x7B12\n";
inline constexpr std::string_view Kt5System =
    "[unit 7]\nCard = 648\nCircuit = 3\nSoftware = 6.08r12\nBootLoaderVersion = 4\nBootLoaderRelease = 12\n"
    "BufferSize = 8192\n";

class SimulatedUnit : public SimulatedLink {
 protected:
  // Found, connected and brought into its boot loader, as an update begins.
  UnitInfo ReadyForUpdate() {
    UnitInfo unit{};
    EXPECT_TRUE(FindUnitOnPort(unit));
    EXPECT_TRUE(Connect(unit));
    EXPECT_TRUE(InitialiseForUpdate(unit));
    EXPECT_EQ(unit.unitmode, ModeBootLoader);
    return unit;
  }

  SavedVariable savedFolder{"VELANTORIMAGEDIR", QUARNET_IMAGE_FOLDER};
};
