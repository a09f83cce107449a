// The file forms as the operator uses them from the main window's buttons: what they
// offer, typing and browsing for a file, the load type arrows, OK without a name, and
// the folder they remember.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "runtime/message_box.h"
#include "runtime/path.h"
#include "ui/tool/configuration_form.h"
#include "ops/tool_settings.h"
#include "ui/tool/tool_window_fixture.h"
#include "ui/toolkit/core/headless_backend.h"

namespace {

// The children of a file form, in layout order; the load form has three more in front.
enum Child { FileLabel, FileName, Browse, Folder, Ok, Cancel };

class FileForms : public ToolWindow {
 protected:
  void SetUp() override {
    ToolWindow::SetUp();
    AttachSystem(4, DemoSystem());
    OpenMainWindow();
    ASSERT_TRUE(OperatorPickListLine(Form().unitList.window.hwnd, 1));
    Pump(20);
    ASSERT_EQ(Form().SelectedUnit.SlaveAddress, 5);
    TakeShownMessageBoxes();
  }

  // The operator's actions while the form is open, at 100 ms intervals from now on.
  void Then(std::function<void()> action) {
    next = std::max(next, clock.Now()) + 100'000;
    clock.Schedule(next, std::move(action));
  }
  // Presses the main window's button and lets the form run to its end.
  void Press(StdButtonControl& button) {
    OperatorClick(button.window.hwnd);
    Pump(5000);
  }
  WindowHandle Child(int index) {
    std::vector<WindowHandle> children = GetChildren(GetActiveWindow());
    int shift = loadForm ? 3 : 0;
    return index + shift < static_cast<int>(children.size()) ? children[static_cast<size_t>(index + shift)] : 0;
  }
  WindowHandle LoadTypeText() { return GetChildren(GetActiveWindow())[1]; }
  WindowHandle LoadTypeArrows() { return GetChildren(GetActiveWindow())[2]; }
  void TypeFileName(const std::string& text) { OperatorType(Child(FileName), "\x01" + text); }

