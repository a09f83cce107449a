// The four generated description files read back with the test parsers, and what
// they must say of each row of the table they came from. Free of the test
// framework, so that the property tests and the fuzz targets share it.
#pragma once

#include <string>
#include <vector>

#include "fieldbus/canopen_parser_test_support.h"
#include "fieldbus/eds_parser_test_support.h"
#include "fieldbus/gsd_parser_test_support.h"
#include "fieldbus/gsdml_parser_test_support.h"

inline constexpr const char* DescriptionSuffixes[4] = {" EthernetIP.EDS", " Profinet.xml", " Profibus.gsd",
                                                       " CANopen.eds"};

struct DescriptionFiles {
  EdsFile ethernetIp;
  GsdmlFile profinet;
  GsdFile profibus;
  CanopenFile canopen;
};

// The texts in the order of DescriptionSuffixes. False with the file and its fault.
bool ParseDescriptionFiles(const std::vector<std::string>& texts, DescriptionFiles& files, std::string& error);

// A row as the files must carry it, texts aside.
struct RowFacts {
  int address;
  int scope;  // 0 OUTPUT, 1 INPUT, 2 SETTING, 3 GLOBAL
  int size;
  int type;  // 0 BOOL, 3 SIGNED32, 10 BITS16, 18 REAL32
  std::vector<int> namedBits;
};

// One EtherNet/IP parameter per row (link path, type, size, its bits) and the RPI
// after them, assemblies of exactly the INPUT and OUTPUT rows; one PROFINET module
// per exchanged row, named and numbered by its address, with its bits; one PROFIBUS
// module per row with its scope, a length byte that counts its size, and its
// address; one CANopen object per row at 0x2001 + address with its type, access
// and mapping. False with the first difference.
bool CheckRows(const DescriptionFiles& files, const std::vector<RowFacts>& rows, std::string& error);

// The rows of the data table last read, as the files must carry them.
std::vector<RowFacts> FactsOfTheTableRead();
