#include "update/software_update.h"

#include "protocol/connection.h"
#include "protocol/remote_call.h"
#include "protocol/unit_procedures.h"
#include "runtime/log.h"
#include "runtime/operation_progress.h"
#include "transfer/file_sending.h"
#include "transfer/flash_programming.h"
#include "transfer/image_catalogue.h"
#include "transfer/programmer_download.h"
#include "update/resource_update.h"
#include "update/software_checksum.h"
#include "update/update_needs.h"

namespace {

constexpr uint16_t BootLoaderUpdateFile = 258;
constexpr uint16_t SoftwareUpdateFile = 259;
constexpr uint8_t ProgrammerDrive = 193;

String NewVersionText() { return VersionReleaseText(CatalogueSoftwareVersion, CatalogueSoftwareBuild); }

// A unit driving the line (still answering a former request) would garble the first
// requests of the update; a ping answered shows it listens.
void KeepUnitFromDrivingPort() {
  PutLine(DebugStream, "Keep unit from driving port");
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (Ping(LocalUnitAddress)) return;
  }
}

void SendUpdateFile(const UnitInfo& unit, uint8_t drive, uint16_t file, const ImageSlot& image,
                    UpdateTrailer trailer) {
  if (!WriteSoftwareUpdateFile(unit, drive, file, image.data, image.length, trailer)) {
    FatalError("Unable to update unit\r\n");
  }
}

void WriteIntoFlash(const UnitInfo& unit, const ImageSlot& image) {
  if (!WriteSoftware(unit, image)) FatalError("Unable to write new software");
  if (!ResetProgrammer(unit)) FatalError("Unable to reset flash programmer");
}

// Brings the unit to where an update can begin: listening, and in its boot loader
// unless update files are used, which a virtual COM port requires.
bool ReachUnit(UnitInfo& unit, bool useUpdateFiles) {
  if (unit.mcu == McuH8S2145) {
    FatalError("This version of Quarnet is unable to update the software in old H8 units. Please use the older Relvane");
  }
  if (unit.unitmode == ModeSoftware) KeepUnitFromDrivingPort();
  if (IsVComPort(unit)) {
    PutText(ReportStream, "-- vcom port detected, using update files\r\n\r\n");
    if (!AcceptsUpdateFiles(unit)) {
      FatalError("The unit does not support Update files, which are required on a vcom port");
    }
    useUpdateFiles = true;
  }
  if (!useUpdateFiles) {
    if (!InitialiseForUpdate(unit)) FatalError("Unable to initialise Velantor unit");
    if (unit.unitmode != ModeBootLoader) PutLine(DebugStream, "-- Software mode of unit is not modeVelantorBootLoader");
  }
  return useUpdateFiles;
}

// Logs what the unit needs and why, and stops where a bar is reached; false for a
// unit on a later build, which is left as it is.
bool TellNeeds(UnitInfo& unit, const UpdateNeeds& needs) {
  if (needs.bar == UpdateBar::PreProductionBoard) {
    ResetUnit(unit);
    FatalError("Cannot update this unit (pre-production board)");
  }
  if (needs.bootLoader == BootLoaderNeed::TestSoftwarePresent) {
    PutLine(DebugStream, "-- updating boot loader because test software is present");
  }
  SelectFlashProgrammer(unit);
  if (needs.bar == UpdateBar::Type1Cpu) {
    FatalError("This Velantor unit cannot be upgraded as it contains a TYPE 1 CPU, please contact your supplier "
               "for further information");
  }
  if (needs.bootLoader == BootLoaderNeed::Asked) {
    PutLine(DebugStream, "-- updating boot loader (UpdateBootLoader parameter is true)");
  }
  if (needs.bar == UpdateBar::LaterBuild) {
    PutLine(ReportStream, "The software cannot be downgraded to ", NewVersionText());
    return false;
  }
  PutLine(DebugStream, "New software version= ", NewVersionText());
  PutLine(DebugStream, "Current software version= ", VersionReleaseText(unit.softwareversion, unit.softwarebuild));
  if (needs.bar == UpdateBar::NoSoftwareForIt) FatalError(UnsupportedUnitMessage(unit.unittype));
  if (needs.checksumsCompared) PutChecksumComparison(unit, needs.expected);
  if (const char* reason = SoftwareNeedLine(needs.software)) PutLine(DebugStream, reason);

  if (needs.bootLoader != BootLoaderNeed::Keep) PutLine(ReportStream, "-- velantor boot loader will be updated");
  if (needs.software != SoftwareNeed::Keep) {
    PutLine(ReportStream, "-- velantor software will be updated to ", NewVersionText());
  } else {
    PutLine(ReportStream, "-- velantor software is already the correct version");
  }
  return true;
}

