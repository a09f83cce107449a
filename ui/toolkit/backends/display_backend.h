// The display backend of the system the program runs on: real windows on the screen.
// On Linux the FLTK backend on the X display (fltk_backend.cpp): one thread of its own
// owns FLTK (FLTK serves one thread only), creates the windows, draws them from the
// pictures the owner threads painted, and turns the operator's input into deliveries
// for the owner threads' queues. On Windows the native one (win32_backend.cpp), the
// same way with the Win32 windows and GDI. Other threads hand the backend work through
// a queue and wake it; it never waits for them, so they may wait for it.
#pragma once

#include <memory>

#include "ui/toolkit/core/window_backend.h"

// Null when the display cannot be opened.
std::unique_ptr<WindowBackend> StartDisplayBackend();
