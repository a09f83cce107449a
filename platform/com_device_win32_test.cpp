#include "platform/serial_port.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "runtime/program_state.h"

namespace {

// An open that fails leaves the kind the operator's messages are chosen by, the
// system's own error number and its own words for it: strerror knows no Win32 number.
TEST(ComDeviceWin32Test, AFailedOpenSaysWhyInTheSystemsWords) {
  struct Case {
    int port;
    const char* path;  // for PathPortNumber
    PortError error;
  };
  const Case cases[] = {
      {0, "", PortNotPresent},
      {250, "", PortNotPresent},  // no PC has that many ports
      {PathPortNumber, "\\\\.\\com250", PortNotPresent},
      // Opens, but takes no line settings.
      {PathPortNumber, "\\\\.\\NUL", PortOtherError},
  };
  String savedPath = PortPath;
  for (const Case& c : cases) {
    PortPath = String::Copy(c.path);
    SetLastPortError(PortOk, 0);
    EXPECT_EQ(OpenComPort(c.port), nullptr) << c.port << c.path;
    EXPECT_EQ(LastPortError(), c.error) << c.port << c.path;
    if (c.error == PortNotPresent) {
      EXPECT_EQ(LastPortErrorNumber(), 2) << c.port << c.path;
    }
    std::string text(PortErrorText().View());
    ASSERT_GT(text.size(), std::string("Error: ").size()) << c.port << c.path;
    // Quoted inside the operator's sentences: no full stop or line end of its own.
    EXPECT_TRUE(text.back() != '.' && text.back() != '\n' && text.back() != '\r') << text;
    EXPECT_NE(text, "Error: " + std::string(std::strerror(LastPortErrorNumber()))) << "the C library's words";
  }
  PortPath = savedPath;
}

// The virtual line and the tests report C library numbers: no earlier Win32 wording
// may stick to them.
TEST(ComDeviceWin32Test, ALaterFailureWithoutTextIsWordedByItsNumber) {
  EXPECT_EQ(OpenComPort(0), nullptr);
  SetLastPortError(PortInUse, EBUSY);
  EXPECT_EQ(PortErrorText(), "Error: " + std::string(std::strerror(EBUSY)));
}

}  // namespace
