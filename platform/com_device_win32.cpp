// A COM port on Windows: the communications device opened for overlapped I/O, unshared,
// so that a second opener (another Quarnet, a terminal program) is refused with access
// denied while this program holds it. Reads return at once with what has arrived;
// writes are handed to the driver and run in the background while the driver above
// goes on, as on a tty whose kernel buffer takes them.
#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/port_names.h"
#include "platform/serial_port.h"
#include "runtime/program_state.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

// The driver queues of the original platform, each way.
constexpr DWORD QueueBytes = 20000;
// Writes handed to the driver at once: the next is queued behind the one on the line,
// so the line does not pause between them while this program notices the first done.
constexpr size_t WriteSlots = 4;
// Where the driver's character events do not come (Wine emulates them by polling, and
// may not), the wait for input still looks at the input queue this often.
constexpr DWORD InputPollMs = 10;
// A read of bytes already queued ends at once; this bounds it where it does not.
constexpr DWORD ReadCompletionMs = 100;

// "\\.\COM3" -> "The system cannot find the file specified": the system's own text, as
// the operator's messages quote it after "Error: ", without its closing full stop.
std::string SystemText(DWORD error) {
  char text[256];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                text, sizeof text, nullptr);
  std::string_view words(text, length);
  while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ' ||
                            words.back() == '.')) {
    words.remove_suffix(1);
  }
  if (words.empty()) return "system error " + std::to_string(error);
  return std::string(words);
}

// Records the failure for the driver above; the system's last error is left at it too,
// for the error reports that read it.
bool Fail(PortError error, DWORD systemError) {
  SetLastPortError(error, static_cast<int>(systemError), SystemText(systemError));
  SetLastError(systemError);
  return false;
}

int FailedTransfer(DWORD systemError) {
  Fail(PortOtherError, systemError);
  return -1;
}

PortError OpenError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return PortNotPresent;
    case ERROR_ACCESS_DENIED: return PortAccessDenied;
    case ERROR_SHARING_VIOLATION: return PortInUse;
    case ERROR_INVALID_PARAMETER: return PortInvalidParameter;
    default: return PortOtherError;
  }
}

// The line format of every open and settings change; what it does not name stays as
// the port had it.
void SetLineFormat(DCB& control, const LineSettings& line) {
  control.BaudRate = line.baud;
  control.ByteSize = 8;
  control.StopBits = line.stopBitCode == 1 ? ONESTOPBIT : TWOSTOPBITS;
  control.Parity = !line.parityOn ? NOPARITY : line.even ? EVENPARITY : ODDPARITY;
  control.fParity = line.parityOn;
  control.fOutxCtsFlow = line.ctsFlow;
  control.fOutxDsrFlow = FALSE;
  control.fDtrControl = DTR_CONTROL_ENABLE;
  control.fDsrSensitivity = FALSE;
  control.fOutX = FALSE;
  control.fInX = FALSE;
  control.fNull = FALSE;
  control.fRtsControl = RTS_CONTROL_ENABLE;
  control.fAbortOnError = FALSE;
  control.fBinary = TRUE;
}

uint32_t LineErrorBits(DWORD errors) {
  uint32_t bits = 0;
  if (errors & CE_FRAME) bits |= LineFramingError;
  if (errors & CE_OVERRUN) bits |= LineOverrun;
  if (errors & CE_RXPARITY) bits |= LineParityError;
  if (errors & CE_BREAK) bits |= LineBreak;
  // The input queue ran full (CE_RXOVER) and the rest.
  if (errors & ~static_cast<DWORD>(CE_FRAME | CE_OVERRUN | CE_RXPARITY | CE_BREAK)) bits |= LineOtherError;
  return bits;
}

std::chrono::milliseconds LineTime(uint64_t bytes, const LineSettings& line) {
  int bitsPerByte = 1 + 8 + (line.parityOn ? 1 : 0) + (line.stopBitCode == 1 ? 1 : 2);
  return std::chrono::milliseconds(bytes * bitsPerByte * 1000 / line.baud);
}

// What is left of a wait that ends at `deadline`, in whole milliseconds rounded up, so
// that a wait never ends before its limit.
DWORD MillisecondsLeft(SteadyClock::time_point deadline) {
  auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now());
  return static_cast<DWORD>(std::clamp<int64_t>(left.count(), 0, INFINITE - 1));
}

HANDLE ManualResetEvent() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }

