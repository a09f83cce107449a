// The call convention of unit procedures. A request is the unit's address, function
// 0x45, a 16-bit procedure number and the arguments; the reply echoes the head and
// carries the results. An attempt counts only when the reply was received whole
// with a correct CRC, every field was read, and the head was echoed. Repeats are
// byte-identical, so a reply found late by sliding answers the repeat without a
// second transmission.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "runtime/string.h"

inline constexpr uint8_t FunctionPing = 0x41;
inline constexpr uint8_t FunctionPingReply = 0x42;
inline constexpr uint8_t FunctionCall = 0x45;
inline constexpr uint8_t UnknownUnitAddress = 0xF0;

// The unit attached to the port, and the address its boot loader or flash
// programmer answers on.
extern uint8_t LocalUnitAddress;
extern uint8_t LoaderAddress;

struct ReplyHead {
  uint8_t address;
  uint8_t function;
  uint16_t code;
};

void BeginCall(uint8_t address, uint16_t code);
ReplyHead ReadReplyHead();
// EndRecvPacket, then the echo of address, function and procedure.
bool EndCall(const ReplyHead& head, uint8_t address, uint16_t code);

// One attempt: the request with `arguments`, a reply of `replySize` body bytes whose
// fields after the head `readResults` takes from PacketReader.
bool CallOnce(uint8_t address, uint16_t code, std::string_view arguments, uint32_t replySize,
              const std::function<void()>& readResults = {});
// Up to `attempts` attempts of the same call.
bool CallRepeated(int attempts, uint8_t address, uint16_t code, std::string_view arguments,
                  uint32_t replySize, const std::function<void()>& readResults = {});

// Is a unit answering at this address and speed?
bool Ping(uint8_t address);

// The request arguments as bytes, most significant first.
String Arguments(std::initializer_list<uint8_t> bytes);
String LongArgument(uint32_t value);

// "RPC: <name>\r\n", "COMPLETE\r\n" and "FAILED\r\n" on the debug stream.
void AnnounceCall(std::string_view name);
void CallComplete();
void CallFailed();
