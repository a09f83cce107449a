#include "testing/console_capture.h"

#include <cstdint>

#include "runtime/console_streams.h"

namespace {

std::string text;

}  // namespace

ConsoleCapture::ConsoleCapture() {
  text.clear();
  ResetStandardStreams();
  InstallConsoleSink([](uint8_t c) { text += static_cast<char>(c); });
}

ConsoleCapture::~ConsoleCapture() { InstallConsoleSink(nullptr); }

const std::string& ConsoleCapture::Text() {
  EndStandardOutput();
  return text;
}

bool ConsoleCapture::Said(std::string_view wanted) { return Text().find(wanted) != std::string::npos; }

void ConsoleCapture::Clear() { text.clear(); }
