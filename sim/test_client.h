// A stand-in for the tool in the simulator's tests: it writes raw bytes on the
// tool's end of a virtual line and reads what comes back, moving virtual time as it
// waits. Its frames are built here from the wire format (body, then CRC-16/MODBUS
// low byte first), not with the simulator's own framing.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/virtual_line.h"
#include "runtime/virtual_clock.h"
#include "sim/demo_system.h"
#include "sim/simulator.h"

using Body = std::vector<uint8_t>;

class TestClient {
 public:
  explicit TestClient(VirtualLine& line) : line_(line) { SetSpeed(19200); }

  void SetSpeed(uint32_t baud, bool evenParity = false) {
    line_.Tool().Configure(LineSettings{baud, 1, evenParity, evenParity, false});
  }

  static uint16_t Crc(const Body& bytes) {
    uint16_t crc = 0xFFFF;
    for (uint8_t byte : bytes) {
      crc ^= byte;
      for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
  }
  static Body Framed(Body body) {
    uint16_t crc = Crc(body);
    body.push_back(static_cast<uint8_t>(crc));
    body.push_back(static_cast<uint8_t>(crc >> 8));
    return body;
  }

  void Send(const Body& bytes) { line_.Tool().Write(bytes.data(), static_cast<int>(bytes.size())); }
  void Wait(uint64_t milliseconds) { line_.Clock().AdvanceTo(line_.Clock().Now() + milliseconds * 1000); }
  // Everything that arrives within the time.
  Body Receive(uint64_t milliseconds = 100) {
    Wait(milliseconds);
    Body bytes(static_cast<size_t>(line_.Tool().Available()));
    line_.Tool().Read(bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
  }
  std::string ReceiveText(uint64_t milliseconds = 100) {
    Body bytes = Receive(milliseconds);
    return std::string(bytes.begin(), bytes.end());
  }
  // The body of a correctly framed reply to the request, or nothing.
  std::optional<Body> Call(const Body& request, uint64_t milliseconds = 100) {
    Send(Framed(request));
    Body reply = Receive(milliseconds);
    if (reply.size() < 4 || Crc(reply) != 0) return std::nullopt;
    reply.resize(reply.size() - 2);
    return reply;
  }

 private:
  VirtualLine& line_;
};

// "05 45 10 10" as bytes.
inline Body Hex(std::string_view text) {
  Body bytes;
  for (size_t i = 0; i < text.size(); i += 3) {
    bytes.push_back(static_cast<uint8_t>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

// A request: address, function 0x45, the procedure code, the arguments.
inline Body Procedure(uint8_t address, uint16_t code, Body arguments = {}) {
  Body body{address, 0x45, static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code)};
  body.insert(body.end(), arguments.begin(), arguments.end());
  return body;
}

// A simulated system on a paced virtual line, with the client on the tool's end.
class SimulatorTest : public ::testing::Test {
 protected:
  void StartDemo() { StartSystem(DemoSystem()); }
  void StartText(std::string_view text) {
    SystemDescription system;
    std::string error;
    ASSERT_TRUE(ReadSystemText(text, system, error)) << error;
    StartSystem(system);
  }
  void StartSystem(const SystemDescription& system) {
    simulator = std::make_unique<Simulator>(clock, system);
    simulator->Attach(line);
  }

  VirtualClock clock;
  VirtualLine line{clock, true};
  TestClient client{line};
  std::unique_ptr<Simulator> simulator;
};
