// Windowed reading against a unit scripted byte by byte: the read-ahead, replies in
// any order, the relayed form, lost and malformed replies, a unit that cannot read.
#include <gtest/gtest.h>


#include "transfer/remote_file.h"
#include "transfer/scripted_file_unit_fixture.h"

namespace {

class RemoteRead : public ScriptedFileUnit {
 protected:
  void SetUp() override {
    ScriptedFileUnit::SetUp();
    answer = [this](const Bytes& request) { return Answer(request); };
  }

  // Opens the file, reads it block by block and closes it; the deliveries in order.
  std::vector<int> ReadWhole(Bytes& read, int room = 128) {
    uint8_t result = 0;
    EXPECT_TRUE(OpenFile(Unit, Drive, File, false, result));
    std::vector<int> deliveries;
    uint32_t offset = 0;
    for (;;) {
      uint8_t data[128];
      int count = room;
      if (!ReadFileRemote(Unit, Drive, File, offset, data, count)) break;
      deliveries.push_back(count);
      read.insert(read.end(), data, data + count);
      offset += static_cast<uint32_t>(count);
      if (count == 0 || deliveries.size() > 100) break;
    }
    EXPECT_TRUE(CloseFile(Unit, Drive, File, result));
    return deliveries;
  }

  // A fresh start for the next case of a table.
  void Restart() {
    requests.clear();
    console.Clear();
    RemoteFile = RemoteFileState{};
    reads_ = 0;
  }

  std::vector<uint32_t> ReadOffsets() const {
    std::vector<uint32_t> offsets;
    for (const Bytes& request : requests) {
      if (std::optional<BlockRequest> block = ReadBlockRequest(request)) offsets.push_back(block->offset);
    }
    return offsets;
  }

  Bytes content = Counting(300);
  // What becomes of the reply to a read, by the request's number among the reads.
  std::function<std::vector<Bytes>(int read, Bytes reply)> shape = [](int, Bytes reply) {
    return std::vector<Bytes>{reply};
  };

