#include <csignal>

#include "app/stop_signals.h"

namespace {

void (*stopHandler)() = nullptr;

void OnSignal(int) { stopHandler(); }

}  // namespace

void InstallStopSignals(void (*stop)()) {
  stopHandler = stop;
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}
