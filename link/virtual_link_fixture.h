// A test fixture: LinkPort open on COM1, the far end of a paced virtual line in the
// test's hands, virtual time, and every report line captured.
#pragma once

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "link/link_test_support.h"
#include "link/port_control.h"
#include "link/virtual_line.h"
#include "runtime/program_state_test_support.h"
#include "runtime/virtual_clock.h"
#include "testing/console_capture.h"

class VirtualLink : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallClock(&clock);
    ResetProgramState();
    ResetLinkState();
    DebugOn = DetailedDebugOn = true;
    ReportLevel = 1;
    PortNumber = 1;
    PacketTimeout = 100;
    peer().Configure(LineSettings{19200, 2, false, false, false});
    AttachVirtualLine(1, &line);
    ASSERT_TRUE(OpenPort());
  }
  void TearDown() override {
    ClosePort();
    AttachVirtualLine(1, nullptr);
    InstallClock(nullptr);
    ResetProgramState();
  }

  VirtualLine::End& peer() { return line.Peer(); }
  void PeerSends(const std::vector<uint8_t>& bytes) {
    peer().Write(bytes.data(), static_cast<int>(bytes.size()));
  }
  // Everything that has reached the peer so far.
  std::vector<uint8_t> PeerReceived() {
    std::vector<uint8_t> bytes(static_cast<size_t>(peer().Available()));
    peer().Read(bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
  }
  static bool Said(std::string_view text) { return ConsoleCapture::Said(text); }

  ConsoleCapture console;
  VirtualClock clock;
  VirtualLine line{clock, true};
};
