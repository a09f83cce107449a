// The threads' queues: posting, sending (also from thread to thread), taking the next
// message (a paint when nothing else waits), and timers on the program's clock.
#include <algorithm>

#include "runtime/clock.h"
#include "ui/toolkit/core/window_backend.h"
#include "ui/toolkit/core/window_core.h"

namespace {

// Win32 never ran a timer faster either; a period of 0 means "as soon as possible".
constexpr uint64_t ShortestTimerPeriod = 10'000;

bool Matches(const Message& message, WindowHandle filter, uint32_t first, uint32_t last) {
  if (filter != 0 && message.window != filter) return false;
  return (first == 0 && last == 0) || (message.message >= first && message.message <= last);
}

// Messages other threads sent to this one, answered in the order they came.
void AnswerSentMessages(ThreadQueue& queue) {
  WindowGuard guard(WindowLock);
  while (!queue.sent.empty()) {
    SentMessage* sent = queue.sent.front();
    queue.sent.pop_front();
    WindowRecord* record = FindWindow(sent->message.window);
    WindowProcedure procedure = record == nullptr ? nullptr : record->procedure;
    guard.unlock();
    LResult result = procedure == nullptr ? 0
                                          : procedure(sent->message.window, sent->message.message,
                                                      sent->message.wParam, sent->message.lParam);
    guard.lock();
    sent->result = result;
    sent->done = true;
    sent->sender->wake.notify_all();
  }
}

bool IsMouseMessage(uint32_t message) { return message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP; }

// The mouse goes to the window holding the capture as it is when the thread takes the
// message: a release delivered before the press was handled still finds the capture.
bool ResolveMouseTarget(const ThreadQueue& queue, Message& message) {
  WindowRecord* target = FindWindow(message.window);
  WindowRecord* capture = FindWindow(queue.capture);
  bool captureOnly = (message.keys & KeysForCaptureOnly) != 0;
  message.keys &= ~KeysForCaptureOnly;
  if (target == nullptr || capture == nullptr || capture == target ||
      TopLevelOf(capture->handle) != TopLevelOf(target->handle)) {
    return !captureOnly;
  }
  Point from = OriginInTopLevel(*target), to = OriginInTopLevel(*capture);
  Point at = MessagePoint(message.lParam);
  message.window = capture->handle;
  message.lParam = PointParameter({at.x + from.x - to.x, at.y + from.y - to.y});
  return true;
}

}  // namespace

bool PostToOwner(WindowHandle window, const Message& message) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr || record->queue == nullptr) return false;
  record->queue->posted.push_back(message);
  record->queue->wake.notify_all();
  return true;
}

bool PostMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
  return PostToOwner(window, Message{window, message, wParam, lParam});
}

LResult SendMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr || record->queue == nullptr) return 0;
  ThreadQueue& own = CurrentQueue();
  if (record->queue == &own) {
    WindowProcedure procedure = record->procedure;
    guard.unlock();
    return procedure(window, message, wParam, lParam);
  }
  SentMessage sent{Message{window, message, wParam, lParam}, &own};
  record->queue->sent.push_back(&sent);
  record->queue->wake.notify_all();
  // While waiting, answer what others send here: two threads sending to each other
  // would otherwise wait for ever.
  while (!sent.done) {
    if (!own.sent.empty()) {
      guard.unlock();
      AnswerSentMessages(own);
      guard.lock();
      continue;
    }
    own.wake.wait(guard);
  }
  return sent.result;
}

bool PeekMessage(Message& message, bool remove, WindowHandle filter, uint32_t first, uint32_t last) {
  ThreadQueue& queue = CurrentQueue();
  AnswerSentMessages(queue);
  WindowGuard guard(WindowLock);
  for (auto posted = queue.posted.begin(); posted != queue.posted.end();) {
    if (posted->keys & KeysToFocus) {
      if (queue.focus != 0 && TopLevelOf(queue.focus) == posted->window) posted->window = queue.focus;
      posted->keys &= ~KeysToFocus;
    }
    if ((posted->keys & KeysCarried) && IsMouseMessage(posted->message) && !ResolveMouseTarget(queue, *posted)) {
      posted = queue.posted.erase(posted);
      continue;
    }
    if (!Matches(*posted, filter, first, last)) {
      ++posted;
      continue;
    }
    message = *posted;
    message.keys &= ~KeysMarks;
    if (remove) {
      if (posted->keys & KeysCarried) queue.keys = message.keys;
      queue.posted.erase(posted);
    }
    return true;
  }
  if (queue.quit && Matches(Message{0, WM_QUIT}, filter, first, last)) {
    message = Message{0, WM_QUIT, static_cast<WParam>(queue.quitCode), 0};
    if (remove) queue.quit = false;
    return true;
  }
  for (WindowRecord* record : AllWindows()) {
    if (record->queue == &queue && record->needsPaint && VisibleChain(*record) &&
        Matches(Message{record->handle, WM_PAINT}, filter, first, last)) {
      message = Message{record->handle, WM_PAINT, 0, 0};
      return true;
    }
  }
  uint64_t now = TheClock().Now();
  for (auto& [key, timer] : queue.timers) {
    Message tick{key.first, WM_TIMER, key.second, 0};
    if (timer.due > now || !Matches(tick, filter, first, last)) continue;
    message = tick;
    if (remove) timer.due = now + timer.period;
    return true;
  }
  return false;
}

void TranslateMessage(const Message& message) {
  if (message.message != WM_KEYDOWN || message.character == 0) return;
  WindowGuard guard(WindowLock);
  Message character{message.window, WM_CHAR, message.character, message.lParam};
  character.keys = message.keys;
  CurrentQueue().posted.push_front(character);
}

LResult DispatchMessage(const Message& message) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(message.window);
  if (record == nullptr) return 0;
  WindowProcedure procedure = record->procedure;
  guard.unlock();
  LResult result = procedure(message.window, message.message, message.wParam, message.lParam);
  if (message.message == WM_PAINT) {
    // A procedure that did not paint would otherwise be asked again at once, for ever.
    guard.lock();
    if (WindowRecord* painted = FindWindow(message.window)) painted->needsPaint = false;
  }
  return result;
}

void PostQuitMessage(int code) {
  WindowGuard guard(WindowLock);
  ThreadQueue& queue = CurrentQueue();
  queue.quit = true;
  queue.quitCode = code;
}

bool SetTimer(WindowHandle window, uintptr_t id, uint32_t milliseconds) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr || record->queue == nullptr) return false;
  uint64_t period = std::max(ShortestTimerPeriod, uint64_t{milliseconds} * 1000);
  record->queue->timers[{window, id}] = ThreadQueue::Timer{period, TheClock().Now() + period};
  return true;
}

bool KillTimer(WindowHandle window, uintptr_t id) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr || record->queue == nullptr) return false;
  return record->queue->timers.erase({window, id}) > 0;
}
