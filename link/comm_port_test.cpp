#include "link/comm_port.h"

#include <gtest/gtest.h>

#include <deque>
#include <numeric>
#include <string>
#include <vector>

#include "link/virtual_line.h"
#include "runtime/program_state.h"
#include "runtime/virtual_clock.h"

namespace {

std::vector<std::string> traces;
void CollectTrace(const String& line) { traces.emplace_back(line.View()); }

// A device whose output side the test controls: it takes at most `room` bytes per
// call, and time passes only through the virtual clock.
class ThrottledDevice : public SerialDevice {
 public:
  explicit ThrottledDevice(VirtualClock& clock) : clock_(clock) {}
  bool Configure(const LineSettings&) override { return true; }
  void Purge() override {}
  uint32_t TakeLineErrors() override { return std::exchange(lineErrors, 0); }
  int Read(uint8_t* buffer, int count) override {
    if (failReads) return -1;
    int taken = std::min<int>(count, static_cast<int>(input.size()));
    for (int i = 0; i < taken; ++i) {
      buffer[i] = input.front();
      input.pop_front();
    }
    return taken;
  }
  int Write(const uint8_t* bytes, int count) override {
    int taken = std::min(count, room);
    written.insert(written.end(), bytes, bytes + taken);
    ++writeCalls;
    return taken;
  }
  bool WaitForInput(uint32_t milliseconds) override {
    clock_.Sleep(uint64_t{milliseconds} * 1000);
    return !input.empty();
  }
  bool WaitForOutputRoom(uint32_t milliseconds) override {
    clock_.Sleep(uint64_t{milliseconds} * 1000);
    return room > 0;
  }
  bool Drain() override { return true; }

  int room = 1 << 30;
  int writeCalls = 0;
  bool failReads = false;
  uint32_t lineErrors = 0;
  std::deque<uint8_t> input;
  std::vector<uint8_t> written;

 private:
  VirtualClock& clock_;
};

class CommPort : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallClock(&clock);
    traces.clear();
    CommTraceHook = CollectTrace;
    port = std::make_unique<OverlappedPort>();
    auto owned = std::make_unique<ThrottledDevice>(clock);
    device = owned.get();
    port->device = std::move(owned);
  }
  void TearDown() override {
    CommTraceHook = nullptr;
    InstallClock(nullptr);
  }
  std::vector<uint8_t> Bytes(int count, int first = 0) {
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    std::iota(bytes.begin(), bytes.end(), static_cast<uint8_t>(first));
    return bytes;
  }

  VirtualClock clock;
  std::unique_ptr<OverlappedPort> port;
  ThrottledDevice* device;
};

TEST_F(CommPort, WriteIsSplitAtTheEndOfTheRing) {
  std::vector<uint8_t> first = Bytes(65000);
  ASSERT_EQ(WriteCommPortOverlapped(*port, first.data(), 65000), 65000);
  std::vector<uint8_t> second = Bytes(1000, 7);
  ASSERT_EQ(WriteCommPortOverlapped(*port, second.data(), 1000), 1000);
  // The first write still counts as in flight until it is retired, which leaves room
  // for 535 bytes; then one byte fills the ring's end and the rest starts at offset 0.
  EXPECT_EQ(port->txFill, 464u);
  ASSERT_TRUE(FlushCommPortOverlapped(*port));
  std::vector<uint8_t> all = first;
  all.insert(all.end(), second.begin(), second.end());
  EXPECT_EQ(device->written, all);
  EXPECT_EQ(port->txHead, port->txTail);
  EXPECT_EQ(port->txDone, port->txFill);
  std::vector<std::string> pieces;
  for (const std::string& trace : traces) {
    if (trace.starts_with("<WriteCommPortOverlapped(")) pieces.push_back(trace.substr(24, trace.find(')') - 23));
  }
  EXPECT_EQ(pieces, (std::vector<std::string>{"(65000)", "(535)", "(1)", "(464)"}));
}

