#include "fieldbus/description_checks_test_support.h"

#include <cstdio>
#include <map>

#include "fieldbus/data_table.h"
#include "fieldbus/text_parsing_test_support.h"
#include "generic/parse_fields.h"

namespace {

bool Fail(std::string& error, const std::string& message) {
  error = message;
  return false;
}

std::string Hex(const char* format, int value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

const char* Pick(int type, const char* boolText, const char* signed32, const char* bits16, const char* real32) {
  switch (type) {
    case 0: return boolText;
    case 3: return signed32;
    case 10: return bits16;
    default: return real32;
  }
}

template <typename Map>
const typename Map::mapped_type* Find(const Map& map, const std::string& key) {
  auto found = map.find(key);
  return found == map.end() ? nullptr : &found->second;
}

bool CheckEthernetIp(const EdsFile& eds, const std::vector<RowFacts>& rows, std::string& error) {
  const EdsSection* params = Find(eds.sections, "Params");
  const EdsSection* assemblies = Find(eds.sections, "Assembly");
  if (params == nullptr || assemblies == nullptr) return Fail(error, "EDS without [Params] or [Assembly]");
  std::vector<std::string> members[2];
  long long bytes[2] = {0, 0};
  for (size_t i = 0; i < rows.size(); ++i) {
    const RowFacts& row = rows[i];
    std::string name = "Param" + std::to_string(i + 1);
    const EdsEntry* param = Find(*params, name);
    if (param == nullptr || param->fields.size() != 21) return Fail(error, "EDS lacks " + name);
    std::string path = "20 A2 25 " + Hex("%02X", row.address & 0xFF) + " " + Hex("%02X", row.address >> 8) + " 30 05";
    if (param->fields[2] != path) return Fail(error, name + " has the link path " + param->fields[2]);
    if (param->fields[4] != Pick(row.type, "0xC1", "0xC4", "0xD2", "0xCA")) return Fail(error, name + ": data type");
    if (param->fields[5] != std::to_string(row.size)) return Fail(error, name + ": data size");
    const EdsEntry* bits = Find(*params, "Enum" + std::to_string(i + 1));
    bool named = row.type == 10 && !row.namedBits.empty();
    if ((bits != nullptr) != named) return Fail(error, name + ": Enum list present or not as its bits say");
    for (size_t bit = 0; named && bit < row.namedBits.size(); ++bit) {
      if (bits->fields.size() != 2 * row.namedBits.size() || bits->fields[2 * bit] != std::to_string(row.namedBits[bit])) {
        return Fail(error, name + ": Enum bits differ");
      }
    }
    if (row.scope <= 1) {
      members[row.scope].push_back(std::to_string(8 * row.size) + "," + name);
      bytes[row.scope] += row.size;
    }
  }
  const EdsEntry* rpi = Find(*params, "Param" + std::to_string(rows.size() + 1));
  if (rpi == nullptr || rpi->fields.size() < 7 || rpi->fields[6] != "RPI range") return Fail(error, "EDS: RPI missing");
  if (Find(*params, "Param" + std::to_string(rows.size() + 2))) return Fail(error, "EDS: a parameter too many");
  const char* names[2] = {"Assem100", "Assem150"};  // OUTPUT rows produce, INPUT rows consume
  for (int scope = 0; scope < 2; ++scope) {
    const EdsEntry* assembly = Find(*assemblies, names[scope]);
    if (assembly == nullptr || assembly->fields.size() < 6) return Fail(error, std::string("EDS lacks ") + names[scope]);
    std::vector<std::string> found;
    for (size_t at = 6; at + 1 < assembly->fields.size(); at += 2) {
      found.push_back(assembly->fields[at] + "," + assembly->fields[at + 1]);
    }
    if (found != members[scope] || assembly->fields[2] != std::to_string(bytes[scope])) {
      return Fail(error, std::string(names[scope]) + " does not hold its rows");
    }
  }
  return true;
}

bool CheckProfinet(const GsdmlFile& gsdml, const std::vector<RowFacts>& rows, std::string& error) {
  std::map<std::string, const GsdmlModule*> modules;
  for (const GsdmlModule& module : gsdml.modules) modules[module.id] = &module;
  size_t exchanged = 0;
  for (const RowFacts& row : rows) {
    if (row.scope > 1) continue;
    ++exchanged;
    // The unit's outputs are the controller's inputs.
    std::string direction = row.scope == 0 ? "Input" : "Output";
    std::string id = "ID_MODULE_" + Upper(direction) + "_ADI" + std::to_string(row.address);
    const GsdmlModule* const* module = Find(modules, id);
    if (module == nullptr) return Fail(error, "GSDML lacks " + id);
    if ((*module)->direction != direction || (*module)->identNumber != Hex("0x%08X", row.address) ||
        (*module)->dataType != Pick(row.type, "Unsigned8", "Integer32", "Unsigned16", "Float32")) {
      return Fail(error, id + " does not say what its row says");
    }
    std::vector<long long> bits(row.namedBits.begin(), row.namedBits.end());
    if ((*module)->bitOffsets != bits) return Fail(error, id + ": bit items differ");
    const std::string* name = Find(gsdml.texts, "T_MODULE_" + Upper(direction) + "_ADI" + std::to_string(row.address));
    if (name == nullptr) return Fail(error, id + " has no name");
  }
  if (gsdml.modules.size() != exchanged) return Fail(error, "GSDML: another number of modules than rows");
  return true;
}

// The byte count a PROFIBUS length byte gives: bits 0-5 the count less one, bit 6
// words rather than bytes.
int ProfibusBytes(int length) { return ((length & 0x3F) + 1) * ((length & 0x40) ? 2 : 1); }

bool CheckProfibus(const GsdFile& gsd, const std::vector<RowFacts>& rows, std::string& error) {
  if (gsd.modules.size() != rows.size()) return Fail(error, "GSD: another number of modules than rows");
  for (size_t i = 0; i < rows.size(); ++i) {
    const RowFacts& row = rows[i];
    const GsdModule& module = gsd.modules[i];
    std::string where = "GSD module " + std::to_string(i + 1);
    std::vector<int> expected = {row.scope == 0 ? 0x43 : row.scope == 1 ? 0x83 : 0x03};
    if (row.scope <= 1) {
      if (module.identifier.size() < 2 || ProfibusBytes(module.identifier[1]) != row.size ||
          (module.identifier[1] & 0x80) == 0) {
        return Fail(error, where + ": the length byte does not count " + std::to_string(row.size) + " bytes");
      }
      expected.push_back(module.identifier[1]);
    }
    expected.insert(expected.end(), {0x00, row.address & 0xFF, row.address >> 8});
    if (module.identifier != expected || module.reference != static_cast<long long>(i) + 1) {
      return Fail(error, where + " does not say what its row says");
    }
  }
  return true;
}

bool CheckCanopen(const CanopenFile& canopen, const std::vector<RowFacts>& rows, std::string& error) {
  const IniSection* list = Find(canopen.sections, "MANUFACTUREROBJECTS");
  if (list == nullptr || Find(*list, "SUPPORTEDOBJECTS") == nullptr ||
      *Find(*list, "SUPPORTEDOBJECTS") != std::to_string(rows.size())) {
    return Fail(error, "CANopen: another number of objects than rows");
  }
  for (const RowFacts& row : rows) {
    std::string index = Hex("%04X", row.address + 0x2001);
    const IniSection* object = Find(canopen.sections, index);
    if (object == nullptr) return Fail(error, "CANopen lacks " + index);
    auto value = [&](const char* key) {
      const std::string* text = Find(*object, key);
      return text == nullptr ? std::string() : *text;
    };
    if (value("DATATYPE") != Pick(row.type, "0x0001", "0x0004", "0x0006", "0x0008") ||
        value("ACCESSTYPE") != (row.scope == 0 ? "ro" : "rw") || value("PDOMAPPING") != (row.scope <= 1 ? "1" : "0")) {
      return Fail(error, "CANopen " + index + " does not say what its row says");
    }
  }
  return true;
}

}  // namespace

bool ParseDescriptionFiles(const std::vector<std::string>& texts, DescriptionFiles& files, std::string& error) {
  if (texts.size() != 4) return Fail(error, "four files expected");
  std::string fault;
  const char* broken = nullptr;
  if (!ParseEds(texts[0], files.ethernetIp, fault) || !CheckEdsParameters(files.ethernetIp, fault)) {
    broken = DescriptionSuffixes[0];
  } else if (!ParseGsdml(texts[1], files.profinet, fault)) {
    broken = DescriptionSuffixes[1];
  } else if (!ParseGsd(texts[2], files.profibus, fault)) {
    broken = DescriptionSuffixes[2];
  } else if (!ParseCanopenEds(texts[3], files.canopen, fault) || !CheckCanopenObjects(files.canopen, fault)) {
    broken = DescriptionSuffixes[3];
  }
  if (broken != nullptr) return Fail(error, std::string("the") + broken + " breaks its format: " + fault);
  return true;
}

bool CheckRows(const DescriptionFiles& files, const std::vector<RowFacts>& rows, std::string& error) {
  return CheckEthernetIp(files.ethernetIp, rows, error) && CheckProfinet(files.profinet, rows, error) &&
         CheckProfibus(files.profibus, rows, error) && CheckCanopen(files.canopen, rows, error);
}

std::vector<RowFacts> FactsOfTheTableRead() {
  std::vector<RowFacts> facts;
  ResetRowCursor();
  while (NextRow()) {
    RowFacts row{RowAddress(), RowScope(), RowSize(), RowType(), {}};
    CsvCursor cursor;
    std::string name;
    std::string names(RowBitNames().View());
    while (ReadCsvField(names, cursor, name)) {
      if (!name.empty()) row.namedBits.push_back(cursor.column);
    }
    facts.push_back(row);
  }
  return facts;
}
