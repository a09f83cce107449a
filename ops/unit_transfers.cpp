#include "ops/unit_transfers.h"

#include <memory>

#include "fieldbus/generate_fieldbus_files.h"
#include "fieldbus/table_refusal.h"
#include "ops/pc_files.h"
#include "protocol/setup_calls.h"
#include "runtime/message_box.h"
#include "runtime/operation_progress.h"
#include "runtime/window_hooks.h"
#include "transfer/file_sending.h"

namespace {

// One buffer for every transfer of the run, as large as the largest file a unit keeps.
uint8_t* TransferBuffer() {
  static std::unique_ptr<uint8_t[]> buffer(new uint8_t[TransferBufferSize]);
  return buffer.get();
}

using StartCall = bool (*)(const UnitInfo&);
using StatusCall = bool (*)(const UnitInfo&, uint8_t&);

// A transfer is one step of one unit, an activity that moves by its milestones.
class TransferProgress {
 public:
  TransferProgress(const UnitInfo& unit, const char* activity) {
    BeginOperationProgress(1);
    ProgressStep(1, UnitTitle(unit.SlaveAddress, unit.cardnumber));
    ProgressActivity(String::Constant(activity), ProgressUnit::Percent);
  }
  ~TransferProgress() { EndOperationProgress(); }
  TransferProgress(const TransferProgress&) = delete;
  TransferProgress& operator=(const TransferProgress&) = delete;
};

// Ticks the progress before every status call; the unit reports 0 once it has
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
bool FetchDocument(const UnitInfo& unit, StartCall start, StatusCall status, uint16_t file, uint32_t readPercent,
                   uint32_t writePercent, const String& fileName, String& cause) {
  ProgressMilestone(20);
  if (!start(unit) || !WaitUntilFinished(unit, status)) {
    cause = "the unit did not prepare the file";
    return false;
  }
  ProgressMilestone(readPercent);
  uint32_t size = 0;
  if (!ReceiveFile(unit, SetupDrive, file, TransferBuffer(), TransferBufferSize, size)) {
    cause = "the file could not be read from the unit (the log says why; a file larger than 4 MiB is refused)";
    return false;
  }
  ProgressMilestone(writePercent);
  return WritePcFile(fileName, TransferBuffer(), size, cause);
}

TransferResult Result(bool done, const char* failure, const String& cause, const char* success) {
  TransferResult result;
  result.done = done;
  result.message = String::Copy(done ? success : failure);
  if (!done && !cause.Empty()) {
    result.message += ": ";
    result.message += cause.View();
  }
  return result;
}

TransferResult SaveDocument(const UnitInfo& unit, const String& fileName, const char* activity, StartCall start,
                            StatusCall status, uint16_t file, const char* failure, const char* success) {
  String cause;
  bool done = false;
  {
    TransferProgress progress(unit, activity);
    done = FetchDocument(unit, start, status, file, 90, 99, fileName, cause);
  }
  TransferResult result = Result(done, failure, cause, success);
  if (done) result.files.push_back(String::Copy(fileName.View()));
  return result;
}

}  // namespace

TransferResult TransferSetupToFile(const UnitInfo& unit, const String& fileName) {
  return SaveDocument(unit, fileName, "Saving setup", SaveSetup, SaveLoadStatus, SetupFileId,
                      "Unable to save settings", "Settings saved");
}

TransferResult TransferModbusTable(const UnitInfo& unit, const String& fileName) {
  return SaveDocument(unit, fileName, "Generating modbus files", SaveModbusConfig, SaveModbusConfigStatus,
                      ModbusFileId, "Unable to generate Modbus files", "Modbus files generated");
}

TransferResult TransferSetupToUnit(const UnitInfo& unit, const String& fileName, int loadType) {
  String cause;
  bool done = false;
  {
    TransferProgress progress(unit, "Loading setup");
    ProgressMilestone(10);
    uint32_t length = 0;
    done = loadType >= 0 && loadType < LoadTypeCount &&
           ReadPcFile(fileName, TransferBuffer(), LargestSetupFile, length, cause);
    if (done) {
      ProgressMilestone(80);
      done = SendFile(unit, SetupDrive, SetupFileId, TransferBuffer(), length, false);
      if (!done) cause = "the file could not be sent to the unit (the log says why)";
    }
    if (done) {
      ProgressMilestone(99);
      done = LoadSetup(unit, LoadTypes[loadType].type);
      if (!done) cause = "the unit did not take the setup";
    }
    // The unit has the setup and has started on it: a status call that fails only ends
    // the wait.
    if (done) WaitUntilFinished(unit, SaveLoadStatus);
  }
  return Result(done, "Unable to Load Settings", cause, "Settings loaded - please restart the unit and reconnect");
}

TransferResult TransferFieldbusTable(const UnitInfo& unit, const String& fileName) {
  String cause;
  bool done = false;
  bool refused = false;
  {
    TransferProgress progress(unit, "Generating fieldbus files");
    done = FetchDocument(unit, SaveFieldbusConfig, SaveFieldbusConfigStatus, FieldbusFileId, 80, 81, fileName, cause);
    if (done) {
      ProgressMilestone(99);
      done = GenerateFieldbusFiles(fileName);
      refused = !done;
    }
  }
  TransferResult result = Result(done, "Unable to generate fieldbus files", cause, "Fieldbus files generated");
  if (done) {
    result.files.push_back(String::Copy(fileName.View()));
    for (String& name : FieldbusFileNames(fileName)) result.files.push_back(std::move(name));
  }
  // The generator says which line of the unit's table it could not use.
  String reason = refused ? LastFieldbusRefusal() : String();
  if (!reason.Empty()) {
    result.message += "\r\n\r\n";
    result.message += reason.View();
  }
  return result;
}

bool TellTransferResult(const TransferResult& result) {
  if (result.done) {
    ShowMessage(result.message, "Information", MessageIconInformation);
  } else {
    ShowMessage(result.message, "Error", MessageIconError);
  }
  return result.done;
}
