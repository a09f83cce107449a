#include "platform/tty_speed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

bool SetTtySpeed(int descriptor, uint32_t baud) {
  termios2 settings;
  if (ioctl(descriptor, TCGETS2, &settings) != 0) return false;
  settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  settings.c_ospeed = baud;
  settings.c_ispeed = baud;
  return ioctl(descriptor, TCSETS2, &settings) == 0;
}

uint32_t TtySpeed(int descriptor) {
  termios2 settings;
  if (ioctl(descriptor, TCGETS2, &settings) != 0) return 0;
  return settings.c_ospeed;
}
