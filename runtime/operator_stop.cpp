#include "runtime/operator_stop.h"

namespace {
String advice;
}  // namespace

void SetStopAdvice(const String& text) { advice = text; }

void ClearStopAdvice() { advice = String(); }

String StopMessage() {
  String message = "Stopped by the operator";
  if (!advice.Empty()) {
    message.Append(". ");
    message.Append(advice.View());
  }
  return message;
}
