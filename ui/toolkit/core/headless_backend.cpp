#include "ui/toolkit/core/headless_backend.h"

#include <deque>
#include <utility>
#include <mutex>

#include "runtime/console_streams.h"
#include "runtime/message_box.h"
#include "runtime/stream.h"

namespace {

struct Script {
  std::mutex lock;
  std::deque<int> messageAnswers;
  std::vector<ShownMessageBox> shownMessages;
  std::deque<std::optional<std::string>> fileAnswers;
  std::vector<ShownFileDialog> shownFileDialogs;
  std::string clipboard;
  int beeps = 0;
  MouseCursor cursor = MouseCursor::Arrow;
};

Script script;

int FirstButton(int style) {
  int buttons = style & 0x0F;
  return buttons == MessageYesNoCancel || buttons == MessageYesNo ? ButtonYes : ButtonOk;
}

class HeadlessBackend : public WindowBackend {
 public:
  bool Headless() const override { return true; }
  int Dpi() override { return 96; }
  Size ScreenSize() override { return {1920, 1080}; }
  void UpdateTopLevel(WindowHandle, const TopLevelState&) override {}
  void RaiseTopLevel(WindowHandle) override {}
  void RemoveTopLevel(WindowHandle) override {}
  void Redraw(WindowHandle) override {}

  FontMetrics MeasureFont(const FontDescription& font) override {
    int height = std::max(1, font.height);
    int ascent = std::max(1, height * 4 / 5);
    return {height, ascent, height - ascent, CharacterWidth(font)};
  }

  std::vector<int> MeasureCharacters(const FontDescription& font, const std::vector<uint32_t>& codes) override {
    return std::vector<int>(codes.size(), CharacterWidth(font));
  }

  void SetMouseCursor(MouseCursor shape) override {
    std::lock_guard guard(script.lock);
    script.cursor = shape;
  }

  void Beep() override {
    std::lock_guard guard(script.lock);
    ++script.beeps;
  }

  void SetClipboard(const std::string& text) override {
    std::lock_guard guard(script.lock);
    script.clipboard = text;
  }

  std::string Clipboard() override {
    std::lock_guard guard(script.lock);
    return script.clipboard;
  }

  int MessageBox(const std::string& text, const std::string& caption, int style) override {
    PutLine(StandardError);
    PutLine(StandardError, caption, ": ", text);
    std::lock_guard guard(script.lock);
    int answer = FirstButton(style);
    if (!script.messageAnswers.empty()) {
      answer = script.messageAnswers.front();
      script.messageAnswers.pop_front();
    }
    script.shownMessages.push_back({text, caption, style, answer});
    return answer;
  }

  std::optional<std::string> ChooseFile(const FileDialogRequest& request, const std::string& offered) override {
    std::lock_guard guard(script.lock);
    script.shownFileDialogs.push_back({request, offered});
    if (script.fileAnswers.empty()) return std::nullopt;
    std::optional<std::string> answer = script.fileAnswers.front();
    script.fileAnswers.pop_front();
    return answer;
  }

 private:
  static int CharacterWidth(const FontDescription& font) { return std::max(1, (font.height + 1) / 2); }
};

}  // namespace

std::unique_ptr<WindowBackend> MakeHeadlessBackend() {
  std::lock_guard guard(script.lock);
  script.messageAnswers.clear();
  script.shownMessages.clear();
  script.fileAnswers.clear();
  script.shownFileDialogs.clear();
  script.clipboard.clear();
  script.beeps = 0;
  script.cursor = MouseCursor::Arrow;
  return std::make_unique<HeadlessBackend>();
}

void QueueMessageBoxAnswers(std::vector<int> answers) {
  std::lock_guard guard(script.lock);
  script.messageAnswers.insert(script.messageAnswers.end(), answers.begin(), answers.end());
}

std::vector<ShownMessageBox> TakeShownMessageBoxes() {
  std::lock_guard guard(script.lock);
  return std::exchange(script.shownMessages, {});
}

void QueueFileDialogAnswers(std::vector<std::optional<std::string>> answers) {
  std::lock_guard guard(script.lock);
  script.fileAnswers.insert(script.fileAnswers.end(), answers.begin(), answers.end());
}

std::vector<ShownFileDialog> TakeShownFileDialogs() {
  std::lock_guard guard(script.lock);
  return std::exchange(script.shownFileDialogs, {});
}

int HeadlessBeepCount() {
  std::lock_guard guard(script.lock);
  return script.beeps;
}

MouseCursor HeadlessMouseCursor() {
  std::lock_guard guard(script.lock);
  return script.cursor;
}
