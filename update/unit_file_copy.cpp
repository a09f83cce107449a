#include "runtime/files.h"
#include "runtime/log.h"
#include "runtime/program_state.h"
#include "transfer/remote_file.h"
#include "update/log_extraction.h"

void CopyUnitFile(const UnitInfo& unit, uint16_t file, int descriptor) {
  --ReportLevel;
  uint32_t offset = 0;
  for (;;) {
    uint8_t buffer[RemoteFileBlock];
    int count = RemoteFileBlock;
    if (!ReadFileRemote(unit.SlaveAddress, 1, file, offset, buffer, count)) {
      PutText(DebugStream, "ReadFileRemote failed\r\n");
      break;
    }
    if (count <= 0 || count == 0xFF || count > RemoteFileBlock) break;
    int kept = count;
    while (kept > 0 && buffer[kept - 1] == 0) --kept;
    if (kept > 0 && WriteBytes(descriptor, buffer, kept) != kept) {
      PutText(DebugStream, "OSWriteFile failed\r\n");
      break;
    }
    offset += static_cast<uint32_t>(count);
  }
  ++ReportLevel;
}
