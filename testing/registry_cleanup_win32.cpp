#include <cstdlib>

#include "runtime/windows_api.h"
#include "runtime/windows_text.h"
#include "testing/registry_cleanup.h"

void RemoveSettingsKey() {
  const char* key = std::getenv("QUARNET_SETTINGS_KEY");
  if (key != nullptr && *key != '\0') RegDeleteTreeW(HKEY_CURRENT_USER, WideText(key).c_str());
}
