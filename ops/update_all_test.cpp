// Update All as a value, against simulated systems in virtual time: what the operator
// is asked, and what the result says of each unit.
#include "ops/update_all.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update/simulated_system_fixture.h"

namespace {

using UpdateAllOperation = SimulatedSystem;

// A KR5 (LPC1768) that takes update files, at `software`; `more` added.
std::string Kr5(int address, const std::string& software, const std::string& more = "") {
  std::string checks = software == "6.10r57" ? "Checksum = 0x46199722\nSoftwareCrc = 0x687D\n" : "";
  return "[unit " + std::to_string(address) + "]\nCard = 649\nMcu = LPC1768\nBootLoaderVersion = 4\n" +
         "BootLoaderRelease = 18\nBufferSize = 8192\nUnitFlags = 0x01\nSoftware = " + software + "\n" + checks + more;
}

std::vector<std::string> asked;
std::vector<bool> answers;

bool Answer(const String& question) {
  asked.emplace_back(question.View());
  bool yes = answers.empty() || answers.front();
  if (!answers.empty()) answers.erase(answers.begin());
  return yes;
}

TEST_F(UpdateAllOperation, EachUnitsResultIsAValue) {
  struct Case {
    const char* what;
    std::string remote;
    UnitUpdateResult result;
    bool verified;
  };
  const Case cases[] = {
      {"updated", Kr5(2, "6.08r12"), UnitUpdateResult::Updated, true},
      {"current", Kr5(2, "6.10r57"), UnitUpdateResult::AlreadyCurrent, true},
      {"refuses its update files", Kr5(2, "6.08r12", "AppliesUpdates = no\n"), UnitUpdateResult::NotTaken, true},
      {"cannot take update files", Kr5(2, "5.80r03"), UnitUpdateResult::NotUpdated, true},
      {"does not come back", Kr5(2, "6.08r12", "RestartTime = 3600000\n"), UnitUpdateResult::NotAnswering, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Start(Kr5(5, "6.10r57", "Attached = yes\n") + c.remote);
    UnitInfo local = Connected();
    asked.clear();
    UpdateAllResult result = UpdateAll(local, OperationHooks{Answer, nullptr});
    ASSERT_TRUE(result.ran);
    ASSERT_EQ(result.outcome.count, 2);
    EXPECT_EQ(result.outcome.units[0].address, 2);
    EXPECT_EQ(result.outcome.units[0].result, c.result);
    EXPECT_EQ(result.outcome.units[1].result, UnitUpdateResult::AlreadyCurrent) << "the unit on the port";
    EXPECT_EQ(result.outcome.verified, c.verified);
    EXPECT_EQ(UpdateAllSucceeded(result), c.result == UnitUpdateResult::Updated ||
                                              c.result == UnitUpdateResult::AlreadyCurrent);
    EXPECT_EQ(asked.size(), 1u) << "no unit runs a later build: one question";
  }
}

// A No to either question changes no unit; the second is asked only when a unit runs
// a later build than the tool's.
TEST_F(UpdateAllOperation, ADeclinedQuestionChangesNoUnit) {
  struct Case {
    std::vector<bool> answers;
    size_t questions;
  };
  for (const Case& c : {Case{{false}, 1}, Case{{true, false}, 2}}) {
    Start(Kr5(5, "6.08r12", "Attached = yes\n") + Kr5(2, "6.10r58"));
    UnitInfo local = Connected();
    asked.clear();
    answers = c.answers;
    UpdateAllResult result = UpdateAll(local, OperationHooks{Answer, nullptr});
    EXPECT_FALSE(result.ran);
    EXPECT_EQ(result.contacted, c.questions == 2);
    EXPECT_FALSE(UpdateAllSucceeded(result));
    ASSERT_EQ(asked.size(), c.questions);
    if (c.questions == 2) {
      EXPECT_EQ(asked[1].rfind("WARNING: There is a newer version", 0), 0u);
    }
    EXPECT_EQ(simulator->Unit(5)->Identity().softwareVersion, 608);
    EXPECT_EQ(simulator->Unit(2)->Identity().softwareVersion, 610);
  }
}

}  // namespace
