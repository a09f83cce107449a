// The main window as the operator meets it: the search at start, the unit list,
// selection, Connect and Disconnect, a lost connection, the log button, closing.
#include <gtest/gtest.h>

#include <cerrno>

#include "protocol/unit_procedures.h"
#include "runtime/message_box.h"
#include "ui/tool/connection_state.h"
#include "ui/tool/port_and_speed.h"
#include "ops/tool_settings.h"
#include "testing/system_text.h"
#include "ui/tool/tool_window_fixture.h"
#include "ui/tool/unit_list.h"
#include "ui/toolkit/core/headless_backend.h"

namespace {

// A display at address 5 on the port and transmitters at the other addresses.
SystemDescription SystemOf(std::initializer_list<int> remoteAddresses) {
  std::string text = "[unit 5]\nAttached = yes\nCard = 653\nSoftware = 6.12r41\nInformation = Silo 3 discharge\n";
  for (int address : remoteAddresses) {
    text += "[unit " + std::to_string(address) + "]\nCard = 659\nSoftware = 6.12r41\n";
  }
  return SystemFromText(text);
}

TEST_F(ToolWindow, WithoutPortOrSettingThePortIsNoneAndConnectDoesNothing) {
  OpenMainWindow();
  EXPECT_EQ(Text(Form().portText.window), "none");
  EXPECT_EQ(PortNumber, 0);
  EXPECT_TRUE(console.Said("-- cannot find a Velantor unit\r\n"));
  console.Clear();
  OperatorClick(Form().connectButton.window.hwnd);
  Pump(50);
  EXPECT_FALSE(IsPortOpen());
  EXPECT_FALSE(console.Said("opened")) << console.Text();
  EXPECT_EQ(Text(Form().connectButton.window), "Connect");
}

TEST_F(ToolWindow, SearchAtStartFindsTheUnitAndListsTheSystem) {
  AttachSystem(4, DemoSystem());
  OpenMainWindow();
  EXPECT_EQ(Text(Form().window), "Quarnet 6.10r57");
  EXPECT_EQ(UnitLines(), (std::vector<std::string>{"02  KT7 Transmitter", "05  KD6/KP6 Display",
                                                   "09  KR5 Remote I/O Unit"}));
  EXPECT_EQ(Text(Form().portText.window), "COM4");
  EXPECT_EQ(ReadToolSetting("CommPort"), "4");
  EXPECT_EQ(Text(Form().connectButton.window), "Disconnect");
  EXPECT_TRUE(PelIsEnabled(Form().updateAllButton.window));
  EXPECT_TRUE(PelIsEnabled(Form().saveSystemLogsButton.window));
  // The first line is selected and its unit read.
  EXPECT_EQ(ListSelection(Form().unitList.window.hwnd), 0);
  EXPECT_TRUE(Form().UnitReady);
  EXPECT_EQ(Form().SelectedUnit.SlaveAddress, 2);
  EXPECT_EQ(Text(Form().unitTitle.window).rfind("Silo 3 load cells (", 0), 0u) << Text(Form().unitTitle.window);
  // The demo's units have no application: no settings and no file operations.
  EXPECT_FALSE(PelIsEnabled(Form().refreshButton.window));
  EXPECT_FALSE(PelIsEnabled(Form().generateFieldbusButton.window));
  EXPECT_FALSE(PelIsVisible(Form().menuButton.window));
  EXPECT_FALSE(Form().LogVisible);
  EXPECT_EQ(Text(Form().logButton.window), "Show Log");
  Pump(150);
  EXPECT_EQ(Text(Form().statusLine.window), "Connected");
  // 750 × 450 points at 96 dots per inch, and no other size.
  EXPECT_EQ(PelGetClientSize(Form().window).width, 1000);
  EXPECT_EQ(PelGetClientSize(Form().window).height, 600);
}

TEST_F(ToolWindow, TheConnectedUnitTakesItsPlaceInAddressOrder) {
  struct Case {
    std::initializer_list<int> remote;
    std::vector<std::string> addresses;
  };
  const Case cases[] = {
      {{2, 7}, {"02", "05", "07"}},
      {{}, {"05"}},
      {{7, 9}, {"05", "07", "09"}},
      {{2, 3}, {"02", "03", "05"}},
  };
  for (const Case& c : cases) {
    AttachSystem(4, SystemOf(c.remote));
    OpenMainWindow();
    std::vector<std::string> addresses;
    for (const std::string& line : UnitLines()) addresses.push_back(line.substr(0, 2));
    EXPECT_EQ(addresses, c.addresses);
    CloseMainWindow();
    ClosePort();
    TheToolForm = ToolForm{};
  }
}

TEST_F(ToolWindow, PickingAUnitReadsIt) {
  AttachSystem(4, DemoSystem());
  OpenMainWindow();
  ASSERT_TRUE(OperatorPickListLine(Form().unitList.window.hwnd, 2));
  Pump(20);
  EXPECT_EQ(Form().SelectedUnit.SlaveAddress, 9);
  EXPECT_EQ(Form().SelectedUnit.cardnumber, 649);
  EXPECT_TRUE(Form().UnitReady);
  EXPECT_FALSE(Form().UnitHasSettings);
  EXPECT_TRUE(Form().CalibrationLocked);
  EXPECT_EQ(Text(Form().lockState.window), "locked");
}

TEST_F(ToolWindow, AUnitThatDoesNotAnswerIsNotReady) {
  AttachSystem(4, DemoSystem());
  OpenMainWindow();
  simulator->OrderFault({.kind = FaultKind::DropReply, .count = 0, .unit = 9});
  ASSERT_TRUE(OperatorPickListLine(Form().unitList.window.hwnd, 2));
  Pump(20);
  EXPECT_EQ(Form().SelectedUnit.SlaveAddress, 9);
  EXPECT_FALSE(Form().UnitReady);
  EXPECT_EQ(Text(Form().unitTitle.window), "") << "no unit: no title";
  EXPECT_FALSE(PelIsEnabled(Form().unitTitle.window));
}

// The adapter pulled (the pseudo-terminal or tty hung up): the window says the
// connection is lost and ends disconnected, whether the system was being listed or
// already shown.
class VanishingLink : public ToolWindow {
 protected:
  void ExpectLostAndDisconnected() {
    std::string said = console.Text();
    EXPECT_NE(said.find("Lost connection to unit\r\n"), std::string::npos) << said;
    EXPECT_NE(said.find("Disconnected\r\n"), std::string::npos) << said;
    EXPECT_TRUE(UnitLines().empty());
    EXPECT_EQ(Text(Form().connectButton.window), "Connect");
    EXPECT_FALSE(IsPortOpen());
  }
};

TEST_F(VanishingLink, WhileTheSystemIsListed) {
  AttachSystem(4, DemoSystem());
  simulator->OrderFault({.kind = FaultKind::Vanish, .unit = 9});
  OpenMainWindow();
  ExpectLostAndDisconnected();
  EXPECT_FALSE(console.Said("Connected\r\n")) << "never shown as connected";
}

// A call of the settings view that failed on a vanished link: once its handler has
// returned, the window is disconnected rather than left on an empty selection.
TEST_F(VanishingLink, AfterTheSystemWasShown) {
  AttachSystem(4, DemoSystem());
  OpenMainWindow();
  ASSERT_EQ(Text(Form().connectButton.window), "Disconnect");
  simulator->OrderFault({.kind = FaultKind::Vanish, .unit = 9});
  ASSERT_TRUE(OperatorPickListLine(Form().unitList.window.hwnd, 2));
  Pump(20);
  LostConnection(Form());
  Pump(30);
  ExpectLostAndDisconnected();
}

TEST_F(ToolWindow, ALostConnectionClearsTheSelectionOnceTheHandlerHasReturned) {
  AttachSystem(4, DemoSystem());
  OpenMainWindow();
  ASSERT_TRUE(Form().UnitReady);
  LostConnection(Form());
  EXPECT_FALSE(Form().UnitReady);
  EXPECT_TRUE(console.Said("Lost connection to unit\r\n"));
  EXPECT_EQ(Form().SelectedUnit.SlaveAddress, 2);
  Pump(30);
  EXPECT_EQ(Form().SelectedUnit.SlaveAddress, 0);
  EXPECT_EQ(Text(Form().unitTitle.window), "") << "no unit: no title";
  // The port stays open: the unit may answer again.
  EXPECT_TRUE(IsPortOpen());
}

TEST_F(ToolWindow, ConnectTogglesTheConnection) {
  AttachSystem(4, DemoSystem());
  OpenMainWindow();
  OperatorClick(Form().connectButton.window.hwnd);
  Pump(20);
  EXPECT_FALSE(IsPortOpen());
  EXPECT_TRUE(UnitLines().empty());
  EXPECT_EQ(Text(Form().connectButton.window), "Connect");
  EXPECT_FALSE(PelIsEnabled(Form().updateAllButton.window));
  EXPECT_EQ(Form().SelectedUnit.SlaveAddress, 0);

  console.Clear();
  OperatorClick(Form().connectButton.window.hwnd);
  Pump(20);
  EXPECT_TRUE(IsPortOpen());
  EXPECT_EQ(UnitLines().size(), 3u);
  EXPECT_EQ(Text(Form().connectButton.window), "Disconnect");
  std::string said = console.Text();
  EXPECT_NE(said.find("COM4 opened\r\n"), std::string::npos) << said;
  EXPECT_NE(said.find("Connected\r\n"), std::string::npos) << said;
}

TEST_F(ToolWindow, ConnectOnAPortWithoutAUnitStaysDisconnected) {
  VirtualLine silent{clock, true};
  AttachLine(3, silent);
  OpenMainWindow();
  SetPort(Form(), 3);
  console.Clear();
  OperatorClick(Form().connectButton.window.hwnd);
  Pump(20);
  EXPECT_FALSE(IsPortOpen());
  EXPECT_TRUE(console.Said("COM3 opened\r\n"));
  EXPECT_TRUE(console.Said("-- cannot find a Velantor unit\r\n"));
}

PortError failure;
std::unique_ptr<SerialDevice> FailingOpen(int) {
  SetLastPortError(failure, failure == PortNotPresent ? ENOENT : EIO);
  return nullptr;
}

TEST_F(ToolWindow, ConnectSaysWhyThePortDidNotOpen) {
  struct Case {
    PortError error;
    const char* said;
  };
  const Case cases[] = {
      {PortNotPresent, "COM3 is not present on this computer\r\n"},
      {PortAccessDenied, "COM3 is being used by another application\r\n"},
      {PortInUse, "COM3 is being used by another application\r\n"},
      {PortInvalidParameter, "COM3 does not support requested baud rate\r\n"},
      {PortOtherError, "COM3 ERROR:Input/output error\r\n"},
  };
  OpenMainWindow();
  SetPort(Form(), 3);
  SerialDeviceOpener before = InstallSerialDeviceOpener(FailingOpen);
  for (const Case& c : cases) {
    failure = c.error;
    console.Clear();
    OperatorClick(Form().connectButton.window.hwnd);
    Pump(20);
    EXPECT_TRUE(console.Said(c.said)) << console.Text();
    EXPECT_EQ(Text(Form().connectButton.window), "Connect");
  }
  InstallSerialDeviceOpener(before);
}

// Ports 2 and 3 are the user's to open but for the mode of their ttys; the rest are absent.
std::unique_ptr<SerialDevice> DeniedOpen(int port) {
  bool denied = port == 2 || port == 3;
  SetLastPortError(denied ? PortPermissionDenied : PortNotPresent, denied ? EACCES : ENOENT);
  return nullptr;
}

// A user outside the dialout group finds no unit on any port; the console's lines pass
// unseen, so a box names the first device refused and the remedy, for Connect and for
// the search alike. Other failures show no box.
TEST_F(ToolWindow, APortThatMayNotBeOpenedIsNamedInABox) {
  OpenMainWindow();
  SerialDeviceOpener before = InstallSerialDeviceOpener(DeniedOpen);
  const std::string remedy =
      ": Permission denied. Add your user to the dialout group (sudo usermod -aG dialout $USER), then log in again.";
  TakeShownMessageBoxes();
  struct Case {
    int port;
    StdButtonControl& button;
    std::string box;  // empty: none
  };
  const Case cases[] = {
      {3, Form().connectButton, "Cannot open " + folder.Path("dev/com3") + remedy},
      {4, Form().connectButton, ""},
      {4, Form().searchButton, "Cannot open " + folder.Path("dev/com2") + remedy},
  };
  for (const Case& c : cases) {
    SetPort(Form(), c.port);
    OperatorClick(c.button.window.hwnd);
    Pump(20);
    std::vector<ShownMessageBox> boxes = TakeShownMessageBoxes();
    ASSERT_EQ(boxes.size(), c.box.empty() ? 0u : 1u) << c.port;
    if (!c.box.empty()) {
      EXPECT_EQ(boxes[0].caption, "Error");
      EXPECT_EQ(boxes[0].text, c.box);
      EXPECT_EQ(boxes[0].style, MessageIconError);
    }
    EXPECT_EQ(Text(Form().connectButton.window), "Connect");
  }
  EXPECT_TRUE(console.Said("COM3 ERROR:Permission denied\r\n")) << console.Text();
  InstallSerialDeviceOpener(before);
}

// A tty named by its path on the command line is no COM port: the search at start tries
// it first, the window shows its path, and the settings keep the COM port they had.
TEST_F(ToolWindow, APortNamedByItsPathIsSearchedFirstAndNotRemembered) {
  WriteToolSetting("CommPort", "7");
  PortNumber = PathPortNumber;
  PortPath = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3Q7B-if00-port0";
  AttachSystem(PathPortNumber, DemoSystem());
  OpenMainWindow();
  EXPECT_EQ(Text(Form().portText.window), PortPath.View());
  EXPECT_EQ(Text(Form().connectButton.window), "Disconnect");
  EXPECT_EQ(UnitLines().size(), 3u);
  EXPECT_TRUE(console.Said(std::string(PortPath.View()) + " opened\r\n")) << console.Text();

  // Disconnected, nothing answers on it any more: a search finds no unit and leaves it shown.
  OperatorClick(Form().connectButton.window.hwnd);
  Pump(20);
  AttachVirtualLine(PathPortNumber, nullptr);
  OperatorClick(Form().searchButton.window.hwnd);
  Pump(20);
  EXPECT_TRUE(console.Said("-- cannot find a Velantor unit\r\n"));
  EXPECT_EQ(PortNumber, PathPortNumber);
  EXPECT_EQ(Text(Form().portText.window), PortPath.View());
  EXPECT_EQ(ReadToolSetting("CommPort"), "7");
  PortPath.Clear();
}

TEST_F(ToolWindow, TheLogButtonShowsAndHidesTheLog) {
  OpenMainWindow();
  OperatorClick(Form().logButton.window.hwnd);
  Pump(20);
  EXPECT_TRUE(Form().LogVisible);
  EXPECT_EQ(Text(Form().logButton.window), "Hide Log");
  OperatorClick(Form().logButton.window.hwnd);
  Pump(20);
  EXPECT_FALSE(Form().LogVisible);
  EXPECT_EQ(Text(Form().logButton.window), "Show Log");
}

TEST_F(ToolWindow, ClosingTheWindowEndsTheRun) {
  AttachSystem(4, DemoSystem());
  clock.Schedule(clock.Now() + 2'000'000, [] { OperatorClose(TheToolForm.window.hwnd); });
  RunMainWindow();
  EXPECT_TRUE(ExitRequested);
  EXPECT_EQ(TheToolForm.window.hwnd, 0u);
  std::string said = console.Text();
  EXPECT_NE(said.find("ToolFormInitialise"), std::string::npos);
  EXPECT_NE(said.find("ToolFormFinalise"), std::string::npos);
}

}  // namespace

