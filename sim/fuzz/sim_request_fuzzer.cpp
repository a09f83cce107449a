// libFuzzer target: what the simulated units hear, and the faults of quarnet-sim's
// command line. The demo system sits on a virtual line; the input is a script for
// the far end: raw bytes, framed requests (with or without a length header), speed
// and parity changes, pauses, power cycles, and --fault texts, which are parsed and,
// when accepted, ordered. Everything runs in virtual time.
//
// Beyond a crash it checks that an accepted fault keeps its documented ranges and a
// refused one says which text it refused.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "link/virtual_line.h"
#include "runtime/fuzz/fuzz_support.h"
#include "runtime/virtual_clock.h"
#include "sim/demo_system.h"
#include "sim/faults.h"
#include "sim/simulator.h"

namespace {

void CheckFault(const std::string& text, const FaultOrder& order, bool accepted, const std::string& error) {
  if (!accepted) {
    FuzzCheck(error.rfind("fault '" + text + "'", 0) == 0);
    return;
  }
  FuzzCheck(order.after >= 0 && order.count >= 0);
  if (order.kind == FaultKind::StrayBytes) FuzzCheck(order.bytes >= 1 && order.bytes <= 255);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const SystemDescription demo = (FuzzFolder(), DemoSystem());
  FuzzedDataProvider input(data, size);
  VirtualClock clock;
  VirtualLine line(clock, true);
  Simulator simulator(clock, demo);
  simulator.Attach(line);
  VirtualLine::End& tool = line.Tool();
  tool.Configure(LineSettings{19200, 1, false, false, false});

  std::vector<uint8_t> heard;
  for (int step = 0; step < 32 && input.remaining_bytes() > 0; ++step) {
    switch (input.ConsumeIntegralInRange(0, 5)) {
      case 0: {
        std::vector<uint8_t> bytes = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 64));
        tool.Write(bytes.data(), static_cast<int>(bytes.size()));
        break;
      }
      case 1: {
        bool header = input.ConsumeBool();
        Bytes body = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 16));
        Bytes frame = Frame(body, header);
        tool.Write(frame.data(), static_cast<int>(frame.size()));
        break;
      }
      case 2: {
        uint32_t baud = input.PickValueInArray({9600u, 19200u, 38400u, 115200u, 921600u});
        bool parity = input.ConsumeBool();
        tool.Configure(LineSettings{baud, 1, parity, parity && input.ConsumeBool(), false});
        break;
      }
      case 3: clock.AdvanceTo(clock.Now() + input.ConsumeIntegralInRange<uint64_t>(0, 3'000'000)); break;
      case 4: simulator.PowerCycle(input.PickValueInArray({5, 2, 9, 7}), input.ConsumeBool()); break;
      default: {
        std::string text = input.ConsumeRandomLengthString(24);
        FaultOrder order;
        std::string error;
        bool accepted = ParseFaultOrder(text, order, error);
        CheckFault(text, order, accepted, error);
        if (accepted) simulator.OrderFault(order);
        break;
      }
    }
    // The bytes on their way, the unit's pause and its reply.
    clock.AdvanceTo(clock.Now() + 30'000);
    heard.resize(static_cast<size_t>(tool.Available()));
    tool.Read(heard.data(), static_cast<int>(heard.size()));
  }
  // Restarts, speed fallbacks and the replies still under way.
  clock.AdvanceTo(clock.Now() + 10'000'000);
  return 0;
}
