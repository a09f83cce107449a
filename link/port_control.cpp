#include "link/port_control.h"

#include <cerrno>

#include "runtime/clock.h"
#include "runtime/files.h"
#include "runtime/log.h"
#include "runtime/path.h"
#include "runtime/program_state.h"

OverlappedPort LinkPort;
String LockFileName;

namespace {

constexpr int OpenAttempts = 100;
constexpr uint32_t OpenRetryMs = 100;
constexpr int ReopenAttempts = 20;
constexpr uint32_t ReopenRetryMs = 25;
// Two stop bits; the port never waits itself: packet framing does its own waiting.
constexpr int StopBitCode = 2;
constexpr int16_t PortTimeoutMs = 0;

void Put(Stream& stream, std::string_view text) { PutText(stream, text); }

void PutPortName(Stream& stream) {
  Put(stream, "COM");
  PutInt(stream, PortNumber);
}

bool OpenLink() {
  return OpenCommPortOverlapped(LinkPort, PortNumber, BaudRate, StopBitCode, EvenParity, EvenParity,
                                false, PortTimeoutMs);
}

void TraceStep(const char* operation, const char* step) {
  Put(DetailStream, operation);
  Put(DetailStream, step);
  PutInt(DetailStream, PortNumber);
}

// "COM<port>:<err>:<syserr>", and on Linux the way to get access when the user may
// not open serial ports at all.
void ReportOtherOpenError() {
  PutPortName(DebugStream);
  Put(DebugStream, ":");
  PutInt(DebugStream, LastPortErrorNumber());
  Put(DebugStream, ":");
  PutString(DebugStream, PortErrorText());
  Put(DebugStream, "\r\n");
  if (LastPortErrorNumber() == EACCES || LastPortErrorNumber() == EPERM) {
    Put(ReportStream,
        "Serial ports need membership of the dialout group: sudo usermod -aG dialout $USER, then log in "
        "again\r\n");
  }
}

void DeleteLockFile() {
  if (!DeleteFile(LockFileName)) {
    Put(DebugStream, "Cannot delete lock file ");
    PutString(DebugStream, LockFileName);
    Put(DebugStream, "\r\n");
    PutString(DebugStream, LastOsError());
    Put(DebugStream, "\r\n");
  }
  LockFileName.Clear();
}

void CreateLockFile() {
  String directory = GetEnvironment("VELANTORLOCKDIR");
  if (directory.Empty()) {
    LockFileName.Clear();
    return;
  }
  Put(DetailStream, "OpenPort creating lock file: ");
  PutString(DetailStream, directory);
  Put(DetailStream, "\r\n");
  LockFileName = AddSeparator(directory);
  LockFileName += "lockVelantorCommPort";
  StringStream name(LockFileName);
  PutInt(name, PortNumber);
  int descriptor = CreateWrite(LockFileName, true);
  if (descriptor < 0) {
    Put(DebugStream, "Cannot create lock file ");
    PutString(DebugStream, LockFileName);
    Put(DebugStream, "\r\n");
    PutString(DebugStream, Concatenate("Error: ", LastOsError()));
    Put(DebugStream, "\r\n");
    return;
  }
  CloseDescriptor(descriptor);
}

}  // namespace

bool OpenPort() {
  CreateLockFile();
  bool dots = false;
  for (int attempt = 1; attempt <= OpenAttempts; ++attempt) {
    TraceStep("OpenPort", " opening comm port: ");
    Put(DetailStream, " ");
    PutInt(DetailStream, BaudRate);
    Put(DetailStream, "\r\n");
    if (OpenLink()) break;
    PortError error = LastPortError();
    if (error == PortInUse || error == PortAccessDenied) {
      Put(ReportStream, ".");
      dots = true;
      if (attempt < OpenAttempts) SleepMilliseconds(OpenRetryMs);
      continue;
    }
    if (error == PortNotPresent) {
      PutPortName(DebugStream);
      Put(DebugStream, " is not present on this computer\r\n");
    } else if (error == PortInvalidParameter) {
      PutPortName(DebugStream);
      Put(DebugStream, " does not support requested baud rate\r\n");
    } else {
      ReportOtherOpenError();
    }
    break;
  }
  if (dots) Put(ReportStream, "\r\n");
  if (!IsPortOpen() && !LockFileName.Empty()) {
    Put(DetailStream, "OpenPort deleting lock file: ");
    PutString(DetailStream, LockFileName);
    Put(DetailStream, "\r\n");
    DeleteLockFile();
  }
  return IsPortOpen();
}

void ClosePort() {
  if (IsPortOpen()) {
    TraceStep("ClosePort", " closing comm port: ");
    Put(DetailStream, "\r\n");
    CloseCommPortOverlapped(LinkPort);
  }
  if (!LockFileName.Empty()) {
    Put(DetailStream, "ClosePort deleting lock file: ");
    PutString(DetailStream, LockFileName);
    Put(DetailStream, "\r\n");
    DeleteLockFile();
  }
}

bool ChangeBaudRate() {
  if (IsPortOpen()) {
    TraceStep("ChangeBaudRate", " closing comm port: ");
    Put(DetailStream, "\r\n");
    CloseCommPortOverlapped(LinkPort);
  }
  for (int attempt = 1; attempt <= ReopenAttempts; ++attempt) {
    TraceStep("ChangeBaudRate", " opening comm port: ");
    Put(DetailStream, " ");
    PutInt(DetailStream, BaudRate);
    Put(DetailStream, "\r\n");
    if (OpenLink()) return true;
    Put(DebugStream, "Error re-opening port: ");
    switch (LastPortError()) {
      case PortNotPresent:
        PutPortName(DebugStream);
        Put(DebugStream, " is not present on this computer\r\n");
        break;
      case PortAccessDenied:
      case PortInUse:
        PutPortName(DebugStream);
        Put(DebugStream, " is being used by another application\r\n");
        break;
      case PortInvalidParameter:
        PutPortName(DebugStream);
        Put(DebugStream, " does not support requested baud rate\r\n");
        return false;
      default:
        ReportOtherOpenError();
        break;
    }
    if (attempt == ReopenAttempts) FatalError(PortErrorText());
    SleepMilliseconds(ReopenRetryMs);
  }
  return false;
}

bool IsPortOpen() { return IsOpen(LinkPort); }

std::string_view PortOpenFailureText(PortError error) {
  switch (error) {
    case PortNotPresent: return " is not present on this computer\r\n";
    case PortAccessDenied:
    case PortInUse: return " is being used by another application\r\n";
    case PortInvalidParameter: return " does not support requested baud rate\r\n";
    default: return "";
  }
}
