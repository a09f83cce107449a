#include "ui/toolkit/backends/display_backend.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "ui/toolkit/backends/backend_dialogs.h"
#include "ui/toolkit/backends/fltk_dialogs.h"
#include "ui/toolkit/backends/fltk_drawing.h"
#include "ui/toolkit/backends/fltk_window.h"

namespace {

constexpr double CaretBlinkSeconds = 0.5;

// Takes what is pasted; FLTK hands a paste to a widget.
class PasteReceiver : public Fl_Widget {
 public:
  PasteReceiver() : Fl_Widget(0, 0, 0, 0) {}
  void draw() override {}
  int handle(int event) override {
    if (event != FL_PASTE) return 0;
    text.assign(Fl::event_text(), static_cast<size_t>(Fl::event_length()));
    received = true;
    return 1;
  }
  std::string text;
  bool received = false;
};

class FltkBackend : public WindowBackend {
 public:
  bool Start() {
    std::promise<bool> opened;
    std::future<bool> result = opened.get_future();
    thread_ = std::thread([this, &opened] { Run(opened); });
    if (result.get()) return true;
    thread_.join();
    return false;
  }

  ~FltkBackend() override {
    {
      std::lock_guard guard(lock_);
      stopping_ = true;
    }
    Fl::awake();
    if (thread_.joinable()) thread_.join();
  }

  bool Headless() const override { return false; }
  int Dpi() override { return dpi_; }
  Size ScreenSize() override { return screen_; }

  void UpdateTopLevel(WindowHandle window, const TopLevelState& state) override {
    Carry([this, window, state] {
      auto found = windows_.find(window);
      if (found == windows_.end()) windows_[window] = new NativeWindow(window, state, caretOn_);
      else found->second->Apply(state);
    });
  }

  void RaiseTopLevel(WindowHandle window) override {
    Carry([this, window] {
      auto found = windows_.find(window);
      if (found != windows_.end() && found->second->shown()) found->second->show();
    });
  }

  void RemoveTopLevel(WindowHandle window) override {
    Carry([this, window] {
      auto found = windows_.find(window);
      if (found == windows_.end()) return;
      found->second->hide();
      Fl::delete_widget(found->second);
      windows_.erase(found);
    });
  }

  // Redraws are gathered: a form's dozens of controls painting at once cost one draw.
  void Redraw(WindowHandle topLevel) override {
    std::lock_guard guard(lock_);
    redraws_.insert(topLevel);
    if (redrawQueued_) return;
    redrawQueued_ = true;
    work_.emplace_back([this] { FlushRedraws(); });
    Fl::awake();
  }

  FontMetrics MeasureFont(const FontDescription& font) override {
    return Ask<FontMetrics>([&] {
      fl_font(FltkFont(font), std::max(1, font.height));
      int height = fl_height(), descent = fl_descent();
      return FontMetrics{height, height - descent, descent, static_cast<int>(fl_width("x"))};
    });
  }

  std::vector<int> MeasureCharacters(const FontDescription& font, const std::vector<uint32_t>& codes) override {
    return Ask<std::vector<int>>([&] {
      fl_font(FltkFont(font), std::max(1, font.height));
      std::vector<int> widths;
      for (uint32_t code : codes) widths.push_back(static_cast<int>(fl_width(code) + 0.5));
      return widths;
    });
  }

  void SetMouseCursor(MouseCursor shape) override {
    Carry([this, shape] {
      for (auto& [handle, window] : windows_) window->cursor(shape == MouseCursor::Wait ? FL_CURSOR_WAIT : FL_CURSOR_DEFAULT);
    });
  }

  void Beep() override {
    Carry([] { fl_beep(); });
  }

  void SetClipboard(const std::string& text) override {
    Carry([text] {
      Fl::copy(text.c_str(), static_cast<int>(text.size()), 1);
      Fl::copy(text.c_str(), static_cast<int>(text.size()), 0);
    });
  }

  // Another program's clipboard arrives as an event: wait a little for it.
  std::string Clipboard() override {
    return Ask<std::string>([] {
      PasteReceiver receiver;
      Fl::paste(receiver, 1);
      for (int tries = 0; !receiver.received && tries < 20; ++tries) Fl::wait(0.025);
      return receiver.text;
    });
  }

