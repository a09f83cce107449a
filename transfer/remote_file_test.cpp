// The ordinary file calls against a unit scripted byte by byte: their requests, the
// echo they insist on, their attempts and their lines.
#include <gtest/gtest.h>

#include "generic/aarray.h"
#include "runtime/console_streams.h"
#include "transfer/remote_file.h"
#include "transfer/scripted_file_unit_fixture.h"

namespace {

using RemoteFileCalls = ScriptedFileUnit;

// The reply of a call that answers with drive, file and a result.
Bytes ResultReply(const Bytes& request, uint8_t result) {
  return EchoBody(request, {request[4], request[5], request[6], result});
}

TEST_F(RemoteFileCalls, RequestsAndLinesOfOpenCreateAndClose) {
  answer = [](const Bytes& request) { return std::vector<Bytes>{ResultReply(request, 0)}; };
  uint8_t result = 9;
  ASSERT_TRUE(OpenFile(5, 0x01, 0x0100, true, result));
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(RemoteFile.reading);
  EXPECT_FALSE(RemoteFile.writing);
  EXPECT_TRUE(RemoteFile.relayed);
  ASSERT_TRUE(CloseFile(5, 0x01, 0x0100, result));
  EXPECT_FALSE(RemoteFile.reading);
  ASSERT_TRUE(CreateFile(5, 0xB1, 0x1234, false, result));
  EXPECT_TRUE(RemoteFile.writing);
  EXPECT_FALSE(RemoteFile.reading);
  EXPECT_FALSE(RemoteFile.relayed);
  ASSERT_TRUE(CloseFile(5, 0xB1, 0x1234, result));

  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0], (Bytes{5, 0x45, 0x10, 0x26, 0x01, 0x01, 0x00}));
  EXPECT_EQ(requests[1], (Bytes{5, 0x45, 0x10, 0x2C, 0x01, 0x01, 0x00}));
  EXPECT_EQ(requests[2], (Bytes{5, 0x45, 0x10, 0x29, 0xB1, 0x12, 0x34}));
  EXPECT_EQ(requests[3], (Bytes{5, 0x45, 0x10, 0x2C, 0xB1, 0x12, 0x34}));
  EXPECT_TRUE(Said("-- remote file access window size = 8\r\n"
                   "RPC: OpenFile FileNo=0100 DriveNo=01 in Unit 5\r\n"
                   "COMPLETE: Result=0\r\n"
                   "RPC: CloseFile FileNo=0100 DriveNo=01 in Unit 5\r\n"
                   "COMPLETE: Result=0\r\n"
                   "-- remote file access window size = 8\r\n"
                   "RPC: CreateFile FileNo=1234 DriveNo=B1 in Unit 5\r\n"))
      << console.Text();
}

TEST_F(RemoteFileCalls, AResultIsPassedOutAsTheUnitSentIt) {
  answer = [](const Bytes& request) { return std::vector<Bytes>{ResultReply(request, 3)}; };
  uint8_t result = 0;
  ASSERT_TRUE(OpenFile(5, 1, 7, false, result));
  EXPECT_EQ(result, 3);
  EXPECT_TRUE(Said("COMPLETE: Result=3\r\n"));
}

// Each reply spoils one field of the echo: every attempt fails.
TEST_F(RemoteFileCalls, ARepliesEchoMustMatchInEveryField) {
  struct Case {
    const char* field;
    size_t position;
  };
  for (Case spoiled : {Case{"address", 0}, Case{"function", 1}, Case{"code", 3}, Case{"drive", 4},
                       Case{"file", 6}}) {
    SCOPED_TRACE(spoiled.field);
    requests.clear();
    console.Clear();
    answer = [spoiled](const Bytes& request) {
      Bytes reply = ResultReply(request, 0);
      reply[spoiled.position] ^= 0x01;
      return std::vector<Bytes>{reply};
    };
    uint8_t result = 0;
    EXPECT_FALSE(CreateFile(5, 1, 0x0100, false, result));
    EXPECT_EQ(requests.size(), 8u);
    EXPECT_TRUE(Said("RPC: CreateFile FileNo=0100 DriveNo=01 in Unit 5\r\nFAILED\r\n")) << console.Text();
    EXPECT_FALSE(RemoteFile.writing) << "nothing changes on a failed call";
  }
}

TEST_F(RemoteFileCalls, ASilentUnitGetsEightAttempts) {
  uint8_t result = 0;
  EXPECT_FALSE(OpenFile(5, 1, 0x0100, false, result));
  EXPECT_EQ(requests.size(), 8u);
  EXPECT_TRUE(Said("[NO DATA]\r\nFAILED\r\n")) << console.Text();
}

