// The system listing as records, against a simulated system in virtual time: each unit
// identified once, nothing else asked, and a unit before 6.00 or one that does not
// answer listed for what it is.
#include "ops/system_list.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "update/simulated_system_fixture.h"

namespace {

using SystemListing = SimulatedSystem;

// A KD6 weight indicator on the port, a KT7 and a KD6 without settings on 6.10, a 5.90
// KD5 that predates the description calls.
constexpr const char* System = R"([unit 5]
Attached = yes
Card = 653
Product = 61
Software = 6.12r41
SerialNumber = 2318842
[unit 2]
Card = 659
Software = 6.12r41
SerialNumber = 2320117
Information = Silo 3 load cells
[unit 7]
Card = 647
Software = 5.90r04
SerialNumber = 2104417
[unit 12]
Card = 653
Software = 6.10r57
)";

TEST_F(SystemListing, EachUnitIsARecordInAddressOrder) {
  Start(System);
  UnitInfo connected = Connected();
  SystemList list{};
  ListSystem(connected, list);
  struct Expected {
    int address;
    int card;
    int version;
    bool described;
    bool hasSettings;
  };
  const Expected expected[] = {
      {2, 659, 612, true, false}, {5, 653, 612, true, true}, {7, 647, 590, false, false}, {12, 653, 610, true, false}};
  ASSERT_EQ(list.count, 4);
  for (int i = 0; i < 4; ++i) {
    const ListedUnit& unit = list.units[i];
    SCOPED_TRACE(expected[i].address);
    EXPECT_EQ(unit.address, expected[i].address);
    EXPECT_TRUE(unit.answers);
    EXPECT_EQ(unit.identity.cardnumber, expected[i].card);
    EXPECT_EQ(unit.identity.softwareversion, expected[i].version);
    EXPECT_EQ(unit.described, expected[i].described);
    EXPECT_EQ(unit.hasSettings, expected[i].hasSettings);
  }
  EXPECT_EQ(list.units[0].identity.serialnumber, 2320117u);
  EXPECT_EQ(std::string(list.units[0].identity.information.View()), "Silo 3 load cells");
  EXPECT_EQ(list.units[2].identity.serialnumber, 2104417u) << "a 5.90 unit still gives its serial number";
}

// The listing asks the connected unit for its remote units and each of them who it is,
// once: no settings, no second identification, nothing of the connected unit again.
TEST_F(SystemListing, AsksForIdentificationOnlyAndOnce) {
  Start(System);
  UnitInfo connected = Connected();
  size_t before = Heard().size();
  SystemList list{};
  ListSystem(connected, list);
  std::vector<std::string> heard = Heard();
  std::map<std::string, int> requests;
  for (size_t i = before; i < heard.size(); ++i) ++requests[heard[i].substr(0, 11)];
  const std::map<std::string, int> identification = {
      {"05 45 10 17", 1},  // the remote units
      {"02 45 10 10", 1}, {"02 45 10 15", 1}, {"02 45 10 16", 1}, {"02 45 10 14", 1},
      {"07 45 10 10", 1}, {"07 45 10 15", 1},  // no text to read, no description before 6.00
      {"0C 45 10 10", 1}, {"0C 45 10 15", 1}, {"0C 45 10 14", 1},
  };
  EXPECT_EQ(requests, identification);
}

TEST_F(SystemListing, AUnitThatDoesNotAnswerIsListedAsSuch) {
  Start(System);
  UnitInfo connected = Connected();
  RemoteUnitList remote{};
  remote.count = 2;
  remote.addresses[0] = 2;
  remote.addresses[1] = 9;  // reported, but not there
  SystemList list{};
  ListUnits(connected, remote, list);
  ASSERT_EQ(list.count, 3);
  EXPECT_TRUE(list.units[0].answers);
  EXPECT_EQ(list.units[2].address, 9);
  EXPECT_FALSE(list.units[2].answers);
  EXPECT_FALSE(list.units[2].hasSettings);
}

TEST(SystemOrder, TheConnectedUnitTakesItsPlaceAmongTheRemoteUnits) {
  struct Case {
    uint8_t own;
    std::vector<uint8_t> remote;
    std::vector<uint8_t> order;
  };
  const Case cases[] = {
      {5, {2, 9, 12}, {2, 5, 9, 12}}, {1, {2, 9}, {1, 2, 9}}, {20, {2, 9}, {2, 9, 20}}, {5, {}, {5}},
  };
  for (const Case& c : cases) {
    UnitInfo connected{};
    connected.ModbusAddress = c.own;
    RemoteUnitList remote{};
    for (uint8_t address : c.remote) remote.addresses[remote.count++] = address;
    SystemAddresses order = OrderSystem(connected, remote);
    EXPECT_EQ(std::vector<uint8_t>(order.addresses, order.addresses + order.count), c.order) << int{c.own};
  }
}

}  // namespace