  int MessageBox(const std::string& text, const std::string& caption, int style) override {
    auto answer = std::make_shared<DialogAnswer>();
    std::vector<WindowHandle> disabled = DisableThreadWindows();
    Carry([text, caption, style, answer] { OpenMessageDialog(text, caption, style, answer); });
    WaitForAnswer([&] { return answer->given.load(); });
    EnableAgain(disabled);
    return answer->button;
  }

  std::optional<std::string> ChooseFile(const FileDialogRequest& request, const std::string& offered) override {
    return ChooseCheckedFile(request, offered, [this, &request](const std::string& name) {
      auto answer = std::make_shared<DialogAnswer>();
      std::vector<WindowHandle> disabled = DisableThreadWindows();
      Carry([request, name, answer] { OpenFileChooser(request, name, answer); });
      WaitForAnswer([&] { return answer->given.load(); });
      EnableAgain(disabled);
      return answer->file;
    });
  }

 private:
  void Run(std::promise<bool>& opened) {
    Fl::lock();
    // FLTK ends the process when it cannot reach the display, and a display server just
    // started may refuse a second connection; so FLTK gets the one connection that was
    // tried, and without it the program runs headless.
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
      opened.set_value(false);
      return;
    }
    fl_open_display(display);
    // The desktop matches windows to the desktop entry by this class (StartupWMClass).
    Fl_Window::default_xclass("quarnet");
    float horizontal = 96, vertical = 96;
    Fl::screen_dpi(horizontal, vertical);
    // X servers often report nonsense; below 96 the forms would come out too small.
    dpi_ = std::clamp(static_cast<int>(vertical + 0.5f), 96, 288);
    screen_ = {Fl::w(), Fl::h()};
    fltkThread_ = std::this_thread::get_id();
    Fl::add_timeout(CaretBlinkSeconds, Blink, this);
    opened.set_value(true);
    while (true) {
      Fl::wait(1.0);
      std::deque<std::function<void()>> work;
      {
        std::lock_guard guard(lock_);
        if (stopping_) break;
        work.swap(work_);
      }
      for (auto& job : work) job();
    }
    for (auto& [handle, window] : windows_) delete window;
    windows_.clear();
    Fl::unlock();
  }

  void Carry(std::function<void()> job) {
    {
      std::lock_guard guard(lock_);
      work_.push_back(std::move(job));
    }
    Fl::awake();
  }

  // Runs on the FLTK thread and waits for the result (at once when already there).
  template <class Result>
  Result Ask(std::function<Result()> job) {
    if (std::this_thread::get_id() == fltkThread_) return job();
    std::promise<Result> promise;
    std::future<Result> result = promise.get_future();
    Carry([&] { promise.set_value(job()); });
    return result.get();
  }

  void FlushRedraws() {
    std::set<WindowHandle> redraws;
    {
      std::lock_guard guard(lock_);
      redraws.swap(redraws_);
      redrawQueued_ = false;
    }
    for (WindowHandle handle : redraws) {
      auto found = windows_.find(handle);
      if (found != windows_.end()) found->second->redraw();
    }
  }

  static void Blink(void* data) {
    auto* backend = static_cast<FltkBackend*>(data);
    backend->caretOn_ = !backend->caretOn_;
    for (auto& [handle, window] : backend->windows_) {
      if (window->ShowsCaret()) window->redraw();
    }
    Fl::repeat_timeout(CaretBlinkSeconds, Blink, data);
  }

  std::thread thread_;
  std::thread::id fltkThread_;
  std::mutex lock_;
  std::deque<std::function<void()>> work_;
  std::set<WindowHandle> redraws_;
  bool redrawQueued_ = false;
  bool stopping_ = false;
  // The FLTK thread's own: the native windows and the caret's phase.
  std::map<WindowHandle, NativeWindow*> windows_;
  bool caretOn_ = true;
  int dpi_ = 96;
  Size screen_{1920, 1080};
};

}  // namespace

// The font and X libraries keep caches for the life of the process, which the leak
// checker of a sanitizer build would report at every exit.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libX11.so\nleak:libXft.so\nleak:libfltk.so\n";
}

std::unique_ptr<WindowBackend> StartDisplayBackend() {
  auto backend = std::make_unique<FltkBackend>();
  if (!backend->Start()) return nullptr;
  return backend;
}
