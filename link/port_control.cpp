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

// Whether the lock file was made by this program rather than found: one found belongs
// to the program that holds the port (or to one that crashed), and a failed open must
// leave it where it is.
bool lockFileCreated = false;

// The first refusal for want of permission since it was last forgotten.
PermissionRefusal permissionRefusal;

bool OpenLink() {
  return OpenCommPortOverlapped(LinkPort, PortNumber, BaudRate, StopBitCode, EvenParity, EvenParity,
                                false, PortTimeoutMs);
}

void TraceStep(const char* operation, const char* step) {
  PutText(DetailStream, operation);
  PutText(DetailStream, step);
  if (PortNumber == PathPortNumber) {
    PutString(DetailStream, PortPath);
  } else {
    PutInt(DetailStream, PortNumber);
  }
}

// "lockVelantorCommPort<n>" for COM port n, as the cooperating tools look for it; a
// port named by its path has its full path in the name, '/' written as '_'
// ("lockVelantorCommPort_dev_pts_5"), so that two ports never share a lock file.
String LockFileLeaf() {
  String leaf = "lockVelantorCommPort";
  if (PortNumber != PathPortNumber) {
    StringStream name(leaf);
    PutInt(name, PortNumber);
    return leaf;
  }
  String path = FullPath(PortPath);
  for (char c : path.View()) leaf += c == '/' ? '_' : c;
  return leaf;
}

// "COM<port>:<err>:<syserr>", and on Linux the way to get access when the user may
// not open serial ports at all.
void ReportOtherOpenError() {
  PutLine(DebugStream, PortName(PortNumber), ":", LastPortErrorNumber(), ":", PortErrorText());
  if (LastPortError() == PortPermissionDenied) {
    PutText(ReportStream,
        "Serial ports need membership of the dialout group: sudo usermod -aG dialout $USER, then log in "
        "again\r\n");
  }
}

void DeleteLockFile() {
  if (!DeleteFile(LockFileName)) {
    PutLine(DebugStream, "Cannot delete lock file ", LockFileName);
    PutLine(DebugStream, LastOsError());
  }
  LockFileName.Clear();
}

void CreateLockFile() {
  String directory = GetEnvironment("VELANTORLOCKDIR");
  if (directory.Empty()) {
    LockFileName.Clear();
    return;
  }
  PutLine(DetailStream, "OpenPort creating lock file: ", directory);
  LockFileName = Concatenate(AddSeparator(directory), LockFileLeaf());
  int descriptor = CreateWrite(LockFileName, false);
  lockFileCreated = descriptor >= 0;
  if (descriptor < 0 && LastOsErrorNumber() == EEXIST) descriptor = CreateWrite(LockFileName, true);
  if (descriptor < 0) {
    PutLine(DebugStream, "Cannot create lock file ", LockFileName);
    PutLine(DebugStream, "Error: ", LastOsError());
    return;
  }
  CloseDescriptor(descriptor);
}

}  // namespace

bool OpenPort() {
  CreateLockFile();
  bool dots = false;
  for (int attempt = 1; attempt <= OpenAttempts && !ExitRequested; ++attempt) {
    TraceStep("OpenPort", " opening comm port: ");
    PutLine(DetailStream, " ", BaudRate);
    if (OpenLink()) break;
    PortError error = LastPortError();
    if (error == PortPermissionDenied && permissionRefusal.port == 0) {
      permissionRefusal = PermissionRefusal{PortNumber, LastPortErrorNumber()};
    }
    if (error == PortInUse || error == PortAccessDenied) {
      PutText(ReportStream, ".");
      dots = true;
      if (attempt < OpenAttempts) SleepMilliseconds(OpenRetryMs);
      continue;
    }
    if (error == PortNotPresent) {
      PutLine(DebugStream, PortName(PortNumber), " is not present on this computer");
    } else if (error == PortInvalidParameter) {
      PutLine(DebugStream, PortName(PortNumber), " does not support requested baud rate");
    } else {
      ReportOtherOpenError();
    }
    break;
  }
  if (dots) PutText(ReportStream, "\r\n");
  if (!IsPortOpen() && !LockFileName.Empty() && !lockFileCreated) LockFileName.Clear();
  if (!IsPortOpen() && !LockFileName.Empty()) {
    PutLine(DetailStream, "OpenPort deleting lock file: ", LockFileName);
    DeleteLockFile();
  }
  return IsPortOpen();
}

void ClosePort() {
  if (IsPortOpen()) {
    TraceStep("ClosePort", " closing comm port: ");
    PutText(DetailStream, "\r\n");
    CloseCommPortOverlapped(LinkPort);
  }
  if (!LockFileName.Empty()) {
    PutLine(DetailStream, "ClosePort deleting lock file: ", LockFileName);
    DeleteLockFile();
  }
}

bool ChangeBaudRate() {
  if (IsPortOpen()) {
    TraceStep("ChangeBaudRate", " closing comm port: ");
    PutText(DetailStream, "\r\n");
    CloseCommPortOverlapped(LinkPort);
  }
  for (int attempt = 1; attempt <= ReopenAttempts; ++attempt) {
    TraceStep("ChangeBaudRate", " opening comm port: ");
    PutLine(DetailStream, " ", BaudRate);
    if (OpenLink()) return true;
    PutText(DebugStream, "Error re-opening port: ");
    switch (LastPortError()) {
      case PortNotPresent:
        PutLine(DebugStream, PortName(PortNumber), " is not present on this computer");
        break;
      case PortAccessDenied:
      case PortInUse:
        PutLine(DebugStream, PortName(PortNumber), " is being used by another application");
        break;
      case PortInvalidParameter:
        PutLine(DebugStream, PortName(PortNumber), " does not support requested baud rate");
        return false;
      default:
        ReportOtherOpenError();
        break;
    }
    if (attempt == ReopenAttempts) {
      // The cause alone ("Error: No such file or directory") does not tell the
      // operator which port went away, nor what to do.
      FatalError(TextOf(PortName(PortNumber), " could not be opened again: ",
                        PortErrorText().View().substr(std::string_view("Error: ").size()),
                        ". Check the cable or the USB adapter, then connect again."));
    }
    SleepMilliseconds(ReopenRetryMs);
  }
  return false;
}

bool IsPortOpen() { return IsOpen(LinkPort); }

PermissionRefusal FirstPermissionRefusal() { return permissionRefusal; }

void ForgetPermissionRefusal() { permissionRefusal = PermissionRefusal{}; }

bool LinkVanished() { return IsPortOpen() && LinkPort.vanished; }

std::string_view PortOpenFailureText(PortError error) {
  switch (error) {
    case PortNotPresent: return " is not present on this computer\r\n";
    case PortAccessDenied:
    case PortInUse: return " is being used by another application\r\n";
    case PortInvalidParameter: return " does not support requested baud rate\r\n";
    default: return "";
  }
}
