#include "sim/test_client.h"

namespace {

using RestartTest = SimulatorTest;

const Body ReadBootLoaderVersion = Hex("01 45 10 12");

TEST_F(RestartTest, GotoBootLoaderSilencesTheUnitForItsRestartTimeThenItsBootLoaderAnswers) {
  StartText("[unit 5]\nCard = 653\nSoftware = 6.12\nBootLoaderVersion = 2\nRestartTime = 60000\n");
  EXPECT_EQ(client.Call(Hex("05 45 10 11")), Hex("05 45 10 11"));
  client.Wait(59'300);
  for (uint32_t baud : {9600, 19200, 115200}) {
    client.SetSpeed(baud);
    EXPECT_EQ(client.Call(ReadBootLoaderVersion), std::nullopt) << baud;
    EXPECT_EQ(client.Call(Hex("F0 41")), std::nullopt) << baud;
  }
  client.Wait(600);
  client.SetSpeed(9600);
  EXPECT_EQ(client.Call(ReadBootLoaderVersion), Hex("01 45 10 12 62"));
  EXPECT_EQ(client.Call(Hex("05 41")), std::nullopt) << "the software does not run";
  client.Wait(10'000);
  EXPECT_EQ(simulator->Unit(5)->program, Program::BootLoader) << "it stays there";
}

TEST_F(RestartTest, TheBootLoaderIdentifiesTheUnitAndRestartsIntoTheSoftware) {
  StartDemo();
  client.Call(Hex("05 45 10 11"));
  client.Wait(1500);
  client.SetSpeed(9600);
  const struct {
    const char* request;
    const char* reply;
  } exchanges[] = {
      {"01 41", "01 42"},
      {"01 45 10 13 01", "01 45 10 13 01 06 02 12 5C 3A 91 E4 00"},
      {"01 45 10 1F", "01 45 10 1F 10 00"},
      {"01 45 10 10", "01 45 10 10 02 8D 00 02 02 64 07 29"},
  };
  for (const auto& exchange : exchanges) EXPECT_EQ(client.Call(Hex(exchange.request)), Hex(exchange.reply));
  for (const char* unanswered : {"05 45 10 10", "F0 45 10 1B", "01 45 10 11", "01 45 10 91"}) {
    EXPECT_EQ(client.Call(Hex(unanswered)), std::nullopt) << unanswered;
  }

  EXPECT_EQ(client.Call(Hex("01 45 10 32")), Hex("01 45 10 32"));
  client.Wait(1500 + 250);
  client.SetSpeed(19200);
  EXPECT_EQ(client.Call(Hex("05 41")), Hex("05 42"));
}

// Which boot loader releases know which procedures: the release information came
// with release 4, the buffer size with 10, and the procedure numbers moved at 11.
TEST_F(RestartTest, TheBootLoaderAnswersTheProceduresOfItsRelease) {
  const struct {
    int release;
    const char* request;
    bool answered;
  } cases[] = {
      {3, "01 45 10 13 01", false}, {4, "01 45 10 13 01", true},   {9, "01 45 10 91", false},
      {10, "01 45 10 91", true},    {10, "01 45 10 1F", false},    {11, "01 45 10 1F", true},
      {11, "01 45 10 91", false},   {10, "01 45 10 90 05", true},  {11, "01 45 10 90 05", false},
      {11, "01 45 10 23 05", true}, {10, "01 45 10 23 05", false},
  };
  for (const auto& test : cases) {
    StartText("[unit 5]\nCard = 653\nSoftware = 6.12\nProgram = bootloader\nBootLoaderRelease = " +
              std::to_string(test.release) + "\n");
    client.SetSpeed(9600);
    EXPECT_EQ(client.Call(Hex(test.request)).has_value(), test.answered)
        << "release " << test.release << ": " << test.request;
  }
}

TEST_F(RestartTest, ARequestInTheBootWindowKeepsTheUnitInItsBootLoader) {
  StartDemo();
  client.Call(Hex("05 45 10 32"));
  client.SetSpeed(9600);
  client.Wait(1500);
  EXPECT_EQ(client.Call(ReadBootLoaderVersion), Hex("01 45 10 12 62"));
  client.Wait(1000);
  EXPECT_EQ(client.Call(ReadBootLoaderVersion), Hex("01 45 10 12 62"));
  EXPECT_EQ(simulator->Unit(5)->program, Program::BootLoader);
}

TEST_F(RestartTest, AfterAResetTheSoftwareAnswersAgainAndReportsReadyLater) {
  StartDemo();
  EXPECT_EQ(client.Call(Hex("05 45 10 32")), Hex("05 45 10 32"));
  client.Wait(1400);
  EXPECT_EQ(client.Call(Hex("05 41")), std::nullopt) << "still restarting";
  client.Wait(250);
  EXPECT_EQ(client.Call(Hex("05 41")), Hex("05 42"));
  // The demo display needs half a second after its start before it reports ready.
  EXPECT_EQ(client.Call(Hex("05 45 10 33")), Hex("05 45 10 33 00"));
  client.Wait(300);
  EXPECT_EQ(client.Call(Hex("05 45 10 33")), Hex("05 45 10 33 01"));
}

TEST_F(RestartTest, ResetSystemRestartsEveryUnitAndAResetOfARemoteUnitOnlyThatOne) {
  StartDemo();
  const Body listRemoteUnits = Hex("05 45 10 17");
  EXPECT_EQ(client.Call(Hex("02 45 10 32")), Hex("02 45 10 32"));
  EXPECT_EQ(client.Call(listRemoteUnits), Hex("05 45 10 17 01 09"));
  EXPECT_EQ(client.Call(Hex("02 41")), std::nullopt);
  client.Wait(2000);
  EXPECT_EQ(client.Call(listRemoteUnits), Hex("05 45 10 17 02 02 09"));

  EXPECT_EQ(client.Call(Hex("05 45 10 18")), Hex("05 45 10 18"));
  for (const char* ping : {"05 41", "02 41", "09 41"})
    EXPECT_EQ(client.Call(Hex(ping)), std::nullopt) << ping;
  client.Wait(2000);
  EXPECT_EQ(client.Call(listRemoteUnits), Hex("05 45 10 17 02 02 09"));
}

TEST_F(RestartTest, APowerCycleWithTheBootButtonHeldStartsTheBootRom) {
  StartDemo();
  simulator->PowerCycle(5, true);
  client.Wait(1500);
  client.SetSpeed(115200);
  client.Send(Body{'?'});
  EXPECT_EQ(client.ReceiveText(), "Synchronized\r\n");
  simulator->PowerCycle(5);
  client.Wait(2000);
  client.SetSpeed(19200);
  EXPECT_EQ(client.Call(Hex("05 41")), Hex("05 42"));
}

}  // namespace
