#include "ui/tool/setup_transfer.h"

#include "ops/unit_transfers.h"
#include "runtime/operation_progress.h"
#include "ui/tool/status_line.h"
#include "ui/toolkit/controls/form_trace.h"
#include "ui/toolkit/controls/progress_window.h"

namespace {

PelWindow* progressOwner = nullptr;

// The transfer's activity opens the progress window over the form, its milestones
// move the bar, its end closes the window.
void ShowInProgressWindow(const ProgressState& state, bool newActivity) {
  if (!state.active) {
    CloseQuarnetProgress();
  } else if (newActivity && !state.activity.Empty()) {
    OpenQuarnetProgress(*progressOwner, state.activity.View());
  } else if (!newActivity && state.total > 0) {
    QuarnetProgress(static_cast<int>(uint64_t{state.done} * 100 / state.total));
  }
}

// While it runs, the transfer's progress is shown in the progress window rather than
// in the status line.
template <typename Transfer>
TransferResult InProgressWindow(PelWindow& form, Transfer transfer) {
  progressOwner = &form;
  InstallProgressShow(ShowInProgressWindow);
  TransferResult result = transfer();
  InstallProgressShow(ShowProgressInStatusLine);
  return result;
}

}  // namespace

bool DoSaveSetup(PelWindow& form, const UnitInfo& unit, const String& fileName) {
  FormTrace("DoSaveSetup");
  return TellTransferResult(InProgressWindow(form, [&] { return TransferSetupToFile(unit, fileName); }));
}

bool DoGenerateModbus(PelWindow& form, const UnitInfo& unit, const String& fileName) {
  FormTrace("DoGenerateModbus");
  return TellTransferResult(InProgressWindow(form, [&] { return TransferModbusTable(unit, fileName); }));
}

bool DoLoadSetup(PelWindow& form, const UnitInfo& unit, const String& fileName, int loadType) {
  FormTrace("DoLoadSetup");
  return TellTransferResult(InProgressWindow(form, [&] { return TransferSetupToUnit(unit, fileName, loadType); }));
}

bool DoGenerateFieldbus(PelWindow& form, const UnitInfo& unit, const String& fileName) {
  FormTrace("DoGenerateFieldbus");
  return TellTransferResult(InProgressWindow(form, [&] { return TransferFieldbusTable(unit, fileName); }));
}
