#include "ui/tool/setup_transfer.h"

#include <memory>

#include "fieldbus/generate_fieldbus_files.h"
#include "fieldbus/table_refusal.h"
#include "protocol/setup_calls.h"
#include "runtime/message_box.h"
#include "runtime/window_hooks.h"
#include "transfer/file_sending.h"
#include "ui/tool/pc_files.h"
#include "ui/toolkit/controls/form_trace.h"
#include "ui/toolkit/controls/progress_window.h"

namespace {

// One buffer for every transfer of the run, as large as the largest file a unit keeps.
uint8_t* TransferBuffer() {
  static std::unique_ptr<uint8_t[]> buffer(new uint8_t[TransferBufferSize]);
  return buffer.get();
}

using StartCall = bool (*)(const UnitInfo&);
using StatusCall = bool (*)(const UnitInfo&, uint8_t&);

// Ticks the progress window before every status call; the unit reports 0 once it has
// finished. A failed status call ends the wait: false.
bool WaitUntilFinished(const UnitInfo& unit, StatusCall status) {
  for (;;) {
    ProgressTick();
    uint8_t reported = 0;
    if (!status(unit, reported)) return false;
    if (reported == 0) return true;
  }
}

// The unit writes the document, the tool reads it into the buffer and writes the PC
// file. `cause` says why it failed, where it knows.
bool FetchDocument(const UnitInfo& unit, StartCall start, StatusCall status, uint16_t file, int readPercent,
                   int writePercent, const String& fileName, String& cause) {
  QuarnetProgress(20);
  if (!start(unit) || !WaitUntilFinished(unit, status)) {
    cause = "the unit did not prepare the file";
    return false;
  }
  QuarnetProgress(readPercent);
  uint32_t size = 0;
  if (!ReceiveFile(unit, SetupDrive, file, TransferBuffer(), TransferBufferSize, size)) {
    cause = "the file could not be read from the unit (the log says why; a file larger than 4 MiB is refused)";
    return false;
  }
  QuarnetProgress(writePercent);
  return WritePcFile(fileName, TransferBuffer(), size, cause);
}

void Tell(bool ok, const char* failure, const String& cause, const char* success) {
  if (ok) {
    ShowMessage(String::Copy(success), "Information", MessageIconInformation);
    return;
  }
  String text = String::Copy(failure);
  if (!cause.Empty()) {
    text += ": ";
    text += cause.View();
  }
  ShowMessage(text, "Error", MessageIconError);
}

bool SaveDocument(PelWindow& form, const UnitInfo& unit, const String& fileName, const char* progressText,
                  StartCall start, StatusCall status, uint16_t file, const char* failure, const char* success) {
  OpenQuarnetProgress(form, progressText);
  String cause;
  bool ok = FetchDocument(unit, start, status, file, 90, 99, fileName, cause);
  CloseQuarnetProgress();
  Tell(ok, failure, cause, success);
  return ok;
}

}  // namespace

bool DoSaveSetup(PelWindow& form, const UnitInfo& unit, const String& fileName) {
  FormTrace("DoSaveSetup");
  return SaveDocument(form, unit, fileName, "Saving setup", SaveSetup, SaveLoadStatus, SetupFileId,
                      "Unable to save settings", "Settings saved");
}

bool DoGenerateModbus(PelWindow& form, const UnitInfo& unit, const String& fileName) {
  FormTrace("DoGenerateModbus");
  return SaveDocument(form, unit, fileName, "Generating modbus files", SaveModbusConfig, SaveModbusConfigStatus,
                      ModbusFileId, "Unable to generate Modbus files", "Modbus files generated");
}

bool DoLoadSetup(PelWindow& form, const UnitInfo& unit, const String& fileName, int loadType) {
  FormTrace("DoLoadSetup");
  OpenQuarnetProgress(form, "Loading setup");
  QuarnetProgress(10);
  uint32_t length = 0;
  String cause;
  bool ok = loadType >= 0 && loadType < LoadTypeCount &&
            ReadPcFile(fileName, TransferBuffer(), LargestSetupFile, length, cause);
  if (ok) {
    QuarnetProgress(80);
    ok = SendFile(unit, SetupDrive, SetupFileId, TransferBuffer(), length, false);
    if (!ok) cause = "the file could not be sent to the unit (the log says why)";
  }
  if (ok) {
    QuarnetProgress(99);
    ok = LoadSetup(unit, LoadTypes[loadType].type);
    if (!ok) cause = "the unit did not take the setup";
  }
  // The unit has the setup and has started on it: a status call that fails only ends
  // the wait.
  if (ok) WaitUntilFinished(unit, SaveLoadStatus);
  CloseQuarnetProgress();
  Tell(ok, "Unable to Load Settings", cause, "Settings loaded - please restart the unit and reconnect");
  return ok;
}

bool DoGenerateFieldbus(PelWindow& form, const UnitInfo& unit, const String& fileName) {
  FormTrace("DoGenerateFieldbus");
  OpenQuarnetProgress(form, "Generating fieldbus files");
  String cause;
  bool ok =
      FetchDocument(unit, SaveFieldbusConfig, SaveFieldbusConfigStatus, FieldbusFileId, 80, 81, fileName, cause);
  bool refused = false;
  if (ok) {
    QuarnetProgress(99);
    ok = GenerateFieldbusFiles(fileName);
    refused = !ok;
  }
  CloseQuarnetProgress();
  if (ok) {
    ShowMessage("Fieldbus files generated", "Information", MessageIconInformation);
  } else {
    // The generator says which line of the unit's table it could not use.
    String text = "Unable to generate fieldbus files";
    if (!cause.Empty()) {
      text += ": ";
      text += cause.View();
    }
    String reason = refused ? LastFieldbusRefusal() : String();
    if (!reason.Empty()) {
      text += "\r\n\r\n";
      text += reason.View();
    }
    ShowMessage(text, "Error", MessageIconError);
  }
  return ok;
}
