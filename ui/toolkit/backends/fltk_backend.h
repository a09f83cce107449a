// The FLTK backend: real windows on the X display. One thread of its own owns FLTK
// (FLTK serves one thread only): it creates the windows, draws them from the pictures
// the owner threads painted, and turns the operator's input into deliveries for the
// owner threads' queues. Other threads hand it work through a queue and wake it; it
// never waits for them, so they may wait for it.
#pragma once

#include <memory>

#include "ui/toolkit/core/window_backend.h"

// Null when the display cannot be opened.
std::unique_ptr<WindowBackend> StartFltkBackend();
