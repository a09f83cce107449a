// The image catalogue: which flash programmer, boot loader and unit software suit a
// unit, from what its record says of it (MCU, unit type, boot loader version, buffer
// size). The bytes come from the image folder (image_files.h); the tables here only
// name the files, and every length is taken from the data.
#pragma once

#include <cstdint>

#include "protocol/unit_info.h"

// What the catalogue's software reports once it runs: 6.10 release 57.
inline constexpr int16_t CatalogueSoftwareVersion = 610;
inline constexpr int8_t CatalogueSoftwareBuild = 57;

// Fills unit.ProgrammerImage; anything else ends the program (nothing has been sent).
bool SelectFlashProgrammer(UnitInfo& unit);
// Fills unit.BootLoaderImage; false for an MCU without boot loader images, and the
// caller decides. An unsupported unit type of a known MCU ends the program.
bool SelectBootLoader(UnitInfo& unit);
// Fills unit.SoftwareImage, or ends the program.
bool SelectSoftwareImage(UnitInfo& unit);
// Reads and checks every image the catalogue may choose for the unit (its flash
// programmers, boot loader and software), so that a run stops before it changes any
// unit when one is missing or damaged: such a file ends the program, naming it.
// Units of an MCU the catalogue has no images for are left to the update's own checks.
void RequireUpdateImages(const UnitInfo& unit);
// The checksum and CRC a unit reports while it runs the catalogue's software for its
// unit type and MCU; false when the catalogue has no software for it.
bool ExpectedSoftwareChecks(const UnitInfo& unit, uint32_t& checksum, uint16_t& crc);
