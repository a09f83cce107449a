// The command line: one text split into items in place, and the option reader.
//
//   quarnet [-d | -dd] [-p PORT | --port PORT] [--job FILE] [job file] [[COM]<port>]
//
// On Linux a port is often a path, and a job file is a path too: an item that leads to a
// device is the port, never the job file, which the program would replace whole.
#pragma once

#include <cstdint>
#include <string>

// One command-line text from the process arguments, quoting the items that contain
// spaces (and empty ones) so that splitting gives the same items back. Item 0 is
// programPath.
std::string BuildCommandLine(const char* programPath, int argc, const char* const* argv);

// Copies the text into the program's command-line buffer (at most 1023 characters)
// and splits it into ArgCount/ArgList (at most 256 items).
void SplitCommandLine(const char* text);

// What an item names as a port.
enum class PortItem {
  ComPort,     // "COM3", "com3" or "3": COM port 1 to 255, in `number`
  DevicePath,  // a path that leads to a character device, or one under /dev/ that is not there
  BadPort,     // looks like a COM port but names none: "COMX", "COM0", "COM65543"
  NotAPort,    // anything else; an item of its own that is no port is the job file
};
PortItem ReadPortItem(const char* item, int16_t& number);

// Checks the items that name the port (COM3, 3, a device path, -p PORT, --port PORT,
// --port=PORT) and the job file (any other item, --job FILE, --job=FILE) as
// ReadOptions reads them, so that a mistake is refused before anything starts. False
// with a one-line reason naming the item; option letters are left to ReadOptions.
enum class ItemsFault {
  None,
  Mistake,     // an item written wrong: a port that is none, an option without its value
  JobFileRefused,  // the job file named is no INI file the program may write
};
ItemsFault CheckPortAndJobFile(std::string& error);

// Sets BaudRate, EvenParity, DebugOn, DetailedDebugOn, PortNumber (and PortPath) and
// JobFile from the items; a bad option letter, or an item CheckPortAndJobFile refuses,
// ends the program through UsageReport.
void ReadOptions();

[[noreturn]] void UsageReport();
