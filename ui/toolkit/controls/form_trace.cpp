#include "ui/toolkit/controls/form_trace.h"

#include "runtime/console_streams.h"
#include "runtime/log.h"
#include "runtime/stream.h"

namespace {
bool logOnly = false;
}  // namespace

void FormTrace(const char* name) {
  Stream& stream = logOnly ? LogStream : StandardError;
  PutText(stream, "\r\n");
  PutText(stream, name);
}

void KeepFormTraceInTheLog(bool only) { logOnly = only; }
