#include "testing/registry_cleanup.h"

void RemoveSettingsKey() {}
