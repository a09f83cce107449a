// The toolkit's tests: the headless window system with the toolkit started on it, its
// system controls and the window class of the forms registered.
#pragma once

#include "ui/toolkit/controls/window_toolkit.h"
#include "ui/toolkit/core/headless_fixture.h"

class HeadlessToolkit : public HeadlessWindowSystem {
 protected:
  void SetUp() override {
    HeadlessWindowSystem::SetUp();
    InitialiseWindowToolkit();
  }
};