TEST_F(CommPort, PendingWritesGoOutInOrderAndAFullQueueWaitsForTheOldest) {
  device->room = 0;
  port->timeoutMs = 50;
  for (int i = 0; i < 255; ++i) {
    uint8_t byte = static_cast<uint8_t>(i);
    ASSERT_EQ(WriteCommPortOverlapped(*port, &byte, 1), 1);
  }
  EXPECT_EQ((port->txTail + 1) % TxQueueSize, port->txHead);
  uint64_t before = clock.Now();
  uint8_t last = 0xFF;
  EXPECT_EQ(WriteCommPortOverlapped(*port, &last, 1), 0) << "nothing could drain within the time limit";
  EXPECT_GE(clock.Now() - before, 50'000u);

  device->room = 1;
  ASSERT_EQ(WriteCommPortOverlapped(*port, &last, 1), 1);
  ASSERT_TRUE(FlushCommPortOverlapped(*port));
  std::vector<uint8_t> expected = Bytes(255);
  expected.push_back(0xFF);
  EXPECT_EQ(device->written, expected);
}

TEST_F(CommPort, AWriteThatNeverDrainsTimesOut) {
  device->room = 0;
  uint8_t byte = 1;
  ASSERT_EQ(WriteCommPortOverlapped(*port, &byte, 1), 1);
  EXPECT_FALSE(FlushCommPortOverlapped(*port));
  EXPECT_NE(std::find(traces.begin(), traces.end(), "Write error: TIMEOUT"), traces.end());
  EXPECT_EQ(port->txHead, port->txTail) << "the failed write is retired";
  EXPECT_LT(clock.Now(), 2'000'000u);
}

TEST_F(CommPort, ReadsRetireCompletedWritesAndReportFailures) {
  uint8_t byte = 9;
  ASSERT_EQ(WriteCommPortOverlapped(*port, &byte, 1), 1);
  device->input = {1, 2, 3};
  uint8_t buffer[8];
  EXPECT_EQ(ReadCommPortOverlapped(*port, buffer, 8), 3);
  EXPECT_EQ(port->txHead, port->txTail);
  EXPECT_EQ(ReadCommPortOverlapped(*port, buffer, 8), 0);
  EXPECT_EQ(traces.back(), "[ReadCommPortOverlapped(3) 01 02 03]");

  device->failReads = true;
  device->lineErrors = LineOverrun | LineBreak;
  SetLastPortError(PortOtherError, EIO);
  EXPECT_EQ(ReadCommPortOverlapped(*port, buffer, 8), -1);
  EXPECT_EQ(traces[traces.size() - 2], "Error: Input/output error");
  EXPECT_EQ(traces.back(), "Comm port overrun");
}

TEST(ByteTrace, Format) {
  uint8_t bytes[20];
  std::iota(bytes, bytes + 20, 0);
  EXPECT_EQ(ByteTrace("<W", bytes, 4, ">"), "<W(4) 00 01 02 03>");
  EXPECT_EQ(ByteTrace("[R", bytes, 0, "]"), "[R]");
  EXPECT_EQ(ByteTrace("<W", bytes, 18, ">"),
            "<W(18) 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10...>");
}

TEST(VirtualLineTest, MismatchedSpeedArrivesAsGarbageWithAFramingError) {
  VirtualClock clock;
  VirtualLine line(clock, true);
  line.Tool().Configure(LineSettings{9600, 2, false, false, false});
  line.Peer().Configure(LineSettings{19200, 2, false, false, false});
  std::vector<uint8_t> request = {0x05, 0x45, 0x10, 0x1B};
  line.Tool().Write(request.data(), 4);
  clock.AdvanceTo(4 * VirtualLine::ByteTime(9600) - 1);
  EXPECT_EQ(line.Peer().Available(), 3) << "the last byte is still on the wire";
  clock.AdvanceTo(4 * VirtualLine::ByteTime(9600));
  uint8_t received[4];
  ASSERT_EQ(line.Peer().Read(received, 4), 4);
  EXPECT_NE(std::vector<uint8_t>(received, received + 4), request);
  EXPECT_EQ(line.Peer().TakeLineErrors(), LineFramingError);

  line.Peer().Configure(LineSettings{9600, 2, true, true, false});
  line.Tool().Write(request.data(), 4);
  clock.Sleep(100'000);
  line.Peer().Read(received, 4);
  EXPECT_EQ(line.Peer().TakeLineErrors(), LineFramingError) << "parity differs";
}

}  // namespace
