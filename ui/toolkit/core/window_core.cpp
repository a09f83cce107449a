// The window table: the records, the window classes and the threads' queues, windows
// made and destroyed, and the family of a window (top level, visible and enabled chains).
#include "ui/toolkit/core/window_core.h"

#include <algorithm>
#include <utility>
#include <cctype>

#include "ui/toolkit/core/window_backend.h"

std::recursive_mutex& WindowLock = *new std::recursive_mutex;

namespace {

// Never destroyed, like the lock.
auto& windows = *new std::map<WindowHandle, std::unique_ptr<WindowRecord>>;
auto& classes = *new std::vector<WindowClass>;
auto& queues = *new std::vector<ThreadQueue*>;
WindowHandle nextHandle = 0x10001;

std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

const WindowClass* FindClass(std::string_view name) {
  for (const WindowClass& windowClass : classes) {
    if (Folded(windowClass.name) == Folded(name)) return &windowClass;
  }
  return nullptr;
}

// Ends with its thread: the thread's windows keep their records but get no messages.
struct QueueRelease {
  void operator()(ThreadQueue* queue) const {
    WindowGuard guard(WindowLock);
    for (auto& [handle, record] : windows) {
      if (record->queue == queue) record->queue = nullptr;
    }
    for (SentMessage* sent : queue->sent) {
      sent->done = true;
      sent->sender->wake.notify_all();
    }
    std::erase(queues, queue);
    delete queue;
  }
};

thread_local std::unique_ptr<ThreadQueue, QueueRelease> currentQueue;

Size DefaultSize() {
  Size screen = Backend().ScreenSize();
  return {screen.width * 2 / 3, screen.height * 2 / 3};
}

// Owned windows open centred over their owner; others step down from the top left.
Rect PlaceTopLevel(const WindowCreation& creation, WindowHandle owner) {
  static int cascade = 0;
  Size size = DefaultSize();
  Rect rect{0, 0, creation.width == CW_USEDEFAULT ? size.width : creation.width,
            creation.height == CW_USEDEFAULT ? size.height : creation.height};
  if (creation.x != CW_USEDEFAULT) {
    rect.x = creation.x;
    rect.y = creation.y == CW_USEDEFAULT ? 0 : creation.y;
  } else if (WindowRecord* ownerRecord = FindWindow(owner)) {
    rect.x = ownerRecord->rect.x + (ownerRecord->rect.width - rect.width) / 2;
    rect.y = ownerRecord->rect.y + (ownerRecord->rect.height - rect.height) / 2;
  } else {
    rect.x = rect.y = 40 + 24 * (cascade++ % 10);
  }
  return rect;
}

MinMaxInfo DefaultTracking() {
  return {{GetSystemMetric(SM_CXMINTRACK), GetSystemMetric(SM_CYMINTRACK)},
          {GetSystemMetric(SM_CXMAXTRACK), GetSystemMetric(SM_CYMAXTRACK)}};
}

void SendDestroyMessages(WindowHandle window) {
  SendMessage(window, WM_DESTROY, 0, 0);
  for (WindowHandle child : GetChildren(window)) {
    WindowGuard guard(WindowLock);
    WindowRecord* record = FindWindow(child);
    if (record == nullptr || record->destroying) continue;
    record->destroying = true;
    guard.unlock();
    SendDestroyMessages(child);
  }
}

void CollectSubtree(WindowHandle window, std::vector<WindowHandle>& deepestFirst) {
  if (WindowRecord* record = FindWindow(window)) {
    for (WindowHandle child : record->children) CollectSubtree(child, deepestFirst);
    deepestFirst.push_back(window);
  }
}

}  // namespace

WindowRecord* FindWindow(WindowHandle window) {
  auto found = windows.find(window);
  return found == windows.end() ? nullptr : found->second.get();
}

std::vector<WindowRecord*> AllWindows() {
  std::vector<WindowRecord*> all;
  for (auto& [handle, record] : windows) all.push_back(record.get());
  return all;
}

ThreadQueue& CurrentQueue() {
  if (currentQueue == nullptr) {
    WindowGuard guard(WindowLock);
    currentQueue.reset(new ThreadQueue);
    currentQueue->thread = std::this_thread::get_id();
    queues.push_back(currentQueue.get());
  }
  return *currentQueue;
}

bool IsWithin(WindowHandle window, WindowHandle ancestor) {
  WindowGuard guard(WindowLock);
  for (WindowRecord* record = FindWindow(window); record != nullptr; record = FindWindow(record->parent)) {
    if (record->handle == ancestor) return true;
  }
  return false;
}

bool OwnedByCurrentThread(const WindowRecord& record) { return record.queue == &CurrentQueue(); }

bool IsTopLevel(const WindowRecord& record) { return !(record.style & WS_CHILD); }

WindowHandle TopLevelOf(WindowHandle window) {
  WindowRecord* record = FindWindow(window);
  while (record != nullptr && !IsTopLevel(*record)) record = FindWindow(record->parent);
  return record == nullptr ? 0 : record->handle;
}

bool VisibleChain(const WindowRecord& record) {
  for (const WindowRecord* at = &record; at != nullptr; at = IsTopLevel(*at) ? nullptr : FindWindow(at->parent)) {
    if (!(at->style & WS_VISIBLE)) return false;
  }
  return true;
}

bool EnabledChain(const WindowRecord& record) {
  for (const WindowRecord* at = &record; at != nullptr; at = IsTopLevel(*at) ? nullptr : FindWindow(at->parent)) {
    if (at->style & WS_DISABLED) return false;
  }
  return true;
}

