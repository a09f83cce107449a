#include "platform/tty_device.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "platform/port_names.h"
#include "platform/serial_port.h"
#include "platform/tty_speed.h"
#include "runtime/program_state.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

struct StandardSpeed {
  uint32_t baud;
  speed_t code;
};

// The speeds the C library's termios names; any other goes through SetTtySpeed.
constexpr StandardSpeed StandardSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

std::optional<speed_t> StandardSpeedCode(uint32_t baud) {
  for (const StandardSpeed& speed : StandardSpeeds) {
    if (speed.baud == baud) return speed.code;
  }
  return std::nullopt;
}

PortError OpenError(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
      return PortNotPresent;
    case EBUSY:  // another user's TIOCEXCL
    case EWOULDBLOCK:  // another opener's advisory lock
      return PortInUse;
    case EACCES:
    case EPERM:
      return PortPermissionDenied;
    default:
      return PortOtherError;
  }
}

// Whether the tty is open anywhere but on `descriptor`, in this process or another.
// Only root gets here with another's exclusive flag set, and root may read every
// process's descriptors; a folder that cannot be read counts as a holder.
bool OpenElsewhere(int descriptor) {
  struct stat own;
  if (fstat(descriptor, &own) != 0) return true;
  DIR* processes = opendir("/proc");
  if (processes == nullptr) return true;
  bool found = false;
  pid_t self = getpid();
  while (dirent* process = readdir(processes)) {
    char* end = nullptr;
    long pid = std::strtol(process->d_name, &end, 10);
    if (*end != '\0' || pid <= 0) continue;
    std::string folder = "/proc/" + std::string(process->d_name) + "/fd";
    DIR* descriptors = opendir(folder.c_str());
    if (descriptors == nullptr) continue;  // ended meanwhile
    while (dirent* entry = readdir(descriptors)) {
      if (entry->d_name[0] == '.') continue;
      if (pid == self && std::atoi(entry->d_name) == descriptor) continue;
      struct stat other;
      if (stat((folder + "/" + entry->d_name).c_str(), &other) == 0 && S_ISCHR(other.st_mode) &&
          other.st_rdev == own.st_rdev) {
        found = true;
        break;
      }
    }
    closedir(descriptors);
    if (found) break;
  }
  closedir(processes);
  return found;
}

// 0, or the error number of the reason the tty cannot be this program's alone. Use is
// judged by the advisory lock, which other serial programs test too and which dies
// with its process: a Quarnet killed with kill -9 leaves nothing behind. The program
// never sets the tty's exclusive flag (TIOCEXCL): on a pseudo-terminal the flag of a
// holder that died stays while the other end is open, and every later open by another
// user would be refused for good. Another program's flag is honoured: it turns away
// other users' opens (EBUSY) itself, and root's open counts it while somebody still has
// the tty open.
int TakeExclusiveUse(int descriptor) {
  int heldExclusively = 0;
  if (ioctl(descriptor, TIOCGEXCL, &heldExclusively) == 0 && heldExclusively != 0 && OpenElsewhere(descriptor)) {
    return EBUSY;
  }
  if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) return errno;
  return 0;
}

bool Fail(PortError error, int systemErrorNumber) {
  SetLastPortError(error, systemErrorNumber);
  return false;
}

// A read or write that failed: its reason is where the port's error text is taken from.
int FailedTransfer(int systemErrorNumber) {
  SetLastPortError(PortOtherError, systemErrorNumber);
  return -1;
}

// Drivers answer EINVAL to a speed they cannot run at.
PortError SettingsError(int error) { return error == EINVAL ? PortInvalidParameter : PortOtherError; }

