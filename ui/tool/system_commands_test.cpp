// Update All and Save System Logs as the operator uses them, against the simulated
// system in virtual time.
#include "ui/tool/system_commands.h"

#include <gtest/gtest.h>

#include "protocol/unit_procedures.h"
#include "runtime/message_box.h"
#include "runtime/program_state.h"
#include "sim/system_file.h"
#include "ui/tool/tool_window_fixture.h"
#include "ui/toolkit/core/headless_backend.h"
#include "ui/toolkit/core/operator_actions.h"

namespace {

class SystemCommands : public ToolWindow {
 protected:
  void SetUp() override {
    ToolWindow::SetUp();
    savedProgram = ArgList[0];
    ArgList[0] = program.c_str();
  }
  void TearDown() override {
    ArgList[0] = savedProgram;
    ToolWindow::TearDown();
  }
  void Start(const std::string& text) {
    SystemDescription description;
    std::string error;
    ASSERT_TRUE(ReadSystemText(text, description, error)) << error;
    AttachSystem(1, description);
    setenv("VELANTORPORTLIST", "1", 1);
    OpenMainWindow();
    ASSERT_EQ(Text(Form().connectButton.window), "Disconnect");
    TakeShownMessageBoxes();
    simulator->Traffic().Clear();
  }
  void Click(StdButtonControl& button) {
    OperatorClick(button.window.hwnd);
    Pump(50);
  }

  std::string program = folder.Path("bin/quarnet");
  const char* savedProgram = nullptr;
  SavedVariable savedImages{"VELANTORIMAGEDIR", QUARNET_IMAGE_FOLDER};
};

// A KR5 (LPC1768) at `address` that takes update files.
std::string Kr5(int address, const std::string& software, const std::string& more = "") {
  return "[unit " + std::to_string(address) + "]\nCard = 649\nMcu = LPC1768\nBootLoaderVersion = 4\n" +
         "BootLoaderRelease = 18\nBufferSize = 8192\nUnitFlags = 0x01\nSoftware = " + software + "\n" + more;
}

const std::string UpdateQuestion =
    "This will update the Velantor units to software v6.10r57\r\n\r\nDo you wish to update the software?";
const std::string NewerQuestion =
    "WARNING: There is a newer version of the software in the units.\r\n\r\nDo you wish to replace the software?";

TEST_F(SystemCommands, CancelAtTheFirstQuestionContactsNoUnit) {
  Start(Kr5(5, "6.08r12", "Attached = yes\n") + Kr5(2, "6.08r12"));
  QueueMessageBoxAnswers({ButtonCancel});
  Click(Form().updateAllButton);
  std::vector<ShownMessageBox> boxes = TakeShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, UpdateQuestion);
  EXPECT_EQ(boxes[0].caption, "Quarnet");
  EXPECT_EQ(boxes[0].style, 0x31);
  EXPECT_TRUE(simulator->Traffic().Of(TrafficKind::Received).empty());
  EXPECT_EQ(Text(Form().connectButton.window), "Disconnect");
}

TEST_F(SystemCommands, UpdateAllUpdatesTheSystemAndLeavesTheWindowDisconnected) {
  Start(Kr5(5, "6.08r12", "Attached = yes\n") + Kr5(2, "6.08r12"));
  Click(Form().updateAllButton);
  std::vector<ShownMessageBox> boxes = TakeShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u) << "no newer software: no warning";
  EXPECT_EQ(boxes[1].text,
            "Software update of all units has finished.\r\n\r\nPlease connect again after the units have finished "
            "restarting.");
  EXPECT_EQ(boxes[1].caption, "Information");
  EXPECT_EQ(boxes[1].style, 0x40);
  EXPECT_EQ(Text(Form().connectButton.window), "Connect");
  EXPECT_FALSE(PelIsEnabled(Form().updateAllButton.window));
  EXPECT_TRUE(PelIsEnabled(Form().window));
  EXPECT_FALSE(Form().LogVisible) << "the log as it was";
  EXPECT_NE(ConsoleSaid().find("Success: all operations are complete\r\n"), std::string::npos);
  for (int address : {5, 2}) EXPECT_EQ(simulator->Unit(address)->Identity().softwareVersion, 610) << address;
}

TEST_F(SystemCommands, ANewerUnitIsOnlyReplacedWhenTheOperatorSaysSo) {
  struct Case {
    std::string software;
    bool warned;
  };
  for (const Case& c : {Case{"6.10r58", true}, Case{"6.10r57", false}}) {
    SCOPED_TRACE(c.software);
    Start(Kr5(5, "6.08r12", "Attached = yes\n") + Kr5(2, c.software));
    QueueMessageBoxAnswers({ButtonOk, ButtonCancel});
    Click(Form().updateAllButton);
    std::vector<ShownMessageBox> boxes = TakeShownMessageBoxes();
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text == NewerQuestion, c.warned);
    if (c.warned) {
      ASSERT_EQ(boxes.size(), 3u);
      EXPECT_EQ(boxes[2].text, "Software update was cancelled.\r\n\r\nPlease connect again.");
      EXPECT_EQ(simulator->Unit(5)->Identity().softwareVersion, 608) << "nothing was written";
    }
    EXPECT_EQ(Text(Form().connectButton.window), "Connect");
    CloseMainWindow();
    ClosePort();
  }
}

TEST_F(SystemCommands, SaveSystemLogsSavesBesideTheProgramAndSaysWhere) {
  Start(Kr5(5, "6.08r12", "Attached = yes\nLogs = yes\n") + Kr5(2, "6.08r12", "Logs = yes\nDebugLogs = 0x0301\n"));
  std::filesystem::create_directories(folder.Path("bin"));
  Click(Form().saveSystemLogsButton);
  std::vector<ShownMessageBox> boxes = TakeShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  std::string logs = folder.Path("bin/VelantorLogFiles");
  EXPECT_EQ(boxes[0].text, "The system logs from all units have been saved into the following folder:-\r\n\r\n" + logs);
  EXPECT_EQ(boxes[0].caption, "Information");
  std::string saved = FileText(logs + "/DebugLog_02 KQ0 KR5 0.txt");
  EXPECT_EQ(saved.rfind("Debug log 0301 of unit 2 card 649\r\nentry 1", 0), 0u) << saved;
  EXPECT_FALSE(FileText(logs + "/ConfigurationLog_05 KQ0 KR5 0.txt").empty());
  EXPECT_EQ(Text(Form().connectButton.window), "Disconnect") << "still connected";
  EXPECT_TRUE(PelIsEnabled(Form().window));
}

TEST_F(SystemCommands, ASilentUnitsLogsAreSaidToBeMissing) {
  Start(Kr5(5, "6.08r12", "Attached = yes\nLogs = yes\n") + Kr5(2, "6.08r12", "Logs = yes\n"));
  simulator->OrderFault({.kind = FaultKind::Mute, .unit = 2});
  Click(Form().saveSystemLogsButton);
  std::vector<ShownMessageBox> boxes = TakeShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind("The logs of Velantor Unit 2 could not be saved: it did not answer.\r\n\r\n"
                                "The system logs from all units have been saved into the following folder:-",
                                0),
            0u)
      << boxes[0].text;
}

}  // namespace
