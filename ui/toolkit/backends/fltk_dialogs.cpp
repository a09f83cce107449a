#include "ui/toolkit/backends/fltk_dialogs.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <filesystem>
#include <vector>

#include "runtime/message_box.h"

namespace {

constexpr int ButtonAbort = 3, ButtonRetry = 4, ButtonIgnore = 5;

struct Choice {
  const char* label;
  int button;
};

std::vector<Choice> Choices(int style) {
  switch (style & 0x0F) {
    case MessageOkCancel: return {{"OK", ButtonOk}, {"Cancel", ButtonCancel}};
    case 0x02: return {{"Abort", ButtonAbort}, {"Retry", ButtonRetry}, {"Ignore", ButtonIgnore}};
    case MessageYesNoCancel: return {{"Yes", ButtonYes}, {"No", ButtonNo}, {"Cancel", ButtonCancel}};
    case MessageYesNo: return {{"Yes", ButtonYes}, {"No", ButtonNo}};
    case 0x05: return {{"Retry", ButtonRetry}, {"Cancel", ButtonCancel}};
    default: return {{"OK", ButtonOk}};
  }
}

// The close box answers as Cancel where there is one, OK where it is the only button.
int CloseAnswer(const std::vector<Choice>& choices) {
  for (const Choice& choice : choices) {
    if (choice.button == ButtonCancel) return ButtonCancel;
  }
  return choices.size() == 1 ? choices.front().button : 0;
}

struct MessageDialog {
  Fl_Window* window = nullptr;
  std::shared_ptr<DialogAnswer> answer;
  std::vector<std::pair<Fl_Button*, int>> buttons;
  int closeAnswer = 0;
};

void Answer(MessageDialog* dialog, int button) {
  dialog->answer->button = button;
  dialog->answer->given = true;
  dialog->window->hide();
  Fl::delete_widget(dialog->window);
  delete dialog;
}

void ButtonPressed(Fl_Widget* widget, void* data) {
  auto* dialog = static_cast<MessageDialog*>(data);
  for (auto& [button, value] : dialog->buttons) {
    if (button == widget) return Answer(dialog, value);
  }
}

void WindowClosed(Fl_Widget*, void* data) {
  auto* dialog = static_cast<MessageDialog*>(data);
  if (dialog->closeAnswer != 0) Answer(dialog, dialog->closeAnswer);
}

const char* IconText(int style, Fl_Color& colour) {
  switch (style & 0xF0) {
    case MessageIconError: colour = FL_RED; return "X";
    case MessageIconQuestion: colour = FL_BLUE; return "?";
    case MessageIconWarning: colour = FL_DARK_YELLOW; return "!";
    case MessageIconInformation: colour = FL_BLUE; return "i";
    default: return nullptr;
  }
}

// "Comma separated\t*.csv", one filter to a line, as the native chooser takes them.
std::string NativeFilter(const FileDialogRequest& request) {
  std::string filter;
  for (const auto& [description, pattern] : request.filter) {
    if (!filter.empty()) filter += '\n';
    filter += description + '\t' + pattern;
  }
  return filter;
}

// The program's texts end their lines with CR LF, which FLTK would draw as "^M", and
// a label takes '@' for the start of a symbol.
std::string DisplayedText(const std::string& text) {
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '@') {
      shown += "@@";
    } else if (text[i] != '\r') {
      shown += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      shown += '\n';
    }
  }
  return shown;
}

}  // namespace

void OpenMessageDialog(const std::string& original, const std::string& caption, int style,
                       std::shared_ptr<DialogAnswer> answer) {
  std::string text = DisplayedText(original);
  auto* dialog = new MessageDialog{nullptr, std::move(answer), {}, 0};
  std::vector<Choice> choices = Choices(style);
  dialog->closeAnswer = CloseAnswer(choices);
  fl_font(FL_HELVETICA, 14);
  int textWidth = 360, textHeight = 0;
  fl_measure(text.c_str(), textWidth, textHeight, 0);
  int width = std::max(300, textWidth + 100), height = std::max(60, textHeight + 20) + 60;
  dialog->window = new Fl_Window((Fl::w() - width) / 2, (Fl::h() - height) / 2, width, height);
  dialog->window->copy_label(caption.c_str());
  Fl_Color iconColour = FL_BLUE;
  if (const char* icon = IconText(style, iconColour)) {
    auto* box = new Fl_Box(FL_OVAL_BOX, 16, 16, 40, 40, icon);
    box->color(iconColour);
    box->labelcolor(FL_WHITE);
    box->labelfont(FL_HELVETICA_BOLD);
    box->labelsize(24);
  }
  auto* message = new Fl_Box(72, 10, width - 82, height - 70);
  message->copy_label(text.c_str());
  message->labelsize(14);
  message->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
  int x = width - 10 - static_cast<int>(choices.size()) * 90;
  for (const Choice& choice : choices) {
    // Enter presses the first button, as a default button; Escape closes the box,
    // which answers as its close box does.
    Fl_Button* button = dialog->buttons.empty() ? new Fl_Return_Button(x, height - 42, 80, 28, choice.label)
                                                : new Fl_Button(x, height - 42, 80, 28, choice.label);
    button->callback(ButtonPressed, dialog);
    dialog->buttons.emplace_back(button, choice.button);
    x += 90;
  }
  dialog->window->end();
  dialog->window->callback(WindowClosed, dialog);
  dialog->window->set_non_modal();
  dialog->window->show();
}

void OpenFileChooser(const FileDialogRequest& request, const std::string& offered, std::shared_ptr<DialogAnswer> answer) {
  // The desktop's own chooser (GTK) where it is installed, FLTK's own where it is not.
  Fl_Native_File_Chooser chooser(request.save ? Fl_Native_File_Chooser::BROWSE_SAVE_FILE
                                              : Fl_Native_File_Chooser::BROWSE_FILE);
  chooser.title(request.save ? "Save As" : "Open");
  std::string filter = NativeFilter(request);
  if (!filter.empty()) chooser.filter(filter.c_str());
  std::filesystem::path folder = request.initialFolder;
  std::filesystem::path name = offered;
  if (name.has_parent_path()) folder = name.parent_path();
  if (!folder.empty()) chooser.directory(folder.c_str());
  if (!name.filename().empty()) chooser.preset_file(name.filename().c_str());
  // The toolkit asks before a file is replaced, in its own words.
  chooser.options(Fl_Native_File_Chooser::NEW_FOLDER);
  if (chooser.show() == 0 && chooser.filename() != nullptr && *chooser.filename() != '\0') {
    answer->file = std::string(chooser.filename());
  }
  answer->given = true;
}
