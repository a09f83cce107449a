// The settings and setup calls of a simulated unit, read straight off the wire: the
// setting's reply layout, the read-outs that drift, and the documents a unit writes
// after a few "working" polls.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "sim/setup_service.h"
#include "sim/test_client.h"
#include "sim/unit_documents.h"

namespace {

class SetupServiceTest : public SimulatorTest {
 protected:
  void SetUp() override { StartDemo(); }

  // The value of a setting reply: two words from byte 6, the low-order word first.
  static float ValueOf(const Body& reply) {
    uint32_t low = static_cast<uint32_t>(reply[6] << 8 | reply[7]);
    uint32_t high = static_cast<uint32_t>(reply[8] << 8 | reply[9]);
    return std::bit_cast<float>(high << 16 | low);
  }
  std::optional<Body> Setting(uint16_t number, uint8_t access, float value = 0) {
    uint32_t bits = std::bit_cast<uint32_t>(value);
    Body arguments{static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits),
                   static_cast<uint8_t>(bits >> 24), static_cast<uint8_t>(bits >> 16),
                   static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number),
                   access, 0x11, 0x14, 0x00, 0x00, 0x00};
    return client.Call(Procedure(5, 0x1080, arguments));
  }
  std::optional<Body> Setup(Body request) { return client.Call(request); }
  // Polls until the unit reports 0; the number of "working" answers.
  int PollUntilDone(uint8_t code) {
    int working = 0;
    for (uint8_t sequence = 1;; ++sequence) {
      std::optional<Body> reply = Setup({5, 0x46, code, sequence});
      EXPECT_TRUE(reply);
      if (!reply) return -1;
      EXPECT_EQ((*reply)[3], sequence);
      if ((*reply)[4] == 0) return working;
      ++working;
    }
  }
  std::string FileText(uint16_t file) {
    SimFile* found = simulator->File(5, 1, file);
    return found == nullptr ? "" : std::string(found->data.begin(), found->data.end());
  }
};

TEST_F(SetupServiceTest, ASettingIsReadAndWrittenWithItsDisplayFields) {
  std::optional<Body> reply = Setting(8124, 5);
  ASSERT_TRUE(reply);
  ASSERT_EQ(reply->size(), 36u + 4 + 1);  // the fixed part, "mV/V", the empty skip count
  EXPECT_EQ((*reply)[4], 0x04);           // 4 decimals, count-by high bits 0
  EXPECT_EQ((*reply)[5], 0x01);
  EXPECT_FLOAT_EQ(ValueOf(*reply), 2.0004f);
  EXPECT_EQ((*reply)[32], 4);
  EXPECT_EQ(std::string(reply->begin() + 36, reply->begin() + 40), "mV/V");

  reply = Setting(8060, 6, 7500);
  ASSERT_TRUE(reply);
  EXPECT_FLOAT_EQ(ValueOf(*reply), 7500);
  EXPECT_FLOAT_EQ(ValueOf(*Setting(8060, 5)), 7500);
  EXPECT_FALSE(Setting(1234, 5)) << "a setting the unit does not have gets no answer";
}

TEST_F(SetupServiceTest, TheReadoutsDriftSlowly) {
  float first = ValueOf(*Setting(8740, 5));
  client.Wait(5000);
  float later = ValueOf(*Setting(8740, 5));
  EXPECT_NE(first, later);
  EXPECT_NEAR(later, 1250, 1250 * 0.021);
  EXPECT_FLOAT_EQ(ValueOf(*Setting(8060, 5)), 5000) << "other settings hold still";
}

TEST_F(SetupServiceTest, DocumentsAreWrittenAfterAFewWorkingPolls) {
  struct Case {
    uint8_t start, status;
    uint16_t file;
    const char* firstLine;
  };
  const Case cases[] = {
      {0x91, 0x92, 74, "Velantor setup,653,2318842\r\n"},
      {0x94, 0x95, 265, "Register,Setting,Value,Decimals,Units\r\n"},
      {0x96, 0x97, 263, "Data Address,Data Name,Scope,Size,Type,Min,Max,Default,Decimal Places,Units,Bit Names\r\n"},
  };
  for (const Case& c : cases) {
    Body start{5, 0x46, c.start, 0};
    if (c.start == 0x91) start.push_back(0);
    std::optional<Body> reply = Setup(start);
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, (Body{5, 0x46, c.start, 0}));
    EXPECT_EQ(FileText(c.file), "") << "nothing before the polls";
    EXPECT_EQ(PollUntilDone(c.status), 2);
    EXPECT_EQ(FileText(c.file).rfind(c.firstLine, 0), 0u) << FileText(c.file);
    EXPECT_EQ(PollUntilDone(c.status), 0) << "no job: finished at once";
  }
  EXPECT_NE(FileText(74).find("Setting,8124,2.00040007,4,1,mV/V\r\n"), std::string::npos) << FileText(74);
}

TEST_F(SetupServiceTest, ACloneLoadsTheSettingsOfASetupAndOtherTypesLeaveThem) {
  SimUnit& unit = *simulator->Unit(5);
  std::string setup = "Velantor setup,653,1\r\nSetting,8060,12000,1,2,t\r\nSetting,9000,3,0,1,\r\n";
  struct Case {
    uint8_t type;
    float capacity;
  };
  for (Case c : {Case{0x32, 5000}, Case{0x3E, 12000}}) {
    simulator->PutFile(5, 1, 74, Bytes(setup.begin(), setup.end()));
    ASSERT_TRUE(Setup({5, 0x46, 0x90, 0, c.type}));
    PollUntilDone(0x92);
    EXPECT_FLOAT_EQ(ValueOf(*Setting(8060, 5)), c.capacity);
  }
  EXPECT_EQ(unit.settings.back().number, 9000) << "a clone brings settings the unit lacked";
  EXPECT_EQ(unit.settings[1].unitsText, "t");
}

TEST_F(SetupServiceTest, RequestsItCannotServeGetNoAnswer) {
  EXPECT_FALSE(Setup({5, 0x46, 0x90, 0, 0x3E})) << "no setup file to load";
  std::string broken = "Velantor setup\r\nSetting,8060,twelve,1,2,t\r\n";
  simulator->PutFile(5, 1, 74, Bytes(broken.begin(), broken.end()));
  EXPECT_FALSE(Setup({5, 0x46, 0x90, 0, 0x3E})) << "a setup that does not read";
  EXPECT_FALSE(Setup({5, 0x46, 0x91, 0})) << "SaveSetup without its parameter";
  EXPECT_FALSE(Setup({5, 0x46, 0x93, 0})) << "an unknown sub-code";
}

TEST(UnitDocumentsTest, ASetupReadsBackAsItWasWritten) {
  SimUnit unit;
  unit.settings = {{8044, 102, 0, 1, "kg"}, {8124, 2.0004f, 4, 1, "mV/V, ratio"}, {8060, -1e-7f, 3, 300, ""}};
  std::string text = RenderSetup(unit);
  std::optional<std::vector<UnitSetting>> read = ReadSetup(Bytes(text.begin(), text.end()));
  ASSERT_TRUE(read);
  ASSERT_EQ(read->size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ((*read)[i].number, unit.settings[i].number);
    EXPECT_EQ((*read)[i].value, unit.settings[i].value);
    EXPECT_EQ((*read)[i].decimals, unit.settings[i].decimals);
    EXPECT_EQ((*read)[i].countBy, unit.settings[i].countBy);
    EXPECT_EQ((*read)[i].unitsText, unit.settings[i].unitsText);
  }
  EXPECT_FALSE(ReadSetup(Bytes{'x'}));
}

}  // namespace