namespace {

// Tab walks the controls that take the keyboard in their order on the screen, Shift+Tab
// walks back, and both wrap; greyed-out controls are passed over.
TEST_F(ToolWindow, TabAndShiftTabMoveThroughTheControls) {
  AttachSystem(4, DemoSystem());
  OpenMainWindow();
  ToolForm& form = Form();
  SetFocus(form.connectButton.window.hwnd);
  std::vector<WindowHandle> visited;
  for (int i = 0; i < 6; ++i) {
    OperatorPressKey(form.window.hwnd, VK_TAB);
    Pump(5);
    visited.push_back(GetFocus());
  }
  EXPECT_EQ(visited[0], form.searchButton.window.hwnd);
  EXPECT_EQ(visited[1], form.logButton.window.hwnd);
  EXPECT_EQ(visited[2], form.unitList.window.hwnd);
  EXPECT_EQ(visited[3], form.updateAllButton.window.hwnd);
  for (WindowHandle focused : visited) EXPECT_TRUE(IsWindowEnabled(focused));

  OperatorPressKey(form.window.hwnd, VK_TAB, 0, KeyShift);
  Pump(5);
  EXPECT_EQ(GetFocus(), visited[4]);
  SetFocus(form.connectButton.window.hwnd);
  OperatorPressKey(form.window.hwnd, VK_TAB, 0, KeyShift);
  Pump(5);
  EXPECT_EQ(GetFocus(), form.saveSystemLogsButton.window.hwnd)
      << "Shift+Tab from the first control wraps to the last that is not greyed out";
}

}  // namespace