void SetLineFormat(termios& settings, const LineSettings& line) {
  cfmakeraw(&settings);
  settings.c_iflag &= ~(IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
  settings.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
  settings.c_cflag |= CS8 | CLOCAL | CREAD;
  if (line.stopBitCode != 1) settings.c_cflag |= CSTOPB;
  if (line.parityOn) {
    settings.c_cflag |= PARENB;
    if (!line.even) settings.c_cflag |= PARODD;
    settings.c_iflag |= INPCK;
  }
  if (line.ctsFlow) settings.c_cflag |= CRTSCTS;
  // Reads return at once with what has arrived; the driver above does its own waiting.
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
}

// Drivers report the rate their divisor gives, which may differ from the request by
// a little; a UART frame tolerates about two per cent.
bool SpeedTook(uint32_t requested, uint32_t actual) {
  uint64_t difference = requested > actual ? requested - actual : actual - requested;
  return difference * 50 <= requested;
}

std::chrono::milliseconds LineTime(int bytes, const LineSettings& line) {
  int bitsPerByte = 1 + 8 + (line.parityOn ? 1 : 0) + (line.stopBitCode == 1 ? 1 : 2);
  uint64_t bits = static_cast<uint64_t>(bytes) * bitsPerByte;
  return std::chrono::milliseconds(bits * 1000 / line.baud);
}

}  // namespace

