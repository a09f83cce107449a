#include "ui/tool/configuration_form.h"

#include "ui/toolkit/controls/form_trace.h"
#include "ui/toolkit/controls/modal_form.h"
#include "ui/toolkit/controls/std_controls.h"

namespace {

constexpr int FormWidth = 750;
constexpr int FormHeight = 450;
constexpr Colour FormColour = Rgb(140, 215, 255);
constexpr Colour FieldColour = Rgb(235, 250, 255);

struct ConfigurationForm {
  PelWindow window;
  StdTreeViewControl tree;
  bool done = false;
};

intptr_t ConfigurationFormInitialise(PelWindow* window) {
  auto& form = *reinterpret_cast<ConfigurationForm*>(window);
  FormTrace("ConfigurationFormInitialise");
  PelSetClientSize(form.window, PelScaleX(form.window, FormWidth), PelScaleY(form.window, FormHeight));
  PelSetTextColour(form.window, SystemColour(COLOR_WINDOWTEXT));
  PelSetFont(form.window, "Arial", PelScaleY(form.window, 10), false, false, false);
  PelSetBackgroundColour(form.window, FieldColour);
  Rect r = PelScaleBox(form.window, 10, 10, 195, 440);
  CreateStdTreeView(form.tree, form.window, "", 0, r.x, r.y, r.width, r.height);
  form.tree.UserData = &form;
  PelSetBackgroundColour(form.window, FormColour);
  return 0;
}

intptr_t ConfigurationFormFinalise(PelWindow* window) {
  auto& form = *reinterpret_cast<ConfigurationForm*>(window);
  FormTrace("ConfigurationFormFinalise");
  DestroyStdControlIfMade(form.tree);
  return 0;
}

intptr_t ConfigurationFormMinMax(PelWindow* window, int32_t* sizes) {
  sizes[0] = sizes[2] = PelScaleX(*window, FormWidth);
  sizes[1] = sizes[3] = PelScaleY(*window, FormHeight);
  return Handled;
}

intptr_t ConfigurationFormClose(PelWindow* window) {
  reinterpret_cast<ConfigurationForm*>(window)->done = true;
  return Handled;
}

const PelVTable ConfigurationFormTable{
    .OnCreate = ConfigurationFormInitialise,
    .OnDestroy = ConfigurationFormFinalise,
    .OnGetMinMaxInfo = ConfigurationFormMinMax,
    .OnClose = ConfigurationFormClose,
};

}  // namespace

void RunConfigurationForm(PelWindow& owner) {
  ConfigurationForm form;
  FormTrace("CreateConfigurationForm");
  if (!CreatePelWindow(form.window, &ConfigurationFormTable, &owner, "Configuration",
                       WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, "", -1, -1, -1, -1)) {
    return;
  }
  PelShowCommand(form.window, SW_SHOWNORMAL);
  RunModalLoop(owner, form.done);
  ReleaseModalOwner(owner);
  FormTrace("DestroyConfigurationForm");
  DestroyPelWindow(form.window);
}
