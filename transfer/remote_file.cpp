// The ordinary calls of the remote file access: open, create, properties, close and
// attributes, each up to 8 attempts of the call convention with the drive and file
// echoed besides the head.
#include "transfer/remote_file.h"

#include <functional>

#include "link/packet.h"
#include "link/port_control.h"
#include "protocol/remote_call.h"
#include "runtime/check.h"
#include "runtime/console_streams.h"
#include "runtime/log.h"
#include "runtime/program_state.h"
#include "transfer/file_window.h"

RemoteFileState RemoteFile{};

namespace {

constexpr int FileCallAttempts = 8;
constexpr uint16_t OpenFileCode = 0x1026;
constexpr uint16_t CreateFileCode = 0x1029;
constexpr uint16_t SetFilePropertiesCode = 0x102B;
constexpr uint16_t CloseFileCode = 0x102C;
constexpr uint16_t GetFileAttributesCode = 0x102F;
// The fixed part of the attributes reply: head, drive, file, result, size, the four
// checksums and the property length.
constexpr uint32_t AttributesHeadSize = 29;
constexpr size_t MaxPropertyBytes = 240;

String FileArguments(uint8_t drive, uint16_t file) {
  String arguments;
  StringStream out(arguments);
  PutByte(out, drive);
  PutWord(out, file);
  return arguments;
}

// One attempt's reading of the drive and file the unit echoes.
struct FileEcho {
  uint8_t drive;
  uint16_t file;
};

FileEcho ReadFileEcho() {
  FileEcho echo;
  echo.drive = GetByte(PacketReader);
  echo.file = GetWord(PacketReader);
  return echo;
}

// A call whose reply is the head, the drive, the file and a result byte.
bool ResultCall(uint8_t address, uint16_t code, uint8_t drive, uint16_t file, const String& arguments,
                uint8_t& result) {
  for (int attempt = 0; attempt < FileCallAttempts && !ExitRequested; ++attempt) {
    FileEcho echo{};
    uint8_t read = 0;
    bool replied = CallOnce(address, code, arguments.View(), 8, [&] {
      echo = ReadFileEcho();
      read = GetByte(PacketReader);
    });
    if (replied && echo.drive == drive && echo.file == file) {
      result = read;
      return true;
    }
  }
  CallFailed();
  return false;
}

void AnnounceFileCall(const char* name, uint8_t address, uint8_t drive, uint16_t file) {
  PutLine(DebugStream, "RPC: ", name, " FileNo=", Hex{file, 4}, " DriveNo=", Hex{drive, 2}, " in Unit ", address);
}

void CompleteWithResult(uint8_t result) {
  PutPieces(DebugStream, "COMPLETE: Result=", result);
}

bool OpenForTransfer(const char* name, uint16_t code, uint8_t address, uint8_t drive, uint16_t file,
                     bool relayed, uint8_t& result) {
  PutLine(DebugStream, "-- remote file access window size = ", RemoteFileWindow);
  AnnounceFileCall(name, address, drive, file);
  if (!ResultCall(address, code, drive, file, FileArguments(drive, file), result)) return false;
  CompleteWithResult(result);
  PutText(DebugStream, "\r\n");
  EmptyRing();
  RemoteFile.nextReadOffset = 0;
  RemoteFile.lastAckOffset = 0;
  RemoteFile.reading = code == OpenFileCode;
  RemoteFile.writing = code == CreateFileCode;
  RemoteFile.relayed = relayed;
  return true;
}

// One attempt at the attributes: a fixed part, then as many property bytes as it announces.
bool AttributesAttempt(uint8_t address, uint8_t drive, uint16_t file, uint32_t newSize, uint8_t& result,
                       FileAttributes& attributes) {
  BeginCall(address, GetFileAttributesCode);
  PutByte(PacketStream, drive);
  PutWord(PacketStream, file);
  PutLong(PacketStream, newSize);
  SendPacket(LinkPort, 11);
  RecvPartialPacket(LinkPort, AttributesHeadSize);
  ReplyHead head = ReadReplyHead();
  FileEcho echo = ReadFileEcho();
  FileAttributes read{};
  uint8_t readResult = GetByte(PacketReader);
  read.size = GetLong(PacketReader);
  for (uint32_t& checksum : read.checksums) checksum = GetLong(PacketReader);
  uint8_t length = GetByte(PacketReader);
  if (length > 0) RecvPartialPacket(LinkPort, length);
  for (int i = 0; i < length; ++i) read.properties.Append(static_cast<char>(GetByte(PacketReader)));
  if (!EndCall(head, address, GetFileAttributesCode) || echo.drive != drive || echo.file != file) return false;
  result = readResult;
  attributes = read;
  return true;
}

}  // namespace

