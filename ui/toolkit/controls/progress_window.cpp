#include "ui/toolkit/controls/progress_window.h"

#include <algorithm>

#include "runtime/program_state.h"
#include "ui/toolkit/controls/form_trace.h"
#include "ui/toolkit/controls/modal_form.h"
#include "ui/toolkit/core/message_pump.h"

ProgressForm TheProgressForm;
int8_t ProgressShown = 0;
int8_t ProgressTarget = 0;
bool ProgressClosed = false;

namespace {

constexpr int WidthPoints = 300;
constexpr int HeightPoints = 110;
constexpr Colour Background = Rgb(140, 215, 255);

PelWindow* progressOwner = nullptr;

intptr_t Initialise(PelWindow* window) {
  FormTrace("ProgressFormInitialise");
  PelSetClientSize(*window, PelScaleX(*window, WidthPoints), PelScaleY(*window, HeightPoints));
  PelSetBackgroundColour(*window, Background);
  PelSetTextColour(*window, SystemColour(COLOR_WINDOWTEXT));
  PelSetFont(*window, "Arial", PelScaleY(*window, 10), false, false, false);
  Rect bar = PelScaleBox(*window, 20, 20, 280, 36);
  CreateStdProgress(TheProgressForm.bar, *window, "", 0, bar.x, bar.y, bar.width, bar.height);
  Rect message = PelScaleBox(*window, 20, 60, 280, 92);
  CreateStdStatic(TheProgressForm.message, *window, "", SS_CENTER, message.x, message.y, message.width, message.height);
  return 0;
}

intptr_t Finalise(PelWindow*) {
  FormTrace("ProgressFormFinalise");
  DestroyStdControl(TheProgressForm.bar);
  DestroyStdControl(TheProgressForm.message);
  return 0;
}

intptr_t FixedSize(PelWindow* window, int32_t* sizes) {
  sizes[0] = sizes[2] = PelScaleX(*window, WidthPoints);
  sizes[1] = sizes[3] = PelScaleY(*window, HeightPoints);
  return 0;
}

intptr_t Closed(PelWindow*) {
  ProgressClosed = true;
  return 0;
}

const PelVTable ProgressTable{.OnCreate = Initialise, .OnDestroy = Finalise, .OnGetMinMaxInfo = FixedSize,
                              .OnClose = Closed};

void CreateProgressForm(PelWindow& owner) {
  FormTrace("CreateProgressForm");
  CreatePelWindow(TheProgressForm.window, &ProgressTable, &owner, "Please Wait...",
                  WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, 0, "", -1, -1, -1, -1);
  PelShowCommand(TheProgressForm.window, SW_SHOWNORMAL);
}

void DestroyProgressForm() {
  FormTrace("DestroyProgressForm");
  DestroyPelWindow(TheProgressForm.window);
}

void ShowBar() {
  ProgressSetPosition(TheProgressForm.bar, ProgressShown);
}

void PumpUntilIdle() {
  while (PumpMessagesThrottled()) {
  }
}

}  // namespace

void OpenQuarnetProgress(PelWindow& owner, std::string_view message) {
  FormTrace("OpenQuarnetProgress");
  progressOwner = &owner;
  CreateProgressForm(owner);
  PelEnable(owner, false);
  PelSetText(TheProgressForm.message.window, message);
  SetMouseCursor(MouseCursor::Wait);
}

void QuarnetProgress(int percent) {
  FormTrace("QuarnetProgress");
  ProgressShown = static_cast<int8_t>(std::min(ProgressTarget + 1, percent));
  ProgressTarget = static_cast<int8_t>(percent);
  ShowBar();
  if (!ProgressClosed && !ExitRequested) PumpUntilIdle();
}

void StepProgressWindow() {
  ProgressShown = static_cast<int8_t>(std::min(ProgressShown + 1, static_cast<int>(ProgressTarget)));
  ShowBar();
  if (!ExitRequested) PumpUntilIdle();
}

void CloseQuarnetProgress() {
  FormTrace("CloseQuarnetProgress");
  if (progressOwner != nullptr) ReleaseModalOwner(*progressOwner);
  DestroyProgressForm();
  SetMouseCursor(MouseCursor::Arrow);
}
