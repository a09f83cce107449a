// For tests: the link's program-wide state back to what the program starts with: no
// reply half taken, no bytes waiting, the reply time-out a connection begins with.
#pragma once

#include "link/link_speed.h"
#include "link/packet.h"

inline void ResetLinkState() {
  PacketTimeout = LongPacketTimeout;
  ResetPacketCache();
  ClearReceiveStaging();
}
