#include "sim/frame.h"

#include <algorithm>
#include <iterator>

#include "generic/checksum.h"

uint16_t FrameCrc(std::span<const uint8_t> bytes) { return CrcUpdate(0xFFFF, bytes); }

std::optional<Request> Unframe(std::span<const uint8_t> chunk) {
  Request request;
  // The header is recognised by its count; an address of 0xF1 would otherwise be
  // mistaken for one (no unit uses it).
  if (chunk.size() >= 2 && chunk[0] == FrameLengthMark && chunk[1] == ((chunk.size() - 2) & 0xFF)) {
    chunk = chunk.subspan(2);
    request.lengthHeader = true;
  }
  // The shortest request is a ping: address and function code.
  if (chunk.size() < 4 || FrameCrc(chunk) != 0) return std::nullopt;
  request.body.assign(chunk.begin(), chunk.end() - 2);
  return request;
}

Bytes Frame(std::span<const uint8_t> body, bool lengthHeader) {
  Bytes frame;
  if (lengthHeader) {
    frame.push_back(FrameLengthMark);
    frame.push_back(static_cast<uint8_t>(body.size() + 2));
  }
  std::copy(body.begin(), body.end(), std::back_inserter(frame));
  uint16_t crc = FrameCrc(body);
  frame.push_back(static_cast<uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<uint8_t>(crc >> 8));
  return frame;
}

void AppendWord(Bytes& bytes, uint16_t value) {
  bytes.push_back(static_cast<uint8_t>(value >> 8));
  bytes.push_back(static_cast<uint8_t>(value));
}

void AppendLong(Bytes& bytes, uint32_t value) {
  AppendWord(bytes, static_cast<uint16_t>(value >> 16));
  AppendWord(bytes, static_cast<uint16_t>(value));
}

uint16_t WordAt(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}

uint32_t LongAt(std::span<const uint8_t> bytes, size_t offset) {
  return uint32_t{WordAt(bytes, offset)} << 16 | WordAt(bytes, offset + 2);
}
