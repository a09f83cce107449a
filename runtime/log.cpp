#include "runtime/log.h"

#include <cerrno>
#include <cstdlib>
#include <set>
#include <string>

#include "runtime/buffered_file.h"
#include "runtime/check.h"
#include "runtime/clock.h"
#include "runtime/console_streams.h"
#include "runtime/folder_scan.h"
#include "runtime/ini_file.h"
#include "runtime/message_box.h"
#include "runtime/number_format.h"
#include "runtime/operation_progress.h"
#include "runtime/operator_stop.h"
#include "runtime/path.h"
#include "runtime/process.h"
#include "runtime/program_state.h"
#include "runtime/user_folders.h"

int8_t CommTraceLevel = 0;
void (*ClosePortHook)() = nullptr;
void (*FatalOutcomeHook)(const String& message, int exitCode) = nullptr;

namespace {

BufferedFile* logFile = nullptr;
bool logOpen = false;
uint32_t startTick = 0;
// The stamp of a line is taken when its first character arrives, so that it tells
// when the line was written, not when the line before it ended.
bool stampPending = false;
// Enough for any number of runs started within one second.
constexpr int MaxLogCopies = 1000;

void PutAll(Stream& stream, std::string_view text) { PutText(stream, text); }

void ReportPut(uint8_t c) {
  StandardOutput.put(&StandardOutput, c);
  LogPut(c);
}

void DebugPut(uint8_t c) {
  if (DebugOn) StandardOutput.put(&StandardOutput, c);
  LogPut(c);
}

void DetailPut(uint8_t c) {
  if (DetailedDebugOn) StandardOutput.put(&StandardOutput, c);
  LogPut(c);
}

// The stamp opens the line that follows a line end: "004512: ".
void WriteStamp() {
  FileStream file(logFile);
  PutNumber(file, TickMilliseconds() - startTick, NumberZeroFill, 0, 6, 0, 0);
  PutText(file, ": ");
}

String TwoDigits(int value) {
  String text;
  StringStream out(text);
  PutNumber(out, value, NumberZeroFill, 0, 2, 0, 0);
  return text;
}

String UserName() {
  for (const char* variable : {"USERNAME", "USER"}) {
    String value = GetEnvironment(String::Constant(variable));
    if (!value.Empty()) return value;
  }
  return AccountName();
}

String HostName() {
  String value = GetEnvironment("COMPUTERNAME");
  if (!value.Empty()) return value;
  return ComputerName();
}

// Whole on one line, however long: an operator copies it from the terminal, and a path
// broken across two lines would name no file.
void ShowLogName(const String& name) {
  PutAll(StandardOutput, "   LogFile         : ");
  PutAll(StandardOutput, name.View());
  PutAll(StandardOutput, "\r\n");
}

void WriteHeader() {
  for (int i = 0; i < ArgCount; ++i) {
    for (const char* c = ArgList[i]; *c != '\0'; ++c) FilePutByte(logFile, static_cast<uint8_t>(*c));
    FilePutByte(logFile, ' ');
  }
  PutAll(LogStream, "\r\n");
  PutAll(LogStream, "COMPUTERNAME=");
  PutString(LogStream, HostName());
  PutAll(LogStream, "\r\nUSERNAME=");
  PutString(LogStream, UserName());
  PutAll(LogStream, "\r\n");
}

}  // namespace

Stream LogStream{[](Stream*, uint8_t c) { LogPut(c); }};
Stream ReportStream{[](Stream*, uint8_t c) { ReportPut(c); }};
Stream DebugStream{[](Stream*, uint8_t c) { DebugPut(c); }};
Stream DetailStream{[](Stream*, uint8_t c) { DetailPut(c); }};

