#include "ui/toolkit/form_trace.h"

#include "generic/stream.h"
#include "runtime/console_streams.h"

void FormTrace(const char* name) {
  PutText(StandardError, "\r\n");
  PutText(StandardError, name);
}
