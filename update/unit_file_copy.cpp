#include "runtime/log.h"
#include "runtime/program_state.h"
#include "transfer/remote_file.h"
#include "update/log_extraction.h"

bool CopyUnitFile(const UnitInfo& unit, uint16_t file, FileReplacement& log) {
  --ReportLevel;
  bool whole = false;
  uint32_t offset = 0;
  while (!ExitRequested) {
    uint8_t buffer[RemoteFileBlock];
    int count = RemoteFileBlock;
    if (!ReadFileRemote(unit.SlaveAddress, 1, file, offset, buffer, count)) {
      PutText(DebugStream, "ReadFileRemote failed\r\n");
      break;
    }
    // 0xFF: the unit could not read its flash; the log would be cut short.
    if (count == 0xFF || count > RemoteFileBlock) break;
    if (count <= 0) {
      whole = true;
      break;
    }
    int kept = count;
    while (kept > 0 && buffer[kept - 1] == 0) --kept;
    String fault;
    if (kept > 0 && !WriteReplacement(log, buffer, static_cast<size_t>(kept), fault)) {
      PutText(DebugStream, "OSWriteFile failed\r\n");
      break;
    }
    offset += static_cast<uint32_t>(count);
  }
  ++ReportLevel;
  return whole;
}
