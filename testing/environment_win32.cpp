#include <cstdlib>

#include "testing/environment.h"

// The C library's copy of the environment, which getenv reads.
void SetVariable(const std::string& name, const std::string& value) {
  _putenv((name + "=" + value).c_str());
}

// "NAME=" removes the variable.
void UnsetVariable(const std::string& name) { _putenv((name + "=").c_str()); }