void LogPut(uint8_t c) {
  if (c == '\n' || !logOpen) return;
  if (stampPending) WriteStamp();
  stampPending = false;
  FilePutByte(logFile, c);
  if (c == '\r') {
    FilePutByte(logFile, '\n');
    stampPending = true;
    // The log is what is left to read after a crash or a power cut, and the engineer
    // may follow it while the program runs; a write per line costs about 2 µs, nothing
    // beside the link's own pace.
    FileFlush(logFile);
  }
}

void CommTraceWriter(const String& text) {
  if (CommTraceLevel <= 0) return;
  if (DebugOn) {
    PutString(StandardOutput, text);
    PutAll(StandardOutput, "\r\n");
  }
  PutString(LogStream, text);
  PutAll(LogStream, "\r\n");
}

String LogFolderFor(const String& programFile) {
  return WritableFolderFor(programFile, "LogFiles", "XDG_STATE_HOME", ".local/state");
}

String LogFileName(const String& folder, const LocalDateTime& now, int copy) {
  String name = AddSeparator(folder);
  name += "20";
  name += TwoDigits(now.year);
  for (auto [separator, value] : {std::pair{'-', now.month}, {'-', now.day}, {' ', now.hour},
                                  {'-', now.minute}, {'-', now.second}}) {
    name += separator;
    name += TwoDigits(value);
  }
  if (copy > 1) {
    StringStream out(name);
    PutText(out, " (");
    PutInt(out, copy);
    PutText(out, ")");
  }
  name += ".log";
  return name;
}

bool IsOldLogName(const String& name, const LocalDateTime& now) {
  String year = Concatenate("20", TwoDigits(now.year));
  std::string_view text = name.View();
  if (!text.starts_with(year.View())) return now.month > 2;
  String thisMonth = Concatenate(Concatenate(year, "-"), TwoDigits(now.month));
  if (text.starts_with(thisMonth.View())) return false;
  int month = static_cast<int>(ReadInt(name.Substring(5, 2)));
  int age = now.month - month;
  return age > 2 || age < 0;
}

void CleanUpLogs(const String& folder, const LocalDateTime& now) {
  String lockName = Concatenate(AddSeparator(folder), "Cleanup.lck");
  int lock = CreateWrite(lockName, false);
  if (lock < 0) return;
  String pattern = Concatenate(AddSeparator(folder), "20*.log");
  // Files that refused deletion are passed over; otherwise one would be found again
  // on every scan and the clean-up would never end.
  std::set<std::string> undeletable;
  for (;;) {
    FolderScan* scan = ScanFirst(pattern);
    if (scan == nullptr) FatalError(Concatenate("Cannot open directory: ", folder));
    ScanEntry entry;
    String old;
    while (ScanNext(scan, entry)) {
      if (entry.attributes & (AttributeHidden | AttributeSystem | AttributeFolder)) continue;
      if (undeletable.contains(std::string(entry.name.View()))) continue;
      if (IsOldLogName(entry.name, now)) {
        old = entry.name;
        break;
      }
    }
    ScanClose(scan);
    if (old.Empty()) break;
    String path = Concatenate(AddSeparator(folder), old);
    PutAll(StandardOutput, "Deleting old log file: ");
    PutString(StandardOutput, path);
    PutAll(StandardOutput, "\r\n");
    if (!DeleteFile(path)) {
      PutAll(StandardOutput, "Cannot delete old log file: ");
      PutString(StandardOutput, path);
      PutAll(StandardOutput, ": ");
      PutString(StandardOutput, LastOsError());
      PutAll(StandardOutput, "\r\n");
      undeletable.insert(std::string(old.View()));
    }
  }
  CloseDescriptor(lock);
  DeleteFile(lockName);
}

