// For tests: what the program writes to its console, collected while the capture
// lives. The console has one sink, so there is one capture at a time and its text is
// reachable from anywhere in the test, captureless callbacks included.
#pragma once

#include <string>
#include <string_view>

class ConsoleCapture {
 public:
  // Starts with no text and both standard streams at the start of a line.
  ConsoleCapture();
  // The console's characters go where they went before any capture.
  ~ConsoleCapture();
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  // What the console has been given. Standard output writes a line's break only when
  // the next line starts, so a break still waiting is written first: a check of
  // "line\r\n" holds as soon as the line is complete.
  static const std::string& Text();
  static bool Said(std::string_view text);
  static void Clear();
};