TopLevelState DescribeTopLevel(const WindowRecord& record) {
  TopLevelState state;
  state.rect = record.rect;
  state.title = record.text;
  state.visible = (record.style & WS_VISIBLE) != 0;
  state.resizable = (record.style & WS_THICKFRAME) != 0;
  state.minimumSize = record.tracking.minimumTrackSize;
  state.maximumSize = record.tracking.maximumTrackSize;
  state.owner = record.owner;
  return state;
}

void SyncTopLevel(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record != nullptr && IsTopLevel(*record)) Backend().UpdateTopLevel(window, DescribeTopLevel(*record));
}

void ForgetWindowInQueue(ThreadQueue& queue, WindowHandle window) {
  std::erase_if(queue.posted, [&](const Message& message) { return message.window == window; });
  std::erase_if(queue.timers, [&](const auto& timer) { return timer.first.first == window; });
  if (queue.focus == window) queue.focus = 0;
  if (queue.active == window) queue.active = 0;
  if (queue.capture == window) queue.capture = 0;
  if (queue.caret.window == window) queue.caret = Caret{};
}

void ClearWindowTable() {
  WindowGuard guard(WindowLock);
  for (auto& [handle, record] : windows) {
    if (IsTopLevel(*record)) Backend().RemoveTopLevel(handle);
  }
  windows.clear();
  for (ThreadQueue* queue : queues) {
    queue->posted.clear();
    queue->timers.clear();
    queue->focus = queue->active = queue->capture = 0;
    queue->caret = Caret{};
    queue->quit = false;
    queue->keys = 0;
  }
}

bool RegisterWindowClass(const WindowClass& windowClass) {
  WindowGuard guard(WindowLock);
  if (windowClass.procedure == nullptr || windowClass.name.empty() || FindClass(windowClass.name) != nullptr) {
    return false;
  }
  classes.push_back(windowClass);
  return true;
}

WindowHandle CreateWindow(const WindowCreation& creation) {
  WindowGuard guard(WindowLock);
  const WindowClass* windowClass = FindClass(creation.className);
  bool child = (creation.style & WS_CHILD) != 0;
  WindowRecord* parent = FindWindow(creation.parent);
  if (windowClass == nullptr || (child && parent == nullptr)) return 0;
  auto owned = std::make_unique<WindowRecord>();
  WindowRecord& record = *owned;
  record.handle = nextHandle++;
  record.className = windowClass->name;
  record.procedure = windowClass->procedure;
  record.backgroundColourIndex = windowClass->backgroundColourIndex;
  record.queue = &CurrentQueue();
  record.style = creation.style & ~WS_VISIBLE;
  record.extendedStyle = creation.extendedStyle;
  record.id = creation.id;
  record.text = creation.text;
  record.needsPaint = record.needsErase = true;
  if (child) {
    record.parent = creation.parent;
    parent->children.push_back(record.handle);
    auto given = [](int value) { return value == CW_USEDEFAULT ? 0 : value; };
    record.rect = {given(creation.x), given(creation.y), given(creation.width), given(creation.height)};
  } else {
    record.owner = TopLevelOf(creation.parent);
    record.rect = PlaceTopLevel(creation, record.owner);
    record.tracking = DefaultTracking();
  }
  WindowHandle handle = record.handle;
  windows.emplace(handle, std::move(owned));
  guard.unlock();

  LParam parameter = reinterpret_cast<LParam>(&creation);
  if (!child) {
    MinMaxInfo tracking = DefaultTracking();
    SendMessage(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LParam>(&tracking));
    guard.lock();
    if (WindowRecord* created = FindWindow(handle)) created->tracking = tracking;
    guard.unlock();
  }
  if (SendMessage(handle, WM_NCCREATE, 0, parameter) == 0 || SendMessage(handle, WM_CREATE, 0, parameter) == -1) {
    DestroyWindow(handle);
    return 0;
  }
  Rect client = GetClientRect(handle);
  SendMessage(handle, WM_SIZE, 0, static_cast<LParam>(MakeLong(static_cast<uint16_t>(client.width),
                                                             static_cast<uint16_t>(client.height))));
  SyncTopLevel(handle);
  if (creation.style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  if (creation.style & WS_DISABLED) InvalidateWindow(handle);
  return handle;
}

bool DestroyWindow(WindowHandle window) {
  WindowGuard guard(WindowLock);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr || record->destroying || !OwnedByCurrentThread(*record)) return false;
  record->destroying = true;
  ThreadQueue& queue = CurrentQueue();
  std::vector<WindowHandle> ownedWindows;
  for (WindowRecord* other : AllWindows()) {
    if (other->owner == window && IsTopLevel(*other)) ownedWindows.push_back(other->handle);
  }
  bool hadFocus = queue.focus != 0 && IsWithin(queue.focus, window);
  if (queue.capture != 0 && IsWithin(queue.capture, window)) queue.capture = 0;
  WindowHandle topLevel = TopLevelOf(window);
  guard.unlock();

  for (WindowHandle ownedWindow : ownedWindows) DestroyWindow(ownedWindow);
  if (hadFocus) MoveFocus(queue, 0);
  SendDestroyMessages(window);

  guard.lock();
  std::vector<WindowHandle> subtree;
  CollectSubtree(window, subtree);
  guard.unlock();
  for (WindowHandle each : subtree) SendMessage(each, WM_NCDESTROY, 0, 0);

  guard.lock();
  for (WindowHandle each : subtree) {
    WindowRecord* gone = FindWindow(each);
    if (gone == nullptr) continue;
    if (gone->queue != nullptr) ForgetWindowInQueue(*gone->queue, each);
    if (WindowRecord* parent = FindWindow(gone->parent)) std::erase(parent->children, each);
    if (IsTopLevel(*gone)) Backend().RemoveTopLevel(each);
    windows.erase(each);
  }
  if (topLevel != window && FindWindow(topLevel) != nullptr) Backend().Redraw(topLevel);
  return true;
}
