#include "fieldbus/generate_fieldbus_files.h"

#include <string_view>

#include "fieldbus/data_table.h"
#include "fieldbus/lookup.h"
#include "fieldbus/template_engine.h"
#include "fieldbus/template_texts.h"
#include "fieldbus/text_escape.h"
#include "runtime/buffered_file.h"
#include "runtime/check.h"
#include "runtime/console_streams.h"
#include "runtime/files.h"
#include "runtime/log.h"
#include "runtime/path.h"

namespace {

struct DescriptionFile {
  std::string_view templateText;
  const char* suffix;
  const char* reportText;
  TextEscape escape;
  bool copyAsGsdml;
};

void ReportWriteFailure(const String& name) {
  PutText(ReportStream, "GenerateFieldbusFiles cannot write ");
  PutString(ReportStream, name);
  PutText(ReportStream, ": ");
  PutString(ReportStream, LastOsError());
  PutText(ReportStream, "\r\n");
}

// Written under a temporary name and renamed into place, so that a failed write
// never leaves a file a PLC tool would take for a whole one. A template fault still
// puts the expansion so far into place, where it shows how far the template got.
bool Generate(const DescriptionFile& description, const String& name) {
  String temporary = Concatenate(name, ".000");
  BufferedFile* file = nullptr;
  int error = FileCreateQuietly(file, temporary);
  if (error != 0) {
    PutText(StandardError, "\r\nCannot create file: ");
    PutString(StandardError, name);
    PutText(StandardError, "\r\n");
    FatalSystemError(error);
  }
  FileStream stream(file);
  CurrentTextEscape = description.escape;
  bool expanded = GenerateConfigurationFile(description.templateText, stream);
  CurrentTextEscape = TextEscape::None;
  if (!FileClose(file) || !RenameFile(temporary, name)) {
    ReportWriteFailure(name);
    DeleteFile(temporary);
    return false;
  }
  return expanded;
}

}  // namespace

bool GenerateFieldbusFiles(const String& tableFileName) {
  PutText(StandardError, "\r\nGenerateFieldbusFiles");
  SerialCounter = 0;
  if (!ReadDataTable(tableFileName)) return false;

  const DescriptionFile descriptions[] = {
      {EthIpEdsTemplate, " EthernetIP.EDS", " generating Ethernet/IP configuration: ", TextEscape::EdsString, false},
      {ProfinetGsdmlTemplate, " Profinet.xml", " generating Profinet configuration: ", TextEscape::Xml, true},
      {ProfibusGsdTemplate, " Profibus.gsd", " generating Profibus configuration: ", TextEscape::GsdString, false},
      {CanopenEdsTemplate, " CANopen.eds", " generating CANopen configuration: ", TextEscape::None, false},
  };
  // The table's own folder, with its separator; nothing for a name without a folder.
  String folder = tableFileName.Substring(0, LastSeparator(tableFileName) + 1);
  String stem = StripExtension(tableFileName);
  bool generated = true;
  for (const DescriptionFile& description : descriptions) {
    String name = Concatenate(stem, description.suffix);
    PutText(ReportStream, "GenerateFieldbusFiles");
    PutText(ReportStream, description.reportText);
    PutString(ReportStream, name);
    PutText(ReportStream, "\r\n");
    if (!Generate(description, name)) generated = false;
    // PLC tools that import by the standard's file name find the same file there; a
    // copy that fails leaves the generated file as it is.
    if (description.copyAsGsdml) {
      CopyFile(name, Concatenate(folder, GsdmlFileName), true);
    }
  }
  return generated;
}
