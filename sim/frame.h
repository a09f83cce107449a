// The unit's side of the packet frame. A frame on the line is an optional length
// header (0xF1 and the count of the bytes after it, modulo 256), the body, and the
// CRC-16/MODBUS of the body, low byte first. A unit sees the end of a request as a
// pause in the line (chunk_receiver.h) and then unpacks it here.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline constexpr uint8_t FrameLengthMark = 0xF1;

// The CRC register after the bytes (reflected 0xA001, start 0xFFFF, no final XOR).
// Kept free of program-wide state: in tests the simulator runs inside the tool's
// process, whose own CRC accumulator must not be disturbed.
uint16_t FrameCrc(std::span<const uint8_t> bytes);

struct Request {
  Bytes body;
  bool lengthHeader = false;  // the reply is framed the same way
};

// The body of a correctly framed request; nothing when the CRC does not check out.
std::optional<Request> Unframe(std::span<const uint8_t> chunk);
// The reply as it goes on the line.
Bytes Frame(std::span<const uint8_t> body, bool lengthHeader);

// Big-endian fields, as every number in a body travels.
void AppendWord(Bytes& bytes, uint16_t value);
void AppendLong(Bytes& bytes, uint32_t value);
uint16_t WordAt(std::span<const uint8_t> bytes, size_t offset);
uint32_t LongAt(std::span<const uint8_t> bytes, size_t offset);
