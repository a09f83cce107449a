#include "ops/operation_hooks.h"

bool Confirmed(const OperationHooks& hooks, const String& question) {
  return hooks.confirm == nullptr || hooks.confirm(question);
}

WorkingScope::WorkingScope(const OperationHooks& hooks) : hooks_(hooks) {
  if (hooks_.working != nullptr) hooks_.working(true);
}

WorkingScope::~WorkingScope() {
  if (hooks_.working != nullptr) hooks_.working(false);
}
