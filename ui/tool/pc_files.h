// The PC files the transfers read and write: a whole file into a buffer of fixed
// size, and a whole file written beside its place and renamed into it, so that a
// failure never leaves half a file where the operator expects a setup.
#pragma once

#include <cstdint>

#include "runtime/string.h"

// False when the file cannot be read or holds more than `capacity` bytes: a setup cut
// short would load as a different one. Writes its own line to standard error.
bool ReadPcFile(const String& name, uint8_t* buffer, uint32_t capacity, uint32_t& length);
// False when the file cannot be written whole; the file that was there stays as it was.
// Writes its own line to standard error.
bool WritePcFile(const String& name, const uint8_t* data, uint32_t length);
