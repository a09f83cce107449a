#include "ui/toolkit/backends/win32_desktop.h"

#include <deque>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "ui/toolkit/backends/win32_clipboard.h"
#include "ui/toolkit/backends/win32_dialogs.h"
#include "ui/toolkit/backends/win32_fonts.h"
#include "ui/toolkit/backends/win32_window.h"

namespace {

constexpr const wchar_t* HiddenClassName = L"QuarnetGuiThread";
constexpr UINT WakeMessage = WM_APP;
constexpr UINT_PTR BlinkTimer = 1;
constexpr UINT CaretBlinkMilliseconds = 500;

}  // namespace

struct Win32Desktop::State {
  std::thread thread;
  std::thread::id guiThread;
  // Receives the wake message and the caret's timer; owns the clipboard's text.
  HWND hidden = nullptr;
  int dpi = 96;
  Size screen{1920, 1080};

  std::mutex lock;
  std::deque<std::function<void()>> work;
  std::set<WindowHandle> redraws;
  // A wake message is on its way.
  bool woken = false;

  // The GUI thread's own.
  std::map<WindowHandle, std::unique_ptr<NativeWindow>> windows;
  WindowLook look;

  void Run(std::promise<bool>& started);
  bool OpenWindows();
  void CloseWindows();

  void WakeLocked() {
    if (woken) return;
    woken = true;
    PostMessageW(hidden, WakeMessage, 0, 0);
  }

  void Carry(std::function<void()> job) {
    std::lock_guard guard(lock);
    work.push_back(std::move(job));
    WakeLocked();
  }

  // Runs on the GUI thread and waits for the result (at once when already there).
  template <class Result>
  Result Ask(std::function<Result()> job) {
    if (std::this_thread::get_id() == guiThread) return job();
    std::promise<Result> promise;
    std::future<Result> result = promise.get_future();
    Carry([&] { promise.set_value(job()); });
    return result.get();
  }

  void DoWork() {
    std::deque<std::function<void()>> jobs;
    std::set<WindowHandle> redrawn;
    {
      std::lock_guard guard(lock);
      jobs.swap(work);
      redrawn.swap(redraws);
      woken = false;
    }
    for (auto& job : jobs) job();
    for (WindowHandle handle : redrawn) {
      auto found = windows.find(handle);
      if (found != windows.end()) found->second->Redraw();
    }
  }

  void Blink() {
    look.caretOn = !look.caretOn;
    for (auto& [handle, window] : windows) {
      if (window->ShowsCaret()) window->Redraw();
    }
  }

  HWND NativeOf(WindowHandle window) const {
    auto found = windows.find(window);
    return found == windows.end() ? nullptr : found->second->Window();
  }

  // The cursor changes at once under the mouse, not at its next move.
  void ShowCursorNow() const {
    POINT at;
    GetCursorPos(&at);
    HWND under = WindowFromPoint(at);
    if (under == nullptr || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) return;
    if (SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y)) != HTCLIENT) return;
    SetCursor(LoadCursorW(nullptr, look.waitCursor ? IDC_WAIT : IDC_ARROW));
  }

  static LRESULT CALLBACK HiddenProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (state != nullptr && message == WakeMessage) {
      state->DoWork();
      return 0;
    }
    if (state != nullptr && message == WM_TIMER && wParam == BlinkTimer) {
      state->Blink();
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
};

bool Win32Desktop::State::OpenWindows() {
  // The window system scales its forms by the DPI it is told; unaware of that, Windows
  // would stretch every window's bitmap on a display above 96.
  SetProcessDPIAware();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW hiddenClass{};
  hiddenClass.cbSize = sizeof(hiddenClass);
  hiddenClass.lpfnWndProc = HiddenProcedure;
  hiddenClass.hInstance = instance;
  hiddenClass.lpszClassName = HiddenClassName;
  if (RegisterClassExW(&hiddenClass) == 0 || !NativeWindow::RegisterWindowClass()) return false;
  hidden = CreateWindowExW(0, HiddenClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
  if (hidden == nullptr) return false;
  HDC screenDc = GetDC(nullptr);
  dpi = GetDeviceCaps(screenDc, LOGPIXELSY);
  ReleaseDC(nullptr, screenDc);
  // The area the taskbar leaves, as FLTK's screen size is.
  RECT area;
  if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) screen = {area.right - area.left, area.bottom - area.top};
  guiThread = std::this_thread::get_id();
  SetTimer(hidden, BlinkTimer, CaretBlinkMilliseconds, nullptr);
  return true;
}