 private:
  std::vector<Bytes> Answer(const Bytes& request) {
    if (Code(request) != 0) return {EchoBody(request, {request[4], request[5], request[6], 0})};
    std::optional<BlockRequest> block = ReadBlockRequest(request);
    if (!block || block->code != 0x30) return {};
    size_t from = std::min<size_t>(block->offset, content.size());
    size_t count = std::min<size_t>(block->count, content.size() - from);
    Bytes data(content.begin() + static_cast<long>(from), content.begin() + static_cast<long>(from + count));
    return shape(reads_++, ReadReplyBody(Unit, block->drive, block->file, block->offset, data));
  }
  int reads_ = 0;
};

TEST_F(RemoteRead, AFileOf300BytesWithEightReadsAhead) {
  Bytes read;
  EXPECT_EQ(ReadWhole(read), (std::vector<int>{128, 128, 44, 0}));
  EXPECT_EQ(read, content);
  std::vector<uint32_t> offsets = ReadOffsets();
  ASSERT_GE(offsets.size(), 8u);
  EXPECT_EQ(std::vector<uint32_t>(offsets.begin(), offsets.begin() + 8),
            (std::vector<uint32_t>{0, 128, 256, 384, 512, 640, 768, 896}));
  // One more read-ahead for each block taken; the close collects what is still in flight.
  EXPECT_EQ(std::vector<uint32_t>(offsets.begin() + 8, offsets.end()), (std::vector<uint32_t>{1024, 1152, 1280}));
  EXPECT_EQ(Code(requests.back()), 0x102C);
  EXPECT_EQ(RemoteFile.outstanding, 0);
  EXPECT_EQ(ReceiveStagingCount(), 0u) << "every reply was taken before the close";
  EXPECT_EQ(requests[1], (Bytes{Unit, 0x47, 0x30, Drive, 0x01, 0x00, 0, 0, 0, 0, 128}));
}

TEST_F(RemoteRead, AReplyFor256BeforeTheOneFor128IsKeptUntilItsTurn) {
  content = Counting(600);
  Bytes held;
  shape = [&held](int read, Bytes reply) {
    if (read == 1) {  // 128: held back until 256 has gone
      held = reply;
      return std::vector<Bytes>{};
    }
    if (read == 2) return std::vector<Bytes>{reply, held};
    return std::vector<Bytes>{reply};
  };
  Bytes read;
  EXPECT_EQ(ReadWhole(read), (std::vector<int>{128, 128, 128, 128, 88, 0}));
  EXPECT_EQ(read, content);
  EXPECT_FALSE(Said("READ MISSING"));
}

TEST_F(RemoteRead, RelayedRepliesAreKnownByTheLowFourBitsOfTheirRelayByte) {
  struct Case {
    uint8_t relay;
    bool taken;
  };
  for (Case relay : {Case{0x04, true}, Case{0x14, true}, Case{0xF4, true}, Case{0x05, false}, Case{0x40, false}}) {
    SCOPED_TRACE(relay.relay);
    Restart();
    // The first reply relayed: address, 0x48, the relay byte, then 0x31 and the rest
    // as the plain reply; the re-request of a dropped one gets a plain reply.
    shape = [relay](int read, Bytes reply) {
      if (read == 0) {
        reply[1] = 0x48;
        reply.insert(reply.begin() + 2, relay.relay);
      }
      return std::vector<Bytes>{reply};
    };
    uint8_t result = 0;
    ASSERT_TRUE(OpenFile(Unit, Drive, File, true, result));
    uint8_t data[128];
    int count = 128;
    if (relay.taken) {
      EXPECT_TRUE(ReadFileRemote(Unit, Drive, File, 0, data, count));
      EXPECT_EQ(count, 128);
      EXPECT_EQ(data[127], 128);
    } else {
      EXPECT_TRUE(ReadFileRemote(Unit, Drive, File, 0, data, count));
      EXPECT_TRUE(Said("READ MISSING FOR 00000000 - 01.0100\r\n")) << console.Text();
    }
    EXPECT_TRUE(CloseFile(Unit, Drive, File, result));
  }
}

// A lost reply is asked for again at the block the reader waits for: after the short
// last block of a file that is the next whole block, not the reader's offset.
TEST_F(RemoteRead, ALostReplyIsAskedForAgainAtItsBlock) {
  struct Case {
    int lost;  // among the reads
    const char* line;
    uint32_t block;
  };
  for (Case lost : {Case{1, "READ MISSING FOR 00000080 - 01.0100\r\n", 128},
                    Case{3, "READ MISSING FOR 0000012C - 01.0100\r\n", 384}}) {
    SCOPED_TRACE(lost.lost);
    Restart();
    shape = [lost](int read, Bytes reply) {
      return read == lost.lost ? std::vector<Bytes>{} : std::vector<Bytes>{reply};
    };
    Bytes read;
    EXPECT_EQ(ReadWhole(read), (std::vector<int>{128, 128, 44, 0}));
    EXPECT_EQ(read, content);
    EXPECT_TRUE(Said(std::string("no data received from comm port\r\n") + lost.line)) << console.Text();
    std::vector<uint32_t> offsets = ReadOffsets();
    EXPECT_EQ(std::count(offsets.begin(), offsets.end(), lost.block), 2);
  }
}

TEST_F(RemoteRead, AUnitThatNeverAnswersIsAskedTwentyTimes) {
  shape = [](int read, Bytes reply) { return read == 0 ? std::vector<Bytes>{} : std::vector<Bytes>{reply}; };
  content.clear();
  uint8_t result = 0;
  ASSERT_TRUE(OpenFile(Unit, Drive, File, false, result));
  shape = [](int, Bytes) { return std::vector<Bytes>{}; };
  uint8_t data[128];
  int count = 128;
  EXPECT_FALSE(ReadFileRemote(Unit, Drive, File, 0, data, count));
  EXPECT_EQ(count, 0);
  clock.AdvanceTo(clock.Now() + 100'000);  // the last request reaches the unit
  std::vector<uint32_t> offsets = ReadOffsets();
  EXPECT_EQ(std::count(offsets.begin(), offsets.end(), 0u), 21) << "the first request and 20 again";
  EXPECT_TRUE(Said("READ MISSING FOR 00000000 - 01.0100\r\n!FAILED\r\n")) << console.Text();
}

TEST_F(RemoteRead, AUnitThatCannotReadItsFlash) {
  shape = [](int read, Bytes reply) {
    if (read == 1) {
      reply.resize(11);
      reply[10] = 0xFF;  // no data follows
    }
    return std::vector<Bytes>{reply};
  };
  uint8_t result = 0;
  ASSERT_TRUE(OpenFile(Unit, Drive, File, false, result));
  uint8_t data[128];
  int count = 128;
  ASSERT_TRUE(ReadFileRemote(Unit, Drive, File, 0, data, count));
  count = 128;
  EXPECT_FALSE(ReadFileRemote(Unit, Drive, File, 128, data, count));
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(Said("\r\nUnit reported hardware failure, cannot read from flash drive. Address=$00000080\r\n"))
      << console.Text();
  EXPECT_TRUE(CloseFile(Unit, Drive, File, result));
}

// Replies whose count no block can have, whether or not that many bytes follow,
// never reach a slot: the block goes missing and is asked for again.
TEST_F(RemoteRead, CountsNoBlockCanHaveAreDropped) {
  for (int extra : {0, 200}) {
    SCOPED_TRACE(extra);
    Restart();
    shape = [extra](int read, Bytes reply) {
      if (read == 0) {
        reply.resize(11);
        reply[10] = 200;
        reply.insert(reply.end(), static_cast<size_t>(extra), 0xEE);
      }
      return std::vector<Bytes>{reply};
    };
    Bytes read;
    EXPECT_EQ(ReadWhole(read), (std::vector<int>{128, 128, 44, 0})) << console.Text();
    EXPECT_EQ(read, content);
    EXPECT_TRUE(Said("READ MISSING FOR 00000000 - 01.0100\r\n")) << console.Text();
  }
}

TEST_F(RemoteRead, RepliesForAnotherFileOrDriveAreDropped) {
  for (size_t field : {3u, 5u}) {
    SCOPED_TRACE(field);
    Restart();
    shape = [field](int read, Bytes reply) {
      if (read == 0) reply[field] ^= 0x01;
      return std::vector<Bytes>{reply};
    };
    Bytes read;
    EXPECT_EQ(ReadWhole(read), (std::vector<int>{128, 128, 44, 0}));
    EXPECT_EQ(read, content);
    EXPECT_TRUE(Said("READ MISSING FOR 00000000 - 01.0100\r\n")) << console.Text();
  }
}

TEST_F(RemoteRead, ASmallerRoomTakesABlockInParts) {
  Bytes read;
  EXPECT_EQ(ReadWhole(read, 100), (std::vector<int>{100, 28, 100, 28, 44, 0}));
  EXPECT_EQ(read, content);
}

TEST_F(RemoteRead, RepliesWithALengthHeaderOrWithout) {
  shape = [this](int, Bytes reply) {
    Reply(reply, false);
    return std::vector<Bytes>{};
  };
  Bytes read;
  EXPECT_EQ(ReadWhole(read), (std::vector<int>{128, 128, 44, 0}));
  EXPECT_EQ(read, content);
}

}  // namespace
