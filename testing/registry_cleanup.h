// For tests: the registry key QUARNET_SETTINGS_KEY names removed with everything under
// it; nothing to do where settings live in a file.
#pragma once

void RemoveSettingsKey();
