#include "sim/test_client.h"

namespace {

class BootRomTest : public SimulatorTest {
 protected:
  void SetUp() override {
    StartText("[unit 5]\nCard = 653\nSoftware = 6.12\nProgram = bootrom\n");
    client.SetSpeed(115200);
  }
  std::string Exchange(std::string_view text) {
    client.Send(Body(text.begin(), text.end()));
    return client.ReceiveText();
  }
};

TEST_F(BootRomTest, TheHandshakeSynchronizesAndThenEveryLineIsEchoed) {
  EXPECT_EQ(Exchange("?"), "Synchronized\r\n");
  EXPECT_EQ(Exchange("Synchronized\r\n"), "Synchronized\r\nOK\r\n");
  // Nothing beyond the handshake is simulated: each command line is echoed and refused.
  EXPECT_EQ(Exchange("12000\r\n"), "12000\r\n1\r\n");
}

TEST_F(BootRomTest, AnythingButTheHandshakeGoesUnansweredUntilTheNextQuestionMark) {
  EXPECT_EQ(Exchange("Synchronized\r\n"), "") << "before any ?";
  client.Send(TestClient::Framed(Hex("01 45 10 12")));
  EXPECT_EQ(client.ReceiveText(), "") << "a request for the boot loader";
  EXPECT_EQ(Exchange("?"), "Synchronized\r\n");
  EXPECT_EQ(Exchange("Synchronised\r\n"), "") << "a wrong answer";
  EXPECT_EQ(Exchange("?"), "Synchronized\r\n");
  EXPECT_EQ(Exchange("Synchronized\r\n"), "Synchronized\r\nOK\r\n");
}

TEST_F(BootRomTest, ItListensOnlyAt115200) {
  client.SetSpeed(9600);
  EXPECT_EQ(Exchange("?"), "");
  client.SetSpeed(115200);
  EXPECT_EQ(Exchange("?"), "Synchronized\r\n");
}

}  // namespace
