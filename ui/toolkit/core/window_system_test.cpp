#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "ui/toolkit/core/headless_fixture.h"
#include "ui/toolkit/core/window_backend.h"

namespace {

struct Seen {
  WindowHandle window;
  uint32_t message;
  WParam wParam;
};

std::vector<Seen>& Log() {
  static std::vector<Seen> log;
  return log;
}

// Notes every message it gets and leaves it to the default treatment.
LResult Recorder(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
  Log().push_back({window, message, wParam});
  return DefaultWindowProcedure(window, message, wParam, lParam);
}

std::vector<uint32_t> MessagesOf(WindowHandle window, std::initializer_list<uint32_t> interesting) {
  std::vector<uint32_t> seen;
  for (const Seen& entry : Log()) {
    for (uint32_t message : interesting) {
      if (entry.window == window && entry.message == message) seen.push_back(message);
    }
  }
  return seen;
}

class WindowSystem : public HeadlessWindowSystem {
 protected:
  void SetUp() override {
    HeadlessWindowSystem::SetUp();
    RegisterWindowClass({"Recorder", Recorder, COLOR_WINDOW});
    // The controls are above the window system; a static's one trait the window system
    // knows of, letting clicks through, goes by its class name alone.
    RegisterWindowClass({"STATIC", Recorder, COLOR_BTNFACE});
    Log().clear();
  }

  WindowHandle TopLevel(uint32_t style = WS_OVERLAPPEDWINDOW | WS_VISIBLE) {
    WindowCreation creation;
    creation.className = "Recorder";
    creation.style = style;
    creation.x = 100;
    creation.y = 100;
    creation.width = 400;
    creation.height = 300;
    return CreateWindow(creation);
  }

  WindowHandle Child(WindowHandle parent, std::string className, Rect rect, uint32_t style = 0) {
    WindowCreation creation;
    creation.className = std::move(className);
    creation.style = style | WS_CHILD | WS_VISIBLE;
    creation.x = rect.x;
    creation.y = rect.y;
    creation.width = rect.width;
    creation.height = rect.height;
    creation.parent = parent;
    return CreateWindow(creation);
  }