// Writes the boot loader and the software the unit needs; true when update files
// were sent for the programmer to apply.
bool WriteNeeds(UnitInfo& unit, const UpdateNeeds& needs, bool useUpdateFiles) {
  bool bootLoaderUpdate = needs.bootLoader != BootLoaderNeed::Keep;
  bool softwareUpdate = needs.software != SoftwareNeed::Keep;
  if (!bootLoaderUpdate && !softwareUpdate) return false;
  if (!useUpdateFiles) {
    ProgressActivity("flash programmer into RAM");
    if (!DownloadProgrammer(unit, unit.ProgrammerImage, "")) FatalError("Unable to download flash programmer");
    if (unit.unitmode != ModeProgrammer) PutLine(DebugStream, "-- Software mode of unit is not modeFlashProgrammer");
  }
  if (!SelectBootLoader(unit)) FatalError("Unknown velantor unit");
  SelectSoftwareImage(unit);
  if (bootLoaderUpdate) {
    if (useUpdateFiles) {
      PutLine(ReportStream, "Sending boot loader update to unit...");
      ProgressActivity("boot loader update file");
      SendUpdateFile(unit, 1, BootLoaderUpdateFile, unit.BootLoaderImage, ChecksumTrailer);
    } else {
      PutLine(ReportStream, "Preparing to update Boot Loader...");
      ProgressActivity("boot loader into flash");
      WriteIntoFlash(unit, unit.BootLoaderImage);
    }
  }
  if (softwareUpdate) {
    if (useUpdateFiles) {
      PutLine(ReportStream, "Sending software update to unit...");
      ProgressActivity("software update file");
      SendUpdateFile(unit, 1, SoftwareUpdateFile, unit.SoftwareImage, ChecksumTrailer);
    } else {
      ProgressActivity("software into flash");
      WriteIntoFlash(unit, unit.SoftwareImage);
    }
  }
  return useUpdateFiles;
}

}  // namespace

bool UpdateSoftware(UnitInfo& unit, bool updateBootLoader, bool useUpdateFiles) {
  useUpdateFiles = ReachUnit(unit, useUpdateFiles);
  SoftwareChecks checks{};
  bool knownSoftware = ExpectedSoftwareChecks(unit, checks.checksum, checks.crc);
  UpdateNeeds needs = DecideUpdateNeeds(unit, updateBootLoader, useUpdateFiles, knownSoftware ? &checks : nullptr);
  if (!TellNeeds(unit, needs)) return false;
  bool filesSent = WriteNeeds(unit, needs, useUpdateFiles);
  if (UpdateResourceFiles(unit, useUpdateFiles)) filesSent = true;

  // The programmer on drive 193 is what applies the update files at the restart; a
  // unit given none must not run it.
  if (useUpdateFiles && filesSent) {
    PutLine(ReportStream, "Sending flash programmer to unit...");
    ProgressActivity("flash programmer file");
    SendUpdateFile(unit, ProgrammerDrive, 0, unit.ProgrammerImage, CrcTrailer);
  }
  return true;
}
