// What the fuzz targets share: the run-time started once, the console discarded,
// and a scratch folder for the files the generator reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/console_streams.h"
#include "runtime/string_heap.h"

// A stream that only counts, so that generated text costs no memory.
struct CountingStream : Stream {
  CountingStream() : Stream{[](Stream* stream, uint8_t) { ++static_cast<CountingStream*>(stream)->count; }} {}
  size_t count = 0;
};

inline const std::string& FuzzFolder() {
  static const std::string folder = [] {
    CreateStringHeap();
    InstallConsoleSink([](uint8_t) {});
    std::string name = "/tmp/quarnet-fuzz-" + std::to_string(getpid());
    mkdir(name.c_str(), 0700);
    return name;
  }();
  return folder;
}

inline std::string WriteFuzzFile(const std::string& name, const uint8_t* data, size_t size) {
  std::string path = FuzzFolder() + "/" + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}
