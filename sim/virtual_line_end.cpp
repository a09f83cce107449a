#include "sim/virtual_line_end.h"

VirtualLineEnd::VirtualLineEnd(VirtualLine& line) : line_(line) {
  line_.Peer().onReceive = [this] {
    uint8_t byte;
    while (line_.Peer().Read(&byte, 1) == 1) {
      if (onByte) onByte(byte);
    }
  };
}

VirtualLineEnd::~VirtualLineEnd() { line_.Peer().onReceive = nullptr; }

void VirtualLineEnd::Listen(const LineSettings& settings) { line_.Peer().Configure(settings); }

void VirtualLineEnd::Send(const Bytes& bytes) {
  line_.Peer().Write(bytes.data(), static_cast<int>(bytes.size()));
}

void VirtualLineEnd::Vanish() { line_.Unplug(); }
