// The file data a unit's program exchanges with the tool in blocks of up to 128
// bytes, several in flight (function 0x47; 0x48 for a write the local unit relays):
//
//   read     answered from the open file at once, 0 bytes at its end; a remote
//            unit's replies come back relayed (0x48) through a local unit of
//            software 6.04 or later
//   write    taken when it continues the file (or repeats part of it), refused
//            (0x34) beyond a gap; acknowledged cumulatively, naming the last write
//            that lengthened the file, after every 4th write taken or once no
//            further write has come for the line time of about one block
//
// The block faults of faults.h act here.
#pragma once

#include "sim/frame.h"
#include "sim/unit.h"

class Simulator;

void ServeFileBlock(Simulator& system, SimUnit& unit, const Bytes& body, bool lengthHeader);
