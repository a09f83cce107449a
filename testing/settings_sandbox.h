// For tests: the user's settings in a place of the test's own, so that parallel tests
// and the operator's own settings never meet: on Linux the settings file under a
// folder of the test's (XDG_CONFIG_HOME), on Windows a registry key of the test's own
// (QUARNET_SETTINGS_KEY), removed with everything under it when the test ends.
#pragma once

#include <string>

#include "testing/saved_variable.h"

class SettingsSandbox {
 public:
  explicit SettingsSandbox(const std::string& folder);
  ~SettingsSandbox();
  SettingsSandbox(const SettingsSandbox&) = delete;
  SettingsSandbox& operator=(const SettingsSandbox&) = delete;

 private:
  SavedVariable configHome_;
  SavedVariable registryKey_;
};
