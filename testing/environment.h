// For tests: environment variables set and removed the same way on every system.
#pragma once

#include <string>

void SetVariable(const std::string& name, const std::string& value);
void UnsetVariable(const std::string& name);
