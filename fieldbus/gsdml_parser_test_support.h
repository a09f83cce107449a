// A reader of PROFINET GSDML files, for the tests and for the fuzz targets, where
// the schema (xmllint) would be far too slow: well-formed XML in the encoding the
// file declares, every ID and text ID once and every reference to them resolved,
// module ident numbers as the schema's pattern allows (8 hex digits, not all 0),
// and bit items once each within the bits of their data item.
#pragma once

#include <map>
#include <string>
#include <vector>

struct GsdmlModule {
  std::string id;
  std::string identNumber;
  std::string direction;  // "Input" or "Output", as the controller sees it
  std::string dataType;
  std::string textId;  // of the data item
  std::vector<long long> bitOffsets;
};
struct GsdmlFile {
  std::map<std::string, std::string> texts;  // TextId to Value, as UTF-8
  std::vector<GsdmlModule> modules;          // those that exchange data
};

// False with "line N: ..." or the broken rule in error.
bool ParseGsdml(const std::string& text, GsdmlFile& file, std::string& error);