class ComDevice : public SerialDevice {
 public:
  // nullptr and LastPortError() when the device is absent, held or no comm device.
  static std::unique_ptr<ComDevice> Open(const String& path);
  ~ComDevice() override;
  ComDevice(const ComDevice&) = delete;
  ComDevice& operator=(const ComDevice&) = delete;

  bool Configure(const LineSettings& settings) override;
  void Purge() override;
  uint32_t TakeLineErrors() override;
  int Read(uint8_t* buffer, int count) override;
  int Write(const uint8_t* bytes, int count) override;
  // A device error ends the waits too, so that the next Read or Write reports it.
  bool WaitForInput(uint32_t milliseconds) override;
  bool WaitForOutputRoom(uint32_t milliseconds) override;
  // Gives up after the line time of what is queued plus one second: a peer that holds
  // CTS off never lets the queue empty.
  bool Drain() override;

 private:
  // One write handed to the driver; its bytes stay here until it is done.
  struct WriteSlot {
    OVERLAPPED overlapped{};
    HANDLE event = nullptr;
    std::vector<uint8_t> bytes;
  };

  explicit ComDevice(HANDLE handle) : handle_(handle) {}
  bool Prepare();
  bool ReadStatus(COMSTAT& status);
  bool RetireWrites();
  bool WaitForOldestWrite(DWORD milliseconds);
  bool ArmCharacterEvent();
  void AwaitCancelled(OVERLAPPED& overlapped);
  bool WriteRoom() const { return writesInUse_ < WriteSlots && bytesInFlight_ < QueueBytes; }
  WriteSlot& OldestWrite() { return writes_[oldestWrite_]; }

  HANDLE handle_;
  HANDLE readEvent_ = nullptr;
  OVERLAPPED characterWait_{};
  DWORD eventsSeen_ = 0;
  bool characterWaitPending_ = false;
  bool characterEventsWork_ = true;
  std::array<WriteSlot, WriteSlots> writes_;
  size_t oldestWrite_ = 0;
  size_t writesInUse_ = 0;
  DWORD bytesInFlight_ = 0;
  // A write that failed in the background, reported by the next Write.
  DWORD writeFailure_ = ERROR_SUCCESS;
  // ClearCommError takes the errors it reports, whoever calls it; they wait here for
  // TakeLineErrors.
  DWORD lineErrors_ = 0;
  LineSettings settings_;
};

