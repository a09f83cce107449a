#include "ui/toolkit/controls/form_trace.h"

#include "runtime/console_streams.h"
#include "runtime/stream.h"

void FormTrace(const char* name) {
  PutText(StandardError, "\r\n");
  PutText(StandardError, name);
}
