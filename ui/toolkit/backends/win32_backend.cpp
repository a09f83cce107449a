#include "ui/toolkit/backends/display_backend.h"

#include <atomic>
#include <functional>
#include <thread>

#include "ui/toolkit/backends/backend_dialogs.h"
#include "ui/toolkit/backends/win32_desktop.h"

namespace {

// A box or dialog runs on a thread of its own, which waits in Windows' modal loop: the
// GUI thread goes on painting, and two threads' boxes do not nest. The asking thread's
// windows are disabled and its messages dispatched meanwhile.
template <class Result>
Result AskOnOwnThread(std::function<Result()> ask) {
  struct Answer {
    std::atomic<bool> given{false};
    Result value{};
  };
  auto answer = std::make_shared<Answer>();
  std::vector<WindowHandle> disabled = DisableThreadWindows();
  std::thread([answer, ask = std::move(ask)] {
    answer->value = ask();
    answer->given = true;
  }).detach();
  WaitForAnswer([&] { return answer->given.load(); });
  EnableAgain(disabled);
  return answer->value;
}

class Win32Backend : public WindowBackend {
 public:
  explicit Win32Backend(std::unique_ptr<Win32Desktop> desktop) : desktop_(std::move(desktop)) {}

  bool Headless() const override { return false; }
  int Dpi() override { return desktop_->Dpi(); }
  Size ScreenSize() override { return desktop_->ScreenSize(); }

  void UpdateTopLevel(WindowHandle window, const TopLevelState& state) override {
    desktop_->Update(window, NativeWindowState{state.rect, state.title, state.visible, state.resizable,
                                               state.minimumSize, state.maximumSize, state.owner});
  }
  void RaiseTopLevel(WindowHandle window) override { desktop_->Raise(window); }
  void RemoveTopLevel(WindowHandle window) override { desktop_->Remove(window); }
  void Redraw(WindowHandle topLevel) override { desktop_->Redraw(topLevel); }

  FontMetrics MeasureFont(const FontDescription& font) override { return desktop_->MeasureFont(font); }
  std::vector<int> MeasureCharacters(const FontDescription& font, const std::vector<uint32_t>& codes) override {
    return desktop_->MeasureCharacters(font, codes);
  }

  void SetMouseCursor(MouseCursor shape) override { desktop_->SetWaitCursor(shape == MouseCursor::Wait); }
  void Beep() override { desktop_->Beep(); }
  void SetClipboard(const std::string& text) override { desktop_->SetClipboard(text); }
  std::string Clipboard() override { return desktop_->Clipboard(); }

  // The box stays above the window the asking thread was working in.
  int MessageBox(const std::string& text, const std::string& caption, int style) override {
    WindowHandle owner = GetActiveWindow();
    Win32Desktop* desktop = desktop_.get();
    return AskOnOwnThread<int>(
        [desktop, text, caption, style, owner] { return desktop->ShowMessageBox(text, caption, style, owner); });
  }

  std::optional<std::string> ChooseFile(const FileDialogRequest& request, const std::string& offered) override {
    WindowHandle owner = request.owner != 0 ? request.owner : GetActiveWindow();
    Win32Desktop* desktop = desktop_.get();
    return ChooseCheckedFile(request, offered, [&](const std::string& name) {
      FileChoice choice{request.save, request.filter, request.initialFolder, name, owner};
      return AskOnOwnThread<std::optional<std::string>>([desktop, choice] { return desktop->ShowFileDialog(choice); });
    });
  }

 private:
  std::unique_ptr<Win32Desktop> desktop_;
};

}  // namespace

std::unique_ptr<WindowBackend> StartDisplayBackend() {
  std::unique_ptr<Win32Desktop> desktop = Win32Desktop::Start();
  if (desktop == nullptr) return nullptr;
  return std::make_unique<Win32Backend>(std::move(desktop));
}
