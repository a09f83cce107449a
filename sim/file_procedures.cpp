// The file calls of a unit's software and of its flash programmer (function 0x45):
// open, create, properties, close, attributes. Each reply echoes the drive and the
// file and carries a result: 0 done, 1 no such file (or none open), 2 no such drive.
#include <algorithm>

#include "sim/file_checks.h"
#include "sim/procedures.h"
#include "sim/simulator.h"

namespace {

constexpr uint8_t Done = 0;
constexpr uint8_t NoSuchFile = 1;
constexpr uint8_t NoSuchDrive = 2;

FileKey KeyOf(const Call& call) { return {call.arguments[0], WordAt(call.arguments, 1)}; }

bool HasDrive(const SimUnit& unit, uint8_t drive) {
  std::vector<uint8_t> drives = UnitDrives(unit.description);
  return std::find(drives.begin(), drives.end(), drive) != drives.end();
}

void EchoFile(Call& call, uint8_t result) {
  call.results.push_back(call.arguments[0]);
  call.results.push_back(call.arguments[1]);
  call.results.push_back(call.arguments[2]);
  call.results.push_back(result);
}

bool OpenFile(Call& call) {
  FileKey key = KeyOf(call);
  uint8_t result = !HasDrive(call.unit, key.first)  ? NoSuchDrive
                   : !call.unit.files.contains(key) ? NoSuchFile
                                                    : Done;
  if (result == Done) {
    call.unit.openFile = SimOpenFile{};
    call.unit.openFile.reading = true;
    call.unit.openFile.key = key;
  }
  EchoFile(call, result);
  return true;
}

bool CreateFile(Call& call) {
  FileKey key = KeyOf(call);
  uint8_t result = HasDrive(call.unit, key.first) ? Done : NoSuchDrive;
  if (result == Done) {
    call.unit.files[key] = SimFile{};
    call.unit.openFile = SimOpenFile{};
    call.unit.openFile.writing = true;
    call.unit.openFile.key = key;
  }
  EchoFile(call, result);
  return true;
}

// drive, file, the length of the properties, the properties.
bool SetFileProperties(Call& call) {
  if (call.arguments.size() < 4 || call.arguments.size() != 4u + call.arguments[3]) return false;
  auto file = call.unit.files.find(KeyOf(call));
  if (file != call.unit.files.end()) file->second.properties.assign(call.arguments.begin() + 4, call.arguments.end());
  EchoFile(call, file != call.unit.files.end() ? Done : NoSuchFile);
  return true;
}

bool CloseFile(Call& call) {
  SimOpenFile& open = call.unit.openFile;
  bool wasOpen = (open.reading || open.writing) && open.key == KeyOf(call);
  if (wasOpen) open = SimOpenFile{};
  EchoFile(call, wasOpen ? Done : NoSuchFile);
  return true;
}

// drive, file, the size of the file the tool means to write; the reply tells the
// size, the four checksums and the properties of the file there is.
bool GetFileAttributes(Call& call) {
  FileKey key = KeyOf(call);
  auto file = call.unit.files.find(key);
  uint8_t result = !HasDrive(call.unit, key.first)   ? NoSuchDrive
                   : file == call.unit.files.end() ? NoSuchFile
                                                   : Done;
  EchoFile(call, result);
  if (result != Done) {
    call.results.insert(call.results.end(), 4 + 16 + 1, 0);
    return true;
  }
  const SimFile& found = file->second;
  AppendLong(call.results, static_cast<uint32_t>(found.data.size()));
  for (uint32_t sum : UnitFileChecksums(found.data)) AppendLong(call.results, sum);
  call.results.push_back(static_cast<uint8_t>(found.properties.size()));
  call.results.insert(call.results.end(), found.properties.begin(), found.properties.end());
  return true;
}

constexpr Procedure Table[] = {
    {0x1026, "OpenFile", 3, 0, AnyVersion, OpenFile},
    {0x1029, "CreateFile", 3, 0, AnyVersion, CreateFile},
    {0x102B, "SetFileProperties", CountedArguments, 0, AnyVersion, SetFileProperties},
    {0x102C, "CloseFile", 3, 0, AnyVersion, CloseFile},
    {0x102F, "GetFileAttributes", 7, 0, AnyVersion, GetFileAttributes},
};

}  // namespace

std::span<const Procedure> FileProcedures() { return Table; }
