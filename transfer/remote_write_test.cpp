// Windowed writing against a unit scripted byte by byte: cumulative
// acknowledgements, refusals, lost acknowledgements and the recovery rounds, flash
// failures, the relayed form, and the close that waits for every acknowledgement.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "transfer/remote_file.h"
#include "transfer/scripted_file_unit_fixture.h"

namespace {

class RemoteWrite : public ScriptedFileUnit {
 protected:
  void SetUp() override {
    ScriptedFileUnit::SetUp();
    answer = [this](const Bytes& request) { return Answer(request); };
  }

  bool Create() {
    uint8_t result = 0;
    return CreateFile(Unit, Drive, File, false, result) && result == 0;
  }
  // Writes `data` block by block; false at the first write that fails.
  bool WriteAll(const Bytes& data) {
    for (uint32_t offset = 0; offset < data.size(); offset += 128) {
      int count = static_cast<int>(std::min<size_t>(128, data.size() - offset));
      if (!WriteFileRemote(Unit, Drive, File, offset, count, data.data() + offset)) return false;
    }
    return true;
  }
  bool Flush() {
    uint8_t result = 0;
    return FlushFileRemote(Unit, Drive, File, result) && result == 0;
  }
  std::vector<uint32_t> WriteOffsets() const {
    std::vector<uint32_t> offsets;
    for (const Bytes& request : requests) {
      std::optional<BlockRequest> block = ReadBlockRequest(request);
      if (block && block->code == 0x32) offsets.push_back(block->offset);
    }
    return offsets;
  }

  // What the unit does with the n-th write it hears: it takes a write that continues
  // its content (or repeats part of it) and refuses one beyond a gap, as a unit
  // writing its flash in order does. `acknowledge` then decides the replies.
  std::function<bool(int write)> lose = [](int) { return false; };
  std::function<std::vector<Bytes>(int write, const BlockRequest& block, bool taken)> acknowledge =
      [this](int, const BlockRequest& block, bool taken) {
        return std::vector<Bytes>{
            taken ? AckBody(Unit, Drive, File, lastTaken) : AckBody(Unit, Drive, File, block.offset, 0x34)};
      };
  Bytes content;
  uint32_t lastTaken = 0;  // the offset of the last write that continued the content

 private:
  std::vector<Bytes> Answer(const Bytes& request) {
    if (Code(request) != 0) return {EchoBody(request, {request[4], request[5], request[6], 0})};
    std::optional<BlockRequest> block = ReadBlockRequest(request);
    if (!block || block->code != 0x32) return {};
    int write = writes_++;
    if (lose(write)) return {};
    bool taken = block->offset <= content.size();
    if (taken) {
      size_t end = block->offset + block->data.size();
      if (end > content.size()) {
        content.resize(end);
        lastTaken = block->offset;
      }
      std::copy(block->data.begin(), block->data.end(), content.begin() + block->offset);
    }
    return acknowledge(write, *block, taken);
  }
  int writes_ = 0;
};

TEST_F(RemoteWrite, OneAcknowledgementFor512RetiresFiveSlots) {
  acknowledge = [this](int, const BlockRequest& block, bool) {
    return block.offset == 512 || block.offset == 1024 ? std::vector<Bytes>{AckBody(Unit, Drive, File, block.offset)}
                                                       : std::vector<Bytes>{};
  };
  Bytes data = Counting(9 * 128);
  ASSERT_TRUE(Create());
  ASSERT_TRUE(WriteAll(data));
  EXPECT_EQ(RemoteFile.outstanding, 4) << "0 to 512 retired by one acknowledgement, 1024 added";
  EXPECT_EQ(RemoteFile.ring[RemoteFile.head].offset, 640u);
  ASSERT_TRUE(Flush());
  EXPECT_EQ(RemoteFile.outstanding, 0);
  EXPECT_EQ(content, data);
  EXPECT_EQ(WriteOffsets().size(), 9u) << "nothing was sent twice";
}

TEST_F(RemoteWrite, WriteRequestsInThePlainAndTheRelayedForm) {
  struct Case {
    bool relayCapable;
    bool relayed;
    Bytes expected;
  };
  Bytes plain{Unit, 0x47, 0x32, Drive, 0x01, 0x00, 0, 0, 0, 0, 3, 'a', 'b', 'c'};
  Bytes relayed{Unit, 0x48, 0x04, 0x32, Drive, 0x01, 0x00, 0, 0, 0, 0, 3, 'a', 'b', 'c'};
  for (const Case& form : {Case{false, false, plain}, Case{true, false, plain}, Case{false, true, plain},
                           Case{true, true, relayed}}) {
    SCOPED_TRACE(testing::Message() << form.relayCapable << form.relayed);
    requests.clear();
    content.clear();
    RelayCapable = form.relayCapable;
    uint8_t result = 0;
    ASSERT_TRUE(CreateFile(Unit, Drive, File, form.relayed, result));
    ASSERT_TRUE(WriteAll(Bytes{'a', 'b', 'c'}));
    ASSERT_TRUE(Flush());
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1], form.expected);
  }
}