std::unique_ptr<TtyDevice> TtyDevice::Open(const String& path) {
  // The original platform sizes the driver queues at 20000 bytes each way; a tty has
  // no such setting: the kernel sizes its buffers itself, and its input side keeps
  // more than a 20000-byte reply until it is read.
  int descriptor = open(path.Data(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    Fail(OpenError(errno), errno);
    return nullptr;
  }
  // A file or a device that is no tty (/dev/null) takes no line settings.
  int error = isatty(descriptor) ? TakeExclusiveUse(descriptor) : ENOTTY;
  if (error != 0) {
    close(descriptor);
    Fail(OpenError(error), error);
    return nullptr;
  }
  return std::unique_ptr<TtyDevice>(new TtyDevice(descriptor));
}

// A USB adapter's driver holds received bytes for its latency time (16 ms on the common
// FTDI chips) before passing them on, on every reply. Where the driver allows it, the
// port runs with low latency while the program has it, as serial terminals ask; the
// setting found is put back at the close.
TtyDevice::TtyDevice(int descriptor) : descriptor_(descriptor) {
  ReadLineErrorCounts(counts_);
  serial_struct serial{};
  if (ioctl(descriptor_, TIOCGSERIAL, &serial) == 0 && (serial.flags & ASYNC_LOW_LATENCY) == 0) {
    serial.flags |= ASYNC_LOW_LATENCY;
    lowLatencySet_ = ioctl(descriptor_, TIOCSSERIAL, &serial) == 0;
  }
}

TtyDevice::~TtyDevice() {
  serial_struct serial{};
  if (lowLatencySet_ && ioctl(descriptor_, TIOCGSERIAL, &serial) == 0) {
    serial.flags &= ~ASYNC_LOW_LATENCY;
    ioctl(descriptor_, TIOCSSERIAL, &serial);
  }
  flock(descriptor_, LOCK_UN);
  close(descriptor_);
}

bool TtyDevice::Configure(const LineSettings& line) {
  // Speed 0 is the hang-up request of a tty, not a line speed.
  if (line.baud == 0) return Fail(PortInvalidParameter, EINVAL);
  termios settings;
  if (tcgetattr(descriptor_, &settings) != 0) return Fail(PortOtherError, errno);
  SetLineFormat(settings, line);
  std::optional<speed_t> standardCode = StandardSpeedCode(line.baud);
  if (standardCode) cfsetspeed(&settings, *standardCode);
  if (tcsetattr(descriptor_, TCSANOW, &settings) != 0) return Fail(SettingsError(errno), errno);
  if (!standardCode && !SetTtySpeed(descriptor_, line.baud)) return Fail(SettingsError(errno), errno);
  // A driver may quietly run at another speed than asked; only the read-back tells.
  uint32_t actual = TtySpeed(descriptor_);
  if (actual == 0) return Fail(PortOtherError, errno);
  if (!SpeedTook(line.baud, actual)) return Fail(PortInvalidParameter, EINVAL);
  // DTR and RTS on; pseudo-terminals have no modem lines and refuse, which is harmless.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ioctl(descriptor_, TIOCMBIS, &lines);
  settings_ = line;
  return true;
}

void TtyDevice::Purge() { tcflush(descriptor_, TCIOFLUSH); }

bool TtyDevice::ReadLineErrorCounts(LineErrorCounts& counts) {
  serial_icounter_struct counters{};
  if (ioctl(descriptor_, TIOCGICOUNT, &counters) != 0) return false;
  counts = {counters.frame, counters.overrun, counters.parity, counters.brk, counters.buf_overrun};
  return true;
}

uint32_t TtyDevice::TakeLineErrors() {
  LineErrorCounts now;
  if (!ReadLineErrorCounts(now)) return 0;
  uint32_t errors = 0;
  if (now.frame != counts_.frame) errors |= LineFramingError;
  if (now.overrun != counts_.overrun) errors |= LineOverrun;
  if (now.parity != counts_.parity) errors |= LineParityError;
  if (now.breaks != counts_.breaks) errors |= LineBreak;
  // The kernel's own buffer ran full: the input queue overflow of the original platform.
  if (now.bufferOverrun != counts_.bufferOverrun) errors |= LineOtherError;
  counts_ = now;
  return errors;
}

int TtyDevice::Read(uint8_t* buffer, int count) {
  ssize_t got = read(descriptor_, buffer, static_cast<size_t>(count));
  if (got > 0) return static_cast<int>(got);
  if (got < 0) return errno == EAGAIN || errno == EINTR ? 0 : FailedTransfer(errno);
  // With VMIN and VTIME zero, an empty tty and a hung-up one (the adapter pulled, the
  // pseudo-terminal's master closed) both read 0; only poll tells them apart.
  if (!HungUp()) return 0;
  return FailedTransfer(EIO);
}

bool TtyDevice::HungUp() {
  pollfd request{descriptor_, POLLIN, 0};
  return poll(&request, 1, 0) > 0 && (request.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

int TtyDevice::Write(const uint8_t* bytes, int count) {
  ssize_t written = write(descriptor_, bytes, static_cast<size_t>(count));
  if (written >= 0) return static_cast<int>(written);
  return errno == EAGAIN || errno == EINTR ? 0 : FailedTransfer(errno);
}

bool TtyDevice::WaitForInput(uint32_t milliseconds) { return WaitFor(POLLIN, milliseconds); }

bool TtyDevice::WaitForOutputRoom(uint32_t milliseconds) { return WaitFor(POLLOUT, milliseconds); }

// The kernel wakes the wait when the device is ready; its limit is real time, since
// the device runs in real time whatever clock the program's logic uses.
bool TtyDevice::WaitFor(short events, uint32_t milliseconds) {
  auto deadline = SteadyClock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now());
    pollfd request{descriptor_, events, 0};
    // POLLHUP, POLLERR and POLLNVAL come whatever was asked for.
    int timeout = static_cast<int>(std::clamp<int64_t>(left.count(), 0, INT32_MAX));
    int ready = poll(&request, 1, timeout);
    if (ready != -1 || errno != EINTR) return ready > 0;
  }
}

bool TtyDevice::Drain() {
  int queued = 0;
  if (ioctl(descriptor_, TIOCOUTQ, &queued) != 0) return false;
  auto deadline = SteadyClock::now() + LineTime(queued, settings_) + std::chrono::seconds(1);
  while (queued > 0 || !TransmitterEmpty()) {
    if (SteadyClock::now() >= deadline) {
      errno = ETIMEDOUT;
      return false;
    }
    if (ExitRequested) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (ioctl(descriptor_, TIOCOUTQ, &queued) != 0) return false;
  }
  return true;
}

// The kernel's queue leaves out the UART's own FIFO, which can hold dozens of bytes;
// drivers that cannot tell (pseudo-terminals, many USB adapters) count as empty.
bool TtyDevice::TransmitterEmpty() {
  unsigned int status = 0;
  return ioctl(descriptor_, TIOCSERGETLSR, &status) != 0 || (status & TIOCSER_TEMT) != 0;
}

std::unique_ptr<SerialDevice> OpenTtyDevice(int port) {
  String path = DevicePathForPort(port);
  if (path.Empty()) {
    Fail(PortNotPresent, ENODEV);
    return nullptr;
  }
  return TtyDevice::Open(path);
}

// The tests that run over pseudo-terminals install OpenTtyDevice by its own name: they
// exist on Linux only.
std::unique_ptr<SerialDevice> OpenComPort(int port) { return OpenTtyDevice(port); }
