// The main window's tests run on the headless window system in virtual time, with the
// simulated system on a virtual line, settings of their own and no real serial port:
// the test is the operator.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/link_test_support.h"
#include "link/port_control.h"
#include "link/virtual_line.h"
#include "runtime/program_state_test_support.h"
#include "sim/demo_system.h"
#include "sim/simulator.h"
#include "testing/saved_variable.h"
#include "testing/settings_sandbox.h"
#include "testing/system_text.h"
#include "testing/temporary_folder.h"
#include "ui/tool/main_window.h"
#include "ui/tool/tool_form.h"
#include "ui/toolkit/controls/toolkit_fixture.h"

class ToolWindow : public HeadlessToolkit {
 protected:
  void SetUp() override {
    HeadlessToolkit::SetUp();
    std::filesystem::create_directories(folder.Path("dev"));
    savedPortList.Unset();
    savedPort.Unset();
    savedLockFolder.Unset();
    ResetProgramState();
    ReportLevel = 1;
    ResetLinkState();
    TheToolForm = ToolForm{};
  }

  void TearDown() override {
    if (TheToolForm.window.hwnd != 0) CloseMainWindow();
    ClosePort();
    for (int port : attachedPorts) AttachVirtualLine(port, nullptr);
    simulator.reset();
    ResetProgramState();
    HeadlessToolkit::TearDown();
  }

  // The simulated system on the PC's port `port`.
  void AttachSystem(int port, std::string_view systemText) { AttachSystem(port, SystemFromText(systemText)); }
  void AttachSystem(int port, const SystemDescription& system) {
    simulator = std::make_unique<Simulator>(clock, system);
    simulator->Attach(line);
    AttachLine(port, line);
  }
  void AttachLine(int port, VirtualLine& virtualLine) {
    AttachVirtualLine(port, &virtualLine);
    attachedPorts.push_back(port);
  }

  // The window's thread goes on for `milliseconds` of virtual time.
  void Pump(uint32_t milliseconds) {
    uint64_t end = clock.Now() + uint64_t{milliseconds} * 1000;
    do {
      PumpMessages();
      SleepMilliseconds(10);
    } while (clock.Now() < end);
    PumpMessages();
  }

  static ToolForm& Form() { return TheToolForm; }
  static std::vector<std::string> UnitLines() { return ListLines(TheToolForm.unitList.window.hwnd); }
  static std::string Text(PelWindow& window) { return std::string(PelGetText(window).View()); }

  TemporaryFolder folder{"tool"};
  VirtualLine line{clock, true};
  std::unique_ptr<Simulator> simulator;
  std::vector<int> attachedPorts;
  SettingsSandbox settings{folder.Path("config")};
  // No device exists but the virtual lines the test attaches.
  SavedVariable savedDevices{"VELANTORDEVDIR", folder.Path("dev")};
  SavedVariable savedPortList{"VELANTORPORTLIST"};
  SavedVariable savedPort{"VELANTORPORT"};
  SavedVariable savedLockFolder{"VELANTORLOCKDIR"};
};
