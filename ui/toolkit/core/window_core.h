// Inside the window system: the window records, the threads' queues and the one lock
// that guards them. Window procedures are never called with the lock held, so a
// procedure may call anything, and another thread (the backend's) never waits long.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ui/toolkit/core/window_backend.h"

struct Caret {
  WindowHandle window = 0;
  Size size;
  Point position;
  // Shown while 0; a new caret starts hidden.
  int hideCount = 1;
};

struct SentMessage;

struct ThreadQueue {
  std::thread::id thread;
  std::deque<Message> posted;
  std::deque<SentMessage*> sent;
  struct Timer {
    uint64_t period = 0;
    uint64_t due = 0;
  };
  std::map<std::pair<WindowHandle, uintptr_t>, Timer> timers;
  // Wakes the thread while it waits for the answer to a message it sent.
  std::condition_variable_any wake;
  uint32_t keys = 0;
  WindowHandle focus = 0;
  WindowHandle active = 0;
  WindowHandle capture = 0;
  Caret caret;
  bool quit = false;
  int quitCode = 0;
};

struct SentMessage {
  Message message;
  ThreadQueue* sender = nullptr;
  LResult result = 0;
  bool done = false;
};

struct ScrollBar {
  ScrollInfo info;
  bool enabled = true;
};

struct WindowRecord {
  WindowHandle handle = 0;
  std::string className;
  WindowProcedure procedure = nullptr;
  int backgroundColourIndex = COLOR_WINDOW;
  // The owner thread's queue; null once that thread has ended.
  ThreadQueue* queue = nullptr;
  WindowHandle parent = 0;
  WindowHandle owner = 0;
  std::vector<WindowHandle> children;
  uint32_t style = 0;
  uint32_t extendedStyle = 0;
  intptr_t id = 0;
  // Relative to the parent's client area; a top-level window's is on the screen, and
  // the desktop draws frame and caption around it.
  Rect rect;
  std::string text;
  std::map<std::string, intptr_t, std::less<>> properties;
  FontHandle font = 0;
  bool needsPaint = false;
  bool needsErase = false;
  std::shared_ptr<const DrawingList> picture;
  ScrollBar scrollBars[2];
  MinMaxInfo tracking;
  bool destroying = false;
  // The control class's own record (system_controls.h).
  std::shared_ptr<void> controlState;
};

// Marks input messages that carry the keys held, so that taking one sets IsKeyDown.
inline constexpr uint32_t KeysCarried = 0x80000000;
// Marks a key message posted to a top-level window for whichever window of it holds the
// focus when the message is taken: keys typed after a click go where the click put the
// focus, however late the thread pumps.
inline constexpr uint32_t KeysToFocus = 0x40000000;
// Marks a mouse message that only a window holding the capture may get (a release over a
// disabled control); without a capture when it is taken, it is dropped.
inline constexpr uint32_t KeysForCaptureOnly = 0x20000000;
inline constexpr uint32_t KeysMarks = KeysCarried | KeysToFocus | KeysForCaptureOnly;

// Made once and never destroyed: the backend's thread may still draw while the
// process ends.
extern std::recursive_mutex& WindowLock;
using WindowGuard = std::unique_lock<std::recursive_mutex>;

// With the lock held. Null for an unknown or destroyed handle.
WindowRecord* FindWindow(WindowHandle window);
// Every live window, in creation order.
std::vector<WindowRecord*> AllWindows();
// The calling thread's queue, made on first use.
ThreadQueue& CurrentQueue();
bool OwnedByCurrentThread(const WindowRecord& record);
WindowHandle TopLevelOf(WindowHandle window);
// The window is the ancestor or lies inside it.
bool IsWithin(WindowHandle window, WindowHandle ancestor);
bool IsTopLevel(const WindowRecord& record);
// The window's own flag and every parent's.
bool VisibleChain(const WindowRecord& record);
bool EnabledChain(const WindowRecord& record);
// The client area inside borders and scroll bars, relative to the window's own corner.
Rect ClientArea(const WindowRecord& record);
// Where the client area's origin lies in its top-level window's client coordinates.
Point OriginInTopLevel(const WindowRecord& record);
// The backend's view of a top-level window, and telling the backend about a change.
TopLevelState DescribeTopLevel(const WindowRecord& record);
void SyncTopLevel(WindowHandle window);

// Sets the thread's active window (lock not held): WM_ACTIVATE to the old, then the new.
void MoveActivation(ThreadQueue& queue, WindowHandle window);
// Sets the thread's focus (lock not held): WM_KILLFOCUS, then WM_SETFOCUS.
void MoveFocus(ThreadQueue& queue, WindowHandle window);
// Puts a message into a window's owner queue; false when it has none.
bool PostToOwner(WindowHandle window, const Message& message);
// Marks every window of the top-level tree, the top-level included, for a paint.
void InvalidateTree(WindowHandle window, bool erase);
// Removes the thread's windows' timers, queued messages and caret after a destroy.
void ForgetWindowInQueue(ThreadQueue& queue, WindowHandle window);
// Destroys every window and forgets every queue (the window system stops).
void ClearWindowTable();