TEST_F(RemoteFileCalls, CloseOfAFileThatIsNotOpenStillSendsTheClose) {
  answer = [](const Bytes& request) { return std::vector<Bytes>{ResultReply(request, 0)}; };
  uint8_t result = 1;
  EXPECT_TRUE(CloseFile(5, 1, 0x0100, result));
  EXPECT_EQ(result, 0);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(Code(requests[0]), 0x102C);
  EXPECT_TRUE(Said("RPC: CloseFile FileNo=0100 DriveNo=01 in Unit 5\r\nERROR: not open\r\nCOMPLETE: Result=0\r\n"));
}

TEST_F(RemoteFileCalls, AttributesWithTheirProperties) {
  answer = [](const Bytes& request) {
    Bytes results{request[4], request[5], request[6], 0};
    AppendLong(results, 300);
    for (uint32_t checksum : {0x04030201u, 0x08060402u, 0xDEADBEEFu, 0u}) AppendLong(results, checksum);
    Bytes properties{0x01, 0x42, 0x49, 0x57, 0x07, 0x30};
    results.push_back(static_cast<uint8_t>(properties.size()));
    results.insert(results.end(), properties.begin(), properties.end());
    return std::vector<Bytes>{EchoBody(request, results)};
  };
  uint8_t result = 5;
  FileAttributes attributes{};
  ASSERT_TRUE(GetFileAttributes(9, 0x01, 0x0203, 1000, result, attributes));
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0], (Bytes{9, 0x45, 0x10, 0x2F, 0x01, 0x02, 0x03, 0x00, 0x00, 0x03, 0xE8}));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(attributes.size, 300u);
  EXPECT_EQ(attributes.checksums[2], 0xDEADBEEFu);
  EXPECT_EQ(attributes.properties.Length(), 6);
  EXPECT_EQ(GetLargeIntAA(attributes.properties, 1), 0x4957);
  EXPECT_TRUE(HasAA(attributes.properties, 7));
  EXPECT_TRUE(Said("RPC: GetFileAttributes FileNo=0203 DriveNo=01 in Unit 9\r\n"
                   "COMPLETE: Result=0 FileSize=300 Checksum1=04030201 Checksum2=08060402 "
                   "Checksum3=DEADBEEF Checksum4=00000000\r\n"
                   "Properties Length=6\r\n"))
      << console.Text();
}

TEST_F(RemoteFileCalls, AttributesWhosePropertiesDoNotAllArriveAreRetried) {
  int calls = 0;
  answer = [&calls](const Bytes& request) {
    Bytes results{request[4], request[5], request[6], 0};
    AppendLong(results, 4);
    for (int i = 0; i < 4; ++i) AppendLong(results, 0);
    results.push_back(200);  // announces 200 property bytes; the first reply brings 2
    results.push_back(0x01);
    results.push_back(0x10);
    if (++calls > 1) results.insert(results.end(), 198, 0x10);
    return std::vector<Bytes>{EchoBody(request, results)};
  };
  uint8_t result = 0;
  FileAttributes attributes{};
  ASSERT_TRUE(GetFileAttributes(9, 1, 2, 4, result, attributes));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(attributes.properties.Length(), 200);
}

TEST_F(RemoteFileCalls, PropertiesGoOutWithTheirLength) {
  answer = [](const Bytes& request) { return std::vector<Bytes>{ResultReply(request, 0)}; };
  AArray properties;
  SetUIntAA(properties, 1, 0x4957);
  ASSERT_TRUE(SetFileProperties(5, 1, 0x0100, properties));
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0], (Bytes{5, 0x45, 0x10, 0x2B, 0x01, 0x01, 0x00, 0x04, 0x01, 0x42, 0x49, 0x57}));
}

using RemoteFileCallsDeathTest = RemoteFileCalls;

TEST_F(RemoteFileCallsDeathTest, PropertiesOf240BytesAreAProgramError) {
  AArray properties;
  SetBytesAA(properties, 1, std::string(237, 'x'));  // 3 header bytes: 240 in all
  ASSERT_EQ(properties.Length(), 240);
  EXPECT_EXIT(
      {
        dup2(2, 1);
        InstallConsoleSink(nullptr);
        SetFileProperties(5, 1, 0x0100, properties);
      },
      ::testing::ExitedWithCode(1), "remote_file.cpp");
}

}  // namespace
