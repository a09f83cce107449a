// For the tests of whole generations: a table written beside its four description
// files, the files read back with the test parsers, the PROFINET file checked
// against the GSDML schema with xmllint and read as an XML reader gives it back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "fieldbus/description_checks_test_support.h"
#include "fieldbus/generate_fieldbus_files.h"
#include "fieldbus/table_fixture.h"
#include "fieldbus/table_refusal.h"
#include "testing/program_run.h"

// The PROFINET file is checked against its schema by xmllint, a Linux program; the
// Windows build's tests have no shell to run it and skip those checks.
#define REQUIRE_XMLLINT()                                                                                \
  do {                                                                                                   \
    if (!ShellAvailable()) GTEST_SKIP() << "xmllint runs on Linux only";                                 \
    ASSERT_EQ(RunCommand("xmllint --version").second, 0) << "xmllint missing: tools/install-packages installs it"; \
  } while (false)

// The command's output and exit status.
inline std::pair<std::string, int> RunCommand(const std::string& command) {
  ProgramRun run = RunProgram(".", command);
  return {run.output, run.exitCode};
}

inline std::string SchemaPath() {
  return std::string(QUARNET_TESTDATA_DIR) + "/gsdml-v2.35/GSDML-DeviceProfile-v2.35.xsd";
}

class GenerateFixture : public TableFixture {
 protected:
  static constexpr const char* Stem = "01 KD5 123456 Fieldbus";

  // The table under the standard header, generated.
  bool GenerateRows(const std::string& rows) {
    Write(std::string(Stem) + ".csv", std::string(TableHeader) + rows);
    return GenerateFieldbusFiles(String::Copy(Path(std::string(Stem) + ".csv")));
  }
  std::string Output(const char* suffix) const { return Read(std::string(Stem) + suffix); }
  std::vector<std::string> Outputs() const {
    std::vector<std::string> texts;
    for (const char* suffix : DescriptionSuffixes) texts.push_back(Output(suffix));
    return texts;
  }
  // The four files as their parsers read them; a failure when any breaks its format.
  DescriptionFiles ReadBack() const {
    DescriptionFiles files;
    std::string error;
    EXPECT_TRUE(ParseDescriptionFiles(Outputs(), files, error)) << error;
    return files;
  }
  std::vector<std::string> Listing() const { return folder.Listing(); }

  // Under Wine there is no xmllint to ask (REQUIRE_XMLLINT): the file's own readers
  // still check it.
  void ExpectSchemaValid() const {
    if (!ShellAvailable()) return;
    auto [output, status] = RunCommand("xmllint --noout --nonet --schema '" + SchemaPath() + "' '" +
                                       Path(std::string(Stem) + " Profinet.xml") + "'");
    EXPECT_EQ(status, 0) << output;
  }
  // A text's value as xmllint, an XML reader of its own, gives it back.
  std::string XmllintText(const std::string& textId) const {
    std::string file = Path(std::string(Stem) + " Profinet.xml");
    std::string query = "string(//*[local-name()='Text'][@TextId='" + textId + "']/@Value)";
    std::string value = RunCommand("xmllint --xpath \"" + query + "\" '" + file + "'").first;
    if (!value.empty() && value.back() == '\n') value.pop_back();
    return value;
  }
};