bool OpenFile(uint8_t address, uint8_t drive, uint16_t file, bool relayed, uint8_t& result) {
  return OpenForTransfer("OpenFile", OpenFileCode, address, drive, file, relayed, result);
}

bool CreateFile(uint8_t address, uint8_t drive, uint16_t file, bool relayed, uint8_t& result) {
  return OpenForTransfer("CreateFile", CreateFileCode, address, drive, file, relayed, result);
}

bool SetFileProperties(uint8_t address, uint8_t drive, uint16_t file, const AArray& properties) {
  Assert(static_cast<size_t>(properties.Length()) < MaxPropertyBytes);
  String arguments = FileArguments(drive, file);
  StringStream out(arguments);
  PutByte(out, static_cast<uint8_t>(properties.Length()));
  PutRaw(out, properties.View());
  uint8_t result = 0;
  return ResultCall(address, SetFilePropertiesCode, drive, file, arguments, result);
}

bool CloseFile(uint8_t address, uint8_t drive, uint16_t file, uint8_t& result) {
  AnnounceFileCall("CloseFile", address, drive, file);
  bool finished = true;
  if (!RemoteFile.reading && !RemoteFile.writing) PutText(DebugStream, "ERROR: not open\r\n");
  if (RemoteFile.reading) OverlappedReadFinish(drive, file);
  if (RemoteFile.writing && !OverlappedWriteFinish(address, drive, file)) {
    PutText(DebugStream, "OverlappedWriteFinish failed\r\n");
    finished = false;
  }
  if (!ResultCall(address, CloseFileCode, drive, file, FileArguments(drive, file), result)) return false;
  CompleteWithResult(result);
  PutText(DebugStream, "\r\n");
  RemoteFile.reading = false;
  RemoteFile.writing = false;
  return finished;
}

bool GetFileAttributes(uint8_t address, uint8_t drive, uint16_t file, uint32_t newSize, uint8_t& result,
                       FileAttributes& attributes) {
  AnnounceFileCall("GetFileAttributes", address, drive, file);
  for (int attempt = 0; attempt < FileCallAttempts && !ExitRequested; ++attempt) {
    if (!AttributesAttempt(address, drive, file, newSize, result, attributes)) continue;
    CompleteWithResult(result);
    PutPieces(DebugStream, " FileSize=", attributes.size);
    for (int i = 0; i < 4; ++i) PutPieces(DebugStream, " Checksum", i + 1, "=", Hex{attributes.checksums[i], 8});
    PutLine(DebugStream);
    PutLine(DebugStream, "Properties Length=", attributes.properties.Length());
    return true;
  }
  CallFailed();
  return false;
}

// The ring and the log helpers the windowed reads and writes share.

RemoteFileSlot& AddSlot(uint32_t offset) {
  RemoteFileSlot& slot = RemoteFile.ring[RemoteFile.tail];
  slot.offset = offset;
  slot.count = 0;
  slot.received = false;
  RemoteFile.tail = NextRingIndex(RemoteFile.tail);
  ++RemoteFile.outstanding;
  return slot;
}

void RetireHeadSlot() {
  RemoteFile.head = NextRingIndex(RemoteFile.head);
  --RemoteFile.outstanding;
}

void EmptyRing() {
  RemoteFile.head = 0;
  RemoteFile.tail = 0;
  RemoteFile.outstanding = 0;
}

void PutDriveDotFile(Stream& stream, uint8_t drive, uint16_t file) {
  PutHex2(stream, drive);
  PutText(stream, ".");
  PutHex4(stream, file);
}

void MarkFailedAttempt() { PutText(StandardOutput, "!"); }
