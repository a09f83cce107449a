// The PC files the transfers read and write: a whole file into a buffer of fixed
// size, and a whole file replaced at once (runtime/replace_file.h), so that a failure
// never leaves half a file where the operator expects a setup.
#pragma once

#include <cstdint>

#include "runtime/string.h"

// False with the reason in `fault` (naming the file) when the file is missing, no
// regular file (a FIFO would never end), empty, unreadable, or holds more than
// `capacity` bytes: a setup cut short would load as a different one.
bool ReadPcFile(const String& name, uint8_t* buffer, uint32_t capacity, uint32_t& length, String& fault);
// False with the reason in `fault` when the file cannot be written whole; the file that
// was there stays as it was.
bool WritePcFile(const String& name, const uint8_t* data, uint32_t length, String& fault);
