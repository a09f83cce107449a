#include "app/command_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
  bool ok;
  CommandRequest request;
  std::string error;
};

Parsed Parse(std::vector<const char*> items) {
  items.insert(items.begin(), "/opt/quarnet");
  Parsed parsed;
  parsed.ok = ReadCommandRequest(static_cast<int>(items.size()), items.data(), parsed.request, parsed.error);
  return parsed;
}

TEST(CommandRequest, OperationsTheirValuesAndTheClassicItems) {
  Parsed parsed = Parse({"-d", "--load-setup", "plant a.csv", "job.ini", "--unit=12", "--type", "replace unit", "COM3"});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.request.operation, Operation::LoadSetup);
  EXPECT_EQ(parsed.request.file, "plant a.csv");
  EXPECT_EQ(parsed.request.unit, 12);
  EXPECT_EQ(parsed.request.loadType, 1);
  EXPECT_FALSE(parsed.request.yes);
  EXPECT_EQ(parsed.request.rest, (std::vector<std::string>{"/opt/quarnet", "-d", "job.ini", "COM3"}));

  parsed = Parse({"--load-setup", "a.csv", "--unit", "5", "--type=LOAD OTHER"});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.request.loadType, 8);

  parsed = Parse({"COM4", "--update-all", "--yes"});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.request.operation, Operation::UpdateAll);
  EXPECT_TRUE(parsed.request.yes);

  parsed = Parse({"--generate-fieldbus=out/table.csv", "--unit", "247"});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.request.operation, Operation::GenerateFieldbus);
  EXPECT_EQ(parsed.request.file, "out/table.csv");

  parsed = Parse({"-dd", "5"});
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.request.operation, Operation::Window);

  // The short forms a shell user tries first; -q and --json stay out of the classic items.
  const std::pair<std::vector<const char*>, Operation> shortForms[] = {
      {{"-h"}, Operation::Help}, {{"-v"}, Operation::Version}, {{"-q", "--list", "--json"}, Operation::List}};
  for (const auto& [items, operation] : shortForms) {
    parsed = Parse(items);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.request.operation, operation);
    EXPECT_EQ(parsed.request.rest, std::vector<std::string>{"/opt/quarnet"});
  }
  EXPECT_TRUE(parsed.request.quiet);
  EXPECT_TRUE(parsed.request.json);
}

// The classic reader checks them, and says what is missing.
TEST(CommandRequest, ThePortAndTheJobFileGoToTheClassicReaderWithTheirValues) {
  Parsed parsed = Parse({"--port", "/dev/ttyUSB0", "--list", "--job=line 4.ini", "-p", "COM3", "--job", "--yes"});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.request.operation, Operation::List);
  EXPECT_FALSE(parsed.request.yes);
  EXPECT_EQ(parsed.request.rest, (std::vector<std::string>{"/opt/quarnet", "--port", "/dev/ttyUSB0", "--job=line 4.ini",
                                                           "-p", "COM3", "--job", "--yes"}));
  parsed = Parse({"--port=5", "--port"});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.request.rest, (std::vector<std::string>{"/opt/quarnet", "--port=5", "--port"}));
}

TEST(CommandRequest, MistakesAreNamed) {
  struct Case {
    std::vector<const char*> items;
    const char* error;
  };
  const Case cases[] = {
      {{"--lits"}, "unknown option --lits"},
      {{"--list", "--save-logs"}, "one operation at a time: --list and --save-logs"},
      {{"--save-setup"}, "--save-setup needs a file name"},
      {{"--save-setup="}, "--save-setup needs a file name"},
      {{"--save-setup", "--unit", "5"}, "--save-setup needs a file name"},
      {{"--save-setup", "a.csv", "--unit", "--yes"}, "--unit needs an address"},
      {{"--save-setup", "a.csv"}, "--save-setup needs --unit ADDRESS"},
      {{"--save-setup", "a.csv", "--unit"}, "--unit needs an address"},
      {{"--save-setup", "a.csv", "--unit", "0"}, "--unit 0: an address is 1 to 247"},
      {{"--save-setup", "a.csv", "--unit", "248"}, "--unit 248: an address is 1 to 247"},
      {{"--save-setup", "a.csv", "--unit", "5x"}, "--unit 5x: an address is 1 to 247"},
      {{"--list", "--unit", "5"}, "--list does not take --unit"},
      {{"--save-setup", "a.csv", "--unit", "5", "--type", "clone unit"}, "--save-setup does not take --type"},
      {{"--load-setup", "a.csv", "--unit", "5", "--type"}, "--type needs a load type"},
      {{"--load-setup", "a.csv", "--unit", "5", "--type", "clone"},
       "--type clone: the load types are \"clone unit\", \"replace unit\", \"load macros\", \"load loadcell cal\", "
       "\"load memory\", \"load comms ports\", \"load fieldbus\", \"load customisation\", \"load other\""},
      {{"--unit", "5"}, "--unit needs an operation"},
      {{"--yes"}, "--yes answers the questions of an operation; name one"},
      {{"--list=all"}, "--list takes no value"},
      {{"--update-all", "--yes=no"}, "--yes takes no value"},
      {{"-q"}, "--quiet leaves an operation's results alone; name one"},
      {{"--json", "-d"}, "--json gives an operation's results; name one"},
      {{"--list", "-v"}, "one operation at a time: --list and -v"},
      {{"--list", "-x", "-dd"}, "unknown option -x"},
  };
  for (const Case& c : cases) {
    Parsed parsed = Parse(c.items);
    EXPECT_FALSE(parsed.ok) << c.error;
    EXPECT_EQ(parsed.error, c.error);
  }
}

}  // namespace
