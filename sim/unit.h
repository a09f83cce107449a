// A simulated unit: what the system file says about it (its description: identity,
// speeds, restart time, settings) and what it is doing now (its state: the program
// running, the speed it listens at). Everything a unit reports about itself comes
// from its identity, the fields of the unit information record.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/serial_device.h"
#include "sim/boot_rom.h"
#include "sim/unit_files.h"
#include "sim/unit_memory.h"

// The program a unit runs. Off: restarting, deaf and silent. Programmer: a flash
// programmer downloaded into its RAM and started by the boot loader; it answers on the
// boot loader's address at 115200.
enum class Program { Off, Software, BootLoader, BootRom, Programmer };
const char* ProgramName(Program program);

// The address every unit's software answers on when it is the one attached to the
// PC's port (the tool finds it there before it knows the real address), and the
// address of the boot loader.
inline constexpr uint8_t ProbeAddress = 0xF0;
inline constexpr uint8_t BootLoaderAddress = 1;

struct UnitIdentity {
  uint16_t card = 0;
  uint16_t circuit = 0;
  uint8_t revisionLetter = 0;  // 1 = "A"; 0 = none
  uint8_t revisionNumber = 0;
  uint16_t product = 0;
  int16_t softwareVersion = 0;  // × 100
  uint8_t softwareBuild = 0;    // the release within the version
  uint8_t buildIncrement = 0;
  int32_t serialNumber = 0;
  uint8_t unitFlags = 0;
  std::array<uint8_t, 6> buildTime{};  // year in the century, month, day, hour, minute, second
  std::string information;
  uint8_t mcu = 0;
  uint8_t bootType = 1;
  uint8_t bootVersion = 0;
  uint8_t bootRelease = 0;
  uint8_t bootFlags = 0;
  uint32_t checksum = 0;
  uint16_t softwareCrc = 0;
};

// One commissioning setting the unit holds.
struct UnitSetting {
  uint16_t number = 0;
  float value = 0;
  uint16_t decimals = 0;
  uint16_t countBy = 1;
  std::string unitsText;
};

struct UnitDescription {
  uint8_t address = 0;                                // its Modbus address on the system network
  bool attached = false;                              // on the PC's serial port; the others sit behind it
  Program program = Program::Software;                // what runs when the simulation starts
  LineSettings speed{19200, 1, false, false, false};  // where its software listens
  uint32_t bootLoaderSpeed = 9600;
  uint32_t restartTime = 1500;  // milliseconds of silence after a restart
  uint32_t readyAfter = 0;      // milliseconds from the software's start until it reports ready
  bool virtualComPort = false;
  uint16_t bufferSize = 4096;       // the transfer buffer of the boot loader and the flash programmer
  std::vector<uint16_t> debugLogs;  // file ids of its debug logs
  bool keepsLogs = false;           // its configuration, crash and debug logs are on drive 1
  bool appliesUpdates = true;       // false: its update programmer refuses the update files at a restart
  std::vector<UnitSetting> settings;
  UnitIdentity identity;
  std::vector<uint8_t> drives;  // none given: by the card (UnitDrives)
  SimFiles files;               // what the drives hold when the simulation starts
};

// The drives a unit has: those its description names, else 1 and 193, and 177 on a KD6.
std::vector<uint8_t> UnitDrives(const UnitDescription& description);

// The MCU a card carries, for a description that does not name one; 0 when unknown.
uint8_t CardMcu(uint16_t card, uint16_t circuit);

// What the unit is writing or loading for the tool (function 0x46): each family of
// calls runs one job at a time, which takes a few status polls to finish.
struct SetupJob {
  bool running = false;
  bool loading = false;    // the setup family: load rather than save
  uint8_t loadType = 0;
  int pollsLeft = 0;       // status polls that still report "working"
};

struct SimUnit {
  UnitDescription description;
  // Its settings as they stand now: the description's at the start, then what the
  // tool writes and the setups it loads.
  std::vector<UnitSetting> settings;
  SetupJob setupJob;
  SetupJob modbusJob;
  SetupJob fieldbusJob;
  // The status polls a job takes: all but the last report "working".
  int setupJobPolls = 3;
  Program program = Program::Off;
  LineSettings listening;
  // Every restart, power cycle and speed change starts a new epoch; events scheduled
  // in an older one (the end of a restart, a speed fallback) then do nothing.
  uint64_t epoch = 0;
  // After a restart towards the software, the boot loader listens a moment for the
  // tool before it starts the software; a request heard then keeps it in the boot loader.
  bool bootWindowOpen = false;
  // A speed change is kept only once a request is heard at the new speed.
  bool speedUnconfirmed = false;
  uint64_t readyAt = 0;  // when its software reports ready
  BootRom rom;
  Memory ram;  // lost at every restart
  UnitFlash flash;
  SimFiles files;
  SimOpenFile openFile;

  uint8_t Address() const { return description.address; }
  const UnitIdentity& Identity() const { return description.identity; }
};
