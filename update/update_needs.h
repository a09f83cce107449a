// What one unit needs from an update, decided from its record as its boot loader
// reports it and before anything is written: whether it may be updated at all, and
// whether its boot loader and its software must be replaced, each with its reason.
// The update acts on the record (software_update.cpp) in the order its log tells.
#pragma once

#include <cstdint>

#include "protocol/unit_info.h"

// Why a unit is left as it is; the update checks each where its log reaches it, in
// this order.
enum class UpdateBar : uint8_t {
  None,
  PreProductionBoard,
  Type1Cpu,
  LaterBuild,       // the tool never takes a unit back
  NoSoftwareForIt,  // the catalogue has no software to compare the unit's with
};

enum class BootLoaderNeed : uint8_t { Keep, TestSoftwarePresent, Asked };

enum class SoftwareNeed : uint8_t { Keep, OtherVersion, OtherChecksum, NoSoftware, FlashCheckFailed, OldBootLoader };

// The checksum and CRC a unit reports when it runs the tool's software.
struct SoftwareChecks {
  uint32_t checksum;
  uint16_t crc;
};

struct UpdateNeeds {
  UpdateBar bar;
  BootLoaderNeed bootLoader;
  SoftwareNeed software;
  // The versions matched, so the checksums decided; the update logs both.
  bool checksumsCompared;
  SoftwareChecks expected;
};

// `expected` is null when the catalogue has no software for the unit.
UpdateNeeds DecideUpdateNeeds(const UnitInfo& unit, bool updateBootLoader, bool useUpdateFiles,
                              const SoftwareChecks* expected);

// The log line that gives the reason; null for Keep.
const char* SoftwareNeedLine(SoftwareNeed need);
