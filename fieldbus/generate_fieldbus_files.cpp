#include "fieldbus/generate_fieldbus_files.h"

#include <string>
#include <string_view>
#include <vector>

#include "fieldbus/data_table.h"
#include "fieldbus/file_set.h"
#include "fieldbus/lookup.h"
#include "fieldbus/table_refusal.h"
#include "fieldbus/template_engine.h"
#include "fieldbus/template_texts.h"
#include "fieldbus/text_escape.h"
#include "fieldbus/text_stream.h"
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
};

// Made at first use: the templates are other files' globals.
const std::vector<DescriptionFile>& Descriptions() {
  static const std::vector<DescriptionFile> descriptions = {
      {EthIpEdsTemplate, " EthernetIP.EDS", " generating Ethernet/IP configuration: ", TextEscape::EdsString},
      {ProfinetGsdmlTemplate, " Profinet.xml", " generating Profinet configuration: ", TextEscape::Xml},
      {ProfibusGsdTemplate, " Profibus.gsd", " generating Profibus configuration: ", TextEscape::GsdString},
      {CanopenEdsTemplate, " CANopen.eds", " generating CANopen configuration: ", TextEscape::CanopenValue},
  };
  return descriptions;
}
constexpr size_t ProfinetFile = 1;

bool Expand(const DescriptionFile& description, std::string& text) {
  TextStream stream(text);
  CurrentTextEscape = description.escape;
  bool expanded = GenerateConfigurationFile(description.templateText, stream);
  CurrentTextEscape = TextEscape::None;
  return expanded;
}

bool Refuse(std::string_view reason) {
  PutLine(ReportStream, "GenerateFieldbusFiles ", reason);
  SetFieldbusRefusal(reason);
  return false;
}

}  // namespace

bool GenerateFieldbusFiles(const String& tableFileName) {
  PutText(StandardError, "\r\nGenerateFieldbusFiles");
  SerialCounter = 0;
  if (!ReadDataTable(tableFileName)) return false;

  // Every file is expanded before any is written, so that a fault of one leaves all
  // four as they were: a PLC engineer never gets a set of files from two tables.
  String stem = StripExtension(tableFileName);
  std::vector<PlannedFile> files;
  for (const DescriptionFile& description : Descriptions()) {
    PlannedFile file{Concatenate(stem, description.suffix), {}};
    PutLine(ReportStream, "GenerateFieldbusFiles", description.reportText, file.name);
    if (!Expand(description, file.text)) {
      return Refuse(std::string("writes no file: the template of ") + std::string(file.name.View()) +
                    " is faulty");
    }
    files.push_back(std::move(file));
  }

  FileSetResult result = WriteFileSet(files);
  if (result.outcome == FileSetResult::CannotCreate) {
    PutLine(StandardError, "\r\nCannot create file: ", result.name);
    FatalSystemError(result.error);
  }
  if (result.outcome == FileSetResult::Failed) {
    SetFieldbusRefusal(Concatenate(Concatenate("cannot write ", result.name), ": no file has changed").View());
    return false;
  }

  // PLC tools that import by the standard's file name find the same file there.
  String folder = tableFileName.Substring(0, LastSeparator(tableFileName) + 1);
  FileSetResult copy = WriteFileSet({{Concatenate(folder, GsdmlFileName), files[ProfinetFile].text}});
  if (copy.outcome == FileSetResult::CannotCreate) {
    PutLine(ReportStream, "GenerateFieldbusFiles cannot write ", copy.name, ": ", LastOsError());
  }
  return true;
}

std::vector<String> FieldbusFileNames(const String& tableFileName) {
  String stem = StripExtension(tableFileName);
  std::vector<String> names;
  for (const DescriptionFile& description : Descriptions()) names.push_back(Concatenate(stem, description.suffix));
  return names;
}