  std::vector<Message> Drain() {
    std::vector<Message> taken;
    Message message;
    while (PeekMessage(message, true)) {
      taken.push_back(message);
      TranslateMessage(message);
      DispatchMessage(message);
    }
    return taken;
  }
};

TEST_F(WindowSystem, PostedMessagesComeBeforePaintsAndPaintsBeforeTimers) {
  WindowHandle window = TopLevel();
  WindowHandle hidden = TopLevel(WS_OVERLAPPEDWINDOW);
  Drain();
  SetTimer(window, 7, 50);
  clock.AdvanceTo(clock.Now() + 50'000);
  InvalidateWindow(window);
  InvalidateWindow(hidden);
  PostMessage(window, WM_USER + 1, 1, 0);
  PostMessage(window, WM_USER + 1, 2, 0);
  std::vector<Message> taken = Drain();
  ASSERT_EQ(taken.size(), 4u);
  EXPECT_EQ(taken[0].wParam, 1u);
  EXPECT_EQ(taken[1].wParam, 2u);
  EXPECT_EQ(taken[2].message, WM_PAINT);
  EXPECT_EQ(taken[2].window, window) << "a hidden window is not painted";
  EXPECT_EQ(taken[3].message, WM_TIMER);
  EXPECT_EQ(taken[3].wParam, 7u);
}

TEST_F(WindowSystem, TimersTickOnTheProgramClockWithoutPilingUp) {
  WindowHandle window = TopLevel();
  Drain();
  uint64_t start = clock.Now();
  SetTimer(window, 1, 100);
  clock.AdvanceTo(start + 99'000);
  EXPECT_TRUE(Drain().empty());
  clock.AdvanceTo(start + 100'000);
  EXPECT_EQ(Drain().size(), 1u);
  clock.AdvanceTo(start + 450'000);
  EXPECT_EQ(Drain().size(), 1u) << "a late thread gets one tick, not the ones it missed";
  clock.AdvanceTo(start + 549'000);
  EXPECT_TRUE(Drain().empty());
  KillTimer(window, 1);
  clock.AdvanceTo(start + 1'000'000);
  EXPECT_TRUE(Drain().empty());
}

// Each window's messages run on the thread that made it, also when another thread sends
// them; two threads sending to each other do not lock up.
TEST_F(WindowSystem, SendingToAnotherThreadRunsThereAndAnswersBack) {
  WindowHandle mine = TopLevel();
  static std::thread::id mainThread;
  static WindowHandle mainWindow;
  mainThread = std::this_thread::get_id();
  mainWindow = mine;
  RegisterWindowClass({"Asker", [](WindowHandle window, uint32_t message, WParam wParam, LParam lParam) -> LResult {
                         if (message != WM_USER) return DefaultWindowProcedure(window, message, wParam, lParam);
                         // On the worker: ask the main thread's window, which must answer while
                         // the main thread itself waits in SendMessage.
                         return std::this_thread::get_id() != mainThread ? 10 * SendMessage(mainWindow, WM_USER + 2, 0, 0)
                                                                         : -1;
                       }});
  SetWindowProcedure(mine, [](WindowHandle window, uint32_t message, WParam wParam, LParam lParam) -> LResult {
    if (message == WM_USER + 2) return std::this_thread::get_id() == mainThread ? 4 : -1;
    return DefaultWindowProcedure(window, message, wParam, lParam);
  });
  std::atomic<WindowHandle> theirs{0};
  std::atomic<bool> stop{false};
  std::thread worker([&] {
    WindowCreation creation;
    creation.className = "Asker";
    theirs = CreateWindow(creation);
    Message message;
    while (!stop) {
      while (PeekMessage(message, true)) DispatchMessage(message);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    DestroyWindow(theirs);
  });
  while (theirs == 0) std::this_thread::yield();
  EXPECT_EQ(SendMessage(theirs, WM_USER, 0, 0), 40);
  EXPECT_FALSE(DestroyWindow(theirs)) << "only the owner thread destroys a window";
  stop = true;
  worker.join();
}

TEST_F(WindowSystem, ThePictureOfAWindowHoldsItsChildrenClippedAndItsCaret) {
  WindowHandle window = TopLevel();
  WindowHandle inner = Child(window, "Recorder", {350, 10, 100, 40});
  WindowHandle hidden = Child(window, "Recorder", {0, 0, 50, 50});
  ShowWindow(hidden, SW_HIDE);
  Drain();
  SetWindowProcedure(inner, [](WindowHandle window, uint32_t message, WParam wParam, LParam lParam) -> LResult {
    if (message != WM_PAINT) return DefaultWindowProcedure(window, message, wParam, lParam);
    DrawingSurface surface = BeginPaint(window);
    FillBox(surface, {0, 0, 100, 40}, Rgb(1, 2, 3));
    EndPaint(window, surface);
    return 0;
  });
  InvalidateWindow(inner);
  SetFocus(inner);
  CreateCaret(inner, 2, 10);
  SetCaretPosition(5, 6);
  ShowCaret(inner);
  Drain();
  DrawingList picture = ComposeTopLevel(window);
  auto fill = std::find_if(picture.begin(), picture.end(),
                           [](const DrawCommand& command) { return command.colour == Rgb(1, 2, 3); });
  ASSERT_NE(fill, picture.end());
  EXPECT_EQ(fill->rect, (Rect{350, 10, 100, 40}));
  EXPECT_EQ(fill->clip, (Rect{350, 10, 50, 40})) << "cut at the parent's edge";
  EXPECT_EQ(picture.back().kind, DrawKind::Caret);
  EXPECT_EQ(picture.back().rect, (Rect{355, 16, 2, 10}));
  HideCaret(inner);
  EXPECT_NE(ComposeTopLevel(window).back().kind, DrawKind::Caret);
}

TEST_F(WindowSystem, ClicksPassStaticsAndMissDisabledWindowsAndFollowTheCapture) {
  WindowHandle window = TopLevel();
  WindowHandle label = Child(window, "STATIC", {10, 10, 100, 100});
  WindowHandle beneath = Child(window, "Recorder", {10, 10, 100, 100});
  WindowHandle off = Child(window, "Recorder", {200, 10, 50, 50}, WS_DISABLED);
  Drain();
  Log().clear();
  OperatorClick(label, {5, 5});
  OperatorClick(off, {5, 5});
  Drain();
  EXPECT_EQ(MessagesOf(beneath, {WM_LBUTTONDOWN, WM_LBUTTONUP}), (std::vector<uint32_t>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
  EXPECT_TRUE(MessagesOf(off, {WM_LBUTTONDOWN}).empty());
  EXPECT_TRUE(MessagesOf(window, {WM_LBUTTONDOWN}).empty()) << "the disabled child takes its clicks with it";

  SetCapture(beneath);
  OperatorMouse(window, MouseAction::Move, {390, 290});
  Drain();
  EXPECT_EQ(MessagesOf(beneath, {WM_MOUSEMOVE}).size(), 1u) << "outside it, but it holds the capture";
}

TEST_F(WindowSystem, AScrollBarTurnsClicksAndDragsIntoScrollMessages) {
  WindowHandle window = TopLevel(WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_VSCROLL);
  SetScrollInfo(window, SB_VERT, {SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 0}, true);
  Drain();
  Log().clear();
  Rect client = GetClientRect(window);
  Point downArrow{client.width + 8, client.height - 8};
  Point trackBelowThumb{client.width + 8, client.height / 2};
  DeliverMouse(window, MouseAction::LeftDown, downArrow, KeyLeftButton);
  DeliverMouse(window, MouseAction::LeftUp, downArrow, 0);
  DeliverMouse(window, MouseAction::LeftDown, trackBelowThumb, KeyLeftButton);
  DeliverMouse(window, MouseAction::LeftUp, trackBelowThumb, 0);
  Point thumb{client.width + 8, 16 + 4};
  DeliverMouse(window, MouseAction::LeftDown, thumb, KeyLeftButton);
  DeliverMouse(window, MouseAction::Move, {thumb.x, thumb.y + 100}, KeyLeftButton);
  DeliverMouse(window, MouseAction::LeftUp, {thumb.x, thumb.y + 100}, 0);
  Drain();
  std::vector<int> codes;
  int dragged = -1;
  for (const Seen& seen : Log()) {
    if (seen.message != WM_VSCROLL) continue;
    codes.push_back(LowWord(seen.wParam));
    if (LowWord(seen.wParam) == SB_THUMBPOSITION) dragged = HighWord(seen.wParam);
  }
  EXPECT_EQ(codes, (std::vector<int>{SB_LINEDOWN, SB_ENDSCROLL, SB_PAGEDOWN, SB_ENDSCROLL, SB_THUMBTRACK,
                                     SB_THUMBPOSITION, SB_ENDSCROLL}));
  EXPECT_GT(dragged, 0);
  EXPECT_LE(dragged, 90) << "the thumb stops where the last page begins";
  EnableScrollBar(window, SB_VERT, ESB_DISABLE_BOTH);
  Log().clear();
  DeliverMouse(window, MouseAction::LeftDown, downArrow, KeyLeftButton);
  Drain();
  EXPECT_TRUE(MessagesOf(window, {WM_VSCROLL}).empty());
}

TEST_F(WindowSystem, KeysReachTheFocusTheyFindWhenTakenWithTheirCharacterAndModifiers) {
  WindowHandle window = TopLevel();
  WindowHandle first = Child(window, "Recorder", {0, 0, 50, 50});
  WindowHandle second = Child(window, "Recorder", {60, 0, 50, 50});
  SetFocus(first);
  Drain();
  Log().clear();
  DeliverKey(window, true, 'A', 1, KeyControl);
  PostMessage(window, WM_USER, 0, 0);
  Message message;
  ASSERT_TRUE(PeekMessage(message, true));
  EXPECT_EQ(message.window, first);
  EXPECT_TRUE(IsKeyDown(VK_CONTROL));
  EXPECT_FALSE(IsKeyDown(VK_SHIFT));
  SetFocus(second);
  TranslateMessage(message);
  ASSERT_TRUE(PeekMessage(message, true));
  EXPECT_EQ(message.message, WM_CHAR) << "the character comes right after its key";
  EXPECT_EQ(message.wParam, 1u);
  DeliverKey(window, true, 'B', 'b', 0);
  Drain();
  EXPECT_EQ(MessagesOf(second, {WM_KEYDOWN, WM_CHAR}), (std::vector<uint32_t>{WM_KEYDOWN, WM_CHAR}));
}

TEST_F(WindowSystem, DestroyingAFormTakesItsChildrenAndOwnedWindowsAlong) {
  WindowHandle form = TopLevel();
  WindowHandle control = Child(form, "Recorder", {0, 0, 10, 10});
  WindowCreation owned;
  owned.className = "Recorder";
  owned.parent = form;
  WindowHandle dialog = CreateWindow(owned);
  SetFocus(control);
  SetTimer(control, 1, 10);
  Drain();
  Log().clear();
  EXPECT_TRUE(DestroyWindow(form));
  std::vector<std::pair<WindowHandle, uint32_t>> order;
  for (const Seen& seen : Log()) {
    if (seen.message == WM_DESTROY || seen.message == WM_NCDESTROY || seen.message == WM_KILLFOCUS) {
      order.emplace_back(seen.window, seen.message);
    }
  }
  EXPECT_EQ(order, (std::vector<std::pair<WindowHandle, uint32_t>>{{dialog, WM_DESTROY},
                                                                   {dialog, WM_NCDESTROY},
                                                                   {control, WM_KILLFOCUS},
                                                                   {form, WM_DESTROY},
                                                                   {control, WM_DESTROY},
                                                                   {control, WM_NCDESTROY},
                                                                   {form, WM_NCDESTROY}}));
  EXPECT_FALSE(IsWindow(control));
  EXPECT_EQ(GetFocus(), 0u);
  clock.AdvanceTo(clock.Now() + 100'000);
  EXPECT_TRUE(Drain().empty());
}

}  // namespace
