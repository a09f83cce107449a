#include "ui/tool/file_commands.h"

#include "ui/tool/configuration_form.h"
#include "ui/tool/connection_state.h"
#include "ui/tool/file_forms.h"
#include "ui/tool/settings_area.h"
#include "ui/tool/tool_form.h"

namespace {

ToolForm& FormOf(void* data) { return *static_cast<ToolForm*>(data); }

}  // namespace

void OnRefreshClick(void* data) { RefreshSettingsArea(FormOf(data)); }

void OnGenerateModbusClick(void* data) {
  ToolForm& form = FormOf(data);
  RunGenerateModbusForm(form.window, form.SelectedUnit);
}

void OnGenerateFieldbusClick(void* data) {
  ToolForm& form = FormOf(data);
  RunGenerateFieldbusForm(form.window, form.SelectedUnit);
}

void OnSaveSetupClick(void* data) {
  ToolForm& form = FormOf(data);
  RunSaveSetupForm(form.window, form.SelectedUnit);
}

// The unit restarts on the setup it was given: the operator connects again afterwards.
void OnLoadSetupClick(void* data) {
  ToolForm& form = FormOf(data);
  if (RunLoadSetupForm(form.window, form.SelectedUnit)) EnterDisconnectedState(form);
  RefreshSettingsArea(form);
}

void OnMenuClick(void* data) { RunConfigurationForm(FormOf(data).window); }
