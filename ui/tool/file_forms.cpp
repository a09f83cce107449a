#include "ui/tool/file_forms.h"

#include <string>

#include "protocol/setup_calls.h"
#include "runtime/message_box.h"
#include "runtime/path.h"
#include "runtime/user_folders.h"
#include "ui/tool/setup_transfer.h"
#include "ops/tool_settings.h"
#include "ui/toolkit/controls/common_dialogs.h"
#include "ui/toolkit/controls/form_trace.h"
#include "ui/toolkit/controls/modal_form.h"
#include "ui/toolkit/controls/std_controls.h"

namespace {

constexpr int FormWidth = 350;
constexpr int FormHeight = 175;
constexpr Colour FormColour = Rgb(140, 215, 255);
constexpr Colour FieldColour = Rgb(235, 250, 255);
constexpr char CsvFilter[] = "Comma separated\0*.csv\0";

struct Box {
  int left, top, right, bottom;
};

enum class InitialName { Modbus, Fieldbus, Setup, None };

struct FileFormKind {
  const char* name;  // for the trace lines: Create<name>Form, <name>FormInitialise ...
  const char* title;
  const char* folderSetting;
  InitialName initialName;
  const char* okText;
  Box okBox;
  Box cancelBox;
  bool openDialog;
  const char* workingTitle;
};

const FileFormKind GenerateModbusKind{"GenerateModbus", "Generate Modbus Files", "GenerateDir", InitialName::Modbus,
                                      "Generate", {40, 135, 150, 155}, {180, 135, 280, 155}, false,
                                      "Please wait - generating..."};
const FileFormKind GenerateFieldbusKind{"GenerateFieldbus", "Generate Fieldbus Files", "GenerateDir",
                                        InitialName::Fieldbus, "Generate", {40, 135, 150, 155},
                                        {180, 135, 280, 155}, false, "Please wait - generating..."};
const FileFormKind SaveSetupKind{"SaveSetup", "Save Settings", "InitialDir", InitialName::Setup, "Save Setup",
                                 {70, 135, 150, 155}, {200, 135, 280, 155}, false, "Please wait - saving..."};
const FileFormKind LoadSetupKind{"LoadSetup", "Load Settings", "InitialDir", InitialName::None, "Load Setup",
                                 {70, 135, 150, 155}, {200, 135, 280, 155}, true, "Please wait - loading..."};

constexpr Box LoadTypeLabelBox{40, 22, 120, 38};
constexpr Box LoadTypeTextBox{125, 22, 294, 38};
constexpr Box LoadTypeArrowsBox{294, 20, 310, 40};
constexpr Box FileLabelBox{40, 57, 120, 73};
constexpr Box FileNameBox{125, 55, 294, 75};
constexpr Box BrowseBox{294, 55, 310, 75};
constexpr Box FolderBox{40, 90, 310, 106};

struct FileForm {
  PelWindow window;
  StdStaticControl loadTypeLabel;
  StdStaticControl loadTypeText;
  StdUpDownControl loadTypeArrows;
  StdStaticControl fileLabel;
  StdEditControl fileName;
  StdButtonControl browse;
  StdStaticControl folder;
  StdButtonControl ok;
  StdButtonControl cancel;
  bool FileFormDone = false;
  bool FileFormOk = false;

