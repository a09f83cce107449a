#include "runtime/operation_progress.h"

#include "runtime/clock.h"
#include "runtime/number_format.h"
#include "runtime/stream.h"

namespace {

ProgressState state{};
ProgressShow shown = nullptr;
int lastPercent = -1;

void Show(bool newActivity) {
  state.nowMs = TickMilliseconds();
  if (shown != nullptr) shown(state, newActivity);
}

int Percent(uint32_t done, uint32_t total) {
  if (total == 0) return 0;
  return static_cast<int>(uint64_t{done > total ? total : done} * 100 / total);
}

// Kilobytes with one decimal: "120.6".
void PutKilobytes(Stream& out, uint64_t bytes) {
  uint64_t tenths = (bytes + 50) / 100;
  PutInt(out, static_cast<int64_t>(tenths / 10));
  PutChar(out, '.');
  PutInt(out, static_cast<int64_t>(tenths % 10));
}

// " (120.6 of 268.0 kB, 10.4 kB/s)" or " (3 of 7)"; the rate once the activity has
// run a second.
void PutCount(Stream& out, const ProgressState& progress) {
  if (progress.unit == ProgressUnit::Percent) return;
  uint32_t done = progress.done < progress.total ? progress.done : progress.total;
  PutText(out, " (");
  if (progress.unit == ProgressUnit::Items) {
    PutInt(out, done);
    PutText(out, " of ");
    PutInt(out, progress.total);
    PutText(out, ")");
    return;
  }
  PutKilobytes(out, done);
  PutText(out, " of ");
  PutKilobytes(out, progress.total);
  PutText(out, " kB");
  uint32_t running = progress.nowMs - progress.activityStartedMs;
  if (running >= 1000) {
    PutText(out, ", ");
    PutKilobytes(out, uint64_t{done} * 1000 / running);
    PutText(out, " kB/s");
  }
  PutText(out, ")");
}

void Count(uint32_t done, uint32_t total) {
  state.done = done;
  state.total = total;
  int percent = Percent(done, total);
  if (percent == lastPercent) return;
  lastPercent = percent;
  Show(false);
}

}  // namespace

void InstallProgressShow(ProgressShow show) { shown = show; }

void BeginOperationProgress(int steps) {
  state = ProgressState{};
  state.active = true;
  state.steps = steps;
  state.startedMs = TickMilliseconds();
  lastPercent = -1;
}

void ProgressStep(int step, const String& subject) {
  if (!state.active) return;
  state.step = step;
  state.subject = subject;
  state.activity = String();
  state.done = state.total = 0;
  state.activityStartedMs = TickMilliseconds();
  lastPercent = -1;
  Show(true);
}

void ProgressActivity(const String& activity, ProgressUnit unit) {
  if (!state.active) return;
  state.activity = activity;
  state.unit = unit;
  state.done = state.total = 0;
  state.activityStartedMs = TickMilliseconds();
  lastPercent = -1;
  Show(true);
}

void ProgressCount(uint32_t done, uint32_t total) {
  if (!state.active || state.unit == ProgressUnit::Percent) return;
  Count(done, total);
}

void ProgressMilestone(uint32_t percent) {
  if (!state.active || state.unit != ProgressUnit::Percent) return;
  Count(percent, 100);
}

void EndOperationProgress() {
  state = ProgressState{};
  Show(true);
}

const ProgressState& CurrentProgress() { return state; }

String ProgressText(const ProgressState& progress) {
  String text;
  if (!progress.active || progress.step == 0) return text;
  StringStream out(text);
  bool several = progress.steps > 1;
  if (several) PutPieces(out, "Unit ", progress.step, " of ", progress.steps, ", ");
  PutString(out, progress.subject);
  if (!progress.activity.Empty()) PutPieces(out, ": ", progress.activity);
  if (progress.total > 0) {
    PutPieces(out, " ", Percent(progress.done, progress.total), "%");
    PutCount(out, progress);
  }
  // The whole run counts its steps as equal parts; the time left follows from the
  // time each part has taken so far.
  double part = progress.total > 0 ? static_cast<double>(Percent(progress.done, progress.total)) / 100 : 0;
  double whole = progress.steps > 0 ? (progress.step - 1 + part) / progress.steps : 0;
  if (several) PutPieces(out, ", all ", static_cast<int>(whole * 100), "%");
  uint32_t elapsed = progress.nowMs - progress.startedMs;
  if (whole >= 0.05 && elapsed >= 5000) {
    auto left = static_cast<uint32_t>(elapsed / whole - elapsed);
    PutText(out, ", about ");
    if (left < 90'000) {
      PutInt(out, (left + 999) / 1000);
      PutText(out, " s left");
    } else {
      PutInt(out, (left + 59'999) / 60'000);
      PutText(out, " min left");
    }
  }
  return text;
}
