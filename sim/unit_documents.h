// The documents a simulated unit writes about itself when the tool asks (its setup,
// its Modbus register table, its fieldbus data table) and the setup it reads back.
// The setup is the simulator's own comma-separated text; the fieldbus data table
// follows the column layout the tool's generator reads.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/unit.h"

// "Velantor setup,<card>,<serial>" and one "Setting,number,value,decimals,count-by,units" line
// per setting.
std::string RenderSetup(const SimUnit& unit);
// The settings a setup file carries; nullopt when it is not a setup this simulator wrote
// (a wrong first line, a line that does not read).
std::optional<std::vector<UnitSetting>> ReadSetup(const Bytes& file);
// Two registers per setting from 40001.
std::string RenderModbusTable(const SimUnit& unit);
// The weights and the status word the unit exchanges on the bus, the command word it
// takes, and its settings.
std::string RenderFieldbusTable(const SimUnit& unit);
