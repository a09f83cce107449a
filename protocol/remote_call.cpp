#include "protocol/remote_call.h"

#include "link/packet.h"
#include "link/port_control.h"
#include "runtime/log.h"
#include "runtime/program_state.h"

uint8_t LocalUnitAddress = UnknownUnitAddress;
uint8_t LoaderAddress = 1;

void BeginCall(uint8_t address, uint16_t code) {
  BeginPacket();
  PutByte(PacketStream, address);
  PutByte(PacketStream, FunctionCall);
  PutWord(PacketStream, code);
}

ReplyHead ReadReplyHead() {
  ReplyHead head;
  head.address = GetByte(PacketReader);
  head.function = GetByte(PacketReader);
  head.code = GetWord(PacketReader);
  return head;
}

bool EndCall(const ReplyHead& head, uint8_t address, uint16_t code) {
  bool received = EndRecvPacket(LinkPort);
  return received && head.address == address && head.function == FunctionCall && head.code == code;
}

bool CallOnce(uint8_t address, uint16_t code, std::string_view arguments, uint32_t replySize,
              const std::function<void()>& readResults) {
  BeginCall(address, code);
  PutRaw(PacketStream, arguments);
  SendPacket(LinkPort, static_cast<uint32_t>(4 + arguments.size()));
  RecvPacket(LinkPort, replySize);
  ReplyHead head = ReadReplyHead();
  if (readResults) readResults();
  return EndCall(head, address, code);
}

bool CallRepeated(int attempts, uint8_t address, uint16_t code, std::string_view arguments,
                  uint32_t replySize, const std::function<void()>& readResults) {
  for (int attempt = 0; attempt < attempts && !ExitRequested; ++attempt) {
    if (CallOnce(address, code, arguments, replySize, readResults)) return true;
  }
  return false;
}

bool Ping(uint8_t address) {
  BeginPacket();
  PutByte(PacketStream, address);
  PutByte(PacketStream, FunctionPing);
  SendPacket(LinkPort, 2);
  RecvPacket(LinkPort, 2);
  uint8_t echoed = GetByte(PacketReader);
  uint8_t function = GetByte(PacketReader);
  return EndRecvPacket(LinkPort) && echoed == address && function == FunctionPingReply;
}

String Arguments(std::initializer_list<uint8_t> bytes) {
  String text;
  for (uint8_t byte : bytes) text.Append(static_cast<char>(byte));
  return text;
}

String LongArgument(uint32_t value) {
  String text;
  StringStream out(text);
  PutLong(out, value);
  return text;
}

void AnnounceCall(std::string_view name) {
  PutText(DebugStream, "RPC: ");
  PutText(DebugStream, name);
  PutText(DebugStream, "\r\n");
}

void CallComplete() { PutText(DebugStream, "COMPLETE\r\n"); }

void CallFailed() { PutText(DebugStream, "FAILED\r\n"); }
