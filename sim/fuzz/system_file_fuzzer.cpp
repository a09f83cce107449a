// libFuzzer target: the simulator's system file on any text, read from the text and
// from a file of the scratch folder. A system it accepts is then simulated: the
// units answer the identification and listing procedures on a virtual line, in
// virtual time, from what the file said.
//
// Beyond a crash it checks that a refusal names a line of the file, that an accepted
// system keeps the documented limits (addresses, one unit on the port, the sizes that
// travel in a byte or in 4 bits), and that every reply built from it is a whole frame
// whose counts agree with what follows them.
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "link/virtual_line.h"
#include "runtime/fuzz/fuzz_support.h"
#include "runtime/virtual_clock.h"
#include "sim/simulator.h"
#include "sim/system_file.h"

namespace {

// "line N: ..." with N a line of the text (a text ending in a line break has an empty
// last line after it).
void CheckRefusal(const std::string& error, std::string_view text) {
  FuzzCheck(error.rfind("line ", 0) == 0);
  size_t colon = error.find(": ");
  FuzzCheck(colon != std::string::npos && colon > 5);
  size_t number = std::stoul(error.substr(5, colon - 5));
  size_t lines = std::count(text.begin(), text.end(), '\n') + 1;
  FuzzCheck(number >= 1 && number <= lines);
}

void CheckLimits(const SystemDescription& system) {
  FuzzCheck(!system.units.empty());
  int attached = 0;
  std::vector<bool> used(256);
  for (const UnitDescription& unit : system.units) {
    FuzzCheck(unit.address >= 1 && unit.address <= 247 && unit.address != ProbeAddress && !used[unit.address]);
    used[unit.address] = true;
    attached += unit.attached;
    FuzzCheck(unit.speed.baud >= 1 && unit.bootLoaderSpeed >= 1);
    FuzzCheck(unit.debugLogs.size() <= 255);
    for (const UnitSetting& setting : unit.settings) {
      FuzzCheck(setting.decimals <= 15 && setting.countBy <= 4095 && setting.unitsText.size() <= 255);
    }
    const UnitIdentity& identity = unit.identity;
    FuzzCheck(identity.card <= 32767 && identity.circuit <= 32767);
    FuzzCheck(identity.softwareVersion >= 0);
    FuzzCheck(identity.buildIncrement <= 127);
    FuzzCheck(identity.information.size() <= 255);
    FuzzCheck(identity.mcu <= 15 && identity.bootVersion <= 15);
    FuzzCheck(identity.bootType <= 127 && identity.bootRelease <= 127);
    FuzzCheck(identity.revisionLetter <= 26);
  }
  FuzzCheck(attached == 1);
}

Bytes Framed(Bytes body) {
  uint16_t crc = FrameCrc(body);
  body.push_back(static_cast<uint8_t>(crc));
  body.push_back(static_cast<uint8_t>(crc >> 8));
  return body;
}

// The reply's body, or nothing when the unit kept quiet. A reply that is there must be
// a whole frame echoing the request's head (a ping's with its reply function).
std::optional<Bytes> Call(VirtualLine& line, const Bytes& request, uint32_t baud) {
  Bytes frame = Framed(request);
  line.Tool().Write(frame.data(), static_cast<int>(frame.size()));
  // The request, the unit's pause and delays, and a reply of up to 600 bytes.
  uint64_t wait = (frame.size() + 600) * VirtualLine::ByteTime(baud) + ChunkReceiver::QuietTime(baud) + 20'000;
  line.Clock().AdvanceTo(line.Clock().Now() + wait);
  Bytes reply(static_cast<size_t>(line.Tool().Available()));
  line.Tool().Read(reply.data(), static_cast<int>(reply.size()));
  if (reply.empty()) return std::nullopt;
  FuzzCheck(reply.size() >= request.size() && reply.size() >= 4 && FrameCrc(reply) == 0);
  FuzzCheck(reply[0] == request[0]);
  if (request[1] == 0x41) FuzzCheck(reply.size() == 4 && reply[1] == 0x42);
  else FuzzCheck(std::equal(request.begin(), request.begin() + 4, reply.begin()));
  reply.resize(reply.size() - 2);
  return reply;
}

void Simulate(const SystemDescription& system) {
  VirtualClock clock;
  InstallClock(&clock);
  VirtualLine line(clock, true);
  {
    Simulator simulator(clock, system);
    simulator.Attach(line);
    SimUnit& local = simulator.AttachedUnit();
    uint32_t baud = local.listening.baud;
    line.Tool().Configure(local.listening);
    if (local.program == Program::BootRom) {
      Bytes question{'?'};
      line.Tool().Write(question.data(), 1);
      clock.AdvanceTo(clock.Now() + 100 * VirtualLine::ByteTime(baud) + 20'000);
      FuzzCheck(line.Tool().Available() == 14);
    } else {
      // The unit on the port (at its own address and at the probe address), the boot
      // loader's address, and the first unit behind it.
      std::vector<uint8_t> addresses{local.Address(), ProbeAddress, BootLoaderAddress};
      for (const SimUnit& unit : simulator.Units()) {
        if (&unit != &local) {
          addresses.push_back(unit.Address());
          break;
        }
      }
      for (uint8_t address : addresses) {
        Call(line, {address, 0x41}, baud);
        for (uint16_t code : {0x1010, 0x1012, 0x1014, 0x1015, 0x1016, 0x1017, 0x101B, 0x101C, 0x101F, 0x1033,
                              0x1034, 0x1091}) {
          Bytes request{address, 0x45, static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code)};
          std::optional<Bytes> reply = Call(line, request, baud);
          if (!reply) continue;
          size_t results = reply->size() - 4;
          const uint8_t* at = reply->data() + 4;
          // Each count in a reply agrees with what follows it.
          if (code == 0x1017) FuzzCheck(results >= 1 && results == 1u + at[0]);
          if (code == 0x1034) FuzzCheck(results >= 1 && results == 1u + 2u * at[0]);
          if (code == 0x1014 || code == 0x1015) FuzzCheck(results >= 1 && results == at[0]);
          if (code == 0x1016) FuzzCheck(results <= 255);
        }
        Call(line, {address, 0x45, 0x10, 0x13, 0x01}, baud);
      }
    }
  }
  InstallClock(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFolder();
  std::string_view text(reinterpret_cast<const char*>(data), size);
  SystemDescription system;
  std::string error;
  bool accepted = ReadSystemText(text, system, error);
  if (!accepted) CheckRefusal(error, text);

  std::string path = WriteFuzzFile("system.txt", data, size);
  SystemDescription fromFile;
  std::string fileError;
  FuzzCheck(ReadSystemFile(path, fromFile, fileError) == accepted);
  if (!accepted) FuzzCheck(fileError == path + ": " + error);
  if (!accepted) return 0;
  CheckLimits(system);
  Simulate(system);
  return 0;
}