std::unique_ptr<ComDevice> ComDevice::Open(const String& path) {
  HANDLE handle = CreateFileA(path.Data(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    Fail(OpenError(error), error);
    return nullptr;
  }
  std::unique_ptr<ComDevice> device(new ComDevice(handle));
  if (!device->Prepare()) {
    DWORD error = GetLastError();
    device.reset();
    Fail(PortOtherError, error);
    return nullptr;
  }
  return device;
}

// False with the system's last error at the step that failed; a file or a device that
// is no comm device (\\.\NUL) fails here.
bool ComDevice::Prepare() {
  readEvent_ = ManualResetEvent();
  characterWait_.hEvent = ManualResetEvent();
  if (readEvent_ == nullptr || characterWait_.hEvent == nullptr) return false;
  for (WriteSlot& slot : writes_) {
    slot.event = ManualResetEvent();
    if (slot.event == nullptr) return false;
  }
  if (!SetupComm(handle_, QueueBytes, QueueBytes)) return false;
  COMMTIMEOUTS timeouts{};
  if (!GetCommTimeouts(handle_, &timeouts)) return false;
  // Reads return at once with what is buffered; writes have no time limit of their
  // own, the driver above keeps it.
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  timeouts.WriteTotalTimeoutMultiplier = 0;
  timeouts.WriteTotalTimeoutConstant = 0;
  if (!SetCommTimeouts(handle_, &timeouts)) return false;
  return SetCommMask(handle_, EV_RXCHAR);
}

// Every operation still under way is cancelled and waited for before the handle goes:
// the system writes into its OVERLAPPED block and buffer until it ends.
ComDevice::~ComDevice() {
  CancelIoEx(handle_, nullptr);
  if (characterWaitPending_) AwaitCancelled(characterWait_);
  for (; writesInUse_ > 0; --writesInUse_) {
    AwaitCancelled(OldestWrite().overlapped);
    oldestWrite_ = (oldestWrite_ + 1) % WriteSlots;
  }
  CloseHandle(handle_);
  for (WriteSlot& slot : writes_) {
    if (slot.event != nullptr) CloseHandle(slot.event);
  }
  if (characterWait_.hEvent != nullptr) CloseHandle(characterWait_.hEvent);
  if (readEvent_ != nullptr) CloseHandle(readEvent_);
}

void ComDevice::AwaitCancelled(OVERLAPPED& overlapped) {
  DWORD transferred = 0;
  GetOverlappedResult(handle_, &overlapped, &transferred, TRUE);
}

bool ComDevice::Configure(const LineSettings& line) {
  if (line.baud == 0) return Fail(PortInvalidParameter, ERROR_INVALID_PARAMETER);
  DCB control{};
  control.DCBlength = sizeof control;
  if (!GetCommState(handle_, &control)) return Fail(PortOtherError, GetLastError());
  SetLineFormat(control, line);
  // A driver refuses a speed it cannot run at with ERROR_INVALID_PARAMETER.
  if (!SetCommState(handle_, &control)) {
    DWORD error = GetLastError();
    return Fail(error == ERROR_INVALID_PARAMETER ? PortInvalidParameter : PortOtherError, error);
  }
  settings_ = line;
  return true;
}

// Writes under way end aborted; they are retired at once, their bytes dropped with the
// driver's queue. Wine's purge leaves them pending until the line takes their bytes,
// which a peer holding the line never does; cancelling them ends them there too.
void ComDevice::Purge() {
  PurgeComm(handle_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
  for (size_t i = 0; i < writesInUse_; ++i) {
    CancelIoEx(handle_, &writes_[(oldestWrite_ + i) % WriteSlots].overlapped);
  }
  for (; writesInUse_ > 0; --writesInUse_) {
    AwaitCancelled(OldestWrite().overlapped);
    bytesInFlight_ -= static_cast<DWORD>(OldestWrite().bytes.size());
    oldestWrite_ = (oldestWrite_ + 1) % WriteSlots;
  }
}

bool ComDevice::ReadStatus(COMSTAT& status) {
  DWORD errors = 0;
  if (!ClearCommError(handle_, &errors, &status)) return false;
  lineErrors_ |= errors;
  return true;
}

uint32_t ComDevice::TakeLineErrors() {
  COMSTAT status{};
  ReadStatus(status);
  return LineErrorBits(std::exchange(lineErrors_, 0));
}

// Reads only what the input queue holds: Wine leaves even a read of these time-outs
// pending until a byte comes. Should a read stay pending all the same, it is cancelled;
// what it took by then is still its result.
int ComDevice::Read(uint8_t* buffer, int count) {
  COMSTAT status{};
  if (!ReadStatus(status)) return FailedTransfer(GetLastError());
  DWORD wanted = std::min(static_cast<DWORD>(std::max(count, 0)), status.cbInQue);
  if (wanted == 0) return 0;
  OVERLAPPED overlapped{};
  overlapped.hEvent = readEvent_;
  ResetEvent(readEvent_);
  if (!ReadFile(handle_, buffer, wanted, nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING) {
    return FailedTransfer(GetLastError());
  }
  if (WaitForSingleObject(readEvent_, ReadCompletionMs) != WAIT_OBJECT_0) CancelIoEx(handle_, &overlapped);
  DWORD got = 0;
  if (!GetOverlappedResult(handle_, &overlapped, &got, TRUE) && GetLastError() != ERROR_OPERATION_ABORTED) {
    return FailedTransfer(GetLastError());
  }
  return static_cast<int>(got);
}

// Retires the writes the driver has finished, oldest first; false when one of them
// failed, which the next Write reports.
bool ComDevice::RetireWrites() {
  while (writesInUse_ > 0) {
    WriteSlot& slot = OldestWrite();
    DWORD sent = 0;
    if (GetOverlappedResult(handle_, &slot.overlapped, &sent, FALSE)) {
      // Without write time-outs a write ends short only when something stopped it.
      if (sent != slot.bytes.size()) writeFailure_ = ERROR_COUNTER_TIMEOUT;
    } else if (GetLastError() == ERROR_IO_INCOMPLETE) {
      break;
    } else if (GetLastError() != ERROR_OPERATION_ABORTED) {
      writeFailure_ = GetLastError();
    }
    bytesInFlight_ -= static_cast<DWORD>(slot.bytes.size());
    oldestWrite_ = (oldestWrite_ + 1) % WriteSlots;
    --writesInUse_;
  }
  return writeFailure_ == ERROR_SUCCESS;
}

int ComDevice::Write(const uint8_t* bytes, int count) {
  if (!RetireWrites()) return FailedTransfer(writeFailure_);
  if (count <= 0 || !WriteRoom()) return 0;
  DWORD length = std::min(static_cast<DWORD>(count), QueueBytes - bytesInFlight_);
  WriteSlot& slot = writes_[(oldestWrite_ + writesInUse_) % WriteSlots];
  slot.bytes.assign(bytes, bytes + length);
  slot.overlapped = OVERLAPPED{};
  slot.overlapped.hEvent = slot.event;
  ResetEvent(slot.event);
  if (!WriteFile(handle_, slot.bytes.data(), length, nullptr, &slot.overlapped) &&
      GetLastError() != ERROR_IO_PENDING) {
    return FailedTransfer(GetLastError());
  }
  ++writesInUse_;
  bytesInFlight_ += length;
  return static_cast<int>(length);
}

bool ComDevice::WaitForOldestWrite(DWORD milliseconds) {
  return WaitForSingleObject(OldestWrite().event, milliseconds) == WAIT_OBJECT_0;
}

// The device runs in real time whatever clock the program's logic uses, so the waits'
// limits are real time too, as on a tty.
bool ComDevice::WaitForOutputRoom(uint32_t milliseconds) {
  auto deadline = SteadyClock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    if (!RetireWrites() || WriteRoom()) return true;
    DWORD left = MillisecondsLeft(deadline);
    if (left == 0) return false;
    WaitForOldestWrite(left);
  }
}

// True when the event is set or a wait for it is under way; false where the driver
// does not wait for events at all.
bool ComDevice::ArmCharacterEvent() {
  if (characterWaitPending_ || !characterEventsWork_) return characterEventsWork_;
  HANDLE event = characterWait_.hEvent;
  characterWait_ = OVERLAPPED{};
  characterWait_.hEvent = event;
  ResetEvent(event);
  if (WaitCommEvent(handle_, &eventsSeen_, &characterWait_)) return true;
  characterWaitPending_ = GetLastError() == ERROR_IO_PENDING;
  characterEventsWork_ = characterWaitPending_;
  return characterEventsWork_;
}

// The character event is armed before the queue is looked at, so a byte that arrives
// in between still ends the wait.
bool ComDevice::WaitForInput(uint32_t milliseconds) {
  auto deadline = SteadyClock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    bool armed = ArmCharacterEvent();
    COMSTAT status{};
    if (!ReadStatus(status) || status.cbInQue > 0) return true;
    DWORD left = MillisecondsLeft(deadline);
    if (left == 0) return false;
    DWORD slice = std::min(left, InputPollMs);
    if (!armed) {
      Sleep(slice);
    } else if (WaitForSingleObject(characterWait_.hEvent, slice) == WAIT_OBJECT_0 && characterWaitPending_) {
      DWORD transferred = 0;
      GetOverlappedResult(handle_, &characterWait_, &transferred, FALSE);
      characterWaitPending_ = false;
    }
  }
}

bool ComDevice::Drain() {
  COMSTAT status{};
  if (!RetireWrites()) return Fail(PortOtherError, writeFailure_);
  if (!ReadStatus(status)) return Fail(PortOtherError, GetLastError());
  // Windows counts the bytes of writes under way in the output queue, Wine only those
  // its tty holds: the larger count bounds the wait.
  DWORD queued = std::max(status.cbOutQue, bytesInFlight_);
  auto deadline = SteadyClock::now() + LineTime(queued, settings_) + std::chrono::seconds(1);
  while (writesInUse_ > 0 || status.cbOutQue > 0) {
    if (SteadyClock::now() >= deadline) return Fail(PortOtherError, ERROR_TIMEOUT);
    if (ExitRequested) return false;
    if (writesInUse_ > 0) {
      WaitForOldestWrite(1);
    } else {
      Sleep(1);
    }
    if (!RetireWrites()) return Fail(PortOtherError, writeFailure_);
    if (!ReadStatus(status)) return Fail(PortOtherError, GetLastError());
  }
  return true;
}

}  // namespace

std::unique_ptr<SerialDevice> OpenComPort(int port) {
  String path = DevicePathForPort(port);
  if (path.Empty()) {
    Fail(PortNotPresent, ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  return ComDevice::Open(path);
}