  uint64_t next = 0;
  bool loadForm = false;
};

TEST_F(FileForms, SaveSetupOffersTheUnitsNameInTheDocumentsFolderAndRemembersTheFolder) {
  std::filesystem::create_directories(folder.Path("home/Documents"));
  SavedVariable home("HOME", folder.Path("home"));
  std::string title, name, shownFolder, working;
  Then([&] {
    title = GetWindowText(GetActiveWindow());
    name = GetWindowText(Child(FileName));
    shownFolder = GetWindowText(Child(Folder));
    // The form stays over the main window while the transfer runs, with its title saying so.
    SetWindowText(Child(Folder), folder.Path());
    OperatorClick(Child(Ok));
  });
  // The progress window is over the form now.
  Then([&] { working = GetWindowText(GetParent(GetActiveWindow())); });
  Press(Form().saveSetupButton);
  EXPECT_EQ(title, "Save Settings");
  EXPECT_EQ(name, "05 KQ61 KD6 2318842.csv");
  EXPECT_EQ(shownFolder, folder.Path("home/Documents")) << "where the operator keeps documents";
  EXPECT_EQ(working, "Please wait - saving...");
  EXPECT_TRUE(std::filesystem::exists(folder.Path("05 KQ61 KD6 2318842.csv")));
  EXPECT_EQ(ReadToolSetting("InitialDir"), folder.Path());
  EXPECT_EQ(TakeShownMessageBoxes().back().text, "Settings saved");
  EXPECT_TRUE(PelIsEnabled(Form().window));
  std::string said = console.Text();
  for (const char* trace : {"CreateSaveSetupForm", "SaveSetupFormInitialise", "SaveSetupFormFinalise",
                            "DestroySaveSetupForm"}) {
    EXPECT_NE(said.find(trace), std::string::npos) << trace;
  }

  // Next time the folder is the one remembered.
  Then([&] {
    shownFolder = GetWindowText(Child(Folder));
    OperatorClick(Child(Cancel));
  });
  Press(Form().saveSetupButton);
  EXPECT_EQ(shownFolder, folder.Path());
}

TEST_F(FileForms, AFullPathTypedOverridesTheFolderShown) {
  std::filesystem::create_directories(folder.Path("elsewhere"));
  WriteToolSetting("GenerateDir", String::Copy(folder.Path()));
  std::string name;
  Then([&] {
    name = GetWindowText(Child(FileName));
    TypeFileName(folder.Path("elsewhere/table.csv"));
    OperatorClick(Child(Ok));
  });
  Press(Form().generateModbusButton);
  EXPECT_EQ(name, "05 KD6 2318842 Modbus.csv");
  EXPECT_TRUE(std::filesystem::exists(folder.Path("elsewhere/table.csv")));
  EXPECT_EQ(ReadToolSetting("GenerateDir"), folder.Path("elsewhere"));
}

// A colon is part of a Linux file name, not the end of a drive's.
TEST_F(FileForms, ANameWithAColonIsOneName) {
  WriteToolSetting("GenerateDir", String::Copy(folder.Path()));
  Then([&] {
    TypeFileName("10:30 table.csv");
    OperatorClick(Child(Ok));
  });
  Press(Form().generateModbusButton);
  EXPECT_TRUE(std::filesystem::exists(folder.Path("10:30 table.csv")));
  EXPECT_EQ(ReadToolSetting("GenerateDir"), folder.Path());
}

// The keyboard alone: Enter in the name saves, Escape cancels, Tab goes on to the
// form's next control.
TEST_F(FileForms, EnterSavesEscapeCancelsTabMovesOn) {
  WriteToolSetting("GenerateDir", String::Copy(folder.Path()));
  WindowHandle afterTab = 0, browse = 0;
  Then([&] {
    OperatorPressKey(Child(FileName), VK_TAB);
    Pump(5);
    afterTab = GetFocus();
    browse = Child(Browse);
    OperatorPressKey(Child(FileName), VK_ESCAPE);
  });
  Press(Form().generateModbusButton);
  EXPECT_EQ(afterTab, browse);
  EXPECT_TRUE(TakeShownMessageBoxes().empty()) << "Escape transfers nothing";
  EXPECT_FALSE(std::filesystem::exists(folder.Path("05 KD6 2318842 Modbus.csv")));

  Then([&] { TypeFileName("keyed.csv\r"); });
  Press(Form().generateModbusButton);
  EXPECT_TRUE(std::filesystem::exists(folder.Path("keyed.csv")));
}

TEST_F(FileForms, BrowseFillsNameAndFolderAndACancelledBrowseChangesNothing) {
  WriteToolSetting("InitialDir", String::Copy(folder.Path()));
  std::string afterCancel[2], afterChoice[2];
  QueueFileDialogAnswers({std::nullopt, folder.Path("chosen/setup.csv")});
  Then([&] { OperatorClick(Child(Browse)); });
  Then([&] {
    afterCancel[0] = GetWindowText(Child(FileName));
    afterCancel[1] = GetWindowText(Child(Folder));
    OperatorClick(Child(Browse));
  });
  Then([&] {
    afterChoice[0] = GetWindowText(Child(FileName));
    afterChoice[1] = GetWindowText(Child(Folder));
    OperatorClick(Child(Cancel));
  });
  Press(Form().saveSetupButton);
  EXPECT_EQ(afterCancel[0], "05 KQ61 KD6 2318842.csv");
  EXPECT_EQ(afterCancel[1], folder.Path());
  EXPECT_EQ(afterChoice[0], "setup.csv");
  EXPECT_EQ(afterChoice[1], folder.Path("chosen"));
  std::vector<ShownFileDialog> dialogs = TakeShownFileDialogs();
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_TRUE(dialogs[0].request.save);
  EXPECT_EQ(dialogs[0].request.initialFolder, folder.Path());
  EXPECT_EQ(dialogs[0].offered, "05 KQ61 KD6 2318842.csv");
  EXPECT_EQ(dialogs[0].request.filter, (std::vector<std::pair<std::string, std::string>>{{"Comma separated", "*.csv"}}));
  EXPECT_EQ(ReadToolSetting("InitialDir"), folder.Path()) << "a cancelled form writes no folder";
}

TEST_F(FileForms, TheLoadTypeArrowsStopAtBothEnds) {
  loadForm = true;
  std::vector<std::string> shown;
  Then([&] {
    shown.push_back(GetWindowText(LoadTypeText()));
    shown.push_back(GetWindowText(Child(FileName)));
    OperatorStepUpDown(LoadTypeArrows(), false);
  });
  Then([&] {
    shown.push_back(GetWindowText(LoadTypeText()));
    for (int i = 0; i < 10; ++i) OperatorStepUpDown(LoadTypeArrows(), true);
  });
  Then([&] {
    shown.push_back(GetWindowText(LoadTypeText()));
    OperatorStepUpDown(LoadTypeArrows(), false);
  });
  Then([&] {
    shown.push_back(GetWindowText(LoadTypeText()));
    shown.push_back(GetWindowText(GetActiveWindow()));
    OperatorClick(Child(Cancel));
  });
  Press(Form().loadSetupButton);
  EXPECT_EQ(shown, (std::vector<std::string>{"clone unit", "", "clone unit", "load other", "load customisation",
                                             "Load Settings"}));
}

TEST_F(FileForms, OkWithoutAFileNameTransfersNothing) {
  loadForm = true;
  Then([&] { OperatorClick(Child(Ok)); });
  Press(Form().loadSetupButton);
  std::vector<ShownMessageBox> boxes = TakeShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].text, "No file selected");
  EXPECT_EQ(boxes[0].style, MessageIconError) << "the icon of the kind its caption names";
  EXPECT_EQ(ReadToolSetting("InitialDir"), "");
  EXPECT_EQ(Text(Form().connectButton.window), "Disconnect") << "no load: still connected";
}

TEST_F(FileForms, ALoadLeavesTheWindowDisconnected) {
  loadForm = true;
  folder.Write("setup.csv", "Velantor setup,653,1\r\nSetting,8060,12000,0,5,t\r\n");
  Then([&] {
    TypeFileName(folder.Path("setup.csv"));
    OperatorClick(Child(Ok));
  });
  Press(Form().loadSetupButton);
  EXPECT_EQ(TakeShownMessageBoxes().back().text, "Settings loaded - please restart the unit and reconnect");
  EXPECT_EQ(simulator->Unit(5)->settings[1].value, 12000);
  EXPECT_EQ(Text(Form().connectButton.window), "Connect");
  EXPECT_EQ(Text(Form().unitTitle.window), "") << "no unit: no title";
}

TEST_F(FileForms, TheConfigurationFormIsAnEmptyTreeUntilClosed) {
  std::string title;
  std::vector<std::string> items{"not read"};
  bool ownerEnabled = true;
  Then([&] {
    title = GetWindowText(GetActiveWindow());
    items = TreeItems(GetChildren(GetActiveWindow())[0]);
    ownerEnabled = PelIsEnabled(Form().window);
    OperatorClose(GetActiveWindow());
  });
  RunConfigurationForm(Form().window);
  EXPECT_EQ(title, "Configuration");
  EXPECT_TRUE(items.empty());
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(PelIsEnabled(Form().window));
  EXPECT_TRUE(console.Said("ConfigurationFormFinalise"));
}

}  // namespace
