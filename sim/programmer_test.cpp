// The flash path of a simulated unit: the boot loader takes a flash programmer into
// RAM and starts it, the programmer erases and writes the flash, and the unit starts
// new software only when it was written whole.
#include "sim/test_client.h"

namespace {

class ProgrammerTest : public SimulatorTest {
 protected:
  void SetUp() override {
    StartText(
        "[unit 5]\nCard = 653\nSoftware = 6.12r41\nProgram = bootloader\nRestartTime = 1000\n"
        "BootLoaderVersion = 3\nBootLoaderRelease = 18\nBufferSize = 8192\nChecksum = 0x5C3A91E4\n"
        "SoftwareCrc = 0x7B12\n");
    client.SetSpeed(9600);
  }
  SimUnit& Unit() { return *simulator->Unit(5); }

  static Body Address(uint32_t address) {
    return {static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16),
            static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
  }
  // A block request: address, length (1 byte up to 128, else 2), data.
  static Body Block(uint16_t code, uint32_t address, size_t length) {
    Body arguments = Address(address);
    if (length > 128) arguments.push_back(static_cast<uint8_t>(length >> 8));
    arguments.push_back(static_cast<uint8_t>(length));
    arguments.insert(arguments.end(), length, 0xA5);
    return Procedure(1, code, arguments);
  }
  // The result byte the programmer gives a write, or -1 for no reply.
  int Write(uint32_t address, size_t length) {
    std::optional<Body> reply = client.Call(Block(length > 128 ? 0x1042 : 0x1040, address, length), 300);
    return reply ? reply->back() : -1;
  }
  void StartProgrammer() {
    ASSERT_TRUE(client.Call(Block(0x1024, 0x10080200, 300), 500));
    ASSERT_EQ(client.Call(Procedure(1, 0x1022, Address(0x10080315))), Procedure(1, 0x1022));
    client.Wait(10);
    client.SetSpeed(115200);
  }
  void Erase(uint32_t first, uint32_t last) {
    Body range = Address(first);
    Body end = Address(last);
    range.insert(range.end(), end.begin(), end.end());
    ASSERT_EQ(client.Call(Procedure(1, 0x1035, range)), Procedure(1, 0x1035));
  }
  // Resets the unit and waits until it has restarted into whatever it starts.
  void Restart() {
    ASSERT_EQ(client.Call(Procedure(1, 0x1032)), Procedure(1, 0x1032));
    client.Wait(1000 + 250 + 50);
  }
};

TEST_F(ProgrammerTest, TheBootLoaderTakesTheProgrammerIntoRamAndStartsIt) {
  EXPECT_EQ(client.Call(Procedure(1, 0x1022, Address(0x10080315))), std::nullopt) << "nothing in RAM yet";
  Body small = Block(0x1020, 0x10080200, 4);
  EXPECT_EQ(client.Call(small), Hex("01 45 10 20 10 08 02 00 04"));
  small.pop_back();
  EXPECT_EQ(client.Call(small), std::nullopt) << "a block shorter than its length says";
  EXPECT_EQ(client.Call(Block(0x1024, 0x10080204, 8193), 12'000), std::nullopt) << "beyond its buffer";
  EXPECT_EQ(client.Call(Block(0x1020, 0x10FFFFFE, 4)), std::nullopt) << "beyond its memory bank";
  EXPECT_EQ(client.Call(Block(0x1024, 0x10080204, 300), 500), Hex("01 45 10 24 10 08 02 04 01 2C"));
  EXPECT_EQ(Unit().program, Program::BootLoader);

  EXPECT_EQ(client.Call(Procedure(1, 0x1022, Address(0x10080315))), Procedure(1, 0x1022));
  client.Wait(10);
  EXPECT_EQ(Unit().program, Program::Programmer);
  EXPECT_EQ(Unit().listening.baud, 115200u);
  client.SetSpeed(115200);
  EXPECT_EQ(client.Call(Procedure(1, 0x1031)), Hex("01 45 10 31 02 04"));
  EXPECT_EQ(client.Call(Procedure(1, 0x101F)), Hex("01 45 10 1F 20 00"));
  EXPECT_EQ(client.Call(Procedure(1, 0x1023, {6})), Hex("01 45 10 23")) << "the standard table: 230400";
  client.Wait(10);
  EXPECT_EQ(Unit().listening.baud, 230400u);
  client.SetSpeed(230400);
  EXPECT_EQ(client.Call(Procedure(1, 0x1033)), Hex("01 45 10 33"));
  client.Wait(10);
  EXPECT_EQ(Unit().listening.baud, 115200u) << "a restarted programmer listens at its starting speed";

  std::vector<std::string> heard = simulator->Traffic().Of(TrafficKind::Received);
  EXPECT_NE(std::find(heard.begin(), heard.end(), "01 45 10 24 block $10080204 (300 bytes)"), heard.end());
  EXPECT_NE(std::find(heard.begin(), heard.end(), "01 45 10 20 block $10080200 (4 bytes)"), heard.end());
}

TEST_F(ProgrammerTest, TheUnitRunsTheNewSoftwareOnceItsRangeWasErasedAndWrittenWhole) {
  StartProgrammer();
  EXPECT_EQ(Write(0x1A004000, 128), FlashNotErased) << "flash not erased";
  EXPECT_EQ(Write(0x1A000000, 1024), 0) << "the boot loader's sectors need no erase";
  Erase(0x1A004000, 0x1A0042FF);
  EXPECT_EQ(Write(0x1A004000, 512), 0);
  EXPECT_EQ(Write(0x1A004000, 128), FlashNotErased) << "written once since the erase";
  EXPECT_EQ(Write(0x1A004200, 128), 0);
  EXPECT_EQ(Write(0x1A004280, 128), 0);
  EXPECT_EQ(Write(0x1A0FFFFF, 2), FlashNotErased);
  EXPECT_EQ(Write(0x1AFFFFFF, 2), FlashBeyondBank);
  Restart();
  EXPECT_EQ(Unit().program, Program::Software);
  client.SetSpeed(19200);
  EXPECT_EQ(client.Call(Hex("05 45 10 10")), Hex("05 45 10 10 02 8D 00 00 02 62 00 39"));
  const UnitIdentity& identity = Unit().Identity();
  EXPECT_EQ(identity.softwareVersion, 610);
  EXPECT_EQ(identity.softwareBuild, 57);
  EXPECT_EQ(identity.checksum, 0x1CD6C5F0u);
  EXPECT_EQ(identity.softwareCrc, 0x26D1);
}

TEST_F(ProgrammerTest, AnIncompleteWriteKeepsTheUnitInItsBootLoader) {
  struct Case {
    const char* name;
    int writtenBlocks;  // of the two the erased range holds
    uint8_t bootFlags;
  };
  const Case cases[] = {{"nothing written", 0, 0x01}, {"half written", 1, 0x04}};
  for (const Case& c : cases) {
    SetUp();
    StartProgrammer();
    Erase(0x1A004000, 0x1A0041FF);
    for (int block = 0; block < c.writtenBlocks; ++block) EXPECT_EQ(Write(0x1A004000 + 256 * block, 256), 0);
    Restart();
    EXPECT_EQ(Unit().program, Program::BootLoader) << c.name;
    client.SetSpeed(9600);
    std::optional<Body> release = client.Call(Hex("01 45 10 13 01"));
    ASSERT_TRUE(release) << c.name;
    EXPECT_EQ(release->back(), c.bootFlags) << c.name;
    simulator->PowerCycle(5);
    client.Wait(1000 + 300);
    EXPECT_EQ(Unit().program, Program::BootLoader) << c.name << ": after a power cycle too";
  }
}

TEST_F(ProgrammerTest, BrokenFlashCellsFailTheWritesThatHoldThem) {
  StartProgrammer();
  Erase(0x1A004000, 0x1A0041FF);
  simulator->OrderFault({.kind = FaultKind::FlashFail, .address = 0x1A004108, .result = 0x09});
  EXPECT_EQ(Write(0x1A004000, 256), 0);
  EXPECT_EQ(Write(0x1A004100, 16), 0x09);
  EXPECT_EQ(Write(0x1A004100, 16), 0x09) << "the cells stay broken";
  simulator->ClearFaults();
  EXPECT_EQ(Write(0x1A004100, 256), 0) << "a failed write left the block erased";
}

}  // namespace
