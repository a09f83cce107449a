#include "sim/unit_logs.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

Bytes Records(const std::vector<std::string>& lines) {
  Bytes bytes;
  for (const std::string& line : lines) {
    std::string text = line.substr(0, LogRecordSize - 2) + "\r\n";
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.resize(bytes.size() + (LogRecordSize - text.size()), 0);
  }
  return bytes;
}

std::string Hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
  return text;
}

void Keep(SimUnit& unit, uint16_t file, const std::vector<std::string>& lines) {
  FileKey key{FlashDrive, file};
  if (!unit.files.contains(key)) unit.files[key] = SimFile{Records(lines), {}};
}

}  // namespace

void WriteUnitLogs(SimUnit& unit) {
  const UnitIdentity& identity = unit.Identity();
  std::string name = "unit " + std::to_string(unit.Address()) + " card " + std::to_string(identity.card);
  Keep(unit, ConfigurationLogFile,
       {"Configuration log of " + name, "serial number " + std::to_string(identity.serialNumber),
        "software " + std::to_string(identity.softwareVersion) + " release " + std::to_string(identity.softwareBuild),
        "setting 1 capacity changed", "setting 2 response time changed"});
  Keep(unit, CrashLogFile, {"Crash log of " + name, "watchdog reset at 0x00012A40", "stack 2000FF10 0001C3B2"});
  int index = 0;
  for (uint16_t id : unit.description.debugLogs) {
    Keep(unit, id, {"Debug log " + Hex4(id) + " of " + name, "entry " + std::to_string(++index) + ": weighing started",
                    "entry: zero tracked"});
  }
}
