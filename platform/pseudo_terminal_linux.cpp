#include "platform/pseudo_terminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "platform/tty_speed.h"

PseudoTerminal::PseudoTerminal() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  char name[128];
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 ||
      ptsname_r(master_, name, sizeof name) != 0) {
    error_ = std::strerror(errno);
    Close();
    return;
  }
  slavePath_ = name;
  // Raw on the master side too, so that bytes pass both ways untouched.
  termios settings;
  if (tcgetattr(master_, &settings) == 0) {
    cfmakeraw(&settings);
    tcsetattr(master_, TCSANOW, &settings);
  }
}

PseudoTerminal::~PseudoTerminal() { Close(); }

bool PseudoTerminal::LinkAs(const std::string& path) {
  unlink(path.c_str());
  if (symlink(slavePath_.c_str(), path.c_str()) != 0) {
    error_ = std::strerror(errno);
    return false;
  }
  return true;
}

LineSettings PseudoTerminal::SlaveSettings() const {
  LineSettings line;
  termios settings;
  if (master_ < 0 || tcgetattr(master_, &settings) != 0) return line;
  line.baud = TtySpeed(master_);
  line.stopBitCode = (settings.c_cflag & CSTOPB) ? 2 : 1;
  line.parityOn = (settings.c_iflag & INPCK) != 0;
  line.even = line.parityOn && !(settings.c_cflag & PARODD);
  line.ctsFlow = (settings.c_cflag & CRTSCTS) != 0;
  return line;
}

int PseudoTerminal::Read(uint8_t* buffer, int count) {
  if (master_ < 0) return -1;
  ssize_t got = read(master_, buffer, static_cast<size_t>(count));
  if (got >= 0) return static_cast<int>(got);
  return errno == EAGAIN ? 0 : -1;  // EIO: nobody holds the slave side open
}

bool PseudoTerminal::WaitForInput(int milliseconds) {
  if (master_ < 0) return false;
  pollfd request{master_, POLLIN, 0};
  return poll(&request, 1, milliseconds) > 0 && (request.revents & POLLIN);
}

bool PseudoTerminal::Write(const uint8_t* bytes, int count) {
  while (count > 0) {
    if (master_ < 0) return false;
    ssize_t written = write(master_, bytes, static_cast<size_t>(count));
    if (written < 0) {
      if (errno != EAGAIN) return false;
      pollfd request{master_, POLLOUT, 0};
      poll(&request, 1, 10);
      continue;
    }
    bytes += written;
    count -= static_cast<int>(written);
  }
  return true;
}

void PseudoTerminal::Close() {
  if (master_ >= 0) close(master_);
  master_ = -1;
}
