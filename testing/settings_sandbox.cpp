#include "testing/settings_sandbox.h"

#include <random>

#include "testing/registry_cleanup.h"

namespace {

std::string FreshKey() {
  std::random_device random;
  return "SOFTWARE\\Quarnet tests\\" + std::to_string(random() % 1000000000);
}

}  // namespace

SettingsSandbox::SettingsSandbox(const std::string& folder)
    : configHome_("XDG_CONFIG_HOME", folder), registryKey_("QUARNET_SETTINGS_KEY", FreshKey()) {}

SettingsSandbox::~SettingsSandbox() { RemoveSettingsKey(); }
