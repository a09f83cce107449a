#include "ui/toolkit/controls/modal_form.h"

#include <gtest/gtest.h>

#include "runtime/message_box.h"
#include "ui/toolkit/controls/common_dialogs.h"
#include "ui/toolkit/controls/std_controls.h"
#include "ui/toolkit/controls/toolkit_fixture.h"
#include "ui/toolkit/core/headless_backend.h"

namespace {

// A small form as the file forms are: OK and Cancel, and the close box.
struct SmallForm {
  PelWindow window;
  StdButtonControl ok;
  bool done = false;
  bool okPressed = false;
};

const PelVTable SmallFormTable{.OnClose = [](PelWindow* window) -> intptr_t {
  reinterpret_cast<SmallForm*>(window)->done = true;
  return 0;
}};

class ModalForm : public HeadlessToolkit {
 protected:
  void SetUp() override {
    HeadlessToolkit::SetUp();
    static const PelVTable ownerTable{};
    ASSERT_TRUE(CreatePelWindow(owner, &ownerTable, nullptr, "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, "", 0, 0,
                                800, 600));
    ASSERT_TRUE(CreatePelWindow(form.window, &SmallFormTable, &owner, "Form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, "",
                                -1, -1, 300, 200));
    CreateStdButton(form.ok, form.window, "OK", BS_DEFPUSHBUTTON, 10, 10, 80, 24);
    form.ok.UserData = &form;
    form.ok.OnClick = [](void* data) {
      auto* form = static_cast<SmallForm*>(data);
      form->okPressed = true;
      form->done = true;
    };
  }

  // The operator acts while the loop runs: at a moment of the virtual clock.
  void At(uint64_t milliseconds, std::function<void()> action) {
    clock.Schedule(clock.Now() + milliseconds * 1000, std::move(action));
  }

  PelWindow owner;
  SmallForm form;
};

TEST_F(ModalForm, TheOwnerWaitsDisabledUntilOkAndGetsTheFocusBack) {
  bool ownerEnabledMeanwhile = true;
  At(100, [&] {
    ownerEnabledMeanwhile = PelIsEnabled(owner);
    OperatorClick(owner.hwnd);
    OperatorClick(form.ok.window.hwnd);
  });
  RunModalLoop(owner, form.done);
  EXPECT_FALSE(ownerEnabledMeanwhile);
  EXPECT_TRUE(form.okPressed);
  ReleaseModalOwner(owner);
  DestroyPelWindow(form.window);
  EXPECT_TRUE(PelIsEnabled(owner));
  EXPECT_EQ(GetFocus(), owner.hwnd);
}

TEST_F(ModalForm, TheCloseBoxEndsTheLoopWithoutOk) {
  At(50, [&] { OperatorClose(form.window.hwnd); });
  RunModalLoop(owner, form.done);
  EXPECT_TRUE(form.done);
  EXPECT_FALSE(form.okPressed);
  EXPECT_TRUE(IsWindow(form.window.hwnd)) << "the form is destroyed by whoever showed it";
}

TEST_F(ModalForm, ExitRequestedEndsEveryModalLoopAtOnce) {
  At(30'000, [] { ExitRequested = true; });
  RunModalLoop(owner, form.done);
  EXPECT_FALSE(form.done);
  EXPECT_GE(clock.Now(), 30'000'000u);
}

TEST_F(ModalForm, FileDialogsTellTheFilterAndLeaveTheNameWhenCancelled) {
  String name = "01 KD5 123456 Modbus.csv";
  EXPECT_FALSE(SaveFileDialog(&form.window, "Comma separated\0*.csv\0", "/tmp/out", name, "csv"));
  EXPECT_EQ(name, "01 KD5 123456 Modbus.csv");
  std::vector<ShownFileDialog> shown = TakeShownFileDialogs();
  ASSERT_EQ(shown.size(), 1u);
  const FileDialogRequest& request = shown[0].request;
  EXPECT_TRUE(request.save && request.confirmReplace && !request.mustExist);
  EXPECT_EQ(request.filter, (std::vector<std::pair<std::string, std::string>>{{"Comma separated", "*.csv"}}));
  EXPECT_EQ(request.initialFolder, "/tmp/out");
  EXPECT_EQ(request.owner, form.window.hwnd);
  EXPECT_EQ(shown[0].offered, "01 KD5 123456 Modbus.csv");

  QueueFileDialogAnswers({"/tmp/in/setup.csv"});
  EXPECT_TRUE(OpenFileDialog(&form.window, "Comma separated\0*.csv\0", "", name, "csv"));
  EXPECT_EQ(name, "/tmp/in/setup.csv");
  EXPECT_TRUE(TakeShownFileDialogs()[0].request.mustExist);
}

TEST_F(ModalForm, MessageBoxesAreWrittenAndAnsweredByTheScriptOrTheFirstButton) {
  QueueMessageBoxAnswers({ButtonCancel});
  EXPECT_EQ(ShowMessage("Do you wish to update the software?", "Quarnet", MessageOkCancel | 0x30), ButtonCancel);
  EXPECT_EQ(ShowMessage("Replace it?", "Quarnet", MessageYesNo), ButtonYes);
  EXPECT_EQ(ShowMessage("No file selected", "Error", MessageIconInformation), ButtonOk);
  std::vector<ShownMessageBox> shown = TakeShownMessageBoxes();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[2].caption, "Error");
  EXPECT_EQ(shown[2].text, "No file selected");
  EXPECT_TRUE(console.Said("Error: No file selected"));
}

}  // namespace
