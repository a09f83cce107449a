// Update All and Save System Logs as the operator uses them, against the simulated
// system in virtual time.
#include "testing/environment.h"
#include "ui/tool/system_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "protocol/unit_procedures.h"
#include "runtime/console_streams.h"
#include "runtime/message_box.h"
#include "runtime/program_state.h"
#include "ui/tool/tool_window_fixture.h"
#include "ui/toolkit/core/headless_backend.h"
#include "ui/toolkit/core/operator_actions.h"
#include "ui/toolkit/core/window_input.h"

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
    AttachSystem(1, text);
    SetVariable("VELANTORPORTLIST", "1");
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

// The closing box tells what each unit runs after the restart; the window ends
// connected, with the system listed again.
TEST_F(SystemCommands, UpdateAllEndsConnectedAndSaysWhatEachUnitRuns) {
  struct Case {
    std::string remote;
    std::string report;
    std::string caption;
    int style;
  };
  const Case cases[] = {
      {Kr5(2, "6.08r12"),
       "Velantor Unit 2 (KR5): updated, 6.08r12 -> 6.10r57\r\nVelantor Unit 5 (KR5): updated, 6.08r12 -> "
       "6.10r57\r\n\r\nSuccess: all operations are complete",
       "Information", 0x40},
      {Kr5(2, "6.08r12", "AppliesUpdates = no\n"),
       "Velantor Unit 2 (KR5): not taken, still on 6.08r12: the unit did not apply its update\r\nVelantor Unit 5 "
       "(KR5): updated, 6.08r12 -> 6.10r57\r\n\r\nComplete: some units could not be updated",
       "Error", 0x10},
      {Kr5(2, "6.08r12", "RestartTime = 3600000\n"),
       "Velantor Unit 2 (KR5): not answering after the restart\r\nVelantor Unit 5 (KR5): updated, 6.08r12 -> "
       "6.10r57\r\n\r\nNot verified: some units did not answer after the restart\r\n\r\nConnect again once the "
       "units have restarted and check their software.",
       "Error", 0x10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.remote);
    Start(Kr5(5, "6.08r12", "Attached = yes\n") + c.remote);
    Click(Form().updateAllButton);
    std::vector<ShownMessageBox> boxes = TakeShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u) << "no newer software: no warning";
    EXPECT_EQ(boxes[1].text, "Software update of all units has finished.\r\n\r\n" + c.report);
    EXPECT_EQ(boxes[1].caption, c.caption);
    EXPECT_EQ(boxes[1].style, c.style);
    EXPECT_EQ(Text(Form().connectButton.window), "Disconnect");
    EXPECT_TRUE(PelIsEnabled(Form().updateAllButton.window));
    EXPECT_GE(ListBoxCount(Form().unitList), 1) << "the system listed again";
    EXPECT_TRUE(PelIsEnabled(Form().window));
    EXPECT_FALSE(Form().LogVisible) << "the log as it was";
    EXPECT_EQ(simulator->Unit(5)->Identity().softwareVersion, 610);
    CloseMainWindow();
    ClosePort();
  }
}

// While the update runs the status line says which unit of how many, what is being
// sent and how far the whole has got; afterwards it shows the console again.
TEST_F(SystemCommands, TheStatusLineShowsTheUpdatesProgress) {
  Start(Kr5(5, "6.08r12", "Attached = yes\n") + Kr5(2, "6.08r12"));
  std::vector<std::string> seen;
  for (uint64_t at = 2'000'000; at < 60'000'000; at += 2'000'000) {
    clock.Schedule(clock.Now() + at, [&] { seen.push_back(Text(Form().statusLine.window)); });
  }
  Click(Form().updateAllButton);
  auto said = [&](const std::string& text) {
    return std::any_of(seen.begin(), seen.end(), [&](const std::string& line) { return line.find(text) != std::string::npos; });
  };
  EXPECT_TRUE(said("Unit 1 of 2, Velantor Unit 2 (KR5): software update file ")) << ::testing::PrintToString(seen);
  EXPECT_TRUE(said("Unit 2 of 2, Velantor Unit 5 (KR5): "));
  EXPECT_TRUE(said(" left")) << "the time left";
  EXPECT_TRUE(Form().ProgressLine.Empty());
}

const std::string StopQuestion = "Stop the update? Units that are being updated may be left without software.";

// The close box of the disabled window asks; No lets the update run to its end.
TEST_F(SystemCommands, TheCloseBoxDuringTheUpdateAsksAndNoGoesOn) {
  Start(Kr5(5, "6.08r12", "Attached = yes\n") + Kr5(2, "6.08r12"));
  QueueMessageBoxAnswers({ButtonOk, ButtonNo});
  clock.Schedule(clock.Now() + 5'000'000, [] { DeliverClose(Form().window.hwnd); });
  Click(Form().updateAllButton);
  std::vector<ShownMessageBox> boxes = TakeShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[1].text, StopQuestion);
  EXPECT_EQ(boxes[1].caption, "Quarnet");
  EXPECT_EQ(boxes[1].style, MessageYesNo | MessageIconWarning);
  EXPECT_NE(boxes[2].text.find("Success: all operations are complete"), std::string::npos) << boxes[2].text;
  EXPECT_FALSE(ExitRequested);
}

using SystemCommandsDeathTest = SystemCommands;

// Yes stops the update: the operator hears that it stopped and which unit was left
// half done, not the step that happened to fail.
TEST_F(SystemCommandsDeathTest, YesToTheCloseBoxStopsTheUpdateAndSaysWhatIsLeftToDo) {
  Start(Kr5(5, "6.08r12", "Attached = yes\n") + Kr5(2, "6.08r12"));
  EXPECT_EXIT(
      {
        InstallConsoleSink([](uint8_t c) { fputc(c, stderr); });
        QueueMessageBoxAnswers({ButtonOk, ButtonYes});
        clock.Schedule(clock.Now() + 5'000'000, [] { DeliverClose(Form().window.hwnd); });
        Click(Form().updateAllButton);
      },
      testing::ExitedWithCode(1),
      "-- stop requested by the operator\r?\n(.|\n)*Stopped by the operator. Velantor Unit .+ was being sent its "
      "update files; it still runs its old software. Run Update All again, which completes the update.\r?\n");
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
      EXPECT_EQ(boxes[2].text, "Software update was cancelled.");
      EXPECT_EQ(simulator->Unit(5)->Identity().softwareVersion, 608) << "nothing was written";
    }
    EXPECT_EQ(Text(Form().connectButton.window), "Disconnect");
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
                                "The other system logs have been saved into the following folder:-",
                                0),
            0u)
      << boxes[0].text;
}

}  // namespace
