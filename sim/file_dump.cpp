#include "sim/file_dump.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "sim/simulator.h"

namespace {

std::string DumpName(const SimUnit& unit, const FileKey& key) {
  char name[64];
  std::snprintf(name, sizeof name, "unit%u-drive%u-file%04X", unsigned{unit.Address()}, unsigned{key.first},
                unsigned{key.second});
  return name;
}

bool Write(const std::string& path, const std::string& bytes, std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

bool DumpUnitFiles(Simulator& simulator, const std::string& folder, std::string& error) {
  std::error_code failure;
  std::filesystem::create_directories(folder, failure);
  if (failure) {
    error = "cannot make " + folder + ": " + failure.message();
    return false;
  }
  for (const SimUnit& unit : simulator.Units()) {
    for (const auto& [key, file] : unit.files) {
      std::string path = folder + "/" + DumpName(unit, key);
      if (!Write(path + ".bin", std::string(file.data.begin(), file.data.end()), error)) return false;
      if (file.properties.empty()) {
        std::filesystem::remove(path + ".properties", failure);
        continue;
      }
      std::string hex;
      for (uint8_t byte : file.properties) {
        char pair[4];
        std::snprintf(pair, sizeof pair, hex.empty() ? "%02X" : " %02X", byte);
        hex += pair;
      }
      if (!Write(path + ".properties", hex + "\n", error)) return false;
    }
  }
  return true;
}