void Win32Desktop::State::CloseWindows() {
  windows.clear();
  if (hidden != nullptr) DestroyWindow(hidden);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  UnregisterClassW(HiddenClassName, instance);
  NativeWindow::UnregisterWindowClass();
}

void Win32Desktop::State::Run(std::promise<bool>& started) {
  bool opened = OpenWindows();
  started.set_value(opened);
  if (opened) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  CloseWindows();
}

Win32Desktop::Win32Desktop(std::unique_ptr<State> state) : state_(std::move(state)) {}

std::unique_ptr<Win32Desktop> Win32Desktop::Start() {
  auto state = std::make_unique<State>();
  std::promise<bool> started;
  std::future<bool> opened = started.get_future();
  state->thread = std::thread([gui = state.get(), &started] { gui->Run(started); });
  if (!opened.get()) {
    state->thread.join();
    return nullptr;
  }
  return std::unique_ptr<Win32Desktop>(new Win32Desktop(std::move(state)));
}

Win32Desktop::~Win32Desktop() {
  state_->Carry([] { PostQuitMessage(0); });
  state_->thread.join();
}

int Win32Desktop::Dpi() const { return state_->dpi; }

Size Win32Desktop::ScreenSize() const { return state_->screen; }

FontMetrics Win32Desktop::MeasureFont(const FontDescription& font) const { return MeasureGdiFont(font); }

std::vector<int> Win32Desktop::MeasureCharacters(const FontDescription& font, const std::vector<uint32_t>& codes) const {
  return MeasureGdiCharacters(font, codes);
}

void Win32Desktop::Beep() const { MessageBeep(MB_OK); }

void Win32Desktop::Update(WindowHandle window, const NativeWindowState& state) {
  state_->Carry([gui = state_.get(), window, state] {
    auto found = gui->windows.find(window);
    if (found != gui->windows.end()) {
      found->second->Apply(state);
    } else {
      gui->windows[window] = std::make_unique<NativeWindow>(window, state, gui->NativeOf(state.owner), gui->look);
    }
  });
}

void Win32Desktop::Raise(WindowHandle window) {
  state_->Carry([gui = state_.get(), window] {
    auto found = gui->windows.find(window);
    if (found != gui->windows.end()) found->second->Raise();
  });
}

void Win32Desktop::Remove(WindowHandle window) {
  state_->Carry([gui = state_.get(), window] { gui->windows.erase(window); });
}

void Win32Desktop::Redraw(WindowHandle window) {
  std::lock_guard guard(state_->lock);
  state_->redraws.insert(window);
  state_->WakeLocked();
}

void Win32Desktop::SetWaitCursor(bool wait) {
  state_->Carry([gui = state_.get(), wait] {
    gui->look.waitCursor = wait;
    gui->ShowCursorNow();
  });
}

void Win32Desktop::SetClipboard(const std::string& text) {
  state_->Carry([gui = state_.get(), text] { PutClipboardText(gui->hidden, text); });
}

std::string Win32Desktop::Clipboard() {
  return state_->Ask<std::string>([gui = state_.get()] { return TakeClipboardText(gui->hidden); });
}

int Win32Desktop::ShowMessageBox(const std::string& text, const std::string& caption, int style, WindowHandle owner) {
  HWND native = state_->Ask<HWND>([gui = state_.get(), owner] { return gui->NativeOf(owner); });
  return RunMessageBox(text, caption, style, native);
}

std::optional<std::string> Win32Desktop::ShowFileDialog(const FileChoice& choice) {
  HWND native = state_->Ask<HWND>([gui = state_.get(), owner = choice.owner] { return gui->NativeOf(owner); });
  return RunFileDialog(choice, native);
}
