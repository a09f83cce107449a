#include "ui/toolkit/core/message_pump.h"

#include <gtest/gtest.h>

#include "runtime/console_buffer.h"
#include "ui/toolkit/controls/pel_window.h"
#include "ui/toolkit/controls/toolkit_fixture.h"

namespace {

class MessagePump : public HeadlessToolkit {
 protected:
  void SetUp() override {
    HeadlessToolkit::SetUp();
    static const PelVTable table{.OnUserMessage = [](PelWindow*, uint32_t, WParam, LParam) -> intptr_t {
      ++handled;
      return 0;
    }};
    handled = 0;
    ASSERT_TRUE(CreatePelWindow(window, &table, nullptr, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, "", 0, 0, 100, 100));
    PumpMessages();
  }

  void TearDown() override {
    std::lock_guard guard(ConsoleLock);
    Console.paused = false;
    HeadlessToolkit::TearDown();
  }

  PelWindow window;
  static inline int handled = 0;
};

TEST_F(MessagePump, PumpingStopsWhenTheProgramIsToEnd) {
  PelPostMessage(window, WM_USER, 0, 0);
  PelPostMessage(window, WM_USER, 0, 0);
  EXPECT_TRUE(PumpMessages());
  EXPECT_EQ(handled, 2);
  EXPECT_FALSE(PumpMessages());
  PelPostMessage(window, WM_USER, 0, 0);
  ExitRequested = true;
  EXPECT_FALSE(PumpMessages());
  EXPECT_EQ(handled, 2);
}

TEST_F(MessagePump, TheThrottledPumpRunsAtMostOncePerMillisecond) {
  clock.AdvanceTo(clock.Now() + 5000);
  PelPostMessage(window, WM_USER, 0, 0);
  EXPECT_TRUE(PumpMessagesThrottled());
  EXPECT_TRUE(ThrottledPumpHasDispatched());
  PelPostMessage(window, WM_USER, 0, 0);
  clock.AdvanceTo(clock.Now() + 1000);
  EXPECT_FALSE(PumpMessagesThrottled()) << "1000 microseconds since the last pump";
  EXPECT_EQ(handled, 1);
  clock.AdvanceTo(clock.Now() + 1);
  EXPECT_TRUE(PumpMessagesThrottled());
  EXPECT_EQ(handled, 2);
}

// While the operator holds the console's output (Ctrl+S), the caller is held too, and
// the windows stay alive meanwhile.
TEST_F(MessagePump, APausedConsoleHoldsTheCallerAndKeepsPumping) {
  {
    std::lock_guard guard(ConsoleLock);
    Console.paused = true;
  }
  uint64_t start = clock.Now();
  clock.Schedule(start + 20'000, [&] { PelPostMessage(window, WM_USER, 0, 0); });
  clock.Schedule(start + 40'000, [] {
    std::lock_guard guard(ConsoleLock);
    Console.paused = false;
  });
  EXPECT_TRUE(PumpMessagesThrottled());
  EXPECT_GE(clock.Now(), start + 40'000);
  EXPECT_EQ(handled, 1);
}

}  // namespace
