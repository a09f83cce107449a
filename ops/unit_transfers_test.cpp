// The transfers as values, against a simulated KD6 with a fieldbus interface in virtual
// time: what each says, which files it wrote (and that they are there, whole), and how
// it reports where it stands.
#include "ops/unit_transfers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "runtime/operation_progress.h"
#include "testing/temporary_folder.h"
#include "update/simulated_system_fixture.h"

namespace {

namespace fs = std::filesystem;

using UnitTransfers = SimulatedSystem;

constexpr const char* System = R"([unit 5]
Attached = yes
Card = 653
Product = 61
Mcu = LPC4357
Software = 6.12r41
)";

std::vector<std::string> shown;

void Record(const ProgressState& state, bool newActivity) {
  shown.push_back((newActivity ? "new " : "") + std::string(ProgressText(state).View()));
}

TEST_F(UnitTransfers, EachSaysWhatItDidAndNamesTheFilesItWrote) {
  Start(System);
  UnitInfo unit = Connected();
  TemporaryFolder folder{"transfers"};
  auto file = [&](const char* name) { return String::Copy(folder.Path(name)); };
  struct Case {
    const char* what;
    std::function<TransferResult()> run;
    bool done;
    const char* message;  // its start
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {"save setup", [&] { return TransferSetupToFile(unit, file("kd6.csv")); }, true, "Settings saved", {"kd6.csv"}},
      {"load setup", [&] { return TransferSetupToUnit(unit, file("kd6.csv"), 0); }, true,
       "Settings loaded - please restart the unit and reconnect", {}},
      {"modbus", [&] { return TransferModbusTable(unit, file("modbus.csv")); }, true, "Modbus files generated",
       {"modbus.csv"}},
      {"fieldbus", [&] { return TransferFieldbusTable(unit, file("table.csv")); }, true, "Fieldbus files generated",
       {"table.csv", "table EthernetIP.EDS", "table Profinet.xml", "table Profibus.gsd", "table CANopen.eds"}},
      {"a missing setup", [&] { return TransferSetupToUnit(unit, file("missing.csv"), 0); }, false,
       "Unable to Load Settings: Cannot open file", {}},
      {"no such load type", [&] { return TransferSetupToUnit(unit, file("kd6.csv"), 99); }, false,
       "Unable to Load Settings", {}},
      {"a missing folder", [&] { return TransferSetupToFile(unit, file("nowhere/kd6.csv")); }, false,
       "Unable to save settings: Cannot create file", {}},
  };
  InstallProgressShow(Record);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    shown.clear();
    TransferResult result = c.run();
    EXPECT_EQ(result.done, c.done);
    EXPECT_EQ(std::string(result.message.View()).rfind(c.message, 0), 0u) << result.message.View();
    std::vector<std::string> files;
    for (const String& name : result.files) files.push_back(fs::path(std::string(name.View())).filename().string());
    EXPECT_EQ(files, c.files);
    for (const String& name : result.files) EXPECT_GT(fs::file_size(std::string(name.View())), 0u) << name.View();
    // The unit and the activity first, the milestones in between, the end last.
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown[0], "new Velantor Unit 5 (KD6)");
    EXPECT_EQ(shown[1].rfind("new Velantor Unit 5 (KD6): ", 0), 0u) << shown[1];
    EXPECT_EQ(shown.back(), "new ");
  }
  InstallProgressShow(nullptr);
  EXPECT_FALSE(fs::exists(folder.Path("nowhere")));
}

}  // namespace
