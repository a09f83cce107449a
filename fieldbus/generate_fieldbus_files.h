// The four device description files a PLC engineer loads for a unit fitted with an
// Anybus CompactCom 40: an EtherNet/IP EDS, a PROFINET GSDML, a PROFIBUS GSD and a
// CANopen EDS, generated from the unit's data table into the table's folder.
#pragma once

#include <vector>

#include "runtime/string.h"

// The PROFINET file is also copied under the name the GSDML standard gives it.
inline constexpr const char* GsdmlFileName = "GSDML-V2.35-Corvane Instruments Ltd-Velantor-20240101.xml";

// Each file is named after the table: "01 KD5 123456 Fieldbus.csv" gives
// "01 KD5 123456 Fieldbus EthernetIP.EDS" and so on. The four are written as one
// set, readable as the umask allows: true when all four are in place; false when
// the table is refused or a file cannot be written, and then no file has changed
// (LastFieldbusRefusal says why). A file that cannot even be created ends the
// program. The GSDML copy follows the set; a copy that fails is reported and
// changes nothing else.
bool GenerateFieldbusFiles(const String& tableFileName);
// The four files a generation from `tableFileName` writes, in the order above.
std::vector<String> FieldbusFileNames(const String& tableFileName);
