#include "link/packet.h"

#include <gtest/gtest.h>

#include "generic/checksum.h"
#include "link/virtual_link_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A body followed by its CRC, low byte first.
Bytes Frame(Bytes body) {
  uint16_t crc = CrcOf(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
  body.push_back(static_cast<uint8_t>(crc >> 8));
  body.push_back(static_cast<uint8_t>(crc));
  return body;
}

void BuildRequest(const Bytes& body) {
  BeginPacket();
  for (uint8_t b : body) PutByte(PacketStream, b);
}

class Packets : public VirtualLink {
 protected:
  // One exchange as a remote call makes it: the whole reply body is read field by field.
  bool Exchange(const Bytes& request, uint32_t replySize) {
    BuildRequest(request);
    SendPacket(LinkPort, static_cast<uint32_t>(request.size()));
    if (!RecvPartialPacket(LinkPort, replySize)) return false;
    for (uint32_t i = 0; i < replySize; ++i) GetByte(PacketReader);
    return EndRecvPacket(LinkPort);
  }
};

TEST_F(Packets, RequestGoesOutInOnePieceWithCrcLowByteFirst) {
  BeginPacket();
  PutByte(PacketStream, 0x01);
  PutByte(PacketStream, 0x45);
  PutWord(PacketStream, 0x101B);
  SendPacket(LinkPort, 4);
  clock.Sleep(10'000);
  EXPECT_EQ(PeerReceived(), (Bytes{0x01, 0x45, 0x10, 0x1B, 0x5D, 0xC6}));
  EXPECT_TRUE(Said("<SEND (4) 01 45 10 1B> <CRC 5D C6>\r\n"));
  EXPECT_EQ(TotalBytesSent, 6u);

  BeginPacket();
  PutByte(PacketStream, 0x01);
  SendLengthFramePacket(LinkPort, 1);
  clock.Sleep(10'000);
  Bytes framed = PeerReceived();
  ASSERT_EQ(framed.size(), 5u);
  EXPECT_EQ(framed[0], 0xF1);
  EXPECT_EQ(framed[1], 3);
  EXPECT_TRUE(Said("<LENGTH HEADER F1 03> <SEND (1) 01>"));
}

TEST_F(Packets, ReplyWithOrWithoutLengthHeader) {
  for (bool header : {false, true}) {
    Bytes reply = Frame({0x05, 0x45, 0x12, 0x34});
    if (header) reply.insert(reply.begin(), {0xF1, static_cast<uint8_t>(reply.size())});
    PeerSends(reply);
    BuildRequest({0x05, 0x45, 0x00, header ? uint8_t{1} : uint8_t{0}});
    SendPacket(LinkPort, 4);
    ASSERT_TRUE(RecvPacket(LinkPort, 4)) << header;
    EXPECT_EQ(RecvBuffer[0], 0x05) << "the length header is not kept";
    EXPECT_EQ(GetByte(PacketReader), 0x05);
    EXPECT_EQ(GetByte(PacketReader), 0x45);
    EXPECT_EQ(GetWord(PacketReader), 0x1234);
    EXPECT_TRUE(EndRecvPacket(LinkPort)) << header;
  }
  EXPECT_TRUE(Said("[LENGTH HEADER F1 06] "));
  EXPECT_TRUE(Said("[RECV (4) 05 45 12 34] [CRC "));
}

TEST_F(Packets, StrayByteIsSlidOverAndRetryIsAnsweredWithoutSendingAgain) {
  PeerSends({0x7E});
  PeerSends(Frame({0x05, 0x46, 0xAB}));
  EXPECT_FALSE(Exchange({0x05, 0x46}, 3));
  EXPECT_TRUE(Said("[BAD CRC (5) 7E 05 46 AB"));
  EXPECT_TRUE(Said("[SLIDE PACKET GOOD CRC (5) 05 46 AB"));
  clock.Sleep(10'000);
  PeerReceived();

  uint32_t sentBefore = TotalBytesSent;
  EXPECT_TRUE(Exchange({0x05, 0x46}, 3));
  EXPECT_TRUE(Said("<SUPPRESS (2) 05 46>\r\n"));
  clock.Sleep(10'000);
  EXPECT_TRUE(PeerReceived().empty());
  EXPECT_EQ(TotalBytesSent, sentBefore);
}

TEST_F(Packets, AnotherRequestDiscardsTheHeldReply) {
  struct Case {
    Bytes next;
  };
  for (const Case& c : {Case{{0x05, 0x47}}, Case{{0x05}}}) {
    PeerSends({0x7E});
    PeerSends(Frame({0x05, 0x46, 0xAB}));
    EXPECT_FALSE(Exchange({0x05, 0x46}, 3));
    ASSERT_NE(RecvPacketSize, 0u);
    clock.Sleep(10'000);
    PeerReceived();
    console.Clear();
    BuildRequest(c.next);
    SendPacket(LinkPort, static_cast<uint32_t>(c.next.size()));
    EXPECT_TRUE(Said("[DISCARD (5) 05 46 AB")) << c.next.size();
    EXPECT_FALSE(Said("<SUPPRESS"));
    clock.Sleep(10'000);
    EXPECT_EQ(PeerReceived().size(), c.next.size() + 2);
  }
}

TEST_F(Packets, MissingAndShortReplies) {
  uint64_t start = clock.Now();
  BuildRequest({0x05, 0x45});
  SendPacket(LinkPort, 2);
  EXPECT_FALSE(RecvPacket(LinkPort, 4));
  EXPECT_TRUE(Said("[NO DATA]\r\n"));
  // The time-out, and not a poll step more: discovery is a row of such waits.
  EXPECT_GE(clock.Now() - start, 100'000u);
  EXPECT_LE(clock.Now() - start, 102'000u);

  PeerSends({0x05, 0x45, 0x01});
  EXPECT_FALSE(RecvPacket(LinkPort, 4));
  EXPECT_TRUE(Said("[PARTIAL RECV (0) 05 45 01] {_E_} - missing 3 bytes\r\n"));

  PeerSends({0x05, 0x45, 0x01});
  ASSERT_TRUE(RecvPartialPacket(LinkPort, 1));
  EXPECT_FALSE(RecvPartialPacket(LinkPort, 2));
  EXPECT_TRUE(Said("[INCOMPLETE RECV (3) 05 45 01] - missing 2 bytes\r\n"));
  EXPECT_EQ(RecvPacketSize, 0u);
}

// A reply of no body bytes is a length header and a CRC at most. The bytes after the
// header are the CRC even when they look like another header, so a unit that keeps
// sending F1 02 cannot hold the read beyond its time-outs.
TEST_F(Packets, OnlyTheFirstBytesOfAReplyCanBeItsLengthHeader) {
  PeerSends({0xF1, 0x02, 0xFF, 0xFF});  // the CRC of nothing
  BuildRequest({0x05, 0x41});
  SendPacket(LinkPort, 2);
  ASSERT_TRUE(RecvPacket(LinkPort, 0));
  EXPECT_EQ(RecvPacketSize, 2u);
  EXPECT_EQ(RecvBuffer[0], 0xFF);
  ResetPacketCache();

  Bytes stream;
  for (int i = 0; i < 2000; ++i) stream.insert(stream.end(), {0xF1, 0x02});
  PeerSends(stream);
  BuildRequest({0x05, 0x42});
  SendPacket(LinkPort, 2);
  uint64_t start = clock.Now();
  RecvPacket(LinkPort, 0);
  EXPECT_TRUE(Said("[BAD CRC (2) F1 02]"));
  // Two blocks of the reply's time-out and the slide's 100 ms, not the stream's 2.3 s.
  EXPECT_LE(clock.Now() - start, (2 * PacketTimeout + 100 + 10) * 1000u);
  ResetPacketCache();
}

TEST_F(Packets, AVanishedDeviceFailsTheReplyAtOnce) {
  PacketTimeout = 60'000;
  BuildRequest({0x05, 0x45});
  SendPacket(LinkPort, 2);
  line.Unplug();
  uint64_t start = clock.Now();
  EXPECT_FALSE(RecvPacket(LinkPort, 4));
  EXPECT_TRUE(Said("[RECEIVE FAIL]\r\n[NO DATA]\r\n"));
  EXPECT_LT(clock.Now() - start, 1'000u);
}

// A stop from another thread wakes no wait: the wait for a reply and a long block on its
// way out still end soon after it, and what the block had not yet put on the line is
// dropped rather than drained for seconds.
TEST_F(Packets, AStopEndsTheWaitsOnTheLine) {
  constexpr uint64_t StopAt = 200'000;
  struct Case {
    const char* wait;
    uint32_t size;  // of the request; no reply comes
  };
  const Case cases[] = {{"the reply", 2}, {"a long block", 8192}};
  for (const Case& c : cases) {
    PacketTimeout = 60'000;
    uint64_t start = clock.Now();
    clock.Schedule(start + StopAt, [] { ExitRequested = true; });
    BuildRequest(Bytes(c.size, 0x55));
    SendPacket(LinkPort, c.size);
    if (c.size > 2) {
      EXPECT_FALSE(FlushCommPortOverlapped(LinkPort)) << c.wait;
    }
    EXPECT_FALSE(RecvPacket(LinkPort, 4)) << c.wait;
    ExitRequested = false;
    EXPECT_LE(clock.Now() - start, StopAt + 2 * StopPollMs * 1000) << c.wait;
    // At 19200 baud the block needs 4.7 s: a fifth of a second put a few hundred bytes on the line.
    clock.Sleep(10'000'000);
    EXPECT_LT(PeerReceived().size(), 1000u) << c.wait;
    ResetPacketCache();
  }
}

TEST_F(Packets, BadCrcWithNothingAfterItFails) {
  Bytes reply = Frame({0x05, 0x45, 0x12, 0x34});
  reply.back() ^= 0xFF;
  PeerSends(reply);
  EXPECT_FALSE(Exchange({0x05, 0x45}, 4));
  EXPECT_TRUE(Said("[BAD CRC (6) 05 45 12 34"));
  EXPECT_TRUE(Said("[NO MORE DATA FOR SLIDE PACKET (5) 45 12 34"));
  EXPECT_EQ(RecvPacketSize, 0u);
}

TEST_F(Packets, EndRecvChecksThatTheWholeBodyWasRead) {
  PeerSends(Frame({0x05, 0x45, 0x12, 0x34}));
  BuildRequest({0x05, 0x45});
  SendPacket(LinkPort, 2);
  ASSERT_TRUE(RecvPacket(LinkPort, 4));
  GetWord(PacketReader);
  console.Clear();
  EXPECT_FALSE(EndRecvPacket(LinkPort));
  EXPECT_TRUE(Said("READ ERROR: final position=2, should be at=4\r\n"));

  console.Clear();
  RecvPacketSize = 3;
  EXPECT_FALSE(EndRecvPacket(LinkPort));
  EXPECT_TRUE(console.Text().empty());
  ResetPacketCache();
}

TEST_F(Packets, RequestLongerThanTheBufferIsNotSent) {
  BeginPacket();
  for (int i = 0; i < 20001; ++i) PutByte(PacketStream, static_cast<uint8_t>(i));
  EXPECT_EQ(SendPacketPos, 20000u);
  SendPacket(LinkPort, 20001);
  EXPECT_TRUE(Said("ERROR: SendPacket(20001): Write size error:20000\r\n"));
  clock.Sleep(100'000);
  EXPECT_TRUE(PeerReceived().empty());

  BeginPacket();
  for (int i = 0; i < 20000; ++i) PutByte(PacketStream, static_cast<uint8_t>(i));
  SendPacket(LinkPort, 20000);
  clock.Sleep(20'000'000);
  EXPECT_EQ(PeerReceived().size(), 20002u);
}

TEST_F(Packets, ExchangeCostsItsLineTime) {
  // 6 + 2 request bytes and 14 + 2 reply bytes at 19200 baud, 11 bits each.
  peer().onReceive = [this] {
    if (peer().Available() == 8) {
      PeerReceived();
      PeerSends(Frame(Bytes(14, 0x33)));
    }
  };
  uint64_t start = clock.Now();
  EXPECT_TRUE(Exchange({1, 2, 3, 4, 5, 6}, 14));
  uint64_t lineTime = 24 * VirtualLine::ByteTime(19200);
  EXPECT_GE(clock.Now() - start, lineTime);
  EXPECT_LE(clock.Now() - start, lineTime + 1000);
}

}  // namespace
