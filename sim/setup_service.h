// The setup calls of a unit's software (function 0x46): save its setup, load a setup
// sent to it as file 74 of drive 1, write its Modbus register table (file 265) and its
// fieldbus data table (file 263), each after a few status polls that report that the
// unit is still working. Every reply echoes the call's sequence number.
#pragma once

#include <optional>

#include "sim/frame.h"
#include "sim/unit.h"

class Simulator;

// The reply; nullopt for a request the unit does not answer (an unknown sub-code, a
// wrong length, a load without a readable setup file).
std::optional<Bytes> AnswerSetupCall(Simulator& system, SimUnit& unit, const Bytes& body);