TEST_F(RemoteWrite, ARefusalResendsTheOldestUnacknowledgedWriteFirst) {
  lose = [](int write) { return write == 2; };  // 256 never arrives: the unit refuses what follows
  Bytes data = Counting(12 * 128);
  ASSERT_TRUE(Create());
  ASSERT_TRUE(WriteAll(data));
  ASSERT_TRUE(Flush());
  EXPECT_EQ(content, data);
  EXPECT_TRUE(Said("NACK FOR 00000100 - GOT 01.0100 $00000180\r\n")) << console.Text();
  std::vector<uint32_t> offsets = WriteOffsets();
  // 0 to 896 in the window, 1024 once 0 was acknowledged, 1152 once 128 was; then the
  // refusal of 384 is read and 256 goes out again before anything newer.
  ASSERT_GT(offsets.size(), 11u);
  EXPECT_EQ(offsets[10], 256u) << testing::PrintToString(offsets);
}

TEST_F(RemoteWrite, ALostAcknowledgementIsRecoveredByResendingTheOldestWrite) {
  int acks = 0;
  acknowledge = [this, &acks](int write, const BlockRequest&, bool) {
    if (write < 2) return std::vector<Bytes>{};  // the unit acknowledges 0 to 256 at once, after 256
    if (acks++ == 0) return std::vector<Bytes>{};  // and that acknowledgement is lost
    return std::vector<Bytes>{AckBody(Unit, Drive, File, lastTaken)};
  };
  Bytes data = Counting(300);
  ASSERT_TRUE(Create());
  ASSERT_TRUE(WriteAll(data));
  ASSERT_TRUE(Flush());
  EXPECT_EQ(content, data);
  EXPECT_TRUE(Said("no data received from comm port\r\nACK MISSING FOR 00000000 - GOT 01.0100 $00000000\r\n"))
      << console.Text();
  EXPECT_EQ(WriteOffsets(), (std::vector<uint32_t>{0, 128, 256, 0}))
      << "the oldest write once, which the unit acknowledges with all it has";
  EXPECT_FALSE(Said("ChangeBaudRate")) << "the port is reopened only from the second round on";
}

TEST_F(RemoteWrite, RecoveryRoundsReopenThePortOnceAndEndAfterTwenty) {
  DetailedDebugOn = true;
  acknowledge = [](int, const BlockRequest&, bool) { return std::vector<Bytes>{}; };
  ASSERT_TRUE(Create());
  ASSERT_TRUE(WriteAll(Bytes{1, 2, 3}));
  EXPECT_FALSE(Flush());
  // Round 0 once, round 1 once after reopening, rounds 2 to 19 twice each.
  EXPECT_EQ(WriteOffsets().size(), 1u + 1 + 1 + 18 * 2);
  EXPECT_TRUE(Said("FAILED\r\nFlushFileRemote failed\r\n")) << console.Text();
  size_t reopened = 0;
  for (size_t at = console.Text().find("ChangeBaudRate closing"); at != std::string::npos;
       at = console.Text().find("ChangeBaudRate closing", at + 1)) {
    ++reopened;
  }
  EXPECT_EQ(reopened, 1u);
}

TEST_F(RemoteWrite, AFlashFailureEndsTheWriteWithTheUnitsResult) {
  acknowledge = [](int write, const BlockRequest& block, bool) {
    return std::vector<Bytes>{AckBody(Unit, Drive, File, block.offset, 0x33, write == 1 ? 0x21 : 0)};
  };
  ASSERT_TRUE(Create());
  ASSERT_TRUE(WriteAll(Counting(3 * 128)));
  EXPECT_FALSE(Flush());
  EXPECT_TRUE(Said("\r\nUnit reported hardware failure, cannot write to flash drive. Address=$00000080, Result=21\r\n"))
      << console.Text();
}

TEST_F(RemoteWrite, CloseAfterCreateWithoutAFlushWaitsForEveryAcknowledgement) {
  uint64_t acknowledgedAt = 0;
  // The unit acknowledges everything 200 ms after the last write.
  acknowledge = [this, &acknowledgedAt](int write, const BlockRequest&, bool) {
    if (write == 2) {
      clock.Schedule(clock.Now() + 200'000, [this, &acknowledgedAt] {
        acknowledgedAt = clock.Now();
        Reply(AckBody(Unit, Drive, File, lastTaken), true);
      });
    }
    return std::vector<Bytes>{};
  };
  Bytes data = Counting(3 * 128);
  ASSERT_TRUE(Create());
  ASSERT_TRUE(WriteAll(data));
  uint8_t result = 1;
  ASSERT_TRUE(CloseFile(Unit, Drive, File, result));
  EXPECT_EQ(result, 0);
  ASSERT_EQ(Code(requests.back()), 0x102C);
  ASSERT_NE(acknowledgedAt, 0u);
  EXPECT_GT(heardAt.back(), acknowledgedAt) << "the close went out after the acknowledgement";
  EXPECT_EQ(content, data);
  EXPECT_FALSE(RemoteFile.writing);
}

// A late acknowledgement from an earlier transfer of the file names an offset that no
// write of this one has: it must not retire writes the unit has not confirmed.
TEST_F(RemoteWrite, AnAcknowledgementNamingNoWriteInFlightRetiresNothing) {
  lose = [](int write) { return write == 7; };  // 896 never arrives, and nothing follows it
  acknowledge = [this](int write, const BlockRequest& block, bool taken) {
    std::vector<Bytes> replies;
    if (write == 0) replies.push_back(AckBody(Unit, Drive, File, 0x10000));
    if (taken) replies.push_back(AckBody(Unit, Drive, File, lastTaken));
    else replies.push_back(AckBody(Unit, Drive, File, block.offset, 0x34));
    return replies;
  };
  Bytes data = Counting(8 * 128);
  ASSERT_TRUE(Create());
  ASSERT_TRUE(WriteAll(data));
  ASSERT_TRUE(Flush());
  EXPECT_EQ(content, data);
}

}  // namespace
