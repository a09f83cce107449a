// For tests: what the protocol layer remembers of the units it talked to, back to
// what the program starts with.
#pragma once

#include "protocol/connection.h"
#include "protocol/remote_call.h"
#include "protocol/speed_negotiation.h"

inline void ResetProtocolState() {
  LocalUnitAddress = UnknownUnitAddress;
  LoaderAddress = 1;
  RelayCapable = false;
  ProgrammerBaudRate = 0;
}