void PrepareLogAt(const String& folder, const LocalDateTime& now) {
  if (!MakeFolderPath(folder)) {
    int error = LastOsErrorNumber();
    PutAll(StandardError, "\r\nCannot create folder: ");
    PutString(StandardError, folder);
    PutAll(StandardError, "\r\n");
    FatalSystemError(error);
  }
  if (now.day > 21) CleanUpLogs(folder, now);
  // Another run started in the same second keeps its log: the name takes a number.
  String name;
  int error = EEXIST;
  for (int copy = 1; copy <= MaxLogCopies && error == EEXIST; ++copy) {
    name = LogFileName(folder, now, copy);
    error = FileCreateNew(logFile, name);
  }
  ShowLogName(name);
  if (error != 0) {
    PutAll(StandardError, "\r\nCannot create file: ");
    PutString(StandardError, name);
    PutAll(StandardError, "\r\n");
    FatalSystemError(error);
  }
  logOpen = true;
  stampPending = false;
  startTick = TickMilliseconds();
  WriteHeader();
}

void PrepareLog() {
  PrepareLogAt(LogFolderFor(String::Constant(ArgList[0])), Now());
}

void CloseLog() {
  if (!logOpen) return;
  if (stampPending) WriteStamp();
  stampPending = false;
  FilePutByte(logFile, '\r');
  FilePutByte(logFile, '\n');
  logOpen = false;
  FileClose(logFile);
}

bool LogIsOpen() { return logOpen; }

void FatalError(const String& failure) {
  // Once a stop was asked for, the step that failed failed because of it: the
  // operator needs to hear that it stopped, and what was left half done.
  bool stopped = ExitRequested;
  String message = stopped ? StopMessage() : failure;
  if (stopped) {
    PutAll(DebugStream, "-- ended by the stop: ");
    PutString(DebugStream, failure);
    PutAll(DebugStream, "\r\n");
  } else {
    PutAll(ReportStream, "Fatal Error: ");
  }
  PutString(ReportStream, message);
  PutAll(ReportStream, "\r\n");
  if (ClosePortHook != nullptr) ClosePortHook();
  CloseLog();
  bool jobFile = !JobFile.Empty();
  // Whoever named the job file waits for this message; a job file that cannot be
  // written is said on the console rather than ending the program a second time.
  String jobFault;
  if (jobFile && !WriteIniQuietly(JobFile, "Message", message, &jobFault)) {
    PutAll(ReportStream, "Cannot write the job file's message: ");
    PutString(ReportStream, jobFault);
    PutAll(ReportStream, "\r\n");
  }
  ExitRequested = true;
  ShowMessage(message, "Error", MessageIconError);
  FlushStandardStreams();
  if (FatalOutcomeHook != nullptr) FatalOutcomeHook(message, jobFile ? 2 : 1);
  std::exit(jobFile ? 2 : 1);
}

namespace {
uint32_t dotsTotal = 0;
uint32_t dotsPrinted = 0;
bool dotsShown = true;
}  // namespace

void ShowProgressDots(bool shown) { dotsShown = shown; }

void ProgressDots(uint32_t done, uint32_t total) {
  if (total == 0) return;
  ProgressCount(done, total);
  if (!dotsShown) return;
  if (total != dotsTotal) {
    dotsTotal = total;
    dotsPrinted = 0;
  }
  if (done > total) done = total;
  uint32_t wanted = static_cast<uint32_t>(uint64_t{done} * 60 / total);
  for (; dotsPrinted < wanted; ++dotsPrinted) PutChar(StandardOutput, '.');
  FlushStandardStreams();
}

void ProgressDotsEnd() {
  if (dotsShown) PutAll(StandardOutput, "\r\n");
  dotsTotal = 0;
  dotsPrinted = 0;
}

String VersionText(int version) {
  String text;
  StringStream out(text);
  PutInt(out, version / 100);
  PutChar(out, '.');
  PutNumber(out, version % 100, NumberZeroFill, 0, 2, 0, 0);
  return text;
}

String VersionReleaseText(int version, int release) {
  String text = VersionText(version);
  StringStream out(text);
  PutChar(out, 'r');
  PutNumber(out, release, NumberZeroFill, 0, 2, 0, 0);
  return text;
}
