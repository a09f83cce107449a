// Line speeds as plain numbers, through the kernel's termios2 requests: they carry any
// rate (BOTHER), where the C library's termios knows only its fixed table of speeds.
// Kept apart from the rest of the tty code because <asm/termbits.h> defines the same
// names as <termios.h>, differently.
#pragma once

#include <cstdint>

// False, with errno, when the tty refuses the request.
bool SetTtySpeed(int descriptor, uint32_t baud);
// The output speed the tty runs at; 0, with errno, when it cannot be read. On a
// pseudo-terminal's master this is the speed its slave was set to.
uint32_t TtySpeed(int descriptor);
