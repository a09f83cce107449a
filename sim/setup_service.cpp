#include "sim/setup_service.h"

#include <string>

#include "sim/simulator.h"
#include "sim/unit_documents.h"

namespace {

constexpr uint8_t SetupFunction = 0x46;
constexpr uint16_t SetupFile = 74;
constexpr uint16_t FieldbusFile = 263;
constexpr uint16_t ModbusFile = 265;
constexpr uint8_t CloneUnit = 0x3E;
constexpr uint8_t ReplaceUnit = 0x3F;

void PutDocument(SimUnit& unit, uint16_t file, const std::string& text) {
  unit.files[{FlashDrive, file}] = SimFile{Bytes(text.begin(), text.end()), {}};
}

// The settings of a cloned or replaced unit become those of the setup; the other load
// types touch parts of a unit that the simulator does not model.
void ApplySetup(SimUnit& unit, const std::vector<UnitSetting>& loaded, uint8_t type) {
  if (type != CloneUnit && type != ReplaceUnit) return;
  for (const UnitSetting& setting : loaded) {
    bool found = false;
    for (UnitSetting& own : unit.settings) {
      if (own.number == setting.number) {
        own = setting;
        found = true;
      }
    }
    if (!found) unit.settings.push_back(setting);
  }
}

void Finish(SimUnit& unit, SetupJob& job, uint16_t file) {
  job.running = false;
  if (file == SetupFile && job.loading) {
    auto found = unit.files.find({FlashDrive, SetupFile});
    if (found == unit.files.end()) return;
    if (std::optional<std::vector<UnitSetting>> loaded = ReadSetup(found->second.data)) {
      ApplySetup(unit, *loaded, job.loadType);
    }
    return;
  }
  if (file == SetupFile) PutDocument(unit, SetupFile, RenderSetup(unit));
  if (file == ModbusFile) PutDocument(unit, ModbusFile, RenderModbusTable(unit));
  if (file == FieldbusFile) PutDocument(unit, FieldbusFile, RenderFieldbusTable(unit));
}

// 1 while the job works, 0 once it has finished (or when none runs).
uint8_t Poll(SimUnit& unit, SetupJob& job, uint16_t file) {
  if (!job.running) return 0;
  if (--job.pollsLeft > 0) return 1;
  Finish(unit, job, file);
  return 0;
}

void Start(const SimUnit& unit, SetupJob& job, bool loading, uint8_t type) {
  job = SetupJob{.running = true, .loading = loading, .loadType = type, .pollsLeft = unit.setupJobPolls};
}

}  // namespace

std::optional<Bytes> AnswerSetupCall(Simulator& system, SimUnit& unit, const Bytes& body) {
  std::string who = "unit " + std::to_string(unit.Address());
  if (body.size() < 4) return std::nullopt;
  uint8_t code = body[2];
  Bytes reply{body[0], SetupFunction, code, body[3]};
  size_t expected = code == 0x90 || code == 0x91 ? 5 : 4;
  if (body.size() != expected) {
    system.Note(who + ": setup call " + std::to_string(code) + " with " + std::to_string(body.size()) + " bytes");
    return std::nullopt;
  }
  switch (code) {
    case 0x90: {
      auto found = unit.files.find({FlashDrive, SetupFile});
      if (found == unit.files.end() || !ReadSetup(found->second.data)) {
        system.Note(who + ": no setup to load");
        return std::nullopt;
      }
      Start(unit, unit.setupJob, true, body[4]);
      break;
    }
    case 0x91: Start(unit, unit.setupJob, false, 0); break;
    case 0x92: reply.push_back(Poll(unit, unit.setupJob, SetupFile)); break;
    case 0x94: Start(unit, unit.modbusJob, false, 0); break;
    case 0x95: reply.push_back(Poll(unit, unit.modbusJob, ModbusFile)); break;
    case 0x96: Start(unit, unit.fieldbusJob, false, 0); break;
    case 0x97: reply.push_back(Poll(unit, unit.fieldbusJob, FieldbusFile)); break;
    default:
      system.Note(who + ": no setup call " + std::to_string(code));
      return std::nullopt;
  }
  return reply;
}
