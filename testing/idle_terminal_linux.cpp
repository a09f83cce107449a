#include "testing/idle_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

IdleTerminal::IdleTerminal() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char name[64] = {};
  if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0 && ptsname_r(master_, name, sizeof name) == 0) {
    path_ = name;
  }
}

IdleTerminal::~IdleTerminal() {
  if (master_ >= 0) close(master_);
}