  const FileFormKind* kind = nullptr;
};

void Trace(const FileFormKind& kind, const char* before, const char* after) {
  std::string text = std::string(before) + kind.name + after;
  FormTrace(text.c_str());
}

Rect Pixels(FileForm& form, Box box) { return PelScaleBox(form.window, box.left, box.top, box.right, box.bottom); }

void MakeStatic(FileForm& form, StdStaticControl& control, Box box, std::string_view text, uint32_t style,
                Colour colour) {
  PelSetBackgroundColour(form.window, colour);
  Rect r = Pixels(form, box);
  CreateStdStatic(control, form.window, text, style, r.x, r.y, r.width, r.height);
  control.UserData = &form;
}

void MakeButton(FileForm& form, StdButtonControl& control, Box box, std::string_view text, uint32_t style,
                void (*onClick)(void*)) {
  PelSetBackgroundColour(form.window, FormColour);
  Rect r = Pixels(form, box);
  CreateStdButton(control, form.window, text, style, r.x, r.y, r.width, r.height);
  control.UserData = &form;
  control.OnClick = onClick;
}

void OnOk(void* data) {
  auto& form = *static_cast<FileForm*>(data);
  form.FileFormOk = true;
  form.FileFormDone = true;
}

void OnCancel(void* data) { static_cast<FileForm*>(data)->FileFormDone = true; }

// The typed name's folder, or the one shown below it when the name has none.
String ChosenFolder(FileForm& form, const String& typed) {
  String folder = DirectoryPart(typed);
  return folder.Empty() ? PelGetText(form.folder.window) : folder;
}

void OnBrowse(void* data) {
  auto& form = *static_cast<FileForm*>(data);
  String typed = PelGetText(form.fileName.window);
  String folder = ChosenFolder(form, typed);
  String name = FileNamePart(typed);
  bool chosen = form.kind->openDialog ? OpenFileDialog(&form.window, CsvFilter, folder, name, "csv")
                                      : SaveFileDialog(&form.window, CsvFilter, folder, name, "csv");
  if (!chosen) return;
  String chosenFolder = DirectoryPart(name);
  if (chosenFolder.Empty()) chosenFolder = CurrentDirectory();
  PelSetText(form.fileName.window, FileNamePart(name).View());
  PelSetText(form.folder.window, chosenFolder.View());
}

int LoadTypeIndex(FileForm& form) {
  String shown = PelGetText(form.loadTypeText.window);
  for (int i = 0; i < LoadTypeCount; ++i) {
    if (shown == LoadTypes[i].text) return i;
  }
  return 0;
}

// A negative delta is the upper arrow, towards the later types.
void OnLoadTypeDelta(void* data, int delta) {
  auto& form = *static_cast<FileForm*>(data);
  int index = LoadTypeIndex(form) + (delta < 0 ? 1 : -1);
  if (index < 0) index = 0;
  if (index > LoadTypeCount - 1) index = LoadTypeCount - 1;
  PelSetText(form.loadTypeText.window, LoadTypes[index].text);
}

intptr_t FileFormInitialise(PelWindow* window) {
  auto& form = *reinterpret_cast<FileForm*>(window);
  const FileFormKind& kind = *form.kind;
  Trace(kind, "", "FormInitialise");
  PelSetClientSize(form.window, PelScaleX(form.window, FormWidth), PelScaleY(form.window, FormHeight));
  PelSetTextColour(form.window, SystemColour(COLOR_WINDOWTEXT));
  PelSetFont(form.window, "Arial", PelScaleY(form.window, 10), false, false, false);
  if (&kind == &LoadSetupKind) {
    MakeStatic(form, form.loadTypeLabel, LoadTypeLabelBox, "Load type", 0, FormColour);
    MakeStatic(form, form.loadTypeText, LoadTypeTextBox, "", SS_LEFTNOWORDWRAP, FieldColour);
    PelSetBackgroundColour(form.window, FormColour);
    Rect r = Pixels(form, LoadTypeArrowsBox);
    CreateStdUpDown(form.loadTypeArrows, form.window, "", r.x, r.y, r.width, r.height);
    form.loadTypeArrows.UserData = &form;
    form.loadTypeArrows.OnDelta = OnLoadTypeDelta;
  }
  MakeStatic(form, form.fileLabel, FileLabelBox, "File name", SS_LEFTNOWORDWRAP, FormColour);
  PelSetBackgroundColour(form.window, FieldColour);
  Rect r = Pixels(form, FileNameBox);
  CreateStdEdit(form.fileName, form.window, "", ES_AUTOHSCROLL, r.x, r.y, r.width, r.height);
  form.fileName.UserData = &form;
  // Enter in the name takes it, as the form's default button does.
  form.fileName.OnEnter = OnOk;
  MakeButton(form, form.browse, BrowseBox, "...", 0, OnBrowse);
  MakeStatic(form, form.folder, FolderBox, "", SS_LEFTNOWORDWRAP, FieldColour);
  MakeButton(form, form.ok, kind.okBox, kind.okText, BS_DEFPUSHBUTTON, OnOk);
  MakeButton(form, form.cancel, kind.cancelBox, "Cancel", 0, OnCancel);
  PelSetBackgroundColour(form.window, FormColour);
  return 0;
}

intptr_t FileFormFinalise(PelWindow* window) {
  auto& form = *reinterpret_cast<FileForm*>(window);
  Trace(*form.kind, "", "FormFinalise");
  DestroyStdControlIfMade(form.loadTypeLabel);
  DestroyStdControlIfMade(form.loadTypeText);
  DestroyStdControlIfMade(form.loadTypeArrows);
  DestroyStdControlIfMade(form.fileLabel);
  DestroyStdControlIfMade(form.fileName);
  DestroyStdControlIfMade(form.browse);
  DestroyStdControlIfMade(form.folder);
  DestroyStdControlIfMade(form.ok);
  DestroyStdControlIfMade(form.cancel);
  return 0;
}

intptr_t FileFormMinMax(PelWindow* window, int32_t* sizes) {
  sizes[0] = sizes[2] = PelScaleX(*window, FormWidth);
  sizes[1] = sizes[3] = PelScaleY(*window, FormHeight);
  return Handled;
}

intptr_t FileFormSetFocus(PelWindow* window) {
  PelSetFocus(reinterpret_cast<FileForm*>(window)->fileName.window);
  return Handled;
}

intptr_t FileFormClose(PelWindow* window) {
  reinterpret_cast<FileForm*>(window)->FileFormDone = true;
  return Handled;
}

const PelVTable FileFormTable{
    .OnCreate = FileFormInitialise,
    .OnDestroy = FileFormFinalise,
    .OnGetMinMaxInfo = FileFormMinMax,
    .OnSetFocus = FileFormSetFocus,
    .OnClose = FileFormClose,
};

String InitialFileName(const FileFormKind& kind, const UnitInfo& unit) {
  String name;
  switch (kind.initialName) {
    case InitialName::Modbus:
      name = UnitSummary(unit, false);
      name += " Modbus.csv";
      break;
    case InitialName::Fieldbus:
      name = UnitSummary(unit, false);
      name += " Fieldbus.csv";
      break;
    case InitialName::Setup:
      name = UnitSummary(unit, true);
      name += ".csv";
      break;
    case InitialName::None: break;
  }
  return name;
}

bool Transfer(FileForm& form, const UnitInfo& unit, const String& fullName) {
  if (form.kind == &GenerateModbusKind) return DoGenerateModbus(form.window, unit, fullName);
  if (form.kind == &GenerateFieldbusKind) return DoGenerateFieldbus(form.window, unit, fullName);
  if (form.kind == &SaveSetupKind) return DoSaveSetup(form.window, unit, fullName);
  return DoLoadSetup(form.window, unit, fullName, LoadTypeIndex(form));
}

// True when a transfer was started.
bool RunFileForm(const FileFormKind& kind, PelWindow& owner, const UnitInfo& unit) {
  String folder = ReadToolSetting(kind.folderSetting);
  // The first time, where the operator keeps documents: not wherever the program was
  // started from.
  if (folder.Empty()) folder = DocumentsFolder();
  FileForm form;
  form.kind = &kind;
  Trace(kind, "Create", "Form");
  if (!CreatePelWindow(form.window, &FileFormTable, &owner, kind.title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0,
                       "", -1, -1, -1, -1)) {
    return false;
  }
  PelShowCommand(form.window, SW_SHOWNORMAL);
  if (&kind == &LoadSetupKind) PelSetText(form.loadTypeText.window, LoadTypes[0].text);
  PelSetText(form.fileName.window, InitialFileName(kind, unit).View());
  PelSetText(form.folder.window, folder.View());
  RunModalLoop(owner, form.FileFormDone);

  bool started = false;
  if (form.FileFormOk) {
    String typed = PelGetText(form.fileName.window);
    String chosenFolder = ChosenFolder(form, typed);
    String file = FileNamePart(typed);
    if (!file.Empty()) {
      String fullName = AddSeparator(chosenFolder);
      fullName += file.View();
      PelSetText(form.window, kind.workingTitle);
      Transfer(form, unit, fullName);
      WriteToolSetting(kind.folderSetting, chosenFolder);
      started = true;
    } else {
      ShowMessage("No file selected", "Error", MessageIconError);
    }
  }
  ReleaseModalOwner(owner);
  Trace(kind, "Destroy", "Form");
  DestroyPelWindow(form.window);
  return started;
}

}  // namespace

void RunGenerateModbusForm(PelWindow& owner, const UnitInfo& unit) { RunFileForm(GenerateModbusKind, owner, unit); }

void RunGenerateFieldbusForm(PelWindow& owner, const UnitInfo& unit) {
  RunFileForm(GenerateFieldbusKind, owner, unit);
}

void RunSaveSetupForm(PelWindow& owner, const UnitInfo& unit) { RunFileForm(SaveSetupKind, owner, unit); }

bool RunLoadSetupForm(PelWindow& owner, const UnitInfo& unit) { return RunFileForm(LoadSetupKind, owner, unit); }
